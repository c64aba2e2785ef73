#include "ImportWorkflows.h"

#include "ImportDateRange.h"
#include "CommonImport.h"
#include "VersionInfo.h"
#include "core/ActivityLog.h"
#include "core/AppInfo.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/QORmsgBoxHandler.h"
#include "core/TargetConnectionOpen.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"
#include "target/CommonAINFOnavigator.h"
#include "target/CommonLastRun.h"
#include "target/CommonVarGatherer.h"
#include "target/ConnectionManager.h"
#include "target/DateText.h"
#include "target/ValueConversions.h"

#include <QCoreApplication>

namespace limsbridge {

namespace {

SuperUserLogin* g_superUserLogin = nullptr;
CsvOutputRun g_csvOutputRun;

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kExclamation = 48;

void messageBox(const QString& prompt, int buttons = kExclamation, const QString& title = QString())
{
    if (MsgBoxHandler)
        MsgBoxHandler->QorMsgBox(prompt, buttons, title);
}

qint32 configuredCollectorId()
{
    return ValueConversions::toLong(Config->item("ZURIVARU\\G2_SERVER_INTERFACE_ID"));
}

// Configures a manager and opens a root connection, with the workflow's
// message boxes on failure.
std::unique_ptr<DbConnection> openRootConnection()
{
    ConnectionManager manager;
    if (!ConfigureConnectionManager(manager)) {
        messageBox("Unable to init Vell OXMO Connection Manager");
        return nullptr;
    }
    auto connection = std::make_unique<DbConnection>();
    manager.ConfigCnn4QORROOT(*connection);
    QString errorText;
    if (!OpenTargetConnection(*connection, errorText, false, nullptr)) {
        messageBox("Error :" + kCrLf + errorText, kExclamation, "Failed to connect to Vell OXMO");
        return nullptr;
    }
    return connection;
}

} // namespace

void setSuperUserLogin(SuperUserLogin* login)
{
    g_superUserLogin = login;
}

void setCsvOutputRun(CsvOutputRun run)
{
    g_csvOutputRun = std::move(run);
}

void ImportAll(bool testMode)
{
    std::unique_ptr<CommonVarGatherer> gatherer = GatherVariablesForImport();
    if (!gatherer)
        return;
    if (gatherer->TotalVariable() == 0) {
        LogActivity("Nothing to import into at this time.", 0);
        return;
    }
    if (!ChooseImportDateRange(*gatherer))
        return;
    if (Csv.CsvOutputEnabled && g_csvOutputRun)
        g_csvOutputRun(*gatherer, testMode);
    else
        RunImportToTarget(*gatherer, testMode);
}

std::unique_ptr<CommonVarGatherer> GatherVariablesForImport()
{
    if (Logger)
        Logger->LSM_Run();
    std::unique_ptr<DbConnection> root = openRootConnection();
    if (!root)
        return nullptr;

    if (!ServiceMode) {
        if (Config->item("OPTIONS\\PASSWORD_PROTECT_INTERACTIVE_IMPORT") == "YES") {
            LogActivity("Waiting for user to provide Vell OXMO Super User credentials ...", 0);
            QString user;
            if (!g_superUserLogin || !g_superUserLogin->askCredentials(*root, user)) {
                LogActivity("Import cancelled by user.", 0);
                return nullptr;
            }
            LogActivity("Vell OXMO user '" + user.toUpper() + "' credentials were provided.", 0);
        }
        ValidateCollectorVersion();
    }

    const qint32 collectorId = configuredCollectorId();
    auto gatherer = std::make_unique<CommonVarGatherer>();
    QString refusal;
    if (!gatherer->ReadAboutCollector(collectorId, *root)) {
        if (gatherer->CollectorID() != 0) {
            LogActivity("Cannot import without valid collector information.", 0);
            messageBox("Cannot import without valid collector information.");
            return nullptr;
        }
        refusal = "Collector (id=" + QString::number(collectorId) +
                  ") does not exist or has been deleted. Use 'Configuration \\ Collector Configuration' to select "
                  "a collector.";
    } else if (!gatherer->CollectorEnabled()) {
        refusal = "Collector '" + gatherer->CollectorName() + "' was marked as DISABLED by Vell OXMO user '" +
                  gatherer->CollectorChangedAuditUSer() + "' on '" +
                  DateText::General(gatherer->CollectorChangedTimeStamp()) + "'";
    }
    if (!refusal.isEmpty()) {
        LogActivity(refusal, 0);
        LogActivity("Unable to import at this time", 0);
        messageBox(refusal);
        return nullptr;
    }

    LogActivity("Scanning all facilities for variables that are linked to Collector '" + gatherer->CollectorName() +
                    "' ...",
                0);
    if (!gatherer->ReadZuriVARU(collectorId, *root)) {
        messageBox("Failed to read Vell OXMO for list of variables to import into.");
        return nullptr;
    }
    if (!gatherer->LookupLastRun->ReadZuriVARU(gatherer->CollectorID(), *root))
        LogActivity("WARNING : Unable to read Last Run Settings from Vell OXMO", 0);
    root.reset();

    LogActivity("Found " + QString::number(gatherer->TotalVariable()) + " variable(s) in " +
                    QString::number(gatherer->TotalFacility()) + " facility(s) that are linked to Collector '" +
                    gatherer->CollectorName() + "'",
                0);
    QStringList facilities;
    for (gatherer->MoveFirst(); !gatherer->EOF_Facility(); gatherer->MoveNext_Facility()) {
        const QString facility = gatherer->Current_Facility();
        facilities << facility;
        for (; !gatherer->EOF_Variable(); gatherer->MoveNext_Variable())
            LogActivity("Found Variable Detail : " + facility + "~" + QString::number(gatherer->Current_Variable()),
                        1);
    }
    if (!gatherer->LookupLastRun->ReadZuriVARUFacilLockDates(facilities.join('~')))
        messageBox("Failed to read Lock Dates for Vell OXMO facilites.");
    else
        QCoreApplication::processEvents();
    return gatherer;
}

bool RunImportToTarget(CommonVarGatherer& gatherer, bool testMode)
{
    LogActivity("Import started.", 0);
    CommonImport engine;
    if (AinfoNavigator)
        AinfoNavigator->LoadMap();
    const bool success = engine.StartImport(gatherer, testMode);
    LogActivity(success ? "Import was successful." : "Import terminated with error(s).", 0);
    return success;
}

void ValidateCollectorVersion()
{
    try {
        std::unique_ptr<DbConnection> root = openRootConnection();
        if (!root)
            return;
        const qint32 collectorId = configuredCollectorId();
        if (collectorId == 0)
            return;
        DbRecordset row("select lu_version from g2_server where interface_id=" + QString::number(collectorId), *root);
        if (!row.Eof())
            CheckCollectorVersion(DbValue::textOf(row.Field(0)));
    } catch (const RaisedError&) {
        // The version check is advice only; any error leaves it silent.
    }
}

void CheckCollectorVersion(const QString& collectorVersion)
{
    const QString own = QString::number(VersionInfo::Major).trimmed() + "." +
                        QString::number(VersionInfo::Minor).trimmed() + "." +
                        QString::number(VersionInfo::Revision).trimmed();
    if (collectorVersion.isEmpty() || collectorVersion == own)
        return;
    const QString warning = "The collector that you selected links to a different version (" + collectorVersion +
                            ")  of the interface than the inteface that is current running (" + own + ")";
    LogActivity("Warning : " + warning, 0);
    if (MsgBoxHandler)
        MsgBoxHandler->QorMsgBox("Warning :" + kCrLf + warning + kCrLf +
                                     "You need to update your g2_server_lu file or link the collector to the correct "
                                     "version in Vell OXMO client.",
                                 16432, "Version Validation Failed", App::HelpFile(), 12230);
}

} // namespace limsbridge
