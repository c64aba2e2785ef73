#include "ProcedureCommand.h"

#include "platform/DbCommand.h"

namespace limsbridge {

std::unique_ptr<DbCommand> PrepareProcedure(DbConnection& connection, const ProcedureSignature& signature) {
    auto command = std::make_unique<DbCommand>(connection, QString::fromLatin1(signature.procedure));
    for (const ProcedureParameter& parameter : signature.parameters)
        command->Append(QString::fromLatin1(parameter.name), parameter.type, parameter.direction,
                        parameter.size);
    return command;
}

} // namespace limsbridge
