#include "DateRangeQuestion.h"

#include "DateRangeShortcuts.h"

#include "core/Clock.h"
#include "core/TimeUtilities.h"

#include <QtGlobal>

namespace limsbridge {

namespace {

DateRangeQuestion* g_question = nullptr;

QDateTime addWallClockMinutes(const QDateTime& t, double minutes) {
    const QDateTime shifted = QDateTime(t.date(), t.time(), Qt::UTC).addSecs(qRound64(minutes * 60.0));
    return QDateTime(shifted.date(), shifted.time());
}

DateRange preselected(const QDateTime& base) {
    const QString name = QString::fromLatin1(kDateRangeShortcuts[kDefaultDateRangeShortcut].name);
    return *DateRangeForShortcut(name, base);
}

} // namespace

DateRangeAnswer HeadlessDateRangeQuestion::AskDateRange() {
    const DateRange range = preselected(Clock::now());
    return DateRangeAnswer{false, range.start, range.end};
}

DateRangeAnswer HeadlessDateRangeQuestion::AskDateRangeUtc(qint32 /*collectorTimeZoneId*/,
                                                           double collectorOffset, double interfaceOffset) {
    // The dialog opens on the collector's zone: the server's clock moved from
    // this computer's zone into the collector's, and its values are turned
    // back into UTC by the collector's offset when confirmed.
    const QDateTime base = addWallClockMinutes(ServerNow(), collectorOffset - interfaceOffset);
    const DateRange range = preselected(base);
    return DateRangeAnswer{false, addWallClockMinutes(range.start, -collectorOffset),
                           addWallClockMinutes(range.end, -collectorOffset)};
}

void setDateRangeQuestion(DateRangeQuestion* question) {
    g_question = question;
}

DateRangeQuestion& dateRangeQuestion() {
    static HeadlessDateRangeQuestion headless;
    return g_question ? *g_question : headless;
}

} // namespace limsbridge
