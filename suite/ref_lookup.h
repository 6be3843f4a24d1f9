#pragma once
// RefLookup: the rows of a lookup (the model, free of any toolkit) and the class that
// serves IRefLookup, showing them in the picking window installed.

#include <string>
#include <vector>

#include "platform/ado/recordset.h"
#include "platform/com/object.h"
#include "suite/ref_lookup_interface.h"

namespace suite {

// The statement of a named archive ("Person"); empty when the archive is unknown.
std::string ArchiveSql(const std::string& archive);
std::string ArchiveCaptions(const std::string& archive);

class RefLookupModel {
 public:
  // Runs `sql` on a connection to `connection_string`; raises on database errors.
  void Load(const std::string& connection_string, const std::string& sql, const std::string& captions);

  int32_t RowCount() const;
  int32_t ColumnCount() const;
  // The caption of a column: the caller's, or the field name where it gave none.
  std::string Caption(int32_t column) const;
  // A cell as the lookup shows it: dates "YYYY-MM-DD", Null empty.
  std::string Text(int32_t row, int32_t column) const;

  // Picks a row (0-based) or nothing (-1).
  void Pick(int32_t row);
  // A new recordset with the fields of the statement holding the picked row, or null.
  com::Ptr<ado::Recordset> Picked() const;

 private:
  com::Ptr<ado::Recordset> rows_;
  std::vector<std::string> captions_;
  int32_t picked_ = -1;
};

// The picking window ShowRef shows: the row chosen (0-based) or -1. What links the Qt
// dialog (ref_lookup_dialog.h) installs it as it loads (suite/window_install.cc), so that
// the servers here build without a toolkit; with none installed ShowRef fails.
using ChooseRow = int32_t (*)(const RefLookupModel& model, const std::string& title);
void InstallRefLookupWindow(ChooseRow choose);

class RefLookup : public com::Object<IRefLookup> {
 public:
  RefLookup();

  com::HResult SetArchiveRef(com::Ptr<com::IDispatch>* login, int32_t kind, int32_t option, com::Variant archive,
                             std::string filter, int32_t multi, int32_t single, int32_t* column, int32_t show,
                             int16_t* ok) override;
  com::HResult SetSqlRef(com::Ptr<com::IDispatch>* login, int32_t kind, std::string title, std::string sql,
                         std::string captions, std::string filter, int32_t multi, int32_t single, int32_t* column,
                         int32_t show, int16_t* ok) override;
  com::HResult ShowRef() override;
  com::HResult RefRecordset(com::Ptr<ado::Recordset>* result) override;

  // No late-bound members: callers use the interface.
  const com::TypeInfo* GetTypeInfo() override { return nullptr; }
  com::HResult GetIdOfName(std::string_view, com::DispId*) override { return com::DISP_E_UNKNOWNNAME; }
  com::HResult Invoke(com::DispId, com::InvokeKind, std::span<com::Variant>, com::Variant*,
                      com::ExcepInfo*) override {
    return com::DISP_E_MEMBERNOTFOUND;
  }

 private:
  bool Prepare(com::Ptr<com::IDispatch>* login, const std::string& sql, const std::string& captions);

  RefLookupModel model_;
  std::string title_;
  bool prepared_ = false;
};

}  // namespace suite
