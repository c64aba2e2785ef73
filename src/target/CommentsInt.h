// Daily comments of one facility through the facility schema's stored
// procedures: write and delete the comment of a variable and day. Errors of
// the database or the procedures are raised (RaisedError) to the caller.
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

class CommentsInt {
public:
    enum class Procedure { Delete, Write };

    CommentsInt();
    ~CommentsInt();
    CommentsInt(const CommentsInt&) = delete;
    CommentsInt& operator=(const CommentsInt&) = delete;

    //! Works on the open facility connection from now on (it must outlive this object).
    void Connect(DbConnection& connection);
    void WriteData(const QDateTime& day, qint32 varId, const QString& comment);
    void deletecmts(const QDateTime& day, qint32 varId);
    //! Always true: comments are never looked up.
    QVariant NoMatch() const { return QVariant(true); }
    //! Looks nothing up and changes nothing; kept so that comments offer the
    //! same operations as values.
    void Seekcmts(const QDateTime& day, qint32 varId, QString& comment, QString& auditUser,
                  QDateTime& auditTimeStamp);

    //! The command of a procedure as it is (or will be) sent, for log lines and tests.
    const DbCommand& command(Procedure procedure) { return prepared(procedure); }

private:
    DbCommand& prepared(Procedure procedure);

    PreparedProcedures m_procedures;
};

} // namespace limsbridge
