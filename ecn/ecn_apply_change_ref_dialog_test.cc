// The Qt window of the engineering-change reference, driven with real key presses,
// clicks and focus changes on the offscreen platform.

#include "ecn/ecn_apply_change_ref_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <chrono>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
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

  QTableWidget* head = dialog_->grid(Grid::grdHead);
  ASSERT_EQ(head->columnCount(), 25);
  EXPECT_EQ(head->horizontalHeaderItem(1)->text(), QString("  单据日期  "));
  EXPECT_EQ(head->horizontalHeaderItem(1)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
  EXPECT_EQ(head->horizontalHeaderItem(9)->text(), QString("生产批号        "));
  EXPECT_GT(head->columnWidth(1), head->columnWidth(2));  // wider header text, wider column
  EXPECT_EQ(dialog_->grid(Grid::grdBody)->horizontalHeaderItem(0)->textAlignment(),
            int(Qt::AlignRight | Qt::AlignVCenter));
  EXPECT_EQ(dialog_->image(1).size(), QSize(16, 16));
  EXPECT_EQ(dialog_->image(2).size(), QSize(16, 16));
}

TEST_F(EcnDialogWidgetTest, FilterFillsTheGridsAndClicksChooseALine) {
  QTest::mouseClick(dialog_->cmdFilter(), Qt::LeftButton);
  QTableWidget* head = dialog_->grid(Grid::grdHead);
  QTableWidget* body = dialog_->grid(Grid::grdBody);
  ASSERT_EQ(head->rowCount(), 3);
  EXPECT_EQ(head->item(0, 0)->text(), QString("ECN0001"));
  EXPECT_EQ(head->currentRow(), 0);
  ASSERT_EQ(body->rowCount(), 2);
  EXPECT_EQ(body->item(1, 1)->text(), QString("是"));

  QTest::mouseClick(head->viewport(), Qt::LeftButton, {}, head->visualItemRect(head->item(1, 0)).center());
  EXPECT_EQ(form_->CurHeadRow(), 2);
  ASSERT_EQ(body->rowCount(), 4);
  QTest::mouseClick(body->viewport(), Qt::LeftButton, {}, body->visualItemRect(body->item(3, 2)).center());
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
    auto* body = w->findChild<QTableWidget*>("grdBody");
    ASSERT_EQ(body->rowCount(), 2);
    QTest::mouseClick(body->viewport(), Qt::LeftButton, {}, body->visualItemRect(body->item(1, 0)).center());
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

}  // namespace
