// Stored-procedure commands described by a constant table of parameters, so
// that a class can keep its procedures' signatures as data and prepare each
// command in one call.
#pragma once

#include "platform/DbParameter.h"

#include <memory>
#include <span>

namespace limsbridge {

class DbCommand;
class DbConnection;

struct ProcedureParameter {
    const char* name;
    DbDataType type;
    DbParameterDirection direction;
    int size; //!< characters of a text parameter, 0 otherwise
};

struct ProcedureSignature {
    const char* procedure;
    std::span<const ProcedureParameter> parameters;
};

//! A command on the connection for the procedure, its parameters appended in
//! the table's order, all without a value.
std::unique_ptr<DbCommand> PrepareProcedure(DbConnection& connection, const ProcedureSignature& signature);

} // namespace limsbridge
