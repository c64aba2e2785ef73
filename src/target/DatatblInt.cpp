#include "DatatblInt.h"

#include "target/AuditUser.h"
#include "target/DateText.h"
#include "target/ProcedureCommand.h"
#include "target/ValueConversions.h"

#include "platform/DbCommand.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"

namespace limsbridge {

namespace {

using Type = DbDataType;
constexpr auto In = DbParameterDirection::Input;
constexpr auto Out = DbParameterDirection::Output;

constexpr ProcedureParameter kSeek[] = {
    {"datestamp_1", Type::Date, In, 0},     {"varid_2", Type::Integer, In, 0},
    {"curvalue_3", Type::Double, Out, 0},   {"textvalue_4", Type::VarWChar, Out, 255},
    {"varid_5", Type::Integer, Out, 0},     {"audituser", Type::VarChar, Out, 50},
    {"audittimestamp", Type::Date, Out, 0}, {"forced", Type::Integer, Out, 0},
    {"status", Type::Integer, Out, 0},
};
constexpr ProcedureParameter kDelete[] = {
    {"date", Type::Date, In, 0},
    {"varid", Type::Integer, In, 0},
    {"audituser", Type::VarChar, In, 50},
};
constexpr ProcedureParameter kWrite[] = {
    {"date", Type::Date, In, 0},          {"varid", Type::Integer, In, 0},
    {"value", Type::Double, In, 0},       {"textvalue", Type::VarWChar, In, 255},
    {"audituser", Type::VarChar, In, 50}, {"status", Type::Integer, In, 0},
};
constexpr ProcedureParameter kSetForced[] = {
    {"date", Type::Date, In, 0},
    {"varid", Type::Integer, In, 0},
    {"audituser", Type::VarChar, In, 50},
    {"forced", Type::Integer, In, 0},
};

const ProcedureSignature kSignatures[] = {
    {"seekddatevarid", kSeek},
    {"deletedtbl", kDelete},
    {"writedtbl", kWrite},
    {"SETFORCED", kSetForced},
};

// Positions of the seek's parameters.
enum Seek { DateStamp1, VarId2, CurValue3, TextValue4, VarId5, AuditUser, AuditTimeStamp, Forced, Status };

// An empty text is sent as empty text, never as NULL.
QVariant textParameter(const QString& text) {
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

} // namespace

DatatblInt::DatatblInt()
    : m_procedures(kSignatures)
{
}
DatatblInt::~DatatblInt() = default;

void DatatblInt::Connect(DbConnection& connection) {
    m_procedures.Connect(connection);
}

DbCommand& DatatblInt::prepared(Procedure procedure) {
    return m_procedures.prepared(static_cast<size_t>(procedure));
}

void DatatblInt::SeekDateVarId(const QDateTime& day, qint32 varId, double& value, QString& textValue,
                               QString* auditUser, QDateTime* auditTimeStamp, qint32* forced,
                               qint32* status) {
    DbCommand& seek = prepared(Procedure::Seek);
    seek.Parameter(VarId2).setValue(varId);
    seek.Parameter(DateStamp1).setValue(day);
    // A call that returns no outputs must not leave the previous seek's answer behind.
    for (int output = CurValue3; output <= Status; ++output)
        seek.Parameter(output).setValue(QVariant());
    seek.Execute();

    if (forced)
        *forced = 0;
    if (DbValue::isNull(seek.Parameter(VarId5).Value())) {
        m_noMatch = true;
        return;
    }
    m_noMatch = false;
    value = ValueConversions::toDouble(seek.Parameter(CurValue3).Value());
    const QVariant& text = seek.Parameter(TextValue4).Value();
    textValue = DbValue::isNull(text) ? QString() : DbValue::textOf(text).trimmed();
    if (auditUser)
        *auditUser = DbValue::textOf(seek.Parameter(AuditUser).Value()).trimmed();
    if (auditTimeStamp) {
        const QVariant& stamp = seek.Parameter(AuditTimeStamp).Value();
        *auditTimeStamp = DbValue::isNull(stamp) ? DateText::ZeroDate() : DbValue::dateOf(stamp);
    }
    if (forced)
        *forced = ValueConversions::toLong(seek.Parameter(Forced).Value());
    if (status)
        *status = ValueConversions::toLong(seek.Parameter(Status).Value());
}

void DatatblInt::WriteData(const QDateTime& day, qint32 varId, double value, const QString& textValue,
                           qint32 status) {
    DbCommand& write = prepared(Procedure::Write);
    write.Parameter(0).setValue(day);
    write.Parameter(1).setValue(varId);
    write.Parameter(2).setValue(value);
    write.Parameter(3).setValue(textParameter(textValue));
    write.Parameter(4).setValue(CurrentAuditUser());
    write.Parameter(5).setValue(status);
    write.Execute();
}

void DatatblInt::deletedtbl(const QDateTime& day, qint32 varId) {
    DbCommand& remove = prepared(Procedure::Delete);
    remove.Parameter(0).setValue(day);
    remove.Parameter(1).setValue(varId);
    remove.Parameter(2).setValue(CurrentAuditUser());
    remove.Execute();
}

void DatatblInt::SetForced(const QDateTime& day, qint32 varId, qint32 forced) {
    DbCommand& setForced = prepared(Procedure::SetForced);
    setForced.Parameter(0).setValue(day);
    setForced.Parameter(1).setValue(varId);
    setForced.Parameter(2).setValue(CurrentAuditUser());
    setForced.Parameter(3).setValue(forced);
    setForced.Execute();
}

void DatatblInt::SetStatus(const QDateTime& day, qint32 varId, qint32 status) {
    double value = 0;
    QString textValue;
    QString auditUser;
    QDateTime auditTimeStamp;
    qint32 forced = 0;
    qint32 storedStatus = 0;
    SeekDateVarId(day, varId, value, textValue, &auditUser, &auditTimeStamp, &forced, &storedStatus);
    if (!m_noMatch && storedStatus != status)
        WriteData(day, varId, value, textValue, status);
}

} // namespace limsbridge
