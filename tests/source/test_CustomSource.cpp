#include "LimsFixture.h"

#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "source/CommonTypeGlobals.h"
#include "source/CommonTypeLimsMatchRec.h"
#include "source/CustomConfiguration.h"
#include "source/CustomSource.h"
#include "target/CommonAINFOnavigator.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>

// Readable failure messages for Qt's text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

QDateTime at(int year, int month, int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

const QDateTime kStart = at(2024, 3, 5, 0, 0);
const QDateTime kEnd = at(2024, 3, 6, 0, 0);

// A query of the default query's shape with the five required columns and
// whatever else a case needs.
QString shapedQuery(const QString& extraColumns,
                    const QString& sampDate = QStringLiteral("ORDERS.SAMPDATE")) {
    return "SELECT " + sampDate + ", RESULTS.FINAL, PROGNAME as SAMPLOC, RESULTS.Analyte, RESULTS.UNITS" +
           extraColumns +
           " FROM ORDERS, RESULTS, SAMPLE_PROGRAMS WHERE ORDERS.ORDNO = RESULTS.ORDNO And ORDERS.SP_CODE = "
           "SAMPLE_PROGRAMS.SP_CODE AND DATEENTER>= #SD# AND DATEENTER < #ED# AND RESULTS.S='Done' "
           "ORDER BY ORDERS.ORDNO, DATEENTER DESC";
}

class SourceReader : public ::testing::TestWithParam<LimsDriver> {
protected:
    void SetUp() override {
        if (GetParam() == LimsDriver::PostgreSql)
            LB_REQUIRE_PG();
        m_lims = std::make_unique<LimsFixture>(GetParam());
        LimsFixture& lims = *m_lims;
        lims.addFolder(1, "Wastewater");
        lims.addProgram("P1", "Influent");
        lims.addProgram("P2", "Effluent");
        lims.addOrder("O-1", at(2024, 3, 5, 13, 30), "P1", 1, "2024-03-05 13:30:00", "amy");
        lims.addOrder("O-2", at(2024, 3, 5, 8, 0), "P2", 1, "pending", "bob");
        lims.addOrder("O-3", QVariant(), "P1", 1, QVariant(), "amy");
        lims.addOrder("O-4", at(2024, 3, 5, 15, 0), "P2", 1, "2024-02-30 10:00:00", "bob");
        lims.addResult("O-1", "pH", "7.2", " SU ", at(2024, 3, 5, 14, 0), "Done", "North", 11, 7.25);
        lims.addResult("O-1", "TSS", QVariant(), "mg/L", kStart, "Done", "North", 12);
        lims.addResult("O-2", "BOD", "<2", "mg/L", at(2024, 3, 5, 9, 0), "Done", "South", 13, 2.0);
        lims.addResult("O-2", "COD", "40", "mg/L", kEnd, "Done", "South", 14);
        lims.addResult("O-2", "NH3", "1.1", "mg/L", at(2024, 3, 5, 10, 0), "Pending", "South", 15);
        lims.addResult("O-3", "pH", "6.9", "SU", at(2024, 3, 5, 11, 0), "Done", "North", 16);
        lims.addResult("O-4", "Temp", "12", "DegC", at(2024, 3, 5, 15, 30), "Done", "South", 17);
    }

    // Reads the standard range; true when the read reported no error.
    bool read(CustomSource& source) {
        source.PrepareForNextFacility("FAC1");
        source.setStartDate(kStart);
        source.setenddate(kEnd);
        bool error = false;
        source.ReadLIMSdata(error);
        return !error;
    }

    std::vector<std::shared_ptr<CommonTypeLimsMatchRec>> records(CustomSource& source) {
        std::vector<std::shared_ptr<CommonTypeLimsMatchRec>> all;
        for (; !source.EOF_LimsRec(); source.MoveNext_LimsRec())
            all.push_back(source.Get_LimsRec());
        return all;
    }

    bool logged(const QString& line) const { return m_lims->logLines().contains(line); }
    bool loggedStartingWith(const QString& start) const {
        for (const QString& line : m_lims->logLines())
            if (line.startsWith(start))
                return true;
        return false;
    }

    std::unique_ptr<LimsFixture> m_lims;
};

} // namespace

TEST_P(SourceReader, DefaultQueryLoadsTheHalfOpenRangeInOrder) {
    m_lims->useAsSource(DefaultSourceQuery());
    CustomSource source;
    ASSERT_TRUE(read(source));

    // Six result rows are Done; COD was entered at the end of the range, the
    // row of O-3 has no sample date, and O-4's is read from a timestamp column.
    EXPECT_EQ(source.RecordCount(), 4);
    const auto all = records(source);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_TRUE(source.EOF_LimsRec());
    EXPECT_EQ(source.Get_LimsRec(), nullptr);

    const CommonTypeLimsMatchRec& bod = *all[0];
    EXPECT_EQ(bod.LimsTest, "BOD");
    EXPECT_EQ(bod.LimsLocation, "Effluent");
    EXPECT_EQ(bod.LimsCollectedDate, at(2024, 3, 5, 8, 0));
    EXPECT_EQ(bod.LimsResult.toString(), "<2");
    EXPECT_EQ(bod.LimsSampleIdentifier.toString(), "O-2");
    EXPECT_EQ(bod.LimsUnits.toString(), "mg/L");

    // A result without a value is kept, with an empty result text.
    const CommonTypeLimsMatchRec& tss = *all[1];
    EXPECT_EQ(tss.LimsTest, "TSS");
    EXPECT_TRUE(tss.LimsResult.typeId() == QMetaType::QString);
    EXPECT_EQ(tss.LimsResult.toString(), "");

    const CommonTypeLimsMatchRec& ph = *all[2];
    EXPECT_EQ(ph.LimsTest, "pH");
    EXPECT_EQ(ph.LimsLocation, "Influent");
    EXPECT_EQ(ph.LimsCollectedDate, at(2024, 3, 5, 13, 30));
    EXPECT_EQ(ph.LimsResult.toString(), "7.2");
    EXPECT_EQ(ph.LimsUnits.toString(), "SU");
    EXPECT_EQ(ph.LimsSampleIdentifier.toString(), "O-1");
    EXPECT_EQ(ph.LimsResultStatus, QVariant(1));
    EXPECT_EQ(ph.LimsResultFLAG.toString(), "");
    EXPECT_EQ(ph.LIMSResultComment, "");
    EXPECT_FALSE(ph.LimsUD1.isValid());
    EXPECT_FALSE(ph.LimsUD2.isValid());
    EXPECT_FALSE(ph.LimsUD3.isValid());
    EXPECT_FALSE(ph.LimsAuditUser.isValid());
    EXPECT_FALSE(ph.LimsAuditTimeStamp.isValid());
    EXPECT_EQ(ph.LimsAINFO, nullptr);
    EXPECT_EQ(all[3]->LimsTest, "Temp");

    QString expectedQuery = DefaultSourceQuery();
    expectedQuery.replace("#SD#", "'2024-03-05 00:00:00'").replace("#ED#", "'2024-03-06 00:00:00'");
    EXPECT_TRUE(logged("CustomSource.LoadResultRecords() Query : " + expectedQuery));
    EXPECT_TRUE(logged("CustomSource.LoadResultRecords() Query Executed succesfully, returned 5 Records"));
    EXPECT_TRUE(logged("Collect Date: 3/5/2024 1:30:00 PM, Location: Influent, Test: pH, Result: 7.2, "
                       "Sample ID: O-1, Units: SU, Data Qualifier: "));
    EXPECT_TRUE(logged("Collect Date: 3/5/2024 8:00:00 AM, Location: Effluent, Test: BOD, Result: <2, "
                       "Sample ID: O-2, Units: mg/L, Data Qualifier: "));
}

TEST_P(SourceReader, StartPlaceholderTwiceAndLowerCasePlaceholdersLeftAlone) {
    const QString query =
        "SELECT ORDERS.SAMPDATE, RESULTS.FINAL, PROGNAME as SAMPLOC, RESULTS.Analyte, RESULTS.UNITS, "
        "'#sd# to #ed#' AS SAMPLENOTE FROM ORDERS, RESULTS, SAMPLE_PROGRAMS WHERE ORDERS.ORDNO = "
        "RESULTS.ORDNO "
        "And ORDERS.SP_CODE = SAMPLE_PROGRAMS.SP_CODE AND DATEENTER>= #SD# AND (DATEENTER > #SD# OR "
        "RESULTS.Analyte = 'TSS') AND DATEENTER < #ED# AND RESULTS.S='Done' ORDER BY DATEENTER";
    m_lims->useAsSource(query);
    m_lims->mapAdditionalInfo({{"SAMPLENOTE", "FAC1.NOTE"}});
    CustomSource source;
    ASSERT_TRUE(read(source));

    EXPECT_TRUE(
        logged("CustomSource.LoadResultRecords() Query : SELECT ORDERS.SAMPDATE, RESULTS.FINAL, PROGNAME "
               "as SAMPLOC, RESULTS.Analyte, RESULTS.UNITS, '#sd# to #ed#' AS SAMPLENOTE FROM ORDERS, "
               "RESULTS, SAMPLE_PROGRAMS WHERE ORDERS.ORDNO = RESULTS.ORDNO And ORDERS.SP_CODE = "
               "SAMPLE_PROGRAMS.SP_CODE AND DATEENTER>= '2024-03-05 00:00:00' AND (DATEENTER > "
               "'2024-03-05 00:00:00' OR RESULTS.Analyte = 'TSS') AND DATEENTER < '2024-03-06 00:00:00' "
               "AND RESULTS.S='Done' ORDER BY DATEENTER"));
    const auto all = records(source);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0]->LimsTest, "TSS");
    ASSERT_NE(all[0]->LimsAINFO, nullptr);
    EXPECT_EQ(all[0]->LimsAINFO->Item("SAMPLENOTE"), "#sd# to #ed#");
}

TEST_P(SourceReader, SampleIdentifierPrefersSamplenum) {
    struct Row {
        const char* name;
        const char* columns;
        const char* expected;
    };
    const Row rows[] = {
        {"both", ", ORDERS.ORDNO AS SAMPNUM, RESULTS.TESTNO AS SAMPLENUM", "11"},
        {"samplenum first", ", RESULTS.TESTNO AS SAMPLENUM, ORDERS.ORDNO AS SAMPNUM", "11"},
        {"sampnum only", ", ORDERS.ORDNO AS SAMPNUM", "O-1"},
        {"neither", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_lims->useAsSource(shapedQuery(QString::fromLatin1(row.columns)));
        CustomSource source;
        ASSERT_TRUE(read(source));
        ASSERT_GE(source.RecordCount(), 1);
        const auto first = source.Get_LimsRec();
        EXPECT_EQ(first->LimsTest, "pH");
        EXPECT_EQ(first->LimsSampleIdentifier.toString(), QString::fromLatin1(row.expected));
    }
}

TEST_P(SourceReader, ResultStatusOnlyWithTheSwitchAndTheColumn) {
    struct Row {
        const char* name;
        const char* importDataApp;
        const char* columns;
        QVariant expected;
    };
    const Row rows[] = {
        {"switch and column", "RESULTSTATUS", ", ORDERS.STATUS AS ResultStatus", QVariant("Approved")},
        {"switch without column", "RESULTSTATUS", "", QVariant(1)},
        {"default with column", "VAR", ", ORDERS.STATUS AS RESULTSTATUS", QVariant(1)},
        {"switch in lower case", "resultstatus", ", ORDERS.STATUS AS RESULTSTATUS", QVariant(1)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_lims->config().setItem("K52907\\IMPORTDATAAPP", row.importDataApp);
        m_lims->useAsSource(shapedQuery(QString::fromLatin1(row.columns)));
        CustomSource source;
        ASSERT_TRUE(read(source));
        ASSERT_GE(source.RecordCount(), 1);
        EXPECT_EQ(source.Get_LimsRec()->LimsResultStatus, row.expected);
    }
}

// Text, numbers and dates as each driver hands them over: SampDate from a text
// column here, numbers for FINAL and LIMSUD1.
TEST_P(SourceReader, ValuesOfEveryKindBecomeTextAndDates) {
    m_lims->useAsSource(
        shapedQuery(", RESULTS.NUMRES AS FINAL2, RESULTS.TESTNO AS LIMSUD1", "ORDERS.SAMPDESC AS SampDate")
            .replace("RESULTS.FINAL,", "RESULTS.NUMRES AS FINAL,"));
    CustomSource source;
    ASSERT_TRUE(read(source));
    // O-2's "pending", O-3's null and O-4's 30 February are no dates: only O-1's two rows are kept.
    const auto all = records(source);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0]->LimsTest, "pH");
    EXPECT_EQ(all[0]->LimsCollectedDate, at(2024, 3, 5, 13, 30));
    EXPECT_EQ(all[0]->LimsResult.toString(), "7.25");
    EXPECT_EQ(all[0]->LimsUD1.toString(), "11");
    EXPECT_EQ(all[1]->LimsTest, "TSS");
    EXPECT_EQ(all[1]->LimsResult.toString(), "");
    EXPECT_EQ(all[1]->LimsUD1.toString(), "12");
}

TEST_P(SourceReader, MissingRequiredColumnFailsTheLoadWithItsLine) {
    const char* const required[] = {"SampDate", "FINAL", "SampLoc", "Analyte", "Units"};
    const char* const selected[] = {"ORDERS.SAMPDATE", "RESULTS.FINAL", "PROGNAME as SAMPLOC",
                                    "RESULTS.Analyte", "RESULTS.UNITS"};
    for (int missing = 0; missing < 5; ++missing) {
        SCOPED_TRACE(required[missing]);
        QStringList columns;
        for (int i = 0; i < 5; ++i)
            if (i != missing)
                columns << QString::fromLatin1(selected[i]);
        m_lims->useAsSource(
            "SELECT " + columns.join(", ") +
            " FROM ORDERS, RESULTS, SAMPLE_PROGRAMS WHERE ORDERS.ORDNO = RESULTS.ORDNO And "
            "ORDERS.SP_CODE = SAMPLE_PROGRAMS.SP_CODE AND DATEENTER>= #SD# AND DATEENTER < #ED#");
        CustomSource source;
        EXPECT_FALSE(read(source));
        EXPECT_TRUE(logged("Error in LoadResultRecords: 3265 - The recordset has no field named '" +
                           QString::fromLatin1(required[missing]) + "'"));
    }
}

TEST_P(SourceReader, FailedQueryLeavesNoRecordsOfTheReadBefore) {
    m_lims->useAsSource(DefaultSourceQuery());
    CustomSource source;
    ASSERT_TRUE(read(source));
    ASSERT_EQ(source.RecordCount(), 4);

    m_lims->config().setItem("K52907\\SOURCE_QUERY", "SELECT FROM NOWHERE #SD#");
    EXPECT_FALSE(read(source));
    EXPECT_EQ(source.RecordCount(), 0);
    EXPECT_TRUE(source.EOF_LimsRec());
    EXPECT_TRUE(loggedStartingWith("Error in LoadResultRecords: "));
}

TEST_P(SourceReader, DestroyConnectionMakesTheNextReadConnectAfresh) {
    m_lims->useAsSource(DefaultSourceQuery());
    CustomSource source;
    ASSERT_TRUE(read(source));

    // The open connection is kept from read to read: a source that no longer
    // answers is not noticed until the connection is dropped.
    const QString unreachable = GetParam() == LimsDriver::PostgreSql
                                    ? m_lims->dataSource().replace(QRegularExpression(":\\d+/"), ":1/")
                                    : m_lims->home() + "/gone.sqlite";
    m_lims->config().setItem("K52907\\DB_CONN_SOURCE", unreachable);
    EXPECT_TRUE(read(source));
    EXPECT_EQ(source.RecordCount(), 4);

    source.DestroyConnection();
    EXPECT_FALSE(read(source));
    EXPECT_TRUE(loggedStartingWith("Unable to Open Connection to database. Error : "));

    m_lims->config().setItem("K52907\\DB_CONN_SOURCE", m_lims->dataSource());
    EXPECT_TRUE(read(source));
    EXPECT_EQ(source.RecordCount(), 4);
}

TEST_P(SourceReader, ConnectionFailuresWriteTheActivityLine) {
    m_lims->useAsSource(DefaultSourceQuery());
    m_lims->config().setItem("K52907\\DB_CONN_DBMS_TYPE", "7");
    CustomSource source;
    EXPECT_FALSE(read(source));
    EXPECT_TRUE(logged("Unable to Open Connection to database. Error : 3706 - Provider cannot be found: the "
                       "connection string names no Provider"));
    EXPECT_TRUE(logged(" Source Connection: "));

    if (GetParam() == LimsDriver::Sqlite) {
        const QString missing = m_lims->home() + "/missing.sqlite";
        m_lims->useAsSource(DefaultSourceQuery());
        m_lims->config().setItem("K52907\\DB_CONN_SOURCE", missing);
        EXPECT_FALSE(read(source));
        EXPECT_TRUE(
            logged("Unable to Open Connection to database. Error : 14 - Cannot open the SQLite database '" +
                   missing + "': the file does not exist"));
    } else {
        m_lims->useAsSource(DefaultSourceQuery());
        m_lims->config().setItem("K52907\\DB_CONN_PASSWORD", "Wrong-Secret-991");
        EXPECT_FALSE(read(source));
        EXPECT_TRUE(loggedStartingWith("Unable to Open Connection to database. Error : "));
        for (const QString& line : m_lims->logLines())
            EXPECT_FALSE(line.contains("Wrong-Secret-991")) << line.toStdString();
    }
}

TEST_P(SourceReader, MaskedConnectionStringNeverShowsThePassword) {
    m_lims->useAsSource(DefaultSourceQuery());
    m_lims->config().setItem("K52907\\DB_CONN_PASSWORD", LimsFixture::kPassword);
    const QString provider = GetParam() == LimsDriver::PostgreSql ? "PostgreSQL" : "SQLite";
    const QString user = GetParam() == LimsDriver::PostgreSql ? "lims" : "";
    const QString masked =
        "Provider=" + provider + ";Persist Security Info=False;Data Source=" + m_lims->dataSource() +
        ";Initial Catalog=lims;User ID=" + user + ";Password=###;OLE DB Services =-2;Application Name=52907;";

    CustomSource source;
    EXPECT_EQ(source.GenerateSourceConnString(true), masked);
    EXPECT_EQ(SourceConnectionString(true), masked);
    QString clear = masked;
    clear.replace("Password=###", "Password=" + QString::fromLatin1(LimsFixture::kPassword));
    EXPECT_EQ(source.GenerateSourceConnString(false), clear);
    EXPECT_EQ(SourceConnectionString(false), clear);
    ASSERT_TRUE(read(source));

    EXPECT_TRUE(logged(" Source Connection: " + masked));
    for (const QString& line : m_lims->logLines())
        EXPECT_FALSE(line.contains(QString::fromLatin1(LimsFixture::kPassword))) << line.toStdString();
}

TEST_P(SourceReader, AdditionalInfoTakesMappedListedColumnsOnly) {
    m_lims->useAsSource(DefaultSourceQuery());
    m_lims->mapAdditionalInfo({{"LAB", "FAC1.LAB_NAME"},
                               {"SAMPLENOTE", "FAC1.NOTE"},
                               {"MDL", "FAC1.MDL"},
                               {"DEPT", "FAC1.DEPT"},
                               {"SAMPNUM", "FAC2.SAMPLE_NO"},
                               {"sampledby", "FAC2.SAMPLER"}});
    CustomSource source;
    ASSERT_TRUE(read(source));
    const auto all = records(source);
    ASSERT_EQ(all.size(), 4u);
    const auto& info = all[2]->LimsAINFO;
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Count(), 3);
    EXPECT_EQ(info->Item("LAB"), "North");
    EXPECT_EQ(info->Item("SAMPLENOTE"), "");
    EXPECT_TRUE(info->Exists("SAMPLENOTE"));
    EXPECT_EQ(info->Item("SAMPNUM"), "O-1");
    EXPECT_FALSE(info->Exists("MDL"));
    EXPECT_FALSE(info->Exists("DEPT"));
    EXPECT_FALSE(info->Exists("SAMPLEDBY"));
    // Each record has its own table.
    EXPECT_EQ(all[0]->LimsAINFO->Item("SAMPNUM"), "O-2");
    EXPECT_NE(all[0]->LimsAINFO, all[2]->LimsAINFO);
}

TEST_P(SourceReader, CommentWriterSwitchIsRefreshedByEachRead) {
    m_lims->useAsSource(DefaultSourceQuery());
    CustomSource source;
    m_lims->config().setItem("TARGET\\COMMENTWRITER\\ENABLED", "false");
    ASSERT_TRUE(read(source));
    EXPECT_FALSE(CommentWriterEnabled);
    m_lims->config().setItem("TARGET\\COMMENTWRITER\\ENABLED", "True");
    ASSERT_TRUE(read(source));
    EXPECT_TRUE(CommentWriterEnabled);
}

INSTANTIATE_TEST_SUITE_P(Drivers, SourceReader, ::testing::Values(LimsDriver::PostgreSql, LimsDriver::Sqlite),
                         [](const ::testing::TestParamInfo<LimsDriver>& info) {
                             return std::string(limsDriverName(info.param));
                         });

// The Oracle dialect's literal, run on PostgreSQL (whose lims schema has a
// TO_DATE that keeps the time of day).
TEST(SourceReaderOracle, ToDateLiteralsSelectTheRange) {
    LB_REQUIRE_PG();
    LimsFixture lims(LimsDriver::PostgreSql);
    lims.addFolder(1, "Wastewater");
    lims.addProgram("P1", "Influent");
    lims.addOrder("O-1", at(2024, 3, 5, 13, 30), "P1", 1);
    lims.addResult("O-1", "before", "1", "SU", at(2024, 3, 5, 13, 29, 59));
    lims.addResult("O-1", "first", "2", "SU", at(2024, 3, 5, 13, 30));
    lims.addResult("O-1", "last", "3", "SU", at(2024, 3, 5, 21, 59, 59));
    lims.addResult("O-1", "after", "4", "SU", at(2024, 3, 5, 22, 0));
    lims.useAsSource(DefaultSourceQuery(), 1);

    CustomSource source;
    source.setStartDate(at(2024, 3, 5, 13, 30));
    source.setenddate(at(2024, 3, 5, 22, 0));
    bool error = true;
    source.ReadLIMSdata(error);
    ASSERT_FALSE(error);
    ASSERT_EQ(source.RecordCount(), 2);
    EXPECT_EQ(source.Get_LimsRec()->LimsTest, "first");
    source.MoveNext_LimsRec();
    EXPECT_EQ(source.Get_LimsRec()->LimsTest, "last");

    const QStringList lines = lims.logLines();
    const QString expected =
        "AND DATEENTER>=  TO_DATE('05-Mar-2024 01:30:00 PM', 'dd-Mon-yyyy HH:MI:SS AM')  AND "
        "DATEENTER <  TO_DATE('05-Mar-2024 10:00:00 PM', 'dd-Mon-yyyy HH:MI:SS AM')  AND";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [&](const QString& line) { return line.contains(expected); }));
    EXPECT_EQ(lims.config().item("K52907\\DB_CONN_DBMS_TYPE"), "1");
}

TEST(CustomSourceState, FreshObjectAndFacilityHandOver) {
    CustomSource source;
    EXPECT_EQ(source.RecordCount(), 0);
    EXPECT_TRUE(source.EOF_LimsRec());
    EXPECT_EQ(source.Get_LimsRec(), nullptr);
    EXPECT_FALSE(source.HoldLastRundate());
    source.setHoldLastRundate(true);
    source.PrepareForNextFacility("FAC1");
    EXPECT_FALSE(source.HoldLastRundate());
    EXPECT_EQ(source.LogCustomSourceQuery(), "[SourceTag:] \t[SourceStat:] \t");
    source.FinishRun_CleanUp();
    source.DestroyConnection();
}

TEST(CustomSourceState, ConnectionStringWithoutConfigurationIsEmpty) {
    QORConfiguration* saved = Config;
    Config = nullptr;
    EXPECT_EQ(SourceConnectionString(true), "");
    Config = saved;
}
