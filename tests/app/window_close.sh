#!/usr/bin/env bash
# The real window closed while a figure draws: the drawing stops at its next
# message point and the program ends by itself with status 0, long before the
# figure would have been done. The close request is the one a window
# manager's close button sends.
#   window_close.sh PATH/TO/galleri PATH/TO/close_window
# Exit 77 (skipped) when Xvfb or xdotool is missing.
set -uo pipefail

galleri=${1:?usage: window_close.sh PATH/TO/galleri PATH/TO/close_window}
close_window=${2:?usage: window_close.sh PATH/TO/galleri PATH/TO/close_window}
for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/setup installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  [ -s "$work/app.log" ] && sed 's/^/  galleri: /' "$work/app.log"
  exit 1
}

Xvfb -displayfd 3 -screen 0 800x720x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# The plain scalar engine keeps "jd_9" drawing for seconds.
GALLERI_TRACE_RUNS=1 "$galleri" --engine scalar >"$work/app.log" 2>&1 &
app_pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Galleri$' | head -n1)
[ -n "$wid" ] || fail "the window did not appear"
sleep 0.5

# "jd_9", the ninth item of "juliadragons", the fifth menu: a figure that
# takes seconds to draw.
xdotool windowfocus --sync "$wid" || fail "cannot focus the window"
xdotool key --delay 50 alt Right Right Right Right Down
sleep 0.2
xdotool key --delay 30 Down Down Down Down Down Down Down Down Return
sleep 0.4
grep -q '^galleri: jd91 ' "$work/app.log" && fail "jd_9 was done before the window could be closed"
kill -0 "$app_pid" 2>/dev/null || fail "galleri ended before the close request"

"$close_window" "$wid" || fail "could not send the close request"
status=""
for _ in $(seq 100); do
  if ! kill -0 "$app_pid" 2>/dev/null; then
    wait "$app_pid"
    status=$?
    app_pid=""
    break
  fi
  sleep 0.1
done
[ -n "$status" ] || fail "galleri did not end within 10 s of the close request"
[ "$status" -eq 0 ] || fail "galleri ended with status $status"
grep -qx 'galleri: jd91 stopped' "$work/app.log" || fail "jd_9 was not stopped by the close request"
if grep -qi 'sanitizer\|segmentation\|abort' "$work/app.log"; then
  fail "galleri reported a fault while ending"
fi
echo "window close: jd_9 stopped, galleri ended with status 0"
