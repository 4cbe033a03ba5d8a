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
. "$(dirname "$0")/xvfb_session.sh"
require_tools Xvfb xdotool
start_xvfb
# The plain scalar engine keeps "jd_9" drawing for seconds.
GALLERI_TRACE_RUNS=1 start_galleri --engine scalar

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
