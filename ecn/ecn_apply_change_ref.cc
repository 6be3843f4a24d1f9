#include "ecn/ecn_apply_change_ref.h"

#include <memory>

#include "ecn/ecn_apply_change_ref_dialog.h"
#include "ecn/ecn_apply_change_ref_form.h"
#include "ecn/exchange_dictionary.h"

namespace mom::ecn {

int32_t EcnApplyChangeRef(ObjectRef& ClsLogin, int16_t EcnType, ConnectionRef& cn, int32_t& ApplyDId,
                          std::string& DocCode, int32_t& SortSeq) {
  return EcnApplyChangeRef(ClsLogin, EcnType, cn, ApplyDId, DocCode, SortSeq, &ShowEcnApplyChangeRefDialog);
}

int32_t EcnApplyChangeRef(ObjectRef& ClsLogin, int16_t EcnType, ConnectionRef& cn, int32_t& ApplyDId,
                          std::string& DocCode, int32_t& SortSeq, const ShowModal& show) {
  com::Ptr<ExchangeDictionary> dictionary = com::MakeObject<ExchangeDictionary>();
  dictionary->Add("EcnType", com::Variant(EcnType));
  dictionary->Add("Conn", com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(cn.get()))));
  dictionary->Add("Login", com::Variant(ClsLogin));
  auto form = std::make_unique<frmEcnApplyChangeRef>();  // a new instance for every call
  form->SetData(dictionary);
  show(*form);
  int32_t result = dictionary->Item("ApplyDId").ToI4();
  ApplyDId = dictionary->Item("ApplyDId").ToI4();
  DocCode = dictionary->Item("DocCode").ToString();
  SortSeq = dictionary->Item("SortSeq").ToI4();
  form.reset();
  return result;
}

}  // namespace mom::ecn
