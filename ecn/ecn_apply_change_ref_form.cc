#include "ecn/ecn_apply_change_ref_form.h"

#include <cctype>

#include "ecn/filter_input.h"
#include "platform/ado/recordset.h"
#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/error_info.h"
#include "platform/com/late_binding.h"
#include "shared/data_services.h"
#include "suite/current_login.h"
#include "suite/ecn_apply_layout.h"
#include "suite/ecn_apply_server.h"

namespace mom::ecn {

namespace {

// An empty disconnected recordset of nullable fields, and the list of their names.
template <size_t N>
RecordsetRef BuildRecordset(const std::array<suite::ApplyField, N>& defs, std::vector<std::string>* names) {
  RecordsetRef rs = ado::Recordset::Create();
  rs->SetCursorLocation(ado::adUseClient);
  for (const suite::ApplyField& def : defs) {
    ado::Field& f = rs->fields().Append(def.name, def.type, def.size, ado::adFldIsNullable);
    if (def.type == ado::adDecimal) {
      f.SetPrecision(28);
      f.SetNumericScale(6);
    }
    if (names) names->emplace_back(def.name);
  }
  rs->Open();
  return rs;
}

com::Variant TextArray(const std::vector<std::string>& names) {
  com::SafeArray array;
  for (const std::string& n : names) array.items.emplace_back(n);
  return com::Variant(std::move(array));
}

std::string Trimmed(const std::string& text) {
  size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  size_t e = text.find_last_not_of(' ');
  return text.substr(b, e - b + 1);
}

// Cell texts: plain, empty for Null, dates "YYYY-MM-DD".
std::string Plain(ado::Recordset& rs, const char* field) {
  com::Variant v = rs[field].Value();
  return v.is_null() ? std::string() : v.ToString();
}
std::string DateCell(ado::Recordset& rs, const char* field) {
  com::Variant v = rs[field].Value();
  return v.is_null() ? std::string() : com::FormatDate(v.ToDate());
}

// Raises 13 like the platform's conversion when the text is no date.
com::Date ConvertDate(const std::string& text) {
  std::optional<com::Date> d = ParseFilterDate(text);
  if (!d) com::Raise(com::kErrTypeMismatch);
  return *d;
}

void Check(com::HResult hr) {
  if (!com::Failed(hr)) return;
  if (std::optional<com::ExcepInfo> info = com::TakeErrorInfo())
    throw com::Error(info->number, info->description, info->source);
  throw com::Error(com::kErrAutomation, "Automation error " + std::to_string(static_cast<uint32_t>(hr)));
}

// Marks the dialog busy for a scope (grid fills); user actions wait meanwhile.
class BusyScope {
 public:
  explicit BusyScope(int& busy) : busy_(busy) { ++busy_; }
  ~BusyScope() { --busy_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  int& busy_;
};

}  // namespace

std::vector<GridColumn> ParseGridFormat(const std::string& format) {
  std::vector<GridColumn> columns;
  size_t start = 0;
  while (start <= format.size()) {
    size_t bar = format.find('|', start);
    std::string piece = format.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
    GridColumn c;
    if (!piece.empty() && (piece[0] == '<' || piece[0] == '^' || piece[0] == '>')) {
      c.alignment = piece[0];
      piece.erase(0, 1);
    }
    c.header = piece;
    columns.push_back(std::move(c));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return columns;
}

std::string DocCodeLookupSql(const std::string& typed) {
  std::string escaped;
  for (char c : typed) {
    escaped += c;
    if (c == '\'') escaped += '\'';
  }
  return "select DocCode, DocDate from ecn_ecnapply where DocCode like '%" + escaped + "%'";
}

bool GradeAcceptsKey(int32_t key_ascii) { return (key_ascii >= '0' && key_ascii <= '9') || key_ascii == 8; }

bool GradeMayLeave(const std::string& text) {
  std::string t = Trimmed(text);
  if (t.empty()) return true;
  try {
    return com::Variant(t).ToI2() <= 9;
  } catch (const com::Error&) {
    return false;  // too long for a 16-bit integer, or no number
  }
}

bool DateMayLeave(const std::string& text) { return text.empty() || ParseFilterDate(text).has_value(); }

bool IsLookupKey(int32_t key_code, bool shift, bool ctrl, bool alt) {
  return key_code == 113 && !shift && !ctrl && !alt;
}

TwipsRect RefButtonRect(const TwipsRect& box) {
  TwipsRect r;
  r.height = box.height - 60;
  r.width = box.height;
  r.left = box.left + box.width - r.width - 30;
  r.top = box.top + 30;
  return r;
}

frmEcnApplyChangeRef::frmEcnApplyChangeRef()
    : create_server_([] {
        return com::CreateInstance<com::IDispatch>(suite::kClsidEcnApplyServer, suite::kIidEcnApplyServer);
      }),
      create_lookup_([] { return com::CreateInstance<suite::IRefLookup>(suite::kClsidRefLookup); }) {
  HeadRs_ = BuildRecordset(suite::kApplyHeadFields, &HeadFields_);
  BodyRs_ = BuildRecordset(suite::kApplyBodyFields, &BodyFields_);
  head_fields_ = TextArray(HeadFields_);
  body_fields_ = TextArray(BodyFields_);
}

template <class Body>
void frmEcnApplyChangeRef::Handle(Body&& body) {
  try {
    body();
  } catch (const com::Error& e) {
    view_->ShowMessage(e.description(), kMessageTitle);
  } catch (const std::exception& e) {
    view_->ShowMessage(e.what(), kMessageTitle);
  }
}

void frmEcnApplyChangeRef::Load() {
  login_ = dictionary_->Item("Login").ToDispatch();
  conn_ = dictionary_->Item("Conn").ToObject<ado::Connection>();
  // EcnApplyServer reaches the database through the process's current login.
  if (login_) {
    com::Ptr<com::IDispatch> current = com::CreateObject(suite::kProgIdCurrentLogin);
    com::PutProperty(current.get(), "KrDbName", com::GetProperty(login_.get(), "KrDbName"));
  }
  FormatHeadGrid();
  FormatBodyGrid();
  FilterDirty_ = true;
}

void frmEcnApplyChangeRef::FormatHeadGrid() {
  view_->SetGridColumns(Grid::grdHead, ParseGridFormat(kHeadFormat + XMLRSData::GetDefineCaptions(conn_)));
}

void frmEcnApplyChangeRef::FormatBodyGrid() {
  view_->SetGridColumns(Grid::grdBody, ParseGridFormat(kBodyFormat + XMLRSData::GetFreeCaptions(conn_)));
}

void frmEcnApplyChangeRef::TextChanged(TextBox) { FilterDirty_ = true; }
void frmEcnApplyChangeRef::DateChanged(DateBox) { FilterDirty_ = true; }

bool frmEcnApplyChangeRef::ValidateGrade() { return GradeMayLeave(view_->Text(TextBox::txtGrade)); }

bool frmEcnApplyChangeRef::ValidateDate(DateBox box) {
  if (DateMayLeave(view_->DateText(box))) return true;
  view_->ShowMessage(kInputErrorText, kMessageTitle);
  return false;
}

void frmEcnApplyChangeRef::BoxGotFocus(TextBox box) {
  if (box == TextBox::txtGrade) return;
  view_->ShowRefButton(RefButtonRect(view_->BoxRect(box)));
}

void frmEcnApplyChangeRef::BoxLostFocus(TextBox box) {
  if (box == TextBox::txtGrade) return;
  if (!view_->RefButtonHasFocus()) {
    view_->HideRefButton();
    return;
  }
  Handle([&] { RunRefLookup(box); });
  view_->FocusBox(box);
}

void frmEcnApplyChangeRef::RunRefLookup(TextBox box) {
  com::Ptr<suite::IRefLookup> lookup = create_lookup_();
  int32_t one = 1;
  int16_t may_show = 0;
  if (box == TextBox::txtEmpl) {
    Check(lookup->SetArchiveRef(&login_, 3, 0, com::Variant("Person"), "", 0, 1, &one, 1, &may_show));
  } else {
    Check(lookup->SetSqlRef(&login_, 0, "", DocCodeLookupSql(view_->Text(box)), "单据编码,单据日期", "", 0, 1, &one,
                            1, &may_show));
  }
  if (!may_show) return;
  Check(lookup->ShowRef());
  RecordsetRef picked;
  Check(lookup->RefRecordset(&picked));
  if (!picked) return;
  if (picked->RecordCount() > 0 && !picked->Eof() && !picked->Bof())
    view_->SetText(box, picked->fields().Item(0).Value().ToString());
  picked->Close();
}

void frmEcnApplyChangeRef::cmdFilter_Click() {
  if (Busy() || !FilterDirty_) return;
  Handle([&] {
    std::string s_date = view_->DateText(DateBox::txtSDate);
    std::string e_date = view_->DateText(DateBox::txtEDate);
    com::Date start_date = ConvertDate(Trimmed(s_date).empty() ? "1900-1-1" : s_date);
    com::Date end_date = ConvertDate(Trimmed(e_date).empty() ? "2099-12-31" : e_date);
    std::string grade_text = view_->Text(TextBox::txtGrade);
    int32_t grade = com::Variant(Trimmed(grade_text).empty() ? "-1" : grade_text).ToI2();
    std::string applicant = Trimmed(view_->Text(TextBox::txtEmpl));
    std::string start_code = Trimmed(view_->Text(TextBox::txtSCode));
    std::string end_code = Trimmed(view_->Text(TextBox::txtECode));
    if (end_code.empty()) end_code = kAllCodesEnd;

    // The line the confirm button would take belongs to the heads on screen so far.
    CurBodyRow_ = 0;
    SetGridRow(Grid::grdBody, 0);

    com::Ptr<com::IDispatch> server = create_server_();
    com::Variant a_start(start_code), a_end(end_code), a_sdate(start_date), a_edate(end_date), a_empl(applicant),
        a_data{std::string()};
    com::Variant args[] = {com::Variant::Ref(&a_start), com::Variant::Ref(&a_end), com::Variant::Ref(&a_sdate),
                           com::Variant::Ref(&a_edate), com::Variant::Ref(&a_empl), com::Variant(grade),
                           com::Variant::Ref(&a_data)};
    int32_t result = com::CallById(server.get(), suite::kDispIdGetApplyHead, args).ToI4();
    server.reset();
    if (result > 0) {
      // Filled into a new set first: a query without heads must not leave the heads on
      // screen without their records behind them.
      RecordsetRef heads = HeadRs_;
      std::string data = a_data.ToString();
      std::string table = "ApplyHead";
      XMLRSData::FillRecordset(heads, data, table, head_fields_, head_fields_);
      if (heads && heads->RecordCount() > 0) {
        HeadRs_ = heads;
        ++heads_generation_;
        FillHeadGrid();
        SetGridRow(Grid::grdHead, 0);
        SetGridRow(Grid::grdHead, 1);
        FilterDirty_ = false;
      }
    } else {
      SetGridRows1(Grid::grdHead);
      SetGridRows1(Grid::grdBody);
      FilterDirty_ = false;
    }
  });
}

void frmEcnApplyChangeRef::FillHeadGrid() { FillGrid(Grid::grdHead, *HeadRs_, &HeadRowText); }
void frmEcnApplyChangeRef::FillBodyGrid() { FillGrid(Grid::grdBody, *BodyRs_, &BodyRowText); }

void frmEcnApplyChangeRef::FillGrid(Grid grid, ado::Recordset& rs, std::string (*row_text)(ado::Recordset&)) {
  BusyScope busy(busy_);
  view_->SetGridRedraw(grid, false);
  struct RedrawOn {
    EcnApplyChangeRefView* view;
    Grid grid;
    ~RedrawOn() { view->SetGridRedraw(grid, true); }
  } redraw_on{view_, grid};
  SetGridRows1(grid);
  for (; !rs.Eof(); rs.MoveNext()) {
    view_->AddGridRow(grid, row_text(rs));
    ++grid_rows_[Index(grid)];
    view_->ProcessEvents();
  }
}

std::string frmEcnApplyChangeRef::HeadRowText(ado::Recordset& rs) {
  std::string t = Plain(rs, "DocCode") + '\t' + DateCell(rs, "DocDate") + '\t' + Plain(rs, "Grade") + '\t' +
                  Plain(rs, "GradeDesc") + '\t' + Plain(rs, "ReasonDesc") + '\t' + Plain(rs, "EmplName") + '\t' +
                  Plain(rs, "DeptName") + '\t' + DateCell(rs, "PlanAuditDate") + '\t' +
                  DateCell(rs, "PlanReleaseDate");
  for (int i = 1; i <= 16; ++i) t += '\t' + Plain(rs, ("Define" + std::to_string(i)).c_str());
  return t;
}

std::string frmEcnApplyChangeRef::BodyRowText(ado::Recordset& rs) {
  com::Variant new_flag = rs["NewFlag"].Value();
  std::string t = Plain(rs, "SortSeq") + '\t' + (!new_flag.is_null() && new_flag.ToBool() ? "是" : "否") + '\t' +
                  Plain(rs, "Version") + '\t' + Plain(rs, "VersionDesc") + '\t' + DateCell(rs, "VersionEffDate") +
                  '\t' + Plain(rs, "IdentCode") + '\t' + Plain(rs, "IdentDesc") + '\t' + Plain(rs, "InvCode") + '\t' +
                  Plain(rs, "cInvName") + '\t' + Plain(rs, "cInvStd");
  for (int i = 1; i <= 10; ++i) t += '\t' + Plain(rs, ("Free" + std::to_string(i)).c_str());
  return t;
}

void frmEcnApplyChangeRef::SetGridRows1(Grid grid) {
  grid_rows_[Index(grid)] = 1;
  view_->ClearGridRows(grid);
  if (grid_row_[Index(grid)] != 0) SetGridRow(grid, 0);
}

void frmEcnApplyChangeRef::SetGridRow(Grid grid, int32_t row) {
  grid_row_[Index(grid)] = row;
  view_->ShowGridRow(grid, row);
  RowColChange(grid);
}

void frmEcnApplyChangeRef::GridRowChosen(Grid grid, int32_t row) {
  if (Busy() || unloaded_ || row < 0 || row >= GridRows(grid)) {
    // A click while a grid fills waits for nothing: the current row stays.
    view_->ShowGridRow(grid, GridRow(grid));
    return;
  }
  Handle([&] { SetGridRow(grid, row); });
}

void frmEcnApplyChangeRef::RowColChange(Grid grid) {
  if (grid == Grid::grdHead)
    grdHead_RowColChange();
  else
    grdBody_RowColChange();
}

void frmEcnApplyChangeRef::grdHead_RowColChange() {
  if (HeadRs_->RecordCount() == 0) return;
  int32_t row = GridRow(Grid::grdHead);
  if (row == LastHeadRow_) return;
  LastHeadRow_ = row;
  if (row == 0) return;
  HeadRs_->SetAbsolutePosition(row);
  CurHeadRow_ = row;
  // From here the lines on screen are the previous head's: none may be confirmed
  // until this head's own have arrived.
  lines_of_.reset();
  bool loaded = false;
  try {
    loaded = LoadLines(row);
  } catch (...) {
    // A failed load shows no line at all, and the same head is loaded again when it
    // is chosen again.
    ClearLines();
    LastHeadRow_ = 0;
    throw;
  }
  if (!loaded) LastHeadRow_ = 0;
}

bool frmEcnApplyChangeRef::LoadLines(int32_t row) {
  int32_t apply_id = HeadRs_->fields().Item("ApplyId").Value().ToI4();
  int32_t ecn_type = dictionary_ ? dictionary_->Item("EcnType").ToI4() : 0;
  com::Ptr<com::IDispatch> server = create_server_();
  com::Variant a_data{std::string()};
  com::Variant args[] = {com::Variant(apply_id), com::Variant(ecn_type), com::Variant::Ref(&a_data)};
  int32_t result = com::CallById(server.get(), suite::kDispIdGetApplyBody, args).ToI4();
  server.reset();
  if (result == 0) {
    ClearLines();
    return false;
  }
  std::string data = a_data.ToString();
  std::string table = "ApplyBody";
  XMLRSData::FillRecordset(BodyRs_, data, table, body_fields_, body_fields_);
  lines_of_ = LinesOwner{heads_generation_, row, apply_id};
  FillBodyGrid();
  CurBodyRow_ = GridRow(Grid::grdBody);
  return true;
}

void frmEcnApplyChangeRef::ClearLines() {
  lines_of_.reset();
  BodyRs_ = BuildRecordset(suite::kApplyBodyFields, nullptr);
  SetGridRows1(Grid::grdBody);
  CurBodyRow_ = 0;
}

bool frmEcnApplyChangeRef::LinesBelongToCurrentHead() {
  if (!lines_of_ || lines_of_->heads_generation != heads_generation_ || lines_of_->head_row != CurHeadRow_)
    return false;
  if (CurHeadRow_ <= 0 || HeadRs_->RecordCount() < CurHeadRow_) return false;
  HeadRs_->SetAbsolutePosition(CurHeadRow_);
  com::Variant apply_id = HeadRs_->fields().Item("ApplyId").Value();
  return !apply_id.is_null() && apply_id.ToI4() == lines_of_->apply_id;
}

void frmEcnApplyChangeRef::grdBody_RowColChange() { CurBodyRow_ = GridRow(Grid::grdBody); }

void frmEcnApplyChangeRef::OKButton_Click() {
  if (Busy() || unloaded_) return;
  Handle([&] {
    // A line is handed back only with the head it was loaded under.
    if (CurBodyRow_ > 0 && BodyRs_->RecordCount() >= CurBodyRow_ && dictionary_ && LinesBelongToCurrentHead()) {
      com::Variant doc_code = HeadRs_->fields().Item("DocCode").Value();
      BodyRs_->SetAbsolutePosition(CurBodyRow_);
      dictionary_->SetItem("ApplyDId", BodyRs_->fields().Item("ApplyDId").Value());
      dictionary_->SetItem("SortSeq", BodyRs_->fields().Item("SortSeq").Value());
      dictionary_->SetItem("DocCode", doc_code);
    }
  });
  Unload();
}

void frmEcnApplyChangeRef::CancelButton_Click() {
  if (Busy() || unloaded_) return;
  dictionary_.reset();
  Unload();
}

bool frmEcnApplyChangeRef::QueryUnload() {
  if (Busy()) return false;
  unloaded_ = true;
  return true;
}

void frmEcnApplyChangeRef::Unload() {
  unloaded_ = true;
  view_->Unload();
}

}  // namespace mom::ecn
