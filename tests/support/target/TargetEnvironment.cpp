#include "TargetEnvironment.h"

#include "core/AnsiCodePage.h"
#include "core/AppInfo.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "target/ConnectionManager.h"

#include <QFile>

#include <gtest/gtest.h>

namespace limsbridge::testing {

QByteArray encodePasswordLine(const QString& password)
{
    return ConnectionManager::EncodePasswordLine(password);
}

TargetEnvironment::TargetEnvironment(int dbType)
{
    App::setPath(m_home.path());
    QFile passwordFile(m_home.path() + "/tzpo.pzt");
    if (passwordFile.open(QIODevice::WriteOnly))
        passwordFile.write(encodePasswordLine(kPassword) + "\r\n");

    m_process = std::make_unique<TestProcess>(m_home.path());

    m_plant = std::make_unique<PlantDb>(m_scratch);
    if (!m_plant->install())
        ADD_FAILURE() << "installing the plant database failed: " << m_plant->lastError().toStdString();
    if (!m_plant->grantLogins(kPassword))
        ADD_FAILURE() << "granting logins failed: " << m_plant->lastError().toStdString();

    config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE", QString::number(dbType));
    config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_PROVIDER", "PostgreSQL");
    config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE", m_plant->dataSource());
    config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_TIMEOUT", "10");
    config().setItem("ZURIVARU\\ZURIVARU_CONNECTION_COMMAND_TIMEOUT", "30");
    TargetDbType = qint16(dbType);
}

TargetEnvironment::~TargetEnvironment()
{
    m_plant.reset();
    App::setPath(QString());
}

bool TargetEnvironment::addFacility(const QString& fileName, const QString& name)
{
    return m_plant->addFacility(fileName, name) && m_plant->grantLogins(kPassword);
}

QStringList TargetEnvironment::logLines() const
{
    QFile file(m_process->logger().currentFile());
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
        lines << line.mid(11);
    return lines;
}

} // namespace limsbridge::testing
