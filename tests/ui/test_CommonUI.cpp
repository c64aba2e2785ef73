// The main window's activity list as it comes up.
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "ui/CommonUI.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_logger.setLogPath(m_dir.path() + "/log");
        m_logger.setEnabled(true);
        m_logger.setBufferLength(1);
        m_config.setPath(m_dir.path() + "/limsbridge.xml");
        m_config.DefineTree("ZURIVARU\\G2_SERVER_INTERFACE_ID", "0");
        Logger = &m_logger;
        Config = &m_config;
        ServiceMode = false;
    }
    void TearDown() override
    {
        Logger = nullptr;
        Config = nullptr;
    }

    QStringList listLines(const CommonUI& window) const
    {
        QStringList lines;
        for (int i = 0; i < window.lstActivityLog()->count(); ++i)
            lines << window.lstActivityLog()->item(i)->text();
        return lines;
    }
    QString logText() const
    {
        QFile file(m_logger.currentFile());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir m_dir;
    QORLoggerTXT m_logger;
    QORConfiguration m_config;
};

const QString kDesignationWarning = "WARNING : No designation has been made for this collector instance. Use "
                                    "'Configuration\\Collector Configuration' to set it.";

} // namespace

TEST_F(MainWindowTest, WithoutCollectorTheHintsFollowTheFirstLineButStayOutOfTheLog)
{
    CommonUI window;
    window.Form_Load();
    const QStringList lines = listLines(window);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "Configuration loaded from " + m_dir.path() + "/limsbridge.xml");
    EXPECT_EQ(lines[1], kDesignationWarning);
    EXPECT_EQ(lines[2], "Go to 'Help\\Chapters\\Step-by-step Configuration Instructions' for configuration help");
    EXPECT_EQ(window.lstActivityLog()->currentRow(), 2);
    EXPECT_TRUE(logText().contains("Configuration loaded from "));
    EXPECT_FALSE(logText().contains("WARNING"));
}

TEST_F(MainWindowTest, WithCollectorOnlyTheFirstLine)
{
    m_config.setItem("ZURIVARU\\G2_SERVER_INTERFACE_ID", "7");
    CommonUI window;
    window.Form_Load();
    EXPECT_EQ(listLines(window).size(), 1);
}

TEST_F(MainWindowTest, ActivityListIsCappedAndSkipsLinesAboveTheVerbosity)
{
    CommonUI window;
    window.Form_Load();
    LogActivity("detail", 1);
    EXPECT_FALSE(listLines(window).contains("detail"));
    // Three lines from loading; the list is emptied as soon as it holds more than 20000.
    for (int i = 0; i < 19997; ++i)
        LogActivity("line", 0);
    EXPECT_EQ(window.lstActivityLog()->count(), 20000);
    LogActivity("line", 0);
    EXPECT_EQ(window.lstActivityLog()->count(), 0);
    LogActivity("after", 0);
    EXPECT_EQ(listLines(window), QStringList{"after"});
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
