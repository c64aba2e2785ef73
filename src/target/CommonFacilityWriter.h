// Writes the values, comments and additional-info fields of one facility into
// its schema of the plant database on behalf of an import run. It owns the
// facility connection, sends each value to the daily or the sub-daily
// interface of the variable's frequency, applies the facility's lock date and
// the approval-level rule, honours test mode (everything is checked and
// counted, nothing is stored), and tells through its public status members
// what happened to the last value.
//
// The procedure wrappers are built once per connection (and per frequency) and
// reused for every write. A dead connection must fail the write that meets it,
// so every write first makes sure the connection is alive; see EnsureConnection.
#pragma once

#include "core/HashTable.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <array>
#include <memory>

namespace limsbridge {

class CommentsInt;
class DataDDInt;
class DatatblInt;
class DbConnection;

class CommonFacilityWriter {
public:
    CommonFacilityWriter();
    ~CommonFacilityWriter();
    CommonFacilityWriter(const CommonFacilityWriter&) = delete;
    CommonFacilityWriter& operator=(const CommonFacilityWriter&) = delete;

    // What happened to the last value or comment; the import run reads these
    // after every call.
    //! The last call stored something in the database.
    bool PerfromedPhysicalWrite = false;
    //! The last call would have stored (true in test mode too).
    bool PerfromedLogicalWrite = false;
    //! The last value was refused because of the lock date or the approval level.
    bool ApprovalLevelDisabledWrite = false;
    //! Day or slot start of the last value handled; the zero date before any.
    QDateTime PerfromedWriteDateStamp;
    //! Additional-info fields handled for the last value.
    qint16 PerformedAINFOfieldsLogicalWrite = 0;
    //! Additional-info fields stored for the last value (0 in test mode).
    qint16 PerformedAINFOfieldsPhysicalWrite = 0;

    //! The facility's file name; nothing is written while it is empty.
    void setfacilID(const QString& facility) { m_facilID = facility; }
    //! The facility's lock date; nothing is written while it is the zero date (or invalid).
    void setLockDate(const QDateTime& lockDate) { m_lockDate = lockDate; }
    //! Check and count, but store nothing.
    void setTestMode(bool testMode) { m_testMode = testMode; }

    //! Closes the facility connection (errors ignored) and drops it; the next
    //! write opens a new one.
    void DestroyConnection();
    //! True when the connection exists and answers the probe query.
    bool ConnectionAlive();

    //! Writes a value (and its additional-info fields) for the variable at the
    //! day or slot of DateStamp. False when nothing could be tried (no facility,
    //! no lock date, no connection) or the database failed; a refusal by lock
    //! date or approval level is a success with ApprovalLevelDisabledWrite set.
    //! dtLimsCollectDate is accepted for the callers' sake and not used.
    bool WriteToZuriVARU(const QString& Vartype, qint32 varId, const QDateTime& DateStamp, double CurValue,
                         const QString& textValue, qint32 ApprovalLevel,
                         const HashTable<QString>* AdditionalInfoHash = nullptr,
                         const QDateTime& dtLimsCollectDate = QDateTime());
    //! Writes a comment (cut to 2000 characters) and the additional-info fields.
    bool WriteCOMtoZuriVARU(const QString& Vartype, qint32 varId, const QDateTime& DateStamp,
                            const QString& comment, const HashTable<QString>* AdditionalInfoHash = nullptr);

    //! The open facility connection, or null; for diagnostics and tests.
    DbConnection* connection() const { return m_connection.get(); }

private:
    // Where the values of a variable type go: the daily procedures, or the
    // sub-daily ones of a frequency, and the table of its additional info.
    struct Target {
        bool daily = true;
        qint32 intervalsPerDay = 1;
        QString valueTable;
    };
    //! Decoded once per type code and kept, since a run writes many values of few types.
    Target TargetOf(const QString& vartype);

    void CloseConnectionQuietly();
    bool OpenFacilityConnection();
    bool EnsureConnection();
    //! After a failed statement: when the write skipped the probe and this was
    //! its first statement, asks the probe now. True when the connection no
    //! longer answers it; the write then fails as it would have at the probe,
    //! silently and before anything else is tried.
    bool lostAtOwedProbe();
    //! Logs the error of a failed value write, unless lostAtOwedProbe().
    void logWriteError(const QString& line);
    bool WriteDailyValue(qint32 varId, const QDateTime& day, double value, const QString& textValue,
                         qint32 approvalLevel);
    bool WriteSubDailyValue(qint32 intervalsPerDay, qint32 varId, const QDateTime& slotStart, double value,
                            const QString& textValue, qint32 approvalLevel);
    bool WriteDailyComment(qint32 varId, const QDateTime& day, const QString& comment);
    bool WriteSubDailyComment(qint32 intervalsPerDay, qint32 varId, const QDateTime& slotStart,
                              const QString& comment);
    bool WriteToZuriVARUainfo(const QString& valueTable, qint32 varId, const QDateTime& dateStamp,
                              const HashTable<QString>& table);
    void DumpAdditionalInfo(const QString& label, const HashTable<QString>& table, int verbosity) const;

    void resetStatus(bool withAdditionalInfoCounts);
    bool canWrite() const;
    //! True (and the status set) when the day or slot start lies before the lock date.
    bool refusedByLockDate(const QDateTime& dayOrSlotStart);
    //! One-second variables have no write procedures in the plant database.
    bool refuseOneSecondValue(qint32 varId, const QDateTime& slotStart, const char* what);

    DatatblInt& datatbl();
    CommentsInt& comments();
    DataDDInt& dataDD(qint32 intervalsPerDay);

    QString m_facilID = QStringLiteral("0");
    QDateTime m_lockDate;
    bool m_testMode = false;
    std::unique_ptr<DbConnection> m_connection;
    // The connection has answered the probe query since it was opened.
    bool m_probeAnswered = false;
    // The current write skipped the probe and has not yet run a statement.
    bool m_probeOwed = false;
    // The current write's first statement failed and so did the owed probe.
    bool m_lostAtProbe = false;
    // Bound to m_connection; dropped with it.
    std::unique_ptr<DatatblInt> m_datatbl;
    std::unique_ptr<CommentsInt> m_comments;
    struct SubDaily {
        qint32 intervalsPerDay = 0;
        std::unique_ptr<DataDDInt> data;
    };
    // One per frequency in use (there are six sub-daily frequencies).
    std::array<SubDaily, 8> m_subDaily;
    QHash<QString, Target> m_targets;
};

} // namespace limsbridge
