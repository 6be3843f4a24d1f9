#include <gtest/gtest.h>

#include <thread>

#include "platform/com/automation_object.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"
#include "platform/com/late_binding.h"

namespace com {
namespace {

// An object whose members echo what they received, so a test sees the prepared call.
class Probe : public AutomationObject {
 public:
  Probe() : AutomationObject("IProbe", kProbeIid) {
    AddMember({"Describe", 0x60020000, InvokeKind::Method,
               {RefParam("n", VarType::I4), RefParam("text", VarType::String),
                OptParam("flag", VarType::Bool, Variant(true)), OptParam("when", VarType::Date, Variant(Date{0})),
                OptParam("note", VarType::String, Variant(std::string()), false)},
               VarType::String},
              [](std::span<Variant> a) {
                std::string r = std::to_string(a[0].ToI4()) + "|" + a[1].ToString() + "|" +
                                (a[2].ToBool() ? "T" : "F") + "|" + FormatDate(a[3].ToDate()) + "|" + a[4].ToString();
                a[1] = Variant(a[1].ToString() + "!");  // by reference: seen by the caller
                a[4] = Variant("ignored");              // by value: not seen
                return Variant(r);
              });
  }
  static constexpr Guid kProbeIid{0xABCDEF01, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
};

TEST(Dispatch, PreparesArgumentsFromTypeInformation) {
  Ptr<Probe> probe = MakeObject<Probe>();
  Ptr<IDispatch> d = probe.As<IDispatch>();
  ASSERT_TRUE(d);
  EXPECT_TRUE(probe.As<IUnknown>());
  void* raw = nullptr;
  EXPECT_EQ(d->QueryInterface(Probe::kProbeIid, &raw), S_OK);
  static_cast<IDispatch*>(raw)->Release();
  EXPECT_EQ(d->QueryInterface(Guid{1, 2, 3, {}}, &raw), E_NOINTERFACE);
  EXPECT_EQ(raw, nullptr);
  EXPECT_EQ(d->QueryInterface(IDispatch::kIid, nullptr), E_POINTER);

  Variant n("7"), text(12.5), note("by value");
  Variant args[] = {Variant::Ref(&n), Variant::Ref(&text), Variant::Missing(), Variant("2004-03-07"),
                    Variant::Ref(&note)};
  EXPECT_EQ(CallByName(d.get(), "DESCRIBE", args).ToString(), "7|12.5|T|2004-03-07|by value");
  EXPECT_EQ(text.ToString(), "12.5!");
  EXPECT_EQ(n.type(), VarType::I4);  // written back in the declared type
  EXPECT_EQ(note.ToString(), "by value");

  Variant two[] = {Variant(1), Variant("x")};
  EXPECT_EQ(CallById(d.get(), 0x60020000, two).ToString(), "1|x|T|1899-12-30|");
}

TEST(Dispatch, CallFailuresBecomeRuntimeErrors) {
  Ptr<IDispatch> d = MakeObject<Probe>().As<IDispatch>();
  auto number_of = [&](std::span<Variant> args, std::string_view name = "Describe") {
    try {
      CallByName(d.get(), name, args);
    } catch (const Error& e) {
      return e.number();
    }
    return 0;
  };
  Variant one[] = {Variant(1)};
  EXPECT_EQ(number_of(one), kErrArgumentNotOptional);
  Variant bad[] = {Variant("x"), Variant("y")};
  EXPECT_EQ(number_of(bad), kErrTypeMismatch);
  Variant null_arg[] = {Variant::Null(), Variant("y")};
  EXPECT_EQ(number_of(null_arg), kErrInvalidUseOfNull);
  Variant too_many[] = {Variant(1), Variant(2), Variant(3), Variant(4), Variant(5), Variant(6)};
  EXPECT_EQ(number_of(too_many), kErrWrongArgumentCount);
  EXPECT_EQ(number_of({}, "NoSuchMember"), kErrNoSuchMember);
}

TEST(ErrorInfo, GuardCallTurnsExceptionsIntoStatusAndInfo) {
  ExcepInfo info;
  HResult hr = GuardCall([] { throw Error(10001, "记录已经被其他人员删除或更新，请刷新后再试"); }, &info);
  EXPECT_EQ(hr, static_cast<HResult>(0x800A2711u));
  EXPECT_EQ(ErrorNumberFromStatus(hr), 10001);
  auto taken = TakeErrorInfo();
  ASSERT_TRUE(taken);
  EXPECT_EQ(taken->description, "记录已经被其他人员删除或更新，请刷新后再试");
  EXPECT_FALSE(TakeErrorInfo());
  EXPECT_EQ(GuardCall([] { throw Error(static_cast<int32_t>(0x80040065u), "x"); }), static_cast<HResult>(0x80040065u));
  // Error info is per thread.
  SetErrorInfo(ExcepInfo{1, "main", ""});
  std::thread([] { EXPECT_FALSE(TakeErrorInfo()); }).join();
  EXPECT_TRUE(TakeErrorInfo());
}

}  // namespace
}  // namespace com
