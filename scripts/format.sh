#!/usr/bin/env bash
# Formats every C++ source of the project with .clang-format; with --check,
# changes nothing and fails when a file is not formatted.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
command -v clang-format >/dev/null 2>&1 || { echo "format: clang-format is not installed" >&2; exit 1; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "format: ${#files[@]} files formatted"
else
  clang-format -i "${files[@]}"
fi
