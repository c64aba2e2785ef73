#include "CommonVarGatherer.h"

#include "CommonLastRun.h"
#include "ConnectionManager.h"
#include "DateText.h"
#include "ValueConversions.h"

#include "core/Clock.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/QORmsgBoxHandler.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"
#include "platform/SystemTimeZone.h"

namespace limsbridge {

namespace {

constexpr int MsgBoxExclamation = 48;

// The character types whose column length matters to the writer.
bool typeHasLength(const QString& type) {
    return type == QLatin1String("VARCHAR2") || type == QLatin1String("VARCHAR") ||
           type == QLatin1String("NVARCHAR") || type == QLatin1String("NVARCHAR2");
}

[[noreturn]] void raiseOutOfRange() {
    throw RaisedError(9, QStringLiteral("Subscript out of range"));
}

const QString OracleInfoColumns = QStringLiteral(
    "SELECT column_name name, data_type type, data_length length FROM user_tab_columns WHERE "
    "table_name='DATATBL_I' and column_name <> 'AUDITUSER' and column_name <> 'AUDITTIMESTAMP' and "
    "column_name <> 'DATESTAMP' and column_name  <> 'VARID'");

const QString SqlServerInfoColumns = QStringLiteral(
    "SELECT c.name, t.name type, c.length FROM syscolumns c, systypes t, sysobjects o WHERE o.name = "
    "'DATATBL_I' AND o.id = c.id AND c.xtype = t.xtype and c.name <> 'AUDITUSER' and c.name <> "
    "'AUDITTIMESTAMP' and c.name <> 'DATESTAMP' and c.name <> 'VARID' and t.name <> 'sysname' order by c.id");

} // namespace

CommonVarGatherer::CommonVarGatherer()
    : FacilID2FacilNameHash(std::make_shared<HashTable<QString>>()),
      FacilID2ainfoHash(std::make_shared<FacilityAinfoTable>()),
      LookupLastRun(std::make_shared<CommonLastRun>()), m_collectorChangedTimeStamp(DateText::ZeroDate()) {}

CommonVarGatherer::~CommonVarGatherer() = default;

bool CommonVarGatherer::ReadZuriVARU(qint32 interface_id, DbConnection& aRootCNN) {
    try {
        FacilID2FacilNameHash = std::make_shared<HashTable<QString>>();
        FacilID2ainfoHash = std::make_shared<FacilityAinfoTable>();

        const QString limit = Config->item("OPTIONS\\NOIU\\LIMITFACILITY");
        QString sql;
        if (!limit.isEmpty()) {
            if (Logger)
                Logger->WriteLog("Limiting gathering variables to facility: " + limit.toUpper(), 1);
            sql = "Select upper(filename),name from Facility where upper(filename) = " +
                  DbValue::quoteText(limit.toUpper()) + " order by upper(filename)";
        } else {
            sql = QStringLiteral("Select upper(filename),name from Facility order by upper(filename)");
        }

        DbRecordset facilities(sql, aRootCNN);
        for (; !facilities.Eof(); facilities.MoveNext()) {
            const QString key = DbValue::textOf(facilities.Field(0)).trimmed().toUpper();
            GatherFacilityVariables(key, interface_id);
            FacilID2FacilNameHash->Add(key, DbValue::textOf(facilities.Field(1)));
        }
        m_collectorId = interface_id;
        return true;
    } catch (const RaisedError&) {
        return false;
    }
}

void CommonVarGatherer::GatherFacilityVariables(const QString& facility, qint32 interface_id) {
    // A facility that cannot be read contributes the ids gathered before the
    // failure, and the other facilities are still gathered.
    try {
        ConnectionManager manager;
        if (!ConfigureConnectionManager(manager)) {
            if (MsgBoxHandler)
                MsgBoxHandler->QorMsgBox(QStringLiteral("Unable to init Vell OXMO Connection Manager"),
                                         MsgBoxExclamation);
            return;
        }
        DbConnection connection;
        manager.ConfigCnn4FACILITY(connection, facility);
        connection.Open();

        auto columns = std::make_shared<AinfoColumnTable>();
        if (ReadAdditionalInfoColumns(connection, *columns))
            FacilID2ainfoHash->Add(facility, columns);

        DbRecordset variables("Select Varid from Vardesc where G2_Interface_ID = " +
                                  QString::number(interface_id) + " and G2_Enabled = -1 order by varid",
                              connection);
        for (; !variables.Eof(); variables.MoveNext())
            ADHOCAddVariable(facility, ValueConversions::toLong(variables.Field("Varid")));
        variables.Close();
        connection.Close();
    } catch (const RaisedError&) {
    }
}

bool CommonVarGatherer::ReadAdditionalInfoColumns(DbConnection& facilityConnection,
                                                  AinfoColumnTable& columns) {
    try {
        columns.RemoveAll();
        DbRecordset rows(TargetDbType == 1 ? OracleInfoColumns : SqlServerInfoColumns, facilityConnection,
                         DbLockType::Optimistic);
        if (rows.Eof())
            return false; // no such table in this facility
        for (; !rows.Eof(); rows.MoveNext()) {
            const QString name = DbValue::textOf(rows.Field("name")).toUpper();
            const QString type = DbValue::textOf(rows.Field("type")).toUpper();
            const QString length = typeHasLength(type) ? DbValue::textOf(rows.Field("length")) : QString();
            if (!name.isEmpty())
                columns.Add(name, type + QLatin1Char('\t') + length);
        }
        return true;
    } catch (const RaisedError&) {
        columns.RemoveAll();
        return false;
    }
}

bool CommonVarGatherer::ADHOCAddVariable(const QString& facility, qint32 variableId) {
    try {
        const QString key = facility.toUpper();
        std::shared_ptr<VariableList> list = m_variableLists.Item(key);
        if (list && ListHasVariable(variableId, *list))
            return true;
        if (!list) {
            list = std::make_shared<VariableList>();
            m_variableLists.Add(key, list);
        }
        list->ids.push_back(variableId);
        list->members.insert(variableId);
        ++m_totalVariables;
        return true;
    } catch (const RaisedError&) {
        return false;
    }
}

bool CommonVarGatherer::ListHasVariable(qint32 variableId, const VariableList& list) {
    // Whole ids are compared, so 12 is not taken for a part of 123.
    return list.members.contains(variableId);
}

void CommonVarGatherer::Clear() {
    m_variableLists.RemoveAll();
    m_totalVariables = 0;
}

void CommonVarGatherer::loadCurrentIds() {
    m_currentIds = m_variableLists.Item(m_facilityKeys.at(m_facilityCursor))->ids;
}

void CommonVarGatherer::MoveFirst() {
    m_facilityCursor = -1;
    m_variableCursor = -1;
    if (m_totalVariables == 0)
        return;
    m_facilityKeys = m_variableLists.Keys();
    m_facilityCursor = 0;
    m_variableCursor = 0;
    loadCurrentIds();
}

void CommonVarGatherer::MoveNext_Facility() {
    if (m_facilityCursor == -1)
        return;
    if (m_facilityCursor + 1 < m_facilityKeys.size()) {
        ++m_facilityCursor;
        loadCurrentIds();
        m_variableCursor = 0;
    } else if (m_facilityCursor < m_facilityKeys.size()) {
        ++m_facilityCursor; // past the end; the last facility's ids stay
    }
}

void CommonVarGatherer::MoveNext_Variable() {
    if (m_variableCursor == -1)
        return;
    ++m_variableCursor;
}

bool CommonVarGatherer::EOF_Facility() const {
    return m_facilityCursor == -1 || m_facilityCursor >= m_facilityKeys.size();
}

bool CommonVarGatherer::EOF_Variable() const {
    return m_variableCursor == -1 || m_variableCursor >= qint32(m_currentIds.size());
}

qint32 CommonVarGatherer::Current_Variable() const {
    if (m_variableCursor < 0 || m_variableCursor >= qint32(m_currentIds.size()))
        raiseOutOfRange();
    return m_currentIds[size_t(m_variableCursor)];
}

QString CommonVarGatherer::Current_Facility() const {
    if (m_facilityCursor < 0 || m_facilityCursor >= m_facilityKeys.size())
        raiseOutOfRange();
    return m_facilityKeys.at(m_facilityCursor).toUpper();
}

bool CommonVarGatherer::ReadAboutCollector(qint32 interface_id, DbConnection& aRootCNN) {
    try {
        DbRecordset collector(
            "Select audituser, audittimestamp, name,description,enabled,override_audituser,"
            "collector_dateadjust, collector_qortimezoneid from g2_server where interface_id=" +
                QString::number(interface_id),
            aRootCNN);
        if (collector.Eof())
            return false;
        m_collectorName = DbValue::textOf(collector.Field("name")).trimmed();
        m_collectorDescription = DbValue::textOf(collector.Field("description")).trimmed();
        m_collectorWriteAsUser = DbValue::textOf(collector.Field("override_audituser")).trimmed();
        m_collectorChangedAuditUser = DbValue::textOf(collector.Field("audituser")).trimmed();
        m_collectorEnabled = ValueConversions::toBoolean(collector.Field("enabled"));
        const QDateTime changed = DateText::Read(collector.Field("audittimestamp"));
        m_collectorChangedTimeStamp = changed.isValid() ? changed : DateText::ZeroDate();
        m_collectorId = interface_id;
        m_collectorTimeZoneId = ValueConversions::toLong(collector.Field("collector_qortimezoneid"));
        m_collectorTimeZoneOffset = ReadCollectorTimeZoneBias(m_collectorTimeZoneId, aRootCNN);
        m_collectorDateAdjust = ValueConversions::toDouble(collector.Field("collector_dateadjust"));
        return true;
    } catch (const RaisedError&) {
        return false;
    }
}

double CommonVarGatherer::ReadCollectorTimeZoneBias(qint32 timeZoneId, DbConnection& rootConnection) {
    try {
        const QDateTime now = Clock::now();
        m_localTimeZoneOffset = LocalTimeZoneOffset();
        DbRecordset bias("select bias_standard, bias_daylight , start_standard, start_daylight from "
                         "qortimezone_bias where qortimezoneid = " +
                             QString::number(timeZoneId) +
                             " and yearid=" + QString::number(now.date().year()),
                         rootConnection);
        if (bias.Eof())
            return 0;
        const QVariant startDaylight = bias.Field("start_daylight");
        if (DbValue::textOf(startDaylight).isEmpty())
            return -ValueConversions::toDouble(bias.Field("bias_standard"));
        // Only a daylight period inside one calendar year is recognised; an
        // unreadable boundary counts as standard time.
        const QDateTime daylightFrom = DateText::Read(startDaylight);
        const QDateTime standardFrom = DateText::Read(bias.Field("start_standard"));
        if (daylightFrom.isValid() && standardFrom.isValid() && now >= daylightFrom && now < standardFrom)
            return -ValueConversions::toDouble(bias.Field("bias_daylight"));
        return -ValueConversions::toDouble(bias.Field("bias_standard"));
    } catch (const RaisedError&) {
        return 0;
    }
}

double CommonVarGatherer::LocalTimeZoneOffset() {
    const TimeZoneInformation zone = SystemTimeZone::information(Clock::now());
    double offset = -double(zone.Bias);
    if (zone.DaylightInEffect && zone.HasDaylightDate)
        offset -= double(zone.DaylightBias);
    return offset;
}

void CommonVarGatherer::CopyCollectorInfo(const CommonVarGatherer& other) {
    m_collectorChangedAuditUser = other.m_collectorChangedAuditUser;
    m_collectorChangedTimeStamp = other.m_collectorChangedTimeStamp;
    m_collectorDateAdjust = other.m_collectorDateAdjust;
    m_collectorDescription = other.m_collectorDescription;
    m_collectorEnabled = other.m_collectorEnabled;
    m_collectorId = other.m_collectorId;
    m_collectorName = other.m_collectorName;
    m_collectorTimeZoneId = other.m_collectorTimeZoneId;
    m_collectorTimeZoneOffset = other.m_collectorTimeZoneOffset;
    m_collectorWriteAsUser = other.m_collectorWriteAsUser;
    m_localTimeZoneOffset = other.m_localTimeZoneOffset;
}

} // namespace limsbridge
