#!/usr/bin/env bash
# Throwaway servers for the tests of lost links and failovers: two MariaDB servers, and a
# PostgreSQL primary with a streaming standby.
#   replicaservers.sh start STATE_DIR       -> STATE_DIR/servers.env describes them
#   replicaservers.sh stop STATE_DIR
#   replicaservers.sh restart|halt|freeze|thaw mariadb|postgresql STATE_DIR   (the first server)
#   replicaservers.sh promote STATE_DIR     (the PostgreSQL standby becomes the primary)
# Ports default to 13406/13407 (MariaDB) and 15506/15507 (PostgreSQL).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=serverlib.sh
. "$here/serverlib.sh"

mysql_port=${MODEL_TEST_REPLICA_MYSQL_PORT:-13406}
pg_port=${MODEL_TEST_REPLICA_PGSQL_PORT:-15506}

# The process and every process below it (a PostgreSQL server and its backends).
process_tree() {
  local root=$1
  echo "$root"
  for stat in /proc/[0-9]*/stat; do
    local fields
    read -r -a fields 2>/dev/null <"$stat" || continue
    # field 4 is the parent; a command with blanks shifts it, which server processes never have
    [ "${fields[3]:-}" = "$root" ] && process_tree "${fields[0]}"
  done
  return 0
}

server_pid() {
  local kind=$1 base=$2
  if [ "$kind" = mariadb ]; then cat "$base/mariadb1/mysqld.pid"; else head -1 "$base/pgsql1/data/postmaster.pid"; fi
}

case ${1:?action} in
  start)
    state=${2:?state directory}
    new_base "$state" replicaservers
    mariadb_start "$base/mariadb1" "$mysql_port"
    mariadb_start "$base/mariadb2" "$((mysql_port + 1))"
    postgres_start "$base/pgsql1" "$pg_port"
    postgres_standby "$pg_port" "$base/pgsql2" "$((pg_port + 1))"
    cat >"$state/servers.env" <<ENV
MODEL_TEST_SERVER_BASE='$base'
MODEL_TEST_MYSQL_PORT='$mysql_port'
MODEL_TEST_MYSQL_PORT2='$((mysql_port + 1))'
MODEL_TEST_PGSQL_PORT='$pg_port'
MODEL_TEST_PGSQL_PORT2='$((pg_port + 1))'
MODEL_TEST_USER='$test_user'
MODEL_TEST_PASSWORD="$test_password"
ENV
    echo "replicaservers: MariaDB on $mysql_port and $((mysql_port + 1)), PostgreSQL $pg_port with standby $((pg_port + 1))"
    ;;
  stop)
    load_state "${2:?state directory}"
    for d in mariadb1 mariadb2; do
      kill -CONT $(process_tree "$(cat "$base/$d/mysqld.pid" 2>/dev/null || echo 0)") 2>/dev/null || true
      mariadb_stop "$base/$d"
    done
    for d in pgsql1 pgsql2; do
      [ -f "$base/$d/data/postmaster.pid" ] && kill -CONT $(process_tree "$(head -1 "$base/$d/data/postmaster.pid")") 2>/dev/null
      postgres_stop "$base/$d"
    done
    rm -rf "$base" "$env_file"
    ;;
  restart|halt|freeze|thaw)
    action=$1 kind=${2:?mariadb or postgresql}
    load_state "${3:?state directory}"
    case $action:$kind in
      restart:mariadb) mariadb_stop "$base/mariadb1"; mariadb_start "$base/mariadb1" "$MODEL_TEST_MYSQL_PORT" ;;
      restart:postgresql) as_pg "$pg_bin/pg_ctl" -D "$base/pgsql1/data" -m fast -w restart >/dev/null ;;
      halt:mariadb) mariadb_stop "$base/mariadb1" ;;
      halt:postgresql) as_pg "$pg_bin/pg_ctl" -D "$base/pgsql1/data" -m fast -w stop >/dev/null ;;
      freeze:*) kill -STOP $(process_tree "$(server_pid "$kind" "$base")") ;;
      thaw:*) kill -CONT $(process_tree "$(server_pid "$kind" "$base")") ;;
      *) echo "replicaservers: $kind?" >&2; exit 2 ;;
    esac
    ;;
  promote)
    load_state "${2:?state directory}"
    as_pg "$pg_bin/pg_ctl" -D "$base/pgsql2/data" -w promote >/dev/null
    ;;
  *)
    echo "usage: $0 start|stop|restart|halt|freeze|thaw|promote ..." >&2
    exit 2
    ;;
esac
