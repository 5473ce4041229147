#!/usr/bin/env bash
# Builds the libFuzzer target for the field reader and settings parser with
# clang and runs it for the given number of seconds (default 60).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECS="${1:-60}"
cmake -S "$ROOT" -B "$ROOT/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DLOOT_BUILD_TESTS=OFF -DLOOT_BUILD_BENCH=OFF > "$ROOT/build-fuzz.log" 2>&1
cmake --build "$ROOT/build-fuzz" --target fuzz_settings >> "$ROOT/build-fuzz.log" 2>&1 || { tail -40 "$ROOT/build-fuzz.log"; exit 1; }
mkdir -p "$ROOT/build-fuzz/corpus"
printf 'SRVR=127.0.0.1\r\nUSER=u\r\nPASSWORD=p\r\nDATABASE=d\r\nDATA_FOLDER_PATH=x\r\n' > "$ROOT/build-fuzz/corpus/usual.ini"
printf '"SRVR=a,b"\n"USER=\n"\nPASSWORD=p,DATABASE=d\n' > "$ROOT/build-fuzz/corpus/quoted.ini"
"$ROOT/build-fuzz/fuzz/fuzz_settings" -max_total_time="$SECS" -max_len=4096 "$ROOT/build-fuzz/corpus" 2>&1 | tail -3
