#include "ecn/ecn_apply_change_ref_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

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
  connect(cmdFilter_, &QPushButton::clicked, this, [this] { form_.cmdFilter_Click(); });
  connect(OKButton_, &QPushButton::clicked, this, [this] { form_.OKButton_Click(); });
  connect(CancelButton_, &QPushButton::clicked, this, [this] { form_.CancelButton_Click(); });

  const std::array<std::pair<const char*, TwipsRect>, 2> grids = {{{"grdHead", kGrdHead}, {"grdBody", kGrdBody}}};
  for (size_t i = 0; i < grids.size(); ++i) {
    auto* table = new QTableWidget(this);
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
    Grid grid = i == 0 ? Grid::grdHead : Grid::grdBody;
    connect(table, &QTableWidget::currentCellChanged, this, [this, grid](int row, int, int, int) {
      if (showing_row_ || row < 0) return;
      form_.GridRowChosen(grid, row + 1);
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
  QTableWidget* table = grid(g);
  table->setColumnCount(static_cast<int>(columns.size()));
  QFontMetrics metrics(table->horizontalHeader()->font());
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    auto* header = new QTableWidgetItem(Q(columns[c].header));
    header->setTextAlignment(AlignmentOf(columns[c].alignment));
    header->setData(Qt::UserRole, QVariant::fromValue(static_cast<int>(columns[c].alignment)));
    table->setHorizontalHeaderItem(c, header);
    // The header text with its spaces sets the width.
    table->setColumnWidth(c, HeaderWidth(metrics, Q(columns[c].header)) + 8);
  }
}

void EcnApplyChangeRefDialog::SetGridRedraw(Grid g, bool redraw) { grid(g)->setUpdatesEnabled(redraw); }

void EcnApplyChangeRefDialog::ClearGridRows(Grid g) {
  showing_row_ = true;
  grid(g)->setRowCount(0);
  showing_row_ = false;
}

void EcnApplyChangeRefDialog::AddGridRow(Grid g, const std::string& cells) {
  QTableWidget* table = grid(g);
  showing_row_ = true;
  int row = table->rowCount();
  table->insertRow(row);
  QStringList texts = Q(cells).split('\t');
  for (int c = 0; c < texts.size() && c < table->columnCount(); ++c) {
    auto* item = new QTableWidgetItem(texts[c]);
    QTableWidgetItem* header = table->horizontalHeaderItem(c);
    item->setTextAlignment(AlignmentOf(header ? static_cast<char>(header->data(Qt::UserRole).toInt()) : '<'));
    table->setItem(row, c, item);
  }
  showing_row_ = false;
}

void EcnApplyChangeRefDialog::ShowGridRow(Grid g, int32_t row) {
  QTableWidget* table = grid(g);
  showing_row_ = true;
  if (row <= 0 || row > table->rowCount()) {
    table->setCurrentCell(-1, -1);
    table->clearSelection();
  } else {
    table->setCurrentCell(row - 1, std::max(0, table->currentColumn()));
  }
  showing_row_ = false;
}

void EcnApplyChangeRefDialog::ProcessEvents() { QCoreApplication::processEvents(); }

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
  QMessageBox message(QMessageBox::Information, Q(title), Q(text), QMessageBox::Ok, this);
  message.setObjectName("MessageBox");
  message.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
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
