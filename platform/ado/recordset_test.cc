#include "platform/ado/recordset.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/ado/ado_test_support.h"
#include "testing/test_support.h"

namespace {

using ado_test::Open;
using ado_test::RaisedNumber;
using Rs = com::Ptr<ado::Recordset>;

class RecordsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = Open(dir_.File("r.db"), true);
    db_->Execute(
        "create table T (seq integer primary key, name varchar(10), qty int, d datetime);"
        "insert into T (name, qty, d) values ('b', 2, '2024-01-02'), ('a', 1, null), ('c', 2, '2023-05-06'),"
        " ('a', null, '2024-01-01'), ('b', 1, null);");
  }
  Rs Query(const std::string& sql, int32_t lock = ado::adLockReadOnly) {
    Rs rs = ado::Recordset::Create();
    rs->SetCursorLocation(ado::adUseClient);
    rs->Open(sql, db_.get(), ado::adOpenStatic, lock);
    return rs;
  }
  static std::vector<int32_t> Seqs(ado::Recordset& rs) {
    std::vector<int32_t> out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out.push_back(rs["seq"].Value().ToI4());
    return out;
  }

  testing_support::TempDir dir_;
  com::Ptr<ado::Connection> db_;
};

TEST_F(RecordsetTest, MovesAndPositions) {
  Rs rs = Query("select seq from T where seq <= 3 order by seq");
  EXPECT_EQ(rs->RecordCount(), 3);
  const struct {
    const char* step;
    std::function<void(ado::Recordset&)> op;
    bool bof, eof;
    int32_t position;
  } steps[] = {
      {"open", [](ado::Recordset&) {}, false, false, 1},
      {"next", [](ado::Recordset& r) { r.MoveNext(); }, false, false, 2},
      {"last", [](ado::Recordset& r) { r.MoveLast(); }, false, false, 3},
      {"past last", [](ado::Recordset& r) { r.MoveNext(); }, false, true, -1},
      {"back from eof", [](ado::Recordset& r) { r.MovePrevious(); }, false, false, 3},
      {"first", [](ado::Recordset& r) { r.MoveFirst(); }, false, false, 1},
      {"before first", [](ado::Recordset& r) { r.MovePrevious(); }, true, false, -1},
      {"move 2 from bof", [](ado::Recordset& r) { r.Move(2); }, false, false, 2},
      {"move far", [](ado::Recordset& r) { r.Move(10); }, false, true, -1},
      {"absolute 3", [](ado::Recordset& r) { r.SetAbsolutePosition(3); }, false, false, 3},
  };
  for (const auto& s : steps) {
    s.op(*rs);
    EXPECT_EQ(rs->Bof(), s.bof) << s.step;
    EXPECT_EQ(rs->Eof(), s.eof) << s.step;
    EXPECT_EQ(rs->AbsolutePosition(), s.position) << s.step;
  }
  EXPECT_EQ(rs->fields().Item("SEQ").Value(), com::Variant(int32_t{3}));
}

TEST_F(RecordsetTest, ErrorsWithoutACurrentRowOrWhenClosed) {
  Rs rs = Query("select seq, name from T order by seq");
  Rs empty = Query("select seq from T where 0");
  const struct {
    const char* what;
    std::function<void()> op;
    int32_t number;
  } cases[] = {
      {"next at eof", [&] { rs->MoveLast(); rs->MoveNext(); rs->MoveNext(); }, ado::kErrBofOrEof},
      {"value at eof", [&] { rs->fields().Item(0).Value(); }, ado::kErrBofOrEof},
      {"previous at bof", [&] { rs->MoveFirst(); rs->MovePrevious(); rs->MovePrevious(); }, ado::kErrBofOrEof},
      {"set value at bof", [&] { rs->fields().Item(1).SetValue("x"); }, ado::kErrBofOrEof},
      {"absolute 0", [&] { rs->SetAbsolutePosition(0); }, ado::kErrArgumentsWrongType},
      {"absolute past end", [&] { rs->SetAbsolutePosition(6); }, ado::kErrArgumentsWrongType},
      {"unknown field", [&] { rs->fields().Item("nope"); }, ado::kErrItemNotFound},
      {"unknown sort field", [&] { rs->SetSort("nope"); }, ado::kErrItemNotFound},
      {"next on empty", [&] { empty->MoveNext(); }, ado::kErrBofOrEof},
      {"append to open", [&] { rs->fields().Append("x", ado::adInteger); }, ado::kErrOperationNotAllowed},
      {"open twice", [&] { rs->Open("select 1", db_.get()); }, ado::kErrOperationNotAllowed},
      {"closed count", [&] { rs->Close(); rs->RecordCount(); }, ado::kErrObjectClosed},
      {"closed move", [&] { rs->MoveFirst(); }, ado::kErrObjectClosed},
      {"closed eof", [&] { rs->Eof(); }, ado::kErrObjectClosed},
      {"closed field", [&] { rs->fields().Item("name"); }, ado::kErrObjectClosed},
      {"closed close", [&] { rs->Close(); }, ado::kErrObjectClosed},
  };
  for (const auto& c : cases) EXPECT_EQ(RaisedNumber(c.op), c.number) << c.what;
}

TEST_F(RecordsetTest, EmptySetIsBofAndEof) {
  Rs rs = Query("select seq from T where 0");
  EXPECT_TRUE(rs->Bof() && rs->Eof());
  rs->MoveFirst();
  rs->MoveLast();
  EXPECT_TRUE(rs->Bof() && rs->Eof());
  EXPECT_EQ(rs->AbsolutePosition(), -1);
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_EQ(rs->fields().Count(), 1);
}

TEST_F(RecordsetTest, SortIsStableOverSeveralKeys) {
  Rs rs = Query("select * from T order by seq");
  const struct {
    const char* sort;
    std::vector<int32_t> seqs;
  } cases[] = {
      {"qty DESC, name", {1, 3, 2, 5, 4}},  // Null sorts first, so last when descending
      {"name", {2, 4, 1, 5, 3}},
      {"qty", {4, 2, 5, 1, 3}},
      {"[name] desc, qty asc", {3, 5, 1, 4, 2}},
      {"d", {2, 5, 3, 4, 1}},
      {"", {1, 2, 3, 4, 5}},
  };
  for (const auto& c : cases) {
    rs->MoveLast();
    rs->SetSort(c.sort);
    EXPECT_EQ(rs->AbsolutePosition(), 1) << c.sort;
    EXPECT_EQ(Seqs(*rs), c.seqs) << c.sort;
  }
}

TEST_F(RecordsetTest, DisconnectedAddNew) {
  Rs rs = ado::Recordset::Create();
  rs->fields().Append("Id", ado::adInteger);
  rs->fields().Append("Code", ado::adVarWChar, 3, ado::adFldIsNullable);
  rs->fields().Append("Amount", ado::adDecimal, 0, ado::adFldMayBeNull).SetNumericScale(2);
  rs->Open();
  EXPECT_TRUE(rs->Bof() && rs->Eof());

  rs->AddNew();
  EXPECT_EQ(rs->EditMode(), ado::adEditAdd);
  EXPECT_EQ(RaisedNumber([&] { (*rs)["Code"].SetValue("toolong"); }), ado::kErrFieldValue);
  EXPECT_EQ(RaisedNumber([&] { (*rs)["Amount"].SetValue("abc"); }), ado::kErrFieldValue);
  EXPECT_EQ(RaisedNumber([&] { (*rs)["Id"].SetValue(com::Variant::Null()); }), ado::kErrFieldValue);
  EXPECT_TRUE((*rs)["Code"].Value().is_null());
  EXPECT_TRUE((*rs)["Amount"].Value().is_null());
  (*rs)["Id"].SetValue("7");
  (*rs)["Code"].SetValue("äöü");
  (*rs)["Amount"].SetValue(int32_t{3});
  EXPECT_EQ((*rs)["Id"].Value(), com::Variant(int32_t{7}));
  EXPECT_EQ((*rs)["Amount"].Value(), com::Variant(3.0));

  rs->AddNew();  // commits the first
  (*rs)["Id"].SetValue(int32_t{8});
  rs->CancelUpdate();
  EXPECT_EQ(rs->RecordCount(), 1);
  rs->MoveFirst();
  EXPECT_EQ(rs->EditMode(), ado::adEditNone);
  EXPECT_EQ((*rs)["Code"].Value(), com::Variant("äöü"));
  rs->Close();
  EXPECT_EQ(rs->fields().Count(), 3);  // appended fields stay for the next Open
}

// Making room for more rows moves the rows in memory: a pending add, an edit begun and
// the values as read all survive it, whatever the set is doing at the time.
TEST_F(RecordsetTest, ReservingRowsKeepsPendingAddsEditsAndOriginals) {
  struct Case {
    const char* name;
    std::function<void(ado::Recordset&)> before;  // what is under way when rows are reserved
    std::function<void(ado::Recordset&)> check;
  };
  const Case cases[] = {
      {"a pending add",
       [](ado::Recordset& rs) {
         rs.AddNew();
         rs["seq"].SetValue(int32_t{99});
       },
       [](ado::Recordset& rs) {
         EXPECT_EQ(rs.EditMode(), ado::adEditAdd);
         EXPECT_EQ(rs["seq"].Value().ToI4(), 99);
         rs.Update();
         EXPECT_EQ(rs.RecordCount(), 6);
       }},
      {"an edit begun",
       [](ado::Recordset& rs) {
         rs.SetAbsolutePosition(3);
         rs["name"].SetValue("z");
       },
       [](ado::Recordset& rs) {
         EXPECT_EQ(rs.AbsolutePosition(), 3);
         EXPECT_EQ(rs["name"].Value().ToString(), "z");
         EXPECT_EQ(rs["name"].OriginalValue().ToString(), "c");
         rs.CancelUpdate();
         EXPECT_EQ(rs["name"].Value().ToString(), "c");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rs rs = Query("select seq, name from T order by seq", ado::adLockBatchOptimistic);
    c.before(*rs);
    rs->ReserveRows(10000);
    c.check(*rs);
  }
}

TEST_F(RecordsetTest, BatchEditsStayMarkedUntilUpdateBatch) {
  Rs rs = Query("select seq, name from T order by seq", ado::adLockBatchOptimistic);
  (*rs)["name"].SetValue("z");
  EXPECT_EQ(rs->EditMode(), ado::adEditInProgress);
  rs->MoveNext();
  EXPECT_EQ(rs->EditMode(), ado::adEditNone);
  rs->MovePrevious();
  EXPECT_EQ(rs->EditMode(), ado::adEditInProgress);
  EXPECT_EQ((*rs)["name"].OriginalValue(), com::Variant("b"));
  rs->UpdateBatch();
  EXPECT_EQ(rs->EditMode(), ado::adEditNone);
  EXPECT_EQ((*rs)["name"].Value(), com::Variant("z"));

  // Without batch locking an edit ends with the move.
  Rs plain = Query("select seq, name from T order by seq", ado::adLockOptimistic);
  (*plain)["name"].SetValue("y");
  EXPECT_EQ(plain->EditMode(), ado::adEditInProgress);
  plain->MoveNext();
  plain->MovePrevious();
  EXPECT_EQ(plain->EditMode(), ado::adEditNone);
  EXPECT_EQ((*plain)["name"].Value(), com::Variant("y"));
}

// The original value of a field through a row's life: as read, kept through edits and
// a cancelled edit, Null for an added row, the new value after UpdateBatch.
TEST_F(RecordsetTest, OriginalValuesFollowTheRowsLife) {
  Rs rs = Query("select seq, name from T order by seq", ado::adLockBatchOptimistic);
  auto original = [&] { return (*rs)["name"].OriginalValue(); };
  EXPECT_EQ(original(), com::Variant("b"));  // read, never edited
  (*rs)["name"].SetValue("z");
  (*rs)["name"].SetValue("zz");
  EXPECT_EQ(original(), com::Variant("b"));
  EXPECT_EQ((*rs)["seq"].OriginalValue(), (*rs)["seq"].Value());  // an unedited field of an edited row
  rs->MoveNext();
  com::Variant second = original();
  rs->MovePrevious();
  EXPECT_EQ(original(), com::Variant("b"));
  rs->UpdateBatch();
  EXPECT_EQ(original(), com::Variant("zz"));
  (*rs)["name"].SetValue("y");
  rs->UpdateBatch();
  EXPECT_EQ(original(), com::Variant("y"));
  rs->MoveNext();
  EXPECT_EQ(original(), second);

  Rs plain = Query("select seq, name from T order by seq", ado::adLockOptimistic);
  (*plain)["name"].SetValue("x");
  plain->CancelUpdate();
  EXPECT_EQ((*plain)["name"].Value(), com::Variant("b"));
  EXPECT_EQ((*plain)["name"].OriginalValue(), com::Variant("b"));
  plain->AddNew();
  (*plain)["name"].SetValue("new");
  EXPECT_TRUE((*plain)["name"].OriginalValue().is_null());
  EXPECT_TRUE((*plain)["seq"].OriginalValue().is_null());
}

}  // namespace
