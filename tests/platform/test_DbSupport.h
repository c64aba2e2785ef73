// Shared set-up for the database adapter tests: connection strings for the
// scratch PostgreSQL database and for SQLite files, a throwaway login role,
// and the program's time zone pinned away from the server's.
#pragma once

#include "platform/DbConnection.h"
#include "platform/RaisedError.h"
#include "support/PgTestServer.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <ctime>
#include <functional>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QDateTime& value, std::ostream* out) {
    *out << value.toString("yyyy-MM-dd HH:mm:ss.zzz t").toStdString();
}

namespace limsbridge::testing {

// The test server runs in Pacific/Auckland; the program runs in New York, so a
// date-time shifted between zones anywhere on its way shows up as a wrong hour.
inline void useProgramTimeZone() {
    qputenv("TZ", "America/New_York");
    tzset();
}

inline QString uniqueSuffix() { return QUuid::createUuid().toString(QUuid::Id128).left(10); }

//! The connection string the program builds for PostgreSQL, in either dialect.
inline QString pgConnectionString(const ScratchDatabase& database, SqlDialect dialect, const QString& schema,
                                   const QString& user, const QString& password,
                                   const QString& customization = QString()) {
    if (dialect == SqlDialect::Oracle)
        return "Provider=PostgreSQL;Persist Security Info=False;Data Source=" + database.dataSource() +
               ";User ID=" + user + ";Password=" + password + ";OLE DB Services =-2;Application Name=52907;" +
               customization;
    return "Provider=PostgreSQL;Persist Security Info=False;Data Source=" + database.dataSource() +
           ";Initial Catalog=" + schema + ";User ID=" + user + ";Password=" + password +
           ";OLE DB Services =-2;Application Name=52907;" + customization;
}

//! The superuser's connection string for the scratch database (public schema).
inline QString pgSuperuserConnectionString(const ScratchDatabase& database, const QString& customization = {}) {
    return "Provider=PostgreSQL;Data Source=" + database.dataSource() + ";Initial Catalog=public;User ID=" +
           database.server().user + ";Password=" + database.server().password + ";" + customization;
}

//! A login role with a password, dropped (with what it owns in other databases
//! already gone) by the destructor. Declare it before the ScratchDatabase so
//! that the database goes first.
class ScratchRole {
public:
    explicit ScratchRole(const QString& prefix) : m_name(prefix + "_" + uniqueSuffix()), m_password("pw'" + uniqueSuffix()) {
        run("CREATE ROLE " + m_name + " LOGIN PASSWORD '" + QString(m_password).replace("'", "''") + "'");
    }
    ~ScratchRole() { run("DROP ROLE IF EXISTS " + m_name); }
    ScratchRole(const ScratchRole&) = delete;
    ScratchRole& operator=(const ScratchRole&) = delete;

    const QString& name() const { return m_name; }
    const QString& password() const { return m_password; }

private:
    void run(const QString& sql) {
        const PgServer server = testServer();
        if (!server.available)
            return;
        const QString connection = "role_" + uniqueSuffix();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", connection);
            db.setHostName(server.host);
            db.setPort(server.port);
            db.setUserName(server.user);
            db.setPassword(server.password);
            db.setDatabaseName("postgres");
            if (db.open()) {
                QSqlQuery query(db);
                if (!query.exec(sql))
                    ADD_FAILURE() << query.lastError().text().toStdString();
            }
        }
        QSqlDatabase::removeDatabase(connection);
    }

    QString m_name;
    QString m_password;
};

//! An SQLite database file in a temporary folder, created empty.
class ScratchSqliteFile {
public:
    ScratchSqliteFile() {
        m_path = m_folder.filePath("source.db");
        const QString connection = "create_" + uniqueSuffix();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection);
            db.setDatabaseName(m_path);
            db.open();
            QSqlQuery(db).exec("CREATE TABLE created_by_test (x integer)");
        }
        QSqlDatabase::removeDatabase(connection);
    }
    const QString& path() const { return m_path; }
    QString connectionString() const { return "Provider=SQLite;Data Source=" + m_path + ";"; }

private:
    QTemporaryDir m_folder;
    QString m_path;
};

//! The RaisedError a call throws; fails the test when it throws none.
inline RaisedError raisedBy(const std::function<void()>& call) {
    try {
        call();
    } catch (const RaisedError& error) {
        return error;
    }
    ADD_FAILURE() << "expected a RaisedError";
    return RaisedError(0, {});
}

} // namespace limsbridge::testing
