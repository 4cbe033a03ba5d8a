# Sourced by the tests that drive the real window under Xvfb: a private X
# server on a free display, the program's log, failure reports, and cleanup of
# every process whatever ends the test.
#   require_tools TOOL...   exits 77 (skipped), naming the first missing tool
#   start_xvfb              starts Xvfb and points DISPLAY and Qt at it
#   start_galleri ARGS...   starts "$galleri" with its output in "$work/app.log"
#                           and sets wid to its window
#   keys KEY...             focuses the window, then presses the keys
#   wait_run ITEM           waits for the end of ITEM's run (the program runs
#                           with GALLERI_TRACE_RUNS=1); fails unless it is done
#   save_as FILE [SECONDS]  "spara bild" (sixth on the bar) through the save
#                           dialog into FILE; waits until it is written (at
#                           most SECONDS, 10 unless given) and the dialog is
#                           gone
#   stop_app                ends the program if it still runs
#   fail MESSAGE            reports and exits 1; GALLERI_E2E_SCREENSHOT=FILE.png
#                           keeps a picture of the screen at the fault

require_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $tool is not installed (scripts/setup installs it)"
      exit 77
    fi
  done
}

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
wid=""

stop_app() {
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
  fi
}

cleanup() {
  stop_app
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  if [ -n "${GALLERI_E2E_SCREENSHOT:-}" ] && command -v import >/dev/null 2>&1; then
    import -window root "$GALLERI_E2E_SCREENSHOT" 2>/dev/null
  fi
  [ -s "$work/app.log" ] && tail -n 40 "$work/app.log" | sed 's/^/  galleri: /'
  exit 1
}

start_xvfb() {
  # Xvfb picks a free display itself and tells its number.
  Xvfb -displayfd 3 -screen 0 800x720x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local _
  for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n1 "$work/display")"
  export QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY QT_SCALE_FACTOR
}

start_galleri() {
  "$galleri" "$@" >"$work/app.log" 2>&1 &
  app_pid=$!
  wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Galleri$' | head -n1)
  [ -n "$wid" ] || fail "the window did not appear"
  sleep 0.5
}

# With no window manager, focus falls back to the root window (for instance
# after a dialog closes): focus the window before every key sequence.
keys() {
  xdotool windowfocus --sync "$wid" || fail "cannot focus the window"
  xdotool key --delay 80 "$@"
}

wait_run() {
  local item=$1
  for _ in $(seq 100); do
    grep -q "^galleri: $item " "$work/app.log" && break
    sleep 0.1
  done
  grep -qx "galleri: $item done" "$work/app.log" || fail "$item did not draw"
}

save_as() {
  local out=$1 seconds=${2:-10} dialog
  # Alt, then Right five times reaches "spara bild" on the bar.
  keys alt Right Right Right Right Right Return
  dialog=$(timeout 10 xdotool search --sync --onlyvisible --name 'Save' | head -n1)
  [ -n "$dialog" ] || fail "the save dialog did not appear"
  xdotool windowfocus --sync "$dialog"
  # The name field keeps the last name: select it all, type over it.
  xdotool key ctrl+a
  xdotool type --delay 10 "$out"
  xdotool key Return
  for _ in $(seq $((seconds * 10))); do
    [ -s "$out" ] && break
    sleep 0.1
  done
  [ -s "$out" ] || fail "no file was saved at $out"
  # The dialog is gone before the next key sequence.
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name 'Save' >/dev/null 2>&1 || break
    sleep 0.1
  done
}
