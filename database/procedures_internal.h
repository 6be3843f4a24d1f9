#pragma once
// Registration of the stored procedures, one function per file of procedures.

#include <string_view>

#include "platform/ado/sqlite/sqlite_provider.h"

namespace database {

// The provider the procedures are written for.
inline constexpr std::string_view kProvider = ado::sqlite::kProviderName;

void RegisterOrderProcedures();
void RegisterShopFloorProcedures();
void RegisterBackflushProcedures();
void RegisterGenerationProcedures();

}  // namespace database
