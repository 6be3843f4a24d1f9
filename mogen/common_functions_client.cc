#include "mogen/common_functions_client.h"

#include "platform/com/creation.h"
#include "platform/com/late_binding.h"

namespace mom::mogen {

namespace {

constexpr com::Guid kClsidCommonFunctions{0xFE69A578, 0xF184, 0x4B1A, {0xA3, 0x67, 0x9D, 0x36, 0xB4, 0x30, 0x0D, 0x50}};
constexpr com::Guid kIidCommonFunctions{0xEAA5C714, 0xB561, 0x497A, {0xBE, 0x7C, 0xDC, 0xEE, 0x16, 0x7F, 0x8F, 0xEB}};
constexpr com::DispId kGetPartId = 0x60020000;
constexpr com::DispId kGetQuantityDigits = 0x60020001;
constexpr com::DispId kGetDocumentCode = 0x60020003;

}  // namespace

com::IDispatch* CommonFunctionsClient::Object() {
  if (!object_) object_ = com::CreateInstance<com::IDispatch>(kClsidCommonFunctions, kIidCommonFunctions);
  return object_.get();
}

int32_t CommonFunctionsClient::GetPartId(const std::string& inv_code, com::Variant& frees) {
  com::Variant args[] = {com::Variant(inv_code), com::Variant::Ref(&frees)};
  return com::CallById(Object(), kGetPartId, args).ToI4();
}

int32_t CommonFunctionsClient::GetQuantityDigits() { return com::CallById(Object(), kGetQuantityDigits, {}).ToI4(); }

std::string CommonFunctionsClient::GetDocumentCode(const std::string& doc_type, const std::string& condition,
                                                   com::Variant& codes, bool flag) {
  com::Variant args[] = {com::Variant(doc_type), com::Variant(condition), com::Variant::Ref(&codes),
                         com::Variant(flag)};
  return com::CallById(Object(), kGetDocumentCode, args).ToString();
}

com::Variant NewCodeArray() {
  com::SafeArray array;
  array.items.resize(1, com::Variant(std::string()));
  return com::Variant(std::move(array));
}

}  // namespace mom::mogen
