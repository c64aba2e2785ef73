#include "ProcedureCommand.h"

#include "platform/DbCommand.h"
#include "platform/RaisedError.h"

namespace limsbridge {

std::unique_ptr<DbCommand> PrepareProcedure(DbConnection& connection, const ProcedureSignature& signature) {
    auto command = std::make_unique<DbCommand>(connection, QString::fromLatin1(signature.procedure));
    for (const ProcedureParameter& parameter : signature.parameters)
        command->Append(QString::fromLatin1(parameter.name), parameter.type, parameter.direction,
                        parameter.size);
    return command;
}

PreparedProcedures::PreparedProcedures(std::span<const ProcedureSignature> signatures)
    : m_signatures(signatures), m_commands(signatures.size())
{
}

PreparedProcedures::~PreparedProcedures() = default;

void PreparedProcedures::Connect(DbConnection& connection)
{
    m_connection = &connection;
    for (auto& command : m_commands)
        command.reset();
}

DbCommand& PreparedProcedures::prepared(std::size_t index)
{
    if (!m_commands[index]) {
        if (!m_connection)
            throw RaisedError(91, QStringLiteral("Object variable or With block variable not set"));
        m_commands[index] = PrepareProcedure(*m_connection, m_signatures[index]);
    }
    return *m_commands[index];
}

} // namespace limsbridge
