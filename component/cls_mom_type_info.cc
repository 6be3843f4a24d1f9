#include "component/cls_mom_type_info.h"

#include <vector>

#include "component/identity.h"

namespace mom {

namespace {

using com::ParamDesc;
using com::VarType;

ParamDesc Ref(const char* name, VarType type, const char* type_name = "") {
  ParamDesc p;
  p.name = name;
  p.type = type;
  p.type_name = type_name;
  return p;
}
ParamDesc Object(const char* name) { return Ref(name, VarType::Dispatch, "Object"); }
ParamDesc Connection(const char* name) { return Ref(name, VarType::Unknown, "Connection"); }
ParamDesc Recordset(const char* name) { return Ref(name, VarType::Unknown, "Recordset"); }
ParamDesc Optional(ParamDesc p, com::Variant default_value) {
  p.optional = true;
  p.default_value = std::move(default_value);
  return p;
}

}  // namespace

const com::TypeInfo& ClsMomTypeInfo() {
  static const com::TypeInfo info = [] {
    com::TypeInfo t;
    t.name = kInterfaceName;
    t.iid = kIid;
    auto add = [&t](const char* name, std::vector<ParamDesc> params, VarType result) {
      com::FuncDesc f;
      f.name = name;
      f.slot = static_cast<int>(t.funcs.size());
      f.id = kFirstDispId + f.slot;
      f.params = std::move(params);
      f.result = result;
      t.funcs.push_back(std::move(f));
    };
    const com::Variant kEmptyText{std::string()};
    const com::Variant kZeroDate{com::Date{0}};

    ParamDesc from = Optional(Ref("cFrom", VarType::String), com::Variant("SA"));
    from.by_ref = false;
    add("PushMoFromSo",
        {Object("ClsLogin"), Ref("MoCode", VarType::String), Recordset("SoRs"), Ref("ErrMsg", VarType::String), from},
        VarType::Bool);
    add("OpMoveQtyWrB",
        {Ref("iOpMdId", VarType::I4), Ref("fNetChgQty", VarType::R8), Ref("cBusType", VarType::String),
         Connection("oConn"), Ref("Krts", VarType::String), Ref("ErrMsg", VarType::String)},
        VarType::Bool);
    add("MoInQtyWrB",
        {Ref("iMoDId", VarType::I4), Ref("fNetChgQty", VarType::R8), Ref("cBusType", VarType::String),
         Connection("oConn"), Ref("Krts", VarType::String), Ref("ErrMsg", VarType::String),
         Optional(Ref("CurDate", VarType::Date), kZeroDate), Optional(Ref("isChk", VarType::Bool), com::Variant(true))},
        VarType::Bool);
    add("MoQtyWrBfromQc",
        {Ref("iCompletedId", VarType::I4), Ref("iMoAllocateId", VarType::I4), Ref("fNetChgQty", VarType::R8),
         Ref("cBusType", VarType::String), Connection("oConn"), Ref("ErrMsg", VarType::String),
         Optional(Ref("isChk", VarType::Bool), com::Variant(false))},
        VarType::Bool);
    add("STPullfromMORM",
        {Object("ClsLogin"), Ref("MoAllocateId", VarType::I4), Ref("PQty", VarType::R8), Ref("CQty", VarType::R8),
         Ref("ErrMsg", VarType::String)},
        VarType::Bool);
    add("STPullfromMORP",
        {Object("ClsLogin"), Ref("MoAllocateId", VarType::I4), Ref("SQty", VarType::R8), Ref("PQty", VarType::R8),
         Ref("ErrMsg", VarType::String)},
        VarType::Bool);
    add("MORMOutQtyWrB",
        {Ref("MoAllocateId", VarType::I4), Ref("fNetChgQty", VarType::R8), Ref("cBusType", VarType::String),
         Ref("bChk", VarType::Bool), Connection("oConn"), Ref("ErrMsg", VarType::String),
         Optional(Ref("Krts", VarType::String), kEmptyText)},
        VarType::Bool);
    add("GetBFRds",
        {Connection("oConn"), Ref("moDId", VarType::I4), Ref("NetChgQty", VarType::R8), Recordset("BillListRs"),
         Ref("bCheck", VarType::Bool), Ref("ErrMsg", VarType::String)},
        VarType::Bool);
    add("MoQtyWrB",
        {Ref("iMoDId", VarType::I4), Ref("bBPFlag", VarType::Bool), Ref("fNetChgQty", VarType::R8),
         Ref("cBusType", VarType::String), Connection("oConn"), Ref("ErrMsg", VarType::String),
         Ref("Krts", VarType::String), Optional(Ref("CurDate", VarType::Date), kZeroDate),
         Optional(Ref("isChk", VarType::Bool), com::Variant(false))},
        VarType::Bool);
    add("MoRoutingWrB",
        {Ref("MoRoutingDId", VarType::I4), Ref("fNetChgQty", VarType::R8), Connection("oConn"),
         Ref("ErrMsg", VarType::String), Optional(Ref("Krts", VarType::String), kEmptyText)},
        VarType::Bool);
    add("EcnApplyChangeRef",
        {Object("ClsLogin"), Ref("EcnType", VarType::I2), Connection("cn"), Ref("ApplyDId", VarType::I4),
         Ref("DocCode", VarType::String), Ref("SortSeq", VarType::I4)},
        VarType::I4);
    return t;
  }();
  return info;
}

}  // namespace mom
