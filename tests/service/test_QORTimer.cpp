// The timer wrapper and the GUIDs that name timers.
#include "core/Globals.h"
#include "core/QORLoggerTXT.h"
#include "service/QORTimer.h"
#include "service/QORguid.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "test_QORTimer";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

QList<QTimer*> runningTimers(const QORTimer& timer) {
    return timer.findChildren<QTimer*>();
}

} // namespace

TEST(QORguid, NewGuidsAreUpperCaseWithoutBraces) {
    const QRegularExpression form("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    const QString first = QORguid().GetNewGUID();
    const QString second = QORguid().GetNewGUID();
    EXPECT_EQ(first.size(), 36);
    EXPECT_TRUE(form.match(first).hasMatch()) << first.toStdString();
    EXPECT_NE(first, second);
}

TEST(QORTimer, StartsDisabledWithAGuidAsItsId) {
    application();
    QORTimer timer;
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 0);
    EXPECT_EQ(timer.id().size(), 36);
    EXPECT_EQ(timer.timerId(), 0);
    EXPECT_NE(QORTimer().id(), timer.id());
}

TEST(QORTimer, RunsOnlyWhenEnabledWithAPositiveInterval) {
    application();
    QObject owner;
    auto* timer = new QORTimer(&owner);
    timer->setHWnd(&owner);

    timer->setEnabled(true);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->timerId(), 0) << "no interval yet";
    EXPECT_TRUE(runningTimers(*timer).isEmpty());

    timer->setInterval(60000);
    ASSERT_EQ(runningTimers(*timer).size(), 1);
    EXPECT_NE(timer->timerId(), 0);
    EXPECT_EQ(runningTimers(*timer).front()->interval(), 60000);

    // A negative interval is ignored; a new one restarts the running timer.
    timer->setInterval(-5);
    EXPECT_EQ(timer->Interval(), 60000);
    timer->setInterval(30000);
    ASSERT_EQ(runningTimers(*timer).size(), 1);
    EXPECT_EQ(runningTimers(*timer).front()->interval(), 30000);

    // Enabling again never leaves a second timer behind.
    for (int i = 0; i < 50; ++i)
        timer->setEnabled(true);
    EXPECT_EQ(runningTimers(*timer).size(), 1);

    timer->setEnabled(false);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->timerId(), 0);
    EXPECT_TRUE(runningTimers(*timer).isEmpty());
    EXPECT_EQ(timer->Interval(), 30000);
}

TEST(QORTimer, RaiseTimerRaisesTheEvent) {
    application();
    QORTimer timer;
    int raised = 0;
    QObject::connect(&timer, &QORTimer::Timer, [&] { ++raised; });
    timer.RaiseTimer();
    timer.RaiseTimer();
    EXPECT_EQ(raised, 2);
}

TEST(QORTimer, TheCallbackLogsAroundTheEvent) {
    application();
    QTemporaryDir home;
    QORLoggerTXT logger;
    logger.setLogPath(home.path() + "/log");
    logger.setEnabled(true);
    logger.setBufferLength(1);
    logger.setVerbosity(2);
    Logger = &logger;

    QORTimer timer;
    timer.setId("Probe");
    int raised = 0;
    QObject::connect(&timer, &QORTimer::Timer, [&] {
        ++raised;
        logger.WriteLog("event", 0);
        timer.setEnabled(false); // one tick is enough
    });
    timer.setInterval(1);
    timer.setEnabled(true);
    QElapsedTimer clock;
    clock.start();
    while (raised == 0 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    Logger = nullptr;
    ASSERT_EQ(raised, 1);

    QFile file(logger.currentFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
        lines << line.mid(11);
    EXPECT_EQ(lines, QStringList({"Probe callback entered.", "event", "Probe callback exited."}));
}
