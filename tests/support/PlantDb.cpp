#include "PlantDb.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace limsbridge::testing {

namespace {

QString quoteIdentifier(const QString& name)
{
    return '"' + QString(name).replace('"', "\"\"") + '"';
}

QSqlDatabase openPg(const PgServer& server, const QString& database, const QString& connection)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", connection);
    db.setHostName(server.host);
    db.setPort(server.port);
    db.setUserName(server.user);
    db.setPassword(server.password);
    db.setDatabaseName(database);
    db.open();
    return db;
}

//! Date-times travel as wall-clock text, never as zoned values.
QVariant timestampText(const QDateTime& when)
{
    return when.isValid() ? QVariant(when.toString("yyyy-MM-dd HH:mm:ss")) : QVariant(QMetaType(QMetaType::QString));
}

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

QVariant intOrNull(int value)
{
    return value != 0 ? QVariant(value) : QVariant(QMetaType(QMetaType::Int));
}

QVariant optionalInt(const std::optional<int>& value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Int));
}

} // namespace

PlantDb::PlantDb(const ScratchDatabase& scratch)
    : m_server(scratch.server())
    , m_database(scratch.name())
    , m_connection(scratch.connectionName())
{
}

PlantDb::PlantDb(const PgServer& server, const QString& database)
    : m_server(server)
    , m_database(database)
    , m_connection("plantdb_" + QUuid::createUuid().toString(QUuid::Id128).left(12))
    , m_ownsConnection(true)
{
}

PlantDb::~PlantDb()
{
    if (!m_ownsConnection)
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::removeDatabase(m_connection);
}

QString PlantDb::installScriptPath()
{
    const QString configured = qEnvironmentVariable("LIMSBRIDGE_PLANTDB_SQL");
    if (!configured.isEmpty())
        return QFileInfo(configured).isDir() ? QDir(configured).filePath("install.sql") : configured;
    // This file lives in tests/support of the source tree.
    const QDir here = QFileInfo(QStringLiteral(__FILE__)).absoluteDir();
    return QDir::cleanPath(here.filePath("../../db/target-postgres/install.sql"));
}

QString PlantDb::dataSource() const
{
    return m_server.host + ":" + QString::number(m_server.port) + "/" + m_database;
}

bool PlantDb::openConnection()
{
    if (QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen())
        return true;
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::removeDatabase(m_connection);
    QSqlDatabase db = openPg(m_server, m_database, m_connection);
    if (!db.isOpen()) {
        m_lastError = db.lastError().text();
        return false;
    }
    return true;
}

bool PlantDb::createDatabase(bool dropExisting)
{
    if (!m_ownsConnection) {
        m_lastError = "a scratch database exists already";
        return false;
    }
    const QString admin = m_connection + "_admin";
    bool ok = true;
    {
        QSqlDatabase db = openPg(m_server, "postgres", admin);
        if (!db.isOpen()) {
            m_lastError = db.lastError().text();
            ok = false;
        } else {
            QSqlQuery query(db);
            if (dropExisting && !query.exec("DROP DATABASE IF EXISTS " + quoteIdentifier(m_database) + " WITH (FORCE)")) {
                m_lastError = query.lastError().text();
                ok = false;
            }
            if (ok && !query.exec("CREATE DATABASE " + quoteIdentifier(m_database))) {
                m_lastError = query.lastError().text();
                ok = false;
            }
        }
    }
    QSqlDatabase::removeDatabase(admin);
    return ok && openConnection();
}

bool PlantDb::install(const QString& scriptPath)
{
    if (!QFileInfo::exists(scriptPath)) {
        m_lastError = "no install script at " + scriptPath;
        return false;
    }
    QProcess psql;
    psql.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!m_server.password.isEmpty())
        environment.insert("PGPASSWORD", m_server.password);
    psql.setProcessEnvironment(environment);
    psql.start("psql", {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", m_server.host, "-p", QString::number(m_server.port),
                        "-U", m_server.user, "-d", m_database, "-f", scriptPath});
    if (!psql.waitForFinished(300000)) {
        m_lastError = "psql did not finish: " + psql.errorString();
        return false;
    }
    const QString output = QString::fromUtf8(psql.readAll());
    if (psql.exitStatus() != QProcess::NormalExit || psql.exitCode() != 0) {
        m_lastError = "psql failed: " + output;
        return false;
    }
    return openConnection();
}

QVariant PlantDb::callScalar(const QString& sql, const QVariantList& values)
{
    m_lastError.clear();
    if (!openConnection())
        return {};
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.prepare(sql)) {
        m_lastError = query.lastError().text();
        return {};
    }
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        m_lastError = query.lastError().text();
        return {};
    }
    if (!query.next())
        return QVariant(QMetaType(QMetaType::QString));
    const QVariant result = query.value(0);
    // A void result still counts as success: report it as an empty text.
    return result.isValid() ? result : QVariant(QString());
}

bool PlantDb::addFacility(const QString& fileName, const QString& name)
{
    callScalar("SELECT qorroot.add_facility(?, ?)", {fileName, name});
    return m_lastError.isEmpty();
}

int PlantDb::addCollector(const QString& name, int interfaceId, int timeZoneId, const QString& luVersion, bool enabled,
                          const QString& writeAsUser)
{
    return callScalar("SELECT qorroot.add_collector(name => ?, interface_id => ?::integer, lu_version => ?, "
                      "enabled => ?::boolean, time_zone_id => ?::integer, override_audituser => ?)",
                      {name, intOrNull(interfaceId), textOrNull(luVersion), enabled, intOrNull(timeZoneId),
                       textOrNull(writeAsUser)})
        .toInt();
}

int PlantDb::addVariable(const PlantVariable& v)
{
    return callScalar("SELECT qorroot.add_variable(?, ?, ?, ?, ?, ?, ?, ?, ?::integer, ?::boolean, ?, ?::integer, "
                      "?::integer, ?::integer, ?::integer, ?)",
                      {v.facility, v.name, v.vartype, textOrNull(v.limsLoc), textOrNull(v.limsTest),
                       textOrNull(v.limsUd1), textOrNull(v.limsUd2), textOrNull(v.limsUd3), intOrNull(v.collector),
                       v.enabled, textOrNull(v.units), v.decplaces, optionalInt(v.approval), optionalInt(v.varnum),
                       optionalInt(v.locid), textOrNull(v.description)})
        .toInt();
}

bool PlantDb::setSymbolRule(const QString& facility, int varid, int position, int rule, double factor)
{
    callScalar("SELECT qorroot.set_symbol_rule(?, ?::integer, ?::integer, ?::integer, ?::double precision)",
               {facility, varid, position, rule, factor});
    return m_lastError.isEmpty();
}

bool PlantDb::setTextList(const QString& facility, int varid, const QStringList& items, bool limitToList)
{
    // The list travels as one TAB-joined text and is split again in SQL.
    callScalar("SELECT qorroot.set_text_list(?, ?::integer, string_to_array(?, E'\\t'), ?::boolean)",
               {facility, varid, items.join('\t'), limitToList});
    return m_lastError.isEmpty();
}

int PlantDb::addSymbol(const QString& symbol, int allowNumeric)
{
    return callScalar("SELECT qorroot.add_symbol(?, ?::integer)", {symbol, allowNumeric}).toInt();
}

int PlantDb::addLocation(const QString& facility, const QString& location, int parent)
{
    return callScalar("SELECT qorroot.add_location(?, ?, ?::integer)", {facility, location, intOrNull(parent)}).toInt();
}

bool PlantDb::setLockDate(const QString& facility, const QDateTime& lockDate)
{
    callScalar("SELECT qorroot.set_lock_date(?, ?::timestamp)", {facility, timestampText(lockDate)});
    return m_lastError.isEmpty();
}

bool PlantDb::setSetting(const QString& facility, const QString& setting, const QString& value)
{
    callScalar("SELECT qorroot.set_setting(?, ?, ?)", {facility, setting, value});
    return m_lastError.isEmpty();
}

bool PlantDb::addInfoColumn(const QString& facility, const QString& column, const QString& type, int length)
{
    callScalar("SELECT qorroot.add_info_column(?, ?, ?, ?::integer)", {facility, column, type, length});
    return m_lastError.isEmpty();
}

bool PlantDb::addTimeZone(int id, const QString& name)
{
    callScalar("SELECT qorroot.add_time_zone(?::integer, ?)", {id, name});
    return m_lastError.isEmpty();
}

bool PlantDb::setTimeZoneBias(int id, int year, int biasStandard, int biasDaylight, const QDateTime& startDaylight,
                              const QDateTime& startStandard)
{
    callScalar("SELECT qorroot.set_time_zone_bias(?::integer, ?::integer, ?::integer, ?::integer, ?::timestamp, "
               "?::timestamp)",
               {id, year, biasStandard, biasDaylight, timestampText(startDaylight), timestampText(startStandard)});
    return m_lastError.isEmpty();
}

bool PlantDb::addUser(const QString& userName, const QString& password, const QString& userType)
{
    callScalar("SELECT qorroot.add_user(?, ?, ?)", {userName, password, userType});
    return m_lastError.isEmpty();
}

bool PlantDb::setLastRun(int interfaceId, const QString& facility, const QDateTime& lastRun)
{
    callScalar("SELECT qorroot.set_last_run(?::integer, ?, ?::timestamp)", {interfaceId, facility, timestampText(lastRun)});
    return m_lastError.isEmpty();
}

bool PlantDb::grantLogin(const QString& role, const QString& password)
{
    callScalar("SELECT qorroot.grant_login(?, ?)", {role, password});
    return m_lastError.isEmpty();
}

bool PlantDb::grantLogins(const QString& password)
{
    callScalar("SELECT qorroot.grant_logins(?)", {password});
    return m_lastError.isEmpty();
}

bool PlantDb::exec(const QString& sql)
{
    m_lastError.clear();
    if (!openConnection())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(sql)) {
        m_lastError = query.lastError().text();
        return false;
    }
    return true;
}

QVariant PlantDb::scalar(const QString& sql)
{
    m_lastError.clear();
    if (!openConnection())
        return {};
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(sql)) {
        m_lastError = query.lastError().text();
        return {};
    }
    return query.next() ? query.value(0) : QVariant();
}

QList<QVariantMap> PlantDb::rows(const QString& sql)
{
    QList<QVariantMap> result;
    m_lastError.clear();
    if (!openConnection())
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(sql)) {
        m_lastError = query.lastError().text();
        return result;
    }
    while (query.next()) {
        const QSqlRecord record = query.record();
        QVariantMap row;
        for (int i = 0; i < record.count(); ++i)
            row.insert(record.fieldName(i).toLower(), record.value(i));
        result.append(row);
    }
    return result;
}

QString PlantDb::literal(const QString& text)
{
    if (text.isNull())
        return "NULL";
    return '\'' + QString(text).replace('\'', "''") + '\'';
}

QString PlantDb::literal(const QDateTime& when)
{
    if (!when.isValid())
        return "NULL";
    return "'" + when.toString("yyyy-MM-dd HH:mm:ss") + "'";
}

} // namespace limsbridge::testing
