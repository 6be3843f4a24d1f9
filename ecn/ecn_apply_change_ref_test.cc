// The engineering-change reference without a screen: the dialog logic against a fake
// window, the suite's EcnApplyServer and the lookup model on the sample database.

#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "ecn/ecn_apply_change_ref.h"
#include "ecn/ecn_apply_change_ref_form.h"
#include "platform/ado/recordset.h"
#include "platform/com/creation.h"
#include "platform/com/error.h"
#include "platform/com/late_binding.h"
#include "shared/data_services.h"
#include "suite/current_login.h"
#include "suite/ecn_apply_fit.h"
#include "suite/ecn_apply_server.h"
#include "suite/ref_lookup.h"
#include "testing/mom_fixture.h"

namespace mom::ecn {
void PrintTo(const GridColumn& c, std::ostream* os) { *os << c.alignment << '"' << c.header << '"'; }
}  // namespace mom::ecn

namespace {

using namespace mom::ecn;

class FakeView : public EcnApplyChangeRefView {
 public:
  explicit FakeView(frmEcnApplyChangeRef& form) : form_(form) { form.AttachView(this); }

  void Type(TextBox b, const std::string& text) {
    texts[static_cast<size_t>(b)] = text;
    form_.TextChanged(b);
  }
  void TypeDate(DateBox b, const std::string& text) {
    dates[static_cast<size_t>(b)] = text;
    form_.DateChanged(b);
  }
  const std::vector<std::string>& Rows(Grid g) const { return rows[Index(g)]; }
  // Cell `column` of grid row `row` (from 1).
  std::string Cell(Grid g, int row, size_t column) const {
    std::string line = rows[Index(g)].at(row - 1);
    for (size_t i = 0; i < column; ++i) line.erase(0, line.find('\t') + 1);
    return line.substr(0, line.find('\t'));
  }

  std::string Text(TextBox b) const override { return texts[static_cast<size_t>(b)]; }
  void SetText(TextBox b, const std::string& text) override { Type(b, text); }
  std::string DateText(DateBox b) const override { return dates[static_cast<size_t>(b)]; }
  TwipsRect BoxRect(TextBox b) const override {
    static const TwipsRect rects[] = {{1215, 45, 1830, 315}, {4335, 45, 1830, 315}, {7245, 45, 1830, 315},
                                      {7245, 465, 1830, 315}};
    return rects[static_cast<size_t>(b)];
  }
  void SetGridColumns(Grid g, const std::vector<GridColumn>& c) override { columns[Index(g)] = c; }
  void SetGridRedraw(Grid, bool) override {}
  void ClearGridRows(Grid g) override { rows[Index(g)].clear(); }
  void AddGridRow(Grid g, const std::string& cells) override { rows[Index(g)].push_back(cells); }
  void ShowGridRow(Grid g, int32_t row) override { shown_row[Index(g)] = row; }
  void ProcessEvents() override {
    if (on_process_events) on_process_events();
  }
  void ShowRefButton(const TwipsRect& rect) override { ref_button = rect; }
  void HideRefButton() override { ref_button.reset(); }
  bool RefButtonHasFocus() const override { return ref_focus; }
  void FocusBox(TextBox b) override {
    focused = b;
    ref_focus = false;
  }
  void ShowMessage(const std::string& text, const std::string& title) override {
    messages.push_back(title + ": " + text);
  }
  void Unload() override { unloaded = true; }

  std::array<std::string, 4> texts;
  std::array<std::string, 2> dates;
  std::array<std::vector<GridColumn>, 2> columns;
  std::array<std::vector<std::string>, 2> rows;
  std::array<int32_t, 2> shown_row{0, 0};
  std::optional<TwipsRect> ref_button;
  bool ref_focus = false;
  std::optional<TextBox> focused;
  std::vector<std::string> messages;
  bool unloaded = false;
  std::function<void()> on_process_events;

 private:
  static size_t Index(Grid g) { return g == Grid::grdHead ? 0 : 1; }
  frmEcnApplyChangeRef& form_;
};

// How a line query goes wrong, when the test asks for it.
enum class LineFault { none, raises, returns_zero, unreadable_data };

// EcnApplyServer as the dialog creates it, remembering every call; `forced_result`
// replaces the server's answer, `line_fault` spoils the line queries.
class RecordingServer : public com::Object<com::IDispatch> {
 public:
  struct Call {
    com::DispId id;
    std::vector<com::Variant> args;
  };
  RecordingServer(std::vector<Call>& calls, std::optional<int32_t> forced_result, LineFault line_fault = {})
      : calls_(calls), forced_(forced_result), line_fault_(line_fault) {
    real_ = com::CreateInstance<com::IDispatch>(suite::kClsidEcnApplyServer, suite::kIidEcnApplyServer);
  }
  const com::TypeInfo* GetTypeInfo() override { return real_->GetTypeInfo(); }
  com::HResult GetIdOfName(std::string_view name, com::DispId* id) override { return real_->GetIdOfName(name, id); }
  com::HResult Invoke(com::DispId id, com::InvokeKind kind, std::span<com::Variant> args, com::Variant* result,
                      com::ExcepInfo* excep) override {
    Call call{id, {}};
    for (const com::Variant& a : args) call.args.push_back(a.Value());
    calls_.push_back(call);
    if (id == suite::kDispIdGetApplyBody && line_fault_ != LineFault::none) {
      switch (line_fault_) {
        case LineFault::raises:
          *excep = com::ExcepInfo{com::kErrAutomation, "服务器没有响应", "EcnApplyServer"};
          return com::DISP_E_EXCEPTION;
        case LineFault::returns_zero:
          *result = com::Variant(int32_t{0});
          return com::S_OK;
        default:
          args[2].Deref() = com::Variant("<NewDataSet><ApplyBody><ApplyDId>x</ApplyDId></ApplyBody></NewDataSet>");
          *result = com::Variant(int32_t{1});
          return com::S_OK;
      }
    }
    if (forced_) {
      *result = com::Variant(*forced_);
      return com::S_OK;
    }
    return real_->Invoke(id, kind, args, result, excep);
  }

 private:
  std::vector<Call>& calls_;
  std::optional<int32_t> forced_;
  LineFault line_fault_;
  com::Ptr<com::IDispatch> real_;
};

// A lookup that answers for the user: the first field of `pick` or nothing.
class FakeLookup : public com::Object<suite::IRefLookup> {
 public:
  struct Seen {
    std::string prepared;  // "archive:Person" or the statement
    bool shown = false;
  };
  FakeLookup(Seen& seen, std::optional<std::string> pick) : seen_(seen), pick_(std::move(pick)) {}
  com::HResult SetArchiveRef(com::Ptr<com::IDispatch>*, int32_t, int32_t, com::Variant archive, std::string, int32_t,
                             int32_t, int32_t*, int32_t, int16_t* ok) override {
    seen_.prepared = "archive:" + archive.ToString();
    *ok = -1;
    return com::S_OK;
  }
  com::HResult SetSqlRef(com::Ptr<com::IDispatch>*, int32_t, std::string, std::string sql, std::string, std::string,
                         int32_t, int32_t, int32_t*, int32_t, int16_t* ok) override {
    seen_.prepared = sql;
    *ok = -1;
    return com::S_OK;
  }
  com::HResult ShowRef() override {
    seen_.shown = true;
    return com::S_OK;
  }
  com::HResult RefRecordset(com::Ptr<ado::Recordset>* result) override {
    if (!pick_) {
      *result = nullptr;
      return com::S_OK;
    }
    com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
    rs->fields().Append("DocCode", ado::adVarChar, 30, ado::adFldIsNullable);
    rs->Open();
    if (!pick_->empty()) {
      rs->AddNew();
      rs->fields().Item(0).SetValue(com::Variant(*pick_));
      rs->Update();
      rs->MoveFirst();
    }
    *result = rs;
    return com::S_OK;
  }
  const com::TypeInfo* GetTypeInfo() override { return nullptr; }
  com::HResult GetIdOfName(std::string_view, com::DispId*) override { return com::DISP_E_UNKNOWNNAME; }
  com::HResult Invoke(com::DispId, com::InvokeKind, std::span<com::Variant>, com::Variant*, com::ExcepInfo*) override {
    return com::DISP_E_MEMBERNOTFOUND;
  }

 private:
  Seen& seen_;
  std::optional<std::string> pick_;
};

class EcnDialogTest : public testing_support::MomFixture {
 protected:
  void SetUp() override {
    MomFixture::SetUp();
    if (IsSkipped()) return;
    login_ = com::CreateObject("MomSuite.Login");
    com::PutProperty(login_.get(), "KrDbName", com::Variant(connection_string_));
  }

  // A dialog like the one EcnApplyChangeRef shows, loaded, with a recording server.
  struct Dialog {
    com::Ptr<ExchangeDictionary> dictionary = com::MakeObject<ExchangeDictionary>();
    frmEcnApplyChangeRef form;
    FakeView view{form};
    std::vector<RecordingServer::Call> calls;
    std::optional<int32_t> forced_result;
    LineFault line_fault = LineFault::none;
  };
  std::unique_ptr<Dialog> Open(int16_t ecn_type = 0) {
    auto d = std::make_unique<Dialog>();
    d->dictionary->Add("EcnType", com::Variant(ecn_type));
    d->dictionary->Add("Conn", com::Variant(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(conn_.get()))));
    d->dictionary->Add("Login", com::Variant(login_));
    d->form.SetData(d->dictionary);
    Dialog* raw = d.get();
    d->form.SetServerFactory(
        [raw] {
          return com::Ptr<com::IDispatch>(
              com::MakeObject<RecordingServer>(raw->calls, raw->forced_result, raw->line_fault));
        });
    d->form.Load();
    return d;
  }

  com::Ptr<com::IDispatch> login_;
};

TEST(EcnDialogRules, BoxChecksAndKeys) {
  struct {
    std::string text;
    bool grade_ok, date_ok;
  } boxes[] = {
      {"", true, true},         {"9", true, false},          {" 9 ", true, false},         {"10", false, false},
      {"99999999999", false, false}, {"2024-02-10", false, true}, {"2024/2/1", false, true}, {"   ", true, false},
      {"2024-13-01", false, false},  {"abc", false, false},
  };
  for (const auto& b : boxes) {
    EXPECT_EQ(GradeMayLeave(b.text), b.grade_ok) << '"' << b.text << '"';
    EXPECT_EQ(DateMayLeave(b.text), b.date_ok) << '"' << b.text << '"';
  }
  for (int key : {int{'0'}, int{'5'}, int{'9'}, 8}) EXPECT_TRUE(GradeAcceptsKey(key)) << key;
  for (int key : {'-', 'a', ' ', '.', '+'}) EXPECT_FALSE(GradeAcceptsKey(key)) << key;

  EXPECT_TRUE(IsLookupKey(113, false, false, false));
  EXPECT_FALSE(IsLookupKey(113, true, false, false));
  EXPECT_FALSE(IsLookupKey(113, false, true, false));
  EXPECT_FALSE(IsLookupKey(113, false, false, true));
  EXPECT_FALSE(IsLookupKey(112, false, false, false));

  // Inside the right end of txtSCode: the button's start place.
  EXPECT_EQ(RefButtonRect({1215, 45, 1830, 315}), (TwipsRect{2700, 75, 315, 255}));
}

TEST(EcnDialogRules, FormatStringsGiveColumnsWithAlignmentAndWidthText) {
  std::vector<GridColumn> head = ParseGridFormat(kHeadFormat + std::string("|<生产批号    |<0123456789  "));
  ASSERT_EQ(head.size(), 11u);
  EXPECT_EQ(head[0], (GridColumn{'<', "变更单号       "}));
  EXPECT_EQ(head[1], (GridColumn{'^', "  单据日期  "}));
  EXPECT_EQ(head[8], (GridColumn{'^', " 预计发行日 "}));
  EXPECT_EQ(head[10], (GridColumn{'<', "0123456789  "}));
  std::vector<GridColumn> body = ParseGridFormat(kBodyFormat);
  ASSERT_EQ(body.size(), 10u);
  EXPECT_EQ(body[0], (GridColumn{'>', " 行号"}));
  EXPECT_EQ(body[9], (GridColumn{'<', "物料规格     "}));
}

TEST_F(EcnDialogTest, DataSetsHaveTheirFieldsAndTypes) {
  frmEcnApplyChangeRef form;
  ASSERT_EQ(form.HeadFields().size(), 26u);
  ASSERT_EQ(form.BodyFields().size(), 38u);
  EXPECT_EQ(form.HeadFields()[25], "Define16");
  EXPECT_EQ(form.BodyFields()[21], "cInvAddCode");
  EXPECT_EQ(form.BodyFields()[37], "cInvDefine16");
  struct {
    bool head;
    const char* name;
    ado::DataType type;
    int32_t size;
  } fields[] = {{true, "Grade", ado::adTinyInt, 0},       {true, "Define7", ado::adDecimal, 0},
                {true, "Define9", ado::adVarChar, 8},     {true, "Define15", ado::adInteger, 0},
                {false, "NewFlag", ado::adBoolean, 0},    {false, "cInvDefine6", ado::adVarChar, 60},
                {false, "cInvDefine7", ado::adVarChar, 120}, {false, "cInvDefine13", ado::adDecimal, 0},
                {false, "cInvDefine15", ado::adDate, 0}};
  for (const auto& f : fields) {
    const ado::Field& field = (f.head ? form.HeadRs() : form.BodyRs())->fields().Item(f.name);
    EXPECT_EQ(field.Type(), f.type) << f.name;
    if (f.size) {
      EXPECT_EQ(field.DefinedSize(), f.size) << f.name;
    }
    EXPECT_TRUE(field.Attributes() & ado::adFldIsNullable) << f.name;
    if (f.type == ado::adDecimal) {
      EXPECT_EQ(field.NumericScale(), 6) << f.name;
    }
  }
  EXPECT_EQ(form.HeadRs()->RecordCount(), 0);
  EXPECT_EQ(form.CurHeadRow() + form.CurBodyRow() + form.LastHeadRow(), 0);
}

TEST_F(EcnDialogTest, LoadFormatsTheGridsWithTheCaptions) {
  auto d = Open();
  ASSERT_EQ(d->view.columns[0].size(), 25u);
  ASSERT_EQ(d->view.columns[1].size(), 20u);
  EXPECT_EQ(d->view.columns[0][9], (GridColumn{'<', "生产批号        "}));
  EXPECT_EQ(d->view.columns[1][10], (GridColumn{'<', "颜色          "}));
  EXPECT_TRUE(d->form.FilterDirty());
}

TEST_F(EcnDialogTest, FilterLoadsTheFirstHeadAndQueriesOnceForTwoClicks) {
  auto d = Open();
  d->form.cmdFilter_Click();
  d->form.cmdFilter_Click();
  ASSERT_EQ(d->calls.size(), 2u);  // heads, then the first head's lines
  EXPECT_EQ(d->calls[0].id, suite::kDispIdGetApplyHead);
  EXPECT_EQ(d->calls[1].id, suite::kDispIdGetApplyBody);
  EXPECT_EQ(d->calls[1].args[0].ToI4(), 7001);
  EXPECT_FALSE(d->form.FilterDirty());
  EXPECT_EQ(d->view.Rows(Grid::grdHead).size(), 3u);
  EXPECT_EQ(d->view.Rows(Grid::grdBody).size(), 2u);
  EXPECT_EQ(d->form.CurHeadRow(), 1);
  EXPECT_EQ(d->form.LastHeadRow(), 1);
  EXPECT_EQ(d->view.shown_row[0], 1);
  EXPECT_EQ(d->form.CurBodyRow(), 0);  // the user picks a line

  // A changed filter queries again, even when row 1 was the last row seen.
  d->view.Type(TextBox::txtGrade, "2");
  d->form.cmdFilter_Click();
  ASSERT_EQ(d->calls.size(), 4u);
  EXPECT_EQ(d->calls[3].args[0].ToI4(), 7002);
  EXPECT_EQ(d->view.Rows(Grid::grdHead).size(), 2u);
  EXPECT_EQ(d->view.Rows(Grid::grdBody).size(), 4u);
}

TEST_F(EcnDialogTest, EmptyFiltersSendTheWidestRange) {
  auto d = Open();
  d->form.cmdFilter_Click();
  const std::vector<com::Variant>& a = d->calls.at(0).args;
  ASSERT_EQ(a.size(), 7u);
  EXPECT_EQ(a[0].ToString(), "");
  EXPECT_EQ(a[1].ToString(), std::string(30, 'z'));
  EXPECT_EQ(com::FormatDate(a[2].ToDate()), "1900-01-01");
  EXPECT_EQ(com::FormatDate(a[3].ToDate()), "2099-12-31");
  EXPECT_EQ(a[4].ToString(), "");
  EXPECT_EQ(a[5].type(), com::VarType::I4);
  EXPECT_EQ(a[5].ToI4(), -1);

  auto e = Open();
  e->view.Type(TextBox::txtSCode, "  ECN0002 ");
  e->view.Type(TextBox::txtEmpl, " 王工 ");
  e->view.TypeDate(DateBox::txtSDate, "2024-2-1");
  e->form.cmdFilter_Click();
  EXPECT_EQ(e->calls.at(0).args[0].ToString(), "ECN0002");
  EXPECT_EQ(e->calls.at(0).args[4].ToString(), "王工");
  EXPECT_EQ(com::FormatDate(e->calls.at(0).args[2].ToDate()), "2024-02-01");
}

TEST_F(EcnDialogTest, ColumnChangeLoadsNothingRowChangeLoadsTheLines) {
  auto d = Open();
  d->form.cmdFilter_Click();
  d->form.GridRowChosen(Grid::grdHead, 1);  // another column of the same row
  EXPECT_EQ(d->calls.size(), 2u);
  d->form.GridRowChosen(Grid::grdHead, 2);
  ASSERT_EQ(d->calls.size(), 3u);
  EXPECT_EQ(d->form.CurHeadRow(), 2);
  ASSERT_EQ(d->view.Rows(Grid::grdBody).size(), 4u);
  // 7002 has no reason, applicant or department.
  EXPECT_EQ(d->view.Cell(Grid::grdHead, 2, 0), "ECN0002");
  EXPECT_EQ(d->view.Cell(Grid::grdHead, 2, 1), "2024-02-15");
  for (size_t empty_column : {4u, 5u, 6u}) EXPECT_EQ(d->view.Cell(Grid::grdHead, 2, empty_column), "");
  EXPECT_EQ(d->view.Cell(Grid::grdHead, 1, 5), "王工");
  // Lines: row number, new version flag, item name from the inventory, free items.
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 1, 0), "1");
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 1, 1), "否");
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 3, 1), "是");
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 1, 8), "折叠自行车");
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 1, 10), "红色");
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 4, 2), "");   // no version
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 4, 4), "");   // no version date
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 1, 4), "2024-03-01");
}

TEST_F(EcnDialogTest, EmptyLineResultShowsTheHeaderRowAndConfirmsNothing) {
  auto d = Open(3);  // removals: 7001 has none
  d->form.GridRowChosen(Grid::grdBody, 0);
  d->form.cmdFilter_Click();
  EXPECT_EQ(d->calls.at(1).args[1].ToI4(), 3);
  EXPECT_TRUE(d->view.Rows(Grid::grdBody).empty());
  EXPECT_EQ(d->form.CurHeadRow(), 1);
  d->form.GridRowChosen(Grid::grdBody, 1);  // no such row
  EXPECT_EQ(d->form.CurBodyRow(), 0);
  d->form.OKButton_Click();
  EXPECT_TRUE(d->view.unloaded);
  EXPECT_FALSE(d->dictionary->Exists("ApplyDId"));
}

TEST_F(EcnDialogTest, FailingAndEmptyQueries) {
  auto d = Open();
  d->form.cmdFilter_Click();
  d->form.GridRowChosen(Grid::grdBody, 2);
  ASSERT_EQ(d->form.CurBodyRow(), 2);

  // No head matches: the grids keep what they showed, and so do the data sets.
  d->view.Type(TextBox::txtSCode, "ZZZ");
  d->form.cmdFilter_Click();
  EXPECT_TRUE(d->form.FilterDirty());
  EXPECT_EQ(d->view.Rows(Grid::grdHead).size(), 3u);
  EXPECT_EQ(d->form.HeadRs()->RecordCount(), 3);
  EXPECT_EQ(d->form.CurBodyRow(), 0);
  d->form.cmdFilter_Click();  // still dirty: queries again
  EXPECT_EQ(d->calls.size(), 4u);

  // A server that reports failure empties both grids.
  d->forced_result = 0;
  d->form.cmdFilter_Click();
  EXPECT_TRUE(d->view.Rows(Grid::grdHead).empty());
  EXPECT_TRUE(d->view.Rows(Grid::grdBody).empty());
  EXPECT_FALSE(d->form.FilterDirty());

  // A server that raises shows its text; the dialog stays usable.
  d->forced_result.reset();
  d->view.Type(TextBox::txtSCode, "");
  d->view.TypeDate(DateBox::txtEDate, "not a date");
  d->form.cmdFilter_Click();
  ASSERT_EQ(d->view.messages.size(), 1u);
  EXPECT_EQ(d->view.messages[0], "提示信息: Type mismatch");
  d->view.TypeDate(DateBox::txtEDate, "");
  d->form.cmdFilter_Click();
  EXPECT_EQ(d->view.Rows(Grid::grdHead).size(), 3u);
}

TEST_F(EcnDialogTest, ValidationKeepsTheFocusOnlyForBadValues) {
  auto d = Open();
  d->view.TypeDate(DateBox::txtSDate, "   ");
  EXPECT_FALSE(d->form.ValidateDate(DateBox::txtSDate));
  EXPECT_EQ(d->view.messages, std::vector<std::string>{"提示信息: 输入错误！"});
  d->view.TypeDate(DateBox::txtSDate, "2024-02-01");
  EXPECT_TRUE(d->form.ValidateDate(DateBox::txtSDate));
  d->view.Type(TextBox::txtGrade, "10");
  EXPECT_FALSE(d->form.ValidateGrade());
  EXPECT_EQ(d->view.messages.size(), 1u);  // no message for the grade
}

TEST_F(EcnDialogTest, LookupButtonFollowsTheFocusAndFillsTheBox) {
  auto d = Open();
  FakeLookup::Seen seen;
  std::optional<std::string> pick = "ECN0002";
  int created = 0;
  d->form.SetLookupFactory([&] {
    ++created;
    return com::Ptr<suite::IRefLookup>(com::MakeObject<FakeLookup>(seen, pick));
  });

  d->form.BoxGotFocus(TextBox::txtECode);
  EXPECT_EQ(d->view.ref_button, (TwipsRect{5820, 75, 315, 255}));
  d->form.BoxLostFocus(TextBox::txtECode);  // tabbed elsewhere
  EXPECT_FALSE(d->view.ref_button.has_value());
  EXPECT_EQ(created, 0);

  d->form.cmdFilter_Click();
  d->view.Type(TextBox::txtECode, "EC'N");
  d->view.ref_focus = true;  // the button was clicked, or F2 pressed
  d->form.BoxLostFocus(TextBox::txtECode);
  EXPECT_EQ(seen.prepared, "select DocCode, DocDate from ecn_ecnapply where DocCode like '%EC''N%'");
  EXPECT_TRUE(seen.shown);
  EXPECT_EQ(d->view.Text(TextBox::txtECode), "ECN0002");
  EXPECT_TRUE(d->form.FilterDirty());
  EXPECT_EQ(d->view.focused, TextBox::txtECode);

  // The applicant box looks in the person archive; the typed text is not passed.
  d->view.Type(TextBox::txtEmpl, "王");
  pick = "0101";
  d->view.ref_focus = true;
  d->form.BoxLostFocus(TextBox::txtEmpl);
  EXPECT_EQ(seen.prepared, "archive:Person");
  EXPECT_EQ(d->view.Text(TextBox::txtEmpl), "0101");

  // Cancelled, or no rows: the text stays, the focus comes back.
  for (std::optional<std::string> answer : {std::optional<std::string>(), std::optional<std::string>("")}) {
    pick = answer;
    d->view.focused.reset();
    d->view.ref_focus = true;
    d->form.BoxLostFocus(TextBox::txtSCode);
    EXPECT_EQ(d->view.Text(TextBox::txtSCode), "");
    EXPECT_EQ(d->view.focused, TextBox::txtSCode);
  }
  EXPECT_EQ(created, 4);
}

TEST_F(EcnDialogTest, TheLookupStatementKeepsATypedQuoteInsideTheLiteral) {
  struct {
    std::string typed;
    int rows;
  } cases[] = {{"", 3}, {"0002", 1}, {"x' or '1'='1", 0}, {"'", 0}};
  for (const auto& c : cases) {
    com::Ptr<ado::Recordset> rs = ado::Recordset::Create();
    rs->SetCursorLocation(ado::adUseClient);
    rs->Open(DocCodeLookupSql(c.typed), conn_.get());
    EXPECT_EQ(rs->RecordCount(), c.rows) << c.typed;
  }
}

TEST_F(EcnDialogTest, UserActionsWaitWhileAGridFills) {
  auto d = Open();
  int during = 0;
  d->view.on_process_events = [&] {
    ++during;
    d->form.GridRowChosen(Grid::grdHead, 3);
    d->form.CancelButton_Click();
    EXPECT_FALSE(d->form.QueryUnload());
  };
  d->form.cmdFilter_Click();
  EXPECT_EQ(during, 5);  // three heads, two lines
  EXPECT_EQ(d->form.CurHeadRow(), 1);
  EXPECT_EQ(d->calls.size(), 2u);
  EXPECT_FALSE(d->view.unloaded);
  EXPECT_TRUE(d->dictionary);
}

// The whole operation with a window that the test drives.
class EcnApplyChangeRefTest : public EcnDialogTest {
 protected:
  struct Outcome {
    int32_t result, ApplyDId, SortSeq;
    std::string DocCode;
  };
  Outcome Run(const std::function<void(frmEcnApplyChangeRef&, FakeView&)>& user, int16_t ecn_type = 0) {
    Outcome o{-9, -9, -9, "stale"};
    mom::ObjectRef login = login_;
    o.result = EcnApplyChangeRef(login, ecn_type, conn_, o.ApplyDId, o.DocCode, o.SortSeq,
                                 [&](frmEcnApplyChangeRef& form) {
                                   FakeView view(form);
                                   form.Load();
                                   user(form, view);
                                   EXPECT_TRUE(view.unloaded || form.Unloaded());
                                 });
    return o;
  }
};

TEST_F(EcnApplyChangeRefTest, ConfirmCancelAndCloseOutcomes) {
  auto pick = [](frmEcnApplyChangeRef& f, FakeView&) {
    f.cmdFilter_Click();
    f.GridRowChosen(Grid::grdHead, 2);
    f.GridRowChosen(Grid::grdBody, 3);
  };
  struct {
    const char* name;
    std::function<void(frmEcnApplyChangeRef&, FakeView&)> user;
    int32_t ApplyDId, SortSeq;
    std::string DocCode;
  } cases[] = {
      {"confirm", [&](auto& f, auto& v) { pick(f, v), f.OKButton_Click(); }, 7113, 3, "ECN0002"},
      {"cancel", [&](auto& f, auto& v) { pick(f, v), f.CancelButton_Click(); }, 0, 0, ""},
      {"close", [&](auto& f, auto& v) { pick(f, v), f.QueryUnload(); }, 0, 0, ""},
      {"no line", [&](auto& f, auto&) { f.cmdFilter_Click(), f.OKButton_Click(); }, 0, 0, ""},
      {"no filter", [&](auto& f, auto&) { f.OKButton_Click(); }, 0, 0, ""},
  };
  for (const auto& c : cases) {
    Outcome o = Run(c.user);
    EXPECT_EQ(o.result, c.ApplyDId) << c.name;
    EXPECT_EQ(o.ApplyDId, c.ApplyDId) << c.name;
    EXPECT_EQ(o.SortSeq, c.SortSeq) << c.name;
    EXPECT_EQ(o.DocCode, c.DocCode) << c.name;
  }
}

TEST_F(EcnApplyChangeRefTest, AFailingCaptionQueryFailsTheCallAndWritesNothing) {
  conn_->Execute("drop table UserDef");
  int32_t ApplyDId = 5, SortSeq = 6;
  std::string DocCode = "kept";
  mom::ObjectRef login = login_;
  EXPECT_THROW(EcnApplyChangeRef(login, 0, conn_, ApplyDId, DocCode, SortSeq,
                                 [](frmEcnApplyChangeRef& form) {
                                   FakeView view(form);
                                   form.Load();
                                 }),
               com::Error);
  EXPECT_EQ(ApplyDId, 5);
  EXPECT_EQ(DocCode, "kept");
}

// Through the component's server library, as a host calls it: the library shows the Qt
// window, which needs a display.
TEST_F(EcnApplyChangeRefTest, WithoutADisplayTheCallFailsWithAClearError) {
  if (!MOM_WITH_WIDGETS) GTEST_SKIP() << "built without windows";
  testing_support::ScopedEnv no_x("DISPLAY", ""), no_wayland("WAYLAND_DISPLAY", ""), no_qpa("QT_QPA_PLATFORM", "");
  com::Variant a_login(login_), a_type(int16_t{0}),
      a_cn(com::Ptr<com::IUnknown>(static_cast<com::IUnknown*>(conn_.get()))), a_id(int32_t{5}),
      a_code{std::string("kept")}, a_seq(int32_t{6});
  com::Variant args[] = {com::Variant::Ref(&a_login), com::Variant::Ref(&a_type), com::Variant::Ref(&a_cn),
                         com::Variant::Ref(&a_id),    com::Variant::Ref(&a_code), com::Variant::Ref(&a_seq)};
  try {
    com::CallByName(mom_.get(), "EcnApplyChangeRef", args);
    ADD_FAILURE() << "no error";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.number(), com::kErrAutomation);
    EXPECT_NE(e.description().find("没有可用的显示器"), std::string::npos) << e.description();
  }
  EXPECT_EQ(a_id.ToI4(), 5);
  EXPECT_EQ(a_code.ToString(), "kept");
}

// The logic linked alone, with no window installed (as the threaded tests and a build
// without windows have it): the call fails before it writes anything.
TEST_F(EcnApplyChangeRefTest, WithoutAWindowTheCallFailsWithAClearError) {
  mom::ObjectRef login = login_;
  int32_t ApplyDId = 5, SortSeq = 6;
  std::string DocCode = "kept";
  try {
    EcnApplyChangeRef(login, 0, conn_, ApplyDId, DocCode, SortSeq);
    ADD_FAILURE() << "no error";
  } catch (const com::Error& e) {
    EXPECT_EQ(e.number(), com::kErrAutomation);
    EXPECT_NE(e.description().find("没有带窗口"), std::string::npos) << e.description();
  }
  EXPECT_EQ(ApplyDId, 5);
  EXPECT_EQ(DocCode, "kept");
  EXPECT_EQ(SortSeq, 6);
}

TEST_F(EcnDialogTest, ExchangeDictionaryAddsMissingKeysAsEmpty) {
  com::Ptr<ExchangeDictionary> d = com::MakeObject<ExchangeDictionary>();
  d->Add("ApplyDId", com::Variant(int32_t{3}));
  EXPECT_THROW(d->Add("ApplyDId", com::Variant(int32_t{4})), com::Error);
  EXPECT_TRUE(d->Item("applydid").is_empty());  // exact keys
  EXPECT_EQ(d->Count(), 2);
  // Late-bound, as a scripting host uses it.
  com::Variant key[] = {com::Variant("DocCode")};
  EXPECT_EQ(com::CallByName(d.get(), "Item", key, com::InvokeKind::PropertyGet).ToString(), "");
  EXPECT_EQ(com::CallByName(d.get(), "Exists", key).ToBool(), true);
}

// EcnApplyServer reads through the thread's current login: the form lends it its
// login's database while loaded and gives the caller's thread its own back.
TEST_F(EcnDialogTest, TheThreadHasTheFormsLoginOnlyWhileTheFormIsLoaded) {
  suite::ScopedCurrentLogin callers("Provider=SQLite;Data Source=/the/callers.db");
  {
    auto d = Open();
    EXPECT_EQ(suite::CurrentLoginConnectionString(), connection_string_);
  }
  EXPECT_EQ(suite::CurrentLoginConnectionString(), "Provider=SQLite;Data Source=/the/callers.db");
}

// The suite's server and lookup model on the sample database.
TEST_F(EcnDialogTest, EcnApplyServerFilters) {
  com::Ptr<com::IDispatch> current = com::CreateObject(suite::kProgIdCurrentLogin);
  com::PutProperty(current.get(), "KrDbName", com::Variant(connection_string_));
  auto date = [](const char* text) { return com::Variant(*com::ParseDate(text)); };
  struct {
    const char *start, *end, *from, *to, *applicant;
    int32_t grade;
    int heads;
  } cases[] = {
      {"", "zzz", "1900-01-01", "2099-12-31", "", -1, 3},
      {"ECN0002", "zzz", "1900-01-01", "2099-12-31", "", -1, 2},
      {"", "ECN0002", "1900-01-01", "2099-12-31", "", -1, 2},
      {"", "zzz", "2024-02-10", "2024-02-10", "", -1, 1},   // the end date counts as a whole day
      {"", "zzz", "2024-03-01", "2099-12-31", "", -1, 2},
      {"", "zzz", "1900-01-01", "2099-12-31", "王工", -1, 1},  // by name
      {"", "zzz", "1900-01-01", "2099-12-31", "0103", -1, 1},  // by code
      {"", "zzz", "1900-01-01", "2099-12-31", "x' or '1'='1", -1, 0},
      {"", "zzz", "1900-01-01", "2099-12-31", "", 2, 2},
      {"", "zzz", "1900-01-01", "2099-12-31", "", 0, 0},
  };
  for (const auto& c : cases) {
    com::Ptr<com::IDispatch> server =
        com::CreateInstance<com::IDispatch>(suite::kClsidEcnApplyServer, suite::kIidEcnApplyServer);
    com::Variant a[] = {com::Variant(c.start), com::Variant(c.end), date(c.from), date(c.to),
                        com::Variant(c.applicant), com::Variant(c.grade), com::Variant(std::string())};
    com::Variant data;
    com::Variant args[] = {a[0], a[1], a[2], a[3], a[4], a[5], com::Variant::Ref(&data)};
    EXPECT_EQ(com::CallById(server.get(), suite::kDispIdGetApplyHead, args).ToI4(), 1);
    std::string text = data.ToString();
    int heads = 0;
    for (size_t p = text.find("<ApplyHead>"); p != std::string::npos; p = text.find("<ApplyHead>", p + 1)) ++heads;
    EXPECT_EQ(heads, c.heads) << c.start << " " << c.end << " " << c.from << " " << c.applicant << " " << c.grade;
  }
}

TEST_F(EcnDialogTest, RefLookupModelPicksOneRow) {
  suite::RefLookupModel model;
  model.Load(connection_string_, suite::ArchiveSql("Person"), suite::ArchiveCaptions("Person"));
  ASSERT_EQ(model.RowCount(), 3);
  EXPECT_EQ(model.Caption(1), "姓名");
  EXPECT_EQ(model.Text(1, 1), "李工");
  EXPECT_EQ(model.Picked(), nullptr);
  model.Pick(1);
  com::Ptr<ado::Recordset> picked = model.Picked();
  ASSERT_TRUE(picked);
  EXPECT_EQ(picked->RecordCount(), 1);
  EXPECT_EQ(picked->fields().Item(0).Value().ToString(), "0102");
  model.Pick(7);
  EXPECT_EQ(model.Picked(), nullptr);

  suite::RefLookupModel codes;
  codes.Load(connection_string_, DocCodeLookupSql("ECN"), "单据编码,单据日期");
  EXPECT_EQ(codes.Caption(1), "单据日期");
  EXPECT_EQ(codes.Text(0, 1), "2024-02-01");
}

// What the confirm button handed back: "ApplyDId SortSeq DocCode", or "nothing".
std::string Handed(ExchangeDictionary& d) {
  if (!d.Exists("ApplyDId")) return "nothing";
  return d.Item("ApplyDId").ToString() + " " + d.Item("SortSeq").ToString() + " " + d.Item("DocCode").ToString();
}

// A line load that fails leaves no line to confirm, and choosing the same head again
// loads it again.
TEST_F(EcnDialogTest, AFailedLineLoadLeavesNoLineAndChoosingTheHeadAgainRetries) {
  struct {
    const char* name;
    LineFault fault;
    const char* message;  // "" when none is shown
  } cases[] = {
      {"raises", LineFault::raises, "提示信息: 服务器没有响应"},
      {"reports failure", LineFault::returns_zero, ""},
      {"unreadable data", LineFault::unreadable_data,
       "提示信息: 数据集 ApplyBody 第 1 行的字段 ApplyDId：值“x”不能转换为整数"},
  };
  for (const auto& c : cases) {
    for (bool retry : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (retry ? ", retried" : ", confirmed"));
      auto d = Open();
      d->form.cmdFilter_Click();
      d->form.GridRowChosen(Grid::grdBody, 2);  // 7102, a line of ECN0001
      ASSERT_EQ(d->form.CurBodyRow(), 2);
      d->line_fault = c.fault;
      d->form.GridRowChosen(Grid::grdHead, 2);  // ECN0002
      EXPECT_EQ(d->view.messages, std::vector<std::string>(*c.message ? 1 : 0, c.message));
      EXPECT_TRUE(d->view.Rows(Grid::grdBody).empty());
      EXPECT_EQ(d->form.GridRows(Grid::grdBody), 1);
      EXPECT_EQ(d->form.CurBodyRow(), 0);
      EXPECT_EQ(d->form.CurHeadRow(), 2);
      EXPECT_EQ(d->form.BodyRs()->RecordCount(), 0);
      d->form.GridRowChosen(Grid::grdBody, 2);  // the old line is gone
      EXPECT_EQ(d->form.CurBodyRow(), 0);
      if (!retry) {
        d->form.OKButton_Click();
        EXPECT_EQ(Handed(*d->dictionary), "nothing");
        continue;
      }
      d->line_fault = LineFault::none;
      size_t calls = d->calls.size();
      d->form.GridRowChosen(Grid::grdHead, 2);
      EXPECT_EQ(d->calls.size(), calls + 1);
      EXPECT_EQ(d->view.Rows(Grid::grdBody).size(), 4u);
      d->form.GridRowChosen(Grid::grdBody, 1);
      d->form.OKButton_Click();
      EXPECT_EQ(Handed(*d->dictionary), "7111 1 ECN0002");
    }
  }
}

// The filter replaces the heads; when the first new head's lines fail to load, the
// line chosen under the old heads cannot be confirmed under the new ones.
TEST_F(EcnDialogTest, ALineIsNeverConfirmedUnderAnotherHead) {
  struct {
    const char* name;
    std::function<void(EcnDialogTest::Dialog&)> between;
    std::string handed;
  } cases[] = {
      {"nothing between", [](Dialog&) {}, "7102 2 ECN0001"},
      {"new heads, lines fail",
       [](Dialog& d) {
         d.view.Type(TextBox::txtGrade, "2");
         d.line_fault = LineFault::raises;
         d.form.cmdFilter_Click();
       },
       "nothing"},
      {"filter fails",
       [](Dialog& d) {
         d.view.Type(TextBox::txtGrade, "2");
         d.forced_result = 0;
         d.form.cmdFilter_Click();
       },
       "nothing"},
      {"another head, lines fail",
       [](Dialog& d) {
         d.line_fault = LineFault::raises;
         d.form.GridRowChosen(Grid::grdHead, 3);
         d.line_fault = LineFault::none;
         d.form.GridRowChosen(Grid::grdBody, 2);
       },
       "nothing"},
      {"another head and back",
       [](Dialog& d) {
         d.form.GridRowChosen(Grid::grdHead, 3);
         d.form.GridRowChosen(Grid::grdHead, 1);
         d.form.GridRowChosen(Grid::grdBody, 2);
       },
       "7102 2 ECN0001"},
  };
  for (const auto& c : cases) {
    auto d = Open();
    d->form.cmdFilter_Click();
    d->form.GridRowChosen(Grid::grdBody, 2);
    c.between(*d);
    d->form.OKButton_Click();
    EXPECT_EQ(Handed(*d->dictionary), c.handed) << c.name;
  }
}

// A field as the dialog's data set holds it at record `row`: "<null>", a date
// "YYYY-MM-DD", or the value's text.
std::string FieldText(const mom::RecordsetRef& rs, int32_t row, const char* field) {
  rs->SetAbsolutePosition(row);
  com::Variant v = rs->fields().Item(field).Value();
  if (v.is_null()) return "<null>";
  return v.type() == com::VarType::Date ? com::FormatDate(v.ToDate()) : v.ToString();
}

std::string Repeated(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// Every value the schema takes reaches the dialog: texts too long for the data set are
// cut to the field's size, a value that does not convert is shown empty, and no row
// hides the others.
TEST_F(EcnDialogTest, ValuesTheDataSetsCannotHoldAreFittedNotRefused) {
  const std::string reason80 = Repeated("焊", 80), name22 = Repeated("王", 22), item70 = Repeated("车", 70);
  struct {
    const char* sql;
    bool head;    // a head, else a line of ECN0001
    int32_t row;  // head 7001, 7002, 7003 at rows 1 to 3; lines 7101 (item FG001), 7102
    const char* field;
    std::string held;
  } cases[] = {
      {"update ecn_ecnapply set ReasonDesc = '{reason80}' where ApplyId = 7001", true, 1, "ReasonDesc",
       Repeated("焊", 60)},
      {"update ecn_ecnapply set EmplName = '{name22}' where ApplyId = 7001", true, 1, "EmplName", Repeated("王", 20)},
      {"update ecn_ecnapply set DeptName = 'D-123456789012345678901' where ApplyId = 7001", true, 1, "DeptName",
       "D-123456789012345678"},
      {"update ecn_ecnapply set Grade = 'A' where ApplyId = 7001", true, 1, "Grade", "<null>"},
      {"update ecn_ecnapply set Grade = '300' where ApplyId = 7002", true, 2, "Grade", "<null>"},
      {"update ecn_ecnapply set GradeDesc = 'x' where ApplyId = 7001", true, 1, "GradeDesc", "x"},
      {"update ecn_ecnapply set Define5 = 'abc' where ApplyId = 7001", true, 1, "Define5", "<null>"},
      {"update ecn_ecnapply set Define5 = '42' where ApplyId = 7002", true, 2, "Define5", "42"},
      {"update ecn_ecnapply set Define7 = '1,5x' where ApplyId = 7001", true, 1, "Define7", "<null>"},
      {"update ecn_ecnapply set Define7 = '12.5' where ApplyId = 7003", true, 3, "Define7", "12.5"},
      {"update ecn_ecnapply set Define8 = '12345' where ApplyId = 7001", true, 1, "Define8", "1234"},
      {"update ecn_ecnapply set Define9 = '123456789' where ApplyId = 7001", true, 1, "Define9", "12345678"},
      {"update ecn_ecnapply set Define15 = 'abc' where ApplyId = 7001", true, 1, "Define15", "<null>"},
      {"update ecn_ecnapply set Define16 = 'abc' where ApplyId = 7001", true, 1, "Define16", "<null>"},
      {"update ecn_ecnapply set Define16 = '3.25' where ApplyId = 7002", true, 2, "Define16", "3.25"},
      {"update ecn_ecnapply set Define11 = 3 where ApplyId = 7001", true, 1, "Define11", "3"},
      {"update ecn_ecnapplydetail set Version = 'V2' where ApplyDId = 7101", false, 1, "Version", "<null>"},
      {"update ecn_ecnapplydetail set IdentCode = 'BOM-0123456789-0123456789' where ApplyDId = 7101", false,
       1, "IdentCode", "BOM-0123456789-01234"},
      {"update ecn_ecnapplydetail set InvCode = 'FG-0123456789-0123456789' where ApplyDId = 7102", false, 2,
       "InvCode", "FG-0123456789-012345"},
      {"update Inventory set cInvName = '{item70}' where cInvCode = 'FG001'", false, 1, "cInvName",
       Repeated("车", 60)},
      {"update Inventory set cInvStd = '{item70}' where cInvCode = 'FG001'", false, 1, "cInvStd", Repeated("车", 60)},
      {"update Inventory set cInvAddCode = '{item70}' where cInvCode = 'FG001'", false, 1, "cInvAddCode",
       Repeated("车", 30)},
      {"update Inventory set cInvDefine15 = 'abc' where cInvCode = 'FG001'", false, 1, "cInvDefine15", "<null>"},
      {"update Inventory set cInvDefine16 = '2024-03-01' where cInvCode = 'FG001'", false, 1, "cInvDefine16",
       "2024-03-01"},
      {"update Inventory set cInvDefine5 = 'abc' where cInvCode = 'FG001'", false, 1, "cInvDefine5", "abc"},
      {"update Inventory set cInvDefine11 = 7 where cInvCode = 'FG001'", false, 1, "cInvDefine11", "7"},
      {"update Inventory set cInvDefine4 = '2024-01-15' where cInvCode = 'FG001'", false, 1, "cInvDefine4",
       "2024-01-15"},
  };
  for (const auto& c : cases) {
    std::string sql = c.sql;
    for (auto [name, value] : {std::pair{"{reason80}", &reason80}, {"{name22}", &name22}, {"{item70}", &item70}})
      if (size_t at = sql.find(name); at != std::string::npos) sql.replace(at, std::string(name).size(), *value);
    conn_->Execute(sql);
  }
  auto d = Open();
  d->form.cmdFilter_Click();
  EXPECT_EQ(d->view.messages, std::vector<std::string>{});
  ASSERT_EQ(d->view.Rows(Grid::grdHead).size(), 3u);
  ASSERT_EQ(d->view.Rows(Grid::grdBody).size(), 2u);
  for (const auto& c : cases)
    EXPECT_EQ(FieldText(c.head ? d->form.HeadRs() : d->form.BodyRs(), c.row, c.field), c.held) << c.sql;
  // The grids show the cut texts and empty cells.
  EXPECT_EQ(d->view.Cell(Grid::grdHead, 1, 4), Repeated("焊", 60));
  EXPECT_EQ(d->view.Cell(Grid::grdHead, 1, 2), "");      // grade "A"
  EXPECT_EQ(d->view.Cell(Grid::grdHead, 1, 9 + 4), "");  // Define5 "abc"
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 1, 2), "");      // version "V2"
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 1, 8), Repeated("车", 60));
  EXPECT_EQ(d->view.Cell(Grid::grdBody, 2, 2), "20");
}

// When the data set does refuse a value, the message names the row and the field.
TEST_F(EcnDialogTest, TheDataSetNamesTheRowAndFieldItRefuses) {
  struct {
    std::string cell;
    std::string message;
  } cases[] = {
      {"<ReasonDesc>" + Repeated("因", 61) + "</ReasonDesc>",
       "数据集 ApplyHead 第 2 行的字段 ReasonDesc：值长 61 个字符，超过字段长度 60 个字符"},
      {"<Define5>abc</Define5>", "数据集 ApplyHead 第 2 行的字段 Define5：值“abc”不能转换为整数"},
      {"<Grade>300</Grade>", "数据集 ApplyHead 第 2 行的字段 Grade：值“300”不能转换为0 到 255 的整数"},
      {"<PlanReleaseDate>2024-02-30</PlanReleaseDate>",
       "数据集 ApplyHead 第 2 行的字段 PlanReleaseDate：值“2024-02-30”不能转换为日期"},
      {"<Define7>" + Repeated("9", 45) + "x</Define7>",
       "数据集 ApplyHead 第 2 行的字段 Define7：值“" + Repeated("9", 40) + "…”不能转换为数值"},
  };
  for (const auto& c : cases) {
    frmEcnApplyChangeRef form;
    mom::RecordsetRef rs = form.HeadRs();
    std::string data = "<NewDataSet><ApplyHead><ApplyId>1</ApplyId></ApplyHead><ApplyHead>" + std::string(c.cell) +
                       "</ApplyHead></NewDataSet>";
    std::string table = "ApplyHead";
    com::SafeArray names;
    for (const std::string& n : form.HeadFields()) names.items.emplace_back(n);
    com::Variant fields(std::move(names));
    try {
      mom::XMLRSData::FillRecordset(rs, data, table, fields, fields);
      ADD_FAILURE() << "taken: " << c.cell;
    } catch (const com::Error& e) {
      EXPECT_EQ(e.description(), c.message);
    }
  }
}

TEST(EcnApplyFit, ValuesAreCutOrEmptiedToFitTheirField) {
  auto text = [](int32_t size) { return suite::ApplyField{"T", ado::adVarChar, size}; };
  auto of = [](ado::DataType type) { return suite::ApplyField{"N", type}; };
  struct {
    com::Variant value;
    suite::ApplyField field;
    std::optional<std::string> sent;
  } cases[] = {
      {com::Variant(Repeated("原", 61)), text(60), Repeated("原", 60)},
      {com::Variant("a原b"), text(2), "a原"},
      {com::Variant("ab"), text(20), "ab"},
      {com::Variant(int32_t{5}), of(ado::adInteger), "5"},
      {com::Variant("V2"), of(ado::adInteger), std::nullopt},
      {com::Variant("3000000000"), of(ado::adInteger), std::nullopt},
      {com::Variant(""), of(ado::adInteger), std::nullopt},
      {com::Variant("255"), of(ado::adTinyInt), "255"},
      {com::Variant("256"), of(ado::adTinyInt), std::nullopt},
      {com::Variant("12.5x"), of(ado::adDecimal), std::nullopt},
      {com::Variant(*com::ParseDate("2024-03-01")), text(60), "2024-03-01"},
      {com::Variant(*com::ParseDate("2024-03-01 10:30")), of(ado::adDate), "2024-03-01T10:30:00"},
      {com::Variant("2024-02-30"), of(ado::adDate), std::nullopt},
      {com::Variant(true), of(ado::adBoolean), "true"},
      {com::Variant::Null(), text(60), std::nullopt},
      {com::Variant::Null(), of(ado::adInteger), std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(suite::FitToField(c.value, c.field), c.sent) << c.value.ToString() << " into " << c.field.type;
}

// With both date boxes empty every head is listed, those without a planned release
// date too; a date typed in any of the usual forms narrows the list.
TEST_F(EcnDialogTest, DateFiltersReadLocaleFormsAndEmptyBoxesKeepUndatedHeads) {
  conn_->Execute("update ecn_ecnapply set PlanReleaseDate = null where ApplyId = 7002");
  struct {
    const char *from, *to;
    std::vector<std::string> codes;
  } cases[] = {
      {"", "", {"ECN0001", "ECN0002", "ECN0003"}},
      {"  ", "", {"ECN0001", "ECN0002", "ECN0003"}},
      {"2024-2-11", "", {"ECN0003"}},
      {"2024/2/11", "", {"ECN0003"}},
      {"2024.2.11", "", {"ECN0003"}},
      {"2024年2月11日", "", {"ECN0003"}},
      {"", "2024年2月10日", {"ECN0001"}},
      {"", "2024.02.10", {"ECN0001"}},
      {"２０２４年３月１０日", "2024-3-10", {"ECN0003"}},
      {"2024-02-10", "2024/3/10", {"ECN0001", "ECN0003"}},
      {"1900-1-1", "2099-12-31", {"ECN0001", "ECN0002", "ECN0003"}},
  };
  for (const auto& c : cases) {
    auto d = Open();
    d->view.TypeDate(DateBox::txtSDate, c.from);
    d->view.TypeDate(DateBox::txtEDate, c.to);
    d->form.cmdFilter_Click();
    std::vector<std::string> codes;
    for (int32_t row = 1; row <= d->form.HeadRs()->RecordCount(); ++row)
      codes.push_back(FieldText(d->form.HeadRs(), row, "DocCode"));
    EXPECT_EQ(codes, c.codes) << '"' << c.from << "\" \"" << c.to << '"';
    EXPECT_EQ(d->view.messages, std::vector<std::string>{}) << c.from << " " << c.to;
  }
  EXPECT_EQ(com::FormatDate(suite::kWholeRangeStart), "1900-01-01");
  EXPECT_EQ(com::FormatDate(suite::kWholeRangeEnd), "2099-12-31");
}

}  // namespace
