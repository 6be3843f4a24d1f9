#include "suite/ref_lookup.h"

#include <atomic>

#include "platform/ado/connection.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"
#include "platform/com/late_binding.h"
#include "platform/com/status.h"

namespace suite {

namespace {

std::vector<std::string> SplitCaptions(const std::string& captions) {
  std::vector<std::string> out;
  if (captions.empty()) return out;
  size_t start = 0;
  while (true) {
    size_t comma = captions.find(',', start);
    out.push_back(captions.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

// Set once, as the library with the window loads, before any call.
constinit std::atomic<ChooseRow> installed_window{nullptr};

}  // namespace

void InstallRefLookupWindow(ChooseRow choose) { installed_window.store(choose); }

std::string ArchiveSql(const std::string& archive) {
  if (archive == "Person") return "select cPersonCode, cPersonName, cDepName from Person order by cPersonCode";
  return {};
}

std::string ArchiveCaptions(const std::string& archive) {
  if (archive == "Person") return "人员编码,姓名,部门";
  return {};
}

void RefLookupModel::Load(const std::string& connection_string, const std::string& sql, const std::string& captions) {
  com::Ptr<ado::Connection> cn = ado::Connection::Create();
  cn->Open(connection_string);
  com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  rs->Open(sql, cn.get(), ado::adOpenStatic, ado::adLockReadOnly);
  rows_ = rs;
  captions_ = SplitCaptions(captions);
  picked_ = -1;
}

int32_t RefLookupModel::RowCount() const { return rows_ ? rows_->RecordCount() : 0; }
int32_t RefLookupModel::ColumnCount() const { return rows_ ? rows_->fields().Count() : 0; }

std::string RefLookupModel::Caption(int32_t column) const {
  if (column < static_cast<int32_t>(captions_.size()) && !captions_[column].empty()) return captions_[column];
  return rows_->fields().Item(column).Name();
}

std::string RefLookupModel::Text(int32_t row, int32_t column) const {
  rows_->SetAbsolutePosition(row + 1);
  com::Variant v = rows_->fields().Item(column).Value();
  if (v.is_null()) return {};
  if (v.type() == com::VarType::Date) return com::FormatDate(v.ToDate());
  return v.ToString();
}

void RefLookupModel::Pick(int32_t row) { picked_ = (row >= 0 && row < RowCount()) ? row : -1; }

com::Ptr<ado::Recordset> RefLookupModel::Picked() const {
  if (picked_ < 0) return nullptr;
  com::Ptr<ado::Recordset> out = ado::Recordset::Create();
  out->SetCursorLocation(ado::adUseClient);
  for (int32_t i = 0; i < rows_->fields().Count(); ++i) {
    const ado::Field& f = rows_->fields().Item(i);
    ado::Field& copy = out->fields().Append(f.Name(), f.Type(), f.DefinedSize(), ado::adFldIsNullable);
    copy.SetPrecision(f.Precision());
    copy.SetNumericScale(f.NumericScale());
  }
  out->Open();
  rows_->SetAbsolutePosition(picked_ + 1);
  out->AddNew();
  for (int32_t i = 0; i < rows_->fields().Count(); ++i) out->fields().Item(i).SetValue(rows_->fields().Item(i).Value());
  out->Update();
  out->MoveFirst();
  return out;
}

RefLookup::RefLookup() = default;

bool RefLookup::Prepare(com::Ptr<com::IDispatch>* login, const std::string& sql, const std::string& captions) {
  prepared_ = false;
  if (!login || !*login || sql.empty()) return false;
  std::string connection_string = com::GetProperty(login->get(), "KrDbName").ToString();
  model_.Load(connection_string, sql, captions);
  prepared_ = true;
  return true;
}

com::HResult RefLookup::SetArchiveRef(com::Ptr<com::IDispatch>* login, int32_t, int32_t, com::Variant archive,
                                      std::string, int32_t, int32_t, int32_t*, int32_t, int16_t* ok) {
  if (!ok) return com::E_POINTER;
  return com::GuardCall([&] {
    *ok = 0;
    std::string name = archive.ToString();
    title_ = name;
    *ok = Prepare(login, ArchiveSql(name), ArchiveCaptions(name)) ? -1 : 0;
  });
}

com::HResult RefLookup::SetSqlRef(com::Ptr<com::IDispatch>* login, int32_t, std::string title, std::string sql,
                                  std::string captions, std::string, int32_t, int32_t, int32_t*, int32_t,
                                  int16_t* ok) {
  if (!ok) return com::E_POINTER;
  return com::GuardCall([&] {
    *ok = 0;
    title_ = title;
    *ok = Prepare(login, sql, captions) ? -1 : 0;
  });
}

com::HResult RefLookup::ShowRef() {
  return com::GuardCall([&] {
    model_.Pick(-1);
    if (!prepared_) return;
    ChooseRow choose = installed_window.load();
    if (!choose)
      throw com::Error(com::kErrAutomation, "无法显示窗口：本程序构建时没有带窗口（图形界面），参照无法显示。");
    model_.Pick(choose(model_, title_));
  });
}

com::HResult RefLookup::RefRecordset(com::Ptr<ado::Recordset>* result) {
  if (!result) return com::E_POINTER;
  return com::GuardCall([&] { *result = prepared_ ? model_.Picked() : nullptr; });
}

}  // namespace suite
