#!/usr/bin/env bash
# One entry for setting up and using this project on a fresh Debian machine.
#
#   scripts/run.sh demo   install what is missing, build, run the demo
#   scripts/run.sh test   install what is missing, build plain and sanitized, run every test
#   scripts/run.sh bench  install, build, run the benchmarks
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake ninja-build pkg-config libsqlite3-dev sqlite3 libgtest-dev libgmock-dev
          libbenchmark-dev nlohmann-json3-dev libpugixml-dev qt6-base-dev libgl-dev fonts-wqy-microhei
          postgresql libpq-dev libcpp-httplib-dev)

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

# A private PostgreSQL cluster for the run, removed when the script exits.
start_cluster() {
  PG_DIR=$(mktemp -d /tmp/mom-pg-XXXXXX)
  chmod 755 "$PG_DIR"
  trap 'scripts/pg_cluster.sh stop "$PG_DIR"; rm -rf "$PG_DIR"' EXIT
  echo "== starting PostgreSQL in $PG_DIR"
  MOM_TEST_PG=$(scripts/pg_cluster.sh start "$PG_DIR")
  export MOM_TEST_PG
}

run_tests() {
  local preset=$1
  echo "== testing ($preset)"
  # Tests register the servers in private registries; keep the user's out of reach.
  MOM_REGISTRY="$PWD/build/$preset/test-registry.reg" ctest --preset "$preset" -j 2
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
    build default
    run_tests default
    build asan
    run_tests asan
    ;;
  bench)
    install_packages
    start_cluster
    build default
    MOM_REGISTRY="$PWD/build/default/bench-registry.reg" build/default/bin/mom_bench
    MOM_REGISTRY="$PWD/build/default/bench-registry.reg" build/default/bin/mom_serve_bench
    ;;
  *)
    sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
