#pragma once
// The shapes of the reference dialog's two data sets, "ApplyHead" and "ApplyBody":
// the fields in order, with the type and the size (in characters) each holds. The
// dialog builds its recordsets from them, and EcnApplyServer fits every value it
// hands out to them, so the server and the dialog cannot disagree about a field.

#include <array>
#include <cstdint>

#include "platform/ado/types.h"

namespace suite {

struct ApplyField {
  const char* name;
  ado::DataType type;
  int32_t size = 0;  // text fields only
};

inline constexpr std::array<ApplyField, 26> kApplyHeadFields = {{
    {"ApplyId", ado::adInteger},       {"DocCode", ado::adVarChar, 30},   {"DocDate", ado::adDate},
    {"Grade", ado::adTinyInt},         {"GradeDesc", ado::adVarChar, 60}, {"ReasonDesc", ado::adVarChar, 60},
    {"EmplName", ado::adVarChar, 20},  {"DeptName", ado::adVarChar, 20},  {"PlanAuditDate", ado::adDate},
    {"PlanReleaseDate", ado::adDate},  {"Define1", ado::adVarChar, 20},   {"Define2", ado::adVarChar, 20},
    {"Define3", ado::adVarChar, 20},   {"Define4", ado::adDate},          {"Define5", ado::adInteger},
    {"Define6", ado::adDate},          {"Define7", ado::adDecimal},       {"Define8", ado::adVarChar, 4},
    {"Define9", ado::adVarChar, 8},    {"Define10", ado::adVarChar, 60},  {"Define11", ado::adVarChar, 120},
    {"Define12", ado::adVarChar, 120}, {"Define13", ado::adVarChar, 120}, {"Define14", ado::adVarChar, 120},
    {"Define15", ado::adInteger},      {"Define16", ado::adDecimal},
}};

inline constexpr std::array<ApplyField, 38> kApplyBodyFields = {{
    {"ApplyDId", ado::adInteger},          {"SortSeq", ado::adInteger},
    {"NewFlag", ado::adBoolean},           {"Version", ado::adInteger},
    {"VersionDesc", ado::adVarChar, 60},   {"VersionEffDate", ado::adDate},
    {"IdentCode", ado::adVarChar, 20},     {"IdentDesc", ado::adVarChar, 60},
    {"InvCode", ado::adVarChar, 20},       {"cInvName", ado::adVarChar, 60},
    {"cInvStd", ado::adVarChar, 60},       {"Free1", ado::adVarChar, 20},
    {"Free2", ado::adVarChar, 20},         {"Free3", ado::adVarChar, 20},
    {"Free4", ado::adVarChar, 20},         {"Free5", ado::adVarChar, 20},
    {"Free6", ado::adVarChar, 20},         {"Free7", ado::adVarChar, 20},
    {"Free8", ado::adVarChar, 20},         {"Free9", ado::adVarChar, 20},
    {"Free10", ado::adVarChar, 20},        {"cInvAddCode", ado::adVarChar, 30},
    {"cInvDefine1", ado::adVarChar, 20},   {"cInvDefine2", ado::adVarChar, 20},
    {"cInvDefine3", ado::adVarChar, 20},   {"cInvDefine4", ado::adVarChar, 60},
    {"cInvDefine5", ado::adVarChar, 60},   {"cInvDefine6", ado::adVarChar, 60},
    {"cInvDefine7", ado::adVarChar, 120},  {"cInvDefine8", ado::adVarChar, 120},
    {"cInvDefine9", ado::adVarChar, 120},  {"cInvDefine10", ado::adVarChar, 120},
    {"cInvDefine11", ado::adInteger},      {"cInvDefine12", ado::adInteger},
    {"cInvDefine13", ado::adDecimal},      {"cInvDefine14", ado::adDecimal},
    {"cInvDefine15", ado::adDate},         {"cInvDefine16", ado::adDate},
}};

}  // namespace suite
