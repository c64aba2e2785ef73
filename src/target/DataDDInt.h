// Sub-daily values and comments of one frequency, reached through the facility
// schema's stored procedures whose names carry a one-character frequency code
// (SEEKFDDH, WRITEDDF_C, ...). Values and comments are addressed by slot: the
// interval from the slot start up to the slot start plus the interval length.
//
// The eight commands are built once per ConnectTo; each call only sets the
// parameter values and executes. Errors of the database propagate to the
// caller as RaisedError, except inside SetStatus.
#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <array>
#include <memory>

namespace limsbridge {

class DbCommand;
class DbConnection;

//! The eight procedures of a frequency, in the order ConnectTo prepares them.
enum class DataDDProcedure { WriteValue, SeekValue, SeekNext, DeleteValue, SetForced, SeekComment, WriteComment, DeleteComment };

class DataDDInt {
public:
    DataDDInt();
    ~DataDDInt();
    DataDDInt(const DataDDInt&) = delete;
    DataDDInt& operator=(const DataDDInt&) = delete;

    //! Binds the object to an open facility connection (not owned, never opened
    //! or closed here) and a frequency given as intervals per day.
    void ConnectTo(DbConnection& connection, qint32 intervalsPerDay);

    void DeleteComment(const QDateTime& slotStart, qint32 varId);
    void WriteComment(const QDateTime& slotStart, const QDateTime& dateStamp, qint32 varId, const QString& comment);
    //! Outputs are changed only when the slot holds a non-empty comment.
    void SeekComment(const QDateTime& slotStart, qint32 varId, QString& comment, QString* auditUser = nullptr,
                     QDateTime* auditTimeStamp = nullptr);
    //! Outputs are changed only when the slot holds a row; a row without a value raises error 94.
    void SeekData(const QDateTime& slotStart, qint32 varId, QDateTime& dateStamp, double& value, QString& textValue,
                  QString* auditUser = nullptr, QDateTime* auditTimeStamp = nullptr, qint32* status = nullptr,
                  qint32* forced = nullptr);
    void DeleteData(const QDateTime& slotStart, qint32 varId);
    void WriteData(const QDateTime& slotStart, const QDateTime& dateStamp, qint32 varId, double value,
                   const QString& textValue, qint32 status);
    //! Rewrites the row of the slot holding timeStamp with a new status when it differs; never raises.
    void SetStatus(const QDateTime& timeStamp, qint32 varId, qint32 status);
    void SetForced(const QDateTime& timeStamp, qint32 varId, qint32 forced);
    //! True until a seek finds something; describes the last seek only.
    QVariant NoMatch() const { return QVariant(m_noMatch); }
    QVariant GetCurrentIntervalsInDay() const { return QVariant(m_intervalsPerDay); }
    QVariant GetMinutesPerInterval() const { return QVariant(m_minutesPerInterval); }
    QDateTime GetSlotStartDateTime(const QDateTime& timeStamp) const;
    //! The nthRecord-th row (1 = first; below 1 asks for the first) between the two slot bounds.
    void SeekNext(const QDateTime& slotStart, const QDateTime& slotEnd, qint32 varId, QDateTime& date, double& value,
                  QString& textValue, qint32 nthRecord, QString* auditUser = nullptr,
                  QDateTime* auditTimeStamp = nullptr, qint32* status = nullptr, qint32* forced = nullptr);

    //! The one-character frequency code of the procedure names ("4", "H", "3", "F", "5", "1").
    QString frequencyCode() const { return m_frequencyCode; }
    //! A prepared command, for inspection; raises error 91 before ConnectTo.
    DbCommand& command(DataDDProcedure procedure);

private:
    void SetFrequencyCode();
    void buildCommands(DbConnection& connection);
    DbCommand& prepared(DataDDProcedure procedure);
    QDateTime slotEnd(const QDateTime& slotStart) const;

    DbConnection* m_connection = nullptr;
    std::weak_ptr<void> m_connectionAlive;
    qint32 m_intervalsPerDay = -1;
    qint32 m_minutesPerInterval = 0;
    QString m_frequencyCode;
    bool m_noMatch = true;
    std::array<std::unique_ptr<DbCommand>, 8> m_commands;
};

} // namespace limsbridge
