#!/usr/bin/env bash
# Every figure command as a user meets it: the real window under Xvfb draws
# each of the menu's figures, chosen with the keyboard, saves each picture
# through "spara bild" as PNG (the path typed into the dialog), and each saved
# picture must equal, pixel for pixel, what galleri-render draws at the
# window's starting size.
#   window_all_figures.sh PATH/TO/galleri PATH/TO/galleri-render
# The two random figures continue one random sequence from program start, so
# each is drawn first in a fresh program: "sierpinski triangle" alone in one,
# "faraos bröstplatta" first in a second that then draws all the others.
# Exit 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
# GALLERI_E2E_SCREENSHOT=FILE.png keeps a picture of the screen at a fault.
set -uo pipefail

galleri=${1:?usage: window_all_figures.sh PATH/TO/galleri PATH/TO/galleri-render}
render=${2:?usage: window_all_figures.sh PATH/TO/galleri PATH/TO/galleri-render}
. "$(dirname "$0")/xvfb_session.sh"
require_tools Xvfb xdotool identify compare

size=483x609

# The figures in menu order, with the place of each on the menu bar: the
# figure list prints ITEM, CAPTION and MENU in columns two or more spaces
# apart (captions hold single spaces).
"$render" --list >"$work/list" || fail "galleri-render --list failed"
declare -a items=()
declare -A bar_index=() item_index=()
menus=0
previous_menu=""
position=0
while IFS=$'\t' read -r item menu; do
  if [ "$menu" != "$previous_menu" ]; then
    menus=$((menus + 1))
    previous_menu=$menu
    position=0
  fi
  items+=("$item")
  bar_index[$item]=$((menus - 1))
  item_index[$item]=$position
  position=$((position + 1))
done < <(tail -n +2 "$work/list" | awk -F '  +' '{ print $1 "\t" $3 }')
[ "${#items[@]}" -eq 56 ] || fail "expected 56 figures in the list, found ${#items[@]}"

# What galleri-render draws: the reference pictures.
mkdir -p "$work/expected" "$work/saved"
for item in "${items[@]}"; do
  "$render" --size "$size" --output "$work/expected/$item.png" "$item" 2>/dev/null ||
    fail "galleri-render could not draw $item"
done

start_xvfb

start_app() {
  # The window writes one line to stderr when a command's run is over.
  GALLERI_TRACE_RUNS=1 start_galleri
}

# With no window manager, focus falls back to the root window after a dialog
# closes: focus the window before every key sequence.
focus() {
  xdotool windowfocus --sync "$1" || fail "cannot focus window $1"
}

# Repeats a key name n times, as arguments for xdotool key.
repeat() {
  local i
  for ((i = 0; i < $2; i++)); do printf '%s ' "$1"; done
}

draw() {
  local item=$1 line
  focus "$wid"
  # Alt highlights the first menu on the bar, Right moves along it, Down
  # opens the menu on its first item.
  # shellcheck disable=SC2046
  xdotool key --delay 50 alt $(repeat Right "${bar_index[$item]}") Down
  sleep 0.2
  # shellcheck disable=SC2046
  xdotool key --delay 30 $(repeat Down "${item_index[$item]}") Return
  for _ in $(seq 600); do
    line=$(grep -m1 "^galleri: $item " "$work/app.log")
    [ -n "$line" ] && break
    kill -0 "$app_pid" 2>/dev/null || fail "galleri ended while drawing $item"
    sleep 0.1
  done
  [ -n "$line" ] || fail "$item: the drawing did not end within a minute (wrong menu item?)"
  [ "$line" = "galleri: $item done" ] || fail "$item: $line"
}

save() {
  save_as "$work/saved/$1.png"
}

check() {
  local item=$1 format differ
  format=$(identify -format '%m %wx%h' "$work/saved/$item.png") || fail "$item: identify cannot read the saved file"
  [ "$format" = "PNG $size" ] || fail "$item: saved file is '$format', expected a $size PNG"
  differ=$(compare -metric AE "$work/expected/$item.png" "$work/saved/$item.png" null: 2>&1)
  [ "$differ" = "0" ] || fail "$item: $differ pixels differ from galleri-render's picture"
}

run_in_fresh_program() {
  start_app
  for item in "$@"; do
    draw "$item"
    save "$item"
    check "$item"
  done
  kill -0 "$app_pid" 2>/dev/null || fail "galleri ended"
  stop_app
}

started=$(date +%s)
others=()
for item in "${items[@]}"; do
  case "$item" in
    sierpinskitriangle1 | faraosbrstplatta1) ;;
    *) others+=("$item") ;;
  esac
done
run_in_fresh_program sierpinskitriangle1
run_in_fresh_program faraosbrstplatta1 "${others[@]}"
echo "all figures in the window: ${#items[@]} drawn from the menu, saved through the dialog," \
  "equal to galleri-render's pictures ($(($(date +%s) - started)) s)"
