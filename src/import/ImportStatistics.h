// The counters of one import run and the lines it reports: one activity line
// per value or comment written (or refused), the read and write counters, and
// the statistics block that closes a run that went through.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace limsbridge {

class CommonTypeVarRec;

class ImportStatistics {
public:
    //! Seconds since midnight of the program's clock, the timer every duration is read from.
    static double Timer();

    //! Resets every counter and notes the run's start.
    void Start();

    //! Counts one successful source read of `recordCount` records.
    void AddReadStatistics(double timerBefore, double timerAfter, qint32 recordCount);
    void AddSourceConnectionFailure() { ++m_sourceConnectionFailures; }
    void AddTargetConnectionFailure() { ++m_targetConnectionFailures; }

    //! Counts and reports the value write the writer has just finished.
    void ReportValueWrite(const QDateTime& writeTime, const CommonTypeVarRec& V, const QString& valueText,
                          bool logicalWrite, bool physicalWrite, bool refusedWrite, qint16 ainfoLogicalWrites,
                          qint16 ainfoPhysicalWrites);
    //! Counts and reports the comment write the writer has just finished.
    void ReportCommentWrite(const QDateTime& writeTime, const CommonTypeVarRec& V, const QString& comment,
                            bool logicalWrite, bool physicalWrite, bool refusedWrite);

    //! The statistics block as of now: the title and nine counter lines.
    QStringList RunStatisticsLines() const;
    //! Writes the statistics block as activity lines.
    void LogRunStatistics() const;

    qint32 LogicalWrites() const { return m_logicalWrites; }
    qint32 PhysicalWrites() const { return m_physicalWrites; }
    qint32 SkippedWrites() const { return m_skippedWrites; }
    qint32 SourceConnectionFailures() const { return m_sourceConnectionFailures; }
    qint32 TargetConnectionFailures() const { return m_targetConnectionFailures; }
    double ReadSeconds() const { return m_readSeconds; }
    qint32 ReadRecords() const { return m_readRecords; }
    double StartTimer() const { return m_startTimer; }

private:
    //! "mm/dd/yyyy HH:nn  FACILITY:number<TAB>name<TAB>".
    static QString LineHead(const QDateTime& writeTime, const CommonTypeVarRec& V);

    qint32 m_logicalWrites = 0;
    qint32 m_physicalWrites = 0;
    qint32 m_skippedWrites = 0;
    qint32 m_sourceConnectionFailures = 0;
    qint32 m_targetConnectionFailures = 0;
    double m_readSeconds = 0;
    qint32 m_readRecords = 0;
    double m_startTimer = 0;
};

} // namespace limsbridge
