#include "platform/ado/sqlite/database_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace ado::sqlite {

namespace {

constexpr std::string_view kHeader("SQLite format 3\0", 16);

bool MayWrite(const std::string& path) { return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

}  // namespace

DatabaseFile InspectDatabaseFile(const std::string& path) {
  DatabaseFile file;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return file;
  std::string folder = std::filesystem::path(path).parent_path().string();
  file.folder_writable = MayWrite(folder.empty() ? "." : folder);
  file.writable = MayWrite(path);
  if (!std::filesystem::is_regular_file(path, ec)) {
    file.kind = DatabaseFile::Kind::kOther;
    return file;
  }
  std::ifstream in(path, std::ios::binary);
  char head[kHeader.size()] = {};
  in.read(head, sizeof head);
  std::streamsize got = in.gcount();
  if (got == 0 && std::filesystem::file_size(path, ec) == 0)
    file.kind = DatabaseFile::Kind::kEmpty;
  else if (got == static_cast<std::streamsize>(kHeader.size()) && std::string_view(head, sizeof head) == kHeader)
    file.kind = DatabaseFile::Kind::kDatabase;
  else
    file.kind = DatabaseFile::Kind::kOther;
  return file;
}

std::string ImmutableUri(const std::string& path) {
  std::string uri = "file:";
  for (unsigned char c : std::filesystem::absolute(path).string()) {
    if (c == '%' || c == '?' || c == '#' || c <= ' ' || c >= 0x7F) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri + "?immutable=1";
}

}  // namespace ado::sqlite
