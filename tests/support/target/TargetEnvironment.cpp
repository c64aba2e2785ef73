#include "TargetEnvironment.h"

#include "core/AnsiCodePage.h"
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

    m_logger = std::make_unique<QORLoggerTXT>();
    m_logger->setLogPath(m_home.path() + "/log");
    m_logger->setEnabled(true);
    m_logger->setBufferLength(1);
    m_logger->setVerbosity(9);
    m_msgBoxHandler = std::make_unique<QORmsgBoxHandler>();
    m_msgBoxHandler->setLogHandler(m_logger.get());
    m_msgBoxHandler->setSilentOperation(true);
    m_config = std::make_unique<QORConfiguration>();
    m_config->setLogHandler(m_logger.get());
    m_config->setPath(m_home.path() + "/limsbridge.xml");
    RegisterCoreKeys(*m_config, Clock::now());
    CommonAINFOnavigator::DefineTree(*m_config);
    RegisterMatchingDefaults(*m_config);
    RegisterSourceDefaults(*m_config);

    Logger = m_logger.get();
    MsgBoxHandler = m_msgBoxHandler.get();
    Config = m_config.get();
    ServiceMode = true;

    m_plant = std::make_unique<PlantDb>(m_scratch);
    if (!m_plant->install())
        ADD_FAILURE() << "installing the plant database failed: " << m_plant->lastError().toStdString();
    if (!m_plant->grantLogins(kPassword))
        ADD_FAILURE() << "granting logins failed: " << m_plant->lastError().toStdString();

    m_config->setItem("ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE", QString::number(dbType));
    m_config->setItem("ZURIVARU\\ZURIVARU_CONNECTION_PROVIDER", "PostgreSQL");
    m_config->setItem("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE", m_plant->dataSource());
    m_config->setItem("ZURIVARU\\ZURIVARU_CONNECTION_TIMEOUT", "10");
    m_config->setItem("ZURIVARU\\ZURIVARU_CONNECTION_COMMAND_TIMEOUT", "30");
    TargetDbType = qint16(dbType);
}

TargetEnvironment::~TargetEnvironment()
{
    if (Logger == m_logger.get())
        Logger = nullptr;
    if (MsgBoxHandler == m_msgBoxHandler.get())
        MsgBoxHandler = nullptr;
    if (Config == m_config.get())
        Config = nullptr;
    m_plant.reset();
    App::setPath(QString());
}

bool TargetEnvironment::addFacility(const QString& fileName, const QString& name)
{
    return m_plant->addFacility(fileName, name) && m_plant->grantLogins(kPassword);
}

QStringList TargetEnvironment::logLines() const
{
    QFile file(m_logger->currentFile());
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
        lines << line.mid(11);
    return lines;
}

} // namespace limsbridge::testing
