// The substitute plant database: installs into an empty database, creates
// facilities, answers the value procedures as the program relies on, and runs
// the program's statements of both dialects unchanged.
#include "support/PgTestServer.h"
#include "support/PlantDb.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

using namespace limsbridge::testing;

namespace {

// A session the way the program opens one: search_path "<schema>, pg_catalog"
// and, here, a time zone unlike the program's.
class Session {
public:
    Session(const ScratchDatabase& scratch, const QString& schema, const QString& timeZone = "Pacific/Chatham",
            const QString& user = {}, const QString& password = {})
        : m_name("session_" + QUuid::createUuid().toString(QUuid::Id128).left(12))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", m_name);
        db.setHostName(scratch.server().host);
        db.setPort(scratch.server().port);
        db.setUserName(user.isEmpty() ? scratch.server().user : user);
        db.setPassword(user.isEmpty() ? scratch.server().password : password);
        db.setDatabaseName(scratch.name());
        if (!db.open()) {
            ADD_FAILURE() << "cannot open session: " << db.lastError().text().toStdString();
            return;
        }
        exec("SET search_path = \"" + QString(schema).replace('"', "\"\"") + "\", pg_catalog");
        exec("SET TimeZone = '" + timeZone + "'");
    }
    ~Session()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }

    //! Runs a statement that must succeed and returns its rows.
    QList<QSqlRecord> exec(const QString& sql)
    {
        QList<QSqlRecord> rows;
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.exec(sql)) {
            ADD_FAILURE() << "statement failed: " << query.lastError().text().toStdString() << "\n" << sql.toStdString();
            return rows;
        }
        while (query.next())
            rows << query.record();
        return rows;
    }
    //! The single row a CALL returns.
    QSqlRecord call(const QString& sql)
    {
        const QList<QSqlRecord> rows = exec(sql);
        EXPECT_EQ(rows.size(), 1) << sql.toStdString();
        return rows.isEmpty() ? QSqlRecord() : rows.first();
    }
    bool fails(const QString& sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        return !query.exec(sql);
    }

private:
    QString m_name;
};

PlantVariable variable(const QString& facility, const QString& name, const QString& vartype = "P")
{
    PlantVariable v;
    v.facility = facility;
    v.name = name;
    v.vartype = vartype;
    return v;
}

QString text(const QSqlRecord& row, const char* field)
{
    return row.value(QString::fromLatin1(field)).toString();
}

class PlantDbSchema : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testServer().available)
            return;
        m_scratch = std::make_unique<ScratchDatabase>();
        m_db = std::make_unique<PlantDb>(*m_scratch);
        ASSERT_TRUE(m_db->install()) << m_db->lastError().toStdString();
        ASSERT_TRUE(m_db->addFacility("Plant1", "Plant One")) << m_db->lastError().toStdString();
        ASSERT_TRUE(m_db->addFacility("PLANT2", "Plant Two")) << m_db->lastError().toStdString();
    }

    std::unique_ptr<ScratchDatabase> m_scratch;
    std::unique_ptr<PlantDb> m_db;
};

} // namespace

TEST_F(PlantDbSchema, FacilitiesGetASchemaNamedAfterTheFileNameInLowerCase)
{
    LB_REQUIRE_PG();
    const auto facilities = m_db->rows("SELECT filename, name FROM qorroot.facility ORDER BY filename");
    ASSERT_EQ(facilities.size(), 2);
    EXPECT_EQ(facilities[0]["filename"].toString(), "PLANT2");
    EXPECT_EQ(facilities[1]["filename"].toString(), "Plant1");
    EXPECT_EQ(m_db->scalar("SELECT count(*) FROM pg_namespace WHERE nspname IN ('plant1', 'plant2')").toInt(), 2);

    // The same file name in another letter case is the same facility.
    EXPECT_FALSE(m_db->addFacility("plant1", "Again"));
    EXPECT_FALSE(m_db->addFacility("QORROOT", "Root"));

    // A quote in the file name is only a character of the schema's name.
    ASSERT_TRUE(m_db->addFacility("O'Brien", "Quoted")) << m_db->lastError().toStdString();
    Session quoted(*m_scratch, "o'brien");
    EXPECT_EQ(quoted.exec("select count(id) from approvalini").first().value(0).toInt(), 4);
    PlantVariable quotedVariable = variable("o'brien", "It's");
    quotedVariable.limsLoc = "A'B";
    const int varid = m_db->addVariable(quotedVariable);
    EXPECT_GT(varid, 0) << m_db->lastError().toStdString();
    EXPECT_TRUE(m_db->setLockDate("O'BRIEN", QDateTime(QDate(2024, 1, 1), QTime(0, 0))));
    EXPECT_EQ(text(quoted.exec("Select curvalue from Settings Where Setting = 'LockDate'").first(), "curvalue"),
              "2024-01-01 00:00:00");
}

TEST_F(PlantDbSchema, DailyProceduresSeekWriteReplaceAndDelete)
{
    LB_REQUIRE_PG();
    const int varid = m_db->addVariable(variable("PLANT1", "Ammonia"));
    ASSERT_GT(varid, 0);
    Session s(*m_scratch, "plant1");
    const QString id = QString::number(varid);
    const QString seek = "CALL seekddatevarid('2024-03-05 00:00:00', " + id + ", NULL, NULL, NULL, NULL, NULL, NULL, NULL)";

    QSqlRecord row = s.call(seek);
    EXPECT_TRUE(row.value("varid_5").isNull());

    s.exec("CALL writedtbl('2024-03-05 00:00:00', " + id + ", 1.25, 'first', 'VIA_K52907', 1)");
    s.exec("CALL writedtbl('2024-03-05 00:00:00', " + id + ", 2.5, NULL, 'LAB', 3)");
    row = s.call(seek);
    EXPECT_EQ(row.value("varid_5").toInt(), varid);
    EXPECT_DOUBLE_EQ(row.value("curvalue_3").toDouble(), 2.5);
    EXPECT_TRUE(row.value("textvalue_4").isNull());
    EXPECT_EQ(text(row, "audituser"), "LAB");
    EXPECT_EQ(row.value("status").toInt(), 3);
    EXPECT_EQ(row.value("forced").toInt(), 0);
    EXPECT_FALSE(row.value("audittimestamp").isNull());
    EXPECT_EQ(s.exec("select * from datatbl").size(), 1);

    s.exec("CALL SETFORCED('2024-03-05 00:00:00', " + id + ", 'LAB', 1)");
    EXPECT_EQ(s.call(seek).value("forced").toInt(), 1);

    s.exec("CALL WRITETBL_C('2024-03-05 00:00:00', " + id + ", 'It''s cloudy', 'LAB')");
    s.exec("CALL WRITETBL_C('2024-03-05 00:00:00', " + id + ", 'replaced', 'LAB')");
    auto comments = s.exec("select comment from datatbl_c where varid = " + id);
    ASSERT_EQ(comments.size(), 1);
    EXPECT_EQ(text(comments[0], "comment"), "replaced");
    s.exec("CALL deletecmts('2024-03-05 00:00:00', " + id + ", 'LAB')");
    EXPECT_TRUE(s.exec("select comment from datatbl_c").isEmpty());

    s.exec("CALL deletedtbl('2024-03-05 00:00:00', " + id + ", 'LAB')");
    EXPECT_TRUE(s.call(seek).value("varid_5").isNull());

    // The server's clock, in the session's wall-clock time.
    EXPECT_FALSE(s.call("CALL GETSERVERTIME(NULL)").value("date_out").isNull());
}

TEST_F(PlantDbSchema, SubDailyProceduresWorkBySlotForEveryFrequency)
{
    LB_REQUIRE_PG();
    struct Frequency {
        const char* code;
        int minutes;
    };
    const Frequency frequencies[] = {{"4", 240}, {"H", 60}, {"3", 30}, {"F", 15}, {"5", 5}, {"1", 1}};
    Session s(*m_scratch, "plant2");
    for (const Frequency& f : frequencies) {
        SCOPED_TRACE(f.code);
        const QString c = f.code;
        const int varid = m_db->addVariable(variable("plant2", "Flow " + c, c));
        ASSERT_GT(varid, 0);
        const QString id = QString::number(varid);
        const QDateTime start(QDate(2024, 3, 5), QTime(12, 0));
        const QString slot = PlantDb::literal(start) + ", " + PlantDb::literal(start.addSecs(f.minutes * 60));
        const QString seek = "CALL SEEKFDD" + c + "(" + PlantDb::literal(start) + ", " + id +
                             ", NULL, NULL, NULL, NULL, NULL, NULL, " + slot + ", NULL, NULL)";

        EXPECT_TRUE(s.call(seek).value("varid_5").isNull());
        s.exec("CALL WRITEDD" + c + "(" + PlantDb::literal(start) + ", " + id + ", 1.5, 'a', 'LAB', " + slot + ", 1)");
        // A second value in the same slot replaces the first.
        const QDateTime inside = start.addSecs(f.minutes * 30);
        s.exec("CALL WRITEDD" + c + "(" + PlantDb::literal(inside) + ", " + id + ", 2.5, NULL, 'LAB', " + slot + ", 2)");
        QSqlRecord row = s.call(seek);
        EXPECT_EQ(row.value("varid_5").toInt(), varid);
        EXPECT_DOUBLE_EQ(row.value("curvalue_3").toDouble(), 2.5);
        EXPECT_EQ(row.value("datestamp_out").toDateTime(), inside);
        EXPECT_EQ(row.value("status").toInt(), 2);
        EXPECT_EQ(s.exec("select * from datadd" + c.toLower() + " where varid = " + id).size(), 1);

        // The next slot is another row; seek-next counts rows of a range.
        const QDateTime next = start.addSecs(f.minutes * 60);
        const QString nextSlot = PlantDb::literal(next) + ", " + PlantDb::literal(next.addSecs(f.minutes * 60));
        s.exec("CALL WRITEDD" + c + "(" + PlantDb::literal(next) + ", " + id + ", 3.5, NULL, 'LAB', " + nextSlot + ", 0)");
        const QString range = PlantDb::literal(start) + ", " + PlantDb::literal(start.addDays(1));
        const QString seekNext = "CALL SEEKNEXTDD" + c + "(" + id + ", " + range + ", %1, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)";
        EXPECT_DOUBLE_EQ(s.call(seekNext.arg(0)).value("curvalue_out").toDouble(), 2.5);
        EXPECT_DOUBLE_EQ(s.call(seekNext.arg(2)).value("curvalue_out").toDouble(), 3.5);
        EXPECT_TRUE(s.call(seekNext.arg(3)).value("varid_out").isNull());

        s.exec("CALL SETFDD" + c + "(" + slot + ", " + id + ", 'LAB', 1)");
        EXPECT_EQ(s.call(seek).value("forced").toInt(), 1);

        // Comments of the slot.
        const QString seekComment = "CALL SEEKDD" + c + "_C(" + id + ", NULL, NULL, NULL, " + slot + ")";
        EXPECT_TRUE(s.call(seekComment).value("comment_out").isNull());
        s.exec("CALL WRITEDD" + c + "_C(" + PlantDb::literal(start) + ", " + id + ", 'one', 'LAB', " + slot + ")");
        s.exec("CALL WRITEDD" + c + "_C(" + PlantDb::literal(inside) + ", " + id + ", 'two', 'LAB', " + slot + ")");
        row = s.call(seekComment);
        EXPECT_EQ(text(row, "comment_out"), "two");
        EXPECT_EQ(text(row, "audituser"), "LAB");
        s.exec("CALL DELETEDD" + c + "_C(" + PlantDb::literal(start) + ", " + id + ", " +
               PlantDb::literal(start.addSecs(f.minutes * 60)) + ", 'LAB')");
        EXPECT_TRUE(s.call(seekComment).value("comment_out").isNull());

        s.exec("CALL DELETEDD" + c + "(" + PlantDb::literal(start) + ", " + id + ", 'LAB', " +
               PlantDb::literal(start.addSecs(f.minutes * 60)) + ")");
        EXPECT_TRUE(s.call(seek).value("varid_5").isNull());
        EXPECT_EQ(s.exec("select * from datadd" + c.toLower() + " where varid = " + id).size(), 1);
    }
}

TEST_F(PlantDbSchema, ToDateKeepsTheTimeOfDayInAnySessionTimeZone)
{
    LB_REQUIRE_PG();
    // 10 March 2024 02:30 does not exist in New York; the value must still come back.
    Session s(*m_scratch, "plant1", "America/New_York");
    const auto row = s.exec("select TO_DATE('10-Mar-2024 02:30:00 AM','dd-Mon-yyyy HH:MI:SS AM') a, "
                            "TO_DATE('22-Apr-2022 02:05:09 PM','dd-Mon-yyyy HH:MI:SS AM') b, "
                            "TO_DATE('2024-03-05 13:30:00', 'yyyy-mm-dd hh24:mi:ss') c, "
                            "TO_DATE('05-Mar-2024 01:30:00 PM') d").first();
    EXPECT_EQ(row.value("a").toDateTime(), QDateTime(QDate(2024, 3, 10), QTime(2, 30)));
    EXPECT_EQ(row.value("b").toDateTime(), QDateTime(QDate(2022, 4, 22), QTime(14, 5, 9)));
    EXPECT_EQ(row.value("c").toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(13, 30)));
    EXPECT_EQ(row.value("d").toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(13, 30)));

    // The root schema has it as well.
    Session root(*m_scratch, "qorroot", "Asia/Kolkata");
    EXPECT_EQ(root.exec(" select TO_DATE('05-Mar-2024 01:30:00 PM', 'dd-Mon-yyyy HH:MI:SS AM') ").first().value(0).toDateTime(),
              QDateTime(QDate(2024, 3, 5), QTime(13, 30)));
}

TEST_F(PlantDbSchema, RootStatementsRunUnchanged)
{
    LB_REQUIRE_PG();
    const int collector = m_db->addCollector("LIMS Bridge", 7, 5, "1.0.0", true, "LABUSER");
    ASSERT_EQ(collector, 7) << m_db->lastError().toStdString();
    ASSERT_TRUE(m_db->addTimeZone(5, "Eastern Standard Time"));
    ASSERT_TRUE(m_db->setTimeZoneBias(5, 2024, 300, 240, QDateTime(QDate(2024, 3, 10), QTime(2, 0)),
                                      QDateTime(QDate(2024, 11, 3), QTime(2, 0))));
    ASSERT_GT(m_db->addSymbol("<", 1), 0);
    ASSERT_GT(m_db->addSymbol("ND"), 0);
    ASSERT_TRUE(m_db->addUser("admin", "Secret1", "Super"));
    ASSERT_TRUE(m_db->setLastRun(7, "plant1", QDateTime(QDate(2024, 3, 1), QTime(6, 0))));

    Session s(*m_scratch, "qorroot");
    // Connections and the gatherer.
    EXPECT_EQ(s.exec("select filename, directory from facility order by lower(filename)").size(), 2);
    auto rows = s.exec("Select upper(filename),name from Facility order by upper(filename)");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].value(0).toString(), "PLANT1");
    EXPECT_EQ(s.exec("Select upper(filename),name from Facility where upper(filename) = 'PLANT2' order by upper(filename)").size(), 1);
    rows = s.exec("Select audituser, audittimestamp, name,description,enabled,override_audituser,collector_dateadjust, "
                  "collector_qortimezoneid from g2_server where interface_id=7");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value("enabled").toInt(), -1);
    EXPECT_EQ(text(rows[0], "override_audituser"), "LABUSER");
    EXPECT_EQ(rows[0].value("collector_qortimezoneid").toInt(), 5);
    rows = s.exec("select bias_standard, bias_daylight , start_standard, start_daylight from qortimezone_bias "
                  "where qortimezoneid = 5 and yearid=2024");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value("bias_daylight").toInt(), 240);
    // Date-range dialog, collector dialog and the workflow's version check.
    EXPECT_EQ(text(s.exec("SELECT TIMEZONENAME FROM QORTIMEZONE WHERE  (QORTIMEZONEID = '5')").first(), "timezonename"),
              "Eastern Standard Time");
    EXPECT_EQ(s.exec("select interface_id, name, lu_version from g2_server where lu_id=52907 order by lower(name)").size(), 1);
    EXPECT_EQ(text(s.exec("select lu_version from g2_server where interface_id=7").first(), "lu_version"), "1.0.0");
    // Matcher symbols, super-user login.
    rows = s.exec("SELECT * FROM SYMBOLS ORDER BY ID");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(text(rows[0], "symbol"), "<");
    EXPECT_EQ(rows[0].value("allownumeric").toInt(), 1);
    rows = s.exec("select * from \"USER\" WHERE USERNAME='ADMIN'");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(text(rows[0], "usertype"), "Super");
    // The stored form: two fillers, "Secret1" reversed with codes lowered by 27 + position, three fillers.
    const QString stored = text(rows[0], "password");
    ASSERT_EQ(stored.size(), 12);
    EXPECT_EQ(stored.at(2 + 6).unicode() + 27 + 1, int('S'));
    EXPECT_EQ(stored.at(2).unicode() + 27 + 7, int('1'));

    // Last runs and calculation requests.
    rows = s.exec("Select Filename,lastrun from g2_server_run where interface_id = 7");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(text(rows[0], "filename"), "PLANT1");
    EXPECT_EQ(rows[0].value("lastrun").toDateTime(), QDateTime(QDate(2024, 3, 1), QTime(6, 0)));
    EXPECT_EQ(s.exec("Select AUDITUSER,AUDITTIMESTAMP,interface_id,FileName,LASTRUN,WorkStation,NetUser,IP,LOCALPATH "
                     "from g2_server_run where interface_id = 7 and filename='PLANT1'").size(), 1);
    s.exec("UPDATE g2_server_run SET AUDITUSER='VIA_K52907', AUDITTIMESTAMP='2024-03-02 10:00:00', WorkStation='WS1', "
           "NetUser='lab', IP='10.0.0.1', LOCALPATH='/opt/limsbridge', LASTRUN='2024-03-02 00:00:00' "
           "WHERE interface_id = 7 and filename='PLANT1'");
    EXPECT_EQ(text(s.exec("Select AUDITUSER, FILENAME, LASTRUN, WORKSTATION, NETUSER, IP, LOCALPATH from g2_server_run "
                          "where interface_id = 7 and filename='PLANT1'").first(), "workstation"), "WS1");
    EXPECT_TRUE(s.exec("Select INTERFACE_ID, FILENAME, LASTRUN from g2_server_run where interface_id = 7 and "
                       "filename='PLANT2'").isEmpty());
    s.exec("INSERT INTO g2_server_run (interface_id, FileName, LASTRUN) VALUES (7, 'PLANT2', '2024-03-03 00:00:00')");
    EXPECT_TRUE(s.exec("select * from CALCQUEUE where ID=0").isEmpty());
    rows = s.exec("INSERT INTO CALCQUEUE (status, vlist, datestart, dateend, facility, audituser) VALUES "
                  "(0, '', '2024-03-04 23:00:00', '2024-03-06 00:00:00', 'PLANT1', 'VIA_K52907') RETURNING id");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_GT(rows[0].value(0).toInt(), 0);

    // Stored files and definition upload.
    EXPECT_TRUE(s.exec("SELECT * FROM FILES WHERE DIRNAME='52907-1033-1.0.0' AND FILENAME='HELP.CHM'").isEmpty());
    rows = s.exec("INSERT INTO FILES (DIRNAME, FILENAME, AUDITUSER, AUDITTIMESTAMP, FILEDATA) VALUES "
                  "('52907-1033-1.0.0', 'HELP.CHM', 'VIA_K52907', '2024-03-05 10:00:00', '\\x0102'::bytea) RETURNING ID");
    const QString fileId = rows.isEmpty() ? "0" : rows[0].value(0).toString();
    EXPECT_TRUE(s.exec("Select lu_ID from G2_SERVER_LU where LU_ID = '52907' and LU_LOCALE_ID = '1033' and "
                       "LU_Version = '1.0.0'").isEmpty());
    s.exec("insert into g2_Server_LU(LU_ID, LU_VERSION, LU_LOCALE_ID, QUICK_DESC, COLLECTOR_CONTEXT, COLLECTOR_TYPE, "
           "COLLECTOR_COM, BROWSER_IMPLEMENTED, CHM_FILE_ID, UD_REQ1, UD_REQ2, UD_REQ3, UD_REQ4, UD_REQ5, UD_CAPTION1, "
           "UD_CAPTION2, UD_CAPTION3, UD_CAPTION4, UD_CAPTION5, BROWSER_PLUGIN_FILE_ID, BROWSER_CHM_ARTICLE_ID, "
           "BROWSER_REQ1, BROWSER_REQ2, BROWSER_REQ3, BROWSER_REQ4, BROWSER_REQ5, BROWSER_CAPTION1, BROWSER_CAPTION2, "
           "BROWSER_CAPTION3, BROWSER_CAPTION4, BROWSER_CAPTION5, COLLECTOR_DATEADJUST_IMP, COLLECTOR_DATEADJUST_CAPTION) "
           "values ('52907', '1.0.0', '1033', 'LIMS', 'ctx', 'type', 'com', '-1', '" + fileId + "', '-1', '0', '0', "
           "'0', '0', 'Loc', null, null, null, null, '" + fileId + "', '12', '0', '0', '0', '0', '0', null, null, null, "
           "null, null, -1, '')");
    s.exec("insert into g2_LU_F_LU(LU_ID, LU_VERSION, LU_LOCALE_ID, KEYVALUE, CURVALUE, KEY_DESC) values "
           "('52907', '1.0.0', '1033', 'KEY', 'VALUE', 'A feature')");
    EXPECT_EQ(s.exec("Select lu_ID from G2_SERVER_LU where LU_ID = '52907' and LU_LOCALE_ID = '1033' and "
                     "LU_Version = '1.0.0'").size(), 1);
    s.exec("delete from g2_server_lu where lu_id = '52907' and lu_locale_id = '1033' and lu_version = '1.0.0'");
    s.exec("delete from g2_lu_f_lu where lu_id = '52907' and lu_locale_id = '1033' and lu_version = '1.0.0'");
    s.exec("delete from files where ID = '" + fileId + "'");
    EXPECT_EQ(m_db->scalar("select count(*) from qorroot.files").toInt(), 0);
    EXPECT_EQ(m_db->scalar("select count(*) from qorroot.g2_lu_f_lu").toInt(), 0);
}

TEST_F(PlantDbSchema, FacilityStatementsRunUnchangedInBothDialects)
{
    LB_REQUIRE_PG();
    const int plant = m_db->addLocation("PLANT1", "Plant");
    const int basin = m_db->addLocation("PLANT1", "Basin 1", plant);
    const int inlet = m_db->addLocation("PLANT1", "Inlet", basin);
    ASSERT_GT(inlet, 0);
    PlantVariable linked = variable("PLANT1", "Ammonia");
    linked.limsLoc = "INLET";
    linked.limsTest = "NH3~AMMONIA";
    linked.limsUd1 = "X";
    linked.collector = 7;
    linked.units = "mg/L";
    linked.approval = 2;
    linked.locid = inlet;
    const int ammonia = m_db->addVariable(linked);
    PlantVariable disabled = variable("PLANT1", "Off");
    disabled.collector = 7;
    disabled.enabled = false;
    const int off = m_db->addVariable(disabled);
    const int colour = m_db->addVariable(variable("PLANT1", "Colour", "T"));
    ASSERT_GT(ammonia, 0);
    ASSERT_GT(off, 0);
    ASSERT_TRUE(m_db->setSymbolRule("PLANT1", ammonia, 1, 2));
    ASSERT_TRUE(m_db->setSymbolRule("PLANT1", ammonia, 2, 3, 0.5));
    ASSERT_TRUE(m_db->setTextList("PLANT1", colour, {"Clear", "Brown"}));
    ASSERT_TRUE(m_db->setLockDate("plant1", QDateTime(QDate(2024, 1, 1), QTime(0, 0))));
    ASSERT_TRUE(m_db->setSetting("PLANT1", "LBXREF_12", "ABC"));
    ASSERT_TRUE(m_db->addInfoColumn("PLANT1", "LAB_ID", "integer"));
    const QString id = QString::number(ammonia);

    Session s(*m_scratch, "plant1", "Australia/Adelaide");
    // Liveness probe, lock date, logbook cross-references.
    EXPECT_EQ(s.exec("select count(id) from approvalini").first().value(0).toInt(), 4);
    EXPECT_EQ(text(s.exec("Select curvalue from Settings Where Setting = 'LockDate'").first(), "curvalue"),
              "2024-01-01 00:00:00");
    auto rows = s.exec("SELECT * from \"SETTINGS\" where Setting like 'LBXREF%'");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(text(rows[0], "curvalue"), "ABC");

    // Gatherer: linked variables and the additional-info columns of each dialect.
    rows = s.exec("Select Varid from Vardesc where G2_Interface_ID = 7 and G2_Enabled = -1 order by varid");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value(0).toInt(), ammonia);
    rows = s.exec("SELECT column_name name, data_type type, data_length length FROM user_tab_columns WHERE "
                  "table_name='DATATBL_I' and column_name <> 'AUDITUSER' and column_name <> 'AUDITTIMESTAMP' and "
                  "column_name <> 'DATESTAMP' and column_name  <> 'VARID'");
    QStringList oracle;
    for (const auto& r : rows)
        oracle << text(r, "name") + "\t" + text(r, "type") + "\t" + text(r, "length");
    EXPECT_EQ(oracle, (QStringList{"SAMPLE_NO\tVARCHAR2\t50", "ANALYST\tVARCHAR2\t50", "METHOD\tVARCHAR2\t100",
                                   "REMARKS\tVARCHAR2\t2000", "LAB_ID\tNUMBER\t22"}));
    rows = s.exec("SELECT c.name, t.name type, c.length FROM syscolumns c, systypes t, sysobjects o WHERE "
                  "o.name = 'DATATBL_I' AND o.id = c.id AND c.xtype = t.xtype and c.name <> 'AUDITUSER' and "
                  "c.name <> 'AUDITTIMESTAMP' and c.name <> 'DATESTAMP' and c.name <> 'VARID' and t.name <> 'sysname' "
                  "order by c.id");
    QStringList sqlServer;
    for (const auto& r : rows)
        sqlServer << text(r, "name") + "\t" + text(r, "type") + "\t" + text(r, "length");
    EXPECT_EQ(sqlServer, (QStringList{"SAMPLE_NO\tvarchar\t50", "ANALYST\tvarchar\t50", "METHOD\tvarchar\t100",
                                      "REMARKS\tvarchar\t2000", "LAB_ID\tint\t4"}));

    // Matcher: the variable's definition and its symbol rules.
    rows = s.exec("select varid,varnum,name,vartype,units,decplaces,description,SOURCE_CNN_APPROVAL,lims_loc,lims_test,"
                  "lims_ud1,lims_ud2,lims_ud3,allowsymbol,limit_to_list,list from vardesc where varid=" + id);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(text(rows[0], "lims_test"), "NH3~AMMONIA");
    EXPECT_EQ(rows[0].value("source_cnn_approval").toInt(), 2);
    EXPECT_EQ(rows[0].value("allowsymbol").toInt(), -1);
    EXPECT_EQ(rows[0].value("varnum").toInt(), ammonia);
    rows = s.exec("select symbolrule1,symbolrule2,symbolrule3,symbolrule4,symbolrule5,symbolrule6,symbolrule7,"
                  "symbolrule8,symbolrule9,symbolrule10,symbolfactor1,symbolfactor2,symbolfactor3,symbolfactor4,"
                  "symbolfactor5,symbolfactor6,symbolfactor7,symbolfactor8,symbolfactor9,symbolfactor10"
                  " from vardesc where varid=" + id);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value("symbolrule2").toInt(), 3);
    EXPECT_DOUBLE_EQ(rows[0].value("symbolfactor2").toDouble(), 0.5);
    EXPECT_TRUE(rows[0].value("symbolrule3").isNull());
    rows = s.exec("select limit_to_list, list from vardesc where varid=" + QString::number(colour));
    EXPECT_EQ(rows[0].value("limit_to_list").toInt(), -1);
    EXPECT_EQ(text(rows[0], "list"), "Clear\tBrown");

    // Variable picker and location paths.
    rows = s.exec("select varnum,name,locid,vartype,units,decplaces,description,lims_loc,lims_test,lims_ud1,lims_ud2,"
                  "lims_ud3 from vardesc where varid=" + id);
    ASSERT_EQ(rows.size(), 1);
    QStringList path;
    QVariant locid = rows[0].value("locid");
    while (!locid.isNull()) {
        const auto loc = s.exec("Select LOCATION,LOCID,PARENTID FROM LOCATION WHERE LOCID=" + locid.toString());
        ASSERT_EQ(loc.size(), 1);
        path.prepend(text(loc[0], "location"));
        locid = loc[0].value("parentid");
    }
    EXPECT_EQ(path.join('\\'), "Plant\\Basin 1\\Inlet");

    // Writer: additional info by day, in each dialect's date literal.
    const QString oracleDay = "TO_DATE('05-Mar-2024 12:00:00 AM','dd-Mon-yyyy HH:MI:SS AM')";
    const QString sqlServerDay = "'2024-03-05 00:00:00'";
    EXPECT_TRUE(s.exec("select * from DATATBL_I where varid=" + id + " and datestamp=" + oracleDay).isEmpty());
    s.exec("INSERT INTO DATATBL_I (datestamp, varid, audituser, audittimestamp, SAMPLE_NO, ANALYST) VALUES "
           "(" + sqlServerDay + ", " + id + ", 'VIA_K52907', '2024-03-05 10:00:00', 'S-1', NULL)");
    EXPECT_EQ(s.exec("select * from DATATBL_I where varid=" + id + " and datestamp=" + oracleDay).size(), 1);
    s.exec("UPDATE DATATBL_I SET SAMPLE_NO = 'S-2' where varid=" + id + " and datestamp=" + sqlServerDay);
    EXPECT_EQ(text(s.exec("select * from DATATBL_I where varid=" + id + " and datestamp=" + sqlServerDay).first(),
                   "sample_no"), "S-2");
    EXPECT_TRUE(s.exec("select * from DATADDH_I where varid=" + id + " and datestamp=" + oracleDay).isEmpty());

    // Overwrite protection: has a value been written for the day?
    s.exec("CALL writedtbl(" + sqlServerDay + ", " + id + ", 4.5, NULL, 'VIA_K52907', 2)");
    EXPECT_EQ(s.exec("Select VARID from DATATBL WHERE VARID = " + id + " AND DATESTAMP= " + oracleDay).size(), 1);
    EXPECT_EQ(s.exec("Select VARID from DATATBL WHERE VARID = " + id + " AND DATESTAMP= " + sqlServerDay).size(), 1);
    EXPECT_TRUE(s.exec("Select VARID from DATADDF WHERE VARID = " + id + " AND DATESTAMP= " + sqlServerDay).isEmpty());
}

TEST_F(PlantDbSchema, LoginRolesReachEverySchema)
{
    LB_REQUIRE_PG();
    // Roles belong to the whole server: use a name of this test's own.
    const QString role = "lbrole_" + QUuid::createUuid().toString(QUuid::Id128).left(10);
    ASSERT_TRUE(m_db->grantLogin(role, "pw'1")) << m_db->lastError().toStdString();
    ASSERT_TRUE(m_db->addFacility("PLANT3", "Added later"));
    const int varid = m_db->addVariable(variable("PLANT3", "Late"));
    {
        Session s(*m_scratch, "plant3", "UTC", role, "pw'1");
        s.exec("CALL writedtbl('2024-03-05 00:00:00', " + QString::number(varid) + ", 1, NULL, 'VIA_K52907', 0)");
        EXPECT_EQ(s.exec("select * from datatbl").size(), 1);
        Session root(*m_scratch, "qorroot", "UTC", role, "pw'1");
        EXPECT_EQ(root.exec("select * from facility").size(), 3);
    }
    m_db->exec("DROP OWNED BY " + role);
    m_db->exec("DROP ROLE " + role);
}
