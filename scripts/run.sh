#!/usr/bin/env bash
# One entry for setting up and using this project on a fresh Debian machine.
#
#   scripts/run.sh demo   install what is missing, build, run the demo
#   scripts/run.sh test   install what is missing, build plain and sanitized, run every test
#                         (and, under ThreadSanitizer, the tests labelled threaded)
#   scripts/run.sh bench  install, build, run the benchmarks (ending with a table of every ratio)
#   scripts/run.sh package  install, build, make the Debian package (build/default/package/)
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake ninja-build pkg-config libsqlite3-dev sqlite3 libgtest-dev libgmock-dev
          libbenchmark-dev nlohmann-json3-dev libpugixml-dev qt6-base-dev libgl-dev fonts-wqy-microhei
          postgresql libpq-dev)
# The Python module, the Debian package and the checks of both.
PACKAGES+=(python3-dev pybind11-dev python3-pytest dpkg-dev file lintian)
# The HTTP service (mom serve).
PACKAGES+=(libcpp-httplib-dev)
# Windows: Qt's own texts in Chinese, the X connection probe, and the X server of the
# widget tests with its input extension.
PACKAGES+=(qt6-translations-l10n libxcb1-dev xvfb libxtst-dev)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "== installing: ${missing[*]}"
    local sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}

build() {
  local preset=$1
  echo "== building ($preset)"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
}

# What the run started, stopped when the script exits however it ends.
PG_DIR="" XVFB_PID=""
cleanup() {
  if [[ -n $XVFB_PID ]]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  if [[ -n $PG_DIR ]]; then scripts/pg_cluster.sh stop "$PG_DIR"; rm -rf "$PG_DIR"; fi
}
trap cleanup EXIT

# A private PostgreSQL cluster for the run, removed when the script exits.
start_cluster() {
  PG_DIR=$(mktemp -d /tmp/mom-pg-XXXXXX)
  chmod 755 "$PG_DIR"
  echo "== starting PostgreSQL in $PG_DIR"
  MOM_TEST_PG=$(scripts/pg_cluster.sh start "$PG_DIR")
  export MOM_TEST_PG
}

# An X server of its own for the widget tests that run on one (ecn_x11_tests), on
# the first free display number, which it reports itself; killed when the script exits.
start_x_server() {
  local number_file
  number_file=$(mktemp /tmp/mom-xvfb-XXXXXX)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" 2>/dev/null &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [[ -s $number_file ]] && break
    sleep 0.1
  done
  if [[ ! -s $number_file ]]; then
    rm -f "$number_file"
    echo "== Xvfb did not start" >&2
    exit 1
  fi
  MOM_TEST_X_DISPLAY=":$(head -n1 "$number_file")"
  rm -f "$number_file"
  export MOM_TEST_X_DISPLAY
  echo "== X server for the widget tests on $MOM_TEST_X_DISPLAY"
}

run_tests() {
  local preset=$1
  echo "== testing ($preset)"
  # Tests register the servers in private registries; keep the user's out of reach.
  MOM_REGISTRY="$PWD/build/$preset/test-registry.reg" ctest --preset "$preset" -j 2
}

# The Debian package of the default build; sets DEB to its path.
make_package() {
  echo "== packaging (default)"
  rm -rf build/default/package
  if ! (cd build/default && cpack -G DEB >cpack.log 2>&1); then
    cat build/default/cpack.log
    exit 1
  fi
  DEB=$(ls build/default/package/mom_*.deb)
  echo "$DEB"
}

# Files and folders of the machine, to see what an installation leaves behind.
machine_files() {
  find /usr /etc /var/lib /opt -xdev \( -path /var/lib/dpkg -o -path /var/lib/apt \) -prune -o -print 2>/dev/null | sort
}

# Installs the package on this machine as a user would, builds and runs the example
# host against it (CMake package and pkg-config), runs the example script and the
# Python module's tests against the installed module, checks the package with lintian,
# and removes it, checking that nothing is left behind.
try_package() {
  local deb=$1 sudo="" work
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  if dpkg-query -W -f='${Status}' mom 2>/dev/null | grep -q "install ok installed"; then
    echo "== package checks skipped: the package mom is installed here already (dpkg --purge mom to run them)"
    return
  fi
  work=$(mktemp -d /tmp/mom-package-XXXXXX)
  machine_files >"$work/before"
  (
    trap 'dpkg-query -W mom >/dev/null 2>&1 && $sudo dpkg --purge mom >/dev/null' EXIT
    echo "== installing $deb"
    $sudo dpkg -i "$deb" >/dev/null
    [[ $(command -v mom) == /usr/bin/mom ]]
    grep -q '^\[KRZ7DEVUZIda.clsMOM\\CLSID\]$' /var/lib/mom/registry.reg
    # As a user without a registry of their own: the machine's registry serves.
    export XDG_CONFIG_HOME="$work/config"
    unset MOM_REGISTRY MOM_LIB_DIR
    mom init "$work/sample.db" --sample >/dev/null
    echo "== example host (find_package, then pkg-config)"
    cmake -S examples/host -B "$work/host" -G Ninja >/dev/null
    cmake --build "$work/host" >/dev/null
    "$work/host/mom_host_example" "$work/sample.db"
    # shellcheck disable=SC2046
    c++ -std=c++20 -o "$work/host-pc" examples/host/main.cc $(pkg-config --cflags --libs mom)
    "$work/host-pc" "$work/sample.db"
    echo "== example script and the Python module's tests (installed module)"
    /usr/bin/python3 examples/python/receipt.py "$work/sample.db"
    MOM_EXPECT_INSTALLED=1 PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests
    [[ ! -e "$work/config/mom" ]]  # nothing was registered for the user
    echo "== lintian"
    lintian --fail-on error "$deb" 2>&1 | { grep -v "running with root privileges" || true; }
    echo "== removing the package"
    $sudo dpkg --remove mom >/dev/null
    [[ ! -e /var/lib/mom && ! -e /usr/bin/mom ]]
    $sudo dpkg --purge mom >/dev/null
  )
  machine_files >"$work/after"
  local left
  left=$(comm -13 "$work/before" "$work/after")
  rm -rf "$work"
  if grep -qiE 'mom|KRZ7' <<<"$left"; then
    echo "== the package left behind:"
    echo "$left"
    exit 1
  fi
  [[ -z $left ]] || echo "== appeared meanwhile, not the package's: $left"
}

case "${1:-}" in
  demo)
    install_packages
    build default
    export MOM_REGISTRY="${MOM_REGISTRY:-$PWD/build/default/registry.reg}"
    build/default/bin/mom demo
    ;;
  test)
    install_packages
    start_cluster
    start_x_server
    build default
    run_tests default
    build asan
    run_tests asan
    # ThreadSanitizer: only the threaded tests (the tsan presets build and select them).
    started=$SECONDS
    build tsan
    run_tests tsan
    echo "== tsan stage took $((SECONDS - started)) s"
    started=$SECONDS
    make_package
    try_package "$DEB"
    echo "== package checks took $((SECONDS - started)) s"
    ;;
  package)
    install_packages
    build default
    make_package
    ;;
  bench)
    install_packages
    start_cluster
    start_x_server
    build default
    # The SQLite databases live in memory, as the cluster runs without syncing to disk:
    # on a shared machine the disk's waits would swamp what the pairs compare.
    bench_tmp=/tmp
    [[ -d /dev/shm && -w /dev/shm ]] && bench_tmp=/dev/shm
    TMPDIR=$bench_tmp MOM_REGISTRY="$PWD/build/default/bench-registry.reg" build/default/bin/mom_bench
    MOM_REGISTRY="$PWD/build/default/bench-registry.reg" build/default/bin/mom_serve_bench
    ;;
  *)
    sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
