// Late binding of clsMOM: a call by name or dispatch id is prepared from the type
// information (defaults, conversions to the declared types), made through the
// interface's own slot, and its by-reference results are handed back.

#include "component/cls_mom.h"
#include "component/cls_mom_type_info.h"
#include "platform/com/automation_object.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"

namespace mom {

namespace {

// Typed copies of the prepared arguments; written back after the call.
struct Args {
  std::span<com::Variant> v;

  int32_t I4(size_t i) const { return v[i].ToI4(); }
  int16_t I2(size_t i) const { return v[i].ToI2(); }
  double R8(size_t i) const { return v[i].ToR8(); }
  std::string Text(size_t i) const { return v[i].ToString(); }
  VariantBool Flag(size_t i) const { return v[i].ToBool() ? kVariantTrue : kVariantFalse; }
  com::Date Date(size_t i) const { return v[i].ToDate(); }
  ObjectRef Object(size_t i) const { return v[i].is_object() ? v[i].ToDispatch() : ObjectRef(); }
  template <class T>
  com::Ptr<T> As(size_t i) const {
    return v[i].is_object() ? v[i].ToObject<T>() : com::Ptr<T>();
  }

  void Put(size_t i, com::Variant value) { v[i] = std::move(value); }
  template <class T>
  void PutObject(size_t i, const com::Ptr<T>& p) {
    v[i] = com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(p.get())));
  }
};

com::Variant Flag(VariantBool b) { return com::Variant(b != 0); }

// A failed status from the interface becomes the late-bound caller's error.
void Check(com::HResult hr) {
  if (com::Succeeded(hr)) return;
  auto info = com::TakeErrorInfo();
  if (info) throw com::Error(info->number, info->description, info->source);
  throw com::Error(com::ErrorNumberFromStatus(hr), com::StandardDescription(com::kErrAutomation));
}

}  // namespace

const com::TypeInfo* ClsMom::GetTypeInfo() { return &ClsMomTypeInfo(); }

com::HResult ClsMom::GetIdOfName(std::string_view name, com::DispId* id) {
  if (!id) return com::E_POINTER;
  const com::FuncDesc* f = ClsMomTypeInfo().Find(name);
  if (!f) return com::DISP_E_UNKNOWNNAME;
  *id = f->id;
  return com::S_OK;
}

com::HResult ClsMom::Invoke(com::DispId id, com::InvokeKind, std::span<com::Variant> args, com::Variant* result,
                            com::ExcepInfo* excep) {
  const com::FuncDesc* func = ClsMomTypeInfo().Find(id);
  if (!func) return com::DISP_E_MEMBERNOTFOUND;
  auto body = [this, func](std::span<com::Variant> locals) -> com::Variant {
    Args a{locals};
    VariantBool flag = kVariantFalse;
    switch (func->slot) {
      case 0: {
        ObjectRef login = a.Object(0);
        std::string mo_code = a.Text(1), err = a.Text(3);
        RecordsetRef rs = a.As<ado::Recordset>(2);
        Check(PushMoFromSo(&login, &mo_code, &rs, &err, a.Text(4), &flag));
        a.Put(1, mo_code);
        a.PutObject(2, rs);
        a.Put(3, err);
        return Flag(flag);
      }
      case 1: {
        int32_t line = a.I4(0);
        double qty = a.R8(1);
        std::string bus = a.Text(2), krts = a.Text(4), err = a.Text(5);
        ConnectionRef conn = a.As<ado::Connection>(3);
        Check(OpMoveQtyWrB(&line, &qty, &bus, &conn, &krts, &err, &flag));
        a.Put(5, err);
        return Flag(flag);
      }
      case 2: {
        int32_t line = a.I4(0);
        double qty = a.R8(1);
        std::string bus = a.Text(2), krts = a.Text(4), err = a.Text(5);
        ConnectionRef conn = a.As<ado::Connection>(3);
        com::Date date = a.Date(6);
        VariantBool check = a.Flag(7);
        Check(MoInQtyWrB(&line, &qty, &bus, &conn, &krts, &err, &date, &check, &flag));
        a.Put(5, err);
        return Flag(flag);
      }
      case 3: {
        int32_t completed = a.I4(0), allocation = a.I4(1);
        double qty = a.R8(2);
        std::string bus = a.Text(3), err = a.Text(5);
        ConnectionRef conn = a.As<ado::Connection>(4);
        VariantBool check = a.Flag(6);
        Check(MoQtyWrBfromQc(&completed, &allocation, &qty, &bus, &conn, &err, &check, &flag));
        a.Put(5, err);
        return Flag(flag);
      }
      case 4:
      case 5: {
        ObjectRef login = a.Object(0);
        int32_t allocation = a.I4(1);
        double in = a.R8(2), out = a.R8(3);
        std::string err = a.Text(4);
        Check(func->slot == 4 ? STPullfromMORM(&login, &allocation, &in, &out, &err, &flag)
                              : STPullfromMORP(&login, &allocation, &in, &out, &err, &flag));
        a.Put(3, out);
        a.Put(4, err);
        return Flag(flag);
      }
      case 6: {
        int32_t allocation = a.I4(0);
        double qty = a.R8(1);
        std::string bus = a.Text(2), err = a.Text(5), krts = a.Text(6);
        VariantBool check = a.Flag(3);
        ConnectionRef conn = a.As<ado::Connection>(4);
        Check(MORMOutQtyWrB(&allocation, &qty, &bus, &check, &conn, &err, &krts, &flag));
        a.Put(5, err);
        return Flag(flag);
      }
      case 7: {
        ConnectionRef conn = a.As<ado::Connection>(0);
        int32_t line = a.I4(1);
        double qty = a.R8(2);
        RecordsetRef bill_list = a.As<ado::Recordset>(3);
        VariantBool check = a.Flag(4);
        std::string err = a.Text(5);
        Check(GetBFRds(&conn, &line, &qty, &bill_list, &check, &err, &flag));
        a.PutObject(3, bill_list);
        a.Put(5, err);
        return Flag(flag);
      }
      case 8: {
        int32_t line = a.I4(0);
        VariantBool by_product = a.Flag(1);
        double qty = a.R8(2);
        std::string bus = a.Text(3), err = a.Text(5), krts = a.Text(6);
        ConnectionRef conn = a.As<ado::Connection>(4);
        com::Date date = a.Date(7);
        VariantBool check = a.Flag(8);
        Check(MoQtyWrB(&line, &by_product, &qty, &bus, &conn, &err, &krts, &date, &check, &flag));
        a.Put(5, err);
        return Flag(flag);
      }
      case 9: {
        int32_t line = a.I4(0);
        double qty = a.R8(1);
        ConnectionRef conn = a.As<ado::Connection>(2);
        std::string err = a.Text(3), krts = a.Text(4);
        Check(MoRoutingWrB(&line, &qty, &conn, &err, &krts, &flag));
        a.Put(3, err);
        return Flag(flag);
      }
      case 10: {
        ObjectRef login = a.Object(0);
        int16_t type = a.I2(1);
        ConnectionRef conn = a.As<ado::Connection>(2);
        int32_t apply_d_id = a.I4(3), sort_seq = a.I4(5), chosen = 0;
        std::string doc_code = a.Text(4);
        Check(EcnApplyChangeRef(&login, &type, &conn, &apply_d_id, &doc_code, &sort_seq, &chosen));
        a.Put(3, apply_d_id);
        a.Put(4, doc_code);
        a.Put(5, sort_seq);
        return com::Variant(chosen);
      }
    }
    com::Raise(com::kErrNoSuchMember);
  };
  return com::InvokeMember(*func, args, result, excep, body);
}

}  // namespace mom
