#include "PgTestServer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace limsbridge::testing {

PgServer testServer()
{
    PgServer server;
    const QString spec = qEnvironmentVariable("LIMSBRIDGE_TEST_PG");
    if (spec.trimmed().isEmpty())
        return server;
    for (const QString& part : spec.split(' ', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf('=');
        if (eq < 0)
            continue;
        const QString key = part.left(eq);
        const QString value = part.mid(eq + 1);
        if (key == "host")
            server.host = value;
        else if (key == "port")
            server.port = value.toInt();
        else if (key == "user")
            server.user = value;
        else if (key == "password")
            server.password = value;
    }
    server.available = !server.host.isEmpty();
    return server;
}

namespace {

QSqlDatabase openAs(const PgServer& server, const QString& database, const QString& connection)
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

} // namespace

ScratchDatabase::ScratchDatabase()
    : m_server(testServer())
{
    if (!m_server.available)
        return;
    m_name = "lbtest_" + QUuid::createUuid().toString(QUuid::Id128).left(16);
    const QString admin = "admin_" + m_name;
    {
        QSqlDatabase db = openAs(m_server, "postgres", admin);
        if (!db.isOpen()) {
            ADD_FAILURE() << "cannot reach the test server: " << db.lastError().text().toStdString();
        } else {
            QSqlQuery query(db);
            if (!query.exec("CREATE DATABASE " + m_name))
                ADD_FAILURE() << query.lastError().text().toStdString();
        }
    }
    QSqlDatabase::removeDatabase(admin);
    m_connection = "scratch_" + m_name;
    QSqlDatabase db = openAs(m_server, m_name, m_connection);
    if (!db.isOpen())
        ADD_FAILURE() << "cannot open " << m_name.toStdString() << ": " << db.lastError().text().toStdString();
}

ScratchDatabase::~ScratchDatabase()
{
    if (!m_server.available)
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    const QString admin = "drop_" + m_name;
    {
        QSqlDatabase db = openAs(m_server, "postgres", admin);
        QSqlQuery query(db);
        query.exec("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
    }
    QSqlDatabase::removeDatabase(admin);
}

QString ScratchDatabase::dataSource() const
{
    return m_server.host + ":" + QString::number(m_server.port) + "/" + m_name;
}

QString ScratchDatabase::connectionName() const
{
    return m_connection;
}

void ScratchDatabase::exec(const QString& sql) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(sql))
        ADD_FAILURE() << "SQL failed: " << query.lastError().text().toStdString() << "\n" << sql.toStdString();
}

bool ScratchDatabase::runPsqlFile(const QString& path, QString* output) const
{
    QProcess psql;
    psql.setProcessChannelMode(QProcess::MergedChannels);
    QStringList args{"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", m_server.host, "-p", QString::number(m_server.port),
                     "-U", m_server.user, "-d", m_name, "-f", path};
    psql.start("psql", args);
    psql.waitForFinished(300000);
    if (output)
        *output = QString::fromUtf8(psql.readAll());
    return psql.exitStatus() == QProcess::NormalExit && psql.exitCode() == 0;
}

} // namespace limsbridge::testing
