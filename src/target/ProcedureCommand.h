// Stored-procedure commands described by a constant table of parameters, so
// that a class can keep its procedures' signatures as data and prepare each
// command in one call.
#pragma once

#include "platform/DbParameter.h"

#include <memory>
#include <span>
#include <vector>

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

//! The commands of a fixed set of procedures on one connection. Each command is
//! prepared when it is first used: most users seek and write, few delete.
class PreparedProcedures {
public:
    explicit PreparedProcedures(std::span<const ProcedureSignature> signatures);
    ~PreparedProcedures();

    //! Works on the connection from now on (it must outlive this object);
    //! commands prepared for another connection are dropped.
    void Connect(DbConnection& connection);
    //! The command of the signature at the index; raises error 91 before Connect.
    DbCommand& prepared(std::size_t index);

private:
    std::span<const ProcedureSignature> m_signatures;
    DbConnection* m_connection = nullptr;
    std::vector<std::unique_ptr<DbCommand>> m_commands;
};

} // namespace limsbridge
