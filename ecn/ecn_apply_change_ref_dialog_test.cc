// The Qt window of the engineering-change reference, driven with real key presses,
// clicks and focus changes on the offscreen platform.

#include "ecn/ecn_apply_change_ref_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <chrono>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "ecn/ecn_apply_change_ref.h"
#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "suite/ctl_head_item.h"
#include "suite/qt_host.h"
#include "testing/mom_fixture.h"

namespace {

using namespace mom::ecn;

// Runs `act` on the next modal window named `name` (polling the event loop for at
// most five seconds).
void OnNextModal(const char* name, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  auto started = std::chrono::steady_clock::now();
  QObject::connect(timer, &QTimer::timeout, [timer, act, name, started] {
    QWidget* w = QApplication::activeModalWidget();
    bool late = std::chrono::steady_clock::now() - started > std::chrono::seconds(5);
    if (!late && (!w || w->objectName() != name)) return;
    timer->stop();
    timer->deleteLater();
    if (!late) act(w);
  });
  timer->start();
}

// The grids are views of the dialog's rows.
int Rows(QTableView* t) { return t->model()->rowCount(); }
QString CellText(QTableView* t, int row, int column) { return t->model()->index(row, column).data().toString(); }
QPoint CellCenter(QTableView* t, int row, int column) { return t->visualRect(t->model()->index(row, column)).center(); }
QString HeaderText(QTableView* t, int column) { return t->model()->headerData(column, Qt::Horizontal).toString(); }
int HeaderAlignment(QTableView* t, int column) {
  return t->model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
}

struct Message {
  QString title, text;
};
// Answers the next message box with OK and remembers what it said.
void AnswerMessage(Message& seen) {
  OnNextModal("MessageBox", [&seen](QWidget* w) {
    auto* box = static_cast<QMessageBox*>(w);
    seen = {box->windowTitle(), box->text()};
    box->button(QMessageBox::Ok)->click();
  });
}

class EcnDialogWidgetTest : public testing_support::MomFixture {
 protected:
  void SetUp() override {
    MomFixture::SetUp();
    if (IsSkipped()) return;
    suite::EnsureGuiApplication();
    login_ = com::CreateObject("MomSuite.Login");
    com::PutProperty(login_.get(), "KrDbName", com::Variant(connection_string_));
    Reopen();
  }
  // A new dialog instance on a new dictionary, shown and active.
  void Reopen() {
    dialog_.reset();
    form_.reset();
    dictionary_ = com::MakeObject<ExchangeDictionary>();
    dictionary_->Add("EcnType", com::Variant(int16_t{0}));
    dictionary_->Add("Conn", com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(conn_.get()))));
    dictionary_->Add("Login", com::Variant(login_));
    form_ = std::make_unique<frmEcnApplyChangeRef>();
    form_->SetData(dictionary_);
    dialog_ = std::make_unique<EcnApplyChangeRefDialog>(*form_);
    form_->Load();
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  }
  void TearDown() override {
    dialog_.reset();
    form_.reset();
    dictionary_.reset();
    login_.reset();
    MomFixture::TearDown();
  }
  QWidget* Focused() const { return dialog_->focusWidget(); }
  QLineEdit* Box(TextBox b) const { return dialog_->box(b); }
  QLineEdit* DateEditor(DateBox b) const { return dialog_->dateBox(b)->editor(); }

  com::Ptr<com::IDispatch> login_;
  com::Ptr<ExchangeDictionary> dictionary_;
  std::unique_ptr<frmEcnApplyChangeRef> form_;
  std::unique_ptr<EcnApplyChangeRefDialog> dialog_;
};

TEST_F(EcnDialogWidgetTest, LayoutTabOrderAndColumns) {
  EXPECT_EQ(dialog_->size(), QSize(612, 504));
  EXPECT_EQ(Box(TextBox::txtSCode)->geometry(), QRect(81, 3, 122, 21));
  EXPECT_EQ(dialog_->grid(Grid::grdBody)->geometry(), QRect(3, 250, 605, 210));
  EXPECT_EQ(dialog_->dateBox(DateBox::txtEDate)->caption(), QString("至  预发行日:"));
  EXPECT_FALSE(dialog_->cmdRef()->isVisible());
  EXPECT_EQ(Focused(), dialog_->OKButton());

  QWidget* expected[] = {dialog_->CancelButton(), Box(TextBox::txtSCode), Box(TextBox::txtECode),
                         Box(TextBox::txtEmpl), Box(TextBox::txtGrade), dialog_->cmdFilter(),
                         dialog_->grid(Grid::grdHead), dialog_->grid(Grid::grdBody),
                         DateEditor(DateBox::txtSDate), DateEditor(DateBox::txtEDate)};
  for (QWidget* next : expected) {
    QTest::keyClick(Focused(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), next) << Focused()->objectName().toStdString();
  }

  QTableView* head = dialog_->grid(Grid::grdHead);
  ASSERT_EQ(head->model()->columnCount(), 25);
  EXPECT_EQ(HeaderText(head, 1), QString("  单据日期  "));
  EXPECT_EQ(HeaderAlignment(head, 1), int(Qt::AlignHCenter | Qt::AlignVCenter));
  EXPECT_EQ(HeaderText(head, 9), QString("生产批号        "));
  EXPECT_GT(head->columnWidth(1), head->columnWidth(2));  // wider header text, wider column
  EXPECT_EQ(HeaderAlignment(dialog_->grid(Grid::grdBody), 0),
            int(Qt::AlignRight | Qt::AlignVCenter));
  EXPECT_EQ(dialog_->image(1).size(), QSize(16, 16));
  EXPECT_EQ(dialog_->image(2).size(), QSize(16, 16));
}

TEST_F(EcnDialogWidgetTest, FilterFillsTheGridsAndClicksChooseALine) {
  QTest::mouseClick(dialog_->cmdFilter(), Qt::LeftButton);
  QTableView* head = dialog_->grid(Grid::grdHead);
  QTableView* body = dialog_->grid(Grid::grdBody);
  ASSERT_EQ(Rows(head), 3);
  EXPECT_EQ(CellText(head, 0, 0), QString("ECN0001"));
  EXPECT_EQ(head->currentIndex().row(), 0);
  ASSERT_EQ(Rows(body), 2);
  EXPECT_EQ(CellText(body, 1, 1), QString("是"));

  QTest::mouseClick(head->viewport(), Qt::LeftButton, {}, CellCenter(head, 1, 0));
  EXPECT_EQ(form_->CurHeadRow(), 2);
  ASSERT_EQ(Rows(body), 4);
  QTest::mouseClick(body->viewport(), Qt::LeftButton, {}, CellCenter(body, 3, 2));
  EXPECT_EQ(form_->CurBodyRow(), 4);
  QTest::mouseClick(dialog_->OKButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dictionary_->Item("ApplyDId").ToI4(), 7114);
  EXPECT_EQ(dictionary_->Item("DocCode").ToString(), "ECN0002");
}

TEST_F(EcnDialogWidgetTest, LeavingABadDateBoxKeepsTheFocusAndShowsTheMessage) {
  QTest::mouseClick(DateEditor(DateBox::txtSDate), Qt::LeftButton);
  QTest::keyClicks(DateEditor(DateBox::txtSDate), "2024-2-30");
  Message seen;
  AnswerMessage(seen);
  QTest::mouseClick(dialog_->CancelButton(), Qt::LeftButton);  // the click is swallowed
  EXPECT_EQ(seen.title, QString("提示信息"));
  EXPECT_EQ(seen.text, QString("输入错误！"));
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(Focused(), DateEditor(DateBox::txtSDate));

  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  seen = {};
  AnswerMessage(seen);
  QTest::keyClick(DateEditor(DateBox::txtSDate), Qt::Key_Tab);
  QTest::qWait(50);
  EXPECT_EQ(seen.text, QString("输入错误！"));
  EXPECT_EQ(Focused(), DateEditor(DateBox::txtSDate));

  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  DateEditor(DateBox::txtSDate)->setText("2024-2-3");
  QTest::keyClick(DateEditor(DateBox::txtSDate), Qt::Key_Tab);
  EXPECT_EQ(Focused(), DateEditor(DateBox::txtEDate));
}

TEST_F(EcnDialogWidgetTest, GradeAcceptsDigitsOnlyAndKeepsTheFocusAboveNine) {
  QLineEdit* grade = Box(TextBox::txtGrade);
  QTest::mouseClick(grade, Qt::LeftButton);
  QTest::keyClicks(grade, "-1a0");
  EXPECT_EQ(grade->text(), QString("10"));
  QTest::keyClick(grade, Qt::Key_Tab);
  EXPECT_EQ(Focused(), grade);
  QTest::mouseClick(dialog_->cmdFilter(), Qt::LeftButton);  // swallowed, silently
  EXPECT_EQ(Focused(), grade);
  EXPECT_TRUE(form_->FilterDirty());
  QTest::keyClick(grade, Qt::Key_Backspace);
  QTest::keyClick(grade, Qt::Key_Tab);
  EXPECT_EQ(Focused(), dialog_->cmdFilter());
}

// Paste and drop go past the key filter: the box keeps their digits only, and the
// code boxes take what they are given.
TEST_F(EcnDialogWidgetTest, PastedOrDroppedTextKeepsOnlyDigitsInTheGrade) {
  struct {
    TextBox box;
    const char* pasted;
    const char* shown;
  } cases[] = {
      {TextBox::txtGrade, "abc", ""},   {TextBox::txtGrade, "-3", "3"},   {TextBox::txtGrade, "1a2", "12"},
      {TextBox::txtGrade, "５", "5"},   {TextBox::txtSCode, "-3a", "-3a"}, {TextBox::txtEmpl, "王 1", "王 1"},
  };
  for (const auto& c : cases) {
    QLineEdit* edit = Box(c.box);
    edit->clear();
    QTest::mouseClick(edit, Qt::LeftButton);
    QApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text().toStdString(), c.shown) << c.pasted;
    edit->clear();
    edit->insert(QString::fromUtf8(c.pasted));  // what a drop does
    EXPECT_EQ(edit->text().toStdString(), c.shown) << c.pasted;
  }
  // Letters pasted in front of a digit: nothing blocks leaving the box.
  QLineEdit* grade = Box(TextBox::txtGrade);
  grade->setText("7");
  QTest::mouseClick(grade, Qt::LeftButton);
  grade->home(false);
  QApplication::clipboard()->setText("x-");
  QTest::keyClick(grade, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(grade->text(), QString("7"));
  QTest::keyClick(grade, Qt::Key_Tab);
  EXPECT_EQ(Focused(), dialog_->cmdFilter());
}

TEST_F(EcnDialogWidgetTest, TheLookupButtonFollowsTheFocus) {
  QPushButton* ref = dialog_->cmdRef();
  QTest::mouseClick(Box(TextBox::txtSCode), Qt::LeftButton);
  EXPECT_TRUE(ref->isVisible());
  EXPECT_EQ(ref->geometry(), QRect(180, 5, 21, 17));
  QTest::keyClick(Focused(), Qt::Key_Tab);
  EXPECT_EQ(Focused(), Box(TextBox::txtECode));
  EXPECT_EQ(ref->geometry(), QRect(388, 5, 21, 17));
  QTest::keyClick(Focused(), Qt::Key_Tab);
  QTest::keyClick(Focused(), Qt::Key_Tab);
  EXPECT_EQ(Focused(), Box(TextBox::txtGrade));
  EXPECT_FALSE(ref->isVisible());
}

TEST_F(EcnDialogWidgetTest, F2OpensTheLookupOnlyWithoutModifiers) {
  QLineEdit* code = Box(TextBox::txtECode);
  QTest::mouseClick(code, Qt::LeftButton);
  QTest::keyClicks(code, "0002");
  QTest::keyClick(code, Qt::Key_F2, Qt::ShiftModifier);
  QTest::qWait(30);
  EXPECT_EQ(Focused(), code);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  int rows = -1;
  OnNextModal("RefLookupDialog", [&rows](QWidget* w) {
    auto* table = w->findChild<QTableWidget*>("grdRef");
    ASSERT_NE(table, nullptr);
    rows = table->rowCount();
    table->selectRow(0);
    static_cast<QDialog*>(w)->accept();
  });
  QTest::keyClick(code, Qt::Key_F2);
  QTest::qWait(100);
  EXPECT_EQ(rows, 1);  // filtered on the text typed so far
  EXPECT_EQ(code->text(), QString("ECN0002"));
  EXPECT_EQ(Focused(), code);
  EXPECT_TRUE(dialog_->cmdRef()->isVisible());
  EXPECT_TRUE(form_->FilterDirty());

  // The applicant box offers the person archive, whatever was typed.
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  QLineEdit* empl = Box(TextBox::txtEmpl);
  QTest::mouseClick(empl, Qt::LeftButton);
  QTest::keyClicks(empl, "x");
  OnNextModal("RefLookupDialog", [&rows](QWidget* w) {
    rows = w->findChild<QTableWidget*>("grdRef")->rowCount();
    static_cast<QDialog*>(w)->reject();
  });
  QTest::keyClick(empl, Qt::Key_F2);
  QTest::qWait(100);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(empl->text(), QString("x"));
  EXPECT_EQ(Focused(), empl);
}

TEST_F(EcnDialogWidgetTest, DateBoxTextByDispatchIdAndItsCalendar) {
  suite::CtlHeadItem* item = dialog_->dateBox(DateBox::txtEDate);
  int changes = 0;
  QObject::connect(item, &suite::CtlHeadItem::Change, [&changes] { ++changes; });
  auto text = [item] {
    return com::CallById(item->dispatch(), suite::kDispIdCtlHeadItemText, {}, com::InvokeKind::PropertyGet)
        .ToString();
  };
  QTest::keyClicks(item->editor(), "2024");
  EXPECT_EQ(text(), "2024");
  EXPECT_EQ(changes, 4);
  Message seen;
  AnswerMessage(seen);
  form_->cmdFilter_Click();  // "2024" is no date: the filter reports it and stays usable
  EXPECT_EQ(seen.title, QString("提示信息"));
  EXPECT_TRUE(form_->FilterDirty());
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));

  QTest::mouseClick(item->referButton(), Qt::LeftButton);
  auto* calendar = item->findChild<QCalendarWidget*>("calendar");
  ASSERT_NE(calendar, nullptr);
  EXPECT_TRUE(calendar->isVisible());
  emit calendar->clicked(QDate(2024, 2, 3));
  EXPECT_EQ(text(), "2024-02-03");
  EXPECT_FALSE(calendar->isVisible());
}

// The operation itself, as a caller of clsMOM sees it, with the window answered by the
// test.
TEST_F(EcnDialogWidgetTest, EcnApplyChangeRefShowsTheWindowAndReturnsTheChoice) {
  dialog_->hide();
  // The window comes from the component library: found by its controls' names.
  OnNextModal("frmEcnApplyChangeRef", [](QWidget* w) {
    QTest::mouseClick(w->findChild<QPushButton*>("cmdFilter"), Qt::LeftButton);
    auto* body = w->findChild<QTableView*>("grdBody");
    ASSERT_EQ(Rows(body), 2);
    QTest::mouseClick(body->viewport(), Qt::LeftButton, {}, CellCenter(body, 1, 0));
    QTest::mouseClick(w->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
  });
  mom::ObjectRef login = login_;
  int16_t ecn_type = 0;
  int32_t ApplyDId = -1, SortSeq = -1, result = -1;
  std::string DocCode = "stale";
  ASSERT_EQ(early_->EcnApplyChangeRef(&login, &ecn_type, &conn_, &ApplyDId, &DocCode, &SortSeq, &result), com::S_OK);
  EXPECT_EQ(result, 7102);
  EXPECT_EQ(ApplyDId, 7102);
  EXPECT_EQ(SortSeq, 2);
  EXPECT_EQ(DocCode, "ECN0001");

  // Closed with the window's close control: nothing chosen.
  OnNextModal("frmEcnApplyChangeRef", [](QWidget* w) { w->close(); });
  ASSERT_EQ(early_->EcnApplyChangeRef(&login, &ecn_type, &conn_, &ApplyDId, &DocCode, &SortSeq, &result), com::S_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ApplyDId, 0);
  EXPECT_EQ(SortSeq, 0);
  EXPECT_EQ(DocCode, "");
}

// Every caption shows whole with the fonts installed: its text fits its control, and
// no other control covers any of it.
TEST_F(EcnDialogWidgetTest, NoCaptionIsCutOrCovered) {
  std::vector<QWidget*> others;
  for (QWidget* w : dialog_->findChildren<QWidget*>())
    if (w->isVisible() && (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                           qobject_cast<QAbstractItemView*>(w) || qobject_cast<QLabel*>(w)))
      others.push_back(w);
  auto in_dialog = [this](QWidget* w, QRect r) { return QRect(w->mapTo(dialog_.get(), r.topLeft()), r.size()); };
  int captions = 0;
  for (QLabel* label : dialog_->findChildren<QLabel*>()) {
    if (!label->isVisible() || label->text().isEmpty()) continue;
    ++captions;
    SCOPED_TRACE(label->text().toStdString());
    QFontMetrics metrics = label->fontMetrics();
    QSize text(metrics.horizontalAdvance(label->text()), metrics.height());
    QRect room = label->contentsRect();
    QRect drawn = QStyle::alignedRect(Qt::LeftToRight, label->alignment(), text, room);
    EXPECT_TRUE(room.contains(drawn)) << "needs " << text.width() << "x" << text.height() << ", has "
                                      << room.width() << "x" << room.height();
    QRect drawn_in_dialog = in_dialog(label, drawn);
    for (QWidget* other : others) {
      if (other == label || other->isAncestorOf(label)) continue;
      EXPECT_FALSE(drawn_in_dialog.intersects(in_dialog(other, other->rect())))
          << "covered by " << other->objectName().toStdString();
    }
  }
  EXPECT_EQ(captions, 6);  // four labels and the two date boxes' captions
  for (QPushButton* button : {dialog_->cmdFilter(), dialog_->OKButton(), dialog_->CancelButton()})
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 12, button->width());
  for (Grid g : {Grid::grdHead, Grid::grdBody}) {
    QTableView* table = dialog_->grid(g);
    QFontMetrics metrics(table->horizontalHeader()->font());
    for (int c = 0; c < table->model()->columnCount(); ++c) {
      QString header = HeaderText(table, c).trimmed();
      EXPECT_LE(metrics.horizontalAdvance(header) + 6, table->columnWidth(c)) << header.toStdString();
    }
  }

  // The message box keeps room for its title beside the title bar's buttons.
  int width = 0, wanted = 0;
  OnNextModal("MessageBox", [&](QWidget* w) {
    width = w->width();
    wanted = MessageBoxMinimumWidth(w->fontMetrics(), w->windowTitle());
    static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
  });
  dialog_->ShowMessage(kInputErrorText, kMessageTitle);
  EXPECT_GE(width, wanted);
  EXPECT_GE(wanted, 240);
}

bool HasIdeograph(const QString& text) {
  for (QChar ch : text)
    if (ch.unicode() >= 0x4E00 && ch.unicode() <= 0x9FFF) return true;
  return false;
}

// Qt's own texts in the window (menus, the calendar) are Chinese.
TEST_F(EcnDialogWidgetTest, QtsOwnTextsAreChinese) {
  std::unique_ptr<QMenu> menu(Box(TextBox::txtSCode)->createStandardContextMenu());
  int actions = 0;
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    ++actions;
    EXPECT_TRUE(HasIdeograph(action->text())) << action->text().toStdString();
  }
  EXPECT_GE(actions, 5);
  suite::CtlHeadItem* item = dialog_->dateBox(DateBox::txtSDate);
  QTest::mouseClick(item->referButton(), Qt::LeftButton);
  auto* calendar = item->findChild<QCalendarWidget*>("calendar");
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(calendar->locale().language(), QLocale::Chinese);
  EXPECT_EQ(calendar->locale().monthName(3), QString("三月"));
  calendar->hide();
}

// Lines added to one head, many enough that filling them takes a while.
void AddLines(ado::Connection& cn, int32_t apply_id, int count) {
  cn.BeginTrans();
  for (int first = 0; first < count; first += 500) {
    std::string sql =
        "insert into ecn_ecnapplydetail (ApplyDId, ApplyId, SortSeq, EcnType, NewFlag, Version, InvCode) values ";
    for (int k = first; k < std::min(count, first + 500); ++k)
      sql += std::string(k == first ? "" : ",") + "(" + std::to_string(100000 + k) + "," + std::to_string(apply_id) +
             "," + std::to_string(k + 10) + ",2,'0','10','FG003')";
    cn.Execute(sql);
  }
  cn.CommitTrans();
}

// While a grid fills, the rows so far are shown under a wait cursor, and what the user
// clicks meanwhile is done once the fill is over.
TEST_F(EcnDialogWidgetTest, AFillShowsItsRowsAndDoesTheClicksAfterwards) {
  AddLines(*conn_, 7003, 3000);
  struct Case {
    const char* what;
    std::function<void(EcnApplyChangeRefDialog&)> during_fill;
    int32_t apply_d_id;
    std::string doc_code;
  };
  const Case cases[] = {
      {"a line, then confirm",
       [](EcnApplyChangeRefDialog& d) {
         QTableView* body = d.grid(Grid::grdBody);
         QTest::mouseClick(body->viewport(), Qt::LeftButton, {}, CellCenter(body, 0, 1));
         QTest::mouseClick(d.OKButton(), Qt::LeftButton);
       },
       7121, "ECN0003"},
      {"cancel", [](EcnApplyChangeRefDialog& d) { QTest::mouseClick(d.CancelButton(), Qt::LeftButton); }, 0, ""},
      {"the close box", [](EcnApplyChangeRefDialog& d) { d.close(); }, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reopen();
    QTest::mouseClick(dialog_->cmdFilter(), Qt::LeftButton);
    QTableView* head = dialog_->grid(Grid::grdHead);
    QTableView* body = dialog_->grid(Grid::grdBody);
    ASSERT_EQ(Rows(head), 3);
    ASSERT_EQ(CellText(head, 2, 0), QString("ECN0003"));
    bool busy = false, waiting = false;
    int shown = -1;
    size_t queued = 0;
    QTimer::singleShot(0, [&] {
      busy = form_->Busy();
      waiting = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      shown = Rows(body);
      c.during_fill(*dialog_);
      queued = dialog_->QueuedActions();
      EXPECT_TRUE(dialog_->isVisible());
    });
    QTest::mouseClick(head->viewport(), Qt::LeftButton, {}, CellCenter(head, 2, 0));
    EXPECT_TRUE(busy);
    EXPECT_TRUE(waiting);
    EXPECT_GE(shown, 1);
    EXPECT_LT(shown, 3003);
    EXPECT_GE(queued, 1u);
    EXPECT_EQ(Rows(body), 3003);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QTest::qWait(20);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->QueuedActions(), 0u);
    EXPECT_EQ(dictionary_->Item("ApplyDId").ToI4(), c.apply_d_id);
    EXPECT_EQ(dictionary_->Item("DocCode").ToString(), c.doc_code);
  }
}

}  // namespace

// The grid's rows sit end to end in blocks: every row reads back whole and in its own
// place across block ends, past a row longer than a block, and after a clear.
TEST(GridRowsModelTest, RowsReadBackAcrossBlocksAndClears) {
  using mom::ecn::GridRowsModel;
  suite::EnsureGuiApplication();
  GridRowsModel model;
  model.SetColumns({{"A"}, {"B"}, {"C"}});
  auto row_text = [](int r) {
    return std::to_string(r) + "\t批次" + std::string(static_cast<size_t>(r % 97), 'x') + "\t" +
           (r % 5 == 0 ? std::string() : "末" + std::to_string(r));
  };
  const std::string huge = "大\t" + std::string(200000, 'y') + "\tend";
  struct Case {
    const char* name;
    int rows;
    int huge_at;  // the row that gets the text longer than a block, or -1
  };
  const Case cases[] = {{"a few rows", 3, -1}, {"many blocks", 20000, -1}, {"a row longer than a block", 3000, 1500}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model.Clear();
    ASSERT_EQ(model.rowCount(), 0);
    for (int r = 0; r < c.rows; ++r) model.Append(r == c.huge_at ? huge : row_text(r));
    EXPECT_EQ(model.rowCount(), 0) << "pending rows are not shown before Flush";
    EXPECT_EQ(model.PendingRows(), c.rows);
    model.Flush();
    ASSERT_EQ(model.rowCount(), c.rows);
    for (int r = 0; r < c.rows; ++r) {
      const std::string expected = r == c.huge_at ? huge : row_text(r);
      std::string joined = model.Cell(r, 0).toStdString() + "\t" + model.Cell(r, 1).toStdString() + "\t" +
                           model.Cell(r, 2).toStdString();
      ASSERT_EQ(joined, expected) << "row " << r;
    }
    EXPECT_EQ(model.Cell(0, 3), QString()) << "past the row's last cell";
    EXPECT_EQ(model.Cell(c.rows, 0), QString()) << "past the last row";
    EXPECT_EQ(model.Cell(-1, 0), QString());
  }
  // Rows added after a flush follow the shown ones.
  model.Append("next\t\t");
  model.Flush();
  EXPECT_EQ(model.rowCount(), 3001);
  EXPECT_EQ(model.Cell(3000, 0), QString("next"));
  EXPECT_EQ(model.Cell(2999, 0), QString("2999"));
}
