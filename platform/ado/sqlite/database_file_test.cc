// Opening SQLite files that are not databases, or that may not be written.

#include "platform/ado/sqlite/database_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "platform/ado/ado_test_support.h"
#include "testing/test_support.h"

namespace {

using ado_test::Open;
using ado_test::Raised;
using ado_test::Scalar;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The files in the folder, in order, as one string.
std::string Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  std::string out;
  for (const std::string& n : names) out += n + " ";
  return out;
}

TEST(DatabaseFileTest, FilesThatAreNotDatabasesAreRefusedUntouched) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"text.db", "this is not a database, just some text that is long enough to have a header"},
      {"short.db", "SQLi"},
      {"header only.db", std::string("SQLite format 3", 15)},  // one byte short of the header
      {"binary.db", std::string("\0\1\2\3\xff\xfe", 6)},
  };
  for (const auto& c : cases) {
    testing_support::TempDir dir;
    std::string path = dir.File(c.name);
    std::ofstream(path, std::ios::binary) << c.bytes;
    auto e = Raised([&] { Open(path); });
    ASSERT_TRUE(e) << c.name;
    EXPECT_EQ(e->number(), ado::kErrProvider) << c.name;
    EXPECT_EQ(e->description(), "not a database: " + path) << c.name;
    // Mode=Create does not make a database of someone else's file either.
    EXPECT_TRUE(Raised([&] { Open(path, true); })) << c.name;
    EXPECT_EQ(Contents(path), c.bytes) << c.name;
    EXPECT_EQ(Listing(dir.path()), std::string(c.name) + " ") << c.name;
  }
}

TEST(DatabaseFileTest, AnEmptyFileIsOnlyMadeADatabaseWhenAskedToCreateOne) {
  testing_support::TempDir dir;
  std::string path = dir.File("empty.db");
  std::ofstream(path).close();
  {
    auto c = Open(path);
    EXPECT_EQ(Scalar(*c, "select count(*) from sqlite_master").ToI4(), 0);
    EXPECT_EQ(Scalar(*c, "pragma journal_mode").ToString(), "delete");
  }
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_EQ(Listing(dir.path()), "empty.db ");

  auto c = Open(path, true);
  EXPECT_EQ(Scalar(*c, "pragma journal_mode").ToString(), "wal");
}

// Runs `check` as a user who may not write what root's tests created (root may write
// anything); the check's answer is "" when it holds.
std::string AsUnprivileged(const std::function<std::string()>& check) {
  if (geteuid() != 0) return check();
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string answer = setgid(65534) == 0 && setuid(65534) == 0 ? check() : "cannot become nobody";
    ssize_t written = write(fds[1], answer.data(), answer.size());
    _exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 1);
  }
  close(fds[1]);
  std::string answer;
  char buffer[512];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) answer += " (the check did not end cleanly)";
  return answer;
}

TEST(DatabaseFileTest, DatabasesThatMayNotBeWrittenAreOpenedForReading) {
  const struct {
    const char* name;
    mode_t folder_mode;
    mode_t file_mode;
    const char* reason;
  } cases[] = {
      {"read-only file", 0777, 0444, "is read-only and was opened for reading only"},
      {"read-only folder", 0555, 0666, "is read-only; the database was opened for reading only"},
      {"both", 0555, 0444, "is read-only and was opened for reading only"},
  };
  for (const auto& c : cases) {
    testing_support::TempDir dir;
    std::string folder = dir.File("data");
    std::filesystem::create_directory(folder);
    std::string path = folder + "/ro.db";
    {
      auto db = Open(path, true);  // a WAL database, closed cleanly
      db->Execute("create table T (k integer primary key, v varchar(10)); insert into T (v) values ('kept')");
    }
    const std::string before = Contents(path);
    chmod(dir.path().c_str(), 0755);
    chmod(path.c_str(), c.file_mode);
    chmod(folder.c_str(), c.folder_mode);
    std::string answer = AsUnprivileged([&]() -> std::string {
      try {
        auto db = Open(path);
        if (Scalar(*db, "select v from T").ToString() != "kept") return "wrong row";
        try {
          db->Execute("insert into T (v) values ('lost')");
          return "the write went through";
        } catch (const com::Error& e) {
          if (e.description().find(c.reason) == std::string::npos) return "unclear error: " + e.description();
        }
        if (Scalar(*db, "select count(*) from T").ToI4() != 1) return "row count changed";
      } catch (const com::Error& e) {
        return "cannot read: " + e.description();
      }
      return "";
    });
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(answer, "") << c.name;
    EXPECT_EQ(Contents(path), before) << c.name;
    // A reader may leave the WAL's index beside the file, but only where it may write.
    if ((c.folder_mode & 0002) == 0) {
      EXPECT_EQ(Listing(folder), "ro.db ") << c.name;
    }
  }
}

TEST(DatabaseFileTest, ImmutableUrisEscapeWhatAUriCannotHold) {
  EXPECT_EQ(ado::sqlite::ImmutableUri("/a b/c?d#e%f.db"), "file:/a%20b/c%3Fd%23e%25f.db?immutable=1");
  EXPECT_EQ(ado::sqlite::ImmutableUri("/数据.db"), "file:/%E6%95%B0%E6%8D%AE.db?immutable=1");
}

}  // namespace
