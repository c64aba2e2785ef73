#include "ServiceSchedule.h"

#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/VbConvert.h"
#include "platform/RaisedError.h"

#include <QtGlobal>

namespace limsbridge {

namespace {

const QString kSchedule = QStringLiteral("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\");

QString setting(const char* name) {
    if (!Config)
        throw RaisedError(91, QStringLiteral("Object variable or With block variable not set"));
    return Config->item(kSchedule + QLatin1String(name));
}

// Hours and minutes may carry a fraction; anything that is not a number is an error.
double number(const char* name) {
    if (const auto value = Vb::ToDouble(setting(name)))
        return *value;
    throw RaisedError(13, QStringLiteral("Type mismatch"));
}

// Schedules are wall-clock times: "00:01 every day" stays 00:01 across a
// daylight-saving change of the process's zone.
QDateTime addWallClockMinutes(const QDateTime& t, double minutes) {
    const QDateTime shifted = QDateTime(t.date(), t.time(), Qt::UTC).addSecs(qRound64(minutes * 60.0));
    return QDateTime(shifted.date(), shifted.time());
}

} // namespace

QDateTime NextScheduledRun(const QDateTime& now, bool initial) {
    const QDateTime today(now.date(), QTime(0, 0));
    if (setting("HOURLY") == QLatin1String("YES")) {
        const QDateTime next = addWallClockMinutes(today, 60.0 * now.time().hour() + number("HOURLY_MINUTE"));
        return initial ? next : addWallClockMinutes(next, 60);
    }
    if (setting("MINUTELY") == QLatin1String("YES"))
        return initial ? now : addWallClockMinutes(now, number("MINUTELY_MINUTE"));
    const QDateTime next = addWallClockMinutes(today, number("DAILY_HOUR") * 60.0 + number("DAILY_MINUTE"));
    return initial ? next : QDateTime(next.date().addDays(1), next.time());
}

} // namespace limsbridge
