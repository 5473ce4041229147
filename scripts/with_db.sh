#!/usr/bin/env bash
# Runs the given command with this checkout's private database server up:
# starts the server when it is not running, and then stops it again when the
# command ends, whatever its result (which becomes this script's result).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

started=0
if ! bash "$ROOT/scripts/db.sh" status >/dev/null 2>&1; then
  bash "$ROOT/scripts/db.sh" start
  started=1
fi
stop_db() { if [ "$started" = 1 ]; then bash "$ROOT/scripts/db.sh" stop; fi; }
trap stop_db EXIT
"$@"
