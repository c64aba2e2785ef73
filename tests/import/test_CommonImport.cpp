// Whole import runs: a gatherer read from a substitute plant database (both
// SQL dialects), laboratory results in a PostgreSQL or SQLite database, one
// StartImport, and then the plant tables read back: values, texts, statuses,
// audit users, comments and additional info in the right table and slot;
// refusals, overwrite protection, test mode; symbols that stop a run; and
// reconnection to the source and to the plant database.
#include "source/LimsFixture.h"

#include "core/ActivityLog.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "import/CommonImport.h"
#include "platform/DbConnection.h"
#include "source/CustomConfiguration.h"
#include "support/target/TargetEnvironment.h"
#include "target/CommonLastRun.h"
#include "target/CommonVarGatherer.h"
#include "target/ConnectionManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

constexpr int kCollector = 5;

QDateTime at(int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute, second));
}

const QDateTime kStart = at(1, 0, 0);
const QDateTime kEnd = at(10, 0, 0);

struct RunCase {
    int dialect;
    LimsDriver driver;
};

std::string caseName(const ::testing::TestParamInfo<RunCase>& info) {
    return (info.param.dialect == 1 ? std::string("Oracle") : std::string("SqlServer")) + "_" +
           limsDriverName(info.param.driver);
}

// Counts the "Wrote Data" lines and runs a hook on the n-th, as the main
// window's activity list would see them.
class HookSink : public ActivitySink {
public:
    int lineCount() const override { return int(m_lines.size()); }
    void appendLine(const QString& text) override {
        m_lines << text;
        if (text.startsWith("Wrote Data ") && ++m_valueLines == m_hookAt && m_hook)
            m_hook();
    }
    void clear() override { m_lines.clear(); }

    void hookAt(int valueLine, std::function<void()> hook) {
        m_hookAt = valueLine;
        m_hook = std::move(hook);
    }
    int valueLines() const { return m_valueLines; }

private:
    QStringList m_lines;
    int m_valueLines = 0;
    int m_hookAt = 0;
    std::function<void()> m_hook;
};

class ImportRun : public ::testing::TestWithParam<RunCase> {
protected:
    void SetUp() override {
        LB_REQUIRE_PG();
        m_env = std::make_unique<TargetEnvironment>(GetParam().dialect);
        ASSERT_TRUE(m_env->addFacility("Fac1", "Plant One"));
        ASSERT_TRUE(plant().addTimeZone(1, "Eastern Standard Time"));
        ASSERT_EQ(plant().addCollector("LIMS", kCollector, 1, "1.0", true, " LabBot "), kCollector);
        ASSERT_TRUE(plant().setLockDate("FAC1", at(1, 0, 0)));
        m_lims = std::make_unique<LimsFixture>(GetParam().driver, m_env->config(), m_env->logger());
        m_lims->addFolder(1, "Lab");
        m_lims->addProgram("P1", "Influent");
        m_lims->addProgram("P2", "Effluent");
        m_lims->useAsSource(DefaultSourceQuery(), 2);
        config().setItem("SOURCE\\RECOVERY\\SECONDS", "0");
        config().setItem("TARGET\\RECOVERY\\SECONDS", "0");
        ServiceMode = false;
        setActivitySink(&m_sink);
    }
    void TearDown() override {
        setActivitySink(nullptr);
        ServiceMode = true;
        DontOverwrite = false;
        m_lims.reset();
        m_env.reset();
    }

    PlantDb& plant() { return m_env->plant(); }
    QORConfiguration& config() { return m_env->config(); }

    int addVariable(const QString& name, const QString& vartype, const QString& test, int decplaces,
                    int approval = 2, const QString& location = "Influent") {
        PlantVariable variable;
        variable.facility = "FAC1";
        variable.name = name;
        variable.vartype = vartype;
        variable.limsLoc = location;
        variable.limsTest = test;
        variable.collector = kCollector;
        variable.units = "mg/L";
        variable.decplaces = decplaces;
        variable.approval = approval;
        const int id = plant().addVariable(variable);
        EXPECT_GT(id, 0) << plant().lastError().toStdString();
        return id;
    }

    // One sample with one result, entered an hour after it was taken unless told.
    void addResult(const QString& analyte, const QVariant& final, const QDateTime& sampled,
                   const QString& program = "P1", const QString& lab = "North", const QDateTime& entered = {}) {
        const QString order = "O-" + QString::number(++m_orders);
        m_lims->addOrder(order, sampled, program, 1);
        m_lims->addResult(order, analyte, final, "mg/L", entered.isValid() ? entered : sampled.addSecs(3600), "Done",
                          lab, m_orders);
    }

    // Reads the gatherer as a workflow does and runs one import.
    bool run(bool testMode = false) {
        ConnectionManager manager;
        EXPECT_TRUE(ConfigureConnectionManager(manager));
        DbConnection root;
        manager.ConfigCnn4QORROOT(root);
        root.Open();
        m_gatherer = std::make_unique<CommonVarGatherer>();
        EXPECT_TRUE(m_gatherer->ReadZuriVARU(kCollector, root));
        EXPECT_TRUE(m_gatherer->ReadAboutCollector(kCollector, root));
        root.Close();
        m_gatherer->LookupLastRun->setDefaultStart(kStart);
        m_gatherer->LookupLastRun->setDefaultEnd(kEnd);
        EXPECT_TRUE(m_gatherer->LookupLastRun->ReadZuriVARUFacilLockDates("FAC1"));
        m_import = std::make_unique<CommonImport>();
        return m_import->StartImport(*m_gatherer, testMode);
    }

    QList<QVariantMap> values(const QString& table = "datatbl") {
        return plant().rows("SELECT varid, datestamp, curvalue, textvalue, status, audituser FROM fac1." + table +
                            " ORDER BY varid, datestamp");
    }
    QVariantMap value(int varid, const QString& table = "datatbl") {
        const auto rows = plant().rows("SELECT varid, datestamp, curvalue, textvalue, status, audituser FROM fac1." +
                                       table + " WHERE varid = " + QString::number(varid));
        EXPECT_EQ(rows.size(), 1) << "variable " << varid << " in " << table.toStdString();
        return rows.isEmpty() ? QVariantMap() : rows.first();
    }
    QStringList comments(const QString& table = "datatbl_c") {
        QStringList list;
        for (const QVariantMap& row :
             plant().rows("SELECT varid, datestamp, comment FROM fac1." + table + " ORDER BY varid, datestamp"))
            list << row["varid"].toString() + "@" + row["datestamp"].toDateTime().toString("dd HH:mm") + "=" +
                        row["comment"].toString();
        return list;
    }
    bool logged(const QString& line) const { return m_env->logLines().contains(line); }
    int loggedCount(const QString& line) const { return int(m_env->logLines().count(line)); }

    std::unique_ptr<TargetEnvironment> m_env;
    std::unique_ptr<LimsFixture> m_lims;
    std::unique_ptr<CommonVarGatherer> m_gatherer;
    std::unique_ptr<CommonImport> m_import;
    HookSink m_sink;
    int m_orders = 0;
};

TEST_P(ImportRun, WritesValuesTextsSymbolsCommentsAndAdditionalInfoWhereTheyBelong) {
    const int lessThan = plant().addSymbol("<", 1);
    const int notDetected = plant().addSymbol("ND", 0);
    ASSERT_GT(lessThan, 0);
    ASSERT_GT(notDetected, 0);
    m_lims->mapAdditionalInfo({{"LAB", "FAC1.REMARKS"}, {"SAMPLENOTE", "FAC1.ANALYST"}});

    const int ph = addVariable("pH", "P", "pH", 1);
    const int tss = addVariable("TSS", "P", "TSS", 9999);
    const int flow = addVariable("Flow", "H", "Flow", 2);
    const int late = addVariable("Late flow", "H", "LateFlow", 2);
    const int block = addVariable("Chlorine", "4", "Cl2", 2);
    const int lead = addVariable("Lead", "P", "Pb", 2);
    ASSERT_TRUE(plant().setSymbolRule("FAC1", lead, 1, 2));
    const int cyanide = addVariable("Cyanide", "P", "CN", 2);
    ASSERT_TRUE(plant().setSymbolRule("FAC1", cyanide, 2, 4, 0.1));
    const int color = addVariable("Color", "P", "Color", 2);
    ASSERT_TRUE(plant().setSymbolRule("FAC1", color, 1, 2));
    const int sky = addVariable("Sky", "T", "Sky", 0);
    ASSERT_TRUE(plant().setTextList("FAC1", sky, {"Clear", "Cloudy"}, true));
    const int weather = addVariable("Weather", "T", "Weather", 0);
    ASSERT_TRUE(plant().setTextList("FAC1", weather, {"Clear", "Cloudy"}, true));
    const int note = addVariable("Note", "T", "Note", 0);
    ASSERT_TRUE(plant().setTextList("FAC1", note, {"Clear", "Cloudy"}, false));
    const int bod = addVariable("BOD", "P", "BOD", 2);
    const int phOut = addVariable("pH out", "P", "pH", 2, 3, "Effluent");
    const int phOutCopy = addVariable("pH out copy", "P", "pH", 2, 2, "Effluent");

    addResult("pH", "7.25", at(5, 23, 59, 59));
    addResult("TSS", "5.10", at(5, 8, 0));
    addResult("Flow", "12.345", at(5, 13, 30));
    addResult("LateFlow", "3", at(5, 23, 59, 59));
    addResult("Cl2", "0.5", at(5, 3, 59, 59));
    addResult("Cl2", "0.7", at(5, 4, 0));
    addResult("Pb", "<5", at(5, 9, 0));
    addResult("CN", "ND", at(5, 9, 0));
    addResult("Color", "purple", at(5, 9, 0));
    addResult("Sky", "cloudy", at(5, 9, 0));
    addResult("Weather", "Rain", at(5, 9, 0));
    addResult("Note", "Drizzle", at(5, 9, 0));
    addResult("BOD", QVariant(), at(5, 9, 0));
    addResult("Unknown", "1", at(5, 12, 0));
    addResult("pH", "6.8", at(6, 0, 0), "P2", "");

    ASSERT_TRUE(run());

    const QString user = "LabBot";
    const QVariantMap phRow = value(ph);
    EXPECT_EQ(phRow["datestamp"].toDateTime(), at(5, 0, 0));
    EXPECT_DOUBLE_EQ(phRow["curvalue"].toDouble(), 7.3);
    EXPECT_EQ(phRow["textvalue"].toString(), "7.3");
    EXPECT_EQ(phRow["status"].toInt(), 2);
    EXPECT_EQ(phRow["audituser"].toString(), user);
    EXPECT_DOUBLE_EQ(value(tss)["curvalue"].toDouble(), 5.1);
    EXPECT_EQ(value(tss)["textvalue"].toString(), "5.10");

    // Sub-daily values land in the slot that holds the sample time.
    const QVariantMap flowRow = value(flow, "dataddh");
    EXPECT_EQ(flowRow["datestamp"].toDateTime(), at(5, 13, 0));
    EXPECT_DOUBLE_EQ(flowRow["curvalue"].toDouble(), 12.35);
    EXPECT_EQ(flowRow["textvalue"].toString(), "12.35");
    EXPECT_EQ(value(late, "dataddh")["datestamp"].toDateTime(), at(5, 23, 0));
    const auto blocks = plant().rows("SELECT datestamp, curvalue FROM fac1.datadd4 WHERE varid = " +
                                     QString::number(block) + " ORDER BY datestamp");
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(blocks[0]["datestamp"].toDateTime(), at(5, 0, 0));
    EXPECT_DOUBLE_EQ(blocks[0]["curvalue"].toDouble(), 0.5);
    EXPECT_EQ(blocks[1]["datestamp"].toDateTime(), at(5, 4, 0));
    EXPECT_DOUBLE_EQ(blocks[1]["curvalue"].toDouble(), 0.7);
    EXPECT_TRUE(values("datatbl").size() > 0);
    EXPECT_EQ(plant().scalar("SELECT count(*) FROM fac1.datatbl WHERE varid IN (" + QString::number(flow) + "," +
                             QString::number(block) + ")")
                  .toInt(),
              0);

    // Symbols, text lists and comments.
    EXPECT_DOUBLE_EQ(value(lead)["curvalue"].toDouble(), 2.5);
    EXPECT_EQ(value(lead)["textvalue"].toString(), "<5");
    EXPECT_DOUBLE_EQ(value(cyanide)["curvalue"].toDouble(), 0.1);
    EXPECT_EQ(value(cyanide)["textvalue"].toString(), "ND");
    EXPECT_DOUBLE_EQ(value(sky)["curvalue"].toDouble(), 2);
    EXPECT_EQ(value(sky)["textvalue"].toString(), "cloudy");
    EXPECT_DOUBLE_EQ(value(note)["curvalue"].toDouble(), 1);
    EXPECT_EQ(value(note)["textvalue"].toString(), "Drizzle");
    for (int nothing : {color, weather, bod})
        EXPECT_EQ(plant().scalar("SELECT count(*) FROM fac1.datatbl WHERE varid = " + QString::number(nothing)).toInt(),
                  0);
    EXPECT_EQ(comments(), QStringList({QString::number(color) + "@05 00:00=purple",
                                       QString::number(weather) + "@05 00:00=Rain"}));

    // One record, two variables, in match order, each with its approval level.
    EXPECT_EQ(value(phOut)["status"].toInt(), 3);
    EXPECT_DOUBLE_EQ(value(phOutCopy)["curvalue"].toDouble(), 6.8);
    EXPECT_EQ(value(phOutCopy)["datestamp"].toDateTime(), at(6, 0, 0));

    // Additional info: one row per value, an empty text stored as null.
    const auto info = plant().rows("SELECT varid, datestamp, remarks, analyst, audituser FROM fac1.datatbl_i "
                                   "WHERE varid = " + QString::number(ph));
    ASSERT_EQ(info.size(), 1);
    EXPECT_EQ(info[0]["remarks"].toString(), "North");
    EXPECT_TRUE(info[0]["analyst"].isNull());
    EXPECT_EQ(info[0]["audituser"].toString(), user);
    const auto outInfo = plant().rows("SELECT remarks FROM fac1.datatbl_i WHERE varid = " + QString::number(phOut));
    ASSERT_EQ(outInfo.size(), 1);
    EXPECT_TRUE(outInfo[0]["remarks"].isNull());
    EXPECT_EQ(plant().scalar("SELECT count(*) FROM fac1.dataddh_i WHERE varid = " + QString::number(flow) +
                             " AND datestamp = '2024-03-05 13:00:00'")
                  .toInt(),
              1);

    // The lines of the run.
    EXPECT_TRUE(logged("Processing facility 'Plant One' (FAC1)"));
    EXPECT_TRUE(logged("Date Range for import into FAC1 is set to 03/01/2024 00:00:00 to 03/10/2024 00:00:00"));
    EXPECT_TRUE(logged("Loading records from source ..."));
    EXPECT_TRUE(logged("Loaded 15 record(s) from source."));
    EXPECT_TRUE(logged("Variable or logbook not found for source record #11"));
    EXPECT_TRUE(logged("Found 2 variables matching source record #15"));
    EXPECT_TRUE(logged("Wrote Data 03/05/2024 00:00  FAC1:" + QString::number(ph) + "\tpH\t7.3 mg/L"));
    EXPECT_TRUE(logged("Wrote Data 03/05/2024 13:00  FAC1:" + QString::number(flow) + "\tFlow\t12.35 mg/L"));
    EXPECT_TRUE(logged("Wrote Comment 03/05/2024 00:00  FAC1:" + QString::number(color) + "\tColor\tpurple"));

    // 12 values and 2 comments.
    const ImportStatistics& statistics = m_import->statistics();
    EXPECT_EQ(statistics.LogicalWrites(), 14);
    EXPECT_EQ(statistics.PhysicalWrites(), 14);
    EXPECT_EQ(statistics.SkippedWrites(), 0);
    EXPECT_EQ(statistics.ReadRecords(), 15);
    EXPECT_TRUE(logged("Session Statistics :"));
    EXPECT_TRUE(logged(" # of Logical Write Transactions   : \t14"));
    EXPECT_TRUE(logged(" # of Physical Write Transactions  : \t14"));
    EXPECT_TRUE(logged(" # of Skipped Write Transactions   : \t0"));
    EXPECT_TRUE(logged(" # of Source Connection Failures   : \t0"));
    EXPECT_TRUE(logged(" # of Target Connection Failures   : \t0"));
    EXPECT_TRUE(logged(" # Read Total Records              : \t15"));

    // An interactive run never stores a last-run date.
    EXPECT_EQ(plant().scalar("SELECT count(*) FROM qorroot.g2_server_run").toInt(), 0);
}

TEST_P(ImportRun, RefusesWritesBeforeTheLockDateAndBelowTheStoredApprovalLevel) {
    ASSERT_TRUE(plant().setLockDate("FAC1", at(5, 0, 0)));
    const int early = addVariable("Early", "P", "Early", 2);
    const int guarded = addVariable("Guarded", "P", "Guarded", 2, 2);
    const int promoted = addVariable("Promoted", "P", "Promoted", 2, 4);
    for (int id : {guarded, promoted})
        ASSERT_TRUE(plant().exec("INSERT INTO fac1.datatbl (varid, datestamp, curvalue, textvalue, status, "
                                 "audituser) VALUES (" +
                                 QString::number(id) + ", '2024-03-06 00:00:00', 1, '1', 3, 'Operator')"));
    addResult("Early", "9", at(4, 22, 0), "P1", "North", at(6, 8, 0));
    addResult("Guarded", "9", at(6, 10, 0));
    addResult("Promoted", "9", at(6, 10, 0));
    ServiceMode = true;

    ASSERT_TRUE(run());

    EXPECT_EQ(plant().scalar("SELECT count(*) FROM fac1.datatbl WHERE varid = " + QString::number(early)).toInt(), 0);
    EXPECT_DOUBLE_EQ(value(guarded)["curvalue"].toDouble(), 1);
    EXPECT_EQ(value(guarded)["audituser"].toString(), "Operator");
    EXPECT_DOUBLE_EQ(value(promoted)["curvalue"].toDouble(), 9);
    EXPECT_EQ(value(promoted)["status"].toInt(), 4);
    EXPECT_EQ(m_import->statistics().SkippedWrites(), 2);
    EXPECT_EQ(m_import->statistics().LogicalWrites(), 1);
    EXPECT_TRUE(logged("Approval Level of Data (Or Lock Date) disallowed interface to write record 'Wrote Data "
                       "03/04/2024 00:00  FAC1:" +
                       QString::number(early) + "\tEarly\t9 mg/L'"));
    EXPECT_TRUE(logged(" # of Skipped Write Transactions   : \t2"));
    // A service-mode run stores the facility's end date.
    EXPECT_EQ(plant().scalar("SELECT lastrun FROM qorroot.g2_server_run WHERE interface_id = 5").toDateTime(), kEnd);
}

TEST_P(ImportRun, TestModeWritesNothingAndCountsTheSame) {
    m_lims->mapAdditionalInfo({{"LAB", "FAC1.REMARKS"}});
    const int ph = addVariable("pH", "P", "pH", 1);
    const int flow = addVariable("Flow", "H", "Flow", 2);
    const int color = addVariable("Color", "P", "Color", 2);
    addResult("pH", "7.25", at(5, 9, 0));
    addResult("Flow", "3", at(5, 9, 0));
    addResult("Color", "purple", at(5, 9, 0));
    Q_UNUSED(ph);
    Q_UNUSED(flow);
    Q_UNUSED(color);

    ASSERT_TRUE(run(true));
    EXPECT_EQ(m_import->statistics().LogicalWrites(), 3);
    EXPECT_EQ(m_import->statistics().PhysicalWrites(), 0);
    for (const char* table : {"datatbl", "dataddh", "datatbl_c", "datatbl_i", "dataddh_i"})
        EXPECT_EQ(plant().scalar(QString("SELECT count(*) FROM fac1.") + table).toInt(), 0) << table;

    ASSERT_TRUE(run(false));
    EXPECT_EQ(m_import->statistics().LogicalWrites(), 3);
    EXPECT_EQ(m_import->statistics().PhysicalWrites(), 3);
    EXPECT_EQ(plant().scalar("SELECT count(*) FROM fac1.datatbl").toInt(), 1);
}

TEST_P(ImportRun, OverwriteProtectionKeepsStoredDaysAndSlots) {
    config().setItem("OPTIONS\\DONT_OVERWRITE_OXMO", "YES");
    const int kept = addVariable("Kept", "P", "Kept", 2, 9);
    const int fresh = addVariable("Fresh", "P", "Fresh", 2);
    const int hourly = addVariable("Hourly", "H", "Hourly", 2, 9);
    ASSERT_TRUE(plant().exec("INSERT INTO fac1.datatbl (varid, datestamp, curvalue, textvalue, status) VALUES (" +
                             QString::number(kept) + ", '2024-03-05 00:00:00', 1, '1', 1)"));
    ASSERT_TRUE(plant().exec("INSERT INTO fac1.dataddh (varid, datestamp, curvalue, textvalue, status) VALUES (" +
                             QString::number(hourly) + ", '2024-03-05 10:00:00', 1, '1', 1)"));
    addResult("Kept", "5", at(5, 9, 0));
    addResult("Fresh", "6", at(5, 9, 0));
    addResult("Hourly", "7", at(5, 10, 45));
    addResult("Hourly", "8", at(5, 11, 15));

    ASSERT_TRUE(run());
    EXPECT_DOUBLE_EQ(value(kept)["curvalue"].toDouble(), 1);
    EXPECT_DOUBLE_EQ(value(fresh)["curvalue"].toDouble(), 6);
    const auto hours = plant().rows("SELECT datestamp, curvalue FROM fac1.dataddh ORDER BY datestamp");
    ASSERT_EQ(hours.size(), 2);
    EXPECT_DOUBLE_EQ(hours[0]["curvalue"].toDouble(), 1);
    EXPECT_DOUBLE_EQ(hours[1]["curvalue"].toDouble(), 8);
    EXPECT_EQ(m_import->statistics().LogicalWrites(), 2);
    EXPECT_TRUE(logged("Configuration set to 'Not' overwrite OXMO data"));
    const QString day = GetParam().dialect == 1 ? "TO_DATE('05-Mar-2024 12:00:00 AM','dd-Mon-yyyy HH:MI:SS AM')"
                                                : "'2024-03-05 00:00:00'";
    EXPECT_TRUE(logged("Variable '" + QString::number(kept) + "' for " + day +
                       "was not written as it was previously written"));

    // Only the exact text "YES" switches the protection on.
    config().setItem("OPTIONS\\DONT_OVERWRITE_OXMO", "yes");
    ASSERT_TRUE(run());
    EXPECT_FALSE(DontOverwrite);
    EXPECT_DOUBLE_EQ(value(kept)["curvalue"].toDouble(), 5);
}

TEST_P(ImportRun, ASymbolWhoseNumberCannotBeReadStopsTheRun) {
    ASSERT_GT(plant().addSymbol("ND", 0), 0);
    const int first = addVariable("First", "P", "First", 2);
    const int cyanide = addVariable("Cyanide", "P", "CN", 2);
    ASSERT_TRUE(plant().setSymbolRule("FAC1", cyanide, 1, 4, 0.1));
    const int words = addVariable("Words", "P", "Words", 2);
    ASSERT_TRUE(plant().setSymbolRule("FAC1", words, 1, 4, 0.1));
    const int last = addVariable("Last", "P", "Last", 2);
    addResult("First", "1", at(5, 1, 0));
    addResult("Words", "ND x", at(5, 2, 0));
    addResult("CN", "ND 5x", at(5, 3, 0));
    addResult("Last", "4", at(5, 4, 0));
    ServiceMode = true;

    EXPECT_FALSE(run());
    EXPECT_DOUBLE_EQ(value(first)["curvalue"].toDouble(), 1);
    EXPECT_EQ(comments(), QStringList({QString::number(words) + "@05 00:00=ND x"}));
    for (int id : {cyanide, last})
        EXPECT_EQ(plant().scalar("SELECT count(*) FROM fac1.datatbl WHERE varid = " + QString::number(id)).toInt(), 0);
    EXPECT_FALSE(logged("Session Statistics :"));
    EXPECT_EQ(plant().scalar("SELECT count(*) FROM qorroot.g2_server_run").toInt(), 0);
}

TEST_P(ImportRun, UnreachableSourceSkipsTheFacilityAfterEveryAttempt) {
    addVariable("pH", "P", "pH", 1);
    addResult("pH", "7", at(5, 1, 0));
    const bool pg = GetParam().driver == LimsDriver::PostgreSql;
    config().setItem("K52907\\DB_CONN_SOURCE", pg ? "127.0.0.1:1/nowhere" : m_env->home() + "/missing/lims.sqlite");
    config().setItem("SOURCE\\RECOVERY\\ATTEMPTS", "3");
    ServiceMode = true;

    ASSERT_TRUE(run());
    const QString error = "Connection error occured while communicating with source. Will attempt to re-connect to "
                          "source for %1 times";
    for (int left : {3, 2, 1})
        EXPECT_EQ(loggedCount(error.arg(left)), 1) << left;
    EXPECT_EQ(loggedCount("Waiting for 0 seconds before attempting to re-connect ... "), 3);
    EXPECT_EQ(loggedCount("Unable to connect to source."), 1);
    EXPECT_FALSE(logged("Loaded 1 record(s) from source."));
    EXPECT_EQ(m_import->statistics().SourceConnectionFailures(), 3);
    EXPECT_TRUE(logged(" # of Source Connection Failures   : \t3"));
    EXPECT_EQ(plant().scalar("SELECT count(*) FROM fac1.datatbl").toInt(), 0);
    // The facility was not read, so its last-run date stays where it was.
    EXPECT_EQ(plant().scalar("SELECT count(*) FROM qorroot.g2_server_run").toInt(), 0);

    config().setItem("SOURCE\\RECOVERY\\ATTEMPTS", "0");
    ASSERT_TRUE(run());
    EXPECT_EQ(m_import->statistics().SourceConnectionFailures(), 0);
    EXPECT_EQ(loggedCount("Unable to connect to source."), 2);
    EXPECT_EQ(loggedCount(error.arg(3)), 1);
}

TEST_P(ImportRun, PlantConnectionKilledMidRunIsReopenedWithNothingLostOrWrittenTwice) {
    constexpr int kValues = 12;
    QList<int> ids;
    for (int i = 0; i < kValues; ++i) {
        ids << addVariable("V" + QString::number(i), i % 2 ? "H" : "P", "T" + QString::number(i), 2);
        addResult("T" + QString::number(i), QString::number(i + 0.25), at(5, 6 + i, 30));
    }
    config().setItem("TARGET\\RECOVERY\\ATTEMPTS", "3");
    const QString kill = "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE datname = "
                         "current_database() AND pid <> pg_backend_pid()";
    int killed = 0;
    m_sink.hookAt(5, [&] { killed = plant().scalar(kill).toInt(); });

    ASSERT_TRUE(run());
    EXPECT_GE(killed, 1);
    EXPECT_EQ(m_sink.valueLines(), kValues);
    EXPECT_EQ(m_import->statistics().LogicalWrites(), kValues);
    EXPECT_EQ(m_import->statistics().TargetConnectionFailures(), 1);
    EXPECT_TRUE(logged("Connection error occured while communicating with Vell OXMO. Will attempt to re-connect to "
                       "source for 3 times"));
    EXPECT_TRUE(logged(" # of Target Connection Failures   : \t1"));
    for (int i = 0; i < kValues; ++i) {
        const QVariantMap row = value(ids[i], i % 2 ? "dataddh" : "datatbl");
        EXPECT_DOUBLE_EQ(row["curvalue"].toDouble(), i + 0.25) << i;
    }
    EXPECT_EQ(plant().scalar("SELECT count(*) FROM fac1.datatbl").toInt() +
                  plant().scalar("SELECT count(*) FROM fac1.dataddh").toInt(),
              kValues);
}

TEST_P(ImportRun, NoTargetAttemptsStopsAtTheFirstWrite) {
    const int ph = addVariable("pH", "P", "pH", 1);
    addResult("pH", "7", at(5, 1, 0));
    config().setItem("TARGET\\RECOVERY\\ATTEMPTS", "0");
    EXPECT_FALSE(run());
    EXPECT_TRUE(logged("Unable to connect to Vell OXMO."));
    EXPECT_FALSE(logged("Session Statistics :"));
    EXPECT_EQ(plant().scalar("SELECT count(*) FROM fac1.datatbl WHERE varid = " + QString::number(ph)).toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(Dialects, ImportRun,
                         ::testing::Values(RunCase{1, LimsDriver::PostgreSql}, RunCase{2, LimsDriver::PostgreSql},
                                           RunCase{2, LimsDriver::Sqlite}),
                         caseName);

} // namespace
