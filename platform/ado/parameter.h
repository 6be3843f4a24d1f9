#pragma once
// Command parameters: created with CreateParameter, appended in binding order,
// addressed by position or by name (without regard to case).

#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/provider.h"
#include "platform/ado/types.h"
#include "platform/com/object.h"
#include "platform/com/ptr.h"
#include "platform/com/variant.h"

namespace ado {

struct IParameter : com::IUnknown {
  static constexpr com::Guid kIid{0x0000050C, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

 protected:
  ~IParameter() = default;
};

class Parameter final : public com::Object<IParameter> {
 public:
  using Interface = IParameter;
  static constexpr com::Guid kIid = IParameter::kIid;

  static com::Ptr<Parameter> Create(std::string name = {}, DataType type = adEmpty,
                                    ParameterDirection direction = adParamInput, int32_t size = 0);

  std::string name;
  DataType type = adEmpty;
  ParameterDirection direction = adParamInput;
  int32_t size = 0;
  uint8_t precision = 0;
  uint8_t numeric_scale = 0;
  com::Variant value;

  // The value as the provider receives it: converted to the parameter's type, a
  // decimal rounded to its scale, fixed-length text padded to its size. Empty and
  // Null become a database null. Raises 3708 for text longer than its size, and
  // kErrDataOverflow for a decimal that is not finite or does not fit (see
  // numeric_rules.h), before anything reaches the provider.
  BoundParameter Bind() const;

 private:
  friend class com::Object<IParameter>;
  Parameter() = default;
};

class Parameters {
 public:
  void Append(com::Ptr<Parameter> p);
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Raises 3265 when there is no such parameter.
  Parameter& Item(int32_t index) const;
  Parameter& Item(std::string_view name) const;
  Parameter* Find(std::string_view name) const;
  void Delete(std::string_view name);
  void Clear() { items_.clear(); }

 private:
  std::vector<com::Ptr<Parameter>> items_;
};

}  // namespace ado
