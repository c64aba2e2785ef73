// The variable gatherer against the substitute plant database, in both SQL
// dialects: the facility walk, the limit to one facility, the additional-info
// column tables, the collector row and the UTC offsets.
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "platform/DbConnection.h"
#include "platform/RaisedError.h"
#include "platform/SystemTimeZone.h"
#include "support/target/TargetEnvironment.h"
#include "target/CommonLastRun.h"
#include "target/CommonVarGatherer.h"
#include "target/ConnectionManager.h"
#include "target/DateText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

constexpr int kCollector = 5;

class GathererTest : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override {
        Clock::setSource({});
        SystemTimeZone::setZone(QTimeZone());
    }

    static void openRoot(DbConnection& root) {
        ConnectionManager manager;
        ASSERT_TRUE(ConfigureConnectionManager(manager));
        manager.ConfigCnn4QORROOT(root);
        ASSERT_NO_THROW(root.Open());
    }

    static int addLinked(TargetEnvironment& env, const QString& facility, const QString& name,
                         int collector = kCollector, bool enabled = true) {
        PlantVariable variable;
        variable.facility = facility;
        variable.name = name;
        variable.collector = collector;
        variable.enabled = enabled;
        return env.plant().addVariable(variable);
    }

    // The walk as the import run makes it: facility, then its ids.
    static QList<QPair<QString, QList<qint32>>> walk(CommonVarGatherer& gatherer) {
        QList<QPair<QString, QList<qint32>>> result;
        for (gatherer.MoveFirst(); !gatherer.EOF_Facility(); gatherer.MoveNext_Facility()) {
            QList<qint32> ids;
            for (; !gatherer.EOF_Variable(); gatherer.MoveNext_Variable())
                ids << gatherer.Current_Variable();
            result.append({gatherer.Current_Facility(), ids});
        }
        return result;
    }
};

} // namespace

TEST_P(GathererTest, WalksFacilitiesInHashTableKeyOrderWithTheirEnabledLinkedIds) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    const QStringList names = {"ALPHA", "BRAVO", "CHARLIE", "DELTA", "ECHO"};
    QHash<QString, QList<qint32>> linked;
    for (const QString& name : names) {
        ASSERT_TRUE(env.addFacility(name.toLower(), name.left(1) + name.mid(1).toLower() + " Plant"));
        linked[name] << addLinked(env, name, "First") << addLinked(env, name, "Second");
        ASSERT_GT(addLinked(env, name, "Disabled", kCollector, false), 0);
        ASSERT_GT(addLinked(env, name, "Other collector", kCollector + 1), 0);
        ASSERT_GT(addLinked(env, name, "Unlinked", 0), 0);
    }
    ASSERT_TRUE(env.addFacility("Foxtrot", "Foxtrot Plant"));
    ASSERT_GT(addLinked(env, "FOXTROT", "Other collector", kCollector + 1), 0);

    DbConnection root;
    openRoot(root);
    CommonVarGatherer gatherer;
    ASSERT_TRUE(gatherer.ReadZuriVARU(kCollector, root));
    EXPECT_EQ(gatherer.CollectorID(), kCollector);
    EXPECT_EQ(gatherer.TotalFacility(), 5); // FOXTROT has nothing linked to this collector
    EXPECT_EQ(gatherer.TotalVariable(), 10);

    // The facilities are read in name order; the walk follows the key order of
    // the list table instead, which for these names is another order.
    HashTable<int> order;
    for (const QString& name : names)
        order.Add(name, 0);
    const QList<QString> expectedOrder = order.Keys();
    ASSERT_NE(expectedOrder, QList<QString>(names.begin(), names.end()));

    const auto walked = walk(gatherer);
    ASSERT_EQ(walked.size(), expectedOrder.size());
    for (qsizetype i = 0; i < walked.size(); ++i) {
        EXPECT_EQ(walked[i].first, expectedOrder[i]);
        EXPECT_EQ(walked[i].second, linked[expectedOrder[i]]) << expectedOrder[i].toStdString();
    }

    ASSERT_EQ(gatherer.FacilID2FacilNameHash->Count(), 6);
    EXPECT_EQ(gatherer.FacilID2FacilNameHash->Item("FOXTROT"), "Foxtrot Plant");
    EXPECT_EQ(gatherer.FacilID2FacilNameHash->Item("CHARLIE"), "Charlie Plant");
    EXPECT_TRUE(gatherer.FacilID2ainfoHash->Exists("FOXTROT"));

    // A second read keeps the ids already gathered and adds none twice.
    ASSERT_TRUE(gatherer.ReadZuriVARU(kCollector, root));
    EXPECT_EQ(gatherer.TotalVariable(), 10);
}

TEST_P(GathererTest, AdditionalInfoColumnsOfEachDialectAndAFacilityWithoutTheTable) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.addFacility("NORTH", "North"));
    ASSERT_TRUE(env.addFacility("SOUTH", "South"));
    ASSERT_TRUE(env.plant().addInfoColumn("NORTH", "ph_reading", "numeric"));
    ASSERT_TRUE(env.plant().addInfoColumn("NORTH", "lab_id", "varchar", 12));
    const int southId = addLinked(env, "SOUTH", "Flow");
    ASSERT_GT(southId, 0);
    ASSERT_TRUE(env.plant().exec("DROP TABLE south.datatbl_i"));

    DbConnection root;
    openRoot(root);
    CommonVarGatherer gatherer;
    ASSERT_TRUE(gatherer.ReadZuriVARU(kCollector, root));

    ASSERT_TRUE(gatherer.FacilID2ainfoHash->Exists("NORTH"));
    const std::shared_ptr<AinfoColumnTable> north = gatherer.FacilID2ainfoHash->Item("NORTH");
    const bool oracle = GetParam() == 1;
    const QString text = oracle ? "VARCHAR2\t" : "VARCHAR\t";
    const QList<QPair<QString, QString>> expected = {
        {"SAMPLE_NO", text + "50"}, {"ANALYST", text + "50"},
        {"METHOD", text + "100"},   {"REMARKS", text + "2000"},
        {"LAB_ID", text + "12"},    {"PH_READING", oracle ? "NUMBER\t" : "NUMERIC\t"}};
    EXPECT_EQ(north->Count(), expected.size());
    for (const auto& [column, type] : expected)
        EXPECT_EQ(north->Item(column), type) << column.toStdString();
    for (const char* excluded : {"VARID", "DATESTAMP", "AUDITUSER", "AUDITTIMESTAMP"})
        EXPECT_FALSE(north->Exists(excluded)) << excluded;

    // SOUTH has no DATATBL_I: no column table, but its variables are gathered.
    EXPECT_FALSE(gatherer.FacilID2ainfoHash->Exists("SOUTH"));
    gatherer.MoveFirst();
    ASSERT_FALSE(gatherer.EOF_Facility());
    EXPECT_EQ(gatherer.Current_Facility(), "SOUTH");
    EXPECT_EQ(gatherer.Current_Variable(), southId);
}

TEST_P(GathererTest, LimitFacilityWrittenInLowerCaseSelectsOneFacility) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.addFacility("North", "North"));
    ASSERT_TRUE(env.addFacility("South", "South"));
    ASSERT_GT(addLinked(env, "NORTH", "Flow"), 0);
    const int southId = addLinked(env, "SOUTH", "Flow");
    env.config().setItem("OPTIONS\\NOIU\\LIMITFACILITY", "south");

    DbConnection root;
    openRoot(root);
    CommonVarGatherer gatherer;
    ASSERT_TRUE(gatherer.ReadZuriVARU(kCollector, root));
    EXPECT_TRUE(env.logLines().contains("Limiting gathering variables to facility: SOUTH"));
    EXPECT_EQ(gatherer.FacilID2FacilNameHash->Count(), 1);
    EXPECT_TRUE(gatherer.FacilID2FacilNameHash->Exists("SOUTH"));
    const auto walked = walk(gatherer);
    ASSERT_EQ(walked.size(), 1);
    EXPECT_EQ(walked[0].first, "SOUTH");
    EXPECT_EQ(walked[0].second, QList<qint32>{southId});

    // A quote in the setting stays inside the compared text.
    env.config().setItem("OPTIONS\\NOIU\\LIMITFACILITY", "x' or 'a'='a");
    CommonVarGatherer quoted;
    ASSERT_TRUE(quoted.ReadZuriVARU(kCollector, root));
    EXPECT_EQ(quoted.FacilID2FacilNameHash->Count(), 0);
    EXPECT_EQ(quoted.TotalFacility(), 0);
}

TEST_P(GathererTest, FailuresOfTheReadAndOfSingleFacilities) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.addFacility("NORTH", "North"));
    ASSERT_TRUE(env.addFacility("SOUTH", "South"));
    const int northId = addLinked(env, "NORTH", "Flow");
    ASSERT_GT(addLinked(env, "SOUTH", "Flow"), 0);
    DbConnection root;
    openRoot(root);

    // A facility whose variable table cannot be read adds no ids; the others are gathered.
    ASSERT_TRUE(env.plant().exec("DROP TABLE south.vardesc CASCADE"));
    CommonVarGatherer partial;
    ASSERT_TRUE(partial.ReadZuriVARU(kCollector, root));
    EXPECT_EQ(partial.TotalFacility(), 1);
    EXPECT_EQ(partial.TotalVariable(), 1);
    EXPECT_EQ(walk(partial).value(0).second, QList<qint32>{northId});
    EXPECT_TRUE(partial.FacilID2FacilNameHash->Exists("SOUTH"));
    EXPECT_TRUE(partial.FacilID2ainfoHash->Exists("SOUTH"));

    // Connection settings the manager refuses: one message per facility, no ids.
    env.config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE", "7");
    CommonVarGatherer unconfigured;
    ASSERT_TRUE(unconfigured.ReadZuriVARU(kCollector, root));
    EXPECT_EQ(unconfigured.TotalVariable(), 0);
    EXPECT_EQ(unconfigured.FacilID2FacilNameHash->Count(), 2);
    EXPECT_EQ(env.logLines().count("PROMPT= Unable to init Vell OXMO Connection Manager"), 2);
    env.config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE", QString::number(GetParam()));

    // Without the facility list the read fails.
    ASSERT_TRUE(env.plant().exec("DROP TABLE qorroot.facility CASCADE"));
    CommonVarGatherer failed;
    EXPECT_FALSE(failed.ReadZuriVARU(kCollector, root));
    EXPECT_EQ(failed.CollectorID(), 0);
}

TEST(GathererCursor, IdsAreComparedWholeAndTheCursorStaysInItsFacility) {
    CommonVarGatherer gatherer;
    gatherer.MoveFirst();
    EXPECT_TRUE(gatherer.EOF_Facility());
    EXPECT_TRUE(gatherer.EOF_Variable());
    EXPECT_THROW(gatherer.Current_Facility(), RaisedError);

    // 12 is a part of the text of 123 but not the same id.
    EXPECT_TRUE(gatherer.ADHOCAddVariable("north", 123));
    EXPECT_TRUE(gatherer.ADHOCAddVariable("NORTH", 12));
    EXPECT_TRUE(gatherer.ADHOCAddVariable("North", 12));
    EXPECT_TRUE(gatherer.ADHOCAddVariable("NORTH", 1));
    EXPECT_TRUE(gatherer.ADHOCAddVariable("SOUTH", 12));
    EXPECT_FALSE(gatherer.ADHOCAddVariable("", 12));
    EXPECT_EQ(gatherer.TotalVariable(), 4);
    EXPECT_EQ(gatherer.TotalFacility(), 2);

    gatherer.MoveFirst();
    QHash<QString, QList<qint32>> seen;
    while (!gatherer.EOF_Facility()) {
        const QString facility = gatherer.Current_Facility();
        while (!gatherer.EOF_Variable()) {
            seen[facility] << gatherer.Current_Variable();
            gatherer.MoveNext_Variable();
        }
        // The variable cursor never runs into the next facility.
        gatherer.MoveNext_Variable();
        EXPECT_TRUE(gatherer.EOF_Variable());
        EXPECT_THROW(gatherer.Current_Variable(), RaisedError);
        gatherer.MoveNext_Facility();
    }
    EXPECT_EQ(seen["NORTH"], (QList<qint32>{123, 12, 1}));
    EXPECT_EQ(seen["SOUTH"], QList<qint32>{12});
    gatherer.MoveNext_Facility();
    EXPECT_TRUE(gatherer.EOF_Facility());
    try {
        gatherer.Current_Facility();
        ADD_FAILURE() << "read past the last facility";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number(), 9);
    }

    gatherer.Clear();
    EXPECT_EQ(gatherer.TotalVariable(), 0);
    EXPECT_EQ(gatherer.TotalFacility(), 0);
    gatherer.MoveFirst();
    EXPECT_TRUE(gatherer.EOF_Facility());
    EXPECT_TRUE(gatherer.EOF_Variable());
}

TEST_P(GathererTest, CollectorRowAndZoneBiasWithAndWithoutDaylightDates) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.plant().addTimeZone(3, "Eastern"));
    ASSERT_TRUE(env.plant().setTimeZoneBias(3, 2024, 300, 240, QDateTime(QDate(2024, 3, 10), QTime(2, 0)),
                                            QDateTime(QDate(2024, 11, 3), QTime(2, 0))));
    ASSERT_TRUE(env.plant().addTimeZone(4, "No daylight"));
    ASSERT_TRUE(env.plant().setTimeZoneBias(4, 2024, -60, -60));
    ASSERT_TRUE(env.plant().addTimeZone(6, "Only last year"));
    ASSERT_TRUE(env.plant().setTimeZoneBias(6, 2023, 120, 60));
    ASSERT_EQ(env.plant().addCollector(" LIMS Lab ", kCollector, 3, "1.0", true, " LABWRITER "), kCollector);
    ASSERT_TRUE(
        env.plant().exec("UPDATE qorroot.g2_server SET description = ' Main lab ', audituser = ' ADMIN ', "
                         "audittimestamp = '2024-02-03 04:05:06', collector_dateadjust = 1.5"));
    SystemTimeZone::setZone(QTimeZone("America/New_York"));

    DbConnection root;
    openRoot(root);
    struct Moment {
        QDateTime now;
        double collectorOffset;
        std::optional<double>
            localOffset; // none where the wall-clock time is skipped or repeated in New York
    };
    const Moment moments[] = {
        {QDateTime(QDate(2024, 7, 1), QTime(12, 0)), -240, -240},
        {QDateTime(QDate(2024, 1, 15), QTime(12, 0)), -300, -300},
        {QDateTime(QDate(2024, 3, 10), QTime(2, 0)), -240, std::nullopt},
        {QDateTime(QDate(2024, 3, 10), QTime(1, 59, 59)), -300, -300},
        {QDateTime(QDate(2024, 11, 3), QTime(1, 59, 59)), -240, std::nullopt},
        {QDateTime(QDate(2024, 11, 3), QTime(0, 59, 59)), -240, -240},
        {QDateTime(QDate(2024, 11, 3), QTime(2, 0)), -300, -300},
    };
    for (const Moment& m : moments) {
        Clock::setFixed(m.now);
        CommonVarGatherer gatherer;
        ASSERT_TRUE(gatherer.ReadAboutCollector(kCollector, root));
        EXPECT_EQ(gatherer.CollectorTimeZoneOffset(), m.collectorOffset) << m.now.toString().toStdString();
        if (m.localOffset) {
            EXPECT_EQ(gatherer.InterfaceTimezoneOffset(), *m.localOffset) << m.now.toString().toStdString();
        }
    }

    CommonVarGatherer gatherer;
    ASSERT_TRUE(gatherer.ReadAboutCollector(kCollector, root));
    EXPECT_EQ(gatherer.CollectorID(), kCollector);
    EXPECT_EQ(gatherer.CollectorName(), "LIMS Lab");
    EXPECT_EQ(gatherer.CollectorDescription(), "Main lab");
    EXPECT_EQ(gatherer.CollectorWriteAsUser(), "LABWRITER");
    EXPECT_EQ(gatherer.CollectorChangedAuditUSer(), "ADMIN");
    EXPECT_EQ(gatherer.CollectorChangedTimeStamp(), QDateTime(QDate(2024, 2, 3), QTime(4, 5, 6)));
    EXPECT_TRUE(gatherer.CollectorEnabled());
    EXPECT_EQ(gatherer.CollectorTimeZoneID(), 3);
    EXPECT_EQ(gatherer.CollectorDateAdjust(), 1.5);

    // A zone without daylight dates always uses its standard bias; a zone
    // without a row for this year gives 0.
    Clock::setFixed(QDateTime(QDate(2024, 7, 1), QTime(12, 0)));
    ASSERT_TRUE(
        env.plant().exec("UPDATE qorroot.g2_server SET collector_qortimezoneid = 4, audittimestamp = NULL, "
                         "enabled = 0"));
    ASSERT_TRUE(gatherer.ReadAboutCollector(kCollector, root));
    EXPECT_EQ(gatherer.CollectorTimeZoneOffset(), 60);
    EXPECT_FALSE(gatherer.CollectorEnabled());
    EXPECT_EQ(gatherer.CollectorChangedTimeStamp(), DateText::ZeroDate());
    ASSERT_TRUE(env.plant().exec("UPDATE qorroot.g2_server SET collector_qortimezoneid = 6"));
    ASSERT_TRUE(gatherer.ReadAboutCollector(kCollector, root));
    EXPECT_EQ(gatherer.CollectorTimeZoneOffset(), 0);

    // This computer in a zone without daylight time.
    SystemTimeZone::setZone(QTimeZone("Asia/Kolkata"));
    ASSERT_TRUE(gatherer.ReadAboutCollector(kCollector, root));
    EXPECT_EQ(gatherer.InterfaceTimezoneOffset(), 330);

    // Copies take every setting; the lookups of a subset gatherer are shared.
    CommonVarGatherer subset;
    subset.CopyCollectorInfo(gatherer);
    subset.FacilID2FacilNameHash = gatherer.FacilID2FacilNameHash;
    subset.LookupLastRun = gatherer.LookupLastRun;
    EXPECT_EQ(subset.CollectorID(), kCollector);
    EXPECT_EQ(subset.CollectorName(), "LIMS Lab");
    EXPECT_EQ(subset.CollectorWriteAsUser(), "LABWRITER");
    EXPECT_EQ(subset.CollectorTimeZoneID(), 6);
    EXPECT_EQ(subset.CollectorDateAdjust(), 1.5);
    EXPECT_EQ(subset.InterfaceTimezoneOffset(), 330);
    EXPECT_EQ(subset.LookupLastRun.get(), gatherer.LookupLastRun.get());
}

TEST_P(GathererTest, CollectorFailuresReturnFalse) {
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_EQ(env.plant().addCollector("No zone", kCollector, 0), kCollector);
    DbConnection root;
    openRoot(root);

    CommonVarGatherer missing;
    EXPECT_FALSE(missing.ReadAboutCollector(kCollector + 1, root));
    EXPECT_EQ(missing.CollectorID(), 0);

    // A null zone id fails the read; what was read before it stays.
    CommonVarGatherer noZone;
    EXPECT_FALSE(noZone.ReadAboutCollector(kCollector, root));
    EXPECT_EQ(noZone.CollectorName(), "No zone");

    // An unreadable bias table gives the offset 0, not a failure.
    ASSERT_TRUE(env.plant().addTimeZone(3, "Eastern"));
    ASSERT_TRUE(env.plant().setTimeZoneBias(3, Clock::now().date().year(), 300, 240));
    ASSERT_TRUE(env.plant().exec("UPDATE qorroot.g2_server SET collector_qortimezoneid = 3"));
    CommonVarGatherer zoned;
    ASSERT_TRUE(zoned.ReadAboutCollector(kCollector, root));
    EXPECT_EQ(zoned.CollectorTimeZoneOffset(), -300);
    ASSERT_TRUE(env.plant().exec("DROP TABLE qorroot.qortimezone_bias"));
    ASSERT_TRUE(zoned.ReadAboutCollector(kCollector, root));
    EXPECT_EQ(zoned.CollectorTimeZoneOffset(), 0);

    ASSERT_TRUE(env.plant().exec("DROP TABLE qorroot.g2_server CASCADE"));
    CommonVarGatherer gone;
    EXPECT_FALSE(gone.ReadAboutCollector(kCollector, root));
}

INSTANTIATE_TEST_SUITE_P(BothDialects, GathererTest, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Oracle" : "SqlServer"; });
