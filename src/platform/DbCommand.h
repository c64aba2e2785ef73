// A stored-procedure command with ordered, named parameters. On PostgreSQL it
// runs as CALL name(…) with the inputs written as literals and NULL in each
// output position (a CALL cannot be prepared there), and the row the call
// returns supplies the outputs; on ODBC it runs as {CALL name(?,…)} with
// output bindings.
#pragma once

#include "platform/DbParameter.h"

#include <QString>

#include <deque>
#include <memory>

namespace limsbridge {

class DbConnection;

class DbCommand {
public:
    DbCommand() = default;
    DbCommand(DbConnection& connection, const QString& procedureName);
    DbCommand(const DbCommand&) = delete;
    DbCommand& operator=(const DbCommand&) = delete;

    void setActiveConnection(DbConnection& connection);
    //! The procedure's name, sent as written.
    const QString& CommandText() const { return m_procedure; }
    void setCommandText(const QString& procedureName) { m_procedure = procedureName; }

    //! Adds a parameter after the others; the reference stays valid for the command's life.
    DbParameter& Append(const QString& name, DbDataType type, DbParameterDirection direction, int size = 0,
                        const QVariant& value = {});
    int ParameterCount() const { return int(m_parameters.size()); }
    //! A parameter by position or by name (ignoring case); raises ItemNotFound when there is none.
    DbParameter& Parameter(int index);
    DbParameter& Parameter(const QString& name);
    QVariant Value(const QString& name) { return Parameter(name).Value(); }
    void setValue(const QString& name, const QVariant& value) { Parameter(name).setValue(value); }

    //! Calls the procedure and stores the outputs in the output parameters.
    //! Raises RaisedError for a bad input value (InvalidArgument) or a failed call.
    void Execute();

    //! The statement the last Execute sent, for log lines.
    const QString& lastStatement() const { return m_lastStatement; }

private:
    DbConnection& liveConnection();
    QVariant checkedInput(const DbParameter& parameter);
    void executePostgreSql(DbConnection& connection);
    void executeOdbc(DbConnection& connection);
    [[noreturn]] void fail(long number, const QString& description);

    DbConnection* m_connection = nullptr;
    std::weak_ptr<void> m_connectionAlive;
    QString m_procedure;
    std::deque<DbParameter> m_parameters;
    QString m_lastStatement;
};

} // namespace limsbridge
