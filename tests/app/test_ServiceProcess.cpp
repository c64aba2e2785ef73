// The executable in service mode: headless, alive until it is terminated.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

bool waitFor(const std::function<bool()>& condition, int milliseconds)
{
    for (int waited = 0; waited < milliseconds; waited += 50) {
        if (condition())
            return true;
        QThread::msleep(50);
    }
    return condition();
}

} // namespace

TEST(ServiceProcess, RunsHeadlessUntilTerminated)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LIMSBRIDGE_HOME", home.path());
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(env);
    process.start(qEnvironmentVariable("LIMSBRIDGE_BIN") + "/limsbridge", {"NTSERVICE"});
    ASSERT_TRUE(process.waitForStarted(10000));

    const QString handle = home.path() + "/limsbridge.log_handle";
    ASSERT_TRUE(waitFor([&] { return QFile::exists(handle) && QFile::exists(home.path() + "/limsbridge.xml"); },
                        20000));
    QFile handleFile(handle);
    ASSERT_TRUE(handleFile.open(QIODevice::ReadOnly));
    const QString logPath = QString::fromUtf8(handleFile.readAll()).trimmed();
    EXPECT_TRUE(logPath.endsWith("_ntservice.log")) << logPath.toStdString();
    EXPECT_TRUE(QFile::exists(logPath));

    EXPECT_FALSE(process.waitForFinished(1000)) << "service mode ended by itself";
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}
