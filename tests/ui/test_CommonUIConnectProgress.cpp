// The connect-progress window offscreen: connecting when it becomes active,
// its lines on the main window's list, and its use by the open routines.
#include "core/ActivityLog.h"
#include "core/ConnectProgress.h"
#include "core/Globals.h"
#include "core/QORLoggerTXT.h"
#include "core/TargetConnectionOpen.h"
#include "platform/DbConnection.h"
#include "ui/CommonUI.h"
#include "ui/CommonUIConnectProgress.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

class ConnectProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        QFile database(m_dir.path() + "/target.db");
        ASSERT_TRUE(database.open(QIODevice::WriteOnly));
        database.close();
        m_logger.setLogPath(m_dir.path() + "/log");
        m_logger.setEnabled(true);
        m_logger.setBufferLength(1);
        Logger = &m_logger;
        ServiceMode = false;
        setActivitySink(&m_mainWindow);
        // A window that never closed would hang the test: end its loop after a while.
        m_watchdog.setSingleShot(true);
        QObject::connect(&m_watchdog, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "the modal window stayed open";
                modal->hide();
            }
        });
        m_watchdog.start(10000);
    }
    void TearDown() override {
        setActivitySink(nullptr);
        setConnectProgress(nullptr);
        Logger = nullptr;
    }

    QString goodSource() const { return m_dir.path() + "/target.db"; }
    QStringList listLines() const {
        QStringList lines;
        for (int i = 0; i < m_mainWindow.lstActivityLog()->count(); ++i)
            lines << m_mainWindow.lstActivityLog()->item(i)->text();
        return lines;
    }

    QTemporaryDir m_dir;
    QORLoggerTXT m_logger;
    CommonUI m_mainWindow;
    QTimer m_watchdog;
};

} // namespace

TEST_F(ConnectProgressTest, ShowsItsLabels) {
    CommonUIConnectProgress window;
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>())
        texts << label->text();
    texts.sort();
    EXPECT_EQ(texts, QStringList({"Connecting to Vell OXMO...", "Vell OXMO"}));
}

TEST_F(ConnectProgressTest, ModalWindowConnectsOnceActiveAndCloses) {
    ConnectProgressWindow progress;
    DbConnection connection;
    connection.setConnectionString("Provider=SQLite;Data Source=" + goodSource());
    QString errorText = "stale";
    EXPECT_TRUE(progress.connectModally(connection, errorText, &m_mainWindow));
    EXPECT_TRUE(connection.isOpen());
    EXPECT_TRUE(errorText.isEmpty());
    EXPECT_EQ(listLines(), QStringList({"Connecting to Vell OXMO server '" + goodSource() + "' ...",
                                        "Connection to Vell OXMO was established."}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ConnectProgressTest, ModalFailureThroughOpenTargetConnection) {
    ConnectProgressWindow progress;
    setConnectProgress(&progress);
    DbConnection connection;
    connection.setConnectionString("Provider=NoSuchProvider;Data Source=plant-server");
    QString errorText;
    EXPECT_FALSE(OpenTargetConnection(connection, errorText, true, &m_mainWindow));
    EXPECT_TRUE(errorText.startsWith("3706 - ")) << errorText.toStdString();
    EXPECT_EQ(listLines(), QStringList({"Connecting to Vell OXMO server 'plant-server' ...",
                                        "Failed to Connect to Vell OXMO."}));
}

TEST_F(ConnectProgressTest, ModelessWindowIsHiddenAfterTheConnection) {
    ConnectProgressWindow progress;
    setConnectProgress(&progress);
    DbConnection connection;
    connection.setConnectionString("Provider=SQLite;Data Source=" + goodSource());
    QString errorText;
    EXPECT_TRUE(OpenTargetConnection(connection, errorText, false, nullptr));
    int shown = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<CommonUIConnectProgress*>(widget)) {
            ++shown;
            EXPECT_FALSE(widget->isVisible());
        }
    }
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(listLines().size(), 2);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
