#include "CommonLastRunReadWrite.h"

#include "DateText.h"

#include "platform/DbRecordset.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"

namespace limsbridge {

bool CommonLastRunReadWrite::SetLastRunDate(const QString& facility, const QDateTime& lastRun,
                                            DbConnection& connection, qint32 collectorId) {
    const qint32 id = collectorId != 0 ? collectorId : m_interfaceId;
    if (id == 0)
        return false;
    try {
        DbRecordset run("Select INTERFACE_ID, FILENAME, LASTRUN from g2_server_run where interface_id = " +
                            QString::number(id) + " and filename=" + DbValue::quoteText(facility),
                        connection, DbLockType::Pessimistic);
        if (run.Eof())
            run.AddNew();
        run.setField("interface_id", id);
        run.setField("FileName", facility);
        run.setField("LASTRUN", lastRun);
        run.Update();
        run.Close();
        return true;
    } catch (const RaisedError&) {
        return false;
    }
}

bool CommonLastRunReadWrite::ReadLastRunInfo(const QString& facility, DbConnection& connection,
                                             QDateTime& lastRun, qint32 collectorId) {
    const qint32 id = collectorId != 0 ? collectorId : m_interfaceId;
    if (id == 0)
        return false;
    try {
        DbRecordset run(
            "Select AUDITUSER, FILENAME, LASTRUN, WORKSTATION, NETUSER, IP, LOCALPATH from g2_server_run "
            "where interface_id = " +
                QString::number(id) + " and filename=" + DbValue::quoteText(facility),
            connection, DbLockType::Pessimistic);
        if (run.Eof())
            return false;
        // A row without a date has nothing to show; it counts as unreadable and
        // leaves the properties as they were.
        const QDateTime stored = DateText::Read(run.Field("LASTRUN"));
        if (!stored.isValid())
            return false;
        lastRun = stored;
        m_lastRun = DateText::General(stored);
        m_auditUser = DbValue::textOf(run.Field("AUDITUSER"));
        m_facilityId = DbValue::textOf(run.Field("FILENAME"));
        m_workStation = DbValue::textOf(run.Field("WORKSTATION"));
        m_netUser = DbValue::textOf(run.Field("NETUSER"));
        m_ip = DbValue::textOf(run.Field("IP"));
        m_localPath = DbValue::textOf(run.Field("LOCALPATH"));
        return true;
    } catch (const RaisedError&) {
        return false;
    }
}

} // namespace limsbridge
