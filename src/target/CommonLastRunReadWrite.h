// One collector's last-run row of one facility, read for the last-run viewer
// with who ran the import, where and from which folder, or set to a chosen date.
#pragma once

#include <QDateTime>
#include <QString>

namespace limsbridge {

class DbConnection;

class CommonLastRunReadWrite {
public:
    //! The last row read; unchanged by a read that finds no row.
    QString LastRun() const { return m_lastRun; }
    QString AuditUser() const { return m_auditUser; }
    QString FacilityID() const { return m_facilityId; }
    QString WorkStation() const { return m_workStation; }
    QString NetUser() const { return m_netUser; }
    QString IP() const { return m_ip; }
    QString LocalPath() const { return m_localPath; }

    //! The collector used when a call passes no collector id (0).
    qint32 InterfaceID() const { return m_interfaceId; }
    void setInterfaceID(qint32 id) { m_interfaceId = id; }

    //! Stores the facility's last-run date, adding the row when missing; the
    //! audit and host columns are left as they are.
    bool SetLastRunDate(const QString& facility, const QDateTime& lastRun, DbConnection& connection,
                        qint32 collectorId = 0);
    //! Reads the facility's row into the properties and lastRun; false when there is none.
    bool ReadLastRunInfo(const QString& facility, DbConnection& connection, QDateTime& lastRun,
                         qint32 collectorId = 0);

private:
    qint32 m_interfaceId = 0;
    QString m_lastRun;
    QString m_auditUser;
    QString m_facilityId;
    QString m_workStation;
    QString m_netUser;
    QString m_ip;
    QString m_localPath;
};

} // namespace limsbridge
