#pragma once
// Registration of the SQLite procedures' bodies from their signatures
// (procedure_signatures.h): the name the callers use and the number of inputs come
// from the one table, not from each body's file.

#include "database/procedure_signatures.h"
#include "platform/ado/procedure_catalog.h"

namespace database {

// Registers `body` with the SQLite provider under the signature's name. A call that
// passes fewer arguments than the signature has inputs fails before the body runs
// (std::runtime_error, the same text as ProcedureArgs raises).
void RegisterProcedureBody(const ProcedureSignature& signature, ado::ProcedureBody body);

}  // namespace database
