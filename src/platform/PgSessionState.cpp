#include "platform/PgSessionState.h"

#include <QVariant>

#include <libpq-fe.h>
#include <poll.h>

#include <cerrno>
#include <cstring>

namespace limsbridge {

namespace {

// Qt's driver hands out the connection under the name of libpq's struct.
bool holdsLibpqConnection(const QVariant& driverHandle) {
    const char* name = driverHandle.isValid() ? driverHandle.typeName() : nullptr;
    return name && (std::strcmp(name, "pg_conn*") == 0 || std::strcmp(name, "PGconn*") == 0);
}

} // namespace

bool PgSessionIsQuiet(const QVariant& driverHandle) {
    if (!holdsLibpqConnection(driverHandle))
        return false;
    PGconn* connection = *static_cast<PGconn* const*>(driverHandle.constData());
    if (!connection || PQstatus(connection) != CONNECTION_OK || PQtransactionStatus(connection) != PQTRANS_IDLE)
        return false;
    const int socket = PQsocket(connection);
    if (socket < 0)
        return false;
    pollfd watched{socket, POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&watched, 1, 0);
    while (ready < 0 && errno == EINTR);
    // Zero: no data, no end of stream, no error or hang-up pending.
    return ready == 0;
}

} // namespace limsbridge
