// Access to the throwaway PostgreSQL server that scripts/test starts, for tests
// that need a real database. Each test database is created fresh and dropped.
#pragma once

#include <QString>
#include <gtest/gtest.h>

namespace limsbridge::testing {

//! Parameters parsed from LIMSBRIDGE_TEST_PG (a libpq "key=value ..." string).
struct PgServer {
    QString host;
    int port = 5432;
    QString user;
    QString password;
    bool available = false;
};

PgServer testServer();

//! A database created on the test server for one test and dropped by the destructor.
class ScratchDatabase {
public:
    ScratchDatabase();
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const QString& name() const { return m_name; }
    const PgServer& server() const { return m_server; }
    //! "host:port/database", the Data Source form the connection adapter understands.
    QString dataSource() const;
    //! Runs SQL as the superuser in this database; fails the test on an error.
    void exec(const QString& sql) const;
    //! Runs a psql script file into this database with ON_ERROR_STOP; true on success.
    bool runPsqlFile(const QString& path, QString* output = nullptr) const;
    //! A Qt connection name opened as superuser on this database.
    QString connectionName() const;

private:
    PgServer m_server;
    QString m_name;
    QString m_connection;
};

} // namespace limsbridge::testing

//! Skips the current test when no server is configured, but fails under CI so
//! that nothing silently stops being tested there.
#define LB_REQUIRE_PG()                                                                      \
    do {                                                                                     \
        if (!::limsbridge::testing::testServer().available) {                                \
            if (qEnvironmentVariableIsSet("CI"))                                             \
                FAIL() << "LIMSBRIDGE_TEST_PG is not set";                                   \
            GTEST_SKIP() << "LIMSBRIDGE_TEST_PG is not set";                                 \
        }                                                                                    \
    } while (false)
