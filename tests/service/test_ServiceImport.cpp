// Service mode end to end: the scheduler's runs import from a laboratory
// database into the substitute plant database, each continuing where the last
// one stopped, and a run that cannot reach the plant database changes nothing.
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "import/ImportWorkflows.h"
#include "service/CommonNTSERVICE.h"
#include "service/ServiceImportRoutines.h"
#include "source/CustomConfiguration.h"
#include "source/LimsFixture.h"
#include "support/target/TargetEnvironment.h"
#include "target/CommonAINFOnavigator.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

QCoreApplication& application()
{
    static int argc = 1;
    static char name[] = "test_ServiceImport";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2024, 5, day), QTime(hour, minute));
}

constexpr int kCollector = 3;

class ServiceImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        LB_REQUIRE_PG();
        application();
        m_now = at(15, 10);
        Clock::setSource([this] { return m_now; });
        m_env = std::make_unique<TargetEnvironment>(2);
        PlantDb& plant = m_env->plant();
        ASSERT_TRUE(m_env->addFacility("North", "North Plant"));
        ASSERT_TRUE(m_env->addFacility("South", "South Plant"));
        ASSERT_TRUE(plant.addTimeZone(5, "Eastern Standard Time"));
        ASSERT_EQ(plant.addCollector("Lab Link", kCollector, 5), kCollector);
        ASSERT_TRUE(plant.setLockDate("South", at(14, 6)));
        for (const char* facility : {"North", "South"}) {
            PlantVariable variable;
            variable.facility = facility;
            variable.name = "Inlet pH";
            variable.limsLoc = "INLET";
            variable.limsTest = "PH";
            variable.collector = kCollector;
            variable.decplaces = 1;
            m_varids << plant.addVariable(variable);
            ASSERT_GT(m_varids.last(), 0);
        }

        m_navigator = std::make_unique<CommonAINFOnavigator>();
        AinfoNavigator = m_navigator.get();
        m_lims = std::make_unique<LimsFixture>(LimsDriver::Sqlite, m_env->config(), m_env->logger());
        m_lims->useAsSource(DefaultSourceQuery(), 2);
        m_lims->addFolder(1, "Lab");
        m_lims->addProgram("IN", "INLET");
        addSample("S1", at(13, 8), "7.1");
        addSample("S2", at(14, 12), "7.2");
        addSample("S3", at(15, 9), "7.3");

        QORConfiguration& config = m_env->config();
        config.setItem("ZURIVARU\\G2_SERVER_INTERFACE_ID", QString::number(kCollector));
        config.setItem("OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN", "05-13-2024 00:00:00");
        config.setItem("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\DAILY", "NO");
        config.setItem("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\MINUTELY", "YES");
        config.setItem("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\MINUTELY_MINUTE", "30");
        config.setItem("OPTIONS\\LOG_VERBOSITY", "1");
        config.setItem("SOURCE\\RECOVERY\\ATTEMPTS", "1");
        config.setItem("SOURCE\\RECOVERY\\SECONDS", "0");
        config.setItem("TARGET\\RECOVERY\\ATTEMPTS", "1");
        config.setItem("TARGET\\RECOVERY\\SECONDS", "0");
        ASSERT_TRUE(config.SaveConfig());

        m_form = std::make_unique<CommonNTSERVICE>();
        ServiceImportRoutines routines = HeadlessServiceImportRoutines();
        routines.ImportAll = ImportAll;
        m_form->setImportRoutines(routines);
    }
    void TearDown() override
    {
        m_form.reset();
        m_lims.reset();
        AinfoNavigator = nullptr;
        m_env.reset();
        Clock::setSource({});
    }

    void addSample(const QString& order, const QDateTime& when, const QString& value)
    {
        m_lims->addOrder(order, when.toString("yyyy-MM-dd HH:mm:ss"), "IN", 1);
        m_lims->addResult(order, "PH", value, "", when);
    }

    //! Daily rows of a facility as "yyyy-MM-dd=value".
    QStringList rows(const QString& facility)
    {
        QStringList out;
        for (const QVariantMap& row : m_env->plant().rows(
                 "select datestamp, curvalue from " + facility + ".datatbl order by datestamp"))
            out << row["datestamp"].toDateTime().toString("yyyy-MM-dd") + "=" + row["curvalue"].toString();
        return out;
    }
    QStringList lastRuns()
    {
        QStringList out;
        for (const QVariantMap& row :
             m_env->plant().rows("select filename, lastrun from qorroot.g2_server_run order by filename"))
            out << row["filename"].toString() + "=" + row["lastrun"].toDateTime().toString("MM-dd HH:mm");
        return out;
    }
    int lineCount(const QString& line) { return int(m_env->logLines().count(line)); }

    QDateTime m_now;
    std::unique_ptr<TargetEnvironment> m_env;
    std::unique_ptr<CommonAINFOnavigator> m_navigator;
    std::unique_ptr<LimsFixture> m_lims;
    std::unique_ptr<CommonNTSERVICE> m_form;
    QList<int> m_varids;
};

} // namespace

TEST_F(ServiceImport, RunsContinueWhereTheLastOneStopped)
{
    // The first run imports from the default last run, but not before a lock date.
    m_form->RunNTService();
    if (lineCount("Import was successful.") == 0)
        m_form->SchedulerTimer_Timer();
    ASSERT_EQ(lineCount("Import was successful."), 1) << m_env->logLines().join('\n').toStdString();
    EXPECT_EQ(rows("north"), QStringList({"2024-05-13=7.1", "2024-05-14=7.2", "2024-05-15=7.3"}));
    // South's result of the 14th is read (its range starts at the lock date, 06:00 that day) but
    // its daily value belongs to the day that starts before the lock date, so it is refused.
    EXPECT_EQ(rows("south"), QStringList({"2024-05-15=7.3"}));
    EXPECT_EQ(lastRuns(), QStringList({"NORTH=05-15 10:00", "SOUTH=05-15 10:00"}));
    EXPECT_EQ(lineCount("Date Range for import into NORTH is set to 05/13/2024 00:00:00 to 05/15/2024 10:00:00"), 1);
    EXPECT_EQ(lineCount("Date Range for import into SOUTH is set to 05/14/2024 06:00:00 to 05/15/2024 10:00:00"), 1);
    EXPECT_EQ(m_env->plant().scalar("select count(*) from qorroot.calcqueue").toInt(), 2);
    EXPECT_EQ(lineCount("Going to Sleep mode. Will next wake up at : 05/15/2024 10:30:00"), 1);

    // The second run reads only what was entered since: a corrected old result stays out.
    m_lims->exec("UPDATE RESULTS SET FINAL = '9.9' WHERE ORDNO = 'S1'");
    addSample("S4", at(15, 10, 20), "7.4");
    m_now = at(15, 10, 30);
    m_form->SchedulerTimer_Timer();
    ASSERT_EQ(lineCount("Import was successful."), 2);
    EXPECT_EQ(lineCount("Date Range for import into NORTH is set to 05/15/2024 10:00:00 to 05/15/2024 10:30:00"), 1);
    EXPECT_EQ(rows("north"), QStringList({"2024-05-13=7.1", "2024-05-14=7.2", "2024-05-15=7.4"}));
    EXPECT_EQ(lastRuns(), QStringList({"NORTH=05-15 10:30", "SOUTH=05-15 10:30"}));
}

TEST_F(ServiceImport, APlantDatabaseThatIsDownChangesNothingAndTheNextRunIsScheduled)
{
    m_form->RunNTService();
    if (lineCount("Import was successful.") == 0)
        m_form->SchedulerTimer_Timer();
    ASSERT_EQ(lineCount("Import was successful."), 1);
    const QStringList before = lastRuns();

    const QString dataSource = m_env->config().item("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE");
    m_env->config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE", "127.0.0.1:1/nowhere");
    ASSERT_TRUE(m_env->config().SaveConfig());
    addSample("S4", at(15, 10, 20), "7.4");
    m_now = at(15, 10, 30);
    m_form->SchedulerTimer_Timer();
    EXPECT_EQ(lineCount("Import was successful."), 1);
    EXPECT_EQ(lineCount("TITLE= Failed to connect to Vell OXMO"), 1);
    EXPECT_EQ(lineCount("Going to Sleep mode. Will next wake up at : 05/15/2024 11:00:00"), 1);
    EXPECT_EQ(lastRuns(), before);
    EXPECT_EQ(rows("north").last(), "2024-05-15=7.3");

    // Back up: the range not imported is read again.
    m_env->config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE", dataSource);
    ASSERT_TRUE(m_env->config().SaveConfig());
    m_now = at(15, 11);
    m_form->SchedulerTimer_Timer();
    EXPECT_EQ(lineCount("Import was successful."), 2);
    EXPECT_EQ(rows("north").last(), "2024-05-15=7.4");
}
