#pragma once
// "EcnApplyServer": the engineering-change applications for the reference dialog.
//
//   GetApplyHead (0x60020002): start code, end code, start date, end date, applicant,
//     grade (-1: any), out data -> 1. Heads whose DocCode lies in [start, end], whose
//     planned release date lies in [start date, end date] (whole days; heads without
//     one only when the range is the whole [kWholeRangeStart, kWholeRangeEnd]), whose
//     applicant code or name equals the applicant (empty: any) and whose grade equals
//     the grade; ordered by DocCode.
//   GetApplyBody (0x60020003): ApplyId, EcnType (0 or less: every kind), out data -> 1.
//     The lines of one head with their item's name, model and defined items;
//     ordered by SortSeq.
//
// Data is the XML data set that "REREVORU.clsDsToRs" reads (suite/ds_to_rs.h), rows
// named "ApplyHead" / "ApplyBody", every value fitted to the dialog's fields
// (suite/ecn_apply_layout.h): texts cut to the field's size, a value the field cannot
// hold sent as Null. The server gets no connection: it opens one on the
// process's current login (suite/current_login.h). Database failures raise.

#include <cstdint>
#include <string>

#include "platform/com/automation_object.h"

namespace suite {

inline constexpr com::Guid kClsidEcnApplyServer{
    0xBE833ACE, 0x4CAE, 0x48E7, {0x9F, 0x57, 0x38, 0x84, 0x85, 0x3E, 0xF7, 0xD2}};
inline constexpr com::Guid kIidEcnApplyServer{
    0xB5FC517E, 0x49DA, 0x40CC, {0x89, 0xF8, 0x03, 0x32, 0x1E, 0xAD, 0x54, 0x2F}};
inline constexpr char kProgIdEcnApplyServer[] = "MomSuite.EcnApplyServer";
inline constexpr com::DispId kDispIdGetApplyHead = 0x60020002;
inline constexpr com::DispId kDispIdGetApplyBody = 0x60020003;
// The date range the dialog sends when both of its date boxes are empty: 1900-01-01
// and 2099-12-31.
inline constexpr com::Date kWholeRangeStart{2};
inline constexpr com::Date kWholeRangeEnd{73050};

class EcnApplyServer : public com::AutomationObject {
 public:
  EcnApplyServer();
};

// The statements the server runs, for tests and the console.
std::string ApplyHeadSql(const std::string& start_code, const std::string& end_code, com::Date start_date,
                         com::Date end_date, const std::string& applicant, int32_t grade);
std::string ApplyBodySql(int32_t apply_id, int32_t ecn_type);
// A text as an SQL literal: quoted, inner quotes doubled.
std::string SqlLiteral(const std::string& text);

}  // namespace suite
