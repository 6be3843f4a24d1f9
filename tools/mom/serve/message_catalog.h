#pragma once
// The messages a refused call can carry in ErrMsg, told apart by their texts: the
// suite's message table (numbers 10000 to 19999) and the resource keys the
// write-backs use. The service counts refusals by them and answers 409 for 10001.

#include <map>
#include <string>

namespace mom_service {

inline constexpr int kStaleRowMessage = 10001;

class MessageCatalog {
 public:
  // The texts of the suite's resource table.
  MessageCatalog();

  // "10001" for a text of the message table, "327" for the unrecognised business
  // type, the resource key for the other keys' texts, "" for any other text.
  std::string LabelOf(const std::string& text) const;

  // Whether `text` is message 10001: the row was changed or deleted by someone else.
  bool IsStaleRow(const std::string& text) const;

 private:
  std::map<std::string, std::string> labels_;  // text -> label
  std::string stale_row_text_;
};

}  // namespace mom_service
