"""The data layer from Python: a script saves its own document and calls a write-back in
one transaction, and reads rows back."""

import pytest

import mom
from conftest import token

RECEIPTS = "create table rd_receipt (cCode varchar(30) primary key, MoDId int, iQuantity decimal(28,6))"
STALE = "记录已经被其他人员删除或更新，请刷新后再试"


def receive(conn, clsmom, code, qty, krts):
    """Saves receipt `code` and writes it back to MO line 1001, as the inventory module does."""
    conn.Execute("insert into rd_receipt (cCode, MoDId, iQuantity) values (?, ?, ?)", Parameters=[code, 1001, qty])
    err = mom.Ref("")
    ok = clsmom.MoQtyWrB(1001, False, qty, "产品入库", conn, err, krts)
    return ok, err.value


def state(conn):
    receipts = [r["cCode"] for r in conn.Execute("select cCode from rd_receipt order by cCode")]
    line = conn.Execute("select QualifiedInQty from mom_orderdetail where MoDId = 1001")["QualifiedInQty"]
    return receipts, line


@pytest.mark.parametrize("outcome", ["commit", "rollback", "stale token"])
def test_document_and_write_back_in_one_transaction(conn, clsmom, outcome):
    conn.Execute(RECEIPTS)
    _, before = state(conn)
    krts = token(conn, "mom_orderdetail", "MoDId", 1001)
    if outcome == "stale token":
        conn.Execute("update mom_orderdetail set Qty = Qty where MoDId = 1001")  # a new row version
    conn.BeginTrans()
    ok, message = receive(conn, clsmom, "R0001", 3.0, krts)
    if outcome == "stale token":
        assert (ok, message) == (False, STALE)
    else:
        assert (ok, message) == (True, "")
    if ok and outcome == "commit":
        conn.CommitTrans()
        assert state(conn) == (["R0001"], before + 3.0)
    else:
        conn.RollbackTrans()
        assert state(conn) == ([], before)


def test_closing_with_a_transaction_open_rolls_it_back(sample, clsmom):
    with mom.Connection() as conn:
        conn.Open(sample)
        conn.Execute(RECEIPTS)
        conn.BeginTrans()
        assert receive(conn, clsmom, "R0002", 1.0, token(conn, "mom_orderdetail", "MoDId", 1001))[0]
    assert conn.State == mom.adStateClosed
    again = mom.Connection()
    again.Open(sample)
    assert state(again)[0] == []


def test_parameters_are_bound_not_spliced(conn):
    conn.Execute(RECEIPTS)
    hostile = "x');drop table rd_receipt;--"
    affected = mom.Ref()
    conn.Execute("insert into rd_receipt (cCode, MoDId, iQuantity) values (?, ?, ?)", affected,
                 Parameters=[hostile, 1001, 1.5])
    assert affected.value == 1
    assert list(conn.Execute("select cCode, iQuantity from rd_receipt")) == [{"cCode": hostile, "iQuantity": 1.5}]


def test_rows_fields_and_positions(conn):
    rs = conn.Execute("select MoDId, Qty from mom_orderdetail where MoDId in (1001, 1002) order by MoDId")
    assert (rs.RecordCount, rs.BOF, rs.EOF) == (2, False, False)
    assert [f.Name for f in rs.Fields] == ["MoDId", "Qty"]
    assert rs["modid"] == rs[0] == rs.Fields["MODID"].Value == 1001
    rs.MoveNext()
    assert [row["MoDId"] for row in rs] == [1002]  # from the current row on
    assert rs.EOF
    rs.MoveFirst()
    assert [row["MoDId"] for row in rs] == [1001, 1002]
    with pytest.raises(mom.Error) as raised:
        rs.Fields["NoSuchField"]
    assert raised.value.number == 3265
    with pytest.raises(mom.Error) as raised:
        rs["MoDId"]  # at EOF there is no current row
    assert raised.value.number == 3021


def test_a_field_of_a_closed_recordset_raises(conn):
    rs = conn.Execute("select MoDId from mom_orderdetail")
    field = rs.Fields["MoDId"]
    rs.Close()
    with pytest.raises(mom.Error):
        field.Value


def test_statements_without_rows(conn):
    rs = conn.Execute("update mom_orderdetail set Qty = Qty where MoDId = 1001")
    assert rs.State == mom.adStateClosed and rs and list(rs) == []
    assert conn.Execute("update mom_orderdetail set Qty = Qty where MoDId = 1001", Options=mom.adExecuteNoRecords) is None


def test_a_list_built_in_the_script(conn):
    rs = mom.Recordset()
    rs.Fields.Append("cCode", mom.adVarChar, 10)
    rs.Fields.Append("iQty", mom.adDouble)
    rs.Open()
    rs.AddNew({"cCode": "B", "iQty": 2.0})
    rs.AddNew({"cCode": "A", "iQty": 1.0})
    rs.Update()
    rs.Sort = "cCode"
    assert list(rs) == [{"cCode": "A", "iQty": 1.0}, {"cCode": "B", "iQty": 2.0}]
    rs.MoveFirst()
    with pytest.raises(mom.Error):
        rs["cCode"] = "longer than ten"
    assert rs["cCode"] == "A"


def test_data_layer_errors_carry_the_provider_code_and_statement(conn):
    with pytest.raises(mom.Error) as raised:
        conn.Execute("select * from no_such_table")
    e = raised.value
    assert e.number == -2147467259
    assert e.sql == "select * from no_such_table" or "no_such_table" in (e.sql or "")
    assert e.native_code is not None
    assert "no_such_table" in str(e)


def test_a_unique_violation_carries_the_providers_own_code(conn, sample):
    conn.Execute("create table uniq_probe (k int primary key)")
    conn.Execute("insert into uniq_probe (k) values (1)")
    with pytest.raises(mom.Error) as raised:
        conn.Execute("insert into uniq_probe (k) values (1)")
    e = raised.value
    assert e.number == -2147467259
    if sample.startswith("Provider=SQLite"):
        assert e.native_code == 1555  # SQLITE_CONSTRAINT_PRIMARYKEY
        assert e.sqlstate is None
    else:
        assert e.sqlstate == "23505"
    assert "uniq_probe" in e.sql


def test_a_closed_connection_refuses_work():
    conn = mom.Connection()
    with pytest.raises(mom.Error) as raised:
        conn.Execute("select 1")
    assert raised.value.number == 3709
    with pytest.raises(mom.Error):
        conn.Open("Provider=NoSuchProvider;Data Source=x")
