#pragma once
// "REREVORU.clsDsToRs": fills a recordset from a data text.
//
// The data text is an XML data set, the form .NET's DataSet.WriteXml writes:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <NewDataSet>
//     <ApplyHead>                      one element per row, named after the table
//       <ApplyId>7001</ApplyId>        one child element per field
//       <DocCode>ECN0001</DocCode>
//       <ReasonDesc xsi:nil="true"/>   Null (an absent child is Null too)
//     </ApplyHead>
//   </NewDataSet>
//
// The root element's name is free. Values are text: numbers as written, dates ISO
// ("2004-03-07" or "2004-03-07T10:00:00"), flags true/false or 1/0.
//
// Fill(rs, data, table, sources, targets), all by reference: rs is replaced by a new
// disconnected recordset with rs's fields (or, when rs is Nothing or has no fields,
// text fields named after `targets`), holding one row per <table> element, the child
// named sources[i] stored in field targets[i] converted to the field's type; the
// first row is current. Text that is not well-formed, or a value a field cannot hold,
// raises an error whose (Chinese) description names the row and the field.

#include <string>

#include "platform/com/automation_object.h"

namespace suite {

inline constexpr com::Guid kClsidDsToRs{0x5B0E2A11, 0x7C3D, 0x4E52, {0x9A, 0x61, 0x2D, 0x3B, 0x84, 0x1F, 0x60, 0x03}};
inline constexpr char kProgIdDsToRs[] = "REREVORU.clsDsToRs";

class DsToRs : public com::AutomationObject {
 public:
  DsToRs();
};

}  // namespace suite
