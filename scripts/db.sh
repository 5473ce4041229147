#!/usr/bin/env bash
# A private MariaDB server for this checkout: its own data folder under .db/,
# loopback only, a port of its own, no system service.
#
#   scripts/db.sh start   start it (creating the data folder, database and user
#                         on first use) and write db.ini for it
#   scripts/db.sh stop    stop it
#   scripts/db.sh status  tell whether it runs, and on which port
#   scripts/db.sh schema  load the schema into the database (drops the tables)
#   scripts/db.sh load F  run the SQL file F against the database (as root, through
#                         the socket; the file names its own character set)
#   scripts/db.sh client  run the mariadb client against it
#
# The port is chosen once per checkout (a free port near 3307 + a hash of the
# checkout's path) and kept in .db/port, so two checkouts on one machine never
# share a server. The server value in db.ini carries the port:
# "127.0.0.1;PORT=<port>".
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DBDIR="${LOOT_DB_DIR:-$ROOT/.db}"
DATA="$DBDIR/data"
SOCK="$DBDIR/mysqld.sock"
PIDF="$DBDIR/mysqld.pid"
LOG="$DBDIR/mysqld.log"
DB_NAME="${LOOT_DB_NAME:-lootworld}"
DB_USER="${LOOT_DB_USER:-lootadmin}"
DB_PASS="${LOOT_DB_PASS:-Ziri-3.55-pw}"

port_in_use() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && { exec 3>&- 3<&- || true; return 0; }
  return 1
}

pick_port() {
  if [ -f "$DBDIR/port" ]; then cat "$DBDIR/port"; return; fi
  local h p
  h=$(printf '%s' "$ROOT" | cksum | cut -d' ' -f1)
  p=$((3307 + h % 2000))
  while port_in_use "$p"; do p=$((p + 1)); done
  echo "$p" > "$DBDIR/port"
  echo "$p"
}

running() {
  [ -f "$PIDF" ] && kill -0 "$(cat "$PIDF")" 2>/dev/null
}

client_root() {
  mariadb --no-defaults --socket="$SOCK" -uroot "$@"
}

write_ini() {
  local port="$1" folder="$2"
  # One field per line: a label, then the value from a fixed position
  # (server and user at 6, password and database at 10, data folder at 18).
  # The server field holds a ";", never a comma, so it needs no quotes.
  {
    printf 'SRVR=127.0.0.1;PORT=%s\r\n' "$port"
    printf 'USER=%s\r\n' "$DB_USER"
    printf 'PASSWORD=%s\r\n' "$DB_PASS"
    printf 'DATABASE=%s\r\n' "$DB_NAME"
    printf 'DATA_FOLDER_PATH=%s\r\n' "$folder"
  } > "$ROOT/db.ini"
}

# The editor's account: rights on its own databases and nothing else, since
# the item search runs the operator's condition with them (no FILE, no other
# database). Those databases are the world database, the tests' own
# (loot_t_...), the benchmarks' (loot_bench) and the demo worlds that
# scripts/load_world.sh loads for them (loot_world_...). Run on every start,
# so a data folder made with wider rights is narrowed too.
grant_account() {
  local host
  for host in 127.0.0.1 localhost; do
    client_root <<SQL
CREATE USER IF NOT EXISTS '$DB_USER'@'$host' IDENTIFIED BY '$DB_PASS';
REVOKE ALL PRIVILEGES, GRANT OPTION FROM '$DB_USER'@'$host';
GRANT ALL PRIVILEGES ON \`$DB_NAME\`.* TO '$DB_USER'@'$host';
GRANT ALL PRIVILEGES ON \`loot\\_t\\_%\`.* TO '$DB_USER'@'$host';
GRANT ALL PRIVILEGES ON \`loot\\_bench\`.* TO '$DB_USER'@'$host';
GRANT ALL PRIVILEGES ON \`loot\\_world\\_%\`.* TO '$DB_USER'@'$host';
SQL
  done
}

# The server's root has no password; it is for this checkout's scripts,
# tests and benchmarks, which reach it through the socket. So root logs in
# through the socket alone: the accounts of root for TCP hosts (127.0.0.1,
# ::1, the machine's name) and any anonymous account are dropped, and the
# socket lies in a folder only the checkout's owner may enter. Run on every
# start, so data folders made before are mended too.
keep_root_to_socket() {
  local accounts
  accounts="$(client_root -N -B -e \
    "SELECT GROUP_CONCAT(CONCAT(QUOTE(User),'@',QUOTE(Host))) FROM mysql.user
     WHERE (User='root' AND Host<>'localhost') OR User=''")"
  if [ -n "$accounts" ] && [ "$accounts" != "NULL" ]; then
    client_root -e "DROP USER $accounts"
  fi
}

cmd_start() {
  mkdir -p "$DBDIR"
  # Only the owner reaches the socket, and with it the server's root.
  chmod 700 "$DBDIR"
  local port; port=$(pick_port)
  if running; then
    keep_root_to_socket
    echo "db: already running on port $port"
    return
  fi
  local fresh=0
  if [ ! -d "$DATA/mysql" ]; then
    fresh=1
    mkdir -p "$DATA"
    mariadb-install-db --no-defaults --datadir="$DATA" --user="$(id -un)" \
      --auth-root-authentication-method=normal --skip-test-db > "$DBDIR/install.log" 2>&1
  fi
  if port_in_use "$port"; then
    rm -f "$DBDIR/port"; port=$(pick_port)
  fi
  mariadbd --no-defaults --datadir="$DATA" --socket="$SOCK" --pid-file="$PIDF" \
    --port="$port" --bind-address=127.0.0.1 --user="$(id -un)" \
    --log-error="$LOG" --lower-case-table-names=0 \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
    --innodb-buffer-pool-size=2G --innodb-log-file-size=1G --innodb-flush-log-at-trx-commit=2 \
    --max-connections=500 --skip-name-resolve &
  for _ in $(seq 1 120); do
    if client_root -e 'SELECT 1' >/dev/null 2>&1; then break; fi
    sleep 0.25
  done
  client_root -e 'SELECT 1' >/dev/null
  if [ "$fresh" = 1 ] || ! client_root -e "USE \`$DB_NAME\`" >/dev/null 2>&1; then
    client_root -e "CREATE DATABASE IF NOT EXISTS \`$DB_NAME\` CHARACTER SET latin1"
    client_root "$DB_NAME" < "$ROOT/scripts/schema.sql"
  fi
  keep_root_to_socket
  grant_account
  [ -f "$ROOT/db.ini" ] || write_ini "$port" "$ROOT/data"
  echo "db: running on 127.0.0.1:$port (database $DB_NAME, user $DB_USER)"
}

cmd_stop() {
  if running; then
    local pid; pid=$(cat "$PIDF")
    kill "$pid"
    for _ in $(seq 1 120); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
    echo "db: stopped"
  else
    echo "db: not running"
  fi
}

case "${1:-}" in
  start) cmd_start ;;
  stop) cmd_stop ;;
  status)
    if running; then echo "db: running on port $(cat "$DBDIR/port")"; else echo "db: not running"; exit 1; fi ;;
  schema) client_root "$DB_NAME" < "$ROOT/scripts/schema.sql" ;;
  load)
    [ -f "${2:-}" ] || { echo "usage: $0 load FILE" >&2; exit 2; }
    client_root --default-character-set=utf8mb4 "$DB_NAME" < "$2" ;;
  ini) write_ini "$(pick_port)" "${2:-$ROOT/data}" ;;
  client) shift; mariadb --no-defaults --socket="$SOCK" -u"$DB_USER" -p"$DB_PASS" "$DB_NAME" "$@" ;;
  env)
    # For tests and benchmarks: how to reach the server.
    printf 'LOOT_DB_PORT=%s\nLOOT_DB_SOCKET=%s\nLOOT_DB_NAME=%s\nLOOT_DB_USER=%s\nLOOT_DB_PASS=%s\n' \
      "$(cat "$DBDIR/port")" "$SOCK" "$DB_NAME" "$DB_USER" "$DB_PASS" ;;
  *) echo "usage: $0 start|stop|status|schema|load FILE|ini [folder]|client|env" >&2; exit 2 ;;
esac
