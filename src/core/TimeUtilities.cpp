#include "core/TimeUtilities.h"

#include "core/Clock.h"
#include "platform/DbCommand.h"
#include "platform/DbConnection.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"
#include "platform/SystemTimeZone.h"

#include <limits>
#include <memory>

namespace limsbridge {

qint32 ServerOffsetSeconds = 0;
qint32 ServerRoundTripSeconds = 0;

namespace {

// The connection is not ours: its life token tells whether it still exists,
// so a connection destroyed after it was set reads as "none" instead of
// leaving a dangling pointer behind.
struct TimeServer {
    DbConnection* connection = nullptr;
    std::weak_ptr<void> alive;
};

TimeServer& timeServer()
{
    static TimeServer server;
    return server;
}

// Whole seconds from a to b on their wall-clock fields. Both ends are cut to
// the second first, as a clock that shows whole seconds would read them.
qint64 wholeSecondsBetween(const QDateTime& a, const QDateTime& b)
{
    const QDateTime from(a.date(), QTime(a.time().hour(), a.time().minute(), a.time().second()), Qt::UTC);
    const QDateTime to(b.date(), QTime(b.time().hour(), b.time().minute(), b.time().second()), Qt::UTC);
    return from.secsTo(to);
}

// Adds seconds on the wall clock: the result's fields are t's fields moved by
// the seconds, whatever daylight change the process's own zone has between.
QDateTime addWallClockSeconds(const QDateTime& t, qint64 seconds)
{
    const QDateTime shifted = QDateTime(t.date(), t.time(), Qt::UTC).addSecs(seconds);
    return QDateTime(shifted.date(), shifted.time());
}

// A key that orders wall-clock moments by their fields alone.
QDateTime wallClock(const QDateTime& t)
{
    return QDateTime(t.date(), t.time(), Qt::UTC);
}

QDateTime wallClock(const QDate& date, int hour)
{
    return QDateTime(date, QTime(hour, 0), Qt::UTC);
}

void requireValid(const QDateTime& t)
{
    if (!t.isValid())
        throw RaisedError(13, QStringLiteral("Type mismatch"));
}

qint32 checkedSeconds(qint64 seconds)
{
    if (seconds < std::numeric_limits<qint32>::min() || seconds > std::numeric_limits<qint32>::max())
        throw RaisedError(6, QStringLiteral("Overflow"));
    return qint32(seconds);
}

// Sunday is day 7 in Qt's numbering.
QDate firstSundayOnOrAfter(const QDate& date)
{
    return date.addDays((7 - date.dayOfWeek()) % 7);
}

QDate lastSundayOnOrBefore(const QDate& date)
{
    return date.addDays(-(date.dayOfWeek() % 7));
}

// The zones whose daylight time follows the Australian rule, by the
// standard names the zone reports.
bool followsAustralianRule(const QString& standardName)
{
    const QString name = CutAtNul(standardName).trimmed();
    return name == QLatin1String("Cen. Australia Standard Time") ||
           name == QLatin1String("AUS Eastern Standard Time");
}

} // namespace

DbConnection* TimeServerConnection()
{
    TimeServer& server = timeServer();
    return server.alive.expired() ? nullptr : server.connection;
}

void setTimeServerConnection(DbConnection* connection)
{
    TimeServer& server = timeServer();
    server.connection = connection;
    server.alive = connection ? connection->lifeToken() : std::weak_ptr<void>();
}

QDateTime ServerNow()
{
    return addWallClockSeconds(Clock::now(), ServerOffsetSeconds);
}

bool SyncServerTime()
{
    DbConnection* connection = TimeServerConnection();
    if (!connection)
        return false;
    try {
        DbCommand command(*connection, QStringLiteral("GETSERVERTIME"));
        DbParameter& dateOut = command.Append(QStringLiteral("date_out"), DbDataType::Date, DbParameterDirection::Output);
        // The first call only warms the connection up; the second is timed.
        command.Execute();
        const QDateTime t1 = Clock::now();
        command.Execute();
        const QDateTime t2 = Clock::now();
        if (DbValue::isNull(dateOut.Value()))
            return false;
        const QDateTime serverTime = DbValue::dateOf(dateOut.Value());
        if (!serverTime.isValid())
            return false;
        const qint32 roundTrip = checkedSeconds(wholeSecondsBetween(t1, t2));
        const qint32 offset = checkedSeconds(wholeSecondsBetween(t1, serverTime));
        ServerRoundTripSeconds = roundTrip;
        ServerOffsetSeconds = offset;
        return true;
    } catch (...) {
        return false;
    }
}

qint32 UtcOffsetSeconds()
{
    const TimeZoneInformation zone = SystemTimeZone::information(Clock::now());
    qint64 offset = -qint64(zone.Bias) * 60;
    if (zone.DaylightInEffect && zone.HasDaylightDate)
        offset -= qint64(zone.DaylightBias) * 60;
    return checkedSeconds(offset);
}

qint32 UtcOffsetSeconds(const QDateTime& local)
{
    requireValid(local);
    // The zone's current settings, as the operating system reports them today;
    // only the daylight question is answered for the moment given.
    const TimeZoneInformation zone = SystemTimeZone::information(Clock::now());
    qint64 offset = -qint64(zone.Bias) * 60;
    const bool daylight =
        followsAustralianRule(zone.StandardName) ? IsAusDaylightTime(local) : IsUsDaylightTime(local);
    if (daylight)
        offset -= qint64(zone.DaylightBias) * 60;
    return checkedSeconds(offset);
}

QDateTime LocalToUtc()
{
    const QDateTime now = Clock::now();
    return addWallClockSeconds(now, -qint64(UtcOffsetSeconds()));
}

QDateTime LocalToUtc(const QDateTime& local)
{
    return addWallClockSeconds(local, -qint64(UtcOffsetSeconds(local)));
}

bool IsUsDaylightTime(const QDateTime& t)
{
    requireValid(t);
    const int year = t.date().year();
    QDateTime start;
    QDateTime end;
    if (year < 2007) {
        start = wallClock(firstSundayOnOrAfter(QDate(year, 4, 1)), 2);
        end = wallClock(lastSundayOnOrBefore(QDate(year, 10, 31)), 2);
    } else {
        start = wallClock(firstSundayOnOrAfter(QDate(year, 3, 8)), 2);
        end = wallClock(firstSundayOnOrAfter(QDate(year, 11, 1)), 2);
    }
    const QDateTime moment = wallClock(t);
    if (moment >= end)
        return false;
    return moment >= start;
}

bool IsAusDaylightTime(const QDateTime& t)
{
    requireValid(t);
    const int year = t.date().year();
    QDateTime start;
    QDateTime end;
    if (t.date().month() >= 10) {
        start = wallClock(firstSundayOnOrAfter(QDate(year, 10, 1)), 0);
        end = wallClock(firstSundayOnOrAfter(QDate(year + 1, 4, 1)), 0);
    } else {
        start = wallClock(firstSundayOnOrAfter(QDate(year - 1, 10, 1)), 0);
        end = wallClock(firstSundayOnOrAfter(QDate(year, 4, 1)), 0);
    }
    const QDateTime moment = wallClock(t);
    return start <= moment && moment <= end;
}

QString CutAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

} // namespace limsbridge
