#include "AppInfo.h"

#include <QCoreApplication>
#include <QDir>

namespace limsbridge::App {

namespace {
struct State {
    QString path;
    QString commandLine;
    QString helpFile;
};
State& state()
{
    static State s;
    return s;
}
} // namespace

QString Path()
{
    if (!state().path.isEmpty())
        return state().path;
    QString home = qEnvironmentVariable("LIMSBRIDGE_HOME");
    if (home.isEmpty())
        home = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    home = QDir::cleanPath(QDir(home).absolutePath());
    while (home.size() > 1 && home.endsWith('/'))
        home.chop(1);
    return home;
}

QString EXEName()
{
    return QStringLiteral("limsbridge");
}

QString CommandLine()
{
    return state().commandLine;
}

void setCommandLine(const QString& commandLine)
{
    state().commandLine = commandLine;
}

QString HelpFile()
{
    return state().helpFile;
}

void setHelpFile(const QString& helpFile)
{
    state().helpFile = helpFile;
}

void setPath(const QString& path)
{
    state().path = path;
}

} // namespace limsbridge::App
