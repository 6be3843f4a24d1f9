#pragma once
// Message routines shared by the class and its dialog. Texts come from the suite's
// resource server ("REREVORU.ResourceSrv"), which each thread creates at its first
// lookup and keeps; texts are cached per thread by resource key and never replaced.
// Numbers are mapped to keys by asking the server every time. Nothing is trapped:
// failures of the server reach the caller with their descriptions.

#include <cstdint>
#include <string>
#include <string_view>

namespace mom::XMLRSData {

std::string GetResText(std::string_view key);
std::string GetResTextById(int32_t number);

// For tests: how many texts this thread has fetched from the server so far.
int32_t ResourceFetchCount();

}  // namespace mom::XMLRSData
