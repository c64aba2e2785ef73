// The executable: "limsbridge NTSERVICE" runs headless as the scheduled
// service, anything else opens the main window.
#include "app/Main.h"
#include "platform/ProcessTimeZone.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include <memory>

int main(int argc, char* argv[])
{
    limsbridge::PinProcessTimeZone();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString commandLine = arguments.join(' ');

    // Service mode never needs a display, so it must not create a widget application.
    std::unique_ptr<QCoreApplication> app;
    if (limsbridge::IsServiceCommandLine(commandLine))
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);

    limsbridge::TerminationSignals termination([](int signal) { limsbridge::RequestEnd(signal); });
    int exitCode = 1;
    if (limsbridge::Main(commandLine))
        exitCode = app->exec();
    limsbridge::ShutdownProcessObjects();
    return exitCode;
}
