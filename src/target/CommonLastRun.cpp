#include "CommonLastRun.h"

#include "AuditUser.h"
#include "ConnectionManager.h"
#include "DateText.h"
#include "ValueConversions.h"

#include "core/ActivityLog.h"
#include "core/AppInfo.h"
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/DbValue.h"
#include "platform/NetInfo.h"
#include "platform/RaisedError.h"

#include <memory>

namespace limsbridge {

namespace {

void writeLog(const QString& text, int level) {
    if (Logger)
        Logger->WriteLog(text, level);
}

// Facilities that never had a lock date may change from this day on.
QDateTime noLockDate() {
    return QDateTime(QDate(1970, 1, 1), QTime(0, 0));
}

// The host facts recorded with a last run: those gathered at startup, or
// fresh ones when the program runs without the process-wide object.
const NetInfo& hostInformation(std::unique_ptr<NetInfo>& local) {
    if (HostNetInfo)
        return *HostNetInfo;
    local = std::make_unique<NetInfo>();
    local->GetNetInfo();
    return *local;
}

} // namespace

CommonLastRun::CommonLastRun() : m_defaultStart(Clock::now()), m_defaultEnd(m_defaultStart) {}

bool CommonLastRun::ReadZuriVARU(qint32 collectorId, DbConnection& rootConnection) {
    try {
        m_lastRuns.SetSize(2048);
        if (!ServiceMode)
            return true; // interactive runs start every facility at the default start
        DbRecordset runs("Select Filename,lastrun from g2_server_run where interface_id = " +
                             QString::number(collectorId),
                         rootConnection);
        for (; !runs.Eof(); runs.MoveNext()) {
            const QString fileName = DbValue::textOf(runs.Field("Filename"));
            const QDateTime lastRun = DateText::Read(runs.Field("lastrun"));
            // A row without a date carries no position to continue from; the
            // facility then starts at the default start like one never run.
            if (!lastRun.isValid())
                continue;
            m_lastRuns.Add(fileName, lastRun);
            writeLog("Last Run Date for facility " + fileName + " was detected to be " +
                         DateText::General(lastRun),
                     0);
        }
        return true;
    } catch (const RaisedError&) {
        return false;
    }
}

bool CommonLastRun::ReadZuriVARUFacilLockDates(const QString& RequestedFacilityTilda) {
    if (RequestedFacilityTilda.isEmpty())
        return true; // an empty list names no facility
    try {
        for (const QString& facility : RequestedFacilityTilda.split(QLatin1Char('~'))) {
            QDateTime lockDate;
            if (!ReadFacilityLockDate(facility, lockDate))
                return false;
            m_lockDates.Add(facility, lockDate);
        }
        return true;
    } catch (const RaisedError&) {
        return false; // a facility named twice, or an empty name
    }
}

bool CommonLastRun::ReadFacilityLockDate(const QString& facility, QDateTime& lockDate) {
    lockDate = noLockDate();
    try {
        ConnectionManager manager;
        if (!ConfigureConnectionManager(manager))
            return false;
        DbConnection connection;
        manager.ConfigCnn4FACILITY(connection, facility);
        connection.Open();
        DbRecordset setting("Select curvalue from Settings Where Setting = 'LockDate'", connection);
        if (!setting.Eof()) {
            const QDateTime stored = DateText::Read(setting.Field("curvalue"));
            if (stored.isValid())
                lockDate = stored;
            setting.Close();
            connection.Close();
            LogActivity("Facility " + facility + " lockdate set to " + DateText::General(lockDate), 9);
        }
        return true;
    } catch (const RaisedError&) {
        return false;
    }
}

QDateTime CommonLastRun::LockDate(const QString& facility) const {
    const QString key = facility.toUpper();
    // A facility whose lock date was never read gets the zero date, which lets
    // nothing be written into it.
    if (key.isEmpty() || !m_lockDates.Exists(key))
        return DateText::ZeroDate();
    return m_lockDates.Item(key);
}

QDateTime CommonLastRun::StartDate(const QString& facility) {
    const QString key = facility.toUpper();
    if (!m_lastRuns.Exists(key))
        m_lastRuns.Add(key, m_defaultStart);
    const QDateTime start = m_lastRuns.Item(key);
    const QDateTime lock = LockDate(key);
    return start < lock ? lock : start;
}

QDateTime CommonLastRun::enddate(const QString& /*facility*/) const {
    return m_defaultEnd;
}

bool CommonLastRun::ViolatesLockDate(const QString& facility) const {
    return LockDate(facility) > enddate(facility);
}

bool CommonLastRun::PersistLastRunDate(qint32 collectorId, const QString& facility,
                                       const QDateTime& lastRun) {
    try {
        writeLog(QStringLiteral("PersistLastRunDate: About to Setup connection"), 9);
        ConnectionManager manager;
        if (!ConfigureConnectionManager(manager))
            return false;

        writeLog(QStringLiteral("PersistLastRunDate: About to get NetInfo"), 9);
        std::unique_ptr<NetInfo> localHost;
        const NetInfo& host = hostInformation(localHost);
        writeLog("NetInfo Complete: IP=" + host.IPAddrs(), 9);

        DbConnection root;
        manager.ConfigCnn4QORROOT(root);
        root.Open();
        writeLog(QStringLiteral("QORROOT Connection Opened"), 9);

        const QString id = QString::number(collectorId);
        const QString sql =
            "Select AUDITUSER,AUDITTIMESTAMP,interface_id,FileName,LASTRUN,WorkStation,NetUser,IP,"
            "LOCALPATH from g2_server_run where interface_id = " +
            id + " and filename=" + DbValue::quoteText(facility);
        DbRecordset run(sql, root, DbLockType::Optimistic);
        writeLog("SQL " + sql, 9);
        if (run.Eof()) {
            writeLog(QStringLiteral("Record not found, adding"), 9);
            run.AddNew();
        }
        run.setField("AUDITUSER", CurrentAuditUser());
        run.setField("AUDITTIMESTAMP", Clock::now());
        writeLog(QStringLiteral("Audit Fields set"), 9);
        run.setField("interface_id", collectorId);
        run.setField("FileName", facility);
        run.setField("LASTRUN", lastRun);
        writeLog("InterfaceID,FileName, LastRun set" + id + " " + facility + " " + DateText::General(lastRun),
                 9);
        run.setField("WorkStation", host.WorkStation());
        run.setField("NetUser", host.NetUser());
        run.setField("IP", host.IPAddrs());
        writeLog(QStringLiteral("PC Info Set"), 9);
        run.setField("LOCALPATH", App::Path());
        run.Update();
        writeLog(QStringLiteral("Rec Updated"), 9);
        run.Close();

        writeLog("Updated Last Run Date for facility " + facility + " to " + DateText::General(lastRun), 0);
        if (Config->item("OPTIONS\\AUTOMATED_IMPORT\\SUBMIT_CALC_REQUEST") == QLatin1String("YES"))
            SubmitCalcRequest(root, facility, lastRun);
        root.Close();
        return true;
    } catch (const RaisedError& error) {
        writeLog("PersistLastRunDate Error: " + QString::number(error.number()) + " - " + error.description(),
                 0);
        return false;
    }
}

void CommonLastRun::SubmitCalcRequest(DbConnection& rootConnection, const QString& facility,
                                      const QDateTime& end) {
    try {
        QDateTime start(StartDate(facility).date(), QTime(0, 0));
        const qint32 shiftMinutes =
            ValueConversions::toLong(Config->item("OPTIONS\\AUTOMATED_IMPORT\\STARTDATE_SHIFT_MINUTE"));
        if (shiftMinutes != 0)
            start = start.addSecs(qint64(shiftMinutes) * 60);

        DbRecordset queue("select * from CALCQUEUE where ID=0", rootConnection, DbLockType::Pessimistic);
        queue.AddNew();
        queue.setField("status", 0);
        queue.setField("vlist", QStringLiteral(""));
        queue.setField("datestart", start);
        queue.setField("dateend", end);
        queue.setField("facility", facility);
        queue.setField("audituser", CurrentAuditUser());
        queue.Update();

        writeLog("Submitted Calc Request for facility " + facility + " for dates from " +
                     DateText::Activity(start) + " to " + DateText::Activity(end),
                 0);
    } catch (const RaisedError&) {
        // A request that cannot be queued must not undo the stored last run.
    }
}

} // namespace limsbridge
