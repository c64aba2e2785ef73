// The time questions of collectors that store UTC: the offset of the database
// server's clock from ours, this computer's offset from UTC at a given moment
// (daylight saving decided by fixed North American and Australian calendar
// rules, not by the zone's own history) and local-to-UTC conversion.
//
// Date-times here are wall-clock values: only their date and time fields are
// read, and results are built from fields, so the zone the process runs in
// never shifts them.
#pragma once

#include <QDateTime>
#include <QString>

namespace limsbridge {

class DbConnection;

//! Database server time minus local time, in seconds (0 until a synchronisation succeeds).
extern qint32 ServerOffsetSeconds;
//! Duration of the second server time query of the last successful synchronisation, in seconds.
extern qint32 ServerRoundTripSeconds;

//! The connection on which SyncServerTime asks the server's time; null when none
//! was set or the connection set has since been destroyed.
DbConnection* TimeServerConnection();
//! Points the server time query at a connection (not owned); null clears it.
void setTimeServerConnection(DbConnection* connection);

//! Local now plus ServerOffsetSeconds.
QDateTime ServerNow();

//! Asks the server's time with GETSERVERTIME on TimeServerConnection and sets
//! ServerOffsetSeconds and ServerRoundTripSeconds. Never raises: any failure
//! returns false and leaves both values as they were.
bool SyncServerTime();

//! Seconds of local time minus UTC now, by the zone's current daylight state.
qint32 UtcOffsetSeconds();
//! Seconds of local time minus UTC at a local moment, by the calendar rule of
//! the zone's standard name. Raises error 13 for an invalid date.
qint32 UtcOffsetSeconds(const QDateTime& local);

//! Now in UTC.
QDateTime LocalToUtc();
//! A local moment in UTC. Raises error 13 for an invalid date.
QDateTime LocalToUtc(const QDateTime& local);

//! Daylight time by the Australian rule (first Sunday of October, 00:00, up to
//! and including the first Sunday of April, 00:00).
bool IsAusDaylightTime(const QDateTime& t);
//! Daylight time by the North American rule (from 2007 second Sunday of March
//! to first Sunday of November, before 2007 first Sunday of April to last
//! Sunday of October, both at 02:00).
bool IsUsDaylightTime(const QDateTime& t);

//! The text up to its first NUL character (all of it when there is none).
QString CutAtNul(const QString& text);

} // namespace limsbridge
