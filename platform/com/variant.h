#pragma once
// Automation variant values and their conversion rules:
//   Empty converts to 0, "" or false; Null raises 94 "Invalid use of Null";
//   text that is not a number raises 13 "Type mismatch"; a value out of range raises
//   6 "Overflow"; conversion to an integer rounds halfway values to the even integer.
// A variant may also refer to another variant (by-reference argument); conversions
// read through the reference.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/com/date.h"
#include "platform/com/ptr.h"
#include "platform/com/unknown.h"

namespace com {

struct IDispatch;

enum class VarType : uint16_t {
  Empty = 0,
  Null = 1,
  I2 = 2,
  I4 = 3,
  R8 = 5,
  Currency = 6,
  Date = 7,
  String = 8,
  Dispatch = 9,
  Error = 10,
  Bool = 11,
  Variant = 12,  // only as a declared parameter type: any value
  Unknown = 13,
  UI1 = 17,
  I8 = 20,
  Array = 0x2000,  // array of variants
};

// Name of a type for messages ("Integer", "Long", "Double", ...).
const char* VarTypeName(VarType t);

class Variant;
// A one-dimensional array of variants with a lower bound (usually 0).
struct SafeArray {
  int32_t lower_bound = 0;
  std::vector<Variant> items;
};

class Variant {
 public:
  Variant() = default;
  Variant(const Variant& o);
  Variant(Variant&& o) noexcept = default;
  Variant& operator=(const Variant& o);
  Variant& operator=(Variant&& o) noexcept = default;
  ~Variant();

  // Typed constructors. Integers become I4, bool becomes Bool (-1/0), text String.
  Variant(int16_t v) : value_(int64_t{v}), type_(VarType::I2) {}
  Variant(int32_t v) : value_(int64_t{v}), type_(VarType::I4) {}
  Variant(int64_t v) : value_(v), type_(VarType::I8) {}
  Variant(uint8_t v) : value_(int64_t{v}), type_(VarType::UI1) {}
  Variant(double v) : value_(v), type_(VarType::R8) {}
  Variant(bool v) : value_(int64_t{v ? -1 : 0}), type_(VarType::Bool) {}
  Variant(Date v) : value_(v.days), type_(VarType::Date) {}
  Variant(std::string v) : value_(std::move(v)), type_(VarType::String) {}
  Variant(std::string_view v) : Variant(std::string(v)) {}
  Variant(const char* v) : Variant(std::string(v)) {}
  Variant(Ptr<IDispatch> v);
  Variant(Ptr<IUnknown> v);
  Variant(SafeArray v);

  static Variant Null();
  // An omitted optional argument (VT_ERROR with DISP_E_PARAMNOTFOUND).
  static Variant Missing();
  // Currency from its scaled value (ten-thousandths).
  static Variant FromCurrency(int64_t scaled);
  // A by-reference argument: reads and writes go to `target`, which must outlive it.
  static Variant Ref(Variant* target);

  // Type of the value, looking through a reference.
  VarType type() const { return Deref().type_; }
  bool is_ref() const { return type_ == VarType::Variant; }
  bool is_empty() const { return type() == VarType::Empty; }
  bool is_null() const { return type() == VarType::Null; }
  bool is_missing() const;
  bool is_object() const { return type() == VarType::Dispatch || type() == VarType::Unknown; }
  // The referenced variant (or this one).
  const Variant& Deref() const;
  Variant& Deref();
  // A copy of the value, never a reference.
  Variant Value() const { return Deref(); }

  // Conversions (automation rules; raise com::Error).
  int16_t ToI2() const;
  int32_t ToI4() const;
  int64_t ToI8() const;
  uint8_t ToUI1() const;
  double ToR8() const;
  bool ToBool() const;
  std::string ToString() const;
  Date ToDate() const;
  int64_t ToCurrency() const;  // scaled by 10000
  // Object values; Empty and Null raise 424 "Object required". A null object is allowed.
  Ptr<IUnknown> ToUnknown() const;
  Ptr<IDispatch> ToDispatch() const;
  template <class I>
  Ptr<I> ToObject() const {
    Ptr<IUnknown> u = ToUnknown();
    return u ? u.As<I>() : Ptr<I>();
  }
  const SafeArray& ToArray() const;  // 13 when not an array
  SafeArray& MutableArray();

  // Converts to the given type (Variant: unchanged copy). Raises like the To* above.
  Variant ConvertTo(VarType t) const;

  // Exact comparison of type and value, for tests.
  friend bool operator==(const Variant& a, const Variant& b);

 private:
  using Storage = std::variant<std::monostate, int64_t, double, std::string, Ptr<IUnknown>,
                               std::unique_ptr<SafeArray>, Variant*>;
  Variant(VarType t, Storage s) : value_(std::move(s)), type_(t) {}

  // The tag sits in the storage's tail padding: a Variant is 40 bytes, not 48, which
  // a data set of many rows and fields feels.
  [[no_unique_address]] Storage value_;
  VarType type_ = VarType::Empty;
};

// Integer conversion of a double, halfway values to the even integer; Overflow
// outside [lo, hi].
int64_t RoundToInteger(double v, int64_t lo, int64_t hi);
// Rounds to `decimals` places, judged on the value's shortest decimal form (so 2.675
// with 2 places is halfway, as written, not below it, as stored). Halfway values go to
// the even last digit (the platform's rounding) or away from zero (a database's
// decimal conversion). Negative decimals leave the value as it is.
enum class Halfway { kToEven, kAwayFromZero };
double RoundDecimal(double v, int decimals, Halfway halfway);
inline double RoundHalfEven(double v, int decimals) { return RoundDecimal(v, decimals, Halfway::kToEven); }
// Text of a double as the platform prints it: up to 15 significant digits, no
// trailing zeros, exponent form for very large or small values.
std::string FormatDouble(double v);

}  // namespace com

// Objects held in variants are used through IDispatch; make it complete for callers.
#include "platform/com/dispatch.h"
