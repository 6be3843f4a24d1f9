#!/usr/bin/python3
"""The installed tree of a build: install_layout_test.py BUILD_DIR CXX LIBDIR

Installs BUILD_DIR into a temporary prefix and checks that every file a host or the
package needs is there, that the public headers include only each other and the
standard library, and that each of them compiles on its own.
"""

import os
import re
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

build_dir, cxx, libdir = sys.argv[1:4]

EXPECTED = [
    "bin/mom",
    f"{libdir}/libmom_com.so.1", f"{libdir}/libmom_ado.so.1", f"{libdir}/libmom_database.so.1",
    f"{libdir}/libmom_com.so", f"{libdir}/libmom_ado.so", f"{libdir}/libmom_database.so",
    f"{libdir}/mom/KRZ7DEVUZIda.so", f"{libdir}/mom/mom_suite.so",
    f"{libdir}/cmake/mom/momConfig.cmake", f"{libdir}/cmake/mom/momConfigVersion.cmake",
    f"{libdir}/cmake/mom/momTargets.cmake", f"{libdir}/pkgconfig/mom.pc",
    "include/mom/component/cls_mom_interface.h", "include/mom/component/identity.h",
    "include/mom/platform/com/creation.h", "include/mom/platform/ado/connection.h",
    "include/mom/database/manufacturing_db.h",
    "share/mom/sample.sql", "share/mom/messages.res", "share/mom/sqlite/schema.sql",
    "share/mom/postgres/schema.sql", "share/mom/postgres/procedures_mo.sql",
    "share/man/man1/mom.1.gz", "share/bash-completion/completions/mom",
    "share/doc/mom/copyright", "share/doc/mom/changelog.gz",
]
# Headers of other projects a public header must not pull in.
FOREIGN = re.compile(r"sqlite3|libpq|pybind11|Python|nlohmann|pugixml|gtest|benchmark|^Q|/Q")

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


with tempfile.TemporaryDirectory() as prefix:
    subprocess.run(["cmake", "--install", build_dir, "--prefix", prefix], check=True, stdout=subprocess.DEVNULL)
    root = Path(prefix)
    for name in EXPECTED:
        if not (root / name).exists():
            fail(f"not installed: {name}")
    python_modules = list(root.glob("lib/python3/dist-packages/mom.*.so"))
    if len(python_modules) != 1:
        fail(f"expected one Python module, found {python_modules}")
    # Nothing of the tests or benchmarks.
    for path in root.rglob("*"):
        if re.search(r"_test|bench|test_server|scripted_numbering", path.name):
            fail(f"installed by mistake: {path.relative_to(root)}")

    include = root / "include" / "mom"
    headers = sorted(include.rglob("*.h"))
    for header in headers:
        for line in header.read_text(encoding="utf-8").splitlines():
            m = re.match(r'\s*#\s*include\s*([<"])([^>"]+)[>"]', line)
            if not m:
                continue
            kind, name = m.groups()
            where = header.relative_to(include)
            if kind == '"' and not (include / name).exists():
                fail(f"{where} includes {name}, which is not installed")
            if kind == "<" and (FOREIGN.search(name) or "." in name):
                fail(f"{where} includes <{name}>, not a standard header")

    def compile_alone(header):
        source = f'#include "{header.relative_to(include)}"\n'
        done = subprocess.run([cxx, "-std=c++20", "-fsyntax-only", "-Wall", "-Wextra", "-Werror", "-I", str(include),
                               "-x", "c++", "-"], input=source, text=True, capture_output=True)
        return header, done

    with ThreadPoolExecutor(max_workers=max(1, min(2, os.cpu_count() or 1))) as pool:
        for header, done in pool.map(compile_alone, headers):
            if done.returncode != 0:
                fail(f"{header.relative_to(include)} does not compile on its own:\n{done.stderr[:2000]}")

print(f"{len(EXPECTED)} files, {len(headers)} headers checked; {len(failures)} failure(s)")
sys.exit(1 if failures else 0)
