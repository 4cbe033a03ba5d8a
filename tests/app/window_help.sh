#!/usr/bin/env bash
# The window explains itself, under Xvfb with xdotool: F1 opens "Keys and
# gestures", the Help menu opens "About", hovering a menu entry shows its
# description, and the status line follows the cursor over a figure.
#   window_help.sh PATH/TO/galleri
# Exit 77 (skipped) when Xvfb or xdotool is missing.
set -uo pipefail

galleri=${1:?usage: window_help.sh PATH/TO/galleri}
. "$(dirname "$0")/xvfb_session.sh"
require_tools Xvfb xdotool
start_xvfb
GALLERI_TRACE_RUNS=1 start_galleri

grep -q '^galleri: status .*F1' "$work/app.log" || fail "the status line does not mention F1 at start"

keys F1
help=$(timeout 10 xdotool search --sync --onlyvisible --name '^Keys and gestures$' | head -n1)
[ -n "$help" ] || fail "F1 did not open Keys and gestures"
# Escape closes it again.
xdotool windowfocus --sync "$help" key Escape
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^Keys and gestures$' >/dev/null || break
  sleep 0.1
done
xdotool search --onlyvisible --name '^Keys and gestures$' >/dev/null && fail "Escape did not close the help"

# "m_1": Alt highlights the first menu, Right moves to "mandelbroot", Down
# opens it on "m_1"; its description shows while it is highlighted.
keys alt Right Down
sleep 0.5
grep -q '^galleri: tip Mandelbrot set of z² + c' "$work/app.log" ||
  fail "hovering m_1 did not show its description"
keys Return
wait_run m11

# The cursor over the picture: the point, the zoom and the budget.
eval "$(xdotool getwindowgeometry --shell "$wid")"
xdotool mousemove $((X + 100)) $((Y + 200))
sleep 0.5
grep -Eq '^galleri: status m_1   -?[0-9.]+ [+-] [0-9.]+i   x 1   815 iterations' "$work/app.log" ||
  fail "the status line does not follow the cursor"

# Help, the last menu: Alt, Left wraps to it, Down opens it, Down to About.
keys alt Left Down Down Return
timeout 10 xdotool search --sync --onlyvisible --name '^About Galleri$' >/dev/null ||
  fail "Help > About did not open"
echo "PASS"
