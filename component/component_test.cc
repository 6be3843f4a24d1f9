// The component as a caller meets it: identity and registration, the interface and its
// earlier identifier, type information, and the call convention through late binding.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <functional>
#include <stdexcept>
#include <thread>

#include "component/call_convention.h"
#include "component/cls_mom_type_info.h"
#include "component/identity.h"
#include "component/version_resource.h"
#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "platform/com/registry.h"
#include "testing/mom_fixture.h"

namespace {

using testing_support::MomFixture;

TEST(Registration, RecordsTheIdentityAndRemovesItAgain) {
  testing_support::TempDir dir;
  testing_support::ScopedEnv env("MOM_REGISTRY", dir.File("registry.reg"));
  com::RunRegistrationEntry(MOM_COMPONENT_LIBRARY, "DllRegisterServer");
  com::Registry r(dir.File("registry.reg"));
  const std::string clsid = "{A6A1761C-638E-4763-9EF8-B8D1C9B6860C}";
  EXPECT_EQ(r.GetValue("KRZ7DEVUZIda.clsMOM\\CLSID"), clsid);
  EXPECT_EQ(r.GetValue("CLSID\\" + clsid + "\\ProgID"), "KRZ7DEVUZIda.clsMOM");
  EXPECT_EQ(r.GetValue("CLSID\\" + clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(r.GetValue("CLSID\\" + clsid + "\\TypeLib"), "{66E9B38D-5F33-4416-80F8-99AB52A36E07}");
  EXPECT_EQ(r.GetValue("CLSID\\" + clsid + "\\Version"), "3.1");
  EXPECT_EQ(r.GetValue("TypeLib\\{66E9B38D-5F33-4416-80F8-99AB52A36E07}\\3.1"), "KRZ7DEVUZIda");
  for (const char* iid : {"{BA46AE8A-0500-4C1E-81D9-07E243F3B6D3}", "{64D720D0-565E-430A-96A8-8ADC1784240A}"}) {
    EXPECT_EQ(r.GetValue(std::string("Interface\\") + iid), "_clsMOM") << iid;
    EXPECT_EQ(r.GetValue(std::string("Interface\\") + iid + "\\TypeLib", "Version"), "3.1");
  }
  auto path = r.GetValue("CLSID\\" + clsid + "\\InprocServer32");
  ASSERT_TRUE(path);
  EXPECT_NE(path->find("KRZ7DEVUZIda.so"), std::string::npos);

  com::RunRegistrationEntry(MOM_COMPONENT_LIBRARY, "DllUnregisterServer");
  r.Reload();
  for (const std::string& key : {std::string("KRZ7DEVUZIda.clsMOM"), "CLSID\\" + clsid,
                                 std::string("TypeLib\\{66E9B38D-5F33-4416-80F8-99AB52A36E07}"),
                                 std::string("Interface\\{BA46AE8A-0500-4C1E-81D9-07E243F3B6D3}"),
                                 std::string("Interface\\{64D720D0-565E-430A-96A8-8ADC1784240A}")})
    EXPECT_FALSE(r.KeyExists(key)) << key;
}

TEST(Registration, CarriesVersionOneHundred) {
  void* handle = dlopen(MOM_COMPONENT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_TRUE(handle);
  using Fn = const mom::VersionResource* (*)();
  auto fn = reinterpret_cast<Fn>(dlsym(handle, "DllGetVersionResource"));
  ASSERT_TRUE(fn);
  EXPECT_STREQ(fn()->file_version, "1.00");
  EXPECT_STREQ(fn()->product_version, "1.00");
  EXPECT_EQ(fn()->language, 0x0804);
  EXPECT_TRUE(fn()->ole_self_register);
  for (const char* entry : {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject", "DllCanUnloadNow"})
    EXPECT_TRUE(dlsym(handle, entry)) << entry;
}

using ComponentTest = MomFixture;

TEST_F(ComponentTest, AnswersToTheEarlierInterfaceWithTheSameSlots) {
  void* now = nullptr;
  void* earlier = nullptr;
  ASSERT_EQ(mom_->QueryInterface(mom::kIid, &now), com::S_OK);
  ASSERT_EQ(mom_->QueryInterface(mom::kIidEarlier, &earlier), com::S_OK);
  EXPECT_EQ(now, earlier);
  static_cast<com::IUnknown*>(now)->Release();
  static_cast<com::IUnknown*>(earlier)->Release();
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(mom_->QueryInterface(com::Guid{1, 2, 3, {}}, &other), com::E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
}

TEST_F(ComponentTest, TypeInformationListsTheElevenOperationsInSlotOrder) {
  const com::TypeInfo* info = mom_->GetTypeInfo();
  ASSERT_TRUE(info);
  std::string names;
  for (const com::FuncDesc& f : info->funcs) names += f.name + " ";
  EXPECT_EQ(names,
            "PushMoFromSo OpMoveQtyWrB MoInQtyWrB MoQtyWrBfromQc STPullfromMORM STPullfromMORP MORMOutQtyWrB "
            "GetBFRds MoQtyWrB MoRoutingWrB EcnApplyChangeRef ");
  for (const com::FuncDesc& f : info->funcs)
    for (const com::ParamDesc& p : f.params) EXPECT_EQ(p.by_ref, p.name != "cFrom") << f.name << "." << p.name;
  const com::FuncDesc* in = info->Find("moinqtywrb");
  ASSERT_TRUE(in);
  EXPECT_EQ(in->params[7].name, "isChk");
  EXPECT_TRUE(in->params[7].default_value->ToBool());
  EXPECT_FALSE(info->Find("MoQtyWrB")->params[8].default_value->ToBool());
  EXPECT_FALSE(info->Find("MoQtyWrBfromQc")->params[6].default_value->ToBool());
  EXPECT_EQ(info->Find("PushMoFromSo")->params[4].default_value->ToString(), "SA");
}

TEST_F(ComponentTest, ATrappingFailureIsResultFalseWithStatusSuccess) {
  std::string err = "stale text";
  int32_t routing = 3003;
  double qty = 1;
  std::string bad_token = "12345.0000";
  mom::ConnectionRef conn = conn_;
  mom::VariantBool result = mom::kVariantTrue;
  EXPECT_EQ(early_->MoRoutingWrB(&routing, &qty, &conn, &err, &bad_token, &result), com::S_OK);
  EXPECT_EQ(result, mom::kVariantFalse);
  EXPECT_EQ(err, "记录已经被其他人员删除或更新，请刷新后再试");
}

TEST_F(ComponentTest, NotYetAvailableOperationsFailCleanly) {
  // Later work adds these; until then a trapping one says so in ErrMsg, a
  // non-trapping one fails with an error status.
  mom::ObjectRef login;
  int32_t allocation = 5001;
  double in = 1, out = 0;
  std::string err;
  mom::VariantBool result = mom::kVariantTrue;
  EXPECT_EQ(early_->STPullfromMORM(&login, &allocation, &in, &out, &err, &result), com::S_OK);
  EXPECT_EQ(result, mom::kVariantFalse);
  EXPECT_FALSE(err.empty());
  int16_t type = 1;
  mom::ConnectionRef conn = conn_;
  int32_t apply = 9, seq = 9, chosen = 0;
  std::string doc = "x";
  EXPECT_TRUE(com::Failed(early_->EcnApplyChangeRef(&login, &type, &conn, &apply, &doc, &seq, &chosen)));
}

TEST_F(ComponentTest, LateBoundCallsTakeDeclaredDefaultsAndWriteBackByReference) {
  // MoRoutingWrB without Krts sends an empty token, which skips the token check.
  com::Variant id(3003), qty(2), conn(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(conn_.get())));
  com::Variant err("caller's text");
  com::Variant args[] = {com::Variant::Ref(&id), com::Variant::Ref(&qty), conn, com::Variant::Ref(&err)};
  EXPECT_TRUE(com::CallByName(mom_.get(), "morOUTINGwrb", args).ToBool());
  EXPECT_EQ(err.ToString(), "caller's text");  // untouched on success
  EXPECT_EQ(Scalar("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003").ToR8(), 5);

  com::Variant missing_id(999999);
  com::Variant args2[] = {com::Variant::Ref(&missing_id), com::Variant::Ref(&qty), conn, com::Variant::Ref(&err)};
  EXPECT_FALSE(com::CallByName(mom_.get(), "MoRoutingWrB", args2).ToBool());
  EXPECT_EQ(err.ToString(), "记录已经被其他人员删除或更新，请刷新后再试");

  // A value that does not convert to the declared type is the caller's error.
  com::Variant bad("three");
  com::Variant args3[] = {com::Variant::Ref(&bad), com::Variant::Ref(&qty), conn, com::Variant::Ref(&err)};
  try {
    com::CallByName(mom_.get(), "MoRoutingWrB", args3);
    FAIL();
  } catch (const com::Error& e) {
    EXPECT_EQ(e.number(), com::kErrTypeMismatch);
  }
}

// Every argument an operation may take; Null(p, k) passes p unless k is the one left out.
struct Arguments {
  int32_t id = 3003, id2 = 0, out_id = 0;
  int16_t type = 1;
  double qty = 1, out_qty = 0;
  std::string text = "产品入库", text2, err = "unchanged", token;
  mom::ConnectionRef conn;
  mom::ObjectRef login;
  mom::RecordsetRef rs;
  mom::VariantBool flag = 0, result = mom::kVariantTrue;
  int left_out = -1;
  template <class T>
  T* Or(T* p, int k) const {
    return k == left_out ? nullptr : p;
  }
};

TEST_F(ComponentTest, ANullRequiredArgumentIsEPointerAndNothingRuns) {
  // Each operation with the number of its required arguments (the result included),
  // all passed but one; optional ones (Krts, CurDate, isChk) stay given.
  const struct {
    const char* name;
    int required;
    std::function<com::HResult(Arguments&)> call;
  } operations[] = {
      {"PushMoFromSo", 5,
       [&](Arguments& a) {
         return early_->PushMoFromSo(a.Or(&a.login, 0), a.Or(&a.text2, 1), a.Or(&a.rs, 2), a.Or(&a.err, 3), "SA",
                                     a.Or(&a.result, 4));
       }},
      {"OpMoveQtyWrB", 7,
       [&](Arguments& a) {
         return early_->OpMoveQtyWrB(a.Or(&a.id, 0), a.Or(&a.qty, 1), a.Or(&a.text, 2), a.Or(&a.conn, 3),
                                     a.Or(&a.token, 4), a.Or(&a.err, 5), a.Or(&a.result, 6));
       }},
      {"MoInQtyWrB", 7,
       [&](Arguments& a) {
         com::Date date{0};
         return early_->MoInQtyWrB(a.Or(&a.id, 0), a.Or(&a.qty, 1), a.Or(&a.text, 2), a.Or(&a.conn, 3),
                                   a.Or(&a.token, 4), a.Or(&a.err, 5), &date, &a.flag, a.Or(&a.result, 6));
       }},
      {"MoQtyWrBfromQc", 7,
       [&](Arguments& a) {
         return early_->MoQtyWrBfromQc(a.Or(&a.id, 0), a.Or(&a.id2, 1), a.Or(&a.qty, 2), a.Or(&a.text, 3),
                                       a.Or(&a.conn, 4), a.Or(&a.err, 5), &a.flag, a.Or(&a.result, 6));
       }},
      {"STPullfromMORM", 6,
       [&](Arguments& a) {
         return early_->STPullfromMORM(a.Or(&a.login, 0), a.Or(&a.id, 1), a.Or(&a.qty, 2), a.Or(&a.out_qty, 3),
                                       a.Or(&a.err, 4), a.Or(&a.result, 5));
       }},
      {"STPullfromMORP", 6,
       [&](Arguments& a) {
         return early_->STPullfromMORP(a.Or(&a.login, 0), a.Or(&a.id, 1), a.Or(&a.qty, 2), a.Or(&a.out_qty, 3),
                                       a.Or(&a.err, 4), a.Or(&a.result, 5));
       }},
      {"MORMOutQtyWrB", 7,
       [&](Arguments& a) {
         return early_->MORMOutQtyWrB(a.Or(&a.id, 0), a.Or(&a.qty, 1), a.Or(&a.text, 2), a.Or(&a.flag, 3),
                                      a.Or(&a.conn, 4), a.Or(&a.err, 5), &a.token, a.Or(&a.result, 6));
       }},
      {"GetBFRds", 7,
       [&](Arguments& a) {
         return early_->GetBFRds(a.Or(&a.conn, 0), a.Or(&a.id, 1), a.Or(&a.qty, 2), a.Or(&a.rs, 3),
                                 a.Or(&a.flag, 4), a.Or(&a.err, 5), a.Or(&a.result, 6));
       }},
      {"MoQtyWrB", 8,
       [&](Arguments& a) {
         com::Date date{0};
         return early_->MoQtyWrB(a.Or(&a.id, 0), a.Or(&a.flag, 1), a.Or(&a.qty, 2), a.Or(&a.text, 3),
                                 a.Or(&a.conn, 4), a.Or(&a.err, 5), a.Or(&a.token, 6), &date, &a.flag,
                                 a.Or(&a.result, 7));
       }},
      {"MoRoutingWrB", 5,
       [&](Arguments& a) {
         return early_->MoRoutingWrB(a.Or(&a.id, 0), a.Or(&a.qty, 1), a.Or(&a.conn, 2), a.Or(&a.err, 3), &a.token,
                                     a.Or(&a.result, 4));
       }},
      {"EcnApplyChangeRef", 7,
       [&](Arguments& a) {
         return early_->EcnApplyChangeRef(a.Or(&a.login, 0), a.Or(&a.type, 1), a.Or(&a.conn, 2), a.Or(&a.out_id, 3),
                                          a.Or(&a.text2, 4), a.Or(&a.id2, 5), a.Or(&a.id, 6));
       }},
  };
  const std::string before = Scalar("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003").ToString();
  for (const auto& op : operations) {
    for (int k = 0; k < op.required; ++k) {
      SCOPED_TRACE(std::string(op.name) + ", argument " + std::to_string(k + 1) + " null");
      Arguments a;
      a.conn = conn_;
      a.left_out = k;
      EXPECT_EQ(op.call(a), com::E_POINTER);
      EXPECT_EQ(a.err, "unchanged");
      EXPECT_EQ(a.result, mom::kVariantTrue);
    }
  }
  EXPECT_EQ(Scalar("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003").ToString(), before);
}

TEST(CallConvention, TheTrapCatchesWhateverTheStepsThrow) {
  com::ApartmentAffinity apartment;
  const struct {
    const char* name;
    std::function<bool()> body;
    const char* message;
  } cases[] = {
      {"a runtime error", [] () -> bool { throw com::Error(6, "Overflow"); }, "Overflow"},
      {"a standard exception", [] () -> bool { throw std::out_of_range("index 7"); }, "index 7"},
      {"anything else", [] () -> bool { throw 42; }, "Automation error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string err = "unchanged";
    mom::VariantBool result = mom::kVariantTrue;
    EXPECT_EQ(mom::Trapping(apartment, &err, &result, c.body), com::S_OK);
    EXPECT_EQ(result, mom::kVariantFalse);
    EXPECT_EQ(err, c.message);
  }
}

TEST_F(ComponentTest, AnInstanceBelongsToItsThread) {
  int32_t routing = 3003;
  double qty = 1;
  std::string err, token;
  mom::ConnectionRef conn = conn_;
  mom::VariantBool result = 0;
  com::HResult hr = com::S_OK;
  std::thread([&] { hr = early_->MoRoutingWrB(&routing, &qty, &conn, &err, &token, &result); }).join();
  EXPECT_EQ(hr, com::RPC_E_WRONG_THREAD);
}

}  // namespace
