#include "import/CommonImport.h"

#include "core/ActivityLog.h"
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/VbConvert.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"
#include "source/CommonTypeLimsMatchRec.h"
#include "source/CommonTypeVar.h"
#include "source/CommonTypeVarRec.h"
#include "source/CommonUnitConvert.h"
#include "source/CustomSource.h"
#include "source/CustomSourceMatchFinder.h"
#include "source/VarTypeFunctions.h"
#include "target/AuditUser.h"
#include "target/CommonFacilityWriter.h"
#include "target/CommonLastRun.h"
#include "target/CommonVarGatherer.h"
#include "target/DateText.h"
#include "target/ValueConversions.h"

namespace limsbridge {

bool DontOverwrite = false;

namespace {

QString rangeText(const QDateTime& value) {
    return value.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}

// A result status of 1 (or none) means "approved as the variable says".
bool isDefaultStatus(const QVariant& status) {
    if (DbValue::isNull(status))
        return true;
    const QString text = DbValue::textOf(status);
    if (text.isEmpty())
        return true;
    const std::optional<double> number = Vb::IsNumeric(text) ? Vb::ToDouble(text) : std::nullopt;
    return number && *number == 1;
}

} // namespace

CommonImport::CommonImport() {
    DontOverwrite = Config && Config->item(QStringLiteral("OPTIONS\\DONT_OVERWRITE_OXMO")) == QLatin1String("YES");
    if (DontOverwrite)
        LogActivity(QStringLiteral("Configuration set to 'Not' overwrite OXMO data"), 0);
}

CommonImport::~CommonImport() = default;

bool CommonImport::PrepareRun(CommonVarGatherer& aVarGatgerer, bool TestMode) {
    m_matcher = std::make_unique<CommonTypeVar>();
    m_gatherer = &aVarGatgerer;
    m_source = std::make_unique<CustomSource>();
    m_testMode = TestMode;

    m_logbookIds.clear();
    m_logbookFacilities.clear();
    m_logbookCrossReferences.clear();
    if (!m_matcher->ReadZuriVARU(aVarGatgerer, m_logbookIds, m_logbookFacilities, m_logbookCrossReferences))
        return false;

    WriteAsUser = aVarGatgerer.CollectorWriteAsUser().trimmed();
    m_unitConverter = std::make_unique<CommonUnitConvert>();
    m_unitConverter->Init();
    m_runStart = Clock::now();
    m_statistics.Start();
    return true;
}

bool CommonImport::StartImport(CommonVarGatherer& aVarGatgerer, bool TestMode) {
    if (!PrepareRun(aVarGatgerer, TestMode))
        return false;

    for (aVarGatgerer.MoveFirst(); !aVarGatgerer.EOF_Facility(); aVarGatgerer.MoveNext_Facility()) {
        bool stopRun = false;
        ImportFacility(aVarGatgerer.Current_Facility(), stopRun);
        CloseFacilityWriter();
        if (stopRun)
            return false;
    }

    FinishSource();
    LogRunStatistics();
    return true;
}

bool CommonImport::ImportFacility(const QString& facility, bool& stopRun) {
    CommonLastRun& lastRun = *m_gatherer->LookupLastRun;
    const QDateTime runEnd = lastRun.enddate(facility);
    const QString facilityName =
        m_gatherer->FacilID2FacilNameHash ? m_gatherer->FacilID2FacilNameHash->Item(facility) : QString();
    LogActivity(QStringLiteral("Processing facility '") + facilityName + QStringLiteral("' (") + facility +
                    QLatin1Char(')'),
                0);

    if (lastRun.ViolatesLockDate(facility)) {
        LogActivity(QStringLiteral("Unable to import into '") + facilityName +
                        QStringLiteral("' because selected date range violates Lock Date of ") +
                        DateText::General(lastRun.LockDate(facility)),
                    0);
        return false;
    }

    QDateTime start = lastRun.StartDate(facility);
    const QDateTime end = lastRun.enddate(facility);
    const qint32 shift =
        ValueConversions::toLong(Config->item(QStringLiteral("OPTIONS\\AUTOMATED_IMPORT\\STARTDATE_SHIFT_MINUTE")));
    if (shift != 0)
        start = start.addSecs(qint64(shift) * 60);

    m_source->PrepareForNextFacility(facility);
    LogActivity(QStringLiteral("Date Range for import into ") + facility + QStringLiteral(" is set to ") +
                    rangeText(start) + QStringLiteral(" to ") + rangeText(end),
                0);

    OpenFacilityWriter(facility, lastRun.LockDate(facility));
    m_source->setStartDate(start);
    m_source->setenddate(end);

    LogActivity(QStringLiteral("Loading records from source ..."), 0);
    if (!ReadSourceWithRecovery(*m_source))
        return false;
    LogActivity(QStringLiteral("Loaded ") + QString::number(m_source->RecordCount()) +
                    QStringLiteral(" record(s) from source."),
                0);

    for (qint32 recordNumber = 1; !m_source->EOF_LimsRec(); ++recordNumber) {
        if (!WriteRecordMatches(facility, recordNumber, stopRun))
            return false;
        m_source->MoveNext_LimsRec();
    }

    if (!m_source->HoldLastRundate() && ServiceMode) {
        if (!lastRun.PersistLastRunDate(m_gatherer->CollectorID(), facility, runEnd))
            LogActivity(QStringLiteral("WARNING : Unable to persist Last Run Date ") + DateText::General(runEnd), 0);
    }
    return true;
}

bool CommonImport::WriteRecordMatches(const QString& facility, qint32 recordNumber, bool& stopRun) {
    const std::shared_ptr<CommonTypeLimsMatchRec> record = m_source->Get_LimsRec();
    if (!record)
        return true;

    CustomSourceMatchFinder finder;
    if (!finder.MatchExists(*m_matcher, record, facility)) {
        QString logBookId;
        finder.MatchExistsLogbook(logBookId, record, facility, m_logbookIds, m_logbookFacilities,
                                  m_logbookCrossReferences);
        if (ActivityLevelWanted(9))
            LogActivity(QStringLiteral("Variable or logbook not found for source record #") +
                            QString::number(recordNumber),
                        9);
        return true;
    }

    if (ActivityLevelWanted(3))
        LogActivity(QStringLiteral("Found ") + QString::number(finder.RecordCound()) +
                        QStringLiteral(" variables matching source record #") + QString::number(recordNumber),
                    3);
    for (; !finder.EOF_(); finder.MoveNext()) {
        const std::shared_ptr<CommonTypeVarRec> V = finder.CurrentTypeVarRec();
        if (!V)
            continue;
        const QVariant result = finder.getCustomResult();
        const QDateTime slot = VarTypeFunctions::SlotStart(record->LimsCollectedDate, V->gVarType());
        qint32 approvalLevel = 0;
        if (isDefaultStatus(record->LimsResultStatus)) {
            approvalLevel = V->gDataApproval();
            const QString auditUser = DbValue::textOf(record->LimsAuditUser);
            if (!auditUser.isEmpty())
                WriteAsUser = auditUser;
        } else {
            approvalLevel = ValueConversions::toLong(record->LimsResultStatus);
        }
        if (!WriteResult(result, record->LIMSResultComment, *V, slot, DbValue::textOf(record->LimsUnits),
                         record->LimsAINFO, approvalLevel, record->LimsCollectedDate)) {
            stopRun = true;
            return false;
        }
    }
    return true;
}

void CommonImport::OpenFacilityWriter(const QString& facility, const QDateTime& lockDate) {
    m_writer = std::make_unique<CommonFacilityWriter>();
    m_writer->setfacilID(facility);
    m_writer->setLockDate(lockDate);
    m_writer->setTestMode(m_testMode);
}

void CommonImport::CloseFacilityWriter() {
    m_writer.reset();
}

void CommonImport::FinishSource() {
    try {
        if (m_source)
            m_source->FinishRun_CleanUp();
    } catch (const std::exception&) {
        if (Logger)
            Logger->WriteLog(QStringLiteral("Error after all facilities processed data in Cleaning Up"), 1);
    }
}

void CommonImport::AddReadStatistics(double timerBefore, double timerAfter, qint32 recordCount) {
    m_statistics.AddReadStatistics(timerBefore, timerAfter, recordCount);
}

void CommonImport::LogRunStatistics() {
    m_statistics.LogRunStatistics();
}

} // namespace limsbridge
