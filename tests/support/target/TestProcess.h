// The process-wide logger, silent message boxes and configuration of a test,
// made in a temporary application home with every configuration key
// registered, as the startup sequence registers them. They are installed as
// the globals on construction and uninstalled (if still installed) on
// destruction.
#pragma once

#include <QString>

#include <memory>

namespace limsbridge {
class QORConfiguration;
class QORLoggerTXT;
class QORmsgBoxHandler;
} // namespace limsbridge

namespace limsbridge::testing {

class TestProcess {
public:
    //! Logs to home + "/log" at verbosity 9, every line flushed; the
    //! configuration file is home + "/limsbridge.xml".
    explicit TestProcess(const QString& home);
    ~TestProcess();
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    QORLoggerTXT& logger() { return *m_logger; }
    QORmsgBoxHandler& msgBoxHandler() { return *m_msgBoxHandler; }
    QORConfiguration& config() { return *m_config; }

private:
    std::unique_ptr<QORLoggerTXT> m_logger;
    std::unique_ptr<QORmsgBoxHandler> m_msgBoxHandler;
    std::unique_ptr<QORConfiguration> m_config;
};

} // namespace limsbridge::testing
