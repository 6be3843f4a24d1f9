"""Late-bound calls from Python: arguments by position and by name, by-reference
arguments handed back, errors with their numbers."""

import threading

import pytest

import mom
from conftest import run_mom, token

STALE = "记录已经被其他人员删除或更新，请刷新后再试"


def test_a_write_back_hands_its_message_back_only_on_failure(clsmom, conn):
    krts = token(conn, "sfc_moroutingdetail", "MoRoutingDId", 3003)
    err = mom.Ref("left from before")
    assert clsmom.MoRoutingWrB(3003, 2.0, conn, err, krts) is True
    assert err.value == "left from before"
    # The token changed with the write: the same token is now stale.
    assert clsmom.MoRoutingWrB(3003, 2.0, conn, err, krts) is False
    assert err.value == STALE


ARGUMENT_FORMS = [
    ("positional", lambda m, c, e, k: m.MoRoutingWrB(3003, 1.0, c, e, k)),
    ("named", lambda m, c, e, k: m.MoRoutingWrB(Krts=k, ErrMsg=e, oConn=c, fNetChgQty=1.0, MoRoutingDId=3003)),
    ("mixed, names without regard to case", lambda m, c, e, k: m.moroutingwrb(3003, 1.0, OCONN=c, errmsg=e, krts=k)),
    ("optional token omitted", lambda m, c, e, k: m.MoRoutingWrB(3003, 1.0, c, e)),
    ("optional token Missing", lambda m, c, e, k: m.MoRoutingWrB(3003, 1.0, c, e, mom.Missing)),
]


@pytest.mark.parametrize("what,call", ARGUMENT_FORMS, ids=[f[0] for f in ARGUMENT_FORMS])
def test_argument_forms(clsmom, conn, what, call):
    before = conn.Execute("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003")["CompleteQty"]
    err = mom.Ref("")
    assert call(clsmom, conn, err, token(conn, "sfc_moroutingdetail", "MoRoutingDId", 3003)) is True, err.value
    after = conn.Execute("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003")["CompleteQty"]
    assert after == before + 1


BAD_CALLS = [
    ("unknown argument name", lambda m, c: m.MoRoutingWrB(3003, 1.0, c, Bogus=1), TypeError, "MoRoutingDId"),
    ("argument given twice", lambda m, c: m.MoRoutingWrB(3003, 1.0, c, fNetChgQty=2.0), TypeError, "twice"),
    ("required argument missing", lambda m, c: m.MoRoutingWrB(3003, 1.0, c), mom.Error, None),
    ("too many arguments", lambda m, c: m.MoRoutingWrB(3003, 1.0, c, "", "", 1), mom.Error, None),
    ("text where a number goes", lambda m, c: m.MoRoutingWrB("three", 1.0, c, ""), mom.Error, None),
    ("not an object where the connection goes", lambda m, c: m.MoRoutingWrB(3003, 1.0, 5, ""), mom.Error, None),
]


@pytest.mark.parametrize("what,call,error,text", BAD_CALLS, ids=[b[0] for b in BAD_CALLS])
def test_bad_calls_raise_and_write_nothing(clsmom, conn, what, call, error, text):
    before = list(conn.Execute("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003"))
    with pytest.raises(error) as raised:
        call(clsmom, conn)
    if text:
        assert text in str(raised.value)
    if error is mom.Error:
        assert raised.value.number != 0 and raised.value.description
    assert list(conn.Execute("select CompleteQty from sfc_moroutingdetail where MoRoutingDId = 3003")) == before


def test_an_operation_failing_with_an_error_status_raises_its_number(clsmom, conn):
    # MoQtyWrB traps nothing of its own: its query on a closed connection fails the call.
    conn.Close()
    err = mom.Ref("")
    with pytest.raises(mom.Error) as raised:
        clsmom.MoQtyWrB(1001, False, 10.0, "产品入库", conn, err, "")
    assert raised.value.number == 3709
    assert err.value == ""


def test_missing_members_are_attribute_errors_too(clsmom):
    with pytest.raises(mom.NoSuchMember) as raised:
        clsmom.NoSuchOperation
    assert raised.value.number == 438 and isinstance(raised.value, AttributeError)
    assert not hasattr(clsmom, "NoSuchOperation")
    assert getattr(clsmom, "NoSuchOperation", "default") == "default"
    assert "MoQtyWrB" in dir(clsmom)


def test_objects_that_cannot_be_created():
    with pytest.raises(mom.Error) as raised:
        mom.CreateObject("No.SuchClass")
    assert raised.value.number == 429
    assert "No.SuchClass" in raised.value.description


def test_a_login_object_and_a_quantity_handed_back_as_the_console_reports_them(clsmom, sample):
    login = mom.CreateObject("MomSuite.Login")
    login.KrDbName = sample
    login.cUserId = "demo"
    login.cAcc_Id = "001"
    pqty, err = mom.Ref(0.0), mom.Ref("")
    assert clsmom.STPullfromMORP(login, 5004, 5.0, pqty, err) is True, err.value
    import json
    console = json.loads(run_mom("call", sample, "STPullfromMORP", "MoAllocateId=5004", "SQty=5"))
    assert pqty.value == console["PQty"]


def test_a_recordset_handed_back(clsmom, conn):
    bill, err = mom.Ref(None), mom.Ref("")
    assert clsmom.GetBFRds(conn, 1001, 10.0, bill, False, err) is True, err.value
    rows = list(bill.value)
    assert rows and all(row["MoDId"] == 1001 for row in rows)
    assert [row["sortseq"] for row in rows] == sorted(row["sortseq"] for row in rows)


def test_an_object_belongs_to_the_thread_that_created_it(clsmom, conn):
    outcome = []

    def call_elsewhere():
        try:
            clsmom.MoRoutingWrB(3003, 1.0, conn, mom.Ref(""))
            outcome.append("called")
        except mom.Error as e:
            outcome.append(e.number)

    worker = threading.Thread(target=call_elsewhere)
    worker.start()
    worker.join(timeout=60)
    assert not worker.is_alive()
    assert outcome and outcome[0] != "called"
    # Its own thread still calls it.
    assert clsmom.MoRoutingWrB(3003, 1.0, conn, mom.Ref("")) is True
