#!/usr/bin/env bash
# Builds and runs the benchmarks against throwaway MariaDB and PostgreSQL servers.
#   bench/run_bench.sh [BUILD_DIR] [bench options...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target bench_tabmodel bench_configcheck bench_pointsearch bench_pointpatch bench_pages bench_sheets bench_reconnect bench_tls >/dev/null
state="$build/benchservers"
trap 'bash "$here/tests/servers/testservers.sh" stop "$state" >/dev/null' EXIT
MODEL_TEST_MYSQL_PORT=${MODEL_TEST_MYSQL_PORT:-13316} MODEL_TEST_PGSQL_PORT=${MODEL_TEST_PGSQL_PORT:-15442} \
  bash "$here/tests/servers/testservers.sh" start "$state"
MODEL_TEST_SERVERS_ENV="$state/servers.env" "$build/bench/bench_tabmodel" "$@"
MODEL_TEST_SERVERS_ENV="$state/servers.env" "$build/bench/bench_configcheck"
MODEL_TEST_SERVERS_ENV="$state/servers.env" "$build/bench/bench_pointsearch"
MODEL_TEST_SERVERS_ENV="$state/servers.env" "$build/bench/bench_pointpatch"
MODEL_TEST_SERVERS_ENV="$state/servers.env" "$build/bench/bench_sheets"
"$build/bench/bench_pages"
"$build/bench/bench_reconnect"
"$build/bench/bench_tls"
