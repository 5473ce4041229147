#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UBSan (build-asan/) and runs all
# of them against the private database server. Any memory error, undefined
# behaviour or leak of our own fails the run. A second full build, so it is
# kept apart from scripts/test.sh; CI runs both.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
BUILD="$ROOT/build-asan"
mkdir -p "$BUILD"

# The "asan" preset of CMakePresets.json.
cmake --preset asan > "$BUILD/build.log" 2>&1 || { cat "$BUILD/build.log"; exit 1; }
cmake --build --preset asan -j"$(nproc)" >> "$BUILD/build.log" 2>&1 || { tail -60 "$BUILD/build.log"; exit 1; }

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
bash scripts/with_db.sh ctest --preset asan -j"$(nproc)"
