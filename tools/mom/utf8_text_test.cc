#include "tools/mom/utf8_text.h"

#include <gtest/gtest.h>

#include "platform/com/variant.h"
#include "tools/mom/json_values.h"

namespace {

using mom_console::EscapeInvalidUtf8;
using mom_console::IsValidUtf8;

TEST(Utf8TextTest, IllFormedBytesAreFoundAndEscapedOneByOne) {
  const struct {
    const char* name;
    std::string text;
    const char* escaped;  // null: the text is well-formed and comes back as it is
  } cases[] = {
      {"ascii", "MoRoutingWrB 3003", nullptr},
      {"chinese", "产品入库", nullptr},
      {"four bytes", "\xF0\x9F\x98\x80", nullptr},
      {"highest code point", "\xF4\x8F\xBF\xBF", nullptr},
      {"empty", "", nullptr},
      {"lone continuation", "a\x80z", "a\\x80z"},
      {"latin-1", "caf\xE9", "caf\\xE9"},
      {"truncated at the end", "\xE4\xBA", "\\xE4\\xBA"},
      {"truncated before ascii", "\xE4\xBA" "a", "\\xE4\\xBAa"},
      {"overlong two bytes", "\xC0\xAF", "\\xC0\\xAF"},
      {"overlong three bytes", "\xE0\x80\xAF", "\\xE0\\x80\\xAF"},
      {"surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
      {"never a lead byte", "\xFF\xFE", "\\xFF\\xFE"},
      {"good after bad", "\xFF产品", "\\xFF产品"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.text), c.escaped == nullptr) << c.name;
    std::string escaped = EscapeInvalidUtf8(c.text);
    EXPECT_EQ(escaped, c.escaped ? c.escaped : c.text) << c.name;
    EXPECT_TRUE(IsValidUtf8(escaped)) << c.name;
  }
}

// What a call hands back is printed even when a text in it is not UTF-8.
TEST(Utf8TextTest, JsonOfATextThatIsNotUtf8CanBePrinted) {
  com::Variant text(std::string("kept \xB2\xFA"));
  mom_console::Json json = {{"ErrMsg", mom_console::ToJson(text)}};
  EXPECT_EQ(json.dump(), R"({"ErrMsg":"kept \\xB2\\xFA"})");
}

}  // namespace
