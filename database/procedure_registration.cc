#include "database/procedure_registration.h"

#include <utility>

#include "database/procedure_support.h"
#include "database/procedures_internal.h"

namespace database {

void RegisterProcedureBody(const ProcedureSignature& signature, ado::ProcedureBody body) {
  const std::string_view name = signature.name;
  const size_t inputs = signature.inputs.size();
  ado::RegisterProcedure(kProvider, name,
                         [name, inputs, body = std::move(body)](ado::ProcedureContext& db,
                                                                std::span<const com::Variant> args) {
                           CheckArgumentCount(name, args, inputs);
                           return body(db, args);
                         });
}

}  // namespace database
