// Opening connections from the program's connection strings: PostgreSQL in
// both dialects, SQLite, and every way an open or a statement can fail.
#include "test_DbSupport.h"

#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QThread>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

QString single(DbConnection& connection, const QString& sql) {
    DbRecordset recordset(sql, connection);
    EXPECT_EQ(recordset.RecordCount(), 1) << sql.toStdString();
    return recordset.Eof() ? QString() : recordset.Field(0).toString();
}

// A facility schema owned by its role, with a marker table to tell schemas apart.
void createSchema(const ScratchDatabase& database, const QString& schema, const QString& owner) {
    database.exec("CREATE SCHEMA " + schema + " AUTHORIZATION " + owner);
    database.exec("CREATE TABLE " + schema + ".marker (name varchar(20))");
    database.exec("INSERT INTO " + schema + ".marker VALUES ('" + schema + "')");
    database.exec("GRANT USAGE ON SCHEMA " + schema + " TO PUBLIC");
    database.exec("GRANT SELECT ON " + schema + ".marker TO PUBLIC");
}

int closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const int port = server.serverPort();
    server.close();
    return port;
}

} // namespace

TEST(DbConnection, PostgreSqlSqlServerDialectUsesInitialCatalogAsSchema) {
    LB_REQUIRE_PG();
    ScratchRole role("qordba");
    ScratchDatabase database;
    createSchema(database, "facil1", role.name());
    createSchema(database, "qorroot", role.name());
    database.exec("GRANT CONNECT ON DATABASE " + database.name() + " TO " + role.name());

    DbConnection connection(SqlDialect::SqlServer);
    connection.setConnectionString(
        pgConnectionString(database, SqlDialect::SqlServer, "FACIL1", role.name().toUpper(), role.password()));
    connection.Open();
    EXPECT_EQ(connection.State(), 1);
    EXPECT_TRUE(connection.Errors().isEmpty());
    EXPECT_EQ(connection.DataSource(), database.dataSource());
    EXPECT_EQ(single(connection, "select current_user"), role.name());
    EXPECT_EQ(single(connection, "show search_path"), "facil1, pg_catalog");
    EXPECT_EQ(single(connection, "select name from Marker"), "facil1");
    EXPECT_EQ(single(connection, "show statement_timeout"), "30s");
    EXPECT_EQ(single(connection, "select current_setting('application_name')"), "52907");
    connection.Close();
    EXPECT_EQ(connection.State(), 0);
}

TEST(DbConnection, PostgreSqlOracleDialectUsesUserIdAsSchema) {
    LB_REQUIRE_PG();
    ScratchRole role("fac");
    ScratchDatabase database;
    createSchema(database, role.name(), role.name());

    DbConnection connection(SqlDialect::Oracle);
    connection.setConnectionString(
        pgConnectionString(database, SqlDialect::Oracle, {}, role.name().toUpper(), role.password()));
    connection.setCommandTimeout(12);
    connection.Open();
    EXPECT_EQ(single(connection, "select current_user"), role.name());
    EXPECT_EQ(single(connection, "show search_path"), role.name() + ", pg_catalog");
    EXPECT_EQ(single(connection, "select name from marker"), role.name());
    EXPECT_EQ(single(connection, "show statement_timeout"), "12s");
    connection.setCommandTimeout(0);
    EXPECT_EQ(single(connection, "show statement_timeout"), "0");
}

TEST(DbConnection, PostgreSqlDefaultsAndDriverOptionsFromCustomization) {
    LB_REQUIRE_PG();
    ScratchDatabase database;
    DbConnection connection;
    connection.setConnectionString(
        pgSuperuserConnectionString(database, "sslmode=disable;options=-c work_mem=2MB;Connect Timeout=3"));
    connection.Open();
    EXPECT_EQ(single(connection, "show work_mem"), "2MB");
    EXPECT_EQ(single(connection, "select current_database()"), database.name());
}

TEST(DbConnection, SqliteOpensFile) {
    ScratchSqliteFile file;
    DbConnection connection(SqlDialect::Access);
    connection.setConnectionString(file.connectionString());
    connection.Open();
    EXPECT_EQ(connection.State(), 1);
    EXPECT_EQ(connection.driverKind(), DbDriverKind::Sqlite);
    EXPECT_EQ(connection.DataSource(), file.path());
    EXPECT_EQ(connection.Execute("insert into created_by_test values (1), (2)"), 2);
    EXPECT_EQ(single(connection, "select count(*) from Created_By_Test"), "2");
}

TEST(DbConnection, EachConnectionHasItsOwnQtConnectionRemovedAtTheEnd) {
    ScratchSqliteFile file;
    QString firstName;
    {
        DbConnection first;
        DbConnection second;
        first.setConnectionString(file.connectionString());
        second.setConnectionString(file.connectionString());
        first.Open();
        second.Open();
        firstName = first.connectionName();
        EXPECT_NE(first.connectionName(), second.connectionName());
        EXPECT_TRUE(QSqlDatabase::contains(firstName));
    }
    EXPECT_FALSE(QSqlDatabase::contains(firstName));
}

namespace {

struct FailingOpen {
    const char* name;
    std::function<QString(const ScratchDatabase&, const ScratchRole&)> connectionString;
    long number;
    const char* descriptionPart;
    bool needsServer;
};

std::vector<FailingOpen> failingOpens() {
    return {
        {"WrongPassword",
         [](const ScratchDatabase& db, const ScratchRole& role) {
             return pgConnectionString(db, SqlDialect::Oracle, {}, role.name(), "not-the-password");
         },
         DbError::DriverFailure, "password authentication failed", true},
        {"ClosedPort",
         [](const ScratchDatabase&, const ScratchRole& role) {
             return "Provider=PostgreSQL;Data Source=127.0.0.1:" + QString::number(closedPort()) +
                    "/oxmo;User ID=" + role.name() + ";Password=x;";
         },
         DbError::DriverFailure, "Connection refused", false},
        {"BadPort",
         [](const ScratchDatabase&, const ScratchRole&) {
             return QString("Provider=PostgreSQL;Data Source=127.0.0.1:abc/oxmo;User ID=u;Password=x;");
         },
         DbError::InvalidArgument, "no valid port number", false},
        {"UnknownProvider",
         [](const ScratchDatabase&, const ScratchRole&) {
             return QString("Provider=MSDASQL.9;Data Source=x;User ID=u;Password=p;");
         },
         DbError::ProviderNotFound, "'MSDASQL.9' is not a provider", false},
        {"NoProvider",
         [](const ScratchDatabase&, const ScratchRole&) { return QString("Data Source=x;User ID=u;"); },
         DbError::ProviderNotFound, "names no Provider", false},
        {"OracleWithoutOdbcDriver",
         [](const ScratchDatabase&, const ScratchRole&) {
             return QString("Provider=OraOLEDB.Oracle;Data Source=orcl;User ID=u;Password=p;");
         },
         DbError::ProviderNotFound, "Driver={", false},
        {"MissingSchema",
         [](const ScratchDatabase& db, const ScratchRole&) {
             return pgSuperuserConnectionString(db).replace("Initial Catalog=public", "Initial Catalog=NOSUCH");
         },
         // SQLSTATE 3F000 (invalid_schema_name) packed six bits per character.
         (('3' - '0') & 0x3F) | (long(('F' - '0') & 0x3F) << 6), "schema 'nosuch' does not exist", true},
        {"UnknownDriverOption",
         [](const ScratchDatabase& db, const ScratchRole&) { return pgSuperuserConnectionString(db, "bogus=1"); },
         DbError::DriverFailure, "invalid connection option \"bogus\"", true},
        {"MissingSqliteFile",
         [](const ScratchDatabase&, const ScratchRole&) {
             return QString("Provider=SQLite;Data Source=/nonexistent/folder/lims.db;");
         },
         14, "'/nonexistent/folder/lims.db': the file does not exist", false},
    };
}

class DbConnectionFailingOpen : public ::testing::TestWithParam<FailingOpen> {};

} // namespace

TEST_P(DbConnectionFailingOpen, RaisesNumberAndDescription) {
    const FailingOpen& row = GetParam();
    if (row.needsServer)
        LB_REQUIRE_PG();
    ScratchRole role("lbfail");
    ScratchDatabase database;
    DbConnection connection;
    connection.setConnectionString(row.connectionString(database, role));
    const RaisedError error = raisedBy([&] { connection.Open(); });
    EXPECT_EQ(error.number(), row.number);
    EXPECT_TRUE(error.description().contains(QString::fromUtf8(row.descriptionPart)))
        << error.description().toStdString();
    EXPECT_EQ(connection.State(), 0);
    ASSERT_EQ(connection.Errors().size(), 1);
    EXPECT_EQ(connection.Errors()[0].Number, row.number);
    EXPECT_EQ(connection.Errors()[0].Description, error.description());
    EXPECT_FALSE(QSqlDatabase::contains(connection.connectionName()));
}

INSTANTIATE_TEST_SUITE_P(Table, DbConnectionFailingOpen, ::testing::ValuesIn(failingOpens()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DbConnection, StatementErrorKeepsConnectionUsable) {
    LB_REQUIRE_PG();
    ScratchDatabase database;
    DbConnection connection;
    connection.setConnectionString(pgSuperuserConnectionString(database));
    connection.Open();
    const RaisedError error = raisedBy([&] { connection.Execute("select * from no_such_table"); });
    EXPECT_EQ(error.number(), DbError::numberFor(DbDriverKind::PostgreSql, "42P01"));
    EXPECT_EQ(error.description(), "relation \"no_such_table\" does not exist (SQLSTATE 42P01)");
    ASSERT_EQ(connection.Errors().size(), 1);
    EXPECT_EQ(connection.Errors()[0].SQLState, "42P01");
    EXPECT_EQ(connection.State(), 1);

    EXPECT_EQ(connection.Execute("create table t (x integer)"), 0);
    EXPECT_EQ(connection.Execute("insert into t values (1), (2), (3)"), 3);
    EXPECT_TRUE(connection.Errors().isEmpty());
    EXPECT_EQ(connection.Execute("update t set x = x + 1 where x > 1"), 2);
}

TEST(DbConnection, StatementTimeoutCancelsLongStatement) {
    LB_REQUIRE_PG();
    ScratchDatabase database;
    DbConnection connection;
    connection.setConnectionString(pgSuperuserConnectionString(database));
    connection.setCommandTimeout(1);
    connection.Open();
    const RaisedError error = raisedBy([&] { connection.Execute("select pg_sleep(3)"); });
    EXPECT_EQ(error.number(), DbError::numberFor(DbDriverKind::PostgreSql, "57014"));
    EXPECT_TRUE(error.description().contains("statement timeout")) << error.description().toStdString();
    EXPECT_NO_THROW(connection.Execute("select 1"));
}

TEST(DbConnection, ServerGoneGivesErrorThenReopenWorks) {
    LB_REQUIRE_PG();
    ScratchDatabase database;
    DbConnection connection;
    connection.setConnectionString(pgSuperuserConnectionString(database));
    connection.Open();
    const QString pid = single(connection, "select pg_backend_pid()");
    database.exec("select pg_terminate_backend(" + pid + ")");

    const RaisedError error = raisedBy([&] { connection.Execute("select 1"); });
    EXPECT_NE(error.number(), 0);
    EXPECT_FALSE(error.description().isEmpty());
    EXPECT_EQ(connection.Errors().size(), 1);

    connection.Close();
    EXPECT_EQ(connection.State(), 0);
    connection.Open();
    EXPECT_NE(single(connection, "select pg_backend_pid()"), pid);
}

// Whether the session is known alive without a round trip: only on PostgreSQL,
// and only while nothing has arrived from the server since the last statement.
TEST(DbConnection, QuietSinceLastStatementSeesWhatTheServerSent) {
    LB_REQUIRE_PG();
    ScratchDatabase database;
    DbConnection connection;
    EXPECT_FALSE(connection.QuietSinceLastStatement());
    connection.setConnectionString(pgSuperuserConnectionString(database));
    connection.Open();
    connection.Execute("LISTEN lb_test");
    EXPECT_TRUE(connection.QuietSinceLastStatement());

    // A notification waits unread on the socket until the next statement.
    database.exec("NOTIFY lb_test");
    QElapsedTimer waited;
    waited.start();
    while (connection.QuietSinceLastStatement() && waited.elapsed() < 5000)
        QThread::msleep(10);
    EXPECT_FALSE(connection.QuietSinceLastStatement());
    connection.Execute("select 1");
    EXPECT_TRUE(connection.QuietSinceLastStatement());

    // A terminated session leaves its farewell and the end of the stream.
    const QString pid = single(connection, "select pg_backend_pid()");
    EXPECT_TRUE(connection.QuietSinceLastStatement());
    database.exec("select pg_terminate_backend(" + pid + ")");
    waited.restart();
    while (connection.QuietSinceLastStatement() && waited.elapsed() < 5000)
        QThread::msleep(10);
    EXPECT_FALSE(connection.QuietSinceLastStatement());
    connection.Close();
    EXPECT_FALSE(connection.QuietSinceLastStatement());
}

TEST(DbConnection, QuietSinceLastStatementIsFalseWhereTheDriverCannotTell) {
    ScratchSqliteFile file;
    DbConnection connection;
    connection.setConnectionString(file.connectionString());
    connection.Open();
    connection.Execute("create table t (id integer)");
    EXPECT_FALSE(connection.QuietSinceLastStatement());
}

TEST(DbConnection, StatementOnClosedConnectionRaises) {
    DbConnection connection;
    const RaisedError error = raisedBy([&] { connection.Execute("select 1"); });
    EXPECT_EQ(error.number(), DbError::ConnectionClosed);
}
