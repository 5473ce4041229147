#!/usr/bin/env bash
# Sets up the machine (when needed), builds, starts the private database
# server and runs every test. Exits non-zero on any failure.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

bash scripts/setup.sh
# The "dev" preset of CMakePresets.json: warnings as errors.
cmake --preset dev > build.log 2>&1 || { cat build.log; exit 1; }
cmake --build --preset dev -j"$(nproc)" >> build.log 2>&1 || { tail -60 build.log; exit 1; }

export QT_QPA_PLATFORM=offscreen
bash scripts/with_db.sh ctest --preset dev -j"$(nproc)"

# A short run of the settings fuzzer, when clang is there.
if command -v clang++ >/dev/null 2>&1; then
  bash scripts/fuzz.sh 20
fi
