#pragma once
// "RefLookup": the suite's lookup dialog, early-bound. A caller prepares it with one
// statement or one archive, shows it, and takes the rows the user picked.
//
//   SetSqlRef(login, kind, title, sql, captions, filter, multi, single, column, show, ok)
//   SetArchiveRef(login, kind, option, archive, filter, multi, single, column, show, ok)
//     Run the statement (or the archive's statement: "Person") on the login's database
//     (KrDbName). `captions` names the columns, comma-separated. `ok` is true when the
//     rows could be read and the lookup may be shown. The other numbers are kept for
//     the caller's convention; only `title` is used (as window title when not empty).
//   ShowRef: shows the rows modally; returns when the user picked one or cancelled.
//   RefRecordset: a recordset holding the picked row (current), or null when nothing
//     was picked.

#include <string>

#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"
#include "platform/com/guid.h"
#include "platform/com/ptr.h"

namespace suite {

inline constexpr com::Guid kClsidRefLookup{
    0xA43E3BB3, 0x0A28, 0x4BBF, {0xA0, 0x25, 0x1D, 0xF2, 0xB7, 0x62, 0xC7, 0xCB}};
inline constexpr char kProgIdRefLookup[] = "MomSuite.RefLookup";

struct IRefLookup : com::IDispatch {
  using Base = com::IDispatch;
  static constexpr com::Guid kIid{0x44DD423F, 0x9577, 0x4238, {0xBB, 0xAD, 0x7E, 0xFE, 0x2F, 0xE3, 0x88, 0x83}};

  virtual com::HResult SetArchiveRef(com::Ptr<com::IDispatch>* login, int32_t kind, int32_t option,
                                     com::Variant archive, std::string filter, int32_t multi, int32_t single,
                                     int32_t* column, int32_t show, int16_t* ok) = 0;
  virtual com::HResult SetSqlRef(com::Ptr<com::IDispatch>* login, int32_t kind, std::string title, std::string sql,
                                 std::string captions, std::string filter, int32_t multi, int32_t single,
                                 int32_t* column, int32_t show, int16_t* ok) = 0;
  virtual com::HResult ShowRef() = 0;
  virtual com::HResult RefRecordset(com::Ptr<ado::Recordset>* result) = 0;

 protected:
  ~IRefLookup() = default;
};

}  // namespace suite
