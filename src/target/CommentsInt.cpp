#include "CommentsInt.h"

#include "target/AuditUser.h"
#include "target/ProcedureCommand.h"

#include "platform/DbCommand.h"
#include "platform/RaisedError.h"

namespace limsbridge {

namespace {

using Type = DbDataType;
constexpr auto In = DbParameterDirection::Input;

// The comment procedures spell the id "varId" and the writer's user "audittuser".
constexpr ProcedureParameter kDelete[] = {
    {"date", Type::Date, In, 0},
    {"varId", Type::Integer, In, 0},
    {"audituser", Type::VarChar, In, 50},
};
constexpr ProcedureParameter kWrite[] = {
    {"date", Type::Date, In, 0},
    {"varId", Type::Integer, In, 0},
    {"comment_in", Type::VarWChar, In, 2000},
    {"audittuser", Type::VarChar, In, 50},
};

const ProcedureSignature kSignatures[] = {
    {"deletecmts", kDelete},
    {"WRITETBL_C", kWrite},
};

} // namespace

CommentsInt::CommentsInt()
    : m_procedures(kSignatures)
{
}
CommentsInt::~CommentsInt() = default;

void CommentsInt::Connect(DbConnection& connection) {
    m_procedures.Connect(connection);
}

DbCommand& CommentsInt::prepared(Procedure procedure) {
    return m_procedures.prepared(static_cast<size_t>(procedure));
}

void CommentsInt::WriteData(const QDateTime& day, qint32 varId, const QString& comment) {
    DbCommand& write = prepared(Procedure::Write);
    write.Parameter(0).setValue(day);
    write.Parameter(1).setValue(varId);
    write.Parameter(2).setValue(comment.isNull() ? QVariant(QStringLiteral("")) : QVariant(comment));
    write.Parameter(3).setValue(CurrentAuditUser());
    write.Execute();
}

void CommentsInt::deletecmts(const QDateTime& day, qint32 varId) {
    DbCommand& remove = prepared(Procedure::Delete);
    remove.Parameter(0).setValue(day);
    remove.Parameter(1).setValue(varId);
    remove.Parameter(2).setValue(CurrentAuditUser());
    remove.Execute();
}

void CommentsInt::Seekcmts(const QDateTime&, qint32, QString&, QString&, QDateTime&) {}

} // namespace limsbridge
