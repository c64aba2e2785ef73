#include "import/ImportStatistics.h"

#include "core/ActivityLog.h"
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/RoundToDigits.h"
#include "import/WriteRules.h"
#include "source/CommonTypeVarRec.h"

#include <algorithm>

namespace limsbridge {

namespace {

// Rates divide by durations; the floor keeps them finite for runs that took
// no measurable time or passed midnight.
constexpr double kMinimumSeconds = 0.00001;

QString counterLine(const char* label, const QString& value) {
    return QLatin1Char(' ') + QLatin1String(label) + QLatin1Char('\t') + value;
}

} // namespace

double ImportStatistics::Timer() {
    return Clock::now().time().msecsSinceStartOfDay() / 1000.0;
}

void ImportStatistics::Start() {
    *this = ImportStatistics();
    m_startTimer = Timer();
}

void ImportStatistics::AddReadStatistics(double timerBefore, double timerAfter, qint32 recordCount) {
    m_readSeconds += std::max(timerAfter - timerBefore, kMinimumSeconds);
    m_readRecords += recordCount;
}

QString ImportStatistics::LineHead(const QDateTime& writeTime, const CommonTypeVarRec& V) {
    return writeTime.toString(QStringLiteral("MM/dd/yyyy HH:mm")) + QStringLiteral("  ") + V.gFacilID() +
           QLatin1Char(':') + QString::number(V.gNumber()) + QLatin1Char('\t') + V.gName() + QLatin1Char('\t');
}

void ImportStatistics::ReportValueWrite(const QDateTime& writeTime, const CommonTypeVarRec& V,
                                        const QString& valueText, bool logicalWrite, bool physicalWrite,
                                        bool refusedWrite, qint16 ainfoLogicalWrites, qint16 ainfoPhysicalWrites) {
    Q_UNUSED(ainfoPhysicalWrites);
    const QString head = LineHead(writeTime, V);
    const QString valueLine = QStringLiteral("Wrote Data ") + head + valueText + QLatin1Char(' ') + V.gUnits();
    if (logicalWrite) {
        ++m_logicalWrites;
        LogActivity(valueLine, 0);
        if (ainfoLogicalWrites > 0) {
            const QString ainfoLine = QStringLiteral("Wrote AINFO ") + head + QString::number(ainfoLogicalWrites) +
                                      QStringLiteral(" additional info fields");
            if (Config && Config->item(QStringLiteral("TARGET\\AINFO\\LOGNUMBERWRITES")) == QLatin1String("TRUE"))
                LogActivity(ainfoLine, 0);
            else if (Logger)
                Logger->WriteLog(ainfoLine, 1);
        }
    }
    if (physicalWrite)
        ++m_physicalWrites;
    if (refusedWrite) {
        ++m_skippedWrites;
        LogActivity(QStringLiteral("Approval Level of Data (Or Lock Date) disallowed interface to write record '") +
                        valueLine + QLatin1Char('\''),
                    1);
    }
}

void ImportStatistics::ReportCommentWrite(const QDateTime& writeTime, const CommonTypeVarRec& V,
                                          const QString& comment, bool logicalWrite, bool physicalWrite,
                                          bool refusedWrite) {
    const QString line = QStringLiteral("Wrote Comment ") + LineHead(writeTime, V) + comment;
    if (logicalWrite) {
        ++m_logicalWrites;
        LogActivity(line, 0);
    }
    if (physicalWrite)
        ++m_physicalWrites;
    if (refusedWrite) {
        ++m_skippedWrites;
        LogActivity(QStringLiteral("Approval Level of Data (Or Lock Date) disallowed interface to write comment '") +
                        line + QLatin1Char('\''),
                    1);
    }
}

QStringList ImportStatistics::RunStatisticsLines() const {
    const double elapsed = std::max(Timer() - m_startTimer, kMinimumSeconds);
    const double readSeconds = std::max(m_readSeconds, kMinimumSeconds);
    using WriteRules::NumberText;
    return {
        QStringLiteral("Session Statistics :"),
        counterLine("# of Logical Write Transactions   : ", QString::number(m_logicalWrites)),
        counterLine("# of Physical Write Transactions  : ", QString::number(m_physicalWrites)),
        counterLine("# of Skipped Write Transactions   : ", QString::number(m_skippedWrites)),
        counterLine("# of Source Connection Failures   : ", QString::number(m_sourceConnectionFailures)),
        counterLine("# of Target Connection Failures   : ", QString::number(m_targetConnectionFailures)),
        counterLine("# Seconds Elapsed                 : ", NumberText(RoundToDigits(elapsed, 0))),
        counterLine("# Read Total Records              : ", QString::number(m_readRecords)),
        counterLine("# Read Records per Second         : ", NumberText(RoundToDigits(m_readRecords / readSeconds, 2))),
        counterLine("# Write Transactions per Second   : ", NumberText(RoundToDigits(m_logicalWrites / elapsed, 2))),
    };
}

void ImportStatistics::LogRunStatistics() const {
    for (const QString& line : RunStatisticsLines())
        LogActivity(line, 0);
}

} // namespace limsbridge
