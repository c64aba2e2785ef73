#include "SystemTimeZone.h"

namespace limsbridge::SystemTimeZone {

namespace {

QTimeZone& overrideZone() {
    static QTimeZone zone;
    return zone;
}

// A daylight shift is looked for within a year either side of the moment, so
// a zone that once had daylight time but has since dropped it counts as
// having none, as the current rules of the operating system would say.
constexpr qint64 SearchWindowDays = 366;

} // namespace

QTimeZone zone() {
    const QTimeZone& chosen = overrideZone();
    return chosen.isValid() ? chosen : QTimeZone::systemTimeZone();
}

void setZone(const QTimeZone& zone) {
    overrideZone() = zone;
}

TimeZoneInformation information(const QDateTime& localMoment) {
    TimeZoneInformation info;
    const QTimeZone current = zone();
    if (!current.isValid())
        return info;
    const QDateTime moment(localMoment.date(), localMoment.time(), current);

    info.Bias = -current.standardTimeOffset(moment) / 60;
    const QByteArray windowsId = QTimeZone::ianaIdToWindowsId(current.id());
    info.StandardName = QString::fromUtf8(windowsId.isEmpty() ? current.id() : windowsId);
    info.DaylightInEffect = current.isDaylightTime(moment);

    if (info.DaylightInEffect) {
        info.HasDaylightDate = true;
        info.DaylightBias = -current.daylightTimeOffset(moment) / 60;
    } else if (current.hasDaylightTime()) {
        const QTimeZone::OffsetDataList transitions =
            current.transitions(moment.addDays(-SearchWindowDays), moment.addDays(SearchWindowDays));
        for (const QTimeZone::OffsetData& transition : transitions) {
            if (transition.daylightTimeOffset != 0) {
                info.HasDaylightDate = true;
                info.DaylightBias = -transition.daylightTimeOffset / 60;
                break;
            }
        }
    }
    return info;
}

} // namespace limsbridge::SystemTimeZone
