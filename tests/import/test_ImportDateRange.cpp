// The default date range of an import: service mode from the configured
// default last run, the dialogs of interactive mode (through the question
// interface) or the fixed dates, and the UTC variant with its offsets; then
// the per-facility starts from stored last-run rows and lock dates.
#include "core/Clock.h"
#include "core/CoreKeys.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/TimeUtilities.h"
#include "import/DateRangeQuestion.h"
#include "import/ImportDateRange.h"
#include "platform/DbConnection.h"
#include "platform/RaisedError.h"
#include "platform/SystemTimeZone.h"
#include "support/target/TargetEnvironment.h"
#include "target/CommonLastRun.h"
#include "target/CommonVarGatherer.h"
#include "target/ConnectionManager.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

std::string text(const QDateTime& t) {
    return t.toString("yyyy-MM-dd HH:mm:ss").toStdString();
}

const QDateTime kNow = at(2024, 5, 15, 10, 47, 12);

// The dialogs as the user interface would answer them, recording what they were given.
class ScriptedDialogs : public DateRangeQuestion {
public:
    DateRangeAnswer answer;
    int localAsked = 0;
    int utcAsked = 0;
    qint32 zoneId = -1;
    double collectorOffset = 0;
    double interfaceOffset = 0;

    DateRangeAnswer AskDateRange() override {
        ++localAsked;
        return answer;
    }
    DateRangeAnswer AskDateRangeUtc(qint32 id, double collector, double interface) override {
        ++utcAsked;
        zoneId = id;
        collectorOffset = collector;
        interfaceOffset = interface;
        return answer;
    }
};

class ImportDateRangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clock::setFixed(kNow);
        m_logger.setLogPath(m_home.path() + "/log");
        m_logger.setEnabled(true);
        m_logger.setBufferLength(1);
        m_logger.setVerbosity(9);
        RegisterCoreKeys(m_config, kNow);
        Logger = &m_logger;
        Config = &m_config;
        ServiceMode = true;
        setDateRangeQuestion(&m_dialogs);
    }
    void TearDown() override {
        setDateRangeQuestion(nullptr);
        Logger = nullptr;
        Config = nullptr;
        ServiceMode = false;
        ServerOffsetSeconds = 0;
        Clock::setSource({});
    }

    QStringList logLines() const {
        QFile file(m_logger.currentFile());
        QStringList lines;
        if (file.open(QIODevice::ReadOnly))
            for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
                lines << line.mid(11);
        return lines;
    }

    void set(const char* key, const QString& value) { m_config.setItem(QString::fromUtf8(key), value); }

    QTemporaryDir m_home;
    QORLoggerTXT m_logger;
    QORConfiguration m_config;
    ScriptedDialogs m_dialogs;
    CommonLastRun m_lastRun;
    const ImportDateRangeCollector m_collector{7, 60, -300};
};

} // namespace

TEST_F(ImportDateRangeTest, ServiceModeRunsFromTheDefaultLastRunToNow) {
    set("OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN", "03-01-2024 06:30:00");
    ASSERT_TRUE(ChooseImportDateRange(m_lastRun, m_collector));
    // A facility without a last-run row starts at the default start.
    EXPECT_EQ(text(m_lastRun.StartDate("NORTH")), "2024-03-01 06:30:00");
    EXPECT_EQ(text(m_lastRun.enddate("NORTH")), text(kNow));
    EXPECT_EQ(m_dialogs.localAsked + m_dialogs.utcAsked, 0);
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(ImportDateRangeTest, TheStartupDefaultOfTheDefaultLastRunIsYesterday) {
    ASSERT_TRUE(ChooseImportDateRange(m_lastRun, m_collector));
    EXPECT_EQ(text(m_lastRun.StartDate("NORTH")), "2024-05-14 00:00:00");
}

TEST_F(ImportDateRangeTest, DateSettingsAreReadMonthFirstInEitherSeparator) {
    const std::pair<const char*, const char*> forms[] = {
        {"12-31-2023 23:59:58", "2023-12-31 23:59:58"},
        {"12/31/2023 11:59:58 PM", "2023-12-31 23:59:58"},
        {"1/2/2024", "2024-01-02 00:00:00"},
        {"2024-01-02 03:04:05", "2024-01-02 03:04:05"},
    };
    for (const auto& [stored, expected] : forms) {
        set("OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN", stored);
        CommonLastRun lastRun;
        ASSERT_TRUE(ChooseImportDateRange(lastRun, m_collector)) << stored;
        EXPECT_EQ(text(lastRun.StartDate("X")), expected) << stored;
    }
}

TEST_F(ImportDateRangeTest, ADateSettingThatIsNoDateRaisesTypeMismatch) {
    for (const char* bad : {"yesterday", "", "13-45-2024 00:00:00"}) {
        set("OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN", bad);
        try {
            ChooseImportDateRange(m_lastRun, m_collector);
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const RaisedError& error) {
            EXPECT_EQ(error.number(), 13);
            EXPECT_EQ(error.description(), "Type mismatch");
        }
    }
}

TEST_F(ImportDateRangeTest, TheIndirectSwitchIsReadAsABoolean) {
    set("OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN", "03-01-2024 06:30:00");
    // Direct: the start is not shifted; indirect: the collector's 60 minutes come off.
    const std::pair<const char*, const char*> values[] = {
        {"FALSE", "2024-03-01 06:30:00"}, {"false", "2024-03-01 06:30:00"}, {"0", "2024-03-01 06:30:00"},
        {"TRUE", "2024-03-01 05:30:00"},  {"True", "2024-03-01 05:30:00"},  {"-1", "2024-03-01 05:30:00"},
    };
    for (const auto& [value, start] : values) {
        set("ZURIVARU\\G2_INDIRECT_TYPE", value);
        CommonLastRun lastRun;
        ASSERT_TRUE(ChooseImportDateRange(lastRun, m_collector)) << value;
        EXPECT_EQ(text(lastRun.StartDate("X")), start) << value;
    }
    set("ZURIVARU\\G2_INDIRECT_TYPE", "YES");
    EXPECT_THROW(ChooseImportDateRange(m_lastRun, m_collector), RaisedError);
}

TEST_F(ImportDateRangeTest, ServiceModeUtcShiftsBothEndsByTheirOffsets) {
    set("OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN", "03-01-2024 00:00:00");
    // The server's clock runs 20 minutes ahead: 11:07 there, cut to 11:00.
    ServerOffsetSeconds = 20 * 60;
    ASSERT_TRUE(ChooseImportDateRangeUtc(m_lastRun, m_collector));
    // Start: minus the collector's +60 minutes; end: minus this computer's -300 minutes.
    EXPECT_EQ(text(m_lastRun.StartDate("X")), "2024-02-29 23:00:00");
    EXPECT_EQ(text(m_lastRun.enddate("X")), "2024-05-15 16:00:00");
    EXPECT_TRUE(
        logLines().contains("NT Service UTC Dates from: 2/29/2024 11:00:00 PM to 5/15/2024 4:00:00 PM"));

    // At verbosity 4 the line is not written.
    m_logger.setVerbosity(4);
    CommonLastRun quiet;
    ASSERT_TRUE(ChooseImportDateRangeUtc(quiet, m_collector));
    EXPECT_EQ(logLines().count("NT Service UTC Dates from: 2/29/2024 11:00:00 PM to 5/15/2024 4:00:00 PM"),
              1);
}

TEST_F(ImportDateRangeTest, InteractiveModeAsksTheDialogAndWritesTheRange) {
    ServiceMode = false;
    m_dialogs.answer = {false, at(2024, 5, 14), at(2024, 5, 15, 10, 47)};
    ASSERT_TRUE(ChooseImportDateRange(m_lastRun, m_collector));
    EXPECT_EQ(m_dialogs.localAsked, 1);
    EXPECT_EQ(text(m_lastRun.StartDate("X")), "2024-05-14 00:00:00");
    EXPECT_EQ(text(m_lastRun.enddate("X")), "2024-05-15 10:47:00");
    const QStringList expected = {"Waiting for user to select import date range ...",
                                  "Date Range selected : from 05/14/2024 00:00:00 to 05/15/2024 10:47:00"};
    EXPECT_EQ(logLines(), expected);
}

TEST_F(ImportDateRangeTest, CancellingEitherDialogStopsTheImport) {
    ServiceMode = false;
    m_lastRun.setDefaultStart(at(2000, 1, 1));
    m_dialogs.answer = {true, at(2024, 5, 1), at(2024, 5, 2)};
    EXPECT_FALSE(ChooseImportDateRange(m_lastRun, m_collector));
    EXPECT_FALSE(ChooseImportDateRangeUtc(m_lastRun, m_collector));
    EXPECT_EQ(logLines().count("Import cancelled by user."), 2);
    EXPECT_EQ(text(m_lastRun.StartDate("X")), "2000-01-01 00:00:00");
}

TEST_F(ImportDateRangeTest, OnlyTheExactWordTrueSwitchesTheDialogOff) {
    ServiceMode = false;
    set("OPTIONS\\NOIU\\ASKFORDATES\\FIX_STARTDATE", "04-02-2024 01:02:03");
    set("OPTIONS\\NOIU\\ASKFORDATES\\FIX_ENDDATE", "04-03-2024 04:05:06");
    m_dialogs.answer = {false, at(2024, 5, 1), at(2024, 5, 2)};

    set("OPTIONS\\NOIU\\ASKFORDATES\\HIDE_UI", "True");
    ASSERT_TRUE(ChooseImportDateRange(m_lastRun, m_collector));
    EXPECT_EQ(m_dialogs.localAsked, 1);
    EXPECT_EQ(text(m_lastRun.StartDate("A")), "2024-05-01 00:00:00");

    set("OPTIONS\\NOIU\\ASKFORDATES\\HIDE_UI", "TRUE");
    const qsizetype linesBefore = logLines().size();
    for (const char* indirect : {"FALSE", "TRUE"}) {
        set("ZURIVARU\\G2_INDIRECT_TYPE", indirect);
        CommonLastRun lastRun;
        ASSERT_TRUE(ChooseImportDateRange(lastRun, m_collector));
        // The fixed dates are used as they are, without any zone shift.
        EXPECT_EQ(text(lastRun.StartDate("B")), "2024-04-02 01:02:03") << indirect;
        EXPECT_EQ(text(lastRun.enddate("B")), "2024-04-03 04:05:06") << indirect;
    }
    EXPECT_EQ(m_dialogs.localAsked, 1);
    EXPECT_EQ(m_dialogs.utcAsked, 0);
    EXPECT_EQ(logLines().size(), linesBefore);
}

TEST_F(ImportDateRangeTest, InteractiveUtcPassesTheCollectorToTheDialogAndTakesItsUtcRange) {
    ServiceMode = false;
    set("ZURIVARU\\G2_INDIRECT_TYPE", "TRUE");
    m_dialogs.answer = {false, at(2024, 5, 14, 9), at(2024, 5, 15, 9, 30)};
    ASSERT_TRUE(ChooseImportDateRange(m_lastRun, m_collector));
    EXPECT_EQ(m_dialogs.utcAsked, 1);
    EXPECT_EQ(m_dialogs.zoneId, 7);
    EXPECT_EQ(m_dialogs.collectorOffset, 60);
    EXPECT_EQ(m_dialogs.interfaceOffset, -300);
    EXPECT_EQ(text(m_lastRun.StartDate("X")), "2024-05-14 09:00:00");
    EXPECT_EQ(text(m_lastRun.enddate("X")), "2024-05-15 09:30:00");
    EXPECT_TRUE(logLines().contains("Date Range selected : from 05/14/2024 09:00:00 to 05/15/2024 09:30:00"));
}

TEST_F(ImportDateRangeTest, TheHeadlessDialogsConfirmWhatTheDialogsPreselect) {
    setDateRangeQuestion(nullptr);
    const DateRangeAnswer local = dateRangeQuestion().AskDateRange();
    EXPECT_FALSE(local.WasCancelled);
    EXPECT_EQ(text(local.start), "2024-05-14 00:00:00");
    EXPECT_EQ(text(local.end), "2024-05-15 10:47:00");

    // Collector +60, this computer -300: 10:47 here is 16:47 at the collector;
    // its "yesterday and today" comes back in UTC, one hour earlier.
    const DateRangeAnswer utc = dateRangeQuestion().AskDateRangeUtc(7, 60, -300);
    EXPECT_FALSE(utc.WasCancelled);
    EXPECT_EQ(text(utc.start), "2024-05-13 23:00:00");
    EXPECT_EQ(text(utc.end), "2024-05-15 15:47:00");
}

// Against the plant database: the gatherer's collector offsets, stored last
// runs and lock dates decide each facility's start.
TEST(ImportDateRangeWithPlant, FacilitiesStartAtTheirLastRunOrLockDate) {
    LB_REQUIRE_PG();
    Clock::setFixed(kNow);
    SystemTimeZone::setZone(QTimeZone("America/New_York"));
    {
        TargetEnvironment env(2);
        ASSERT_TRUE(env.addFacility("NORTH", "North plant"));
        ASSERT_TRUE(env.addFacility("SOUTH", "South plant"));
        ASSERT_TRUE(env.addFacility("EAST", "East plant"));
        ASSERT_TRUE(env.plant().addTimeZone(5, "Central Europe"));
        ASSERT_TRUE(env.plant().setTimeZoneBias(5, 2024, -60, -60));
        ASSERT_EQ(env.plant().addCollector("Lab", 12, 5), 12);
        ASSERT_TRUE(env.plant().setLastRun(12, "SOUTH", at(2024, 5, 10, 8)));
        ASSERT_TRUE(env.plant().setLastRun(12, "EAST", at(2024, 4, 1)));
        // Later than the default start and than EAST's last run, earlier than the end.
        ASSERT_TRUE(env.plant().setLockDate("EAST", at(2024, 5, 12)));
        env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN", "05-01-2024 00:00:00");

        CommonVarGatherer gatherer;
        {
            ConnectionManager manager;
            ASSERT_TRUE(ConfigureConnectionManager(manager));
            DbConnection root;
            manager.ConfigCnn4QORROOT(root);
            ASSERT_NO_THROW(root.Open());
            ASSERT_TRUE(gatherer.ReadAboutCollector(12, root));
            ASSERT_TRUE(gatherer.LookupLastRun->ReadZuriVARU(12, root));
        }
        ASSERT_TRUE(gatherer.LookupLastRun->ReadZuriVARUFacilLockDates("NORTH~SOUTH~EAST"));

        ASSERT_TRUE(ChooseImportDateRange(gatherer));
        CommonLastRun& lastRun = *gatherer.LookupLastRun;
        EXPECT_EQ(text(lastRun.StartDate("NORTH")), "2024-05-01 00:00:00");
        EXPECT_EQ(text(lastRun.StartDate("SOUTH")), "2024-05-10 08:00:00");
        EXPECT_EQ(text(lastRun.StartDate("EAST")), "2024-05-12 00:00:00");
        EXPECT_EQ(text(lastRun.enddate("NORTH")), text(kNow));
        EXPECT_FALSE(lastRun.ViolatesLockDate("EAST"));

        // The same collector marked as storing UTC: the default start moves by
        // the collector's +60 minutes, the end by New York's -240 (daylight time).
        env.config().setItem("ZURIVARU\\G2_INDIRECT_TYPE", "TRUE");
        ASSERT_TRUE(ChooseImportDateRange(gatherer));
        EXPECT_EQ(gatherer.CollectorTimeZoneOffset(), 60);
        EXPECT_EQ(gatherer.InterfaceTimezoneOffset(), -240);
        EXPECT_EQ(text(lastRun.StartDate("WEST")), "2024-04-30 23:00:00");
        EXPECT_EQ(text(lastRun.enddate("NORTH")), "2024-05-15 14:00:00");
        EXPECT_TRUE(env.logLines().contains(
            "NT Service UTC Dates from: 4/30/2024 11:00:00 PM to 5/15/2024 2:00:00 PM"));
        // Stored last runs and lock dates still win over the shifted default.
        EXPECT_EQ(text(lastRun.StartDate("SOUTH")), "2024-05-10 08:00:00");
        EXPECT_EQ(text(lastRun.StartDate("EAST")), "2024-05-12 00:00:00");
    }
    SystemTimeZone::setZone(QTimeZone());
    ServiceMode = false;
    Clock::setSource({});
}
