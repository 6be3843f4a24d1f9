#include "ecn/ecn_apply_change_ref_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <exception>

#include "ecn/grade_validator.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "suite/ctl_head_item.h"
#include "suite/qt_host.h"

// Outside any namespace, as Qt's resource initialisation requires.
static void InitEcnImages() { Q_INIT_RESOURCE(ecn_images); }

namespace mom::ecn {

namespace {

constexpr int kTwipsPerPixel = 15;

QRect Pixels(const TwipsRect& r) {
  return QRect(r.left / kTwipsPerPixel, r.top / kTwipsPerPixel, r.width / kTwipsPerPixel, r.height / kTwipsPerPixel);
}

// The fixed layout (twips).
constexpr TwipsRect kLabel1{60, 120, 1110, 240};
constexpr TwipsRect kTxtSCode{1215, 45, 1830, 315};
constexpr TwipsRect kLabel2{2970, 90, 1275, 240};
constexpr TwipsRect kTxtECode{4335, 45, 1830, 315};
constexpr TwipsRect kLabel3{6060, 105, 1110, 240};
constexpr TwipsRect kTxtEmpl{7245, 45, 1830, 315};
constexpr TwipsRect kTxtSDate{375, 465, 2670, 315};
constexpr TwipsRect kTxtEDate{3135, 465, 3030, 315};
constexpr TwipsRect kLabel6{6060, 510, 1110, 240};
constexpr TwipsRect kTxtGrade{7245, 465, 1830, 315};
constexpr TwipsRect kCmdFilter{7440, 915, 1500, 375};
constexpr TwipsRect kGrdHead{45, 1410, 9075, 2265};
constexpr TwipsRect kGrdBody{45, 3750, 9075, 3150};
constexpr TwipsRect kOKButton{6420, 7035, 1215, 375};
constexpr TwipsRect kCancelButton{7905, 7035, 1215, 375};
constexpr TwipsRect kCmdRef{2700, 105, 300, 255};
constexpr int kClientWidth = 9180, kClientHeight = 7560;

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, const TwipsRect& r) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setObjectName(name);
  label->setGeometry(Pixels(r));
  // The labels reach under the boxes to their left: their texts sit at the right end,
  // beside the box they name, where nothing covers them.
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, const TwipsRect& r) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(name);
  button->setGeometry(Pixels(r));
  // Enter and Escape have no dialog-wide meaning.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

bool Contains(const QWidget* outer, const QWidget* w) {
  for (; w; w = w->parentWidget())
    if (w == outer) return true;
  return false;
}

Qt::Alignment AlignmentOf(char a) {
  switch (a) {
    case '^': return Qt::AlignHCenter | Qt::AlignVCenter;
    case '>': return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

// The width of a header text as the grids were laid out for: a face whose narrow
// characters, spaces included, are half as wide as an ideograph. Proportional faces
// have narrower spaces; measuring every narrow character as a digit keeps the columns
// wide enough for the values their headers were padded for.
int HeaderWidth(const QFontMetrics& metrics, const QString& header) {
  int wide = metrics.horizontalAdvance(QChar(0x4E2D));
  int narrow = metrics.horizontalAdvance(QLatin1Char('0'));
  int width = 0;
  for (QChar ch : header) width += ch.unicode() >= 0x2E80 ? wide : narrow;
  return width;
}

}  // namespace

int MessageBoxMinimumWidth(const QFontMetrics& metrics, const QString& title) {
  // Title bars use a larger face than the window's and keep about 150 pixels for the
  // icon and the close, minimise and maximise buttons.
  return std::max(240, metrics.horizontalAdvance(title) * 3 / 2 + 150);
}

EcnApplyChangeRefDialog::EcnApplyChangeRefDialog(frmEcnApplyChangeRef& form, QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName("frmEcnApplyChangeRef");
  setWindowTitle(QStringLiteral("变更申请参照"));
  setFixedSize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  // The layout is measured for a 9-point face at 96 dots per inch: 12 pixels.
  QFont face = font();
  face.setPixelSize(12);
  setFont(face);
  // The calendar and Qt's own texts in the window follow the suite's language.
  setLocale(QLocale(QLocale::Chinese, QLocale::China));

  MakeLabel(this, "Label1", "变更单号:", kLabel1);
  MakeLabel(this, "Label2", "至  变更单号:", kLabel2);
  MakeLabel(this, "Label3", "申请人:", kLabel3);
  MakeLabel(this, "Label6", "等级:", kLabel6);

  const std::array<std::pair<const char*, TwipsRect>, 4> boxes = {{{"txtSCode", kTxtSCode},
                                                                    {"txtECode", kTxtECode},
                                                                    {"txtEmpl", kTxtEmpl},
                                                                    {"txtGrade", kTxtGrade}}};
  for (size_t i = 0; i < boxes.size(); ++i) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(boxes[i].first);
    edit->setGeometry(Pixels(boxes[i].second));
    boxes_[i] = edit;
    if (static_cast<TextBox>(i) == TextBox::txtGrade) edit->setValidator(new GradeValidator(edit));
    connect(edit, &QLineEdit::textChanged, this, [this, i] { form_.TextChanged(static_cast<TextBox>(i)); });
  }

  const std::array<std::tuple<const char*, const char*, TwipsRect>, 2> dates = {
      {{"txtSDate", "预发行日:", kTxtSDate}, {"txtEDate", "至  预发行日:", kTxtEDate}}};
  for (size_t i = 0; i < dates.size(); ++i) {
    auto* item = new suite::CtlHeadItem(this);
    item->setObjectName(std::get<0>(dates[i]));
    item->setGeometry(Pixels(std::get<2>(dates[i])));
    item->setCaption(QString::fromUtf8(std::get<1>(dates[i])));
    item->setItemProperty(suite::CtlHeadItem::kDateItem);
    item->setReferButton(3);
    item->setBorderStyle(0);
    item->editor()->setObjectName(QString(std::get<0>(dates[i])) + "_text");
    dates_[i] = item;
    connect(item, &suite::CtlHeadItem::Change, this, [this, i] { form_.DateChanged(static_cast<DateBox>(i)); });
    connect(item, &suite::CtlHeadItem::Validate, this,
            [this, i](bool* cancel) { *cancel = !form_.ValidateDate(static_cast<DateBox>(i)); });
  }

  cmdFilter_ = MakeButton(this, "cmdFilter", "过滤", kCmdFilter);
  OKButton_ = MakeButton(this, "OKButton", "确定", kOKButton);
  CancelButton_ = MakeButton(this, "CancelButton", "取消", kCancelButton);
  cmdRef_ = MakeButton(this, "cmdRef", "", kCmdRef);
  cmdRef_->setFlat(false);
  cmdRef_->hide();
  connect(cmdFilter_, &QPushButton::clicked, this, [this] { Act([this] { form_.cmdFilter_Click(); }); });
  connect(OKButton_, &QPushButton::clicked, this, [this] { Act([this] { form_.OKButton_Click(); }); });
  connect(CancelButton_, &QPushButton::clicked, this, [this] { Act([this] { form_.CancelButton_Click(); }); });

  const std::array<std::pair<const char*, TwipsRect>, 2> grids = {{{"grdHead", kGrdHead}, {"grdBody", kGrdBody}}};
  for (size_t i = 0; i < grids.size(); ++i) {
    auto* table = new QTableView(this);
    auto* model = new GridRowsModel(table);
    table->setModel(model);
    table->setObjectName(grids[i].first);
    table->setGeometry(Pixels(grids[i].second));
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setHighlightSections(false);
    table->setWordWrap(false);
    table->setTabKeyNavigation(false);  // Tab moves on to the next control
    grids_[i] = table;
    models_[i] = model;
    Grid grid = i == 0 ? Grid::grdHead : Grid::grdBody;
    connect(table->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, grid](const QModelIndex& now, const QModelIndex& before) {
              if (showing_row_ || !now.isValid() || now.row() == before.row()) return;
              int row = now.row() + 1;
              Act([this, grid, row] { form_.GridRowChosen(grid, row); });
            });
    connect(table->selectionModel(), &QItemSelectionModel::currentColumnChanged, this,
            [this, grid](const QModelIndex& now, const QModelIndex& before) {
              // Another column of the same row: the dialog hears of it too.
              if (showing_row_ || !now.isValid() || now.row() != before.row()) return;
              int row = now.row() + 1;
              Act([this, grid, row] { form_.GridRowChosen(grid, row); });
            });
  }

  // Tab order: OK, cancel, the four boxes, filter, grids, lookup button, date boxes.
  QWidget* order[] = {OKButton_, CancelButton_, boxes_[0], boxes_[1], boxes_[2], boxes_[3],
                      cmdFilter_, grids_[0], grids_[1], cmdRef_, dates_[0], dates_[1]};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  LoadButtonImages();
  for (suite::CtlHeadItem* item : dates_) item->setButtonIcon(QIcon(images_[1]));
  cmdRef_->setIcon(QIcon(images_[0]));

  // Mouse presses anywhere in the window first ask the box being left.
  qApp->installEventFilter(this);
  focus_connection_ = connect(qApp, &QApplication::focusChanged, this, &EcnApplyChangeRefDialog::OnFocusChanged);
  OKButton_->setFocus();
  form_.AttachView(this);
}

EcnApplyChangeRefDialog::~EcnApplyChangeRefDialog() {
  // QDialog's destructor hides the window, which moves the focus: this part of the
  // object is gone by then and must hear nothing more.
  disconnect(focus_connection_);
  if (fills_ > 0) QApplication::restoreOverrideCursor();
  qApp->removeEventFilter(this);
  form_.AttachView(nullptr);
}

void EcnApplyChangeRefDialog::LoadButtonImages() {
  InitEcnImages();
  const char* names[] = {":/ecn/200", ":/ecn/201"};
  for (size_t i = 0; i < 2; ++i) {
    QPixmap pixmap(names[i]);
    // Light grey is the images' mask colour.
    pixmap.setMask(pixmap.createMaskFromColor(QColor(192, 192, 192)));
    images_[i] = pixmap;
  }
}

std::string EcnApplyChangeRefDialog::Text(TextBox b) const { return box(b)->text().toStdString(); }

void EcnApplyChangeRefDialog::SetText(TextBox b, const std::string& text) { box(b)->setText(Q(text)); }

std::string EcnApplyChangeRefDialog::DateText(DateBox b) const {
  return com::CallById(dateBox(b)->dispatch(), suite::kDispIdCtlHeadItemText, {}, com::InvokeKind::PropertyGet)
      .ToString();
}

TwipsRect EcnApplyChangeRefDialog::BoxRect(TextBox b) const {
  switch (b) {
    case TextBox::txtSCode: return kTxtSCode;
    case TextBox::txtECode: return kTxtECode;
    case TextBox::txtEmpl: return kTxtEmpl;
    case TextBox::txtGrade: return kTxtGrade;
  }
  return {};
}

void EcnApplyChangeRefDialog::SetGridColumns(Grid g, const std::vector<GridColumn>& columns) {
  QTableView* table = grid(g);
  std::vector<GridRowsModel::Column> model_columns;
  for (const GridColumn& c : columns) model_columns.push_back({Q(c.header), AlignmentOf(c.alignment)});
  rows(g)->SetColumns(std::move(model_columns));
  QFontMetrics metrics(table->horizontalHeader()->font());
  // The header text with its spaces sets the width.
  for (int c = 0; c < static_cast<int>(columns.size()); ++c)
    table->setColumnWidth(c, HeaderWidth(metrics, Q(columns[c].header)) + 8);
}

void EcnApplyChangeRefDialog::SetGridRedraw(Grid g, bool redraw) {
  // Rows reach the view in batches while a fill runs (FlushRows), so that the grid
  // keeps showing what it has instead of going blank; the wait cursor says why
  // clicks take effect only afterwards.
  if (!redraw) {
    if (fills_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    since_events_.invalidate();  // the first row shows at once
    return;
  }
  rows(g)->Flush();
  if (fills_ > 0 && --fills_ == 0) {
    QApplication::restoreOverrideCursor();
    if (!queued_.empty()) QTimer::singleShot(0, this, [this] { RunQueued(); });
  }
}

void EcnApplyChangeRefDialog::ClearGridRows(Grid g) {
  showing_row_ = true;
  rows(g)->Clear();
  showing_row_ = false;
}

void EcnApplyChangeRefDialog::AddGridRow(Grid g, const std::string& cells) { rows(g)->Append(cells); }

void EcnApplyChangeRefDialog::ShowGridRow(Grid g, int32_t row) {
  QTableView* table = grid(g);
  showing_row_ = true;
  rows(g)->Flush();
  if (row <= 0 || row > rows(g)->rowCount()) {
    table->selectionModel()->clear();
  } else {
    int column = std::max(0, table->currentIndex().column());
    QModelIndex index = rows(g)->index(row - 1, column);
    table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  showing_row_ = false;
}

void EcnApplyChangeRefDialog::FlushRows() {
  for (GridRowsModel* model : models_) model->Flush();
}

void EcnApplyChangeRefDialog::ProcessEvents() {
  // A fill calls this after every row: messages run, and the rows so far are shown,
  // every few hundredths of a second, which keeps the window as lively as after each
  // row at a fraction of the cost.
  if (since_events_.isValid() && since_events_.elapsed() < 40) return;
  FlushRows();
  QCoreApplication::processEvents();
  since_events_.start();
}

void EcnApplyChangeRefDialog::Act(std::function<void()> action) {
  if (form_.Busy()) {
    queued_.push_back(std::move(action));
    return;
  }
  action();
}

void EcnApplyChangeRefDialog::RunQueued() {
  if (running_queue_) return;
  running_queue_ = true;
  while (!queued_.empty() && !form_.Busy() && !form_.Unloaded()) {
    std::function<void()> action = std::move(queued_.front());
    queued_.pop_front();
    action();
  }
  if (form_.Unloaded()) queued_.clear();
  running_queue_ = false;
}

void EcnApplyChangeRefDialog::ShowRefButton(const TwipsRect& rect) {
  cmdRef_->setGeometry(Pixels(rect));
  cmdRef_->setIcon(QIcon(images_[0]));
  cmdRef_->setIconSize(QSize(std::min(16, cmdRef_->width() - 2), std::min(16, cmdRef_->height() - 2)));
  cmdRef_->show();
  cmdRef_->raise();
}

void EcnApplyChangeRefDialog::HideRefButton() { cmdRef_->hide(); }

bool EcnApplyChangeRefDialog::RefButtonHasFocus() const { return QApplication::focusWidget() == cmdRef_; }

void EcnApplyChangeRefDialog::FocusBox(TextBox b) {
  // Back from the lookup window: this window is the active one again.
  activateWindow();
  box(b)->setFocus(Qt::OtherFocusReason);
}

void EcnApplyChangeRefDialog::ShowMessage(const std::string& text, const std::string& title) {
  if (fills_ > 0 && !form_.Busy()) {
    // A fill ended by an error never switched its redraw back on.
    fills_ = 0;
    FlushRows();
    QApplication::restoreOverrideCursor();
  }
  if (unattended_) {
    // Nobody would answer a box: the error a handler trapped ends the show instead,
    // with its own number where it has one.
    if (std::exception_ptr trapped = std::current_exception()) {
      try {
        std::rethrow_exception(trapped);
      } catch (const com::Error&) {
        throw;
      } catch (...) {
      }
    }
    throw com::Error(com::kErrAutomation, text);
  }
  QMessageBox message(QMessageBox::Information, Q(title), Q(text), QMessageBox::Ok, this);
  message.setObjectName("MessageBox");
  message.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
  // A short text makes a narrow box whose title bar cuts the title; keep room for the
  // title beside the title bar's own buttons.
  if (auto* grid = qobject_cast<QGridLayout*>(message.layout()))
    grid->addItem(new QSpacerItem(MessageBoxMinimumWidth(message.fontMetrics(), message.windowTitle()), 0,
                                  QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
  message.exec();
  activateWindow();
}

void EcnApplyChangeRefDialog::Unload() {
  unloading_ = true;
  done(QDialog::Accepted);
}

void EcnApplyChangeRefDialog::reject() {
  // Escape means nothing here; the close control goes through closeEvent.
}

void EcnApplyChangeRefDialog::closeEvent(QCloseEvent* event) {
  if (!unloading_ && form_.Busy()) {
    // The close waits for the fill, as a click does.
    event->ignore();
    queued_.push_back([this] { close(); });
    return;
  }
  if (unloading_ || form_.QueryUnload()) {
    event->accept();
    unloading_ = true;
    done(QDialog::Rejected);
  } else {
    event->ignore();
  }
}

void EcnApplyChangeRefDialog::keyPressEvent(QKeyEvent* event) {
  // Enter and Escape have no dialog-wide meaning (QDialog would close).
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

int EcnApplyChangeRefDialog::CodeBoxIndex(QWidget* w) const {
  for (int i = 0; i < 3; ++i)
    if (w == boxes_[i]) return i;
  return -1;
}

QWidget* EcnApplyChangeRefDialog::ValidatedBoxOf(QWidget* w) const {
  if (!w) return nullptr;
  if (w == boxes_[static_cast<size_t>(TextBox::txtGrade)]) return w;
  for (suite::CtlHeadItem* item : dates_)
    if (Contains(item, w)) return item;
  return nullptr;
}

bool EcnApplyChangeRefDialog::ValidateLeaving(QWidget* validated_box) {
  if (validating_) return true;
  validating_ = true;
  bool ok = true;
  if (validated_box == boxes_[static_cast<size_t>(TextBox::txtGrade)]) {
    ok = form_.ValidateGrade();
  } else {
    for (suite::CtlHeadItem* item : dates_)
      if (item == validated_box) ok = item->validateLeave();
  }
  validating_ = false;
  return ok;
}

void EcnApplyChangeRefDialog::OnFocusChanged(QWidget* old, QWidget* now) {
  if (validating_ || unloading_ || !now || !Contains(this, now)) return;
  // Leaving a validated box: a refusal keeps the focus in it.
  if (QWidget* validated = ValidatedBoxOf(old); validated && !Contains(validated, now)) {
    if (!ValidateLeaving(validated)) {
      QWidget* back = validated == boxes_[3] ? validated : static_cast<suite::CtlHeadItem*>(validated)->editor();
      back->setFocus(Qt::OtherFocusReason);
      // A mouse press gives the focus before it is delivered: swallow that press, so
      // that a refused leave does not click the button either. A keyboard move has no
      // press to follow; forget it once the events of this move are done.
      swallow_press_ = true;
      QTimer::singleShot(0, this, [this] { swallow_press_ = false; });
      return;
    }
  }
  if (int i = CodeBoxIndex(old); i >= 0) {
    TextBox left = static_cast<TextBox>(i);
    if (now == cmdRef_) {
      // The lookup is modal: run it once the focus change is complete.
      QTimer::singleShot(0, this, [this, left] { form_.BoxLostFocus(left); });
    } else {
      form_.BoxLostFocus(left);
    }
  }
  if (int i = CodeBoxIndex(now); i >= 0) form_.BoxGotFocus(static_cast<TextBox>(i));
}

bool EcnApplyChangeRefDialog::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (event->type() == QEvent::MouseButtonPress && swallow_press_ && widget && Contains(this, widget)) {
    // The press that tried to leave a refused box does nothing else either.
    swallow_press_ = false;
    return true;
  }
  if (watched == boxes_[static_cast<size_t>(TextBox::txtGrade)] && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    QString text = key->text();
    // A shortcut (Ctrl+V) is no typed character; what it inserts meets the validator.
    bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!text.isEmpty() && !shortcut) {
      char16_t ch = text.at(0).unicode();
      bool typed = ch >= 0x20 && ch != 0x7f;
      if ((typed || ch == 8) && !GradeAcceptsKey(ch)) return true;
    }
  }
  if (event->type() == QEvent::KeyRelease && CodeBoxIndex(widget) >= 0) {
    auto* key = static_cast<QKeyEvent*>(event);
    Qt::KeyboardModifiers m = key->modifiers();
    if (!key->isAutoRepeat() && key->key() == Qt::Key_F2 &&
        IsLookupKey(113, m & Qt::ShiftModifier, m & Qt::ControlModifier, m & Qt::AltModifier)) {
      cmdRef_->setFocus(Qt::OtherFocusReason);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void ShowEcnApplyChangeRefDialog(frmEcnApplyChangeRef& form) {
  suite::EnsureGuiApplication();
  EcnApplyChangeRefDialog dialog(form);
  form.Load();
  dialog.exec();
}

void SaveEcnApplyChangeRefScreenshot(frmEcnApplyChangeRef& form, const std::string& path) {
  suite::EnsureGuiApplication();
  EcnApplyChangeRefDialog dialog(form);
  dialog.SetUnattended(true);
  form.Load();
  dialog.show();
  form.cmdFilter_Click();
  // A line made current, as after a user's click, so that the picture shows a choice.
  if (form.GridRows(Grid::grdBody) > 1) form.GridRowChosen(Grid::grdBody, 1);
  QCoreApplication::processEvents();
  if (!dialog.grab().save(QString::fromStdString(path), "PNG"))
    throw com::Error(com::kErrAutomation, "无法保存图片: cannot write " + path);
  form.CancelButton_Click();
}

}  // namespace mom::ecn
