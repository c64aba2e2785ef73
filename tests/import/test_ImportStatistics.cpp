// The run counters and their lines: the statistics block with its exact
// labels and rates, the per-write report lines, and the recovery pause that
// keeps events flowing.
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "import/ImportRecovery.h"
#include "import/ImportStatistics.h"
#include "source/CommonTypeVarRec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

using namespace limsbridge;

namespace {

QDateTime at(int hour, int minute, int second, int msec = 0) {
    return QDateTime(QDate(2024, 3, 5), QTime(hour, minute, second, msec));
}

class Statistics : public ::testing::Test {
protected:
    void SetUp() override {
        m_logger.setLogPath(m_home.path() + "/log");
        m_logger.setEnabled(true);
        m_logger.setBufferLength(1);
        m_logger.setVerbosity(9);
        m_config.setLogHandler(&m_logger);
        m_config.DefineTree("TARGET\\AINFO\\LOGNUMBERWRITES", "FALSE");
        Logger = &m_logger;
        Config = &m_config;
        ServiceMode = true;
        m_variable.setFacilID("FAC1");
        m_variable.setNumber(101);
        m_variable.setName("Influent pH");
        m_variable.setUnits("SU");
    }
    void TearDown() override {
        Clock::setSource({});
        Logger = nullptr;
        Config = nullptr;
    }
    QStringList logLines() const {
        QFile file(m_logger.currentFile());
        QStringList lines;
        if (file.open(QIODevice::ReadOnly))
            for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
                lines << line.mid(11).remove('\r');
        return lines;
    }

    QTemporaryDir m_home;
    QORLoggerTXT m_logger;
    QORConfiguration m_config;
    CommonTypeVarRec m_variable;
};

TEST_F(Statistics, BlockHasTheExactLabelsAndRates) {
    Clock::setFixed(at(10, 0, 0));
    ImportStatistics statistics;
    statistics.Start();
    statistics.AddReadStatistics(1.0, 3.0, 7);
    statistics.AddReadStatistics(5.0, 5.0, 3); // a read that took no time counts 0.00001 s
    statistics.AddSourceConnectionFailure();
    statistics.AddTargetConnectionFailure();
    statistics.AddTargetConnectionFailure();
    for (int i = 0; i < 10; ++i)
        statistics.ReportValueWrite(at(0, 0, 0), m_variable, "7.3", true, i < 8, false, 0, 0);
    statistics.ReportValueWrite(at(0, 0, 0), m_variable, "7.3", false, false, true, 0, 0);
    Clock::setFixed(at(10, 0, 4));

    EXPECT_EQ(statistics.RunStatisticsLines(),
              QStringList({"Session Statistics :",
                           " # of Logical Write Transactions   : \t10",
                           " # of Physical Write Transactions  : \t8",
                           " # of Skipped Write Transactions   : \t1",
                           " # of Source Connection Failures   : \t1",
                           " # of Target Connection Failures   : \t2",
                           " # Seconds Elapsed                 : \t4",
                           " # Read Total Records              : \t10",
                           " # Read Records per Second         : \t5",
                           " # Write Transactions per Second   : \t2.5"}));
    statistics.LogRunStatistics();
    EXPECT_TRUE(logLines().contains(" # Write Transactions per Second   : \t2.5"));
}

TEST_F(Statistics, FloorsKeepRatesFiniteAfterMidnight) {
    Clock::setFixed(at(23, 59, 59));
    ImportStatistics statistics;
    statistics.Start();
    statistics.ReportValueWrite(at(0, 0, 0), m_variable, "1", true, true, false, 0, 0);
    Clock::setFixed(QDateTime(QDate(2024, 3, 6), QTime(0, 0, 1)));
    const QStringList lines = statistics.RunStatisticsLines();
    EXPECT_EQ(lines[6], " # Seconds Elapsed                 : \t0");
    EXPECT_EQ(lines[8], " # Read Records per Second         : \t0");
    EXPECT_EQ(lines[9], " # Write Transactions per Second   : \t100000");
}

TEST_F(Statistics, ValueCommentAndRefusalLines) {
    ImportStatistics statistics;
    const QDateTime slot = at(13, 0, 0);
    statistics.ReportValueWrite(slot, m_variable, "7.30", true, true, false, 2, 2);
    statistics.ReportValueWrite(slot, m_variable, "7.30", false, false, true, 0, 0);
    statistics.ReportCommentWrite(slot, m_variable, "purple", true, false, false);
    statistics.ReportCommentWrite(slot, m_variable, "purple", false, false, true);
    EXPECT_EQ(statistics.LogicalWrites(), 2);
    EXPECT_EQ(statistics.PhysicalWrites(), 1);
    EXPECT_EQ(statistics.SkippedWrites(), 2);

    const QStringList lines = logLines();
    EXPECT_TRUE(lines.contains("Wrote Data 03/05/2024 13:00  FAC1:101\tInfluent pH\t7.30 SU"));
    EXPECT_TRUE(lines.contains("Wrote AINFO 03/05/2024 13:00  FAC1:101\tInfluent pH\t2 additional info fields"));
    EXPECT_TRUE(lines.contains("Approval Level of Data (Or Lock Date) disallowed interface to write record "
                               "'Wrote Data 03/05/2024 13:00  FAC1:101\tInfluent pH\t7.30 SU'"));
    EXPECT_TRUE(lines.contains("Wrote Comment 03/05/2024 13:00  FAC1:101\tInfluent pH\tpurple"));
    EXPECT_TRUE(lines.contains("Approval Level of Data (Or Lock Date) disallowed interface to write comment "
                               "'Wrote Comment 03/05/2024 13:00  FAC1:101\tInfluent pH\tpurple'"));
}

TEST(RecoveryWait, LetsPendingEventsRunWhileWaiting) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    bool fired = false;
    QTimer::singleShot(50, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    RecoveryWait(400);
    EXPECT_TRUE(fired);
    EXPECT_GE(clock.elapsed(), 390);
    EXPECT_LT(clock.elapsed(), 2000);

    clock.restart();
    RecoveryWait(0);
    EXPECT_LT(clock.elapsed(), 100);
}

} // namespace
