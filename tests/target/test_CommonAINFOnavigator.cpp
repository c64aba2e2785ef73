// The additional-info map: loading the configured entries, walking the source
// field names, collecting a record and transposing it for one facility.
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "target/CommonAINFOnavigator.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace limsbridge;

static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Columns = HashTable<QString>;
using ColumnsByFacility = CommonAINFOnavigator::ColumnsByFacility;

class AinfoMap : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        m_logger = std::make_unique<QORLoggerTXT>();
        m_logger->setLogPath(m_folder.path());
        m_logger->setBufferLength(1);
        m_logger->setVerbosity(9);
        m_logger->setEnabled(true);
        Logger = m_logger.get();
        CommonAINFOnavigator::DefineTree(m_config);
        Config = &m_config;
        m_config.setItem("TARGET\\AINFO\\ENABLED", "TRUE");
    }
    void TearDown() override {
        Logger = nullptr;
        Config = nullptr;
    }

    void setEntry(int n, const QString& targetId, const QString& sourceId, const QString& enabled = "TRUE") {
        const QString base = "TARGET\\AINFO\\MAP" + QString::number(n) + "\\";
        m_config.setItem(base + "ENABLED", enabled);
        m_config.setItem(base + "TARGETID", targetId);
        m_config.setItem(base + "SOURCEID", sourceId);
    }

    // The facility's additional-info table as the gatherer reports it.
    void addFacility(const QString& facility, const QStringList& columns) {
        auto table = std::make_shared<Columns>();
        for (const QString& column : columns)
            table->Add(column, column);
        m_columnsByFacility.Add(facility, table);
    }

    QStringList walk() {
        QStringList names;
        for (m_navigator.MoveFirst_Map(); !m_navigator.EOF_Map(); m_navigator.MoveNext_Map())
            names.append(m_navigator.Current_Map());
        return names;
    }

    CommonAINFOnavigator::RecordPtr record(const QList<std::pair<QString, QString>>& values) {
        m_navigator.SourceRecord_New();
        for (const auto& [name, value] : values)
            m_navigator.SourceRecord_addTo(name, value);
        return m_navigator.SourceRecord_download();
    }

    // The log's lines without their "hh:mm:ss : " time stamps.
    QStringList logLines() const {
        QStringList lines;
        QFile file(m_logger->currentFile());
        if (m_logger->currentFile().isEmpty() || !file.open(QIODevice::ReadOnly))
            return lines;
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
            lines.append(line.mid(11));
        return lines;
    }

    QTemporaryDir m_folder;
    std::unique_ptr<QORLoggerTXT> m_logger;
    QORConfiguration m_config;
    CommonAINFOnavigator m_navigator;
    ColumnsByFacility m_columnsByFacility;
};

} // namespace

TEST_F(AinfoMap, FeatureOffEndsTheWalkAtOnce) {
    m_config.setItem("TARGET\\AINFO\\ENABLED", "True");
    setEntry(1, "FAC1.SAMPLE_NO", "SAMPNUM");
    m_navigator.LoadMap();
    EXPECT_TRUE(m_navigator.EOF_Map());
    EXPECT_EQ(m_navigator.Count_Map(), 0);
    EXPECT_TRUE(walk().isEmpty());
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(AinfoMap, SwitchingOffKeepsTheLastCount) {
    setEntry(1, "FAC1.SAMPLE_NO", "SAMPNUM");
    setEntry(2, "FAC1.ANALYST", "ANALYZEDBY");
    m_navigator.LoadMap();
    ASSERT_EQ(m_navigator.Count_Map(), 2);
    m_config.setItem("TARGET\\AINFO\\ENABLED", "FALSE");
    m_navigator.LoadMap();
    m_navigator.MoveFirst_Map();
    EXPECT_TRUE(m_navigator.EOF_Map());
    EXPECT_EQ(m_navigator.Count_Map(), 2);
}

TEST_F(AinfoMap, LoadLogsEachDistinctSourceNameOnce) {
    setEntry(1, "FAC1.SAMPLE_NO", "SAMPNUM");
    setEntry(2, "FAC2.SAMPLE_ID", "SAMPNUM");
    setEntry(3, "FAC1.ANALYST", "ANALYZEDBY", "FALSE");
    setEntry(7, "FAC2.METHOD", "ANALYSIS_METHOD");
    m_navigator.LoadMap();
    EXPECT_EQ(logLines(), QStringList({
                              "AINFO_Map: Added 'SAMPNUM' as unique source field identifier",
                              "AINFO_Map: Added 'ANALYSIS_METHOD' as unique source field identifier",
                              "AINFO_Map: Registered 2 source fields",
                          }));
    EXPECT_EQ(m_navigator.Count_Map(), 2);
    QStringList names = walk();
    names.sort();
    EXPECT_EQ(names, QStringList({"ANALYSIS_METHOD", "SAMPNUM"}));
    EXPECT_EQ(m_navigator.Current_Map(), "");
}

TEST_F(AinfoMap, LogLevels) {
    setEntry(1, "FAC1.SAMPLE_NO", "SAMPNUM");
    m_logger->setVerbosity(5);
    m_navigator.LoadMap();
    EXPECT_EQ(logLines(), QStringList({"AINFO_Map: Registered 1 source fields"}));
    m_logger->setVerbosity(4);
    m_navigator.LoadMap();
    EXPECT_EQ(logLines().size(), 1);
}

TEST_F(AinfoMap, WalkFollowsTheSetsKeyOrder) {
    const QStringList ids = {"SAMPNUM", "LAB", "ANALYZEDBY", "MDL", "RL", "UD1"};
    HashTable<QString> expected;
    for (int i = 0; i < ids.size(); ++i) {
        setEntry(i + 1, "FAC1.C" + QString::number(i), ids.at(i));
        expected.Add(ids.at(i), ids.at(i));
    }
    m_navigator.LoadMap();
    EXPECT_EQ(walk(), expected.Keys());
    // A second walk starts over.
    EXPECT_EQ(walk(), expected.Keys());
}

TEST_F(AinfoMap, EnabledWithoutEntriesHasAnEmptyWalk) {
    m_navigator.LoadMap();
    EXPECT_EQ(m_navigator.Count_Map(), 0);
    m_navigator.MoveFirst_Map();
    EXPECT_TRUE(m_navigator.EOF_Map());
    EXPECT_EQ(m_navigator.Current_Map(), "");
    EXPECT_EQ(logLines(), QStringList({"AINFO_Map: Registered 0 source fields"}));
}

TEST_F(AinfoMap, LastEntryIsReadAndNothingBeyond) {
    // Reading an undefined key would fail the load, so a loaded map proves
    // that entry 513 was never asked for.
    setEntry(512, "FAC1.SAMPLE_NO", "SAMPNUM");
    m_navigator.LoadMap();
    EXPECT_EQ(walk(), QStringList({"SAMPNUM"}));
    EXPECT_FALSE(m_config.ItemExists("TARGET\\AINFO\\MAP513\\ENABLED"));
}

TEST_F(AinfoMap, TargetWithoutFullStopEndsTheLoad) {
    setEntry(1, "FAC1.SAMPLE_NO", "SAMPNUM");
    setEntry(2, "FAC1", "LAB");
    setEntry(3, "FAC1.ANALYST", "ANALYZEDBY");
    m_navigator.LoadMap();
    m_navigator.MoveFirst_Map();
    EXPECT_TRUE(m_navigator.EOF_Map());
    EXPECT_EQ(m_navigator.Count_Map(), 0);
    EXPECT_EQ(logLines(), QStringList({
                              "AINFO_Map: Added 'SAMPNUM' as unique source field identifier",
                              "AINFO_Map: Added 'LAB' as unique source field identifier",
                          }));
}

TEST_F(AinfoMap, RecordCollectsOnlyMappedUpperCaseNames) {
    setEntry(1, "FAC1.SAMPLE_NO", "SAMPNUM");
    setEntry(2, "FAC1.ANALYST", "analyzedby"); // lower case: never collects
    m_navigator.LoadMap();

    m_navigator.SourceRecord_addTo("SAMPNUM", "before any record"); // no record yet
    EXPECT_EQ(m_navigator.SourceRecord_download(), nullptr);

    const auto first =
        record({{"sampnum", "S-1"}, {"analyzedby", "JD"}, {"LAB", "Main"}, {"SampNum", "S-2"}});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Count(), 1);
    EXPECT_EQ(first->Item("SAMPNUM"), "S-2");

    // A new record does not touch the one already handed out.
    const auto second = record({{"SAMPNUM", "S-3"}});
    EXPECT_EQ(first->Item("SAMPNUM"), "S-2");
    EXPECT_EQ(second->Item("SAMPNUM"), "S-3");
    EXPECT_NE(first, second);
}

TEST_F(AinfoMap, TransposeToTheFacilitysColumns) {
    setEntry(1, "FAC1.SAMPLE_NO", "SAMPNUM");
    setEntry(2, "FAC2.SAMPLE_ID", "SAMPNUM");
    setEntry(3, "FAC1.ANALYST", "ANALYZEDBY");
    setEntry(4, "FAC1.ANALYST_2", "ANALYZEDBY"); // same facility and field: the first column wins
    m_navigator.LoadMap();
    addFacility("FAC1", {"SAMPLE_NO", "ANALYST"});
    addFacility("FAC2", {"SAMPLE_ID"});
    const auto source = record({{"SAMPNUM", "S-1"}, {"ANALYZEDBY", "JD"}});

    const auto fac1 = m_navigator.TransposeSource2Result(source, "FAC1", m_columnsByFacility);
    ASSERT_NE(fac1, nullptr);
    EXPECT_EQ(fac1->Count(), 2);
    EXPECT_EQ(fac1->Item("SAMPLE_NO"), "S-1");
    EXPECT_EQ(fac1->Item("ANALYST"), "JD");
    EXPECT_FALSE(fac1->Exists("ANALYST_2"));

    const auto fac2 = m_navigator.TransposeSource2Result(source, "FAC2", m_columnsByFacility);
    ASSERT_NE(fac2, nullptr);
    EXPECT_EQ(fac2->Count(), 1);
    EXPECT_EQ(fac2->Item("SAMPLE_ID"), "S-1");
}

TEST_F(AinfoMap, TransposeGivesNoneWithoutATableOrMapEntries) {
    setEntry(1, "FAC1.SAMPLE_NO", "SAMPNUM");
    m_navigator.LoadMap();
    addFacility("FAC1", {"SAMPLE_NO"});
    addFacility("FAC2", {"SAMPLE_NO"});
    addFacility("fac1", {"SAMPLE_NO"});
    m_columnsByFacility.Add("FAC3", std::make_shared<Columns>()); // no readable table
    m_columnsByFacility.Add("FAC4", nullptr);
    const auto source = record({{"SAMPNUM", "S-1"}});

    struct Row {
        const char* facility;
        bool none;
    };
    const Row rows[] = {
        {"FAC1", false}, {"FAC2", true}, // a table, but no map entries
        {"fac1", true},                  // the map's facility is FAC1, compared exactly
        {"FAC3", true},                  // empty column table
        {"FAC4", true},                  // null column table
        {"FAC9", true},                  // not in the gatherer's table at all
    };
    for (const Row& row : rows)
        EXPECT_EQ(m_navigator.TransposeSource2Result(source, row.facility, m_columnsByFacility) == nullptr,
                  row.none)
            << row.facility;
    EXPECT_TRUE(logLines().filter("TransposeSource2Result").isEmpty());
}

TEST_F(AinfoMap, TransposeOfARecordWithoutValuesIsEmpty) {
    setEntry(1, "FAC1.SAMPLE_NO", "SAMPNUM");
    m_navigator.LoadMap();
    addFacility("FAC1", {"SAMPLE_NO"});
    for (const auto& source : {record({{"LAB", "Main"}}), CommonAINFOnavigator::RecordPtr()}) {
        const auto result = m_navigator.TransposeSource2Result(source, "FAC1", m_columnsByFacility);
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(result->Count(), 0);
    }
    EXPECT_TRUE(logLines().filter("TransposeSource2Result").isEmpty());
}

TEST_F(AinfoMap, TwoFieldsInOneColumnFail) {
    setEntry(1, "FAC1.SAMPLE_NO", "SAMPNUM");
    setEntry(2, "FAC1.SAMPLE_NO", "SAMPLENUM");
    m_navigator.LoadMap();
    addFacility("FAC1", {"SAMPLE_NO"});

    // With only one of the two fields present the record still transposes.
    const auto single =
        m_navigator.TransposeSource2Result(record({{"SAMPNUM", "S-1"}}), "FAC1", m_columnsByFacility);
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->Item("SAMPLE_NO"), "S-1");

    const auto both = record({{"SAMPNUM", "S-1"}, {"SAMPLENUM", "S-2"}});
    EXPECT_EQ(m_navigator.TransposeSource2Result(both, "FAC1", m_columnsByFacility), nullptr);
    EXPECT_EQ(
        logLines().filter("TransposeSource2Result"),
        QStringList({"CommonAINFOnavigator.TransposeSource2Result() : Failed with the following error 457 : "
                     "This key is already associated with an element of this collection"}));

    m_logger->setVerbosity(8);
    EXPECT_EQ(m_navigator.TransposeSource2Result(both, "FAC1", m_columnsByFacility), nullptr);
    EXPECT_EQ(logLines().filter("TransposeSource2Result").size(), 1);
}
