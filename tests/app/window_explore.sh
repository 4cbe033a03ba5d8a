#!/usr/bin/env bash
# Exploring in the real window under Xvfb, driven with xdotool: "m_1" from
# the menu, three wheel notches at a point, a rubber band dragged with the
# mouse, Backspace, then "spara bild" as PNG; then the same view in a palette
# with D, with 2x2 samples a pixel, and in its own colours with them.
# galleri-render, given each saved file's Galleri text, must draw the very
# same picture.
#   window_explore.sh PATH/TO/galleri PATH/TO/galleri-render
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing, or when the
# saved PNG carries no Galleri text.
# GALLERI_E2E_SCREENSHOT=FILE.png keeps a picture of the screen at a fault.
set -uo pipefail

galleri=${1:?usage: window_explore.sh PATH/TO/galleri PATH/TO/galleri-render}
render=${2:?usage: window_explore.sh PATH/TO/galleri PATH/TO/galleri-render}
. "$(dirname "$0")/xvfb_session.sh"
require_tools Xvfb xdotool identify compare
start_xvfb
GALLERI_TRACE_RUNS=1 start_galleri

# "m_1": Alt highlights the first menu, Right moves to "mandelbroot", Down
# opens it on "m_1".
keys alt Right Down
sleep 0.3
keys Return
wait_run m11

# The picture fills the window below the menu bar.
eval "$(xdotool getwindowgeometry --shell "$wid")"
left=$X
top=$((Y + HEIGHT - 609))

# Three notches with the cursor on the seahorse valley, then a rubber band
# across part of the zoomed picture.
xdotool mousemove $((left + 189)) $((top + 277))
sleep 0.2
xdotool click --repeat 3 --delay 150 4
sleep 0.3
xdotool mousemove $((left + 150)) $((top + 200)) mousedown 1
sleep 0.1
xdotool mousemove $((left + 200)) $((top + 260))
sleep 0.1
xdotool mousemove $((left + 260)) $((top + 330))
sleep 0.1
xdotool mouseup 1
sleep 0.3
# Back to the view of the three notches.
keys BackSpace
sleep 0.3

# "spara bild" is sixth on the bar; the view is finished before it saves.
out="$work/view.png"
save_as "$out"
format=$(identify -format '%m %wx%h' "$out") || fail "identify cannot read $out"
[ "$format" = "PNG 483x609" ] || fail "saved file is '$format', expected a 483x609 PNG"

# The gestures did something: the picture is not m_1 as the menu draws it.
"$render" --output "$work/m11.png" m11 2>/dev/null || fail "galleri-render could not draw m11"
differ=$(compare -metric AE "$work/m11.png" "$out" null: 2>&1)
[ "$differ" != "0" ] || fail "the saved picture is m_1 itself: the gestures changed nothing"

text=$(identify -format '%[Galleri]' "$out" 2>/dev/null)
if [ -z "$text" ]; then
  echo "SKIP: the saved PNG carries no Galleri text, so it cannot be redrawn from it"
  exit 77
fi
case "$text" in
  "--size 483x609 --view "*" m11") ;;
  *) fail "the Galleri text '$text' does not name a view of m11 at 483x609" ;;
esac
# shellcheck disable=SC2086 # the text is the arguments, split at spaces
"$render" $text --output "$work/again.png" || fail "galleri-render $text failed"
differ=$(compare -metric AE "$out" "$work/again.png" null: 2>&1)
[ "$differ" = "0" ] || fail "$differ pixels differ from galleri-render $text"

# The Colour menu (eighth on the bar: Alt, then Left twice from Help) on
# the same view, each choice saved and drawn again by galleri-render from
# the file's text: KEYS|what the text then holds.
colours=(
  "alt Left Left Down Down Down Down Return d|--colouring smooth --palette fire --density 10 "
  "alt Left Left Down Up Right Down Return|--colouring smooth --palette fire --density 10 --supersample 2 "
  "alt Left Left Down Return|--supersample 2 m11"
)
for k in "${!colours[@]}"; do
  IFS='|' read -r sequence expected <<<"${colours[$k]}"
  # shellcheck disable=SC2086 # the keys, one a word
  keys $sequence
  sleep 0.5
  out="$work/colour$k.png"
  save_as "$out" 30
  text=$(identify -format '%[Galleri]' "$out" 2>/dev/null)
  case "$text" in
    *"$expected"*) ;;
    *) fail "after '$sequence' the Galleri text is '$text', without '$expected'" ;;
  esac
  # shellcheck disable=SC2086 # the text is the arguments, split at spaces
  "$render" $text --output "$work/again$k.png" || fail "galleri-render $text failed"
  differ=$(compare -metric AE "$out" "$work/again$k.png" null: 2>&1)
  [ "$differ" = "0" ] || fail "$differ pixels differ from galleri-render $text"
done

kill -0 "$app_pid" 2>/dev/null || fail "galleri ended"
echo "window explore: m_1, three wheel notches, a rubber band, Backspace, saved;" \
  "galleri-render $text draws the same picture, in ${#colours[@]} choices of the Colour menu"
