// The preparation of an import: the collector check, the gathering of the
// variables and the version check, with their activity lines and message boxes.
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "import/ImportWorkflows.h"
#include "support/target/TargetEnvironment.h"
#include "target/CommonVarGatherer.h"

#include <gtest/gtest.h>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

constexpr int kCollector = 3;
constexpr int kZone = 5;

bool containsLine(const QStringList& lines, const QString& line)
{
    return lines.contains(line);
}

} // namespace

class Workflows : public ::testing::TestWithParam<int> {};

TEST_P(Workflows, MissingCollectorStopsWithItsLines)
{
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    env.config().setItem("ZURIVARU\\G2_SERVER_INTERFACE_ID", "42");
    EXPECT_FALSE(GatherVariablesForImport());
    const QString text = "Collector (id=42) does not exist or has been deleted. Use 'Configuration \\ Collector "
                         "Configuration' to select a collector.";
    const QStringList lines = env.logLines();
    EXPECT_TRUE(containsLine(lines, text));
    EXPECT_TRUE(containsLine(lines, "Unable to import at this time"));
    EXPECT_TRUE(containsLine(lines, "PROMPT= " + text));
    EXPECT_TRUE(containsLine(lines, "BUTTONS= 48"));
}

TEST_P(Workflows, DisabledCollectorStopsWithItsLines)
{
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.addFacility("North", "North Plant"));
    ASSERT_TRUE(env.plant().addTimeZone(kZone, "Eastern Standard Time"));
    ASSERT_EQ(env.plant().addCollector("Lab Link", kCollector, kZone, {}, false), kCollector);
    ASSERT_TRUE(env.plant().exec("update qorroot.g2_server set audituser='JDOE', "
                                 "audittimestamp='2026-03-05 14:07:09' where interface_id=3"));
    env.config().setItem("ZURIVARU\\G2_SERVER_INTERFACE_ID", QString::number(kCollector));
    EXPECT_FALSE(GatherVariablesForImport());
    const QString text = "Collector 'Lab Link' was marked as DISABLED by Vell OXMO user 'JDOE' on "
                         "'3/5/2026 2:07:09 PM'";
    const QStringList lines = env.logLines();
    EXPECT_TRUE(containsLine(lines, text)) << lines.join('\n').toStdString();
    EXPECT_TRUE(containsLine(lines, "Unable to import at this time"));
    EXPECT_TRUE(containsLine(lines, "PROMPT= " + text));
}

TEST_P(Workflows, GatheringReportsWhatWasFound)
{
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.addFacility("North", "North Plant"));
    ASSERT_TRUE(env.plant().addTimeZone(kZone, "Eastern Standard Time"));
    ASSERT_EQ(env.plant().addCollector("Lab Link", kCollector, kZone), kCollector);
    PlantVariable variable;
    variable.facility = "North";
    variable.name = "pH";
    variable.limsLoc = "INLET";
    variable.limsTest = "PH";
    variable.collector = kCollector;
    const int id = env.plant().addVariable(variable);
    ASSERT_GT(id, 0);
    env.config().setItem("ZURIVARU\\G2_SERVER_INTERFACE_ID", QString::number(kCollector));
    env.logger().setVerbosity(1);

    const auto gatherer = GatherVariablesForImport();
    ASSERT_TRUE(gatherer);
    EXPECT_EQ(gatherer->TotalVariable(), 1);
    const QStringList lines = env.logLines();
    EXPECT_TRUE(containsLine(lines, "Scanning all facilities for variables that are linked to Collector 'Lab Link' ..."));
    EXPECT_TRUE(containsLine(lines, "Found 1 variable(s) in 1 facility(s) that are linked to Collector 'Lab Link'"));
    EXPECT_TRUE(containsLine(lines, "Found Variable Detail : NORTH~" + QString::number(id)));
}

TEST_P(Workflows, LockDatesThatCannotBeReadAreReportedButDoNotStopTheRun)
{
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.addFacility("North", "North Plant"));
    ASSERT_TRUE(env.plant().addTimeZone(kZone, "Eastern Standard Time"));
    ASSERT_EQ(env.plant().addCollector("Lab Link", kCollector, kZone), kCollector);
    PlantVariable variable;
    variable.facility = "North";
    variable.name = "pH";
    variable.collector = kCollector;
    ASSERT_GT(env.plant().addVariable(variable), 0);
    ASSERT_TRUE(env.plant().exec("drop table north.settings cascade"));
    env.config().setItem("ZURIVARU\\G2_SERVER_INTERFACE_ID", QString::number(kCollector));
    EXPECT_TRUE(GatherVariablesForImport());
    EXPECT_TRUE(containsLine(env.logLines(), "PROMPT= Failed to read Lock Dates for Vell OXMO facilites."));
}

TEST_P(Workflows, UnreachablePlantDatabaseStopsBeforeAnything)
{
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    env.config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE", "127.0.0.1:1/nowhere");
    EXPECT_FALSE(GatherVariablesForImport());
    const QStringList lines = env.logLines();
    EXPECT_TRUE(containsLine(lines, "TITLE= Failed to connect to Vell OXMO"));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString& l) { return l.startsWith("PROMPT= Error :"); }));
}

INSTANTIATE_TEST_SUITE_P(BothDialects, Workflows, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Oracle" : "SqlServer"; });

TEST(CollectorVersion, SameOrEmptyVersionStaysSilentAnotherWarns)
{
    LB_REQUIRE_PG();
    TargetEnvironment env;
    CheckCollectorVersion("");
    CheckCollectorVersion("1.0.0");
    EXPECT_FALSE(std::any_of(env.logLines().begin(), env.logLines().end(),
                             [](const QString& l) { return l.contains("Warning"); }));
    CheckCollectorVersion("0.9.1");
    const QString warning = "The collector that you selected links to a different version (0.9.1)  of the interface "
                            "than the inteface that is current running (1.0.0)";
    const QStringList lines = env.logLines();
    EXPECT_TRUE(lines.contains("Warning : " + warning));
    EXPECT_TRUE(lines.contains("BUTTONS= 16432"));
    EXPECT_TRUE(lines.contains("TITLE= Version Validation Failed"));
    EXPECT_TRUE(lines.contains("CONTEXT= 12230"));
}
