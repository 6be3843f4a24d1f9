#pragma once
// The thread values that steer the scripted CommonFunctions of the generation tests
// (scripted_numbering_server.cc). They are the test thread's own, as the current login
// is, so that tests running generation on several threads script each run apart.

namespace mom::mogen::scripted {

// The codes to hand out, comma-separated, in order ("" once they are used up).
inline constexpr char kDocumentCodes[] = "MomTest.DocumentCodes";
// How many codes were asked for on the thread (an I4, counted up by the server).
inline constexpr char kCodesFetched[] = "MomTest.CodesFetched";
// A statement that another user runs on the current login's database when the
// quantity decimals are asked for (a change arriving while a crediting is under way).
inline constexpr char kSqlOnDigits[] = "MomTest.SqlOnDigits";
// A statement run the same way when code number kSqlOnCodeAt (1-based, an I4) is
// asked for: something happening to a run in the middle of a line.
inline constexpr char kSqlOnCode[] = "MomTest.SqlOnCode";
inline constexpr char kSqlOnCodeAt[] = "MomTest.SqlOnCodeAt";

}  // namespace mom::mogen::scripted
