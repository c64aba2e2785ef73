#include "platform/DbCommand.h"

#include "platform/DbConnection.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include <cmath>
#include <limits>

namespace limsbridge {

namespace {

QMetaType metaTypeFor(DbDataType type) {
    switch (type) {
    case DbDataType::Integer:
        return QMetaType(QMetaType::Int);
    case DbDataType::Double:
        return QMetaType(QMetaType::Double);
    case DbDataType::Date:
        return QMetaType(QMetaType::QDateTime);
    case DbDataType::VarChar:
    case DbDataType::VarWChar:
        return QMetaType(QMetaType::QString);
    }
    return {};
}

// An output value in the parameter's own type where the driver handed over
// another form (dates as text, for instance); nulls stay null.
QVariant outputValue(const DbParameter& parameter, const QVariant& value) {
    if (DbValue::isNull(value))
        return {};
    if (parameter.Type() == DbDataType::Date && DbValue::isDate(value))
        return DbValue::dateOf(value);
    return value;
}

} // namespace

DbCommand::DbCommand(DbConnection& connection, const QString& procedureName) : m_procedure(procedureName) {
    setActiveConnection(connection);
}

void DbCommand::setActiveConnection(DbConnection& connection) {
    m_connection = &connection;
    m_connectionAlive = connection.lifeToken();
}

DbParameter& DbCommand::Append(const QString& name, DbDataType type, DbParameterDirection direction, int size,
                               const QVariant& value) {
    return m_parameters.emplace_back(name, type, direction, size, value);
}

DbParameter& DbCommand::Parameter(int index) {
    if (index < 0 || index >= ParameterCount())
        fail(DbError::ItemNotFound, QStringLiteral("The command has no parameter at position %1").arg(index));
    return m_parameters[size_t(index)];
}

DbParameter& DbCommand::Parameter(const QString& name) {
    for (DbParameter& parameter : m_parameters)
        if (parameter.Name().compare(name, Qt::CaseInsensitive) == 0)
            return parameter;
    fail(DbError::ItemNotFound, "The command " + m_procedure + " has no parameter named '" + name + "'");
}

void DbCommand::fail(long number, const QString& description) {
    if (!m_connectionAlive.expired())
        m_connection->raise({number, description, {}, {}});
    throw RaisedError(number, description);
}

DbConnection& DbCommand::liveConnection() {
    if (m_connectionAlive.expired())
        throw RaisedError(DbError::ConnectionClosed, "The command has no connection, or its connection no longer exists");
    m_connection->checkOpen();
    return *m_connection;
}

// The input value converted to the parameter's type, as the provider would
// convert it before the call; a value that does not convert, or a text longer
// than the parameter's size, is refused.
QVariant DbCommand::checkedInput(const DbParameter& parameter) {
    const QVariant& value = parameter.Value();
    if (DbValue::isNull(value))
        return {};
    const auto refuse = [&](const QString& why) {
        fail(DbError::InvalidArgument, "Parameter '" + parameter.Name() + "' of " + m_procedure + ": " + why);
    };
    switch (parameter.Type()) {
    case DbDataType::Integer: {
        bool valid = false;
        double number = value.toDouble(&valid);
        if (!valid)
            refuse("'" + DbValue::textOf(value) + "' is not a number");
        number = std::nearbyint(number); // halves to even, as the provider rounds
        if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
            refuse("'" + DbValue::textOf(value) + "' is outside the range of a 32-bit integer");
        return QVariant(int(number));
    }
    case DbDataType::Double: {
        bool valid = false;
        const double number = value.toDouble(&valid);
        if (!valid)
            refuse("'" + DbValue::textOf(value) + "' is not a number");
        return QVariant(number);
    }
    case DbDataType::Date: {
        const QDateTime date = DbValue::dateOf(value);
        if (!date.isValid())
            refuse("'" + DbValue::textOf(value) + "' is not a date");
        return QVariant(date);
    }
    case DbDataType::VarChar:
    case DbDataType::VarWChar: {
        const QString text = DbValue::textOf(value);
        if (parameter.Size() > 0 && text.size() > parameter.Size())
            refuse(QStringLiteral("the text is %1 characters long, more than the %2 the parameter holds")
                       .arg(text.size())
                       .arg(parameter.Size()));
        return QVariant(text);
    }
    }
    return value;
}

void DbCommand::Execute() {
    DbConnection& connection = liveConnection();
    connection.clearErrors();
    switch (connection.driverKind()) {
    case DbDriverKind::PostgreSql:
        executePostgreSql(connection);
        break;
    case DbDriverKind::Odbc:
        executeOdbc(connection);
        break;
    default:
        fail(DbError::NotSupported, "Stored procedures are not available on this connection's database");
    }
}

// The inputs are written into the statement as literals (quotes doubled, numbers
// in the C locale, date-times as wall-clock text) and left untyped so that the
// server fits them to the procedure's own parameter types.
void DbCommand::executePostgreSql(DbConnection& connection) {
    QStringList arguments;
    for (const DbParameter& parameter : m_parameters) {
        if (parameter.Direction() == DbParameterDirection::ReturnValue)
            continue;
        const QVariant input = parameter.Direction() == DbParameterDirection::Output ? QVariant()
                                                                                      : checkedInput(parameter);
        if (!input.isValid()) {
            arguments << QStringLiteral("NULL");
            continue;
        }
        switch (parameter.Type()) {
        case DbDataType::Integer:
            arguments << QString::number(input.toInt());
            break;
        case DbDataType::Double:
            arguments << DbValue::doubleLiteral(input.toDouble());
            break;
        case DbDataType::Date:
            arguments << DbValue::quoteDateTime(input.toDateTime());
            break;
        case DbDataType::VarChar:
        case DbDataType::VarWChar:
            arguments << DbValue::quoteText(input.toString());
            break;
        }
    }
    m_lastStatement = "CALL " + m_procedure + "(" + arguments.join(", ") + ")";

    QSqlQuery query = connection.newQuery();
    if (!query.exec(m_lastStatement))
        connection.raise(DbError::fromSqlError(connection.driverKind(), query.lastError()));
    if (!query.next())
        return;
    const QSqlRecord record = query.record();
    int outputOrdinal = 0;
    for (DbParameter& parameter : m_parameters) {
        if (!parameter.isOutput())
            continue;
        int column = record.indexOf(parameter.Name());
        if (column < 0) {
            for (int candidate = 0; candidate < record.count(); ++candidate)
                if (record.fieldName(candidate).compare(parameter.Name(), Qt::CaseInsensitive) == 0) {
                    column = candidate;
                    break;
                }
        }
        if (column < 0 && outputOrdinal < record.count())
            column = outputOrdinal;
        ++outputOrdinal;
        if (column >= 0)
            parameter.setValue(outputValue(parameter, query.value(column)));
    }
}

void DbCommand::executeOdbc(DbConnection& connection) {
    QStringList markers;
    bool returnsValue = false;
    for (const DbParameter& parameter : m_parameters) {
        if (parameter.Direction() == DbParameterDirection::ReturnValue)
            returnsValue = true;
        else
            markers << QStringLiteral("?");
    }
    m_lastStatement = QStringLiteral("{") + (returnsValue ? "? = " : "") + "CALL " + m_procedure + "(" +
                      markers.join(",") + ")}";

    QSqlQuery query(QSqlDatabase::database(connection.connectionName(), false));
    query.setForwardOnly(true);
    if (!query.prepare(m_lastStatement))
        connection.raise(DbError::fromSqlError(connection.driverKind(), query.lastError()));
    // The driver sizes its output buffers from the placeholder values.
    const auto placeholder = [](const DbParameter& parameter) {
        if (parameter.Type() == DbDataType::VarChar || parameter.Type() == DbDataType::VarWChar)
            return QVariant(QString(parameter.Size() > 0 ? parameter.Size() : 4000, QChar(' ')));
        return QVariant(metaTypeFor(parameter.Type()));
    };
    std::vector<std::pair<int, DbParameter*>> outputs;
    int position = 0;
    if (returnsValue) {
        for (DbParameter& parameter : m_parameters) {
            if (parameter.Direction() == DbParameterDirection::ReturnValue) {
                query.bindValue(position, placeholder(parameter), QSql::Out);
                outputs.emplace_back(position, &parameter);
                ++position;
                break;
            }
        }
    }
    for (DbParameter& parameter : m_parameters) {
        switch (parameter.Direction()) {
        case DbParameterDirection::ReturnValue:
            continue;
        case DbParameterDirection::Input: {
            const QVariant input = checkedInput(parameter);
            query.bindValue(position, input.isValid() ? input : QVariant(metaTypeFor(parameter.Type())), QSql::In);
            break;
        }
        case DbParameterDirection::Output:
            query.bindValue(position, placeholder(parameter), QSql::Out);
            outputs.emplace_back(position, &parameter);
            break;
        case DbParameterDirection::InputOutput: {
            const QVariant input = checkedInput(parameter);
            query.bindValue(position, input.isValid() ? input : placeholder(parameter), QSql::InOut);
            outputs.emplace_back(position, &parameter);
            break;
        }
        }
        ++position;
    }
    if (!query.exec())
        connection.raise(DbError::fromSqlError(connection.driverKind(), query.lastError()));
    for (auto& [index, parameter] : outputs)
        parameter->setValue(outputValue(*parameter, query.boundValue(index)));
}

} // namespace limsbridge
