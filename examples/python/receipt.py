#!/usr/bin/python3
"""The road of a product receipt, from a script: save a receipt document of our own
and write it back to the manufacturing-order line in one transaction, and see a
refused write-back undo the document with it.

    python3 receipt.py DB

DB is a connection string or an SQLite file made by `mom init DB --sample`.
"""

import sys

import mom

RECEIPTS = "create table if not exists rd_receipt (cCode varchar(30) primary key, MoDId int, iQuantity decimal(28,6))"


def order_line(conn, mo_d_id):
    """The line's received quantity and its token, read as a caller reads them."""
    rs = conn.Execute(
        "select QualifiedInQty, convert(char,convert(money,Krts),2) as Krts from mom_orderdetail where MoDId = ?",
        Parameters=[mo_d_id])
    return rs["QualifiedInQty"], rs["Krts"]


def receive(conn, clsmom, code, mo_d_id, qty, krts):
    """Saves receipt `code` and writes it back; commits only when the write-back succeeded."""
    conn.BeginTrans()
    conn.Execute("insert into rd_receipt (cCode, MoDId, iQuantity) values (?, ?, ?)", Parameters=[code, mo_d_id, qty])
    err = mom.Ref("")
    if clsmom.MoQtyWrB(mo_d_id, False, qty, "产品入库", conn, err, krts):
        conn.CommitTrans()
        print(f"receipt {code} of {qty} saved")
        return True
    conn.RollbackTrans()
    print(f"receipt {code} refused: {err.value}")
    return False


def main(db):
    conn = mom.Connection()
    conn.Open(db if "=" in db else f"Provider=SQLite;Data Source={db}")
    conn.Execute(RECEIPTS)
    clsmom = mom.CreateObject("KRZ7DEVUZIda.clsMOM")

    received, krts = order_line(conn, 1001)
    print(f"MO line 1001: received {received}, token {krts.strip()}")
    saved = conn.Execute("select count(*) as n from rd_receipt")["n"]
    first, second = f"PY{saved + 1:04d}", f"PY{saved + 2:04d}"
    if not receive(conn, clsmom, first, 1001, 10.0, krts):
        return 1
    print(f"MO line 1001: received {order_line(conn, 1001)[0]}")

    # The token read before the first receipt no longer matches the line.
    if receive(conn, clsmom, second, 1001, 1.0, krts):
        print("a stale token was accepted")
        return 1
    kept = [row["cCode"] for row in conn.Execute("select cCode from rd_receipt where cCode in (?, ?)",
                                                 Parameters=[first, second])]
    print(f"receipts kept: {', '.join(kept)}")
    return 0 if kept == [first] else 1


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    try:
        sys.exit(main(sys.argv[1]))
    except mom.Error as e:
        sys.exit(f"error {e.number}: {e.description}")
