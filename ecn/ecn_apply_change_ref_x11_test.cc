// The engineering-change window on a real X server, driven as a user drives it: key
// presses and mouse clicks go through the server (XTest), the close box is the window
// manager's close request. The test command starts the server and names it in
// MOM_TEST_X_DISPLAY; without it every test here is skipped.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <functional>

#include "ecn/ecn_apply_change_ref_dialog.h"
#include "ecn/x_test_input.h"
#include "platform/com/creation.h"
#include "platform/com/late_binding.h"
#include "suite/qt_host.h"
#include "testing/mom_fixture.h"

namespace {

using namespace mom::ecn;

const char* XDisplayName() {
  const char* name = std::getenv("MOM_TEST_X_DISPLAY");
  return name && *name ? name : nullptr;
}

// The Qt application on the X server given, made before any window is.
void EnsureXApplication() {
  if (QCoreApplication::instance()) return;
  static std::string display = XDisplayName();
  static int argc = 5;
  static char name[] = "ecn_x11_tests", platform[] = "-platform", xcb[] = "xcb", option[] = "-display";
  static char* argv[] = {name, platform, xcb, option, display.data(), nullptr};
  new QApplication(argc, argv);
  suite::InstallQtChineseTranslation();
}

// Runs `act` on the next modal window named `name`, from the event loop that the
// window's own show runs.
void OnNextModal(const char* name, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  auto started = std::chrono::steady_clock::now();
  QObject::connect(timer, &QTimer::timeout, [timer, act, name, started] {
    QWidget* w = QApplication::activeModalWidget();
    bool late = std::chrono::steady_clock::now() - started > std::chrono::seconds(10);
    if (!late && (!w || w->objectName() != name || !w->isActiveWindow())) return;
    timer->stop();
    timer->deleteLater();
    if (!late) act(w);
  });
  timer->start();
}

int Rows(QTableView* t) { return t->model()->rowCount(); }
QPoint CellCenter(QTableView* t, int row, int column) {
  return t->visualRect(t->model()->index(row, column)).center();
}

class EcnDialogOnXTest : public testing_support::MomFixture {
 protected:
  void SetUp() override {
    if (!XDisplayName()) GTEST_SKIP() << "no X server given (MOM_TEST_X_DISPLAY)";
    MomFixture::SetUp();
    if (IsSkipped()) return;
    EnsureXApplication();
    ASSERT_EQ(QGuiApplication::platformName(), QString("xcb"));
    input_ = std::make_unique<XTestInput>(XDisplayName());
    ASSERT_TRUE(input_->ok());
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
    dialog_->move(40, 40);
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  }
  void TearDown() override {
    dialog_.reset();
    form_.reset();
    dictionary_.reset();
    login_.reset();
    input_.reset();
    if (XDisplayName()) MomFixture::TearDown();
  }
  bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 5000); }
  QWidget* Focused() const { return QApplication::focusWidget(); }
  void ClickAndWaitForFocus(QWidget* w) {
    input_->Click(w);
    ASSERT_TRUE(WaitFor([&] { return Focused() == w; })) << w->objectName().toStdString();
  }
  void Filter() {
    input_->Click(dialog_->cmdFilter());
    ASSERT_TRUE(WaitFor([&] { return Rows(dialog_->grid(Grid::grdHead)) == 3; }));
    ASSERT_TRUE(WaitFor([&] { return Rows(dialog_->grid(Grid::grdBody)) == 2; }));
  }

  std::unique_ptr<XTestInput> input_;
  com::Ptr<com::IDispatch> login_;
  com::Ptr<ExchangeDictionary> dictionary_;
  std::unique_ptr<frmEcnApplyChangeRef> form_;
  std::unique_ptr<EcnApplyChangeRefDialog> dialog_;
};

// Confirm, cancel and the close box, each by the user's own route.
TEST_F(EcnDialogOnXTest, ConfirmCancelAndTheCloseBoxEndTheDialog) {
  Filter();
  QTableView* body = dialog_->grid(Grid::grdBody);
  input_->Click(body->viewport(), CellCenter(body, 1, 2));
  ASSERT_TRUE(WaitFor([&] { return form_->CurBodyRow() == 2; }));
  input_->Click(dialog_->OKButton());
  ASSERT_TRUE(WaitFor([&] { return !dialog_->isVisible(); }));
  EXPECT_EQ(dictionary_->Item("ApplyDId").ToI4(), 7102);
  EXPECT_EQ(dictionary_->Item("SortSeq").ToI4(), 2);
  EXPECT_EQ(dictionary_->Item("DocCode").ToString(), "ECN0001");

  const std::function<void()> ends[] = {
      [&] { input_->Click(dialog_->CancelButton()); },
      [&] { input_->CloseBox(dialog_.get()); },
  };
  for (size_t i = 0; i < std::size(ends); ++i) {
    SCOPED_TRACE(i == 0 ? "cancel" : "close box");
    Reopen();
    Filter();
    body = dialog_->grid(Grid::grdBody);
    input_->Click(body->viewport(), CellCenter(body, 0, 2));
    ASSERT_TRUE(WaitFor([&] { return form_->CurBodyRow() == 1; }));
    ends[i]();
    ASSERT_TRUE(WaitFor([&] { return !dialog_->isVisible(); }));
    EXPECT_TRUE(form_->Unloaded());
    EXPECT_TRUE(dictionary_->Item("ApplyDId").is_empty());
    EXPECT_TRUE(dictionary_->Item("DocCode").is_empty());
  }
}

// A head whose lines fail to load: the message is answered with Enter, the old head's
// lines are gone and confirming chooses nothing; the same head again retries.
TEST_F(EcnDialogOnXTest, AFailedLineLoadLeavesNoStaleLines) {
  Filter();
  conn_->Execute("alter table ecn_ecnapplydetail rename to ecn_lines_away");
  QString said;
  OnNextModal("MessageBox", [&](QWidget* w) {
    said = static_cast<QMessageBox*>(w)->text();
    input_->Key("Return");
  });
  QTableView* head = dialog_->grid(Grid::grdHead);
  input_->Click(head->viewport(), CellCenter(head, 1, 0));
  ASSERT_TRUE(WaitFor([&] { return !said.isEmpty() && QApplication::activeModalWidget() == nullptr; }));
  EXPECT_EQ(Rows(dialog_->grid(Grid::grdBody)), 0);
  EXPECT_EQ(form_->CurBodyRow(), 0);

  conn_->Execute("alter table ecn_lines_away rename to ecn_ecnapplydetail");
  // A click the server delivers while the message box's window is still going away
  // reaches no grid; on a loaded machine that happens, and the user clicks again.
  bool loaded = false;
  for (int attempt = 0; attempt < 3 && !loaded; ++attempt) {
    input_->Click(head->viewport(), CellCenter(head, 1, 1));
    loaded = WaitFor([&] { return Rows(dialog_->grid(Grid::grdBody)) == 4; });
  }
  ASSERT_TRUE(loaded);
  QTableView* body = dialog_->grid(Grid::grdBody);
  input_->Click(body->viewport(), CellCenter(body, 0, 2));
  ASSERT_TRUE(WaitFor([&] { return form_->CurBodyRow() == 1; }));
  input_->Click(dialog_->OKButton());
  ASSERT_TRUE(WaitFor([&] { return !dialog_->isVisible(); }));
  EXPECT_EQ(dictionary_->Item("ApplyDId").ToI4(), 7111);
  EXPECT_EQ(dictionary_->Item("DocCode").ToString(), "ECN0002");
}

// The grade box keeps digits only, typed or pasted with Ctrl+V.
TEST_F(EcnDialogOnXTest, TheGradeBoxTakesDigitsByEveryRoute) {
  QLineEdit* grade = dialog_->box(TextBox::txtGrade);
  ClickAndWaitForFocus(grade);
  input_->Type("a7b");
  ASSERT_TRUE(WaitFor([&] { return grade->text() == "7"; })) << grade->text().toStdString();
  input_->Key("BackSpace");
  ASSERT_TRUE(WaitFor([&] { return grade->text().isEmpty(); }));
  QGuiApplication::clipboard()->setText("-3x");
  input_->Key("v", "Control_L");
  QTest::qWait(300);
  for (QChar ch : grade->text()) EXPECT_TRUE(ch.isDigit()) << grade->text().toStdString();
  input_->Key("Tab");
  ASSERT_TRUE(WaitFor([&] { return Focused() == dialog_->cmdFilter(); }));
}

// F2 in a code box opens the lookup, filtered on what was typed; Enter takes its row.
TEST_F(EcnDialogOnXTest, F2OpensTheLookupAndEnterTakesItsRow) {
  QLineEdit* code = dialog_->box(TextBox::txtECode);
  ClickAndWaitForFocus(code);
  input_->Type("0002");
  ASSERT_TRUE(WaitFor([&] { return code->text() == "0002"; }));
  int rows = -1;
  OnNextModal("RefLookupDialog", [&](QWidget* w) {
    rows = w->findChild<QTableWidget*>("grdRef")->rowCount();
    input_->Key("Return");
  });
  input_->Key("F2");
  ASSERT_TRUE(WaitFor([&] { return code->text() == "ECN0002"; })) << code->text().toStdString();
  EXPECT_EQ(rows, 1);
  ASSERT_TRUE(WaitFor([&] { return Focused() == code; }));
  EXPECT_TRUE(dialog_->cmdRef()->isVisible());

  // With Shift held F2 means nothing.
  input_->Key("F2", "Shift_L");
  QTest::qWait(200);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(Focused(), code);
}

}  // namespace
