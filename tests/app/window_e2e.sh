#!/usr/bin/env bash
# Drives the real window under Xvfb: chooses "m_5" from the menu with the
# keyboard, presses Escape while it draws, then saves the picture through the
# save dialog as PNG and checks the file.
#   window_e2e.sh PATH/TO/galleri
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -uo pipefail

galleri=${1:?usage: window_e2e.sh PATH/TO/galleri}
for tool in Xvfb xdotool identify; do
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
  # GALLERI_E2E_SCREENSHOT=FILE.png keeps a picture of the screen at the fault.
  if [ -n "${GALLERI_E2E_SCREENSHOT:-}" ] && command -v import >/dev/null 2>&1; then
    import -window root "$GALLERI_E2E_SCREENSHOT" 2>/dev/null
  fi
  [ -s "$work/app.log" ] && sed 's/^/  galleri: /' "$work/app.log"
  exit 1
}

# Xvfb picks a free display itself and tells its number.
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

# The plain scalar engine keeps "m_5" drawing long enough to press Escape.
"$galleri" --engine scalar >"$work/app.log" 2>&1 &
app_pid=$!

wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Galleri$' | head -n1)
[ -n "$wid" ] || fail "the window did not appear"
sleep 0.5

# With no window manager, focus falls back to the root window (for instance
# after a dialog closes): focus the window before every key sequence.
keys() {
  xdotool windowfocus --sync "$wid" || fail "cannot focus the window"
  xdotool key --delay 80 "$@"
}

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

# Alt, then Right five times reaches "spara bild" on the bar.
keys alt Right Right Right Right Right Return
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name 'Save' | head -n1)
[ -n "$dialog" ] || fail "the save dialog did not appear"
out="$work/bild.png"
xdotool windowfocus --sync "$dialog"
xdotool type --delay 20 "$out"
xdotool key Return

for _ in $(seq 50); do
  [ -s "$out" ] && break
  sleep 0.2
done
[ -s "$out" ] || fail "no file was saved at $out"
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
