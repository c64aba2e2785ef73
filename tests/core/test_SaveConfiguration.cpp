// Saving the configuration after changes: once per change, the encryption
// switch, and the password protection through the password prompt.
#include "core/ConfigPasswordPrompt.h"
#include "core/CoreKeys.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/SaveConfiguration.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

class AnsweringPrompt : public ConfigPasswordPrompt {
public:
    explicit AnsweringPrompt(bool answer) : m_answer(answer) {}
    bool askConfigPassword() override {
        ++asked;
        return m_answer;
    }
    int asked = 0;

private:
    bool m_answer;
};

class SaveConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_logger.setLogPath(m_dir.path() + "/log");
        m_logger.setEnabled(true);
        m_logger.setBufferLength(1);
        m_logger.setVerbosity(0);
        m_config.setLogHandler(&m_logger);
        m_config.setPath(m_dir.path() + "/limsbridge.xml");
        RegisterCoreKeys(m_config, QDateTime(QDate(2024, 3, 5), QTime(8, 0)));
        m_config.setChangeWasMade(false);
        Logger = &m_logger;
        Config = &m_config;
        ServiceMode = true;
    }
    void TearDown() override {
        setConfigPasswordPrompt(nullptr);
        Logger = nullptr;
        Config = nullptr;
    }

    QString file() const { return m_config.path(); }
    QString logText() const {
        QFile log(m_logger.currentFile());
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    QTemporaryDir m_dir;
    QORLoggerTXT m_logger;
    QORConfiguration m_config;
};

} // namespace

TEST_F(SaveConfigurationTest, NothingChangedSavesNothing) {
    EXPECT_TRUE(SaveConfigurationIfChanged());
    EXPECT_FALSE(QFile::exists(file()));
}

TEST_F(SaveConfigurationTest, SavingTwiceAfterOneChangeWritesOnce) {
    m_config.setItem("OPTIONS\\LOG_VERBOSITY", "5");
    ASSERT_TRUE(SaveConfigurationIfChanged());
    ASSERT_TRUE(QFile::exists(file()));
    EXPECT_FALSE(m_config.ChangeWasMade());
    EXPECT_TRUE(logText().contains(" : Configuration saved to " + file() + "\r\n") ||
                logText().contains(" : Configuration saved to " + file() + "\n"))
        << logText().toStdString();

    // The second call must not touch the file: removed, it stays removed.
    ASSERT_TRUE(QFile::remove(file()));
    EXPECT_TRUE(SaveConfigurationIfChanged());
    EXPECT_FALSE(QFile::exists(file()));
    EXPECT_EQ(logText().count("Configuration saved to "), 1);
}

TEST_F(SaveConfigurationTest, EncryptionFollowsTheSwitchInAnyCase) {
    m_config.setItem("OPTIONS\\ENCRYPT_PROTECT_CONFIG", "yes");
    ASSERT_TRUE(SaveConfigurationIfChanged());
    EXPECT_TRUE(m_config.EncryptData());
    m_config.setItem("OPTIONS\\ENCRYPT_PROTECT_CONFIG", "NO");
    ASSERT_TRUE(SaveConfigurationIfChanged());
    EXPECT_FALSE(m_config.EncryptData());
}

TEST_F(SaveConfigurationTest, ProtectedConfigurationAsksForThePassword) {
    m_config.setItem("OPTIONS\\PASSWORD_PROTECT_CONFIG", "YES");

    // No dialog to ask with: the protection holds.
    EXPECT_FALSE(SaveConfigurationIfChanged());
    EXPECT_FALSE(QFile::exists(file()));

    AnsweringPrompt cancelled(false);
    setConfigPasswordPrompt(&cancelled);
    EXPECT_FALSE(SaveConfigurationIfChanged());
    EXPECT_EQ(cancelled.asked, 1);
    EXPECT_FALSE(QFile::exists(file()));
    EXPECT_TRUE(m_config.ChangeWasMade());

    AnsweringPrompt confirmed(true);
    setConfigPasswordPrompt(&confirmed);
    EXPECT_TRUE(SaveConfigurationIfChanged());
    EXPECT_EQ(confirmed.asked, 1);
    EXPECT_TRUE(QFile::exists(file()));
}

TEST_F(SaveConfigurationTest, OnlyTheExactWordProtects) {
    AnsweringPrompt cancelled(false);
    setConfigPasswordPrompt(&cancelled);
    m_config.setItem("OPTIONS\\PASSWORD_PROTECT_CONFIG", "yes");
    EXPECT_TRUE(SaveConfigurationIfChanged());
    EXPECT_EQ(cancelled.asked, 0);
    EXPECT_TRUE(QFile::exists(file()));
}

TEST_F(SaveConfigurationTest, FailedWriteReturnsFalse) {
    m_config.setPath(m_dir.path() + "/no/such/folder/limsbridge.xml");
    m_config.setItem("OPTIONS\\LOG_VERBOSITY", "5");
    EXPECT_FALSE(SaveConfigurationIfChanged());
    EXPECT_FALSE(logText().contains("Configuration saved to"));
}
