// Static recordsets on PostgreSQL and SQLite: reading rows, nulls against
// empty text, names without regard to case, adding and changing rows with the
// values the database assigns read back, binary columns, wall-clock dates.
#include "test_DbSupport.h"

#include "platform/DbRecordset.h"
#include "platform/DbValue.h"

#include <memory>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

enum class Backend { PostgreSql, Sqlite };

class DbRecordsetTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        useProgramTimeZone();
        if (GetParam() == Backend::PostgreSql) {
            LB_REQUIRE_PG();
            m_postgres = std::make_unique<ScratchDatabase>();
            m_connection.setConnectionString(pgSuperuserConnectionString(*m_postgres));
        } else {
            m_sqlite = std::make_unique<ScratchSqliteFile>();
            m_connection.setConnectionString(m_sqlite->connectionString());
        }
        m_connection.Open();
    }

    bool postgres() const { return GetParam() == Backend::PostgreSql; }
    QString idColumn() const {
        return postgres() ? "id serial primary key" : "id integer primary key autoincrement";
    }
    QString binaryType() const { return postgres() ? "bytea" : "blob"; }
    QString dateType() const { return "timestamp"; }
    //! The stored date-time as the database itself writes it as text.
    QString storedText(const QString& column, const QString& tableAndWhere) {
        const QString expression = postgres() ? column + "::text" : column;
        DbRecordset recordset("select " + expression + " as t from " + tableAndWhere, m_connection);
        return recordset.Eof() ? QString() : recordset.Field("t").toString();
    }

    std::unique_ptr<ScratchDatabase> m_postgres;
    std::unique_ptr<ScratchSqliteFile> m_sqlite;
    DbConnection m_connection;
};

QStringList lowerCased(QStringList names) {
    for (QString& name : names)
        name = name.toLower();
    return names;
}

const QDateTime march15(QDate(2024, 3, 15), QTime(10, 20, 30));

} // namespace

TEST_P(DbRecordsetTest, ReadsRowsWithNullsApartFromEmptyText) {
    m_connection.Execute("create table sample (id integer, name varchar(20), note varchar(20), amount double precision, "
                         "stamp " + dateType() + ")");
    m_connection.Execute("insert into sample values (1, 'alpha', NULL, 1.5, '2024-03-15 10:20:30'), "
                         "(2, 'beta', '', -2, NULL), (3, 'gamma', 'x', NULL, '2024-12-31 23:59:59')");
    DbRecordset recordset("select id, Name, NOTE, amount, stamp from sample order by id", m_connection);
    EXPECT_EQ(recordset.RecordCount(), 3);
    EXPECT_EQ(recordset.FieldCount(), 5);
    EXPECT_EQ(lowerCased(recordset.FieldNames()), QStringList({"id", "name", "note", "amount", "stamp"}));

    ASSERT_FALSE(recordset.Eof());
    EXPECT_EQ(recordset.Field("ID").toInt(), 1);
    EXPECT_EQ(recordset.Field("name").toString(), "alpha");
    EXPECT_EQ(recordset.Field("nAmE").toString(), "alpha");
    EXPECT_EQ(recordset.Field(1).toString(), "alpha");
    EXPECT_FALSE(recordset.Field("Note").isValid());
    EXPECT_TRUE(DbValue::isNull(recordset.Field("Note")));
    EXPECT_EQ(recordset.Field(3).toDouble(), 1.5);
    EXPECT_EQ(DbValue::dateOf(recordset.Field("STAMP")), march15);

    recordset.MoveNext();
    EXPECT_EQ(recordset.Field("id").toInt(), 2);
    EXPECT_TRUE(recordset.Field("note").isValid());
    EXPECT_FALSE(recordset.Field("note").isNull());
    EXPECT_EQ(recordset.Field("note").toString(), "");
    EXPECT_EQ(recordset.Field("amount").toDouble(), -2.0);
    EXPECT_FALSE(recordset.Field("stamp").isValid());

    recordset.MoveNext();
    EXPECT_EQ(recordset.Field("note").toString(), "x");
    EXPECT_FALSE(recordset.Field("amount").isValid());
    EXPECT_EQ(DbValue::textOf(recordset.Field("stamp")), "2024-12-31 23:59:59");

    recordset.MoveNext();
    EXPECT_TRUE(recordset.Eof());
    EXPECT_EQ(raisedBy([&] { recordset.Field("id"); }).number(), DbError::NoCurrentRecord);
    EXPECT_EQ(raisedBy([&] { recordset.MoveNext(); }).number(), DbError::NoCurrentRecord);
    recordset.MoveFirst();
    EXPECT_EQ(recordset.Field("id").toInt(), 1);
    EXPECT_EQ(raisedBy([&] { recordset.Field("nope"); }).number(), DbError::ItemNotFound);
    EXPECT_EQ(raisedBy([&] { recordset.Field(5); }).number(), DbError::ItemNotFound);
    EXPECT_TRUE(recordset.hasField("AMOUNT"));
    EXPECT_FALSE(recordset.hasField("amounts"));
}

TEST_P(DbRecordsetTest, OpenWithFieldsLoadsOnlyTheWantedFieldsAndRefusesTheOthers) {
    m_connection.Execute("create table sample (id integer, name varchar(20), note varchar(20), stamp " + dateType() +
                         ")");
    m_connection.Execute("insert into sample values (1, 'alpha', NULL, '2024-03-15 10:20:30'), "
                         "(2, 'beta', 'b', NULL)");
    DbRecordset recordset;
    QStringList asked;
    recordset.OpenWithFields("select id, Name, note, stamp from sample order by id", m_connection,
                             [&asked](const QString& name) {
                                 asked << name.toLower();
                                 return name.toLower() == "name" || name.toLower() == "stamp";
                             });
    EXPECT_EQ(asked, QStringList({"id", "name", "note", "stamp"}));
    EXPECT_EQ(recordset.RecordCount(), 2);
    EXPECT_EQ(lowerCased(recordset.FieldNames()), QStringList({"id", "name", "note", "stamp"}));
    EXPECT_EQ(recordset.fieldIndex("STAMP"), 3);
    EXPECT_EQ(recordset.Field("NAME").toString(), "alpha");
    EXPECT_EQ(DbValue::dateOf(recordset.Field(3)), march15);
    const RaisedError unloaded = raisedBy([&] { recordset.Field("id"); });
    EXPECT_EQ(unloaded.number(), DbError::ItemNotFound);
    EXPECT_EQ(unloaded.description(), "The field 'id' was not loaded");
    EXPECT_EQ(raisedBy([&] { recordset.Field(2); }).number(), DbError::ItemNotFound);
    recordset.MoveNext();
    EXPECT_EQ(recordset.Field(1).toString(), "beta");
    EXPECT_FALSE(recordset.Field("stamp").isValid());
    EXPECT_EQ(raisedBy([&] { recordset.setField("name", "x"); }).number(), DbError::NotSupported);

    // A plain Open on the same object loads every field again.
    recordset.Open("select id, note from sample order by id", m_connection);
    EXPECT_EQ(recordset.Field("id").toInt(), 1);
    EXPECT_FALSE(recordset.Field("note").isValid());
}

TEST_P(DbRecordsetTest, EmptyResultIsAtEndWithItsFields) {
    m_connection.Execute("create table sample (id integer, name varchar(20))");
    DbRecordset recordset("select * from sample", m_connection);
    EXPECT_EQ(recordset.RecordCount(), 0);
    EXPECT_TRUE(recordset.Eof());
    EXPECT_EQ(lowerCased(recordset.FieldNames()), QStringList({"id", "name"}));
}

TEST_P(DbRecordsetTest, FailedStatementRaisesAndConnectionStaysUsable) {
    DbRecordset recordset;
    const RaisedError error = raisedBy([&] { recordset.Open("select * from missing_table", m_connection); });
    EXPECT_TRUE(error.description().contains("missing_table")) << error.description().toStdString();
    EXPECT_EQ(m_connection.Errors().size(), 1);
    EXPECT_FALSE(recordset.isOpen());
    recordset.Open("select 7 as seven", m_connection);
    EXPECT_EQ(recordset.Field("SEVEN").toInt(), 7);
    EXPECT_TRUE(m_connection.Errors().isEmpty());
}

TEST_P(DbRecordsetTest, ReadOnlyRecordsetRefusesChanges) {
    m_connection.Execute("create table sample (id integer)");
    m_connection.Execute("insert into sample values (1)");
    DbRecordset recordset("select id from sample", m_connection);
    EXPECT_EQ(raisedBy([&] { recordset.setField("id", 2); }).number(), DbError::NotSupported);
    EXPECT_EQ(raisedBy([&] { recordset.AddNew(); }).number(), DbError::NotSupported);
}

TEST_P(DbRecordsetTest, AddNewReadsBackDatabaseAssignedIdAndDefaults) {
    m_connection.Execute("create table calcqueue (" + idColumn() +
                         ", status integer, vlist varchar(100), datestart " + dateType() +
                         ", facility varchar(30), audituser varchar(50) default 'dbdefault')");
    DbRecordset recordset("select * from CALCQUEUE where ID=0", m_connection, DbLockType::Pessimistic);
    EXPECT_EQ(recordset.RecordCount(), 0);
    recordset.AddNew();
    recordset.setField("status", 0);
    recordset.setField("vlist", QString(""));
    recordset.setField("DateStart", march15);
    recordset.setField("facility", "FAC'1");
    recordset.Update();
    const int firstId = recordset.Field("id").toInt();
    EXPECT_GT(firstId, 0);
    EXPECT_EQ(recordset.Field("audituser").toString(), "dbdefault");
    EXPECT_FALSE(recordset.editing());

    recordset.AddNew();
    recordset.setField("facility", "FAC2");
    recordset.Update();
    EXPECT_EQ(recordset.Field("ID").toInt(), firstId + 1);
    EXPECT_EQ(recordset.RecordCount(), 2);

    DbRecordset check("select id, status, vlist, datestart, facility from calcqueue order by id", m_connection);
    ASSERT_EQ(check.RecordCount(), 2);
    EXPECT_EQ(check.Field("id").toInt(), firstId);
    EXPECT_EQ(check.Field("status").toInt(), 0);
    EXPECT_TRUE(check.Field("vlist").isValid());
    EXPECT_EQ(check.Field("vlist").toString(), "");
    EXPECT_EQ(DbValue::dateOf(check.Field("datestart")), march15);
    EXPECT_EQ(check.Field("facility").toString(), "FAC'1");
    check.MoveNext();
    EXPECT_FALSE(check.Field("status").isValid());
    EXPECT_FALSE(check.Field("datestart").isValid());
}

TEST_P(DbRecordsetTest, ChangingRowUpdatesOnlyTheRowOfTheStatementsWhere) {
    m_connection.Execute("create table g2_server_run (interface_id integer, filename varchar(30), lastrun " +
                         dateType() + ", workstation varchar(30))");
    m_connection.Execute("insert into g2_server_run values (5, 'FAC''A', '2024-01-01 00:00:00', 'old'), "
                         "(5, 'FACB', '2024-01-01 00:00:00', 'old'), (6, 'FAC''A', '2024-01-01 00:00:00', 'old')");
    {
        DbRecordset recordset("Select INTERFACE_ID, FILENAME, LASTRUN, WorkStation from g2_server_run "
                              "where interface_id = 5 and filename='FAC''A'",
                              m_connection, DbLockType::Optimistic);
        ASSERT_EQ(recordset.RecordCount(), 1);
        recordset.setField("LASTRUN", march15);
        recordset.setField("workstation", "lab-pc");
        EXPECT_TRUE(recordset.editing());
        recordset.Update();
        EXPECT_EQ(recordset.Field("WorkStation").toString(), "lab-pc");
    }
    DbRecordset check("select interface_id, filename, lastrun, workstation from g2_server_run "
                      "order by interface_id, filename",
                      m_connection);
    ASSERT_EQ(check.RecordCount(), 3);
    EXPECT_EQ(check.Field("filename").toString(), "FAC'A");
    EXPECT_EQ(check.Field("workstation").toString(), "lab-pc");
    EXPECT_EQ(DbValue::dateOf(check.Field("lastrun")), march15);
    check.MoveNext();
    EXPECT_EQ(check.Field("filename").toString(), "FACB");
    EXPECT_EQ(check.Field("workstation").toString(), "old");
    check.MoveNext();
    EXPECT_EQ(check.Field("interface_id").toInt(), 6);
    EXPECT_EQ(check.Field("workstation").toString(), "old");
    EXPECT_EQ(DbValue::textOf(check.Field("lastrun")), "2024-01-01 00:00:00");
}

TEST_P(DbRecordsetTest, AddsTheRowWhenMissingThenChangesIt) {
    m_connection.Execute("create table g2_server_run (interface_id integer, filename varchar(30), lastrun " +
                         dateType() + ")");
    const QString sql = "Select INTERFACE_ID, FILENAME, LASTRUN from g2_server_run where interface_id = 9 and "
                        "filename='FAC1'";
    for (const QDateTime& lastRun : {march15, march15.addDays(1)}) {
        DbRecordset recordset(sql, m_connection, DbLockType::Pessimistic);
        if (recordset.RecordCount() == 0)
            recordset.AddNew();
        recordset.setField("interface_id", 9);
        recordset.setField("FileName", "FAC1");
        recordset.setField("LASTRUN", lastRun);
        recordset.Update();
    }
    DbRecordset check(sql, m_connection);
    ASSERT_EQ(check.RecordCount(), 1);
    EXPECT_EQ(DbValue::dateOf(check.Field("lastrun")), march15.addDays(1));
}

TEST_P(DbRecordsetTest, ChangingSeveralRowsAtOnceIsRefusedAndCancelRestores) {
    m_connection.Execute("create table sample (id integer, name varchar(20))");
    m_connection.Execute("insert into sample values (1, 'a'), (2, 'b')");
    DbRecordset recordset("select id, name from sample where id > 0", m_connection, DbLockType::Optimistic);
    recordset.setField("name", "changed");
    EXPECT_EQ(raisedBy([&] { recordset.Update(); }).number(), DbError::NotSupported);
    recordset.CancelUpdate();
    EXPECT_EQ(recordset.Field("name").toString(), "a");
    EXPECT_FALSE(recordset.editing());
    DbRecordset check("select name from sample where id = 2", m_connection);
    EXPECT_EQ(check.Field("name").toString(), "b");
}

TEST_P(DbRecordsetTest, StatementOtherThanSimpleSelectCannotSave) {
    m_connection.Execute("create table sample (id integer, name varchar(20))");
    DbRecordset recordset("select s.id from sample s join sample t on s.id = t.id", m_connection,
                          DbLockType::Optimistic);
    recordset.AddNew();
    recordset.setField("id", 1);
    EXPECT_EQ(raisedBy([&] { recordset.Update(); }).number(), DbError::NotSupported);
    recordset.CancelUpdate();
    EXPECT_EQ(recordset.RecordCount(), 0);
}

TEST_P(DbRecordsetTest, BinaryValuesRoundTripAndOverwriteInPlace) {
    m_connection.Execute("create table files (" + idColumn() + ", dirname varchar(30), filename varchar(30), "
                         "filedata " + binaryType() + ")");
    QByteArray first;
    for (int i = 0; i < 1024; ++i)
        first.append(char(i % 256));
    const QByteArray second("\x00\x01'\\x\xff", 6);
    const QString sql = "SELECT * FROM FILES WHERE DIRNAME='HELP' AND FILENAME='A.CHM'";
    int id = 0;
    for (const QByteArray& bytes : {first, second}) {
        DbRecordset recordset(sql, m_connection, DbLockType::Optimistic);
        if (recordset.RecordCount() == 0) {
            recordset.AddNew();
            recordset.setField("DIRNAME", "HELP");
            recordset.setField("FILENAME", "A.CHM");
        }
        recordset.setField("FILEDATA", bytes);
        recordset.Update();
        if (id == 0)
            id = recordset.Field("ID").toInt();
        EXPECT_EQ(recordset.Field("ID").toInt(), id);
        DbRecordset check("select filedata from files", m_connection);
        ASSERT_EQ(check.RecordCount(), 1);
        EXPECT_EQ(check.Field("FileData").toByteArray(), bytes);
    }
}

TEST_P(DbRecordsetTest, DateTimeKeepsItsWallClockAcrossZones) {
    m_connection.Execute("create table stamps (id integer, stamp " + dateType() + ")");
    const QDateTime summer(QDate(2024, 7, 1), QTime(10, 0, 0));
    DbRecordset recordset("select id, stamp from stamps where id = 1", m_connection, DbLockType::Optimistic);
    recordset.AddNew();
    recordset.setField("id", 1);
    recordset.setField("stamp", summer);
    recordset.Update();
    EXPECT_EQ(DbValue::dateOf(recordset.Field("stamp")), summer);
    EXPECT_EQ(storedText("stamp", "stamps where id = 1"), "2024-07-01 10:00:00");
    DbRecordset check("select stamp from stamps", m_connection);
    EXPECT_EQ(DbValue::dateOf(check.Field("stamp")), summer);
}

TEST_P(DbRecordsetTest, RecordsetOutlivingItsConnectionRaisesOnSave) {
    auto connection = std::make_unique<DbConnection>();
    connection->setConnectionString(m_connection.ConnectionString());
    connection->Open();
    connection->Execute("create table sample (id integer)");
    DbRecordset recordset("select id from sample", *connection, DbLockType::Optimistic);
    recordset.AddNew();
    recordset.setField("id", 1);
    connection.reset();
    EXPECT_EQ(raisedBy([&] { recordset.Update(); }).number(), DbError::ConnectionClosed);
}

INSTANTIATE_TEST_SUITE_P(Backends, DbRecordsetTest, ::testing::Values(Backend::PostgreSql, Backend::Sqlite),
                         [](const auto& info) {
                             return std::string(info.param == Backend::PostgreSql ? "PostgreSql" : "Sqlite");
                         });
