#!/usr/bin/env bash
# Past a double's floor in the real window, under Xvfb with xdotool: "m_1"
# from the menu, 100 wheel notches at one point (2^50 times), then "spara
# bild" as PNG. The view is a deep one (its text has numbers past a
# double's), and galleri-render, given the saved file's Galleri text, draws
# the very same picture.
#   window_deep.sh PATH/TO/galleri PATH/TO/galleri-render
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -uo pipefail

galleri=${1:?usage: window_deep.sh PATH/TO/galleri PATH/TO/galleri-render}
render=${2:?usage: window_deep.sh PATH/TO/galleri PATH/TO/galleri-render}
. "$(dirname "$0")/xvfb_session.sh"
require_tools Xvfb xdotool identify compare
start_xvfb
GALLERI_TRACE_RUNS=1 start_galleri

keys alt Right Down
sleep 0.3
keys Return
wait_run m11

eval "$(xdotool getwindowgeometry --shell "$wid")"
# The picture lies between the menu bar and the status line; the seahorse
# valley is near (189, 277) of it.
menu=$(( HEIGHT - 609 ))
xdotool mousemove $((X + 189)) $((Y + menu / 2 + 277))
sleep 0.2
xdotool click --repeat 100 --delay 30 4
# The zoom, once the last notch is in: about 2^50 times.
for _ in $(seq 100); do
  grep -Eq '^galleri: status m_1 .*x 1\.1e15' "$work/app.log" && break
  sleep 0.1
done
grep -Eq '^galleri: status m_1 .*x 1\.1e15' "$work/app.log" ||
  fail "the wheel did not zoom 2^50 times: $(grep '^galleri: status' "$work/app.log" | tail -n1)"

# "spara bild": the view is finished (the budget may rise) before it saves.
out="$work/deep.png"
save_as "$out" 60

text=$(identify -format '%[Galleri]' "$out" 2>/dev/null)
[ -n "$text" ] || fail "the saved PNG carries no Galleri text"
# A deep view: its numbers have more digits than a double's 17.
view=$(echo "$text" | sed -n 's/.*--view \([^ ]*\).*/\1/p')
[ "${#view}" -gt 100 ] || fail "the view '$view' is not past a double's precision"
# shellcheck disable=SC2086 # the text is the arguments, split at spaces
"$render" $text --output "$work/again.png" || fail "galleri-render $text failed"
differ=$(compare -metric AE "$out" "$work/again.png" null: 2>&1)
[ "$differ" = "0" ] || fail "$differ pixels differ from galleri-render $text"
kill -0 "$app_pid" 2>/dev/null || fail "galleri ended"
echo "window deep: m_1, 100 wheel notches past the floor, saved; galleri-render draws the same picture"
