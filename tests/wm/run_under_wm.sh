#!/usr/bin/env bash
# Runs a command on a virtual X server of its own (Xvfb) under the openbox
# window manager, as the program runs on a desktop: the window manager, not
# the program, decides which window lies on top and which has the keyboard.
# Each run picks a free display, so runs in parallel never meet.
set -euo pipefail

for tool in Xvfb openbox xprop xdotool; do
  command -v "$tool" >/dev/null || { echo "run_under_wm: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

work="$(mktemp -d)"
xvfb_pid=""
wm_pid=""
finish() {
  local pid
  for pid in "$wm_pid" "$xvfb_pid"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$work"
}
trap finish EXIT

# Xvfb writes its display number to the descriptor once it takes clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 300); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; echo "run_under_wm: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "run_under_wm: Xvfb gave no display within 30 s" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is up once it names its check window on the root window
# and that window carries its name.
wm_ready() {
  local check
  check="$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # \(0x[0-9a-fA-F]*\).*/\1/p')"
  [ -n "$check" ] && xprop -id "$check" _NET_WM_NAME 2>/dev/null | grep -q '"Openbox"'
}
for _ in $(seq 1 300); do
  wm_ready && break
  kill -0 "$wm_pid" 2>/dev/null || { cat "$work/openbox.log" >&2; echo "run_under_wm: openbox ended" >&2; exit 1; }
  sleep 0.1
done
wm_ready || { cat "$work/openbox.log" >&2; echo "run_under_wm: openbox not ready within 30 s" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb
"$@"
