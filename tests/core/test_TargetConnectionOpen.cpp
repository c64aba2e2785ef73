// Opening a target connection in service and interactive mode, with and
// without the progress window, and the "number - description" of a failure.
#include "core/ActivityLog.h"
#include "core/ConnectProgress.h"
#include "core/Globals.h"
#include "core/QORLoggerTXT.h"
#include "core/TargetConnectionOpen.h"
#include "platform/DbConnection.h"
#include "platform/RaisedError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

class RecordingSink : public ActivitySink {
public:
    int lineCount() const override { return int(lines.size()); }
    void appendLine(const QString& text) override { lines << text; }
    void clear() override { lines.clear(); }
    QStringList lines;
};

// Stands in for the window of interactive mode: records what it was asked and
// connects as the real window does.
class RecordingWindow : public ConnectProgress {
public:
    void showModeless() override {
        calls << "show";
        visible = true;
    }
    void hideWindow() override {
        calls << "hide";
        visible = false;
    }
    bool connectModally(DbConnection& connection, QString& errorText, QObject* owner) override {
        calls << "modal";
        lastOwner = owner;
        QString message;
        const bool connected = ConnectWithListLines(connection, message);
        errorText = message;
        return connected;
    }
    QStringList calls;
    bool visible = false;
    QObject* lastOwner = nullptr;
};

class TargetConnectionOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        // An empty file is an empty SQLite database.
        QFile database(goodDatabase());
        ASSERT_TRUE(database.open(QIODevice::WriteOnly));
        database.close();
        m_logger.setLogPath(m_dir.path() + "/log");
        m_logger.setEnabled(true);
        m_logger.setBufferLength(1);
        m_logger.setVerbosity(0);
        Logger = &m_logger;
        ServiceMode = false;
        setActivitySink(&m_sink);
        setConnectProgress(nullptr);
    }
    void TearDown() override {
        setActivitySink(nullptr);
        setConnectProgress(nullptr);
        Logger = nullptr;
        ServiceMode = false;
    }

    QString goodDatabase() const { return m_dir.path() + "/target.db"; }
    void setGood(DbConnection& connection) const {
        connection.setConnectionString("Provider=SQLite;Data Source=" + goodDatabase());
    }
    static void setFailing(DbConnection& connection) {
        connection.setConnectionString("Provider=NoSuchProvider;Data Source=plant-server");
    }
    // The text a failing Open of this connection string gives.
    static QString expectedError(const QString& connectionString) {
        DbConnection probe;
        probe.setConnectionString(connectionString);
        try {
            probe.Open();
        } catch (const RaisedError& error) {
            return QString::number(error.number()) + " - " + error.description();
        }
        return "opened";
    }
    QStringList logLines() const {
        QFile file(m_logger.currentFile());
        QStringList lines;
        if (file.open(QIODevice::ReadOnly))
            for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
                lines << line.mid(11).trimmed();
        return lines;
    }

    QTemporaryDir m_dir;
    QORLoggerTXT m_logger;
    RecordingSink m_sink;
};

} // namespace

TEST_F(TargetConnectionOpenTest, ServiceModeOpensSilently) {
    ServiceMode = true;
    RecordingWindow window;
    setConnectProgress(&window);
    for (const bool useDialog : {false, true}) {
        DbConnection connection;
        setGood(connection);
        QString errorText = "untouched";
        EXPECT_TRUE(OpenTargetConnection(connection, errorText, useDialog, nullptr));
        EXPECT_TRUE(connection.isOpen());
        EXPECT_EQ(errorText, "untouched");
    }
    EXPECT_TRUE(window.calls.isEmpty());
    EXPECT_TRUE(m_sink.lines.isEmpty());
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_F(TargetConnectionOpenTest, ServiceModeFailureGivesNumberAndDescription) {
    ServiceMode = true;
    DbConnection connection;
    setFailing(connection);
    QString errorText;
    EXPECT_FALSE(OpenTargetConnection(connection, errorText, false, nullptr));
    EXPECT_EQ(errorText, expectedError(connection.ConnectionString()));
    EXPECT_TRUE(errorText.startsWith("3706 - ")) << errorText.toStdString();
    EXPECT_TRUE(m_sink.lines.isEmpty());
}

TEST_F(TargetConnectionOpenTest, InteractiveWithProgressShowsHidesAndLogs) {
    RecordingWindow window;
    setConnectProgress(&window);
    DbConnection connection;
    setGood(connection);
    QString errorText;
    ASSERT_TRUE(OpenTargetConnection(connection, errorText, false, nullptr));
    EXPECT_TRUE(connection.isOpen());
    EXPECT_EQ(window.calls, QStringList({"show", "hide"}));
    const QStringList expected = {"Connecting to Vell OXMO server '" + goodDatabase() + "' ...",
                                  "Connection to Vell OXMO was established."};
    EXPECT_EQ(m_sink.lines, expected);
    EXPECT_EQ(logLines(), expected);
    EXPECT_TRUE(errorText.isEmpty());
}

TEST_F(TargetConnectionOpenTest, InteractiveWithProgressFailure) {
    RecordingWindow window;
    setConnectProgress(&window);
    DbConnection connection;
    setFailing(connection);
    QString errorText;
    EXPECT_FALSE(OpenTargetConnection(connection, errorText, false, nullptr));
    EXPECT_EQ(errorText, expectedError(connection.ConnectionString()));
    EXPECT_EQ(window.calls, QStringList({"show", "hide"}));
    EXPECT_FALSE(window.visible);
    const QStringList expected = {"Connecting to Vell OXMO server 'plant-server' ...",
                                  "Failed to Connect to Vell OXMO."};
    EXPECT_EQ(m_sink.lines, expected);
    EXPECT_EQ(logLines(), expected);
}

TEST_F(TargetConnectionOpenTest, InteractiveWithoutWindowStillLogs) {
    DbConnection connection;
    setGood(connection);
    QString errorText;
    EXPECT_TRUE(OpenConnectionWithProgress(connection, errorText));
    EXPECT_EQ(logLines().size(), 2);
}

TEST_F(TargetConnectionOpenTest, DialogGoesThroughTheWindowWithItsOwner) {
    RecordingWindow window;
    setConnectProgress(&window);
    QObject owner;
    DbConnection connection;
    setFailing(connection);
    QString errorText = "stale";
    EXPECT_FALSE(OpenTargetConnection(connection, errorText, true, &owner));
    EXPECT_EQ(window.calls, QStringList({"modal"}));
    EXPECT_EQ(window.lastOwner, &owner);
    EXPECT_EQ(errorText, expectedError(connection.ConnectionString()));
    // The window's lines go to the list only.
    EXPECT_EQ(m_sink.lines, QStringList({"Connecting to Vell OXMO server 'plant-server' ...",
                                         "Failed to Connect to Vell OXMO."}));
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(TargetConnectionOpenTest, DialogWithoutWindowConnectsDirectly) {
    DbConnection connection;
    setGood(connection);
    QString errorText = "stale";
    EXPECT_TRUE(OpenConnectionViaDialog(connection, errorText, nullptr));
    EXPECT_TRUE(connection.isOpen());
    EXPECT_TRUE(errorText.isEmpty());
    EXPECT_EQ(m_sink.lines, QStringList({"Connecting to Vell OXMO server '" + goodDatabase() + "' ...",
                                         "Connection to Vell OXMO was established."}));
    EXPECT_TRUE(logLines().isEmpty());
}
