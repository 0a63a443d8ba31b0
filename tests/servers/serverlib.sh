# Shared by the scripts that start throwaway MariaDB and PostgreSQL servers for the tests.
# Source it; it sets no options of its own. Every server listens on 127.0.0.1 only and keeps its
# data, socket and log below the folder it is given.

test_user=velm_test
test_password="Te'st_pw1"
pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)

as_pg() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

# load_state STATE_DIR: the variables of the servers.env a start wrote; base is the servers' folder.
load_state() {
  env_file="$1/servers.env"
  # shellcheck disable=SC1090
  . "$env_file"
  base=$MODEL_TEST_SERVER_BASE
}

# new_base STATE_DIR NAME: stops the servers STATE_DIR describes (by the calling script) and makes
# a fresh folder for new ones in base.
new_base() {
  local state=$1 name=$2
  mkdir -p "$state"
  [ -f "$state/servers.env" ] && "$0" stop "$state"
  base=$(mktemp -d "/tmp/model_$name.XXXXXX")
  chmod 755 "$base"
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

# mariadb_start DIR PORT [OPTION...]: a server on PORT with the test user (its data made on the
# first start); the options are the server's, after the usual ones.
mariadb_start() {
  local dir=$1 port=$2
  shift 2
  local run_as=()
  [ "$(id -u)" = 0 ] && run_as=(--user=root)
  local fresh=
  if [ ! -d "$dir/data" ]; then
    fresh=1
    mkdir -p "$dir/data"
    mariadb-install-db --no-defaults --datadir="$dir/data" --auth-root-authentication-method=normal \
      --skip-test-db "${run_as[@]}" >"$dir/install.log" 2>&1
  fi
  mariadbd --no-defaults "${run_as[@]}" --datadir="$dir/data" --socket="$dir/mysqld.sock" \
    --pid-file="$dir/mysqld.pid" --port="$port" --bind-address=127.0.0.1 \
    --lower-case-table-names=1 --character-set-server=utf8mb4 --collation-server=utf8mb4_bin \
    --skip-log-bin --innodb-buffer-pool-size=256M --innodb-flush-log-at-trx-commit=2 \
    --log-error="$dir/error.log" "$@" >/dev/null 2>&1 &
  wait_for MariaDB mariadb-admin --no-defaults --socket="$dir/mysqld.sock" -uroot ping
  [ -n "$fresh" ] || return 0
  mariadb --no-defaults --socket="$dir/mysqld.sock" -uroot <<SQL
CREATE USER '$test_user'@'127.0.0.1' IDENTIFIED BY 'Te''st_pw1';
CREATE USER '$test_user'@'localhost' IDENTIFIED BY 'Te''st_pw1';
GRANT ALL PRIVILEGES ON *.* TO '$test_user'@'127.0.0.1' WITH GRANT OPTION;
GRANT ALL PRIVILEGES ON *.* TO '$test_user'@'localhost' WITH GRANT OPTION;
SQL
}

mariadb_stop() {
  local dir=$1
  [ -S "$dir/mysqld.sock" ] && mariadb-admin --no-defaults --socket="$dir/mysqld.sock" -uroot shutdown 2>/dev/null || true
  [ -f "$dir/mysqld.pid" ] && kill "$(cat "$dir/mysqld.pid")" 2>/dev/null || true
  for _ in $(seq 1 60); do [ -f "$dir/mysqld.pid" ] || return 0; sleep 0.5; done
}

pg_options() {
  local dir=$1 port=$2
  echo "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
}

# pg_start DIR PORT [OPTIONS]: OPTIONS are the server's, after the usual ones.
pg_start() {
  local dir=$1 port=$2 extra=${3:-}
  as_pg "$pg_bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 -o "$(pg_options "$dir" "$port") $extra" start >/dev/null
}

# postgres_start DIR PORT [CERTS [CLEAR]]: a new cluster on PORT with the test user, which may
# also replicate. With CERTS (made by tls_certs) it speaks TLS only, presenting CERTS/active.crt,
# listens on 127.0.0.1 and 127.0.0.2 and lets velm_cert log in by the client certificate; with
# CLEAR as well, the test user may log in without TLS too.
postgres_start() {
  local dir=$1 port=$2 certs=${3:-} clear=${4:-}
  mkdir -p "$dir"
  [ "$(id -u)" = 0 ] && chown postgres "$dir"
  printf '%s\n' "$test_password" >"$dir/pw" && chmod 644 "$dir/pw"
  as_pg "$pg_bin/initdb" -D "$dir/data" -U postgres --pwfile="$dir/pw" --auth-local=trust \
    --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
  if [ -z "$certs" ]; then
    echo "host replication $test_user 127.0.0.1/32 scram-sha-256" | as_pg tee -a "$dir/data/pg_hba.conf" >/dev/null
    pg_start "$dir" "$port"
  else
    postgres_tls "$dir/data" "$certs" "$clear"
    pg_start "$dir" "$port" "-c listen_addresses=127.0.0.1,127.0.0.2 -c ssl=on"
  fi
  as_pg psql -h "$dir" -p "$port" -U postgres -d postgres -q -c \
    "CREATE ROLE $test_user LOGIN SUPERUSER REPLICATION PASSWORD 'Te''st_pw1';"
  [ -z "$certs" ] || as_pg psql -h "$dir" -p "$port" -U postgres -d postgres -q -c "CREATE ROLE velm_cert LOGIN;"
}

postgres_tls() {
  local data=$1 certs=$2 clear=$3
  install -m 600 -o postgres "$certs/active.crt" "$data/server.crt"
  install -m 600 -o postgres "$certs/server.key" "$data/server.key"
  install -m 600 -o postgres "$certs/ca.crt" "$data/ca.crt"
  printf '%s\n' "ssl_ca_file = 'ca.crt'" | as_pg tee -a "$data/postgresql.conf" >/dev/null
  {
    echo "local all all trust"
    echo "hostssl all velm_cert 127.0.0.0/8 cert"
    echo "hostssl all all 127.0.0.0/8 scram-sha-256"
    [ -z "$clear" ] || echo "host all all 127.0.0.0/8 scram-sha-256"
  } | as_pg tee "$data/pg_hba.conf" >/dev/null
}

# postgres_standby PRIMARY_PORT DIR PORT: a streaming standby of the server on PRIMARY_PORT.
postgres_standby() {
  local primary_port=$1 dir=$2 port=$3
  mkdir -p "$dir"
  [ "$(id -u)" = 0 ] && chown postgres "$dir"
  PGPASSWORD=$test_password as_pg "$pg_bin/pg_basebackup" -h 127.0.0.1 -p "$primary_port" -U "$test_user" \
    -D "$dir/data" -R -X stream >"$dir/basebackup.log" 2>&1
  pg_start "$dir" "$port"
}

postgres_stop() {
  local dir=$1
  [ -d "$dir/data" ] && as_pg "$pg_bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
}

# tls_certs DIR: a throwaway CA; a server certificate for 127.0.0.1 and localhost, and an expired
# one; a client certificate for the user velm_cert; a second CA that signed none of them.
tls_certs() {
  local dir=$1
  mkdir -p "$dir"
  (
    cd "$dir"
    key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1.key" 2>/dev/null; }
    ca() { key "$1" && openssl req -x509 -new -key "$1.key" -out "$1.crt" -days 30 -subj "/CN=$2" 2>/dev/null; }
    signed() { # name subject days [extensions]
      key "$1" && openssl req -new -key "$1.key" -subj "/CN=$2" 2>/dev/null |
        openssl x509 -req -CA ca.crt -CAkey ca.key -CAcreateserial -days "$3" ${4:+-extfile "$4"} -out "$1.crt" 2>/dev/null
    }
    ca ca "model_varnix test CA"
    ca other-ca "model_varnix other CA"
    printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >server.ext
    signed server localhost 30 server.ext
    # valid until yesterday
    openssl req -new -key server.key -subj /CN=localhost 2>/dev/null |
      openssl x509 -req -CA ca.crt -CAkey ca.key -CAcreateserial -days -1 -extfile server.ext -out expired.crt 2>/dev/null
    signed client velm_cert 30
    chmod 600 ./*.key
  )
  [ -s "$dir/client.crt" ] && [ -s "$dir/expired.crt" ] || { echo "testservers: openssl could not make the certificates" >&2; return 1; }
}
