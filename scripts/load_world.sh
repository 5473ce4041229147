#!/usr/bin/env bash
# Loads a generated demo world into this checkout's private database server
# (started when it is not running), replacing the tables of that database.
#
#   scripts/load_world.sh [--scale S] [--database NAME]
#
# --scale multiplies every count of the demo world (default 1: 100,000 NPCs;
# 10 gives 1,000,000 NPCs and items, 520,000 lootdrops and 1,500,000 lootdrop
# entries and takes several minutes; 0.01 a tiny one). --database names the
# database to fill (default: the one db.ini names for the private server,
# "lootworld"); it is made when missing. The benchmarks look for the worlds
# in "loot_world_x1" and "loot_world_x10".
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

scale=1
database=""
while [ $# -gt 0 ]; do
  case "$1" in
    --scale) scale="${2:?--scale needs a value}"; shift 2 ;;
    --database) database="${2:?--database needs a name}"; shift 2 ;;
    *) echo "usage: $0 [--scale S] [--database NAME]" >&2; exit 2 ;;
  esac
done

bash scripts/db.sh start > /dev/null
eval "$(bash scripts/db.sh env)"
database="${database:-$LOOT_DB_NAME}"
if ! [[ "$database" =~ ^[A-Za-z0-9_]+$ ]]; then
  echo "load_world: the database name may hold letters, digits and _ only" >&2
  exit 2
fi

root_client() { mariadb --no-defaults --socket="$LOOT_DB_SOCKET" -uroot "$@"; }

start=$(date +%s)
sql="$(mktemp "$ROOT/.db/world.XXXXXX.sql")"
trap 'rm -f "$sql"' EXIT
echo "load_world: generating the demo world at scale $scale"
python3 scripts/demo_world.py --scale "$scale" -o "$sql"
echo "load_world: loading it into $database"
root_client -e "CREATE DATABASE IF NOT EXISTS \`$database\` CHARACTER SET latin1"
root_client "$database" < scripts/schema.sql
root_client --default-character-set=utf8mb4 "$database" < "$sql"
echo "load_world: done in $(( $(date +%s) - start )) s"
