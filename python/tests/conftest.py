"""Fixtures for the tests of the Python module mom.

In a build tree (MOM_PROGRAM names its console) the servers are registered in a
private registry; against an installed package the machine's registry, where the
package registered them, is used as it is. Databases are fresh sample companies on
SQLite and, when MOM_TEST_PG names a PostgreSQL server, on PostgreSQL too.
"""

import os
import shutil
import subprocess
import uuid

import pytest

import mom

MOM_PROGRAM = os.environ.get("MOM_PROGRAM") or shutil.which("mom")
PROVIDERS = ["sqlite"] + (["postgres"] if os.environ.get("MOM_TEST_PG") else [])


def pytest_report_header(config):
    return [f"mom module: {mom.__file__}", f"mom console: {MOM_PROGRAM}", f"providers: {', '.join(PROVIDERS)}"]


def run_mom(*args):
    """Runs the console; returns its standard output."""
    done = subprocess.run([MOM_PROGRAM, *args], check=True, capture_output=True, text=True)
    return done.stdout


@pytest.fixture(scope="session", autouse=True)
def registry(tmp_path_factory):
    if os.environ.get("MOM_PROGRAM"):
        path = tmp_path_factory.mktemp("registry") / "registry.reg"
        os.environ["MOM_REGISTRY"] = str(path)
        run_mom("register")
    yield


@pytest.fixture(scope="session")
def templates(tmp_path_factory):
    """One sample database per provider, made once; tests get copies of it."""
    made = {"sqlite": tmp_path_factory.mktemp("template") / "mom.db"}
    run_mom("init", str(made["sqlite"]), "--sample")
    if "postgres" in PROVIDERS:
        made["postgres"] = "pytest_template_" + uuid.uuid4().hex[:12]
        run_mom("init", f"{os.environ['MOM_TEST_PG']};Database={made['postgres']}", "--sample")
    yield made
    if "postgres" in made:
        drop_server_database(made["postgres"])


def server_statement(sql):
    """Runs a statement on the server's maintenance database."""
    with mom.Connection() as admin:
        admin.Open(f"{os.environ['MOM_TEST_PG']};Database=postgres")
        admin.Execute(sql)


def drop_server_database(name):
    server_statement(f"drop database if exists {name} with (force)")


@pytest.fixture(params=PROVIDERS)
def sample(request, tmp_path, templates):
    """The connection string of a fresh sample database."""
    if request.param == "sqlite":
        path = tmp_path / "mom.db"
        shutil.copyfile(templates["sqlite"], path)
        yield f"Provider=SQLite;Data Source={path}"
        return
    name = "pytest_" + uuid.uuid4().hex[:16]
    server_statement(f"create database {name} template {templates['postgres']}")
    yield f"{os.environ['MOM_TEST_PG']};Database={name}"
    drop_server_database(name)


@pytest.fixture
def conn(sample):
    c = mom.Connection()
    c.Open(sample)
    yield c
    if c.State == mom.adStateOpen:
        c.Close()


@pytest.fixture
def clsmom():
    return mom.CreateObject("KRZ7DEVUZIda.clsMOM")


def token(conn, table, key, value):
    """The row's Krts token as a caller reads it."""
    rs = conn.Execute(
        f"select convert(char,convert(money,Krts),2) as Krts from {table} where {key} = ?", Parameters=[value])
    return rs["Krts"]
