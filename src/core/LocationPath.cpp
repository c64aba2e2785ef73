#include "LocationPath.h"

#include "core/Globals.h"
#include "core/QORLoggerTXT.h"
#include "platform/DbConnection.h"
#include "platform/DbError.h"
#include "platform/DbRecordset.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"

#include <QSet>

namespace limsbridge {

namespace {

// Ids reach the statement only as numbers we format ourselves, so an id such as
// "1 OR 1=1" cannot widen the query.
qint64 locationNumber(const QString& text) {
    bool valid = false;
    const qint64 number = text.trimmed().toLongLong(&valid);
    if (!valid)
        throw RaisedError(DbError::InvalidArgument, "'" + text + "' is not a location id");
    return number;
}

QString locationQuery(qint64 id) {
    return "Select LOCATION,LOCID,PARENTID FROM LOCATION WHERE LOCID=" + QString::number(id);
}

} // namespace

QString GetLocationPath(const QString& locationId, DbConnection& connection) {
    if (locationId == "0" || locationId.isEmpty() || locationId == "-1")
        return {};
    DbRecordset location;
    try {
        QString path;
        qint64 id = locationNumber(locationId);
        // A location that is its own ancestor would otherwise be walked for ever.
        QSet<qint64> visited;
        visited.insert(id);
        location.Open(locationQuery(id), connection);
        while (!location.Eof()) {
            path.prepend(DbValue::textOf(location.Field("LOCATION")) + "\\");
            const QVariant parent = location.Field("PARENTID");
            if (DbValue::isNull(parent))
                break;
            location.Close();
            id = locationNumber(DbValue::textOf(parent));
            if (visited.contains(id))
                break;
            visited.insert(id);
            location.Open(locationQuery(id), connection);
        }
        location.Close();
        path.chop(path.endsWith('\\') ? 1 : 0);
        return path;
    } catch (const RaisedError& error) {
        if (Logger)
            Logger->WriteLog("Error found in Util.GetLocationPath. Error: " +
                                 QString::number(error.number()) + "\r\n" + error.description(),
                             0);
    } catch (const std::exception& error) {
        if (Logger)
            Logger->WriteLog(
                "Error found in Util.GetLocationPath. Error: " + QString::number(DbError::DriverFailure) +
                    "\r\n" + QString::fromLocal8Bit(error.what()),
                0);
    }
    location.Close();
    return {};
}

} // namespace limsbridge
