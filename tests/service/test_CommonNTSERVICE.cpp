// The scheduler of service mode, driven by a test clock and direct ticks: when
// imports run, that they never overlap, how a broken configuration or a
// failing import is survived, how a stop request waits for a running import,
// and that hundreds of runs leave no connections or timers behind.
#include "core/Clock.h"
#include "core/CoreKeys.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "platform/DbConnection.h"
#include "platform/RaisedError.h"
#include "platform/TerminationSignals.h"
#include "service/CommonNTSERVICE.h"
#include "service/QORTimer.h"
#include "support/target/TargetEnvironment.h"
#include "target/CommonVarGatherer.h"
#include "target/ConnectionManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <stdexcept>

#include <gtest/gtest.h>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "test_CommonNTSERVICE";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

QDateTime at(int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(2024, 5, day), QTime(hour, minute, second));
}

std::string text(const QDateTime& t) {
    return t.toString("yyyy-MM-dd HH:mm:ss").toStdString();
}

QString sleepLine(const QDateTime& next) {
    return "Going to Sleep mode. Will next wake up at : " + next.toString("MM/dd/yyyy HH:mm:ss");
}

int openFileDescriptors() {
    return int(QDir("/proc/self/fd").entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size());
}

// The process-wide logger and configuration of service mode, in a temporary
// home, with a clock the test moves by hand.
class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override {
        application();
        m_now = at(15, 10, 0);
        Clock::setSource([this] { return m_now; });
        m_logger.setLogPath(m_home.path() + "/log");
        m_logger.setEnabled(true);
        m_logger.setBufferLength(1);
        m_logger.setVerbosity(0);
        m_config.setLogHandler(&m_logger);
        m_config.setPath(m_home.path() + "/limsbridge.xml");
        RegisterCoreKeys(m_config, m_now);
        Logger = &m_logger;
        Config = &m_config;
        ServiceMode = true;
        Csv = CsvSettings();
    }
    void TearDown() override {
        Logger = nullptr;
        Config = nullptr;
        ServiceMode = false;
        Csv = CsvSettings();
        Clock::setSource({});
    }

    //! Changes a schedule setting in the file, where the scheduler reads it from.
    void save(const std::initializer_list<std::pair<const char*, const char*>>& values) {
        for (const auto& [key, value] : values)
            m_config.setItem(QString::fromUtf8(key), QString::fromUtf8(value));
        ASSERT_TRUE(m_config.SaveConfig());
    }
    void schedule(const char* hourly, const char* hourlyMinute, const char* minutely,
                  const char* minutelyMinute, const char* dailyHour = "0", const char* dailyMinute = "1") {
        save({{"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\HOURLY", hourly},
              {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\HOURLY_MINUTE", hourlyMinute},
              {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\MINUTELY", minutely},
              {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\MINUTELY_MINUTE", minutelyMinute},
              {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\DAILY_HOUR", dailyHour},
              {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\DAILY_MINUTE", dailyMinute}});
    }

    //! A form whose imports are counted and stamped with the clock.
    std::unique_ptr<CommonNTSERVICE> makeForm() {
        auto form = std::make_unique<CommonNTSERVICE>();
        form->setImportRoutines({[this](bool testMode) {
                                     EXPECT_FALSE(testMode);
                                     m_runs << m_now;
                                     if (m_duringImport)
                                         m_duringImport();
                                 },
                                 [this](bool) { ++m_csvRuns; }});
        return form;
    }

    //! Minute ticks from the current time up to and including the given moment.
    void tickUntil(CommonNTSERVICE& form, const QDateTime& until) {
        while (m_now.addSecs(60) <= until) {
            m_now = m_now.addSecs(60);
            form.SchedulerTimer()->RaiseTimer();
        }
    }

    QStringList logLines() const {
        QFile file(m_logger.currentFile());
        QStringList lines;
        if (!m_logger.currentFile().isEmpty() && file.open(QIODevice::ReadOnly))
            for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
                lines << line.mid(11);
        return lines;
    }

    QTemporaryDir m_home;
    QORLoggerTXT m_logger;
    QORConfiguration m_config;
    QDateTime m_now;
    QList<QDateTime> m_runs;
    int m_csvRuns = 0;
    std::function<void()> m_duringImport;
};

} // namespace

TEST_F(SchedulerTest, DailyStartedAfterItsTimeRunsAtOnceThenTomorrow) {
    schedule("NO", "1", "NO", "10", "0", "1");
    auto form = makeForm();
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 00:01:00");
    form->RunNTService();

    QORTimer* timer = form->SchedulerTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->id(), "NTService_Scheduler");
    EXPECT_EQ(timer->Interval(), 60000);
    EXPECT_TRUE(timer->Enabled());
    ASSERT_EQ(m_runs.size(), 1);
    EXPECT_EQ(text(m_runs[0]), "2024-05-15 10:00:00");
    EXPECT_EQ(text(form->NextRun()), "2024-05-16 00:01:00");
    EXPECT_EQ(logLines().last(), sleepLine(at(16, 0, 1)));

    tickUntil(*form, at(16, 0, 0));
    EXPECT_EQ(m_runs.size(), 1);
    tickUntil(*form, at(16, 0, 1));
    ASSERT_EQ(m_runs.size(), 2);
    EXPECT_EQ(text(m_runs[1]), "2024-05-16 00:01:00");
    EXPECT_EQ(text(form->NextRun()), "2024-05-17 00:01:00");
}

TEST_F(SchedulerTest, HourlyStartedAfterItsMinuteRunsAtOnce) {
    m_now = at(15, 10, 20);
    schedule("YES", "15", "NO", "10");
    auto form = makeForm();
    form->RunNTService();
    ASSERT_EQ(m_runs.size(), 1);
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 11:15:00");
    tickUntil(*form, at(15, 11, 14));
    EXPECT_EQ(m_runs.size(), 1);
    tickUntil(*form, at(15, 12, 15));
    ASSERT_EQ(m_runs.size(), 3);
    EXPECT_EQ(text(m_runs[1]), "2024-05-15 11:15:00");
    EXPECT_EQ(text(m_runs[2]), "2024-05-15 12:15:00");
}

TEST_F(SchedulerTest, HourlyStartedBeforeItsMinuteWaitsForIt) {
    m_now = at(15, 10, 5);
    schedule("YES", "15", "NO", "10");
    auto form = makeForm();
    form->RunNTService();
    EXPECT_TRUE(m_runs.isEmpty());
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 10:15:00");
    EXPECT_TRUE(logLines().filter("Going to Sleep mode").isEmpty());
    tickUntil(*form, at(15, 10, 15));
    ASSERT_EQ(m_runs.size(), 1);
    EXPECT_EQ(text(m_runs[0]), "2024-05-15 10:15:00");
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 11:15:00");
    EXPECT_EQ(logLines().last(), sleepLine(at(15, 11, 15)));
}

TEST_F(SchedulerTest, HourlyWinsWhenBothSwitchesAreOnAndDailyAppliesWhenNeither) {
    m_now = at(15, 10, 20);
    schedule("YES", "15", "YES", "10");
    auto hourly = makeForm();
    hourly->RunNTService();
    EXPECT_EQ(text(hourly->NextRun()), "2024-05-15 11:15:00");

    save({{"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\DAILY", "NO"}});
    schedule("NO", "15", "NO", "10", "6", "30");
    auto daily = makeForm();
    daily->RunNTService();
    EXPECT_EQ(text(daily->NextRun()), "2024-05-16 06:30:00");
}

TEST_F(SchedulerTest, MinutelyCountsFromTheTickThatStartedThePreviousRun) {
    m_now = at(15, 10, 0, 30);
    schedule("NO", "1", "YES", "10");
    auto form = makeForm();
    form->RunNTService();
    tickUntil(*form, at(15, 11, 0, 30));
    QStringList runs;
    for (const QDateTime& run : m_runs)
        runs << run.toString("HH:mm:ss");
    EXPECT_EQ(runs, QStringList({"10:00:30", "10:10:30", "10:20:30", "10:30:30", "10:40:30", "10:50:30",
                                 "11:00:30"}));
}

TEST_F(SchedulerTest, ALongImportIsNeverOverlappedAndDelaysTheNextRun) {
    m_now = at(15, 10, 15);
    schedule("YES", "15", "NO", "10");
    auto form = makeForm();
    int ticksDuringImport = 0;
    m_duringImport = [&] {
        if (m_runs.size() != 1)
            return;
        EXPECT_TRUE(form->Busy());
        // The import lets events run while it works past the next due time:
        // every tick that arrives meanwhile returns at once.
        for (int minute = 0; minute < 85; ++minute) {
            m_now = m_now.addSecs(60);
            form->SchedulerTimer()->RaiseTimer();
            ++ticksDuringImport;
        }
    };
    form->RunNTService();
    EXPECT_EQ(ticksDuringImport, 85);
    ASSERT_EQ(m_runs.size(), 1);
    EXPECT_FALSE(form->Busy());
    EXPECT_EQ(text(m_now), "2024-05-15 11:40:00");
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 11:15:00");

    // The first tick after it ends runs the delayed import; the one after
    // counts from that tick.
    tickUntil(*form, at(15, 11, 41));
    ASSERT_EQ(m_runs.size(), 2);
    EXPECT_EQ(text(m_runs[1]), "2024-05-15 11:41:00");
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 12:15:00");
}

TEST_F(SchedulerTest, AScheduleChangeFirstDecidesTheSecondRunAfterIt) {
    m_now = at(15, 10, 15);
    schedule("YES", "15", "NO", "10");
    auto form = makeForm();
    form->RunNTService();
    save({{"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\HOURLY_MINUTE", "45"}});
    m_config.setItem("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\HOURLY_MINUTE", "15"); // still the loaded value
    tickUntil(*form, at(15, 11, 15));
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 12:15:00");
    tickUntil(*form, at(15, 12, 15));
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 13:45:00");
    EXPECT_EQ(m_runs.size(), 3);
}

TEST_F(SchedulerTest, ABrokenConfigurationFileSkipsTheRunAndTheSchedulerGoesOn) {
    m_now = at(15, 10, 15);
    schedule("YES", "15", "NO", "10");
    auto form = makeForm();
    form->RunNTService();
    ASSERT_EQ(m_runs.size(), 1);

    {
        QFile file(m_config.path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("<configuration><data>half a file");
    }
    const qsizetype before = logLines().size();
    tickUntil(*form, at(15, 11, 15));
    EXPECT_EQ(m_runs.size(), 1);
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 12:15:00");
    const QStringList tickLines = logLines().mid(before);
    EXPECT_TRUE(tickLines.contains("LoadXML() failed in QORConfiguration.ReadConfig()."))
        << tickLines.join("\n").toStdString();
    EXPECT_TRUE(tickLines.filter("Going to Sleep mode").isEmpty());
    EXPECT_FALSE(form->Busy());

    // Repaired before the next due time: that run happens as planned.
    ASSERT_TRUE(m_config.SaveConfig());
    tickUntil(*form, at(15, 12, 15));
    ASSERT_EQ(m_runs.size(), 2);
    EXPECT_EQ(text(m_runs[1]), "2024-05-15 12:15:00");
}

TEST_F(SchedulerTest, AMinuteThatIsNoNumberIsLoggedAndACorrectedFileIsPickedUp) {
    m_now = at(15, 10, 15);
    schedule("YES", "15", "NO", "10");
    auto form = makeForm();
    form->RunNTService();
    // The bad value arrives with the next run's read of the file...
    save({{"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\HOURLY_MINUTE", "quarter past"}});
    m_config.setItem("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\HOURLY_MINUTE", "15");
    tickUntil(*form, at(15, 11, 15));
    ASSERT_EQ(m_runs.size(), 2);
    // ...and the run after it cannot be scheduled: logged, no import, still due.
    tickUntil(*form, at(15, 12, 15));
    EXPECT_EQ(m_runs.size(), 2);
    EXPECT_TRUE(logLines().contains("Unable to compute the next scheduled run: 13 - Type mismatch"));
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 12:15:00");

    // Once the file holds a number again, the next tick reads it and runs.
    m_config.setItem("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\HOURLY_MINUTE", "30");
    ASSERT_TRUE(m_config.SaveConfig());
    m_config.setItem("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\HOURLY_MINUTE", "quarter past"); // still loaded
    tickUntil(*form, at(15, 12, 16)); // reads the repaired file
    tickUntil(*form, at(15, 12, 17));
    ASSERT_EQ(m_runs.size(), 3);
    EXPECT_EQ(text(m_runs[2]), "2024-05-15 12:17:00");
    EXPECT_EQ(text(form->NextRun()), "2024-05-15 13:30:00");
}

TEST_F(SchedulerTest, AnErrorRaisedByTheImportIsLoggedAndTheSchedulerGoesOn) {
    m_now = at(15, 10, 15);
    schedule("YES", "15", "NO", "10");
    auto form = makeForm();
    m_duringImport = [&] {
        if (m_runs.size() == 1)
            throw RaisedError(3021, "Either BOF or EOF is True, or the current record has been deleted.");
        if (m_runs.size() == 2)
            throw std::runtime_error("out of disk space");
    };
    form->RunNTService();
    EXPECT_FALSE(form->Busy());
    EXPECT_TRUE(form->SchedulerTimer()->Enabled());
    QStringList lines = logLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[lines.size() - 2],
              "CommonNTSERVICE.SchedulerTimer_Timer Error: 3021 - Either BOF or EOF is "
              "True, or the current record has been deleted.");
    EXPECT_EQ(lines.last(), sleepLine(at(15, 11, 15)));

    tickUntil(*form, at(15, 11, 15));
    EXPECT_TRUE(logLines().contains("CommonNTSERVICE.SchedulerTimer_Timer Error: 0 - out of disk space"));
    tickUntil(*form, at(15, 12, 15));
    EXPECT_EQ(m_runs.size(), 3);
    EXPECT_EQ(logLines().last(), sleepLine(at(15, 13, 15)));
}

TEST_F(SchedulerTest, EachRunTakesTheVerbosityOfTheFile) {
    m_now = at(15, 10, 15);
    schedule("YES", "15", "NO", "10");
    save({{"OPTIONS\\LOG_VERBOSITY", "12"}});
    auto form = makeForm();
    form->RunNTService();
    EXPECT_EQ(m_logger.Verbosity(), 12) << "not clamped at a run";
    save({{"OPTIONS\\LOG_VERBOSITY", "loud"}});
    tickUntil(*form, at(15, 11, 15));
    EXPECT_EQ(m_logger.Verbosity(), 12) << "a value that is no number keeps the verbosity";
    save({{"OPTIONS\\LOG_VERBOSITY", "3"}});
    tickUntil(*form, at(15, 12, 15));
    EXPECT_EQ(m_logger.Verbosity(), 3);
}

TEST_F(SchedulerTest, CsvInputRunsTheCsvImportInstead) {
    schedule("NO", "1", "NO", "10");
    Csv.CsvInputEnabled = true;
    auto form = makeForm();
    form->RunNTService();
    EXPECT_EQ(m_csvRuns, 1);
    EXPECT_TRUE(m_runs.isEmpty());
}

TEST_F(SchedulerTest, WithoutImportRoutinesARunOnlyLogs) {
    schedule("NO", "1", "NO", "10");
    CommonNTSERVICE form;
    EXPECT_EQ(form.Caption(), "NTSERVICE MODE");
    form.RunNTService();
    const QStringList lines = logLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[lines.size() - 2],
              "ImportAll(False) is not available in this program; nothing was imported.");
    EXPECT_EQ(lines.last(), sleepLine(at(16, 0, 1)));
}

TEST_F(SchedulerTest, StopTurnsTheTimerOff) {
    schedule("NO", "1", "NO", "10");
    auto form = makeForm();
    form->RunNTService();
    ASSERT_TRUE(form->SchedulerTimer()->Enabled());
    EXPECT_EQ(form->SchedulerTimer()->findChildren<QTimer*>().size(), 1);
    form->cmdStop_Click();
    EXPECT_FALSE(form->SchedulerTimer()->Enabled());
    EXPECT_TRUE(form->SchedulerTimer()->findChildren<QTimer*>().isEmpty());
}

// SIGTERM in the middle of an import: the import finishes its writes, the
// event loop ends only after the tick returned, and the log holds the run's
// last line.
TEST_F(SchedulerTest, ATerminationSignalDuringARunEndsTheLoopOnlyAfterIt) {
    m_now = at(15, 10, 15);
    schedule("YES", "15", "NO", "10");
    auto form = makeForm();
    TerminationSignals termination([&](int signal) { form->EndWhenIdle(signal); });
    QStringList steps;
    m_duringImport = [&] {
        if (m_runs.size() != 2)
            return;
        steps << "first write";
        ::raise(SIGTERM);
        // The run waits in a local event loop (as a synchronous HTTP request
        // does); the signal is delivered there and must not end that loop.
        QEventLoop wait;
        QTimer::singleShot(50, [&] { wait.exit(7); });
        EXPECT_EQ(wait.exec(), 7);
        EXPECT_TRUE(form->StopRequested());
        steps << "second write";
        m_logger.WriteLog("last write of the run", 0);
    };
    form->RunNTService();
    // The next due tick arrives from the running event loop.
    QTimer::singleShot(0, [&] { tickUntil(*form, at(15, 11, 15)); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); }); // a safety net only
    const int exitCode = QCoreApplication::exec();
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(steps, QStringList({"first write", "second write"}));
    EXPECT_FALSE(form->SchedulerTimer()->Enabled());

    m_logger.closeLog();
    const QStringList lines = logLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[lines.size() - 3],
              "Service mode end requested (signal 15); ending when the running import returns.");
    EXPECT_EQ(lines[lines.size() - 2], "last write of the run");
    EXPECT_EQ(lines.last(), sleepLine(at(15, 12, 15)));
}

TEST_F(SchedulerTest, AnEndRequestWhileIdleEndsTheLoopAtOnce) {
    schedule("NO", "1", "NO", "10");
    auto form = makeForm();
    form->RunNTService();
    QTimer::singleShot(0, [&] { form->EndWhenIdle(2); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(logLines().last(), "Service mode end requested (signal 2).");
    EXPECT_FALSE(form->SchedulerTimer()->Enabled());
}

// Months of service in a few hundred runs: every run re-reads the file and
// opens and closes plant-database connections; nothing may accumulate.
TEST_F(SchedulerTest, HundredsOfRunsLeaveNothingBehind) {
    LB_REQUIRE_PG();
    TargetEnvironment env(2);
    // The environment brings its own logger and configuration; the scheduler works on them.
    ASSERT_TRUE(env.plant().addTimeZone(5, "Central Europe"));
    ASSERT_TRUE(env.plant().setTimeZoneBias(5, 2024, -60, -60));
    ASSERT_EQ(env.plant().addCollector("Lab", 12, 5), 12);
    env.logger().setVerbosity(0);
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\MINUTELY", "YES");
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\MINUTELY_MINUTE", "1");
    ASSERT_TRUE(env.config().SaveConfig());

    int imports = 0;
    auto readCollector = [&](bool) {
        ConnectionManager manager;
        if (!ConfigureConnectionManager(manager))
            throw RaisedError(1, "no connection manager");
        DbConnection root;
        manager.ConfigCnn4QORROOT(root);
        root.Open();
        CommonVarGatherer gatherer;
        if (!gatherer.ReadAboutCollector(12, root))
            throw RaisedError(2, "no collector");
        ++imports;
        // Every tenth run fails half-way, with its connection still open.
        if (imports % 10 == 0)
            throw RaisedError(3, "failed half-way");
    };
    CommonNTSERVICE form;
    form.setImportRoutines({readCollector, readCollector});
    form.RunNTService();
    tickUntil(form, m_now.addSecs(10 * 60));

    const QStringList connections = QSqlDatabase::connectionNames();
    const int descriptors = openFileDescriptors();
    const int children = int(form.findChildren<QObject*>().size());
    const int importsBefore = imports;
    tickUntil(form, m_now.addSecs(200 * 60));

    EXPECT_EQ(imports - importsBefore, 200);
    EXPECT_EQ(QSqlDatabase::connectionNames(), connections);
    EXPECT_EQ(openFileDescriptors(), descriptors);
    EXPECT_EQ(int(form.findChildren<QObject*>().size()), children);
    EXPECT_EQ(form.findChildren<QTimer*>().size(), 1);
    EXPECT_FALSE(form.Busy());
    EXPECT_EQ(env.logLines().filter("Error: 3 - failed half-way").size(), 21);
}
