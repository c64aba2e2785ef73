// Daily values of one facility through the facility schema's stored
// procedures: seek the value of a variable and day, write, delete, set the
// forced flag and change the approval status. Errors of the database or the
// procedures are raised (RaisedError) to the caller.
#pragma once

#include "ProcedureCommand.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <array>
#include <memory>

namespace limsbridge {

class DbCommand;
class DbConnection;

class DatatblInt {
public:
    //! The four procedures, in the order of their preparation.
    enum class Procedure { Seek, Delete, Write, SetForced };

    DatatblInt();
    ~DatatblInt();
    DatatblInt(const DatatblInt&) = delete;
    DatatblInt& operator=(const DatatblInt&) = delete;

    //! Works on the open facility connection from now on (it must outlive this object).
    void Connect(DbConnection& connection);

    //! Reads the stored value of the day. Without a row NoMatch becomes true,
    //! forced (when given) 0, and the other outputs keep their values. A row
    //! whose value is null raises error 94.
    void SeekDateVarId(const QDateTime& day, qint32 varId, double& value, QString& textValue,
                       QString* auditUser = nullptr, QDateTime* auditTimeStamp = nullptr,
                       qint32* forced = nullptr, qint32* status = nullptr);
    void deletedtbl(const QDateTime& day, qint32 varId);
    void WriteData(const QDateTime& day, qint32 varId, double value, const QString& textValue, qint32 status);
    void SetForced(const QDateTime& day, qint32 varId, qint32 forced);
    //! Rewrites the stored value with a new status; nothing when there is no row
    //! or the status is already the stored one.
    void SetStatus(const QDateTime& day, qint32 varId, qint32 status);
    //! True until a seek finds a row (a Boolean variant).
    QVariant NoMatch() const { return QVariant(m_noMatch); }

    //! The command of a procedure as it is (or will be) sent, for log lines and tests.
    const DbCommand& command(Procedure procedure) { return prepared(procedure); }

private:
    DbCommand& prepared(Procedure procedure);

    PreparedProcedures m_procedures;
    bool m_noMatch = true;
};

} // namespace limsbridge
