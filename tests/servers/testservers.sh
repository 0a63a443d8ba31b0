#!/usr/bin/env bash
# Starts or stops throwaway MariaDB and PostgreSQL servers on loopback for the test suite.
#   testservers.sh start STATE_DIR   -> STATE_DIR/servers.env describes them
#   testservers.sh stop  STATE_DIR
# Data lives in a fresh temporary folder; ports default to 13306 and 15432.
set -euo pipefail

action=${1:?start or stop}
state=${2:?state directory}
mysql_port=${MODEL_TEST_MYSQL_PORT:-13306}
pg_port=${MODEL_TEST_PGSQL_PORT:-15432}
user=velm_test
password="Te'st_pw1"
env_file="$state/servers.env"

pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)

as_pg() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

stop_servers() {
  [ -f "$env_file" ] || return 0
  # shellcheck disable=SC1090
  . "$env_file"
  if [ -n "${MODEL_TEST_MYSQL_SOCKET:-}" ] && [ -S "$MODEL_TEST_MYSQL_SOCKET" ]; then
    mariadb-admin --no-defaults --socket="$MODEL_TEST_MYSQL_SOCKET" -uroot shutdown 2>/dev/null || true
  fi
  if [ -n "${MODEL_TEST_PGSQL_DATA:-}" ] && [ -d "$MODEL_TEST_PGSQL_DATA" ]; then
    as_pg "$pg_bin/pg_ctl" -D "$MODEL_TEST_PGSQL_DATA" -m immediate stop >/dev/null 2>&1 || true
  fi
  for pidfile in "${MODEL_TEST_MYSQL_PIDFILE:-}"; do
    [ -n "$pidfile" ] && [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null || true
  done
  [ -n "${MODEL_TEST_SERVER_BASE:-}" ] && rm -rf "$MODEL_TEST_SERVER_BASE"
  rm -f "$env_file"
}

wait_for() {
  local what=$1; shift
  for _ in $(seq 1 120); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.5
  done
  echo "testservers: $what did not come up" >&2
  return 1
}

start_mariadb() {
  local dir=$base/mariadb
  mkdir -p "$dir/data"
  local run_as=()
  [ "$(id -u)" = 0 ] && run_as=(--user=root)
  mariadb-install-db --no-defaults --datadir="$dir/data" --auth-root-authentication-method=normal \
    --skip-test-db "${run_as[@]}" >"$dir/install.log" 2>&1
  mariadbd --no-defaults "${run_as[@]}" --datadir="$dir/data" --socket="$dir/mysqld.sock" \
    --pid-file="$dir/mysqld.pid" --port="$mysql_port" --bind-address=127.0.0.1 \
    --lower-case-table-names=1 --character-set-server=utf8mb4 --collation-server=utf8mb4_bin \
    --skip-log-bin --innodb-buffer-pool-size=256M --innodb-flush-log-at-trx-commit=2 \
    --log-error="$dir/error.log" >/dev/null 2>&1 &
  wait_for MariaDB mariadb-admin --no-defaults --socket="$dir/mysqld.sock" -uroot ping
  mariadb --no-defaults --socket="$dir/mysqld.sock" -uroot <<SQL
CREATE USER '$user'@'127.0.0.1' IDENTIFIED BY 'Te''st_pw1';
CREATE USER '$user'@'localhost' IDENTIFIED BY 'Te''st_pw1';
GRANT ALL PRIVILEGES ON *.* TO '$user'@'127.0.0.1' WITH GRANT OPTION;
GRANT ALL PRIVILEGES ON *.* TO '$user'@'localhost' WITH GRANT OPTION;
SQL
  mysql_socket=$dir/mysqld.sock
  mysql_pidfile=$dir/mysqld.pid
}

start_postgres() {
  local dir=$base/pgsql
  mkdir -p "$dir"
  [ "$(id -u)" = 0 ] && chown postgres "$dir"
  printf '%s\n' "$password" >"$dir/pw" && chmod 644 "$dir/pw"
  as_pg "$pg_bin/initdb" -D "$dir/data" -U postgres --pwfile="$dir/pw" --auth-local=trust \
    --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
  as_pg "$pg_bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-p $pg_port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
    start >/dev/null
  as_pg psql -h "$dir" -p "$pg_port" -U postgres -d postgres -q -c \
    "CREATE ROLE $user LOGIN SUPERUSER PASSWORD 'Te''st_pw1';"
  pg_data=$dir/data
}

case $action in
  start)
    mkdir -p "$state"
    stop_servers
    base=$(mktemp -d /tmp/model_testservers.XXXXXX)
    chmod 755 "$base"
    start_mariadb
    start_postgres
    cat >"$env_file" <<ENV
MODEL_TEST_SERVER_BASE='$base'
MODEL_TEST_MYSQL_PORT='$mysql_port'
MODEL_TEST_MYSQL_SOCKET='$mysql_socket'
MODEL_TEST_MYSQL_PIDFILE='$mysql_pidfile'
MODEL_TEST_PGSQL_PORT='$pg_port'
MODEL_TEST_PGSQL_DATA='$pg_data'
MODEL_TEST_USER='$user'
MODEL_TEST_PASSWORD="$password"
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
