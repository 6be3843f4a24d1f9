#pragma once
// What the dialog frmEcnApplyChangeRef needs of its window: the Qt widget implements
// it, tests fake it. The window owns no state of the dialog's: grid rows, current rows
// and filter state live in the dialog logic, which tells the window what to show.

#include <cstdint>
#include <string>
#include <vector>

namespace mom::ecn {

enum class TextBox { txtSCode, txtECode, txtEmpl, txtGrade };
enum class DateBox { txtSDate, txtEDate };
enum class Grid { grdHead, grdBody };

// One column of a grid's format string: alignment '<' left, '^' centred, '>' right,
// and the header text with its spaces (which set the column's width).
struct GridColumn {
  char alignment = '<';
  std::string header;
  friend bool operator==(const GridColumn&, const GridColumn&) = default;
};

// Rectangle in twips (15 per pixel).
struct TwipsRect {
  int32_t left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

class EcnApplyChangeRefView {
 public:
  virtual ~EcnApplyChangeRefView() = default;

  virtual std::string Text(TextBox box) const = 0;
  virtual void SetText(TextBox box, const std::string& text) = 0;
  // The date box's text as its control reports it (dispatch id 0x6803001F).
  virtual std::string DateText(DateBox box) const = 0;
  virtual TwipsRect BoxRect(TextBox box) const = 0;

  virtual void SetGridColumns(Grid grid, const std::vector<GridColumn>& columns) = 0;
  virtual void SetGridRedraw(Grid grid, bool redraw) = 0;
  // Cuts the grid back to its header row.
  virtual void ClearGridRows(Grid grid) = 0;
  // Adds a row; `cells` holds the column texts joined by tab characters.
  virtual void AddGridRow(Grid grid, const std::string& cells) = 0;
  // Shows `row` as current (0: none, the header row). Reports nothing back.
  virtual void ShowGridRow(Grid grid, int32_t row) = 0;
  // Lets pending window messages run.
  virtual void ProcessEvents() = 0;

  // The lookup button with the magnifying-glass face at `rect`, shown / hidden.
  virtual void ShowRefButton(const TwipsRect& rect) = 0;
  virtual void HideRefButton() = 0;
  virtual bool RefButtonHasFocus() const = 0;
  virtual void FocusBox(TextBox box) = 0;

  virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
  // Closes the window; the modal show returns.
  virtual void Unload() = 0;
};

}  // namespace mom::ecn
