#include "platform/DbConnection.h"

#include "platform/DbConnectionString.h"
#include "platform/DbValue.h"
#include "platform/PgSessionState.h"
#include "platform/RaisedError.h"

#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <atomic>

namespace limsbridge {

namespace {

constexpr int defaultPostgreSqlPort = 5432;
const char* const defaultPostgreSqlDatabase = "oxmo";
const char* const defaultSqlServerOdbcDriver = "ODBC Driver 18 for SQL Server";
const char* const jetOdbcDriver = "MDBTools";

QString nextConnectionName() {
    static std::atomic<quint64> counter{0};
    return QStringLiteral("limsbridge.db.%1").arg(++counter);
}

bool isSqlServerProvider(const QString& provider) {
    return provider == "sqlncli11" || provider == "sqlncli" || provider == "msoledbsql" || provider == "sqloledb";
}

// Keys the adapter reads itself; every other key=value of the string is handed to the driver.
bool isAdapterKey(const QString& key) {
    static const QSet<QString> keys{"provider",        "data source",       "initial catalog",
                                    "user id",         "password",          "persist security info",
                                    "ole db services", "application name",  "connect timeout",
                                    "driver"};
    const QString normalized = DbConnectionString::normalizedKey(key);
    return keys.contains(normalized) || normalized.startsWith("jet oledb:");
}

QList<QPair<QString, QString>> driverOptions(const DbConnectionString& settings) {
    QList<QPair<QString, QString>> options;
    for (const auto& pair : settings.pairs())
        if (!isAdapterKey(pair.first))
            options.append(pair);
    return options;
}

// libpq reads 'value' with backslash escapes; bare values may not hold blanks or quotes.
QString libpqValue(const QString& value) {
    if (!value.isEmpty() && !value.contains(' ') && !value.contains('\'') && !value.contains('\\'))
        return value;
    QString escaped = value;
    escaped.replace("\\", "\\\\").replace("'", "\\'");
    return '\'' + escaped + '\'';
}

// ODBC reads {value} with '}' doubled when a value holds separators.
QString odbcValue(const QString& value) {
    if (!value.contains(';') && !value.contains('{') && !value.contains('}') && !value.contains('=') &&
        value == value.trimmed())
        return value;
    QString escaped = value;
    escaped.replace("}", "}}");
    return '{' + escaped + '}';
}

// Runs one statement on a named connection, keeping no handle on it afterwards
// (so that a failure can remove the connection at once). True on success.
bool runStatement(const QString& connection, const QString& sql, QSqlError* error, bool* hasRow = nullptr) {
    QSqlQuery query(QSqlDatabase::database(connection, false));
    if (!query.exec(sql)) {
        *error = query.lastError();
        return false;
    }
    if (hasRow)
        *hasRow = query.next();
    return true;
}

// Opens a configured Qt connection; on failure returns false with the error.
bool openDatabase(const QString& connection, QSqlError* error) {
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (db.open())
        return true;
    *error = db.lastError();
    return false;
}

QString withoutBraces(const QString& text) {
    QString value = text.trimmed();
    if (value.startsWith('{') && value.endsWith('}'))
        value = value.mid(1, value.size() - 2).trimmed();
    return value;
}

} // namespace

DbConnection::DbConnection(SqlDialect dialect)
    : m_dialect(dialect), m_name(nextConnectionName()), m_alive(std::make_shared<int>(0)) {}

DbConnection::~DbConnection() { Close(); }

QString DbConnection::DataSource() const { return Property("Data Source"); }

QString DbConnection::Property(const QString& key) const { return DbConnectionString(m_connectionString).value(key); }

void DbConnection::setCommandTimeout(int seconds) {
    m_commandTimeout = seconds;
    if (m_open && m_driver == DbDriverKind::PostgreSql) {
        try {
            applyStatementTimeout();
        } catch (const RaisedError&) {
            // The next statement reports a connection that no longer works.
        }
    }
}

void DbConnection::Open() {
    Close();
    m_errors.clear();
    const DbConnectionString settings(m_connectionString);
    const QString providerName = settings.value("Provider");
    const QString provider = providerName.toLower();
    if (provider == "postgresql")
        openPostgreSql(settings);
    else if (provider == "sqlite")
        openSqlite(settings);
    else if (isSqlServerProvider(provider) || provider == "oraoledb.oracle" || provider == "microsoft.jet.oledb.4.0")
        openOdbc(settings, provider);
    else
        failOpen({DbError::ProviderNotFound,
                  providerName.isEmpty()
                      ? QStringLiteral("Provider cannot be found: the connection string names no Provider")
                      : "Provider cannot be found: '" + providerName + "' is not a provider this program can use",
                  {}, {}});
    m_open = true;
}

void DbConnection::Close() {
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    m_open = false;
    m_driver = DbDriverKind::None;
}

void DbConnection::failOpen(const DbError& error) {
    Close();
    raise(error);
}

void DbConnection::raise(const DbError& error) {
    m_errors = {error};
    throw RaisedError(error.Number, error.Description);
}

void DbConnection::checkOpen() {
    if (!m_open)
        raise({DbError::ConnectionClosed,
               "The connection is closed: open it before running a statement", {}, {}});
}

QSqlQuery DbConnection::newQuery() const {
    QSqlQuery query(QSqlDatabase::database(m_name, false));
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    return query;
}

long DbConnection::Execute(const QString& sql) {
    checkOpen();
    m_errors.clear();
    QSqlQuery query = newQuery();
    if (!query.exec(sql))
        raise(DbError::fromSqlError(m_driver, query.lastError()));
    return long(query.numRowsAffected());
}

bool DbConnection::QuietSinceLastStatement() const {
    if (!m_open || m_driver != DbDriverKind::PostgreSql)
        return false;
    const QSqlDatabase db = QSqlDatabase::database(m_name, false);
    return db.driver() && PgSessionIsQuiet(db.driver()->handle());
}

// Data Source is "host[:port][/database]"; the role is the User ID in lower case
// (unquoted names fold to lower case on the server), and the schema is put first
// on the session's search path so that the callers' unqualified names find it.
void DbConnection::openPostgreSql(const DbConnectionString& settings) {
    if (!QSqlDatabase::isDriverAvailable("QPSQL"))
        failOpen({DbError::ProviderNotFound, "Provider PostgreSQL needs the Qt driver QPSQL, which is not installed",
                  {}, {}});
    const QString source = settings.value("Data Source");
    QString server = source;
    QString database = defaultPostgreSqlDatabase;
    const qsizetype slash = source.indexOf('/');
    if (slash >= 0) {
        server = source.left(slash).trimmed();
        const QString named = source.mid(slash + 1).trimmed();
        if (!named.isEmpty())
            database = named;
    }
    int port = defaultPostgreSqlPort;
    const qsizetype colon = server.lastIndexOf(':');
    if (colon >= 0) {
        bool valid = false;
        port = server.mid(colon + 1).trimmed().toInt(&valid);
        if (!valid || port <= 0 || port > 65535)
            failOpen({DbError::InvalidArgument, "The Data Source '" + source + "' holds no valid port number", {}, {}});
        server = server.left(colon).trimmed();
    }
    const QString role = settings.value("User ID").toLower();
    const QString schema =
        (m_dialect == SqlDialect::Oracle ? settings.value("User ID") : settings.value("Initial Catalog")).toLower();

    QStringList options;
    bool timeoutValid = false;
    int timeout = settings.value("Connect Timeout").toInt(&timeoutValid);
    if (!timeoutValid)
        timeout = m_connectionTimeout;
    if (timeout > 0)
        options << "connect_timeout=" + QString::number(timeout);
    if (settings.contains("Application Name"))
        options << "application_name=" + libpqValue(settings.value("Application Name"));
    for (const auto& [key, value] : driverOptions(settings))
        options << key + '=' + libpqValue(value);

    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", m_name);
        db.setHostName(server);
        db.setPort(port);
        db.setDatabaseName(database);
        db.setUserName(role);
        db.setPassword(settings.value("Password"));
        db.setConnectOptions(options.join(';'));
    }
    QSqlError error;
    if (!openDatabase(m_name, &error))
        failOpen(DbError::fromSqlError(DbDriverKind::PostgreSql, error,
                                       "Cannot connect to PostgreSQL at '" + source + "' as '" + role + "'"));
    m_driver = DbDriverKind::PostgreSql;

    if (!schema.isEmpty()) {
        bool exists = false;
        if (!runStatement(m_name, "SELECT 1 FROM pg_catalog.pg_namespace WHERE nspname = " + DbValue::quoteText(schema),
                          &error, &exists))
            failOpen(DbError::fromSqlError(m_driver, error, "Cannot prepare the session"));
        if (!exists) {
            const QString missing = "3F000";
            failOpen({DbError::numberFor(m_driver, missing),
                      "Cannot connect to PostgreSQL at '" + source + "': schema '" + schema + "' does not exist",
                      missing, {}});
        }
        QString quotedSchema = schema;
        quotedSchema.replace("\"", "\"\"");
        if (!runStatement(m_name, "SET search_path TO \"" + quotedSchema + "\", pg_catalog", &error))
            failOpen(DbError::fromSqlError(m_driver, error, "Cannot prepare the session"));
    }
    try {
        applyStatementTimeout();
    } catch (const RaisedError&) {
        Close();
        throw;
    }
}

void DbConnection::applyStatementTimeout() {
    const qint64 milliseconds = qint64(qMax(0, m_commandTimeout)) * 1000;
    QSqlError error;
    if (!runStatement(m_name, "SET statement_timeout = " + QString::number(milliseconds), &error))
        raise(DbError::fromSqlError(m_driver, error, "Cannot set the statement time-out"));
}

void DbConnection::openSqlite(const DbConnectionString& settings) {
    if (!QSqlDatabase::isDriverAvailable("QSQLITE"))
        failOpen({DbError::ProviderNotFound, "Provider SQLite needs the Qt driver QSQLITE, which is not installed",
                  {}, {}});
    const QString path = settings.value("Data Source");
    // SQLite would quietly create a missing file; a wrong path must fail instead.
    constexpr long sqliteCantOpen = 14;
    if (path.isEmpty())
        failOpen({sqliteCantOpen, "Cannot open the SQLite database: the connection string names no Data Source", {},
                  QString::number(sqliteCantOpen)});
    if (path != ":memory:" && !QFileInfo(path).isFile())
        failOpen({sqliteCantOpen, "Cannot open the SQLite database '" + path + "': the file does not exist", {},
                  QString::number(sqliteCantOpen)});
    QStringList options;
    bool timeoutValid = false;
    int timeout = settings.value("Connect Timeout").toInt(&timeoutValid);
    if (!timeoutValid)
        timeout = m_connectionTimeout;
    if (timeout > 0)
        options << "QSQLITE_BUSY_TIMEOUT=" + QString::number(qint64(timeout) * 1000);
    for (const auto& [key, value] : driverOptions(settings))
        options << key + '=' + value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(options.join(';'));
    }
    QSqlError error;
    if (!openDatabase(m_name, &error))
        failOpen(DbError::fromSqlError(DbDriverKind::Sqlite, error,
                                       "Cannot open the SQLite database '" + path + "'"));
    m_driver = DbDriverKind::Sqlite;
}

// SQL Server, Oracle and Jet are reached through an ODBC driver: the SQL Server
// providers through Microsoft's driver unless the string names another with
// Driver={…}, Oracle only through the driver the string names, Jet files
// through MDBTools.
void DbConnection::openOdbc(const DbConnectionString& settings, const QString& provider) {
    const QString providerName = settings.value("Provider");
    if (!QSqlDatabase::isDriverAvailable("QODBC"))
        failOpen({DbError::ProviderNotFound,
                  "Provider " + providerName + " needs the Qt driver QODBC, which is not installed", {}, {}});
    QString driver = withoutBraces(settings.value("Driver"));
    QStringList parts;
    const QString source = settings.value("Data Source");
    if (isSqlServerProvider(provider)) {
        if (driver.isEmpty())
            driver = defaultSqlServerOdbcDriver;
        parts << "DRIVER={" + driver + "}" << "SERVER=" + odbcValue(source);
        if (!settings.value("Initial Catalog").isEmpty())
            parts << "DATABASE=" + odbcValue(settings.value("Initial Catalog"));
        parts << "UID=" + odbcValue(settings.value("User ID")) << "PWD=" + odbcValue(settings.value("Password"));
        if (settings.contains("Application Name"))
            parts << "APP=" + odbcValue(settings.value("Application Name"));
    } else if (provider == "oraoledb.oracle") {
        if (driver.isEmpty())
            failOpen({DbError::ProviderNotFound,
                      "Provider " + providerName + " needs the ODBC driver named in the connection string as Driver={…}",
                      {}, {}});
        parts << "DRIVER={" + driver + "}" << "DBQ=" + odbcValue(source)
              << "UID=" + odbcValue(settings.value("User ID")) << "PWD=" + odbcValue(settings.value("Password"));
    } else {
        if (driver.isEmpty())
            driver = jetOdbcDriver;
        parts << "DRIVER={" + driver + "}" << "DBQ=" + odbcValue(source);
    }
    for (const auto& [key, value] : driverOptions(settings))
        parts << key + '=' + odbcValue(value);

    bool timeoutValid = false;
    int timeout = settings.value("Connect Timeout").toInt(&timeoutValid);
    if (!timeoutValid)
        timeout = m_connectionTimeout;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", m_name);
        db.setDatabaseName(parts.join(';') + ';');
        if (timeout > 0)
            db.setConnectOptions("SQL_ATTR_LOGIN_TIMEOUT=" + QString::number(timeout));
    }
    QSqlError error;
    if (!openDatabase(m_name, &error))
        failOpen(DbError::fromSqlError(DbDriverKind::Odbc, error,
                                       "Cannot connect through ODBC driver '" + driver + "' to '" + source + "'"));
    m_driver = DbDriverKind::Odbc;
}

DbError DbConnection::firstErrorOr(const RaisedError& raised) const
{
    if (!m_errors.isEmpty())
        return m_errors.first();
    DbError error;
    error.Number = raised.number();
    error.Description = raised.description();
    return error;
}

} // namespace limsbridge
