#include "Main.h"

#include "VersionInfo.h"
#include "core/AppInfo.h"
#include "core/Clock.h"
#include "core/CoreKeys.h"
#include "core/HelpTopic.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/QORmsgBoxHandler.h"
#include "core/VbConvert.h"
#include "csvcloud/PasswordScrambler.h"
#include "platform/NetInfo.h"
#include "platform/RaisedError.h"
#include "import/ImportWorkflows.h"
#include "service/CommonNTSERVICE.h"
#include "service/ServiceImportRoutines.h"
#include "source/CommonTypeGlobals.h"
#include "source/CustomConfiguration.h"
#include "target/CommonAINFOnavigator.h"
#include "ui/CommonUI.h"
#include "ui/CommonUIConnectProgress.h"
#include "ui/QMessageBoxPresenter.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>
#include <unistd.h>

namespace limsbridge {

namespace {

// The objects that live as long as the process.
struct ProcessObjects {
    std::unique_ptr<NetInfo> hostNetInfo;
    std::unique_ptr<QORLoggerTXT> logger;
    std::unique_ptr<QORmsgBoxHandler> msgBoxHandler;
    std::unique_ptr<QORConfiguration> config;
    std::unique_ptr<CommonAINFOnavigator> ainfoNavigator;
    std::unique_ptr<QMessageBoxPresenter> presenter;
    std::unique_ptr<ConnectProgressWindow> connectProgress;
    std::unique_ptr<CommonUI> mainWindow;
    std::unique_ptr<CommonNTSERVICE> serviceForm;
};

ProcessObjects& objects()
{
    static ProcessObjects o;
    return o;
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

void createProcessObjects()
{
    ProcessObjects& o = objects();
    o.hostNetInfo = std::make_unique<NetInfo>();
    o.logger = std::make_unique<QORLoggerTXT>();
    o.msgBoxHandler = std::make_unique<QORmsgBoxHandler>();
    o.config = std::make_unique<QORConfiguration>();
    HostNetInfo = o.hostNetInfo.get();
    Logger = o.logger.get();
    MsgBoxHandler = o.msgBoxHandler.get();
    Config = o.config.get();
}

void configureLogger()
{
    Logger->setLogPath(App::Path() + "/log");
    Logger->setEnabled(true);
    Logger->setBufferLength(1);
    Logger->setPostfix(ServiceMode ? "_ntservice" : "_interactive");
    Logger->setLogHandlePath(App::Path() + "/" + App::EXEName() + ".log_handle");
    Logger->setLogHandleAssertion(ServiceMode);
}

void writeBanner()
{
    using namespace VersionInfo;
    const QString version = QString::number(Major) + "." + QString::number(Minor) + "." + QString::number(Revision);
    Logger->WriteLog(QString::fromUtf8(Comments), 0);
    Logger->WriteLog(QString::fromUtf8(Title) + " version " + version + " (Build " + QString::fromUtf8(FileDescription) +
                         ")",
                     0);
    Logger->WriteLog("Build Numbers : " + QString::fromUtf8(FileDescription) + " (Application)  " + "65" +
                         " (Type) " + "149" + " (Platform)",
                     0);
    Logger->WriteLog("ID: " + QString::fromUtf8(ProductName), 0);
    Logger->WriteLog("Running on " + HostNetInfo->AllTextDump(), 0);
}

void registerKeys()
{
    RegisterCoreKeys(*Config, Clock::now());
    CommonAINFOnavigator::DefineTree(*Config);
    objects().ainfoNavigator = std::make_unique<CommonAINFOnavigator>();
    AinfoNavigator = objects().ainfoNavigator.get();
    RegisterMatchingDefaults(*Config);
    RegisterSourceDefaults(*Config);
}

// Reads a whole number from a key, clamps it to [low, high] and writes the
// result back; a text that is not a number gives the fallback.
qint16 clampedSetting(const QString& key, int low, int high, int fallback)
{
    qint16 result = qint16(fallback);
    if (const auto value = Vb::ToDouble(Config->item(key))) {
        // Values beyond the 16-bit range are clamped like any other.
        const double clamped = qBound(double(low), *value, double(high));
        result = Vb::CInt(clamped).value_or(qint16(fallback));
    }
    Config->setItem(key, QString::number(result));
    return result;
}

void applyLogSettings()
{
    const qint16 verbosity = clampedSetting("OPTIONS\\LOG_VERBOSITY", 0, 9, 0);
    Logger->setVerbosity(verbosity);
    Logger->AssertVerbosity();

    const qint16 days = clampedSetting("OPTIONS\\KEEP_LOGS_FOR", 7, 1000, 30);
    Logger->LSM_Init(days);
    Logger->LSM_Run();
}

void writeDiagnostics()
{
    Logger->WriteLog("PATH=" + App::Path(), 2);
    Logger->WriteLog("EXENAME=" + App::EXEName(), 2);
    Logger->WriteLog("COMMAND=" + App::CommandLine(), 2);
    Logger->WriteLog("THREAD_ID=" + QString::number(::gettid()), 2);
    Logger->WriteLog("TASK_VISIBLE=" + yesNo(!ServiceMode), 2);
    Logger->WriteLog("TASK_UNATTENTED_APP=" + yesNo(ServiceMode), 2);
    Logger->WriteLog("HINSTANCE=" + QString::number(::getpid()), 2);
    SetHelpFile();
    Logger->WriteLog("HELPFILE=" + App::HelpFile(), 2);
    Config->dumpConfiguration();
}

void loadCsvValues()
{
    auto yes = [](const char* key) { return Config->item(QString::fromUtf8(key)) == "YES"; };
    auto text = [](const char* key) { return Config->item(QString::fromUtf8(key)); };
    Csv.CsvOutputEnabled = yes("CSV\\CSV_OUTPUT");
    Csv.CsvInputEnabled = yes("CSV\\CSV_INPUT");
    Csv.CsvOutPath = text("CSV\\CSV_OUT_PATH");
    Csv.CsvOutFileName = text("CSV\\CSV_OUT_FILENAME");
    Csv.CsvOutOverwrite = yes("CSV\\CSV_OUT_OVERWRITE");
    Csv.CsvOutScadaStat = yes("CSV\\CSV_OUT_SCADA_STAT");
    Csv.CsvInPath = text("CSV\\CSV_IN_PATH");
    Csv.CsvInFileName = text("CSV\\CSV_IN_FILENAME");
    Csv.CsvExportEnabled = yes("CSV\\CSV_EXPORT");
    Csv.CsvExpUrl = text("CSV\\CSV_EXP_URL");
    Csv.CsvExpUser = text("CSV\\CSV_EXP_USER");
    try {
        Csv.CsvExpPassword = UnscramblePassword(text("CSV\\CSV_EXP_PWD"));
    } catch (const RaisedError& error) {
        // A damaged stored password must not stop the program; the upload will
        // report the failed sign-in.
        Csv.CsvExpPassword.clear();
        Logger->WriteLog("Unable to read CSV\\CSV_EXP_PWD: " + QString::number(error.number()) + " - " +
                             error.description(),
                         0);
    }
    Csv.CsvExpProxy = text("CSV\\CSV_EXP_PROXY");
    Csv.CsvExpPlant = text("CSV\\CSV_EXP_PLANT");
    Csv.CsvExpPlantId = text("CSV\\CSV_EXP_PLANT_ID");
}

} // namespace

bool IsServiceCommandLine(const QString& commandLine)
{
    return commandLine.toUpper() == QLatin1String("NTSERVICE");
}

QString InteractiveCaption()
{
    using namespace VersionInfo;
    return "K" + QString::fromUtf8(ProductName) + " " + QString::fromUtf8(Comments) + " v" + QString::number(Major) +
           "." + QString::number(Minor) + "." + QString::number(Revision) + " - Interactive Mode";
}

bool Main(const QString& commandLine)
{
    App::setCommandLine(commandLine);
    createProcessObjects();
    ServiceMode = IsServiceCommandLine(commandLine);
    configureLogger();
    HostNetInfo->GetNetInfo();
    writeBanner();
    MsgBoxHandler->setLogHandler(Logger);
    MsgBoxHandler->setSilentOperation(ServiceMode);
    if (!ServiceMode) {
        objects().presenter = std::make_unique<QMessageBoxPresenter>();
        MsgBoxHandler->setPresenter(objects().presenter.get());
        objects().connectProgress = std::make_unique<ConnectProgressWindow>();
        setConnectProgress(objects().connectProgress.get());
    }
    Config->setLogHandler(Logger);
    Config->setPath(App::Path() + "/" + App::EXEName() + ".xml");
    registerKeys();

    if (!Config->ReadConfig()) {
        MsgBoxHandler->QorMsgBox("Unable to read configuration at " + Config->path(), 48,
                                 "Unable to start " + QString::fromUtf8(VersionInfo::Title));
        return false;
    }

    applyLogSettings();
    Config->setEncryptData(Config->item("OPTIONS\\ENCRYPT_PROTECT_CONFIG").toUpper() == "YES");
    writeDiagnostics();
    loadCsvValues();

    if (ServiceMode)
        StartServiceMode();
    else
        StartInteractiveMode();
    return true;
}

void StartInteractiveMode()
{
    auto& window = objects().mainWindow;
    window = std::make_unique<CommonUI>();
    window->Form_Load();
    window->setWindowTitle(InteractiveCaption());
    window->show();
}

void StartServiceMode()
{
    auto& form = objects().serviceForm;
    form = std::make_unique<CommonNTSERVICE>();
    form->setCaption(QString::fromUtf8(VersionInfo::ProductName));
    // The CSV-list import is not part of this program yet; the scheduler's
    // headless stand-in logs that nothing was imported from a CSV list.
    ServiceImportRoutines routines = HeadlessServiceImportRoutines();
    routines.ImportAll = ImportAll;
    form->setImportRoutines(std::move(routines));
    form->RunNTService();
}

void RequestEnd(int signal)
{
    if (auto& form = objects().serviceForm)
        form->EndWhenIdle(signal);
    else
        QCoreApplication::quit();
}

void ShutdownProcessObjects()
{
    ProcessObjects& o = objects();
    o.mainWindow.reset();
    setConnectProgress(nullptr);
    o.connectProgress.reset();
    o.serviceForm.reset();
    if (Logger)
        Logger->closeLog();
}

} // namespace limsbridge
