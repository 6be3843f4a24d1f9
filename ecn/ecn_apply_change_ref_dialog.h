#pragma once
// The Qt window of frmEcnApplyChangeRef: the controls at their fixed places, the two
// grids, the shared lookup button, and the focus, key and validation handling that
// turns user actions into calls of the dialog logic.

#include <QDialog>
#include <QElapsedTimer>
#include <QPixmap>
#include <array>
#include <deque>
#include <functional>
#include <string>

#include "ecn/ecn_apply_change_ref_form.h"
#include "ecn/ecn_apply_change_ref_view.h"
#include "ecn/grid_rows_model.h"

class QFontMetrics;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace suite {
class CtlHeadItem;
}

namespace mom::ecn {

class EcnApplyChangeRefDialog : public QDialog, public EcnApplyChangeRefView {
  Q_OBJECT

 public:
  explicit EcnApplyChangeRefDialog(frmEcnApplyChangeRef& form, QWidget* parent = nullptr);
  ~EcnApplyChangeRefDialog() override;

  // EcnApplyChangeRefView
  std::string Text(TextBox box) const override;
  void SetText(TextBox box, const std::string& text) override;
  std::string DateText(DateBox box) const override;
  TwipsRect BoxRect(TextBox box) const override;
  void SetGridColumns(Grid grid, const std::vector<GridColumn>& columns) override;
  void SetGridRedraw(Grid grid, bool redraw) override;
  void ClearGridRows(Grid grid) override;
  void AddGridRow(Grid grid, const std::string& cells) override;
  void ShowGridRow(Grid grid, int32_t row) override;
  void ProcessEvents() override;
  void ShowRefButton(const TwipsRect& rect) override;
  void HideRefButton() override;
  bool RefButtonHasFocus() const override;
  void FocusBox(TextBox box) override;
  void ShowMessage(const std::string& text, const std::string& title) override;
  void Unload() override;

  // Unattended, no message box is shown: a message ends the show by raising the error
  // it reports (com::Error), for a run that nobody watches.
  void SetUnattended(bool unattended) { unattended_ = unattended; }

  // The controls, by their names.
  QLineEdit* box(TextBox box) const { return boxes_[static_cast<size_t>(box)]; }
  suite::CtlHeadItem* dateBox(DateBox box) const { return dates_[static_cast<size_t>(box)]; }
  QTableView* grid(Grid grid) const { return grids_[grid == Grid::grdHead ? 0 : 1]; }
  GridRowsModel* rows(Grid grid) const { return models_[grid == Grid::grdHead ? 0 : 1]; }
  // Clicks that came while a grid was filling, run once the fill is over.
  size_t QueuedActions() const { return queued_.size(); }
  QPushButton* cmdRef() const { return cmdRef_; }
  QPushButton* cmdFilter() const { return cmdFilter_; }
  QPushButton* OKButton() const { return OKButton_; }
  QPushButton* CancelButton() const { return CancelButton_; }
  // imgList: image 1 the magnifying glass, image 2 the calendar page.
  const QPixmap& image(int index) const { return images_[index - 1]; }

 public slots:
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void LoadButtonImages();
  void OnFocusChanged(QWidget* old, QWidget* now);
  // The validated box that holds `w` (the grade box or a date box), or null.
  QWidget* ValidatedBoxOf(QWidget* w) const;
  bool ValidateLeaving(QWidget* validated_box);
  int CodeBoxIndex(QWidget* w) const;
  // Runs a user's action now, or, while a grid fills, once the fill is over: a click is
  // never thrown away.
  void Act(std::function<void()> action);
  void RunQueued();
  void FlushRows();

  frmEcnApplyChangeRef& form_;
  std::array<QLineEdit*, 4> boxes_{};
  std::array<suite::CtlHeadItem*, 2> dates_{};
  std::array<QTableView*, 2> grids_{};
  std::array<GridRowsModel*, 2> models_{};
  QPushButton* cmdFilter_ = nullptr;
  QPushButton* OKButton_ = nullptr;
  QPushButton* CancelButton_ = nullptr;
  QPushButton* cmdRef_ = nullptr;
  std::array<QPixmap, 2> images_;
  bool showing_row_ = false;  // the program, not the user, moves a grid's row
  bool validating_ = false;
  bool swallow_press_ = false;
  QMetaObject::Connection focus_connection_;
  bool unloading_ = false;
  bool unattended_ = false;
  int fills_ = 0;  // grids being filled (redraw off); the wait cursor shows meanwhile
  QElapsedTimer since_events_;
  std::deque<std::function<void()>> queued_;
  bool running_queue_ = false;
};

// The width a message box keeps so that its title is not cut in the title bar.
int MessageBoxMinimumWidth(const QFontMetrics& metrics, const QString& title);

// Shows the dialog modally for `form` (loading it first). Creates the Qt application
// when the host has none; raises when there is no display.
void ShowEcnApplyChangeRefDialog(frmEcnApplyChangeRef& form);
// Loads the dialog, runs the filter with the boxes as they are, writes a PNG of the
// window to `path` and closes it, without waiting for the user. An error that the
// dialog would show in a message box is raised instead.
void SaveEcnApplyChangeRefScreenshot(frmEcnApplyChangeRef& form, const std::string& path);

}  // namespace mom::ecn
