// What libpq can tell about a PostgreSQL session without a round trip.
#pragma once

class QVariant;

namespace limsbridge {

//! True when the Qt driver handle holds a libpq connection that is open and
//! idle outside a transaction, and its socket has nothing to read: the server
//! has sent nothing since the last statement. A terminated session always
//! leaves something to read (its farewell message, then the end of the
//! stream), so it gives false; so does a notice, a socket error, or a handle
//! that is not a libpq connection.
bool PgSessionIsQuiet(const QVariant& driverHandle);

} // namespace limsbridge
