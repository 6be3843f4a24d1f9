"""Python values through a variant and back: a login object's property stores whatever
variant it is given and hands the same back."""

import datetime
import decimal
import os

import pytest

import mom


@pytest.fixture
def holder():
    return mom.CreateObject("MomSuite.Login")


ROUND_TRIPS = [
    ("int", 42, 42),
    ("negative int", -2147483648, -2147483648),
    ("int beyond 32 bits", 2**40, 2**40),
    ("bool is not an int", True, True),
    ("float", 0.1, 0.1),
    ("text", "产品入库", "产品入库"),
    ("empty text", "", ""),
    ("None is Null", None, None),
    ("date and time", datetime.datetime(2026, 12, 9, 13, 45, 7), datetime.datetime(2026, 12, 9, 13, 45, 7)),
    ("microseconds kept", datetime.datetime(2026, 1, 2, 3, 4, 5, 250000),
     datetime.datetime(2026, 1, 2, 3, 4, 5, 250000)),
    ("more than half a second", datetime.datetime(2026, 1, 2, 3, 4, 5, 750000),
     datetime.datetime(2026, 1, 2, 3, 4, 5, 750000)),
    ("last microsecond of a day", datetime.datetime(2026, 1, 2, 23, 59, 59, 999999),
     datetime.datetime(2026, 1, 2, 23, 59, 59, 999999)),
    ("before the epoch day", datetime.datetime(1899, 12, 29, 18, 0, 0), datetime.datetime(1899, 12, 29, 18, 0, 0)),
    ("before the epoch day, fractions", datetime.datetime(1800, 5, 6, 7, 8, 9, 600000),
     datetime.datetime(1800, 5, 6, 7, 8, 9, 600000)),
    ("a date is midnight", datetime.date(2026, 3, 1), datetime.datetime(2026, 3, 1)),
    ("currency", decimal.Decimal("12.3456"), decimal.Decimal("12.3456")),
    ("list", [1, "a", None], [1, "a", None]),
    ("tuple is a list", (1.5, False), [1.5, False]),
]


@pytest.mark.parametrize("what,value,expected", ROUND_TRIPS, ids=[c[0] for c in ROUND_TRIPS])
def test_round_trip(holder, what, value, expected):
    holder.KrDbName = value
    back = holder.KrDbName
    assert type(back) is type(expected)
    if isinstance(expected, datetime.datetime):
        # A date is a count of days in a double: good to about a microsecond.
        assert abs(back - expected) <= datetime.timedelta(microseconds=1), back
    else:
        assert back == expected


REFUSED = [
    ("int beyond 64 bits", 2**64, ValueError),
    ("currency with five decimals", decimal.Decimal("1.23456"), ValueError),
    ("currency not a number", decimal.Decimal("NaN"), ValueError),
    ("currency beyond range", decimal.Decimal("1e20"), ValueError),
    ("date with a time zone", datetime.datetime(2026, 1, 1, tzinfo=datetime.timezone.utc), ValueError),
    ("an arbitrary object", object(), TypeError),
    ("bytes", b"abc", TypeError),
    ("inside a list", [1, object()], TypeError),
]


@pytest.mark.parametrize("what,value,error", REFUSED, ids=[c[0] for c in REFUSED])
def test_refused_values_are_never_stored(holder, what, value, error):
    holder.KrDbName = "before"
    with pytest.raises(error):
        holder.KrDbName = value
    assert holder.KrDbName == "before"


def test_objects_come_back_as_what_they_are(holder, conn):
    rs = mom.Recordset()
    other = mom.CreateObject("MomSuite.Login")
    for value, kind in [(conn, mom.Connection), (rs, mom.Recordset), (other, mom.Dispatch)]:
        holder.KrDbName = value
        assert type(holder.KrDbName) is kind
    holder.KrDbName = other
    assert holder.KrDbName == other
    assert holder.KrDbName != holder


def test_ref_and_missing_read_plainly():
    assert repr(mom.Ref()) == "mom.Ref(None)"
    assert mom.Ref([1]).value == [1]
    assert repr(mom.Missing) == "mom.Missing" and not mom.Missing


@pytest.mark.skipif(not os.environ.get("MOM_EXPECT_INSTALLED"), reason="runs against the installed package only")
def test_the_installed_module_is_the_one_tested():
    assert mom.__file__.startswith("/usr/lib/python3/dist-packages/mom.")
