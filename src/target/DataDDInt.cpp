#include "target/DataDDInt.h"

#include "target/AuditUser.h"
#include "target/DateText.h"
#include "target/ValueConversions.h"

#include "platform/DbCommand.h"
#include "platform/DbConnection.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"
#include "source/VarTypeFunctions.h"

#include <cmath>

namespace limsbridge {

namespace {

constexpr auto In = DbParameterDirection::Input;
constexpr auto Out = DbParameterDirection::Output;
constexpr auto Date = DbDataType::Date;
constexpr auto Integer = DbDataType::Integer;
constexpr auto Double = DbDataType::Double;
constexpr auto Text = DbDataType::VarChar;
constexpr auto UnicodeText = DbDataType::VarWChar;

struct ParameterDefinition {
    const char* name;
    DbDataType type;
    int size;
    DbParameterDirection direction;
};

struct ProcedureDefinition {
    const char* prefix; // the code goes between prefix and suffix
    const char* suffix;
    const ParameterDefinition* parameters;
    int count;
};

// Parameter positions, named as the procedures name them; each list below is
// in the same order as its enumeration.
namespace WriteValue { enum : int { date, varid, value, textvalue, audituser, slotstarttime, slotendtime, status }; }
namespace SeekValue {
enum : int { datestamp_1, varid_2, curvalue_3, textvalue_4, varid_5, audituser, audittimestamp, datestamp_out,
             slotstarttime, slotendtime, status, forced };
}
namespace SeekNext {
enum : int { varid_in, slotstart_in, slotend_in, topnum_in, varid_out, datestamp_out, curvalue_out, textvalue_out,
             audituser_out, audittimestamp_out, status_out, forced_out };
}
namespace DeleteValue { enum : int { slotstarttime, varid, audituser, slotendtime }; }
namespace SetForced { enum : int { slotstarttime, slotendtime, varid, audituser, forced }; }
namespace SeekComment { enum : int { varid_in, comment_out, audituser, audittimestamp, slotstarttime, slotendtime }; }
namespace WriteComment { enum : int { datestamp_1, varid_2, comment_in, audituser, slotstarttime, slotendtime }; }
namespace DeleteComment { enum : int { slotstarttime, varid_2, slotendtime, audituser }; }

constexpr ParameterDefinition kWriteValue[] = {
    {"date", Date, 0, In},           {"varid", Integer, 0, In},        {"value", Double, 0, In},
    {"textvalue", UnicodeText, 255, In}, {"audituser", Text, 50, In},  {"slotstarttime", Date, 0, In},
    {"slotendtime", Date, 0, In},    {"status", Integer, 0, In},
};
constexpr ParameterDefinition kSeekValue[] = {
    {"datestamp_1", Date, 0, In},    {"varid_2", Integer, 0, In},       {"curvalue_3", Double, 0, Out},
    {"textvalue_4", UnicodeText, 255, Out}, {"varid_5", Integer, 0, Out}, {"audituser", Text, 50, Out},
    {"audittimestamp", Date, 0, Out}, {"datestamp_out", Date, 0, Out},  {"slotstarttime", Date, 0, In},
    {"slotendtime", Date, 0, In},    {"status", Integer, 0, Out},       {"forced", Integer, 0, Out},
};
constexpr ParameterDefinition kSeekNext[] = {
    {"varid_in", Integer, 0, In},    {"slotstart_in", Date, 0, In},     {"slotend_in", Date, 0, In},
    {"topnum_in", Integer, 0, In},   {"varid_out", Integer, 0, Out},    {"datestamp_out", Date, 0, Out},
    {"curvalue_out", Double, 0, Out}, {"textvalue_out", UnicodeText, 255, Out}, {"audituser_out", Text, 50, Out},
    {"audittimestamp_out", Date, 0, Out}, {"status_out", Integer, 0, Out}, {"forced_out", Integer, 0, Out},
};
constexpr ParameterDefinition kDeleteValue[] = {
    {"slotstarttime", Date, 0, In}, {"varid", Integer, 0, In}, {"audituser", Text, 50, In}, {"slotendtime", Date, 0, In},
};
constexpr ParameterDefinition kSetForced[] = {
    {"slotstarttime", Date, 0, In}, {"slotendtime", Date, 0, In}, {"varid", Integer, 0, In},
    {"audituser", Text, 50, In},    {"forced", Integer, 0, In},
};
constexpr ParameterDefinition kSeekComment[] = {
    {"varid_in", Integer, 0, In},   {"comment_out", UnicodeText, 2000, Out}, {"audituser", Text, 50, Out},
    {"audittimestamp", Date, 0, Out}, {"slotstarttime", Date, 0, In},      {"slotendtime", Date, 0, In},
};
constexpr ParameterDefinition kWriteComment[] = {
    {"datestamp_1", Date, 0, In},   {"varid_2", Integer, 0, In},   {"comment_in", UnicodeText, 2000, In},
    {"audituser", Text, 50, In},    {"slotstarttime", Date, 0, In}, {"slotendtime", Date, 0, In},
};
constexpr ParameterDefinition kDeleteComment[] = {
    {"slotstarttime", Date, 0, In}, {"varid_2", Integer, 0, In}, {"slotendtime", Date, 0, In}, {"audituser", Text, 50, In},
};

template <std::size_t N>
constexpr ProcedureDefinition procedure(const char* prefix, const char* suffix, const ParameterDefinition (&parameters)[N])
{
    return {prefix, suffix, parameters, int(N)};
}

// Indexed by DataDDProcedure.
constexpr ProcedureDefinition kProcedures[] = {
    procedure("WRITEDD", "", kWriteValue),      procedure("SEEKFDD", "", kSeekValue),
    procedure("SEEKNEXTDD", "", kSeekNext),     procedure("DELETEDD", "", kDeleteValue),
    procedure("SETFDD", "", kSetForced),        procedure("SEEKDD", "_C", kSeekComment),
    procedure("WRITEDD", "_C", kWriteComment),  procedure("DELETEDD", "_C", kDeleteComment),
};

struct Frequency {
    qint32 intervalsPerDay;
    char code;
    qint32 minutesPerInterval;
    // A type code of that frequency, for the slot rules of the variable types.
    const char* typeCode;
};

constexpr Frequency kFrequencies[] = {
    {6, '4', 240, "4"}, {24, 'H', 60, "H"}, {48, '3', 30, "3"}, {96, 'F', 15, "F"}, {288, '5', 5, "5"}, {1440, '1', 1, "1"},
};

const Frequency* frequencyOf(qint32 intervalsPerDay)
{
    for (const Frequency& frequency : kFrequencies)
        if (frequency.intervalsPerDay == intervalsPerDay)
            return &frequency;
    return nullptr;
}

// One-second slots have no frequency code of their own (they are kept under
// "H" with slots of zero minutes), but their slot start is the second itself.
constexpr qint32 kSecondIntervals = 86400;

// Wall-clock arithmetic: the fields move by the seconds whatever daylight
// change the process's own zone has in between.
QDateTime addWallClockSeconds(const QDateTime& t, qint64 seconds)
{
    const QDateTime shifted = QDateTime(t.date(), t.time(), Qt::UTC).addSecs(seconds);
    return QDateTime(shifted.date(), shifted.time());
}

// Blanks cut from both ends; other white space is part of the text.
QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

QString trimmedText(const QVariant& value)
{
    return DbValue::isNull(value) ? QString() : trimBlanks(DbValue::textOf(value));
}

QDateTime dateOrZero(const QVariant& value)
{
    return DbValue::isNull(value) ? DateText::ZeroDate() : DbValue::dateOf(value);
}

} // namespace

DataDDInt::DataDDInt() = default;
DataDDInt::~DataDDInt() = default;

void DataDDInt::ConnectTo(DbConnection& connection, qint32 intervalsPerDay)
{
    // The commands hold nothing but names and types, so a repeated call for the
    // same connection and frequency keeps them instead of building them again.
    const bool sameConnection = m_connection == &connection && !m_connectionAlive.expired() &&
                                m_connectionAlive.lock() == connection.lifeToken().lock();
    const bool rebuild = !sameConnection || intervalsPerDay != m_intervalsPerDay || !m_commands[0];
    m_connection = &connection;
    m_connectionAlive = connection.lifeToken();
    m_intervalsPerDay = intervalsPerDay;
    SetFrequencyCode();
    if (rebuild)
        buildCommands(connection);
}

void DataDDInt::SetFrequencyCode()
{
    if (const Frequency* frequency = frequencyOf(m_intervalsPerDay)) {
        m_frequencyCode = QString(QChar(frequency->code));
        m_minutesPerInterval = frequency->minutesPerInterval;
        return;
    }
    m_frequencyCode = QStringLiteral("H");
    // Rounded to the nearest whole number, halves to even; no slot length for
    // a count of zero or below.
    m_minutesPerInterval = m_intervalsPerDay > 0 ? qint32(std::nearbyint(1440.0 / m_intervalsPerDay)) : 0;
}

void DataDDInt::buildCommands(DbConnection& connection)
{
    for (std::size_t index = 0; index < m_commands.size(); ++index) {
        const ProcedureDefinition& definition = kProcedures[index];
        auto command = std::make_unique<DbCommand>(
            connection, QLatin1String(definition.prefix) + m_frequencyCode + QLatin1String(definition.suffix));
        for (int position = 0; position < definition.count; ++position) {
            const ParameterDefinition& parameter = definition.parameters[position];
            command->Append(QLatin1String(parameter.name), parameter.type, parameter.direction, parameter.size);
        }
        m_commands[index] = std::move(command);
    }
}

DbCommand& DataDDInt::prepared(DataDDProcedure procedure)
{
    const std::unique_ptr<DbCommand>& command = m_commands[std::size_t(procedure)];
    if (!command)
        throw RaisedError(91, QStringLiteral("Object variable or With block variable not set"));
    return *command;
}

DbCommand& DataDDInt::command(DataDDProcedure procedure)
{
    return prepared(procedure);
}

QDateTime DataDDInt::slotEnd(const QDateTime& slotStart) const
{
    return addWallClockSeconds(slotStart, qint64(m_minutesPerInterval) * 60);
}

void DataDDInt::DeleteComment(const QDateTime& slotStart, qint32 varId)
{
    DbCommand& command = prepared(DataDDProcedure::DeleteComment);
    command.Parameter(DeleteComment::slotstarttime).setValue(slotStart);
    command.Parameter(DeleteComment::varid_2).setValue(varId);
    command.Parameter(DeleteComment::slotendtime).setValue(slotEnd(slotStart));
    command.Parameter(DeleteComment::audituser).setValue(CurrentAuditUser());
    command.Execute();
}

void DataDDInt::WriteComment(const QDateTime& slotStart, const QDateTime& dateStamp, qint32 varId,
                             const QString& comment)
{
    DbCommand& command = prepared(DataDDProcedure::WriteComment);
    command.Parameter(WriteComment::datestamp_1).setValue(dateStamp);
    command.Parameter(WriteComment::varid_2).setValue(varId);
    command.Parameter(WriteComment::comment_in).setValue(comment);
    command.Parameter(WriteComment::audituser).setValue(CurrentAuditUser());
    command.Parameter(WriteComment::slotstarttime).setValue(slotStart);
    command.Parameter(WriteComment::slotendtime).setValue(slotEnd(slotStart));
    command.Execute();
}

void DataDDInt::SeekComment(const QDateTime& slotStart, qint32 varId, QString& comment, QString* auditUser,
                            QDateTime* auditTimeStamp)
{
    DbCommand& command = prepared(DataDDProcedure::SeekComment);
    command.Parameter(SeekComment::varid_in).setValue(varId);
    command.Parameter(SeekComment::slotstarttime).setValue(slotStart);
    command.Parameter(SeekComment::slotendtime).setValue(slotEnd(slotStart));
    command.Execute();

    const QVariant& found = command.Parameter(SeekComment::comment_out).Value();
    const QString text = DbValue::textOf(found);
    if (DbValue::isNull(found) || text.isEmpty()) {
        m_noMatch = true;
        return;
    }
    m_noMatch = false;
    comment = text;
    if (auditUser)
        *auditUser = DbValue::textOf(command.Parameter(SeekComment::audituser).Value());
    if (auditTimeStamp)
        *auditTimeStamp = dateOrZero(command.Parameter(SeekComment::audittimestamp).Value());
}

void DataDDInt::SeekData(const QDateTime& slotStart, qint32 varId, QDateTime& dateStamp, double& value,
                         QString& textValue, QString* auditUser, QDateTime* auditTimeStamp, qint32* status,
                         qint32* forced)
{
    DbCommand& command = prepared(DataDDProcedure::SeekValue);
    command.Parameter(SeekValue::varid_2).setValue(varId);
    command.Parameter(SeekValue::datestamp_1).setValue(slotStart);
    command.Parameter(SeekValue::slotstarttime).setValue(slotStart);
    command.Parameter(SeekValue::slotendtime).setValue(slotEnd(slotStart));
    command.Execute();

    if (DbValue::isNull(command.Parameter(SeekValue::varid_5).Value())) {
        m_noMatch = true;
        return;
    }
    m_noMatch = false;
    // A stored row without a value is an error of the caller's write, not an empty value.
    value = ValueConversions::toDouble(command.Parameter(SeekValue::curvalue_3).Value());
    dateStamp = DbValue::dateOf(command.Parameter(SeekValue::datestamp_out).Value());
    textValue = trimmedText(command.Parameter(SeekValue::textvalue_4).Value());
    if (auditUser)
        *auditUser = trimmedText(command.Parameter(SeekValue::audituser).Value());
    if (auditTimeStamp)
        *auditTimeStamp = dateOrZero(command.Parameter(SeekValue::audittimestamp).Value());
    if (status)
        *status = ValueConversions::toLong(command.Parameter(SeekValue::status).Value());
    if (forced)
        *forced = ValueConversions::toLong(command.Parameter(SeekValue::forced).Value());
}

void DataDDInt::DeleteData(const QDateTime& slotStart, qint32 varId)
{
    DbCommand& command = prepared(DataDDProcedure::DeleteValue);
    command.Parameter(DeleteValue::slotstarttime).setValue(slotStart);
    command.Parameter(DeleteValue::varid).setValue(varId);
    command.Parameter(DeleteValue::audituser).setValue(CurrentAuditUser());
    command.Parameter(DeleteValue::slotendtime).setValue(slotEnd(slotStart));
    command.Execute();
}

void DataDDInt::WriteData(const QDateTime& slotStart, const QDateTime& dateStamp, qint32 varId, double value,
                          const QString& textValue, qint32 status)
{
    DbCommand& command = prepared(DataDDProcedure::WriteValue);
    command.Parameter(WriteValue::date).setValue(dateStamp);
    command.Parameter(WriteValue::varid).setValue(varId);
    command.Parameter(WriteValue::value).setValue(value);
    command.Parameter(WriteValue::textvalue).setValue(textValue);
    command.Parameter(WriteValue::audituser).setValue(CurrentAuditUser());
    command.Parameter(WriteValue::slotstarttime).setValue(slotStart);
    command.Parameter(WriteValue::slotendtime).setValue(slotEnd(slotStart));
    command.Parameter(WriteValue::status).setValue(status);
    command.Execute();
}

void DataDDInt::SetStatus(const QDateTime& timeStamp, qint32 varId, qint32 status)
{
    try {
        const QDateTime slotStart = GetSlotStartDateTime(timeStamp);
        QDateTime storedDate;
        double storedValue = 0;
        QString storedText;
        QString storedUser;
        QDateTime storedAuditTime;
        qint32 storedStatus = 0;
        qint32 storedForced = 0;
        SeekData(slotStart, varId, storedDate, storedValue, storedText, &storedUser, &storedAuditTime, &storedStatus,
                 &storedForced);
        if (!m_noMatch && storedStatus != status)
            WriteData(slotStart, storedDate, varId, storedValue, storedText, status);
    } catch (...) {
        // A status change is best effort: the value itself is already stored.
    }
}

void DataDDInt::SetForced(const QDateTime& timeStamp, qint32 varId, qint32 forced)
{
    DbCommand& command = prepared(DataDDProcedure::SetForced);
    const QDateTime slotStart = GetSlotStartDateTime(timeStamp);
    command.Parameter(SetForced::slotstarttime).setValue(slotStart);
    command.Parameter(SetForced::slotendtime).setValue(slotEnd(slotStart));
    command.Parameter(SetForced::varid).setValue(varId);
    command.Parameter(SetForced::audituser).setValue(CurrentAuditUser());
    command.Parameter(SetForced::forced).setValue(forced);
    command.Execute();
}

// The slot rules are those of the variable types; a count of intervals that
// belongs to no frequency starts its slot at midnight. Times are exact here
// (not day fractions), so no time just before midnight can be mistaken for the
// next day and the slot start is the one the writer computed for the value.
QDateTime DataDDInt::GetSlotStartDateTime(const QDateTime& timeStamp) const
{
    if (!timeStamp.isValid())
        throw RaisedError(13, QStringLiteral("Type mismatch"));
    if (const Frequency* frequency = frequencyOf(m_intervalsPerDay))
        return VarTypeFunctions::SlotStart(timeStamp, QLatin1String(frequency->typeCode));
    if (m_intervalsPerDay == kSecondIntervals)
        return VarTypeFunctions::SlotStart(timeStamp, QStringLiteral("9"));
    return QDateTime(timeStamp.date(), QTime(0, 0));
}

void DataDDInt::SeekNext(const QDateTime& slotStart, const QDateTime& slotEnd, qint32 varId, QDateTime& date,
                         double& value, QString& textValue, qint32 nthRecord, QString* auditUser,
                         QDateTime* auditTimeStamp, qint32* status, qint32* forced)
{
    DbCommand& command = prepared(DataDDProcedure::SeekNext);
    command.Parameter(SeekNext::varid_in).setValue(varId);
    command.Parameter(SeekNext::slotstart_in).setValue(slotStart);
    command.Parameter(SeekNext::slotend_in).setValue(slotEnd);
    command.Parameter(SeekNext::topnum_in).setValue(nthRecord < 1 ? 1 : nthRecord);
    command.Execute();

    if (DbValue::isNull(command.Parameter(SeekNext::varid_out).Value())) {
        m_noMatch = true;
        return;
    }
    m_noMatch = false;
    value = ValueConversions::toDouble(command.Parameter(SeekNext::curvalue_out).Value());
    date = DbValue::dateOf(command.Parameter(SeekNext::datestamp_out).Value());
    textValue = trimmedText(command.Parameter(SeekNext::textvalue_out).Value());
    if (auditUser)
        *auditUser = trimmedText(command.Parameter(SeekNext::audituser_out).Value());
    if (auditTimeStamp)
        *auditTimeStamp = dateOrZero(command.Parameter(SeekNext::audittimestamp_out).Value());
    if (status)
        *status = ValueConversions::toLong(command.Parameter(SeekNext::status_out).Value());
    if (forced)
        *forced = ValueConversions::toLong(command.Parameter(SeekNext::forced_out).Value());
}

} // namespace limsbridge
