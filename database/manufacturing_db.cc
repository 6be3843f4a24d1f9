#include "database/manufacturing_db.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>

#include "database/idempotency_table.h"
#include "database/postgres_database.h"
#include "database/quantity_journal.h"

// Generated from schema.sql and sample.sql.
const char* MomDatabaseSchemaText();
const char* MomDatabaseSampleText();

namespace database {
namespace {

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;

void RemoveDatabaseFiles(const std::string& path) {
  std::error_code ec;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) std::filesystem::remove(path + suffix, ec);
}

void Exec(sqlite3* db, const char* sql, const char* what) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = std::string(what) + ": " + (message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    throw std::runtime_error(text);
  }
}

// Claims the path for a new file; the exclusive create makes the refusal to overwrite
// hold even when two callers race for the same path.
void ClaimPath(const std::string& path, bool overwrite) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw std::runtime_error("数据库路径是一个目录: " + path);
  if (overwrite) RemoveDatabaseFiles(path);
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    int err = errno;
    if (err == EEXIST) throw std::runtime_error("数据库文件已存在: " + path);
    throw std::runtime_error("无法创建数据库文件 " + path + ": " + std::strerror(err));
  }
  ::close(fd);
}

void Populate(const std::string& path, bool with_sample) {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  SqliteHandle db(raw);
  if (rc != SQLITE_OK)
    throw std::runtime_error("无法打开数据库文件 " + path + ": " +
                             (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
  // The sample refers across tables; checking while loading keeps it consistent.
  Exec(db.get(), "PRAGMA foreign_keys = ON; BEGIN", "建库失败");
  Exec(db.get(), SchemaSql(), "建表失败");
  if (with_sample) Exec(db.get(), MomDatabaseSampleText(), "写入示例数据失败");
  Exec(db.get(), "COMMIT", "建库失败");
}

}  // namespace

void CreateDatabase(const std::string& path, bool with_sample, bool overwrite) {
  if (path.empty()) throw std::runtime_error("数据库路径为空");
  if (IsPostgresTarget(path)) return CreatePostgresDatabase(ado::ConnectionString(path), with_sample, overwrite);
  ClaimPath(path, overwrite);
  try {
    Populate(path, with_sample);
  } catch (...) {
    RemoveDatabaseFiles(path);
    throw;
  }
}

const char* SchemaSql() {
  static const std::string text =
      std::string(MomDatabaseSchemaText()) + IdempotencyKeysSql() + QuantityJournalSql();
  return text.c_str();
}
const char* SampleSql() { return MomDatabaseSampleText(); }

std::string ReturnCodeMessage(int32_t code) {
  switch (code) {
    case kOk: return "";
    case kRowChanged: return "数据不存在或已被他人修改，请刷新后重试";
    case kFailed: return "处理失败";
    case kOrderClosed: return "生产订单已关闭";
    case kAllocationDeleted: return "子件已删除";
    case kReceiptExceedsOrder: return "累计入库数量超过生产数量";
    case kIssueExceedsPlan: return "累计领料数量超过计划数量";
    case kReturnExceedsIssued: return "退料数量超过已领数量";
    case kReceiptBelowZero: return "累计入库数量不能小于零";
    case kNothingToInspect: return "没有可报检的数量";
    case kNoBackflushWarehouse: return "倒冲料仓库未建";
    case kNoValidBom: return "无有效物料清单资料，不能产生生产订单";
    case kDuplicateCode: return "单号重复";
    default: return "处理失败 (" + std::to_string(code) + ")";
  }
}

}  // namespace database
