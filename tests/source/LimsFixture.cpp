#include "LimsFixture.h"

#include "core/AppInfo.h"
#include "core/Clock.h"
#include "core/CoreKeys.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/QORmsgBoxHandler.h"
#include "source/CommonTypeGlobals.h"
#include "source/CustomConfiguration.h"
#include "target/CommonAINFOnavigator.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace limsbridge::testing {

namespace {

// The same four tables on both databases; only the column types differ. SQLite
// keeps dates as text, as laboratory files copied into SQLite do.
QStringList schemaStatements(LimsDriver driver) {
    const bool pg = driver == LimsDriver::PostgreSql;
    const QString text = pg ? "varchar(60)" : "TEXT";
    const QString stamp = pg ? "timestamp" : "TEXT";
    const QString number = pg ? "double precision" : "REAL";
    return {
        "CREATE TABLE FOLDERS (FOLDERNO integer PRIMARY KEY, DEPT " + text + ")",
        "CREATE TABLE SAMPLE_PROGRAMS (SP_CODE " + text + " PRIMARY KEY, PROGNAME " + text + ")",
        "CREATE TABLE ORDERS (ORDNO " + text + " PRIMARY KEY, SAMPDATE " + stamp + ", SAMPLEDBY " + text +
            ", SP_CODE " + text + ", SAMPDESC " + text + ", FOLDERNO integer, STATUS " + text + ")",
        "CREATE TABLE RESULTS (ORDNO " + text + ", RN2 " + text + ", ANALYTE " + text +
            ", TESTNO integer, FINAL " + text + ", UNITS " + text + ", DATEENTER " + stamp + ", S " + text +
            ", NUMRES " + number + ")",
    };
}

QString sqliteConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("limsfixture.sqlite.%1").arg(++counter);
}

} // namespace

const char* limsDriverName(LimsDriver driver) {
    return driver == LimsDriver::PostgreSql ? "PostgreSQL" : "SQLite";
}

LimsFixture::LimsFixture(LimsDriver driver) : m_driver(driver) {
    App::setPath(m_home.path());
    m_process = std::make_unique<TestProcess>(m_home.path());
    m_navigator = std::make_unique<CommonAINFOnavigator>();
    m_activeConfig = &m_process->config();
    m_activeLogger = &m_process->logger();
    AinfoNavigator = m_navigator.get();
    openDatabase();
}

LimsFixture::LimsFixture(LimsDriver driver, QORConfiguration& sharedConfig, QORLoggerTXT& sharedLogger)
    : m_driver(driver), m_activeConfig(&sharedConfig), m_activeLogger(&sharedLogger) {
    m_navigator = std::make_unique<CommonAINFOnavigator>();
    AinfoNavigator = m_navigator.get();
    openDatabase();
}

void LimsFixture::openDatabase() {
    if (m_driver == LimsDriver::PostgreSql) {
        m_scratch = std::make_unique<ScratchDatabase>();
    } else {
        m_sqliteFile = m_home.path() + "/lims.sqlite";
        m_sqliteConnection = sqliteConnectionName();
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_sqliteConnection);
        db.setDatabaseName(m_sqliteFile);
        if (!db.open())
            ADD_FAILURE() << "cannot create the SQLite file: " << db.lastError().text().toStdString();
    }
    install();
}

LimsFixture::~LimsFixture() {
    if (!m_sqliteConnection.isEmpty()) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_sqliteConnection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_sqliteConnection);
    }
    if (AinfoNavigator == m_navigator.get())
        AinfoNavigator = nullptr;
    m_scratch.reset();
    if (m_process) {
        m_process.reset();
        App::setPath(QString());
    }
}

void LimsFixture::install() {
    if (m_driver == LimsDriver::PostgreSql) {
        exec(QStringLiteral("CREATE SCHEMA lims"));
        exec(QStringLiteral("SET search_path TO lims, pg_catalog"));
    }
    for (const QString& statement : schemaStatements(m_driver))
        exec(statement);
    if (m_driver != LimsDriver::PostgreSql)
        return;

    // Oracle's TO_DATE keeps the time of day; PostgreSQL's own to_date drops it.
    exec(QStringLiteral("CREATE FUNCTION lims.to_date(value text, format text) RETURNS timestamp "
                        "LANGUAGE sql STABLE STRICT SET TimeZone = 'UTC' "
                        "AS $$ SELECT pg_catalog.to_timestamp(value, format) AT TIME ZONE 'UTC' $$"));

    // The login is shared by every scratch database of the cluster; test programs
    // running side by side may race to create it, so a failed attempt is retried.
    const QString password = QString::fromLatin1(kPassword);
    const QString makeRole =
        "DO $$ BEGIN CREATE ROLE lims LOGIN PASSWORD '" + password +
        "'; EXCEPTION WHEN duplicate_object OR unique_violation THEN ALTER ROLE lims LOGIN PASSWORD '" +
        password + "'; END $$";
    QString lastError;
    for (int attempt = 0; attempt < 10; ++attempt) {
        QSqlQuery query(QSqlDatabase::database(m_scratch->connectionName(), false));
        if (query.exec(makeRole)) {
            lastError.clear();
            break;
        }
        lastError = query.lastError().text();
        QThread::msleep(100);
    }
    if (!lastError.isEmpty())
        ADD_FAILURE() << "cannot create the login lims: " << lastError.toStdString();
    exec("GRANT CONNECT ON DATABASE " + m_scratch->name() + " TO lims");
    exec(QStringLiteral("GRANT USAGE ON SCHEMA lims TO lims"));
    exec(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA lims TO lims"));
}

QString LimsFixture::dataSource() const {
    return m_driver == LimsDriver::PostgreSql ? m_scratch->dataSource() : m_sqliteFile;
}

void LimsFixture::useAsSource(const QString& query, int kind) {
    const bool pg = m_driver == LimsDriver::PostgreSql;
    m_activeConfig->setItem("K52907\\DB_CONN_DBMS_TYPE", QString::number(kind));
    m_activeConfig->setItem("K52907\\DB_CONN_OLE_DB_PROVIDER", pg ? "PostgreSQL" : "SQLite");
    m_activeConfig->setItem("K52907\\DB_CONN_SOURCE", dataSource());
    m_activeConfig->setItem("K52907\\DB_CONN_NAME", QString::fromLatin1(kSchema));
    m_activeConfig->setItem("K52907\\DB_CONN_USERNAME", pg ? "lims" : "");
    m_activeConfig->setItem("K52907\\DB_CONN_PASSWORD", pg ? QString::fromLatin1(kPassword) : QString());
    m_activeConfig->setItem("K52907\\DB_CONN_TIMEOUT", "10");
    m_activeConfig->setItem("K52907\\DB_CONN_COMMAND_TIMEOUT", "30");
    m_activeConfig->setItem("K52907\\SOURCE_QUERY", query);
}

void LimsFixture::exec(const QString& sql) {
    if (m_driver == LimsDriver::PostgreSql) {
        // Each statement runs on the scratch database's own connection, which
        // keeps the search path set at install.
        QSqlQuery query(QSqlDatabase::database(m_scratch->connectionName(), false));
        if (!query.exec(sql))
            ADD_FAILURE() << "SQL failed: " << sql.toStdString() << ": "
                          << query.lastError().text().toStdString();
        return;
    }
    QSqlQuery query(QSqlDatabase::database(m_sqliteConnection, false));
    if (!query.exec(sql))
        ADD_FAILURE() << "SQL failed: " << sql.toStdString() << ": "
                      << query.lastError().text().toStdString();
}

QString LimsFixture::literal(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    if (value.typeId() == QMetaType::QDateTime)
        return '\'' + value.toDateTime().toString("yyyy-MM-dd HH:mm:ss") + '\'';
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::Double)
        return value.toString();
    QString text = value.toString();
    text.replace('\'', "''");
    return '\'' + text + '\'';
}

void LimsFixture::addFolder(int folderNo, const QString& dept) {
    exec("INSERT INTO FOLDERS (FOLDERNO, DEPT) VALUES (" + QString::number(folderNo) + ", " + literal(dept) +
         ")");
}

void LimsFixture::addProgram(const QString& spCode, const QString& progName) {
    exec("INSERT INTO SAMPLE_PROGRAMS (SP_CODE, PROGNAME) VALUES (" + literal(spCode) + ", " +
         literal(progName) + ")");
}

void LimsFixture::addOrder(const QString& ordNo, const QVariant& sampDate, const QString& spCode,
                           int folderNo, const QVariant& sampDesc, const QString& sampledBy,
                           const QString& status) {
    exec("INSERT INTO ORDERS (ORDNO, SAMPDATE, SAMPLEDBY, SP_CODE, SAMPDESC, FOLDERNO, STATUS) VALUES (" +
         literal(ordNo) + ", " + literal(sampDate) + ", " + literal(sampledBy) + ", " + literal(spCode) +
         ", " + literal(sampDesc) + ", " + QString::number(folderNo) + ", " + literal(status) + ")");
}

void LimsFixture::addResult(const QString& ordNo, const QString& analyte, const QVariant& final,
                            const QString& units, const QDateTime& dateEnter, const QString& s,
                            const QString& lab, int testNo, const QVariant& numRes) {
    exec("INSERT INTO RESULTS (ORDNO, RN2, ANALYTE, TESTNO, FINAL, UNITS, DATEENTER, S, NUMRES) VALUES (" +
         literal(ordNo) + ", " + literal(lab) + ", " + literal(analyte) + ", " + QString::number(testNo) +
         ", " + literal(final) + ", " + literal(units) + ", " + literal(dateEnter) + ", " + literal(s) +
         ", " + literal(numRes) + ")");
}

void LimsFixture::mapAdditionalInfo(const QList<QPair<QString, QString>>& sourceToTarget) {
    m_activeConfig->setItem("TARGET\\AINFO\\ENABLED", "TRUE");
    int entry = 0;
    for (const auto& [source, target] : sourceToTarget) {
        const QString base = "TARGET\\AINFO\\MAP" + QString::number(++entry) + "\\";
        m_activeConfig->setItem(base + "ENABLED", "TRUE");
        m_activeConfig->setItem(base + "SOURCEID", source);
        m_activeConfig->setItem(base + "TARGETID", target);
    }
    m_navigator->LoadMap();
}

QStringList LimsFixture::logLines() const {
    QFile file(m_activeLogger->currentFile());
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (QString line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines << line.mid(11);
    }
    return lines;
}

} // namespace limsbridge::testing
