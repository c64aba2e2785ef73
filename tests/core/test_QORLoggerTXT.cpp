// The text logger against a real temporary folder, with the clock set by the tests.
#include "core/AppInfo.h"
#include "core/Clock.h"
#include "core/QORLoggerTXT.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utime.h>

using namespace limsbridge;

// Readable failure messages for texts and lists of texts.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

QString readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<unreadable>");
    return QString::fromUtf8(file.readAll());
}

QStringList lines(const QString& path) {
    return readFile(path).split('\n', Qt::SkipEmptyParts);
}

// Creates a file of the given size (sparse) and sets its last-write time.
void makeFile(const QString& path, qint64 size, const QDateTime& modified) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite | QIODevice::Truncate)) << path.toStdString();
    ASSERT_TRUE(file.resize(size));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

// For folders, which QFile cannot open to set their time.
void setTimes(const QString& path, const QDateTime& modified) {
    const utimbuf times{modified.toSecsSinceEpoch(), modified.toSecsSinceEpoch()};
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0) << path.toStdString();
}

class Logger : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        App::setPath(m_home.path());
        setNow(QDateTime(QDate(2022, 4, 22), QTime(21, 31, 19)));
        m_logger = std::make_unique<QORLoggerTXT>();
        m_logger->setLogPath(logFolder());
        m_logger->setBufferLength(1);
        m_logger->setEnabled(true);
    }
    void TearDown() override {
        m_logger.reset();
        Clock::setSource({});
        App::setPath(QString());
    }

    void setNow(const QDateTime& now) { Clock::setFixed(now); }
    QString home() const { return m_home.path(); }
    QString logFolder() const { return m_home.path() + "/log"; }
    QORLoggerTXT& logger() { return *m_logger; }

private:
    QTemporaryDir m_home;
    std::unique_ptr<QORLoggerTXT> m_logger;
};

} // namespace

TEST_F(Logger, DefaultsAreTheApplicationsLogFolderAndHandleFile) {
    QORLoggerTXT fresh;
    EXPECT_EQ(fresh.LogPath(), home() + "/log");
    EXPECT_EQ(fresh.logHandlePath(), home() + "/limsbridge.log_handle");
    EXPECT_EQ(fresh.BufferLength(), 1024);
    EXPECT_EQ(fresh.Verbosity(), 0);
    EXPECT_FALSE(fresh.Enabled());
}

TEST_F(Logger, SettingTheFolderCreatesOneLevel) {
    EXPECT_TRUE(QFileInfo(logFolder()).isDir());
    logger().setLogPath(home() + "/missing/deeper");
    EXPECT_FALSE(QFileInfo(home() + "/missing").exists());
}

TEST_F(Logger, FileNameCarriesPrefixTimeAndPostfix) {
    struct Row {
        const char* name;
        QDateTime now;
        const char* prefix;
        const char* postfix;
        const char* fileName;
        const char* line;
    };
    const Row rows[] = {
        {"evening", QDateTime(QDate(2022, 4, 22), QTime(21, 31, 19)), "", "_interactive",
         "04_22_2022__21_31_19_interactive.log", "21:31:19 : hello"},
        {"morning", QDateTime(QDate(2023, 11, 3), QTime(9, 5, 7)), "lb_", "_ntservice",
         "lb_11_03_2023__09_05_07_ntservice.log", "09:05:07 : hello"},
        {"bare", QDateTime(QDate(2024, 1, 1), QTime(0, 0, 0)), "", "", "01_01_2024__00_00_00.log",
         "00:00:00 : hello"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        setNow(row.now);
        QORLoggerTXT log;
        log.setLogPath(logFolder());
        log.setPrefix(row.prefix);
        log.setPostfix(row.postfix);
        log.setBufferLength(1);
        log.setEnabled(true);
        log.WriteLog("hello", 0);
        EXPECT_EQ(log.currentFile(), logFolder() + "/" + row.fileName);
        EXPECT_EQ(readFile(log.currentFile()), QString(row.line) + "\n");
    }
}

TEST_F(Logger, DisabledLoggerOpensAndWritesNothing) {
    logger().setEnabled(false);
    logger().WriteLog("quiet", 0);
    EXPECT_TRUE(logger().currentFile().isEmpty());
    EXPECT_TRUE(QDir(logFolder()).entryList(QDir::Files).isEmpty());
}

TEST_F(Logger, FileIsCreatedOnFirstWriteEvenWhenTheLevelIsFiltered) {
    logger().WriteLog("detail", 2);
    ASSERT_FALSE(logger().currentFile().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(logger().currentFile()));
    EXPECT_EQ(readFile(logger().currentFile()), "");

    logger().WriteLog("always", 0);
    EXPECT_EQ(readFile(logger().currentFile()), "21:31:19 : always\n");
}

TEST_F(Logger, VerbosityFiltersClampedLevels) {
    struct Row {
        const char* name;
        qint16 verbosity;
        int level;
        bool written;
    };
    const Row rows[] = {
        {"level 0 at verbosity 0", 0, 0, true},       {"level 1 at verbosity 0", 0, 1, false},
        {"level 2 at verbosity 2", 2, 2, true},       {"level 3 at verbosity 2", 2, 3, false},
        {"level 9 at verbosity 9", 9, 9, true},       {"level 15 counts as 9", 9, 15, true},
        {"level 15 above verbosity 8", 8, 15, false}, {"level -1 counts as 0", -1, -1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QDir(logFolder()).removeRecursively();
        QORLoggerTXT log;
        log.setLogPath(logFolder());
        log.setBufferLength(1);
        log.setEnabled(true);
        log.setVerbosity(row.verbosity);
        log.WriteLog("text", row.level);
        EXPECT_EQ(readFile(log.currentFile()), row.written ? "21:31:19 : text\n" : "");
    }
}

TEST_F(Logger, BufferLengthOneFlushesEveryLine) {
    logger().WriteLog("first", 0);
    logger().WriteLog("second", 0);
    // Read while the logger still holds the file open.
    EXPECT_EQ(lines(logger().currentFile()), QStringList({"21:31:19 : first", "21:31:19 : second"}));
}

TEST_F(Logger, LargerBufferStillWritesEverythingByClose) {
    logger().setBufferLength(1024);
    logger().WriteLog("first", 0);
    logger().WriteLog("second", 0);
    const QString path = logger().currentFile();
    logger().closeLog();
    EXPECT_EQ(lines(path), QStringList({"21:31:19 : first", "21:31:19 : second"}));
}

TEST_F(Logger, FirstWriteAfterMidnightStartsAChainedFile) {
    setNow(QDateTime(QDate(2022, 4, 22), QTime(23, 59, 58)));
    logger().WriteLog("before midnight", 0);
    const QString oldFile = logger().currentFile();

    setNow(QDateTime(QDate(2022, 4, 23), QTime(0, 0, 3)));
    logger().WriteLog("after midnight", 0);

    EXPECT_EQ(logger().currentFile(), logFolder() + "/04_23_2022__00_00_03.log");
    EXPECT_EQ(lines(oldFile), QStringList({"23:59:58 : before midnight"}));
    EXPECT_EQ(lines(logger().currentFile()),
              QStringList({"00:00:03 : Previous log file for this session = " + oldFile,
                           "00:00:03 : after midnight"}));
}

TEST_F(Logger, HandleFileNamesTheCurrentLogAndFollowsRollOver) {
    const QString handle = home() + "/limsbridge.log_handle";
    {
        QFile stale(handle);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("a much longer stale path that must not survive in the handle file\n");
    }
    logger().setLogHandleAssertion(true);
    logger().WriteLog("x", 0);
    EXPECT_EQ(readFile(handle), logger().currentFile() + "\n");

    setNow(QDateTime(QDate(2022, 4, 23), QTime(0, 0, 1)));
    logger().WriteLog("y", 0);
    EXPECT_EQ(readFile(handle), logFolder() + "/04_23_2022__00_00_01.log\n");
}

TEST_F(Logger, HandleFileOnlyWhenAssertedAndWhereSet) {
    logger().WriteLog("x", 0);
    EXPECT_FALSE(QFileInfo::exists(home() + "/limsbridge.log_handle"));

    QORLoggerTXT log;
    log.setLogPath(logFolder());
    log.setPostfix("_other");
    log.setEnabled(true);
    log.setLogHandleAssertion(true);
    log.setLogHandlePath(home() + "/custom.log_handle");
    log.WriteLog("x", 0);
    EXPECT_EQ(readFile(home() + "/custom.log_handle"), log.currentFile() + "\n");
    EXPECT_FALSE(QFileInfo::exists(home() + "/limsbridge.log_handle"));
}

TEST_F(Logger, UnopenableFolderWritesNothingAndRetriesLater) {
    const QString folder = home() + "/not/yet";
    logger().setLogPath(folder);
    logger().WriteLog("lost", 0);
    EXPECT_TRUE(logger().currentFile().isEmpty());

    ASSERT_TRUE(QDir().mkpath(folder));
    logger().WriteLog("kept", 0);
    EXPECT_EQ(logger().currentFile(), folder + "/04_22_2022__21_31_19.log");
    EXPECT_EQ(readFile(logger().currentFile()), "21:31:19 : kept\n");
}

TEST_F(Logger, CloseLogEndsTheFileAndTheNextWriteOpensAnother) {
    logger().WriteLog("one", 0);
    const QString first = logger().currentFile();
    logger().closeLog();
    setNow(QDateTime(QDate(2022, 4, 22), QTime(21, 40, 0)));
    logger().WriteLog("two", 0);
    EXPECT_EQ(logger().currentFile(), logFolder() + "/04_22_2022__21_40_00.log");
    EXPECT_EQ(readFile(first), "21:31:19 : one\n");
    EXPECT_EQ(readFile(logger().currentFile()), "21:40:00 : two\n");
}

TEST_F(Logger, AssertVerbosityNamesLevelAndUsShortDate) {
    setNow(QDateTime(QDate(2022, 4, 2), QTime(7, 8, 9)));
    logger().setVerbosity(3);
    logger().AssertVerbosity();
    EXPECT_EQ(lines(logger().currentFile()),
              QStringList({"07:08:09 : [Log Verbosity is set to 3, Log Date is 4/2/2022]"}));
}

TEST_F(Logger, RetentionInitClampsDaysAndAnnouncesTheFolder) {
    struct Row {
        int days;
        int clamped;
    };
    const Row rows[] = {{3, 7}, {7, 7}, {30, 30}, {1000, 1000}, {5000, 1000}, {-2, 7}};
    QStringList expected;
    for (const Row& row : rows) {
        logger().LSM_Init(row.days);
        expected << QString("21:31:19 : Logs in '%1' will be removed after they are older than %2 days.")
                        .arg(logFolder().toUpper())
                        .arg(row.clamped);
    }
    EXPECT_EQ(lines(logger().currentFile()), expected);
}

TEST_F(Logger, RetentionDeletesOlderFilesOncePerClockHour) {
    const QDateTime now(QDate(2022, 4, 22), QTime(12, 30, 0));
    setNow(now);
    const QDateTime threshold = now.addDays(-30);
    makeFile(logFolder() + "/at_threshold.log", 100, threshold);
    makeFile(logFolder() + "/older.txt", 2048, threshold.addSecs(-1));
    makeFile(logFolder() + "/no_extension", 1262592 + 512, threshold.addDays(-400));
    makeFile(logFolder() + "/recent.log", 10, now.addDays(-1));
    ASSERT_TRUE(QDir(logFolder()).mkdir("old_folder"));
    setTimes(logFolder() + "/old_folder", threshold.addDays(-10));

    logger().LSM_Run(); // not initialised yet: nothing happens
    EXPECT_TRUE(QFileInfo::exists(logFolder() + "/older.txt"));

    logger().LSM_Init(30);
    logger().LSM_Run();
    EXPECT_TRUE(QFileInfo::exists(logFolder() + "/at_threshold.log"));
    EXPECT_FALSE(QFileInfo::exists(logFolder() + "/older.txt"));
    EXPECT_FALSE(QFileInfo::exists(logFolder() + "/no_extension"));
    EXPECT_TRUE(QFileInfo::exists(logFolder() + "/recent.log"));
    EXPECT_TRUE(QFileInfo(logFolder() + "/old_folder").isDir());
    EXPECT_TRUE(QFileInfo::exists(logger().currentFile()));

    // Later in the same clock hour nothing is removed, even a file that is due.
    setNow(QDateTime(QDate(2022, 4, 22), QTime(12, 59, 59)));
    makeFile(logFolder() + "/late.log", 0, threshold.addDays(-1));
    logger().LSM_Run();
    EXPECT_TRUE(QFileInfo::exists(logFolder() + "/late.log"));

    // The next clock hour cleans up again, with a threshold half an hour later.
    setNow(QDateTime(QDate(2022, 4, 22), QTime(13, 0, 0)));
    logger().LSM_Run();
    EXPECT_FALSE(QFileInfo::exists(logFolder() + "/late.log"));
    EXPECT_FALSE(QFileInfo::exists(logFolder() + "/at_threshold.log"));
    EXPECT_TRUE(QFileInfo::exists(logFolder() + "/recent.log"));

    EXPECT_EQ(lines(logger().currentFile()),
              QStringList({"12:30:00 : Logs in '" + logFolder().toUpper() +
                               "' will be removed after they are older than 30 days.",
                           "12:30:00 : Removed 2 logs. Freed 1,235.50 kB of disk space.",
                           "13:00:00 : Removed 2 logs. Freed 0.10 kB of disk space."}));
}

TEST_F(Logger, RetentionUsesClampedDaysAndIsQuietWhenNothingIsRemoved) {
    const QDateTime now(QDate(2022, 4, 22), QTime(12, 30, 0));
    setNow(now);
    makeFile(logFolder() + "/five_days.log", 1, now.addDays(-5));
    logger().LSM_Init(3); // counts as 7
    logger().LSM_Run();
    EXPECT_TRUE(QFileInfo::exists(logFolder() + "/five_days.log"));
    EXPECT_EQ(lines(logger().currentFile()).size(), 1);

    setNow(now.addSecs(3600));
    makeFile(logFolder() + "/eight_days.log", 0, now.addDays(-8));
    logger().LSM_Run();
    EXPECT_FALSE(QFileInfo::exists(logFolder() + "/eight_days.log"));
    EXPECT_EQ(lines(logger().currentFile()).value(1),
              "13:30:00 : Removed 1 logs. Freed 0.00 kB of disk space.");
}

TEST(LoggerFiles, SizeIsTheLow32BitsAndZeroWhenUnreadable) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDateTime when(QDate(2021, 6, 1), QTime(8, 15, 30));
    makeFile(dir.path() + "/small", 1234, when);
    makeFile(dir.path() + "/huge", (qint64(1) << 32) + 10, when); // sparse
    EXPECT_EQ(QORLoggerTXT::GetFileSizeInBytes(dir.path() + "/small"), 1234);
    EXPECT_EQ(QORLoggerTXT::GetFileSizeInBytes(dir.path() + "/huge"), 10);
    EXPECT_EQ(QORLoggerTXT::GetFileSizeInBytes(dir.path() + "/missing"), 0);
}

TEST(LoggerFiles, LastModifiedTimeIsLocal) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDateTime when(QDate(2021, 6, 1), QTime(8, 15, 30));
    makeFile(dir.path() + "/a", 1, when);
    EXPECT_EQ(QORLoggerTXT::GetLastModifiedFileTime(dir.path() + "/a"), when);
    EXPECT_FALSE(QORLoggerTXT::GetLastModifiedFileTime(dir.path() + "/missing").isValid());
}

TEST(LoggerFiles, KillFileReportsSuccessOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    makeFile(dir.path() + "/a", 1, QDateTime::currentDateTime());
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_TRUE(QORLoggerTXT::KillFileAndDiscardError(dir.path() + "/a"));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/a"));
    EXPECT_FALSE(QORLoggerTXT::KillFileAndDiscardError(dir.path() + "/a"));
    EXPECT_FALSE(QORLoggerTXT::KillFileAndDiscardError(dir.path() + "/folder"));
    EXPECT_TRUE(QFileInfo(dir.path() + "/folder").isDir());
}
