#pragma once
// frmEcnApplyChangeRef, the dialog's logic: the filter area, the head and line data
// sets with their grids, the lookup button and the confirmation. Free of any toolkit:
// the window (EcnApplyChangeRefView) reports the user's actions to the handlers here
// and shows what they decide.
//
// The handlers of user actions trap errors of the servers and data conversion and
// show them in a message box, so the dialog stays usable; Load traps nothing.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "component/cls_mom_interface.h"
#include "ecn/ecn_apply_change_ref_view.h"
#include "ecn/exchange_dictionary.h"
#include "platform/com/ptr.h"
#include "suite/ref_lookup_interface.h"

namespace mom::ecn {

inline constexpr char kInputErrorText[] = "输入错误！";
inline constexpr char kMessageTitle[] = "提示信息";
inline constexpr char kHeadFormat[] =
    "<变更单号       |^  单据日期  |^变更等级|<等级说明     |<变更原因   |<申请人  |<部门     |^ 预计审核日 |^ 预计发行日 ";
inline constexpr char kBodyFormat[] =
    "> 行号|^是否新版本|<预定版本   |<版本说明       |^预定版本日期|<替代标识   |<替代说明      |<物料编码   |<物料名称       |<物料规格     ";
inline constexpr char kAllCodesEnd[] = "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzz";

// The columns of a flex-grid format string ("|" between columns, "<^>" alignment).
std::vector<GridColumn> ParseGridFormat(const std::string& format);
// The lookup statement of the document-code boxes; a typed quote is doubled so that it
// stays inside the literal.
std::string DocCodeLookupSql(const std::string& typed);
// Typed characters the grade box keeps: digits and backspace (8).
bool GradeAcceptsKey(int32_t key_ascii);
// Whether the grade box may be left: empty, or a number not above 9 that fits a
// 16-bit integer.
bool GradeMayLeave(const std::string& text);
// Whether a date box may be left: empty, or a text that ParseFilterDate reads.
bool DateMayLeave(const std::string& text);
// F2 released without Shift, Ctrl or Alt.
bool IsLookupKey(int32_t key_code, bool shift, bool ctrl, bool alt);
// Where the lookup button sits inside a box (twips).
TwipsRect RefButtonRect(const TwipsRect& box);

class frmEcnApplyChangeRef {
 public:
  using ServerFactory = std::function<com::Ptr<com::IDispatch>()>;
  using LookupFactory = std::function<com::Ptr<suite::IRefLookup>()>;

  // Builds the empty head and line data sets.
  frmEcnApplyChangeRef();

  void SetData(com::Ptr<ExchangeDictionary> dictionary) { dictionary_ = std::move(dictionary); }
  void AttachView(EcnApplyChangeRefView* view) { view_ = view; }
  // Where EcnApplyServer and RefLookup come from (by class identifier, by default).
  void SetServerFactory(ServerFactory factory) { create_server_ = std::move(factory); }
  void SetLookupFactory(LookupFactory factory) { create_lookup_ = std::move(factory); }

  // Form load: login and connection from the dictionary, the current login for the
  // suite's servers, the grids' column formats (caption queries). Raises.
  void Load();

  // Filter fields.
  void TextChanged(TextBox box);
  void DateChanged(DateBox box);
  // Validation when a box is left; false keeps the focus in it (a wrong date shows
  // the input-error message first).
  bool ValidateGrade();
  bool ValidateDate(DateBox box);

  // Lookup button.
  void BoxGotFocus(TextBox box);
  void BoxLostFocus(TextBox box);

  void cmdFilter_Click();
  // The user made `row` current (a click, a key); the same row again is a column change.
  void GridRowChosen(Grid grid, int32_t row);
  void OKButton_Click();
  void CancelButton_Click();
  // The window's close control. False while a grid is being filled (the close waits).
  bool QueryUnload();

  // State.
  bool FilterDirty() const { return FilterDirty_; }
  int32_t CurHeadRow() const { return CurHeadRow_; }
  int32_t CurBodyRow() const { return CurBodyRow_; }
  int32_t LastHeadRow() const { return LastHeadRow_; }
  const RecordsetRef& HeadRs() const { return HeadRs_; }
  const RecordsetRef& BodyRs() const { return BodyRs_; }
  const std::vector<std::string>& HeadFields() const { return HeadFields_; }
  const std::vector<std::string>& BodyFields() const { return BodyFields_; }
  int32_t GridRows(Grid grid) const { return grid_rows_[Index(grid)]; }
  int32_t GridRow(Grid grid) const { return grid_row_[Index(grid)]; }
  bool Busy() const { return busy_ > 0; }
  bool Unloaded() const { return unloaded_; }
  const com::Ptr<ExchangeDictionary>& dictionary() const { return dictionary_; }

  // Cell texts of the current record, joined by tabs (one grid row).
  static std::string HeadRowText(ado::Recordset& rs);
  static std::string BodyRowText(ado::Recordset& rs);

 private:
  static size_t Index(Grid grid) { return grid == Grid::grdHead ? 0 : 1; }
  // Runs a user action; errors become a message box.
  template <class Body>
  void Handle(Body&& body);

  void FormatHeadGrid();
  void FormatBodyGrid();
  void FillHeadGrid();
  void FillBodyGrid();
  void FillGrid(Grid grid, ado::Recordset& rs, std::string (*row_text)(ado::Recordset&));
  // Flex-grid behaviour: cutting back or setting the row makes the row change event run.
  void SetGridRows1(Grid grid);
  void SetGridRow(Grid grid, int32_t row);
  void RowColChange(Grid grid);
  void grdHead_RowColChange();
  void grdBody_RowColChange();
  // Loads the lines of the head at grid row `row` (HeadRs_ stands on it); false when
  // the server reports failure (the line grid is then empty). Raises.
  bool LoadLines(int32_t row);
  // The line grid and BodyRs_ back to no line.
  void ClearLines();
  // Whether BodyRs_ holds the lines of the head at CurHeadRow_ (moves HeadRs_ there).
  bool LinesBelongToCurrentHead();
  void RunRefLookup(TextBox box);
  void Unload();

  com::Ptr<ExchangeDictionary> dictionary_;
  EcnApplyChangeRefView* view_ = nullptr;
  ServerFactory create_server_;
  LookupFactory create_lookup_;
  ObjectRef login_;
  ConnectionRef conn_;

  RecordsetRef HeadRs_;
  RecordsetRef BodyRs_;
  std::vector<std::string> HeadFields_;
  std::vector<std::string> BodyFields_;
  com::Variant head_fields_;  // HeadFields_ as a text array, for FillRecordset
  com::Variant body_fields_;

  // Which head BodyRs_ was loaded for: the head set (counted by heads_generation_,
  // one more each time the filter replaces HeadRs_), the grid row and its ApplyId.
  struct LinesOwner {
    int64_t heads_generation;
    int32_t head_row;
    int32_t apply_id;
  };
  std::optional<LinesOwner> lines_of_;
  int64_t heads_generation_ = 0;

  bool FilterDirty_ = false;
  int32_t CurHeadRow_ = 0;
  int32_t CurBodyRow_ = 0;
  int32_t LastHeadRow_ = 0;
  std::array<int32_t, 2> grid_rows_{1, 1};
  std::array<int32_t, 2> grid_row_{0, 0};
  int busy_ = 0;
  bool unloaded_ = false;
};

}  // namespace mom::ecn
