#!/usr/bin/env bash
# Drives the real window under Xvfb: chooses "m_5" from the menu with the
# keyboard, presses Escape while it draws, then saves the picture through the
# save dialog as PNG and checks the file.
#   window_e2e.sh PATH/TO/galleri
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -uo pipefail

galleri=${1:?usage: window_e2e.sh PATH/TO/galleri}
. "$(dirname "$0")/xvfb_session.sh"
require_tools Xvfb xdotool identify
start_xvfb
# The plain scalar engine keeps "m_5" drawing long enough to press Escape.
start_galleri --engine scalar

# Alt opens the menu bar, Right moves to "mandelbroot", Down opens it on
# "m_1"; four more Downs reach "m_5". Escape is pressed again and again from
# the moment Return starts the figure: a press before the run begins is
# cleared by it, one during the run stops it at the next ten-column boundary,
# and one after it does nothing.
keys alt Right Down
sleep 0.3
keys Down Down Down Down
xdotool key --delay 0 Return Escape
for _ in $(seq 20); do
  xdotool key Escape
  sleep 0.05
done
sleep 1
kill -0 "$app_pid" 2>/dev/null || fail "galleri ended while drawing"

out="$work/bild.png"
save_as "$out"
format=$(identify -format '%m %w %h' "$out") || fail "identify cannot read $out"
[ "$format" = "PNG 483 609" ] || fail "saved file is '$format', expected a 483x609 PNG"

# The drawing stopped early: the first columns are drawn, the last is white.
first=$(identify -format '%[pixel:p{0,300}]' "$out")
last=$(identify -format '%[pixel:p{482,300}]' "$out")
[ "$last" = "white" ] || [ "$last" = "srgb(255,255,255)" ] ||
  fail "the last column is $last: Escape did not stop the figure"
[ "$first" != "$last" ] || fail "the first column is white too: nothing was drawn"

kill -0 "$app_pid" 2>/dev/null || fail "galleri ended after saving"
echo "window end-to-end: drew m_5, stopped it with Escape, saved $format"
