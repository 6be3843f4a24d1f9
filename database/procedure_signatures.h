#pragma once
// The stored procedures' signatures, written once: name, inputs in binding order (the
// return value "Return", an adInteger, comes before them and is not listed), the
// codes besides 0 that each may return, and whether it hands back rows. The SQLite
// bodies are registered from this table (procedure_registration.h); the PL/pgSQL
// functions and the table in database/README.md are checked against it by
// procedure_signatures_test.cc.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "database/manufacturing_db.h"
#include "platform/ado/types.h"

namespace database {

struct ProcedureParameter {
  std::string_view name;  // as the callers create it
  ado::DataType type;
  int32_t size = 0;       // text parameters: characters
  uint8_t precision = 0;  // decimal parameters
  uint8_t scale = 0;
};

struct ProcedureSignature {
  std::string_view name;
  std::span<const ProcedureParameter> inputs;
  std::span<const int32_t> refusals;  // return values besides kOk, in ascending order
  bool returns_rows = false;
};

namespace signature_detail {

inline constexpr ProcedureParameter kQuantity{"fNetChgQty", ado::adDecimal, 0, 28, 6};
inline constexpr ProcedureParameter kToken{"Krts", ado::adVarChar, 30};
inline constexpr ProcedureParameter kType{"Type", ado::adTinyInt};
constexpr ProcedureParameter FreeItem(std::string_view name) { return {name, ado::adVarWChar, 20}; }

inline constexpr ProcedureParameter kOpTransformInputs[] = {{"iOpMdId", ado::adInteger}, kQuantity, kToken};
inline constexpr int32_t kOpTransformRefusals[] = {kRowChanged};

inline constexpr ProcedureParameter kRoutingInputs[] = {kType, {"MoRoutingDId", ado::adInteger}, kQuantity, kToken};
inline constexpr int32_t kRoutingRefusals[] = {kRowChanged, kFailed, kOrderClosed};

inline constexpr ProcedureParameter kMoQtyInputs[] = {
    kType, {"iMoDId", ado::adInteger}, kQuantity, {"IsChk", ado::adBoolean}, kToken, {"CurDate", ado::adDate}};
inline constexpr int32_t kMoQtyRefusals[] = {kRowChanged,          kFailed,           kOrderClosed,
                                             kReceiptExceedsOrder, kReceiptBelowZero, kNothingToInspect};

inline constexpr ProcedureParameter kAllocateInputs[] = {
    kType, {"MoAllocateId", ado::adInteger}, kQuantity, {"bChk", ado::adBoolean}, kToken};
inline constexpr int32_t kAllocateRefusals[] = {kRowChanged,       kFailed,           kOrderClosed,     kAllocationDeleted,
                                                kIssueExceedsPlan, kReturnExceedsIssued, kNothingToInspect};

inline constexpr ProcedureParameter kBackflushInputs[] = {{"MoDId", ado::adInteger},
                                                          {"Qty", ado::adDecimal, 0, 20, 6}};
inline constexpr int32_t kBackflushRefusals[] = {kRowChanged, kNoBackflushWarehouse};

inline constexpr ProcedureParameter kGenerateInputs[] = {
    {"AccId", ado::adChar, 3},
    {"mocode", ado::adVarWChar, 30},
    {"sodid", ado::adInteger},
    {"cbomid", ado::adInteger},
    {"invcode", ado::adVarWChar, 20},
    FreeItem("Free1"),
    FreeItem("Free2"),
    FreeItem("Free3"),
    FreeItem("Free4"),
    FreeItem("Free5"),
    FreeItem("Free6"),
    FreeItem("Free7"),
    FreeItem("Free8"),
    FreeItem("Free9"),
    FreeItem("Free10"),
    {"qty", ado::adDecimal, 0, 28, 6},
    {"duedate", ado::adDate},
    {"createuser", ado::adVarWChar, 30},
    {"createdate", ado::adDate},
    {"remark", ado::adVarWChar, 255},
    {"SoType", ado::adTinyInt},
    {"from", ado::adVarWChar, 2},
    {"igrouptype", ado::adInteger},
    {"inum", ado::adDecimal, 0, 28, 6},
    {"iinvexchrate", ado::adDecimal, 0, 22, 6},
};
inline constexpr int32_t kGenerateRefusals[] = {kFailed, kNoValidBom, kDuplicateCode};

inline constexpr ProcedureParameter kAtoDemandInputs[] = {
    {"MoDId", ado::adInteger}, {"IsDel", ado::adBoolean}, {"PartId", ado::adInteger}, {"DueDate", ado::adDate},
    {"SoType", ado::adTinyInt}, {"SoDId", ado::adInteger}, {"OrdFlag", ado::adBoolean}};

}  // namespace signature_detail

inline constexpr ProcedureSignature kUpdOpTransformDecQty{"Usp_SF_UpdOpTransformDecQty",
                                                          signature_detail::kOpTransformInputs,
                                                          signature_detail::kOpTransformRefusals};
inline constexpr ProcedureSignature kUpdMRoutingQty{"Usp_SF_UpdMRoutingQty", signature_detail::kRoutingInputs,
                                                    signature_detail::kRoutingRefusals};
inline constexpr ProcedureSignature kUpdMoQty{"Usp_MO_UpdMoQty", signature_detail::kMoQtyInputs,
                                              signature_detail::kMoQtyRefusals};
inline constexpr ProcedureSignature kUpdMoAllocateTxQty{"Usp_MO_UpdMoAllocateTxQty", signature_detail::kAllocateInputs,
                                                        signature_detail::kAllocateRefusals};
inline constexpr ProcedureSignature kGetMoBFAllocate{"Usp_MO_GetMoBFAllocate", signature_detail::kBackflushInputs,
                                                     signature_detail::kBackflushRefusals, true};
inline constexpr ProcedureSignature kGenMoFromSo{"Usp_MO_GenMoFromSo", signature_detail::kGenerateInputs,
                                                 signature_detail::kGenerateRefusals};
inline constexpr ProcedureSignature kGetAtoNetDemand{"Usp_MP_GetATONetDemand", signature_detail::kAtoDemandInputs,
                                                     {}, true};

// Every procedure of the database, in the order of the README's table.
inline constexpr std::array<const ProcedureSignature*, 7> kProcedureSignatures = {
    &kUpdOpTransformDecQty, &kUpdMRoutingQty,  &kUpdMoQty,       &kUpdMoAllocateTxQty,
    &kGetMoBFAllocate,      &kGenMoFromSo,     &kGetAtoNetDemand};

// The signature of `name` (without regard to case), or null.
const ProcedureSignature* FindProcedureSignature(std::string_view name);

// A parameter's type as the original server's procedures declare it: "INT",
// "DECIMAL(28,6)", "VARCHAR(30)", ...
std::string SqlTypeName(const ProcedureParameter& p);
// The type of the PL/pgSQL function's argument, as information_schema.parameters
// names it ("integer", "numeric", "character varying", ...).
std::string PostgresTypeName(const ProcedureParameter& p);

// The README's table of procedures, generated from the signatures (markdown, one line
// per procedure after the header and separator lines, each ending in a newline).
std::string ProcedureTableMarkdown();

}  // namespace database
