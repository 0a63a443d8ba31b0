#!/usr/bin/env bash
# Starts or stops throwaway MariaDB and PostgreSQL servers on loopback for the test suite.
#   testservers.sh start STATE_DIR   -> STATE_DIR/servers.env describes them
#   testservers.sh stop  STATE_DIR
# Data lives in a fresh temporary folder; ports default to 13306 and 15432. MODEL_TEST_MYSQL_OPTIONS
# adds options of MariaDB's server (a larger --innodb-buffer-pool-size for large benchmarks).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=serverlib.sh
. "$here/serverlib.sh"

action=${1:?start or stop}
state=${2:?state directory}
mysql_port=${MODEL_TEST_MYSQL_PORT:-13306}
pg_port=${MODEL_TEST_PGSQL_PORT:-15432}
env_file="$state/servers.env"

stop_servers() {
  [ -f "$env_file" ] || return 0
  # shellcheck disable=SC1090
  . "$env_file"
  [ -n "${MODEL_TEST_SERVER_BASE:-}" ] || { rm -f "$env_file"; return 0; }
  mariadb_stop "$MODEL_TEST_SERVER_BASE/mariadb"
  postgres_stop "$MODEL_TEST_SERVER_BASE/pgsql"
  rm -rf "$MODEL_TEST_SERVER_BASE"
  rm -f "$env_file"
}

case $action in
  start)
    mkdir -p "$state"
    stop_servers
    base=$(mktemp -d /tmp/model_testservers.XXXXXX)
    chmod 755 "$base"
    # shellcheck disable=SC2086
    mariadb_start "$base/mariadb" "$mysql_port" ${MODEL_TEST_MYSQL_OPTIONS:-}
    postgres_start "$base/pgsql" "$pg_port"
    cat >"$env_file" <<ENV
MODEL_TEST_SERVER_BASE='$base'
MODEL_TEST_MYSQL_PORT='$mysql_port'
MODEL_TEST_MYSQL_SOCKET='$base/mariadb/mysqld.sock'
MODEL_TEST_MYSQL_PIDFILE='$base/mariadb/mysqld.pid'
MODEL_TEST_PGSQL_PORT='$pg_port'
MODEL_TEST_PGSQL_DATA='$base/pgsql/data'
MODEL_TEST_USER='$test_user'
MODEL_TEST_PASSWORD="$test_password"
ENV
    echo "testservers: MariaDB on 127.0.0.1:$mysql_port, PostgreSQL on 127.0.0.1:$pg_port"
    ;;
  stop)
    stop_servers
    echo "testservers: stopped"
    ;;
  *)
    echo "usage: $0 start|stop STATE_DIR" >&2
    exit 2
    ;;
esac
