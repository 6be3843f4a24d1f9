#include "ecn/ecn_apply_change_ref.h"

#include <atomic>
#include <memory>

#include "ecn/ecn_apply_change_ref_form.h"
#include "ecn/exchange_dictionary.h"
#include "platform/com/error.h"

namespace mom::ecn {

namespace {

// Set once, as the library with the window loads, before any call.
constinit std::atomic<ShowWindow> installed_window{nullptr};

}  // namespace

void InstallEcnApplyChangeRefWindow(ShowWindow show) { installed_window.store(show); }

int32_t EcnApplyChangeRef(ObjectRef& ClsLogin, int16_t EcnType, ConnectionRef& cn, int32_t& ApplyDId,
                          std::string& DocCode, int32_t& SortSeq) {
  ShowWindow show = installed_window.load();
  if (!show)
    throw com::Error(com::kErrAutomation, "无法显示窗口：本程序构建时没有带窗口（图形界面），对话框无法显示。");
  return EcnApplyChangeRef(ClsLogin, EcnType, cn, ApplyDId, DocCode, SortSeq, ShowModal(show));
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
