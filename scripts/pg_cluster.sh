#!/usr/bin/env bash
# A private, throw-away PostgreSQL cluster for tests and benchmarks: its own data
# directory, listening only on a Unix socket inside that directory (no TCP port is
# taken), with durability switched off because nothing in it is meant to survive.
#
#   scripts/pg_cluster.sh start DIR   create (if needed) and start; prints the base
#                                     connection string on stdout
#   scripts/pg_cluster.sh stop DIR    stop it (the directory stays; rm -rf it after)
#   scripts/pg_cluster.sh url DIR     print the base connection string
#
# The base connection string names the server and the superuser, not a database:
#   Provider=PostgreSQL;Host=DIR/socket;Port=5432;User ID=postgres
# PostgreSQL refuses to run as root, so under root the cluster runs as the
# "postgres" user that Debian's server package creates.
set -euo pipefail

usage() { sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 2; }

[[ $# -eq 2 ]] || usage
cmd=$1
dir=$(realpath -m "$2")
port=5432

pg_bin() {
  local bin
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
  [[ -n $bin && -x $bin/initdb ]] || { echo "pg_cluster: the PostgreSQL server is not installed (apt-get install postgresql)" >&2; exit 1; }
  echo "$bin"
}

as_owner() {
  if [[ $(id -u) -eq 0 ]]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

url() { echo "Provider=PostgreSQL;Host=$dir/socket;Port=$port;User ID=postgres"; }

case $cmd in
  start)
    bin=$(pg_bin)
    mkdir -p "$dir/socket"
    [[ $(id -u) -eq 0 ]] && chown -R postgres:postgres "$dir"
    if [[ ! -f $dir/data/PG_VERSION ]]; then
      as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 ||
        { cat "$dir/initdb.log" >&2; exit 1; }
    fi
    if ! as_owner "$bin/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
      as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
        -o "-c listen_addresses='' -k $dir/socket -p $port -c fsync=off -c synchronous_commit=off \
            -c full_page_writes=off -c max_connections=200 -c shared_buffers=128MB" >/dev/null ||
        { cat "$dir/server.log" >&2; exit 1; }
    fi
    url
    ;;
  stop)
    bin=$(pg_bin)
    if [[ -f $dir/data/PG_VERSION ]]; then
      as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    ;;
  url) url ;;
  *) usage ;;
esac
