#include "TestProcess.h"

#include "core/Clock.h"
#include "core/CoreKeys.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/QORmsgBoxHandler.h"
#include "source/CommonTypeGlobals.h"
#include "source/CustomConfiguration.h"
#include "target/CommonAINFOnavigator.h"

namespace limsbridge::testing {

TestProcess::TestProcess(const QString& home)
{
    m_logger = std::make_unique<QORLoggerTXT>();
    m_logger->setLogPath(home + "/log");
    m_logger->setEnabled(true);
    m_logger->setBufferLength(1);
    m_logger->setVerbosity(9);
    m_msgBoxHandler = std::make_unique<QORmsgBoxHandler>();
    m_msgBoxHandler->setLogHandler(m_logger.get());
    m_msgBoxHandler->setSilentOperation(true);
    m_config = std::make_unique<QORConfiguration>();
    m_config->setLogHandler(m_logger.get());
    m_config->setPath(home + "/limsbridge.xml");
    RegisterCoreKeys(*m_config, Clock::now());
    CommonAINFOnavigator::DefineTree(*m_config);
    RegisterMatchingDefaults(*m_config);
    RegisterSourceDefaults(*m_config);

    Logger = m_logger.get();
    MsgBoxHandler = m_msgBoxHandler.get();
    Config = m_config.get();
    ServiceMode = true;
}

TestProcess::~TestProcess()
{
    if (Logger == m_logger.get())
        Logger = nullptr;
    if (MsgBoxHandler == m_msgBoxHandler.get())
        MsgBoxHandler = nullptr;
    if (Config == m_config.get())
        Config = nullptr;
}

} // namespace limsbridge::testing
