// The facility writer against the substitute plant database, in both dialects:
// lock date and approval-level refusals, test mode, daily and sub-daily values
// and comments in their tables and slots, additional-info rows and their error
// block, and a connection killed under the writer.
#include "core/HashTable.h"
#include "core/QORConfiguration.h"
#include "platform/DbConnection.h"
#include "support/CuttingRelay.h"
#include "support/target/TargetEnvironment.h"
#include "target/AuditUser.h"
#include "target/CommonFacilityWriter.h"
#include "target/DateText.h"

#include <gtest/gtest.h>

#include <functional>

#include <QElapsedTimer>
#include <QStringList>
#include <QThread>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

QDateTime at(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), "yyyy-MM-dd HH:mm:ss");
}

const QDateTime kLockDate = at("2024-03-10 00:00:00");

HashTable<QString> infoTable(std::initializer_list<std::pair<const char*, const char*>> entries) {
    HashTable<QString> table;
    for (const auto& [key, value] : entries)
        table.Add(QString::fromLatin1(key), QString::fromLatin1(value));
    return table;
}

class FacilityWriter : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        LB_REQUIRE_PG();
        m_env = std::make_unique<TargetEnvironment>(GetParam());
        ASSERT_TRUE(m_env->addFacility("North", "North Plant"));
        m_daily = addVariable("Ammonia", "P");
        m_hourly = addVariable("Flow", "H");
        ASSERT_NE(m_daily, 0);
        ASSERT_NE(m_hourly, 0);
        WriteAsUser.clear();
        m_writer = std::make_unique<CommonFacilityWriter>();
        m_writer->setfacilID("NORTH");
        m_writer->setLockDate(kLockDate);
    }

    void TearDown() override { m_writer.reset(); }

    int addVariable(const char* name, const char* vartype) {
        PlantVariable variable;
        variable.facility = "North";
        variable.name = name;
        variable.vartype = vartype;
        return m_env->plant().addVariable(variable);
    }

    // The rows of a facility table for a variable, date stamps as text.
    QList<QVariantMap> rows(const QString& table, int varId, const QString& columns) {
        return m_env->plant().rows("select to_char(datestamp, 'YYYY-MM-DD HH24:MI:SS') as ds, " + columns +
                                   " from north." + table + " where varid = " + QString::number(varId) +
                                   " order by datestamp");
    }

    QVariant scalar(const QString& sql) { return m_env->plant().scalar(sql); }

    bool log(const QString& line) const { return m_env->logLines().contains(line); }

    void expectStatus(bool logical, bool physical, bool refused, const QDateTime& stamp) {
        EXPECT_EQ(m_writer->PerfromedLogicalWrite, logical);
        EXPECT_EQ(m_writer->PerfromedPhysicalWrite, physical);
        EXPECT_EQ(m_writer->ApprovalLevelDisabledWrite, refused);
        EXPECT_EQ(m_writer->PerfromedWriteDateStamp, stamp);
    }

    std::unique_ptr<TargetEnvironment> m_env;
    std::unique_ptr<CommonFacilityWriter> m_writer;
    int m_daily = 0;
    int m_hourly = 0;
};

TEST_P(FacilityWriter, WithoutLockDateEveryWriteFailsAndResetsTheStatus) {
    const HashTable<QString> info = infoTable({{"SAMPLE_NO", "S-1"}});
    for (const QDateTime& lockDate : {DateText::ZeroDate(), QDateTime()}) {
        m_writer->setLockDate(lockDate);
        m_writer->PerfromedLogicalWrite = m_writer->PerfromedPhysicalWrite = true;
        m_writer->ApprovalLevelDisabledWrite = true;
        m_writer->PerfromedWriteDateStamp = at("2024-03-12 00:00:00");
        m_writer->PerformedAINFOfieldsLogicalWrite = m_writer->PerformedAINFOfieldsPhysicalWrite = 3;
        EXPECT_FALSE(
            m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), 1.5, "1.5", 2, &info));
        expectStatus(false, false, false, DateText::ZeroDate());
        EXPECT_EQ(m_writer->PerformedAINFOfieldsLogicalWrite, 0);
        EXPECT_EQ(m_writer->PerformedAINFOfieldsPhysicalWrite, 0);

        m_writer->PerfromedLogicalWrite = true;
        EXPECT_FALSE(m_writer->WriteCOMtoZuriVARU("H", m_hourly, at("2024-03-12 08:00:00"), "note", &info));
        expectStatus(false, false, false, DateText::ZeroDate());
    }
    // Nothing was even tried: no connection, no rows.
    EXPECT_EQ(m_writer->connection(), nullptr);
    EXPECT_EQ(scalar("select count(*) from north.datatbl").toInt(), 0);
    EXPECT_EQ(scalar("select count(*) from north.dataddh_c").toInt(), 0);
}

TEST_P(FacilityWriter, ValuesOnTheLockDateAreWrittenAndEarlierOnesRefused) {
    EXPECT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-10 14:30:00"), 7.25, "7.25", 2));
    expectStatus(true, true, false, kLockDate);
    const QList<QVariantMap> stored = rows("datatbl", m_daily, "curvalue, textvalue, status, audituser");
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0]["ds"].toString(), "2024-03-10 00:00:00");
    EXPECT_DOUBLE_EQ(stored[0]["curvalue"].toDouble(), 7.25);
    EXPECT_EQ(stored[0]["textvalue"].toString(), "7.25");
    EXPECT_EQ(stored[0]["status"].toInt(), 2);
    EXPECT_EQ(stored[0]["audituser"].toString(), "VIA_K52907");

    const HashTable<QString> info = infoTable({{"SAMPLE_NO", "S-1"}});
    EXPECT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-09 23:59:59"), 1, "1", 4, &info));
    expectStatus(false, false, true, at("2024-03-09 00:00:00"));
    EXPECT_EQ(m_writer->PerformedAINFOfieldsLogicalWrite, 0);
    EXPECT_TRUE(m_writer->WriteCOMtoZuriVARU("P", m_daily, at("2024-03-09 12:00:00"), "early", &info));
    expectStatus(false, false, true, at("2024-03-09 00:00:00"));
    // A sub-daily slot is compared by its start.
    EXPECT_TRUE(m_writer->WriteToZuriVARU("H", m_hourly, at("2024-03-09 23:30:00"), 1, "1", 4));
    expectStatus(false, false, true, at("2024-03-09 23:00:00"));

    EXPECT_EQ(rows("datatbl", m_daily, "curvalue").size(), 1);
    EXPECT_EQ(scalar("select count(*) from north.datatbl_c").toInt(), 0);
    EXPECT_EQ(scalar("select count(*) from north.datatbl_i").toInt(), 0);
    EXPECT_EQ(scalar("select count(*) from north.dataddh").toInt(), 0);
}

TEST_P(FacilityWriter, ALowerApprovalLevelThanStoredIsRefusedAnEqualOrHigherOverwrites) {
    struct Row {
        const char* vartype;
        const char* stamp;
        const char* table;
    };
    for (const Row& row :
         {Row{"P", "2024-03-12 09:00:00", "datatbl"}, Row{"H", "2024-03-12 09:40:00", "dataddh"}}) {
        SCOPED_TRACE(row.vartype);
        const int varId = row.vartype == QString("P") ? m_daily : m_hourly;
        ASSERT_TRUE(m_writer->WriteToZuriVARU(row.vartype, varId, at(row.stamp), 10, "10", 3));

        EXPECT_TRUE(m_writer->WriteToZuriVARU(row.vartype, varId, at(row.stamp), 20, "20", 2));
        EXPECT_TRUE(m_writer->ApprovalLevelDisabledWrite);
        EXPECT_FALSE(m_writer->PerfromedLogicalWrite);
        EXPECT_FALSE(m_writer->PerfromedPhysicalWrite);
        QList<QVariantMap> stored = rows(row.table, varId, "curvalue, status");
        ASSERT_EQ(stored.size(), 1);
        EXPECT_DOUBLE_EQ(stored[0]["curvalue"].toDouble(), 10);
        EXPECT_EQ(stored[0]["status"].toInt(), 3);

        for (const int level : {3, 4}) {
            EXPECT_TRUE(m_writer->WriteToZuriVARU(row.vartype, varId, at(row.stamp), 30 + level, "x", level));
            EXPECT_FALSE(m_writer->ApprovalLevelDisabledWrite);
            EXPECT_TRUE(m_writer->PerfromedPhysicalWrite);
            stored = rows(row.table, varId, "curvalue, status");
            ASSERT_EQ(stored.size(), 1);
            EXPECT_DOUBLE_EQ(stored[0]["curvalue"].toDouble(), 30 + level);
            EXPECT_EQ(stored[0]["status"].toInt(), level);
        }
    }
}

TEST_P(FacilityWriter, TestModeCountsButStoresNothing) {
    m_writer->setTestMode(true);
    const HashTable<QString> info = infoTable({{"SAMPLE_NO", "S-9"}, {"ANALYST", "ann"}});
    EXPECT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), 5, "5", 2, &info));
    expectStatus(true, false, false, at("2024-03-12 00:00:00"));
    EXPECT_EQ(m_writer->PerformedAINFOfieldsLogicalWrite, 2);
    EXPECT_EQ(m_writer->PerformedAINFOfieldsPhysicalWrite, 0);
    EXPECT_TRUE(m_writer->WriteToZuriVARU("F", m_hourly, at("2024-03-12 08:20:00"), 5, "5", 2, &info));
    expectStatus(true, false, false, at("2024-03-12 08:15:00"));
    EXPECT_TRUE(m_writer->WriteCOMtoZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), "c", &info));
    expectStatus(true, false, false, at("2024-03-12 00:00:00"));
    EXPECT_TRUE(m_writer->WriteCOMtoZuriVARU("H", m_hourly, at("2024-03-12 08:00:00"), "c"));
    expectStatus(true, false, false, at("2024-03-12 08:00:00"));

    for (const char* table : {"datatbl", "datatbl_c", "datatbl_i", "dataddf", "dataddf_i", "dataddh_c"})
        EXPECT_EQ(scalar(QString("select count(*) from north.") + table).toInt(), 0) << table;
    EXPECT_TRUE(log("(Test) Wrote Additional Info [Field] Value : [SAMPLE_NO] S-9"));
    EXPECT_TRUE(log("(Test) Wrote Additional Info [Field] Value : [ANALYST] ann"));
    EXPECT_FALSE(log("Wrote Additional Info [Field] Value : [SAMPLE_NO] S-9"));
    EXPECT_FALSE(log("Writing DD Value to database."));
}

TEST_P(FacilityWriter, AdditionalInfoRowsStoreEmptyTextsAsNull) {
    ASSERT_TRUE(m_env->plant().addInfoColumn("North", "lab_ref"));
    WriteAsUser = "LABUSER";
    const HashTable<QString> info = infoTable({{"SAMPLE_NO", "S-17"}, {"ANALYST", ""}, {"LAB_REF", "R'1"}});
    EXPECT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), 5, "5", 2, &info));
    EXPECT_EQ(m_writer->PerformedAINFOfieldsLogicalWrite, 3);
    EXPECT_EQ(m_writer->PerformedAINFOfieldsPhysicalWrite, 3);

    QList<QVariantMap> stored =
        rows("datatbl_i", m_daily, "sample_no, analyst, lab_ref, audituser, audittimestamp, method");
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0]["ds"].toString(), "2024-03-12 00:00:00");
    EXPECT_EQ(stored[0]["sample_no"].toString(), "S-17");
    EXPECT_TRUE(stored[0]["analyst"].isNull());
    EXPECT_FALSE(stored[0]["analyst"].toString() == "" && !stored[0]["analyst"].isNull());
    EXPECT_EQ(stored[0]["lab_ref"].toString(), "R'1");
    EXPECT_EQ(stored[0]["audituser"].toString(), "LABUSER");
    EXPECT_FALSE(stored[0]["audittimestamp"].isNull());
    EXPECT_TRUE(stored[0]["method"].isNull());
    EXPECT_TRUE(log("Wrote Additional Info [Field] Value : [SAMPLE_NO] S-17"));
    EXPECT_TRUE(log("Wrote Additional Info [Field] Value : [ANALYST] "));

    // A second write of the same day changes the row instead of adding one.
    const HashTable<QString> again = infoTable({{"ANALYST", "bob"}, {"SAMPLE_NO", ""}});
    EXPECT_TRUE(m_writer->WriteCOMtoZuriVARU("P", m_daily, at("2024-03-12 17:00:00"), "seen", &again));
    stored = rows("datatbl_i", m_daily, "sample_no, analyst, lab_ref");
    ASSERT_EQ(stored.size(), 1);
    EXPECT_TRUE(stored[0]["sample_no"].isNull());
    EXPECT_EQ(stored[0]["analyst"].toString(), "bob");
    EXPECT_EQ(stored[0]["lab_ref"].toString(), "R'1");

    // Sub-daily fields go to the frequency's table at the slot start.
    EXPECT_TRUE(m_writer->WriteToZuriVARU("H", m_hourly, at("2024-03-12 10:59:59"), 1, "1", 2, &info));
    stored = rows("dataddh_i", m_hourly, "sample_no");
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0]["ds"].toString(), "2024-03-12 10:00:00");
    WriteAsUser.clear();
}

TEST_P(FacilityWriter, CommentsAreCutTo2000Characters) {
    QString comment;
    for (int i = 0; i < 2500; ++i)
        comment += QChar(u'a' + i % 26);
    EXPECT_TRUE(m_writer->WriteCOMtoZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), comment));
    expectStatus(true, true, false, at("2024-03-12 00:00:00"));
    EXPECT_TRUE(m_writer->WriteCOMtoZuriVARU("F", m_hourly, at("2024-03-12 08:44:59"), comment));
    expectStatus(true, true, false, at("2024-03-12 08:30:00"));

    for (const char* table : {"datatbl_c", "dataddf_c"}) {
        const int varId = QString(table) == "datatbl_c" ? m_daily : m_hourly;
        const QList<QVariantMap> stored = rows(table, varId, "comment");
        ASSERT_EQ(stored.size(), 1) << table;
        EXPECT_EQ(stored[0]["comment"].toString(), comment.left(2000)) << table;
    }
}

TEST_P(FacilityWriter, SubDailyValuesLandInTheirFrequencysTableAndSlot) {
    struct Row {
        const char* vartype;
        const char* stamp;
        const char* table;
        const char* slot;
    };
    const Row table[] = {
        {"H", "2024-03-12 10:37:12", "dataddh", "2024-03-12 10:00:00"},
        {"P", "2024-03-12 23:59:59", "datatbl", "2024-03-12 00:00:00"},
        {"4", "2024-03-12 19:59:00", "datadd4", "2024-03-12 16:00:00"},
        {"4", "2024-03-12 20:00:00", "datadd4", "2024-03-12 20:00:00"},
        {"3", "2024-03-12 10:30:00", "datadd3", "2024-03-12 10:30:00"},
        {"F", "2024-03-12 10:29:59", "dataddf", "2024-03-12 10:15:00"},
        {"5", "2024-03-12 10:37:00", "datadd5", "2024-03-12 10:35:00"},
        {"1", "2024-03-12 23:59:59", "datadd1", "2024-03-12 23:59:00"},
        {"N", "2024-03-13 00:00:00", "dataddh", "2024-03-13 00:00:00"},
        {"Z", "2024-03-13 06:00:00", "datatbl", "2024-03-13 00:00:00"},
    };
    int n = 0;
    for (const Row& row : table) {
        SCOPED_TRACE(std::string(row.vartype) + " " + row.stamp);
        const int varId = addVariable(qPrintable("V" + QString::number(++n)), row.vartype);
        ASSERT_NE(varId, 0);
        EXPECT_TRUE(m_writer->WriteToZuriVARU(row.vartype, varId, at(row.stamp), n, QString::number(n), 2));
        expectStatus(true, true, false, at(row.slot));
        const QList<QVariantMap> stored = rows(row.table, varId, "curvalue, textvalue, status, audituser");
        ASSERT_EQ(stored.size(), 1);
        EXPECT_EQ(stored[0]["ds"].toString(), row.slot);
        EXPECT_DOUBLE_EQ(stored[0]["curvalue"].toDouble(), n);
        EXPECT_EQ(stored[0]["textvalue"].toString(), QString::number(n));
        EXPECT_EQ(stored[0]["status"].toInt(), 2);
        EXPECT_EQ(stored[0]["audituser"].toString(), "VIA_K52907");
    }
    // Each value went to one table only.
    EXPECT_EQ(scalar("select (select count(*) from north.datatbl) + (select count(*) from north.dataddh) + "
                     "(select count(*) from north.datadd4) + (select count(*) from north.datadd3) + "
                     "(select count(*) from north.dataddf) + (select count(*) from north.datadd5) + "
                     "(select count(*) from north.datadd1)")
                  .toInt(),
              int(std::size(table)));
    EXPECT_TRUE(log("Writing DD Value to database."));
}

TEST_P(FacilityWriter, OneSecondValuesAreRefusedWithAReason) {
    const int varId = addVariable("Pulse", "9");
    ASSERT_NE(varId, 0);
    const HashTable<QString> info = infoTable({{"SAMPLE_NO", "S-1"}});
    EXPECT_TRUE(m_writer->WriteToZuriVARU("9", varId, at("2024-03-12 10:37:12"), 1, "1", 2, &info));
    expectStatus(false, false, true, at("2024-03-12 10:37:12"));
    EXPECT_EQ(m_writer->PerformedAINFOfieldsLogicalWrite, 0);
    EXPECT_TRUE(m_writer->WriteCOMtoZuriVARU("9", varId, at("2024-03-12 10:37:12"), "c", &info));
    expectStatus(false, false, true, at("2024-03-12 10:37:12"));
    EXPECT_TRUE(
        log("Unable to write the value of variable " + QString::number(varId) +
            " for 3/12/2024 10:37:12 AM: the plant database has no procedures for one-second values"));
    EXPECT_TRUE(
        log("Unable to write the comment of variable " + QString::number(varId) +
            " for 3/12/2024 10:37:12 AM: the plant database has no procedures for one-second values"));
    for (const char* t : {"dataddh", "dataddh_c", "dataddx", "dataddx_i"})
        EXPECT_EQ(scalar(QString("select count(*) from north.") + t).toInt(), 0) << t;
}

TEST_P(FacilityWriter, AKilledConnectionFailsTheNextWriteUntilItIsDestroyed) {
    ASSERT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), 1, "1", 2));
    ASSERT_TRUE(m_writer->WriteToZuriVARU("H", m_hourly, at("2024-03-12 08:00:00"), 1, "1", 2));

    // The writer logs in as the facility (Oracle form) or as QORDBA (SQL Server form).
    const QString backends = "from pg_stat_activity where datname = current_database() and usename in "
                             "('north', 'qordba')";
    ASSERT_EQ(scalar("select count(*) " + backends).toInt(), 1);
    ASSERT_TRUE(m_env->plant().exec("select pg_terminate_backend(pid) " + backends));
    QElapsedTimer waited;
    waited.start();
    while (scalar("select count(*) " + backends).toInt() != 0 && waited.elapsed() < 5000)
        QThread::msleep(20);

    // The dead connection fails the writes quietly, as the probe query does:
    // the recovery loop of the run reports it.
    const qsizetype linesBefore = m_env->logLines().size();
    EXPECT_FALSE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-13 08:00:00"), 2, "2", 2));
    expectStatus(false, false, false, DateText::ZeroDate());
    EXPECT_FALSE(m_writer->WriteToZuriVARU("H", m_hourly, at("2024-03-13 08:00:00"), 2, "2", 2));
    EXPECT_EQ(m_env->logLines().size(), linesBefore) << m_env->logLines().join('\n').toStdString();
    EXPECT_FALSE(m_writer->ConnectionAlive());

    m_writer->DestroyConnection();
    EXPECT_EQ(m_writer->connection(), nullptr);
    EXPECT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-13 08:00:00"), 2, "2", 2));
    EXPECT_TRUE(m_writer->PerfromedPhysicalWrite);
    EXPECT_TRUE(m_writer->WriteToZuriVARU("H", m_hourly, at("2024-03-13 08:00:00"), 2, "2", 2));
    EXPECT_TRUE(m_writer->ConnectionAlive());
    EXPECT_EQ(rows("datatbl", m_daily, "curvalue").size(), 2);
    EXPECT_EQ(rows("dataddh", m_hourly, "curvalue").size(), 2);
}

// The probe query is asked when a connection is new, not before every write,
// as long as the server has sent nothing in between.
TEST_P(FacilityWriter, TheProbeIsAskedOncePerConnection) {
    const QString probes = "select coalesce(seq_scan, 0) + coalesce(idx_scan, 0) from pg_stat_user_tables "
                           "where schemaname = 'north' and relname = 'approvalini'";
    const QString backends = "select count(*) from pg_stat_activity where datname = current_database() and "
                             "usename in ('north', 'qordba')";
    // Statistics reach the view at the latest when the session ends.
    const auto probesAfterDisconnect = [&] {
        m_writer->DestroyConnection();
        QElapsedTimer waited;
        waited.start();
        while (scalar(backends).toInt() != 0 && waited.elapsed() < 5000)
            QThread::msleep(20);
        return scalar(probes).toInt();
    };
    const int before = probesAfterDisconnect();
    for (int day = 12; day <= 16; ++day) {
        const QDateTime stamp = at("2024-03-01 08:00:00").addDays(day - 1);
        ASSERT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, stamp, day, QString::number(day), 2));
        ASSERT_TRUE(m_writer->WriteCOMtoZuriVARU("H", m_hourly, stamp, "c"));
    }
    EXPECT_EQ(probesAfterDisconnect(), before + 1);
    ASSERT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-20 08:00:00"), 20, "20", 2));
    EXPECT_EQ(probesAfterDisconnect(), before + 2);
    EXPECT_EQ(rows("datatbl", m_daily, "curvalue").size(), 6);
}

// A connection that dies unnoticed between two writes fails the first
// statement of the next one. That write fails as the probe would have failed
// it: silently, and without trying the additional info; a new connection works.
TEST_P(FacilityWriter, AConnectionDeadUnnoticedFailsTheWriteAsTheProbeWould) {
    CuttingRelay relay(testServer().host, testServer().port);
    ASSERT_NE(relay.port(), 0);
    m_env->config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE",
                            "127.0.0.1:" + QString::number(relay.port()) + "/" + m_env->scratch().name());
    const HashTable<QString> info = infoTable({{"SAMPLE_NO", "S-1"}});
    ASSERT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), 1, "1", 2, &info));
    ASSERT_TRUE(m_writer->WriteToZuriVARU("H", m_hourly, at("2024-03-12 08:00:00"), 1, "1", 2));
    // Cuts the connection, runs the write, and tells whether it failed with
    // nothing logged; the writer then starts afresh.
    const auto failsQuietlyAfterCut = [&](const std::function<bool()>& write) {
        const qsizetype linesBefore = m_env->logLines().size();
        relay.cut();
        const bool failed = !write();
        const QStringList lines = m_env->logLines();
        EXPECT_EQ(lines.size(), linesBefore) << lines.join('\n').toStdString();
        EXPECT_TRUE(relay.hasCut());
        m_writer->DestroyConnection();
        return failed && lines.size() == linesBefore;
    };

    EXPECT_TRUE(failsQuietlyAfterCut(
        [&] { return m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-13 08:00:00"), 2, "2", 2, &info); }));
    ASSERT_TRUE(m_writer->WriteToZuriVARU("H", m_hourly, at("2024-03-13 08:00:00"), 2, "2", 2));
    EXPECT_TRUE(failsQuietlyAfterCut(
        [&] { return m_writer->WriteToZuriVARU("H", m_hourly, at("2024-03-13 09:00:00"), 3, "3", 2, &info); }));
    ASSERT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-14 08:00:00"), 4, "4", 2));
    EXPECT_TRUE(failsQuietlyAfterCut(
        [&] { return m_writer->WriteCOMtoZuriVARU("P", m_daily, at("2024-03-14 08:00:00"), "c", &info); }));

    EXPECT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-13 08:00:00"), 2, "2", 2));
    EXPECT_EQ(rows("datatbl", m_daily, "curvalue").size(), 3);
    EXPECT_EQ(rows("dataddh", m_hourly, "curvalue").size(), 2);
    EXPECT_EQ(scalar("select count(*) from north.datatbl_i").toInt(), 1);
    EXPECT_EQ(scalar("select count(*) from north.datatbl_c").toInt(), 0);
}

// A write that skipped the probe and fails on a live connection logs its error,
// as it did when the probe had answered first; the first statement of a value
// write is its seek.
TEST_P(FacilityWriter, AFailingProcedureOnALiveConnectionLogsItsError) {
    ASSERT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), 1, "1", 2));
    ASSERT_TRUE(m_env->plant().exec("alter procedure north.seekddatevarid rename to seekddatevarid_gone"));
    EXPECT_FALSE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-13 08:00:00"), 2, "2", 2));
    QStringList errors;
    for (const QString& line : m_env->logLines())
        if (line.contains("seekddatevarid"))
            errors << line;
    ASSERT_EQ(errors.size(), 1) << m_env->logLines().join('\n').toStdString();
    EXPECT_TRUE(errors.front().contains(" - ")) << errors.front().toStdString();
    EXPECT_TRUE(m_writer->ConnectionAlive());
}

TEST_P(FacilityWriter, AMissingAdditionalInfoColumnLogsTheErrorBlock) {
    const HashTable<QString> info = infoTable({{"SAMPLE_NO", "S-5"}, {"NO_SUCH_COLUMN", "v1"}});
    const QList<QString> keys = info.Keys();
    EXPECT_TRUE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), 5, "5", 2, &info));
    expectStatus(true, true, false, at("2024-03-12 00:00:00"));
    EXPECT_EQ(m_writer->PerformedAINFOfieldsLogicalWrite, 0);
    EXPECT_EQ(m_writer->PerformedAINFOfieldsPhysicalWrite, 0);
    EXPECT_EQ(scalar("select count(*) from north.datatbl_i").toInt(), 0);
    EXPECT_EQ(rows("datatbl", m_daily, "curvalue").size(), 1);

    const QString context = "CommonFacilityWriter.WriteToZuriVARUainfo():";
    const QString description = "The recordset has no field named 'NO_SUCH_COLUMN'";
    QStringList expected = {
        context + "  Error Handler dump BEGIN --------------------------",
        context + "  WHEN_KEY = NO_SUCH_COLUMN, WHEN_VALUE = v1",
        context + "  WHEN_FACILID = NORTH, WHEN_VARID = " + QString::number(m_daily) +
            ", WHEN_DATESTAMP = 3/12/2024",
        context + " Generic Error # 3265 - '" + description + " ' occured",
        context + " Connection Error (0) # 3265 - '" + description + " ' occured",
    };
    for (const QString& key : keys)
        expected << context + " HASH_DUMP :  [" + key + "] " + info.Item(key);
    expected
        << context + "  Error Handler dump END   --------------------------"
        << "CommonFacilityWriter.WriteToZuriVARU() : WriteToZuriVARUainfo returned failure during write of "
           "Additional Info Fields";

    const QStringList lines = m_env->logLines();
    const qsizetype begin = lines.indexOf(expected.first());
    ASSERT_GE(begin, 0) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.mid(begin, expected.size()), expected) << lines.join('\n').toStdString();
}

TEST_P(FacilityWriter, AFacilityThatCannotBeOpenedIsReportedPerAttempt) {
    m_writer->setfacilID("NOWHERE");
    EXPECT_FALSE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), 5, "5", 2));
    EXPECT_FALSE(m_writer->WriteCOMtoZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), "c"));
    EXPECT_EQ(m_writer->connection(), nullptr);
    int reports = 0;
    for (const QString& line : m_env->logLines())
        reports += line.startsWith("Unable to Open Connection to Vell OXMO. Error : ") ? 1 : 0;
    EXPECT_EQ(reports, 2);

    m_writer->setfacilID("");
    EXPECT_FALSE(m_writer->WriteToZuriVARU("P", m_daily, at("2024-03-12 08:00:00"), 5, "5", 2));
}

INSTANTIATE_TEST_SUITE_P(BothDialects, FacilityWriter, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Oracle" : "SqlServer"; });

} // namespace
