#!/usr/bin/env bash
# Throwaway MariaDB and PostgreSQL servers that speak TLS with certificates of a throwaway CA,
# for the tests of encrypted links.
#   tlsservers.sh start STATE_DIR                        -> STATE_DIR/servers.env describes them
#   tlsservers.sh stop STATE_DIR
#   tlsservers.sh present server|expired STATE_DIR       (the certificate the servers show from now on)
# Both listen on 127.0.0.1 and 127.0.0.2 (an address their certificate does not name) and refuse
# links in clear text, unless MODEL_TEST_TLS_OPTIONAL=1. Both know the user velm_cert, who logs in
# by the client certificate alone. Ports default to 13326 (MariaDB) and 15452 (PostgreSQL).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=serverlib.sh
. "$here/serverlib.sh"

mysql_port=${MODEL_TEST_TLS_MYSQL_PORT:-13326}
pg_port=${MODEL_TEST_TLS_PGSQL_PORT:-15452}
optional=${MODEL_TEST_TLS_OPTIONAL:-}

start_mariadb() {
  local dir=$1 certs=$2 secure=ON
  [ -z "$optional" ] || secure=OFF
  mariadb_start "$dir" "$mysql_port" --bind-address=127.0.0.1,127.0.0.2 --ssl-ca="$certs/ca.crt" \
    --ssl-cert="$certs/active.crt" --ssl-key="$certs/server.key" --require-secure-transport=$secure
  mariadb --no-defaults --socket="$dir/mysqld.sock" -uroot <<SQL
CREATE USER 'velm_cert'@'127.0.0.1' REQUIRE SUBJECT '/CN=velm_cert';
CREATE USER 'velm_cert'@'localhost' REQUIRE SUBJECT '/CN=velm_cert';
SQL
}

case ${1:?action} in
  start)
    state=${2:?state directory}
    new_base "$state" tlsservers
    tls_certs "$base/certs"
    cp "$base/certs/server.crt" "$base/certs/active.crt"
    start_mariadb "$base/mariadb" "$base/certs"
    postgres_start "$base/pgsql" "$pg_port" "$base/certs" "$optional"
    cat >"$state/servers.env" <<ENV
MODEL_TEST_SERVER_BASE='$base'
MODEL_TEST_MYSQL_PORT='$mysql_port'
MODEL_TEST_PGSQL_PORT='$pg_port'
MODEL_TEST_USER='$test_user'
MODEL_TEST_PASSWORD="$test_password"
MODEL_TEST_CERT_USER='velm_cert'
MODEL_TEST_CERTS='$base/certs'
ENV
    echo "tlsservers: MariaDB on 127.0.0.1:$mysql_port, PostgreSQL on 127.0.0.1:$pg_port, certificates in $base/certs"
    ;;
  stop)
    load_state "${2:?state directory}"
    mariadb_stop "$base/mariadb"
    postgres_stop "$base/pgsql"
    rm -rf "$base" "$env_file"
    ;;
  present)
    which=${2:?server or expired}
    load_state "${3:?state directory}"
    cp "$base/certs/$which.crt" "$base/certs/active.crt"
    install -m 600 -o postgres "$base/certs/$which.crt" "$base/pgsql/data/server.crt"
    mariadb --no-defaults --socket="$base/mariadb/mysqld.sock" -uroot -e "FLUSH SSL"
    as_pg "$pg_bin/pg_ctl" -D "$base/pgsql/data" reload >/dev/null
    ;;
  *)
    echo "usage: $0 start|stop|present ..." >&2
    exit 2
    ;;
esac
