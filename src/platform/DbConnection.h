// A database connection opened from an OLE DB connection string. The Provider
// picks the Qt driver (PostgreSQL → QPSQL, SQLite → QSQLITE, the SQL Server,
// Oracle and Jet providers → QODBC); the dialect the caller writes decides which
// key names the schema on PostgreSQL. Failures are raised as RaisedError and
// kept in Errors(), as ADO keeps them.
#pragma once

#include "platform/DbError.h"

#include <QList>
#include <QSqlQuery>
#include <QString>

#include <memory>

namespace limsbridge {

class DbConnectionString;
class RaisedError;

//! The SQL dialect the callers write: it decides which connection-string key
//! names the schema (Oracle: User ID, SQL Server: Initial Catalog).
enum class SqlDialect { Oracle = 1, SqlServer = 2, Access = 3 };

class DbConnection {
public:
    explicit DbConnection(SqlDialect dialect = SqlDialect::SqlServer);
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    //! ADO's cursor locations. Every recordset is read whole into memory, which is
    //! what a client-side cursor means, so the setting is kept but changes nothing.
    enum class CursorLocation { Server = 2, Client = 3 };
    CursorLocation cursorLocation() const { return m_cursorLocation; }
    void setCursorLocation(CursorLocation location) { m_cursorLocation = location; }

    SqlDialect dialect() const { return m_dialect; }
    void setDialect(SqlDialect dialect) { m_dialect = dialect; }

    const QString& ConnectionString() const { return m_connectionString; }
    void setConnectionString(const QString& text) { m_connectionString = text; }

    //! Seconds to wait for the server at Open (default 15); a "Connect Timeout"
    //! in the connection string takes precedence.
    int ConnectionTimeout() const { return m_connectionTimeout; }
    void setConnectionTimeout(int seconds) { m_connectionTimeout = seconds; }
    //! Seconds a statement may run (default 30, 0 = no limit); applied at once when open.
    int CommandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(int seconds);

    //! The connection string's "Data Source", as it is shown in log lines.
    QString DataSource() const;
    //! Any key of the connection string (case-insensitive); empty when absent.
    QString Property(const QString& key) const;

    //! Opens with the current connection string; an open connection is closed first.
    //! Raises RaisedError (and fills Errors()) when the connection cannot be made.
    void Open();
    //! Closes the connection; never raises. Closing a closed connection does nothing.
    void Close();
    bool isOpen() const { return m_open; }
    //! 0 closed, 1 open (ADO's adStateClosed / adStateOpen).
    int State() const { return m_open ? 1 : 0; }

    //! The errors of the last failed operation; cleared when an operation starts.
    const QList<DbError>& Errors() const { return m_errors; }
    //! The first error of the list, or the raised error when the list is empty:
    //! what "the connection's first error" means in failure lines.
    DbError firstErrorOr(const RaisedError& raised) const;

    //! Runs a statement and returns the rows it affected (-1 when the driver cannot tell).
    long Execute(const QString& sql);

    //! True when it is known without asking the server that the session is
    //! open and the server has sent nothing since the last statement: only on
    //! PostgreSQL, through its socket. False whenever that cannot be told
    //! (other drivers) or something has arrived (a notice, the farewell of a
    //! terminated session); the caller then asks the server.
    bool QuietSinceLastStatement() const;

    DbDriverKind driverKind() const { return m_driver; }

    //! For the adapter's own classes: the Qt Sql connection name, unique per object.
    const QString& connectionName() const { return m_name; }
    //! For the adapter's own classes: a query on this connection that reads
    //! its rows once, forward, with doubles in low precision.
    QSqlQuery newQuery() const;
    //! For the adapter's own classes: raises ConnectionClosed unless open.
    void checkOpen();
    //! For the adapter's own classes: records the error as the only one in Errors() and raises it.
    [[noreturn]] void raise(const DbError& error);
    void clearErrors() { m_errors.clear(); }
    //! For the adapter's own classes: expires when this object is destroyed.
    std::weak_ptr<void> lifeToken() const { return m_alive; }

private:
    void openPostgreSql(const DbConnectionString& settings);
    void openSqlite(const DbConnectionString& settings);
    void openOdbc(const DbConnectionString& settings, const QString& provider);
    void applyStatementTimeout();
    [[noreturn]] void failOpen(const DbError& error);

    SqlDialect m_dialect;
    CursorLocation m_cursorLocation = CursorLocation::Client;
    QString m_connectionString;
    int m_connectionTimeout = 15;
    int m_commandTimeout = 30;
    QString m_name;
    DbDriverKind m_driver = DbDriverKind::None;
    bool m_open = false;
    QList<DbError> m_errors;
    std::shared_ptr<int> m_alive;
};

} // namespace limsbridge
