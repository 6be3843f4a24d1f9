#include "database/manufacturing_db.h"

#include <fcntl.h>
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
#include "platform/ado/connection.h"
#include "platform/ado/connection_string.h"
#include "platform/ado/recordset.h"
#include "platform/com/error.h"

// Generated from schema.sql and sample.sql.
const char* MomDatabaseSchemaText();
const char* MomDatabaseSampleText();

namespace database {
namespace {

void RemoveDatabaseFiles(const std::string& path) {
  std::error_code ec;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) std::filesystem::remove(path + suffix, ec);
}

void Exec(ado::Connection& db, const char* sql, const char* what) {
  try {
    db.Execute(sql, nullptr, ado::adExecuteNoRecords);
  } catch (const com::Error& e) {
    throw std::runtime_error(std::string(what) + ": " + e.description());
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

// Through the data layer's SQLite provider, which keeps foreign keys checked: the
// sample refers across tables, and checking while loading keeps it consistent.
void Populate(const std::string& path, bool with_sample) {
  com::Ptr<ado::Connection> db = ado::Connection::Create();
  db->SetCommandTimeout(0);
  try {
    db->Open(ado::ConnectionString::ForSqliteFile(path) + ";Mode=Create");
  } catch (const com::Error& e) {
    throw std::runtime_error("无法打开数据库文件 " + path + ": " + e.description());
  }
  try {
    db->BeginTrans();
  } catch (const com::Error& e) {
    throw std::runtime_error(std::string("建库失败: ") + e.description());
  }
  Exec(*db, SchemaSql(), "建表失败");
  if (with_sample) Exec(*db, MomDatabaseSampleText(), "写入示例数据失败");
  try {
    db->CommitTrans();
  } catch (const com::Error& e) {
    throw std::runtime_error(std::string("建库失败: ") + e.description());
  }
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
