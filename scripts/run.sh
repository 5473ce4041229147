#!/usr/bin/env bash
# Sets everything up and starts the editor. On a fresh machine: installs what
# is needed, builds the editor, starts the private database server, loads the
# demo world into it, writes db.ini and makes the data folder with the
# start-up music. Every step is skipped when its result is already there, so
# a second run starts the editor within seconds.
#
# The demo world is loaded when the private server's database holds no zones
# and db.ini is missing or names that database; a db.ini that points
# elsewhere is left alone. Without a display the editor cannot open its
# windows: the script says so and stops; `xvfb-run -a bash scripts/run.sh`
# runs it on a virtual one.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

bash scripts/setup.sh

# Only the editor is built here; scripts/test.sh builds the tests.
if [ ! -f build/build.ninja ]; then
  cmake --preset dev > build.log 2>&1 || { cat build.log; exit 1; }
fi
cmake --build build --target korvexloot >> build.log 2>&1 || { tail -60 build.log; exit 1; }

had_ini=0
[ -f db.ini ] && had_ini=1
bash scripts/db.sh start
eval "$(bash scripts/db.sh env)"

# Field values start at fixed positions: the server at 6, the database at 10.
ini_field() { sed -n "$1p" db.ini | tr -d '\r' | cut -c"$2"-; }
ours=0
if [ "$had_ini" = 0 ]; then
  ours=1
elif [ "$(ini_field 1 6)" = "127.0.0.1;PORT=$LOOT_DB_PORT" ] && [ "$(ini_field 4 10)" = "$LOOT_DB_NAME" ]; then
  ours=1
fi

if [ "$ours" = 1 ]; then
  zones=$(bash scripts/db.sh client -N -B -e 'SELECT COUNT(*) FROM zone' 2>/dev/null || echo 0)
  if [ "$zones" = 0 ]; then
    echo "run: loading the demo world into $LOOT_DB_NAME (about half a minute)"
    start=$(date +%s)
    sql=.db/demo_world.sql
    python3 scripts/demo_world.py -o "$sql"
    bash scripts/db.sh schema
    bash scripts/db.sh load "$sql"
    rm -f "$sql"
    echo "run: demo world loaded in $(( $(date +%s) - start )) s"
  fi
fi
[ -f db.ini ] || bash scripts/db.sh ini "$ROOT/data"

if [ ! -s data/deaththeme.mp3 ]; then
  mkdir -p data
  wav="$(mktemp --suffix=.wav)"
  python3 scripts/make_music.py "$wav"
  # -t: no LAME info frame, whose empty frame GStreamer's decoder complains about.
  lame --quiet -t -m m -b 96 "$wav" data/deaththeme.mp3
  rm -f "$wav"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run: no display (DISPLAY is empty), so the editor cannot open its windows." >&2
  echo "run: everything else is ready; start it on a virtual display with:" >&2
  echo "       xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
exec ./build/korvexloot
