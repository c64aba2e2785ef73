// Last-run rows, lock dates and recalculation requests against the substitute
// plant database, in both SQL dialects.
#include "core/AppInfo.h"
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "platform/DbConnection.h"
#include "platform/DbValue.h"
#include "platform/NetInfo.h"
#include "support/target/TargetEnvironment.h"
#include "target/AuditUser.h"
#include "target/CommonLastRun.h"
#include "target/CommonLastRunReadWrite.h"
#include "target/ConnectionManager.h"
#include "target/DateText.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

const QDateTime kNow(QDate(2024, 3, 6), QTime(8, 0));

// Host facts chosen by the test, so the recorded columns can be checked exactly.
class FixedHost : public NetInfo {
protected:
    RawFacts readRawFacts() const override {
        RawFacts facts;
        facts.osFamily = "Linux";
        facts.osRelease = "6.1.0";
        facts.homeFolder = "/home/lab";
        facts.hostName = "LABPC07";
        facts.userName = "analyst";
        facts.ipv4Address = "10.1.2.3";
        return facts;
    }
};

class LastRunTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        Clock::setFixed(kNow);
        m_host.GetNetInfo();
        HostNetInfo = &m_host;
    }
    void TearDown() override {
        HostNetInfo = nullptr;
        ServiceMode = false;
        Clock::setSource({});
    }

    static void openRoot(DbConnection& root) {
        ConnectionManager manager;
        ASSERT_TRUE(ConfigureConnectionManager(manager));
        manager.ConfigCnn4QORROOT(root);
        ASSERT_NO_THROW(root.Open());
    }

    static bool hasLine(const QStringList& lines, const QString& line) { return lines.contains(line); }

    FixedHost m_host;
};

} // namespace

TEST_P(LastRunTest, PersistWritesTheRowWithHostColumnsAndReadsItBack) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\SUBMIT_CALC_REQUEST", "NO");
    CommonLastRun lastRun;
    const QDateTime first(QDate(2024, 3, 5), QTime(13, 30));
    ASSERT_TRUE(lastRun.PersistLastRunDate(7, "NORTH", first));

    QList<QVariantMap> rows = env.plant().rows("select * from qorroot.g2_server_run");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["interface_id"].toInt(), 7);
    EXPECT_EQ(rows[0]["filename"].toString(), "NORTH");
    EXPECT_EQ(DbValue::dateOf(rows[0]["lastrun"]), first);
    EXPECT_EQ(rows[0]["audituser"].toString(), CurrentAuditUser());
    EXPECT_EQ(DbValue::dateOf(rows[0]["audittimestamp"]), kNow);
    EXPECT_EQ(rows[0]["workstation"].toString(), "LABPC07");
    EXPECT_EQ(rows[0]["netuser"].toString(), "analyst");
    EXPECT_EQ(rows[0]["ip"].toString(), "10.1.2.3");
    EXPECT_EQ(rows[0]["localpath"].toString(), App::Path());

    const QString sql =
        "SQL Select AUDITUSER,AUDITTIMESTAMP,interface_id,FileName,LASTRUN,WorkStation,NetUser,IP,"
        "LOCALPATH from g2_server_run where interface_id = 7 and filename='NORTH'";
    const QStringList expected = {"PersistLastRunDate: About to Setup connection",
                                  "PersistLastRunDate: About to get NetInfo",
                                  "NetInfo Complete: IP=10.1.2.3",
                                  "QORROOT Connection Opened",
                                  sql,
                                  "Record not found, adding",
                                  "Audit Fields set",
                                  "InterfaceID,FileName, LastRun set7 NORTH 3/5/2024 1:30:00 PM",
                                  "PC Info Set",
                                  "Rec Updated",
                                  "Updated Last Run Date for facility NORTH to 3/5/2024 1:30:00 PM"};
    QStringList lines = env.logLines();
    const qsizetype start = lines.indexOf(expected.first());
    ASSERT_GE(start, 0);
    EXPECT_EQ(lines.mid(start, expected.size()), expected);

    // A second run changes the same row instead of adding one.
    const QDateTime second(QDate(2024, 3, 6), QTime(0, 0));
    ASSERT_TRUE(lastRun.PersistLastRunDate(7, "NORTH", second));
    rows = env.plant().rows("select * from qorroot.g2_server_run");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(DbValue::dateOf(rows[0]["lastrun"]), second);
    EXPECT_EQ(env.logLines().count("Record not found, adding"), 1);
    EXPECT_TRUE(hasLine(env.logLines(), "Updated Last Run Date for facility NORTH to 3/6/2024"));

    DbConnection root;
    openRoot(root);
    CommonLastRunReadWrite viewer;
    QDateTime read;
    ASSERT_TRUE(viewer.ReadLastRunInfo("NORTH", root, read, 7));
    EXPECT_EQ(read, second);
    EXPECT_EQ(viewer.LastRun(), "3/6/2024");
    EXPECT_EQ(viewer.AuditUser(), CurrentAuditUser());
    EXPECT_EQ(viewer.FacilityID(), "NORTH");
    EXPECT_EQ(viewer.WorkStation(), "LABPC07");
    EXPECT_EQ(viewer.NetUser(), "analyst");
    EXPECT_EQ(viewer.IP(), "10.1.2.3");
    EXPECT_EQ(viewer.LocalPath(), App::Path());
}

TEST_P(LastRunTest, AQuoteInTheFacilityNameCannotWidenTheStatement) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\SUBMIT_CALC_REQUEST", "NO");
    ASSERT_TRUE(env.plant().setLastRun(7, "NORTH", QDateTime(QDate(2024, 1, 1), QTime(0, 0))));
    CommonLastRun lastRun;
    const QString hostile = "NORTH' OR 'A'='A";
    ASSERT_TRUE(lastRun.PersistLastRunDate(7, hostile, QDateTime(QDate(2024, 3, 5), QTime(0, 0))));
    EXPECT_EQ(
        env.plant().scalar("select lastrun from qorroot.g2_server_run where filename = 'NORTH'").toDateTime(),
        QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    EXPECT_EQ(env.plant()
                  .scalar("select count(*) from qorroot.g2_server_run where filename = " +
                          PlantDb::literal(hostile))
                  .toInt(),
              1);
}

TEST_P(LastRunTest, PersistFailuresReturnFalseWithTheErrorLine) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\SUBMIT_CALC_REQUEST", "NO");
    CommonLastRun lastRun;
    env.plant().exec("DROP TABLE qorroot.g2_server_run");
    EXPECT_FALSE(lastRun.PersistLastRunDate(7, "NORTH", kNow));
    const QStringList lines = env.logLines();
    const auto errorLine = std::find_if(lines.begin(), lines.end(), [](const QString& line) {
        return line.startsWith("PersistLastRunDate Error: ");
    });
    ASSERT_NE(errorLine, lines.end());
    EXPECT_TRUE(
        errorLine->contains(QRegularExpression("^PersistLastRunDate Error: -?\\d+ - .*g2_server_run")))
        << errorLine->toStdString();

    // Settings the connection manager refuses: false before any connection.
    env.config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE", "7");
    EXPECT_FALSE(lastRun.PersistLastRunDate(7, "NORTH", kNow));
    EXPECT_EQ(env.logLines().count("PersistLastRunDate: About to Setup connection"), 2);
    EXPECT_EQ(env.logLines().count("PersistLastRunDate: About to get NetInfo"), 1);
}

TEST_P(LastRunTest, CalcRequestStartsAtTheShiftedDayOfTheStart) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\SUBMIT_CALC_REQUEST", "YES");
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\STARTDATE_SHIFT_MINUTE", "-60");
    CommonLastRun lastRun;
    lastRun.setDefaultStart(QDateTime(QDate(2024, 3, 5), QTime(10, 17, 33)));
    const QDateTime end(QDate(2024, 3, 6), QTime(8, 0));
    ASSERT_TRUE(lastRun.PersistLastRunDate(7, "NORTH", end));

    const QList<QVariantMap> rows = env.plant().rows("select * from qorroot.calcqueue");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["status"].toInt(), 0);
    EXPECT_FALSE(rows[0]["vlist"].isNull());
    EXPECT_EQ(rows[0]["vlist"].toString(), "");
    EXPECT_EQ(DbValue::dateOf(rows[0]["datestart"]), QDateTime(QDate(2024, 3, 4), QTime(23, 0)));
    EXPECT_EQ(DbValue::dateOf(rows[0]["dateend"]), end);
    EXPECT_EQ(rows[0]["facility"].toString(), "NORTH");
    EXPECT_EQ(rows[0]["audituser"].toString(), CurrentAuditUser());
    EXPECT_TRUE(env.logLines().contains("Submitted Calc Request for facility NORTH for dates from 03/04/2024 "
                                        "23:00:00 to 03/06/2024 08:00:00"));

    // Without a shift the request starts at midnight of the start day.
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\STARTDATE_SHIFT_MINUTE", "0");
    ASSERT_TRUE(lastRun.PersistLastRunDate(7, "NORTH", end));
    EXPECT_EQ(env.plant().scalar("select max(datestart) from qorroot.calcqueue").toDateTime(),
              QDateTime(QDate(2024, 3, 5), QTime(0, 0)));

    // Switched off: no request.
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\SUBMIT_CALC_REQUEST", "yes");
    ASSERT_TRUE(lastRun.PersistLastRunDate(7, "NORTH", end));
    EXPECT_EQ(env.plant().scalar("select count(*) from qorroot.calcqueue").toInt(), 2);
}

TEST_P(LastRunTest, AFailedCalcRequestKeepsTheLastRunAndIsSilent) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\SUBMIT_CALC_REQUEST", "YES");
    env.plant().exec("DROP TABLE qorroot.calcqueue");
    CommonLastRun lastRun;
    ASSERT_TRUE(lastRun.PersistLastRunDate(7, "NORTH", kNow));
    EXPECT_EQ(env.plant().scalar("select count(*) from qorroot.g2_server_run").toInt(), 1);
    for (const QString& line : env.logLines()) {
        EXPECT_FALSE(line.startsWith("Submitted Calc Request")) << line.toStdString();
        EXPECT_FALSE(line.startsWith("PersistLastRunDate Error")) << line.toStdString();
    }

    // A shift that is no number fails the request the same quiet way.
    env.config().setItem("OPTIONS\\AUTOMATED_IMPORT\\STARTDATE_SHIFT_MINUTE", "soon");
    env.plant().exec(
        "CREATE TABLE qorroot.calcqueue (id serial PRIMARY KEY, status integer, vlist varchar(10), "
        "datestart timestamp, dateend timestamp, facility varchar(30), audituser varchar(50))");
    env.plant().grantLogins(TargetEnvironment::kPassword);
    ASSERT_TRUE(lastRun.PersistLastRunDate(7, "NORTH", kNow));
    EXPECT_EQ(env.plant().scalar("select count(*) from qorroot.calcqueue").toInt(), 0);
}

TEST_P(LastRunTest, ServiceModeContinuesFromTheStoredRunButNotBeforeTheLockDate) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.addFacility("NORTH", "North"));
    ASSERT_TRUE(env.addFacility("SOUTH", "South"));
    ASSERT_TRUE(env.plant().setLastRun(7, "NORTH", QDateTime(QDate(2024, 5, 3), QTime(10, 0))));
    ASSERT_TRUE(env.plant().setLastRun(7, "SOUTH", QDateTime(QDate(2024, 5, 3), QTime(10, 0))));
    ASSERT_TRUE(env.plant().setLastRun(8, "SOUTH", QDateTime(QDate(2023, 1, 1), QTime(0, 0))));
    ASSERT_TRUE(env.plant().setLockDate("NORTH", QDateTime(QDate(2024, 6, 1), QTime(0, 0))));

    DbConnection root;
    openRoot(root);
    ServiceMode = true;
    CommonLastRun lastRun;
    const QDateTime defaultStart(QDate(2024, 4, 1), QTime(0, 0));
    lastRun.setDefaultStart(defaultStart);
    lastRun.setDefaultEnd(QDateTime(QDate(2024, 7, 1), QTime(0, 0)));
    ASSERT_TRUE(lastRun.ReadZuriVARU(7, root));
    ASSERT_TRUE(lastRun.ReadZuriVARUFacilLockDates("NORTH~SOUTH"));
    EXPECT_EQ(lastRun.StartDate("north"), QDateTime(QDate(2024, 6, 1), QTime(0, 0)));
    EXPECT_EQ(lastRun.StartDate("SOUTH"), QDateTime(QDate(2024, 5, 3), QTime(10, 0)));
    EXPECT_EQ(lastRun.StartDate("EAST"), defaultStart);
    EXPECT_TRUE(
        env.logLines().contains("Last Run Date for facility SOUTH was detected to be 5/3/2024 10:00:00 AM"));

    // Interactive runs ignore the stored rows.
    ServiceMode = false;
    CommonLastRun interactive;
    interactive.setDefaultStart(defaultStart);
    ASSERT_TRUE(interactive.ReadZuriVARU(7, root));
    ASSERT_TRUE(interactive.ReadZuriVARUFacilLockDates("NORTH~SOUTH"));
    EXPECT_EQ(interactive.StartDate("SOUTH"), defaultStart);
    EXPECT_EQ(interactive.StartDate("NORTH"), QDateTime(QDate(2024, 6, 1), QTime(0, 0)));

    // A failed read returns false.
    ServiceMode = true;
    env.plant().exec("DROP TABLE qorroot.g2_server_run");
    CommonLastRun broken;
    EXPECT_FALSE(broken.ReadZuriVARU(7, root));
}

TEST_P(LastRunTest, LockDatesMissingEmptyOrInvalidMeanTheFirstOf1970) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    for (const char* name : {"NORTH", "SOUTH", "EAST", "WEST"})
        ASSERT_TRUE(env.addFacility(name, name));
    ASSERT_TRUE(env.plant().setLockDate("NORTH", QDateTime(QDate(2024, 6, 1), QTime(0, 0))));
    ASSERT_TRUE(env.plant().setSetting("EAST", "LockDate", ""));
    ASSERT_TRUE(env.plant().setSetting("WEST", "LockDate", "not a date"));

    CommonLastRun lastRun;
    ASSERT_TRUE(lastRun.ReadZuriVARUFacilLockDates("NORTH~SOUTH~EAST~WEST"));
    const QDateTime epoch(QDate(1970, 1, 1), QTime(0, 0));
    EXPECT_EQ(lastRun.LockDate("NORTH"), QDateTime(QDate(2024, 6, 1), QTime(0, 0)));
    EXPECT_EQ(lastRun.LockDate("SOUTH"), epoch);
    EXPECT_EQ(lastRun.LockDate("EAST"), epoch);
    EXPECT_EQ(lastRun.LockDate("WEST"), epoch);
    // Never read: the zero date.
    EXPECT_EQ(lastRun.LockDate("OTHER"), DateText::ZeroDate());

    const QStringList lines = env.logLines();
    EXPECT_TRUE(lines.contains("Facility NORTH lockdate set to 6/1/2024"));
    EXPECT_TRUE(lines.contains("Facility EAST lockdate set to 1/1/1970"));
    EXPECT_TRUE(lines.contains("Facility WEST lockdate set to 1/1/1970"));
    for (const QString& line : lines)
        EXPECT_FALSE(line.startsWith("Facility SOUTH lockdate")) << line.toStdString();
}

TEST_P(LastRunTest, LockDateFailuresReturnFalseAndKeepTheEarlierEntries) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.addFacility("NORTH", "North"));
    ASSERT_TRUE(env.addFacility("SOUTH", "South"));
    ASSERT_TRUE(env.plant().setLockDate("NORTH", QDateTime(QDate(2024, 6, 1), QTime(0, 0))));
    env.plant().exec("DROP VIEW south.\"SETTINGS\"; DROP TABLE south.settings");

    CommonLastRun lastRun;
    EXPECT_FALSE(lastRun.ReadZuriVARUFacilLockDates("NORTH~NOWHERE~SOUTH"));
    EXPECT_EQ(lastRun.LockDate("NORTH"), QDateTime(QDate(2024, 6, 1), QTime(0, 0)));
    EXPECT_EQ(lastRun.LockDate("NOWHERE"), DateText::ZeroDate());

    CommonLastRun withoutSettings;
    EXPECT_FALSE(withoutSettings.ReadZuriVARUFacilLockDates("SOUTH"));
    EXPECT_TRUE(withoutSettings.ReadZuriVARUFacilLockDates(""));

    env.config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE", "7");
    CommonLastRun unconfigured;
    EXPECT_FALSE(unconfigured.ReadZuriVARUFacilLockDates("NORTH"));
}

namespace {

struct LockBoundary {
    const char* name;
    QDateTime moment; // used both as the default start and as the default end
    bool violates;
    bool startsAtLock;
};

class LockBoundaries : public ::testing::TestWithParam<LockBoundary> {};

} // namespace

// The lock date is 1 June 2024 00:00 in every row.
TEST_P(LockBoundaries, StartAndViolationAroundTheLockDate) {
    LB_REQUIRE_PG();
    const LockBoundary& c = GetParam();
    TargetEnvironment env(2);
    ASSERT_TRUE(env.addFacility("NORTH", "North"));
    const QDateTime lock(QDate(2024, 6, 1), QTime(0, 0));
    ASSERT_TRUE(env.plant().setLockDate("NORTH", lock));
    CommonLastRun lastRun;
    ASSERT_TRUE(lastRun.ReadZuriVARUFacilLockDates("NORTH"));
    lastRun.setDefaultStart(c.moment);
    lastRun.setDefaultEnd(c.moment);
    EXPECT_EQ(lastRun.enddate("NORTH"), c.moment);
    EXPECT_EQ(lastRun.ViolatesLockDate("NORTH"), c.violates);
    EXPECT_EQ(lastRun.StartDate("NORTH"), c.startsAtLock ? lock : c.moment);
}

INSTANTIATE_TEST_SUITE_P(
    LockDate, LockBoundaries,
    ::testing::Values(
        LockBoundary{"Equal", QDateTime(QDate(2024, 6, 1), QTime(0, 0)), false, false},
        LockBoundary{"OneSecondBefore", QDateTime(QDate(2024, 5, 31), QTime(23, 59, 59)), true, true},
        LockBoundary{"OneMinuteBefore", QDateTime(QDate(2024, 5, 31), QTime(23, 59)), true, true},
        LockBoundary{"OneDayBefore", QDateTime(QDate(2024, 5, 31), QTime(0, 0)), true, true},
        LockBoundary{"OneSecondAfter", QDateTime(QDate(2024, 6, 1), QTime(0, 0, 1)), false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(LastRunTest, ViewerSetsOnlyTheDateAndNeedsACollector) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.plant().setLastRun(7, "NORTH", QDateTime(QDate(2024, 1, 1), QTime(0, 0))));
    DbConnection root;
    openRoot(root);

    CommonLastRunReadWrite viewer;
    const QDateTime chosen(QDate(2024, 2, 29), QTime(6, 5, 4));
    EXPECT_FALSE(viewer.SetLastRunDate("NORTH", chosen, root));
    viewer.setInterfaceID(7);
    ASSERT_TRUE(viewer.SetLastRunDate("NORTH", chosen, root));
    ASSERT_TRUE(viewer.SetLastRunDate("SOUTH", chosen, root, 9));
    const QList<QVariantMap> rows =
        env.plant().rows("select * from qorroot.g2_server_run order by interface_id");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(DbValue::dateOf(rows[0]["lastrun"]), chosen);
    EXPECT_EQ(rows[0]["audituser"].toString(), "PLANTDB"); // left as the row had it
    EXPECT_EQ(rows[1]["interface_id"].toInt(), 9);
    EXPECT_EQ(rows[1]["filename"].toString(), "SOUTH");
    EXPECT_TRUE(rows[1]["audituser"].isNull());

    QDateTime read;
    ASSERT_TRUE(viewer.ReadLastRunInfo("NORTH", root, read));
    EXPECT_EQ(viewer.LastRun(), "2/29/2024 6:05:04 AM");
    EXPECT_EQ(viewer.AuditUser(), "PLANTDB");
    EXPECT_EQ(viewer.WorkStation(), "");

    // A facility never imported: false, and the properties stay.
    QDateTime untouched(QDate(2000, 1, 1), QTime(0, 0));
    EXPECT_FALSE(viewer.ReadLastRunInfo("EAST", root, untouched));
    EXPECT_EQ(untouched, QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    EXPECT_EQ(viewer.LastRun(), "2/29/2024 6:05:04 AM");
    EXPECT_EQ(viewer.FacilityID(), "NORTH");

    CommonLastRunReadWrite noCollector;
    EXPECT_FALSE(noCollector.ReadLastRunInfo("NORTH", root, read));

    env.plant().exec("DROP TABLE qorroot.g2_server_run");
    EXPECT_FALSE(viewer.SetLastRunDate("NORTH", chosen, root));
    EXPECT_FALSE(viewer.ReadLastRunInfo("NORTH", root, read));
}

INSTANTIATE_TEST_SUITE_P(BothDialects, LastRunTest, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Oracle" : "SqlServer"; });
