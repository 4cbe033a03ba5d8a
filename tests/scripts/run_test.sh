#!/usr/bin/env bash
# scripts/run on a machine without a display, from a folder already built:
# it draws "m_1" into m11.png in the caller's folder, the same file
# galleri-render writes, names the file and says how to start the window.
#   run_test.sh SOURCE_FOLDER BUILD_FOLDER
set -uo pipefail

source=$(cd "${1:?usage: run_test.sh SOURCE_FOLDER BUILD_FOLDER}" && pwd)
build=$(cd "${2:?usage: run_test.sh SOURCE_FOLDER BUILD_FOLDER}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

mkdir "$work/caller"
cd "$work/caller" || fail "cannot enter $work/caller"
env -u DISPLAY -u WAYLAND_DISPLAY GALLERI_BUILD="$build" "$source/scripts/run" >"$work/out" 2>&1 ||
  fail "scripts/run failed: $(cat "$work/out")"
[ -f m11.png ] || fail "no m11.png in the caller's folder; scripts/run said: $(cat "$work/out")"
"$build/src/render/galleri-render" --output "$work/expected.png" m11 ||
  fail "galleri-render could not draw the expected picture"
cmp -s m11.png "$work/expected.png" || fail "m11.png is not the picture galleri-render draws of m_1"
grep -qF "$work/caller/m11.png" "$work/out" || fail "scripts/run does not say where the picture is: $(cat "$work/out")"
grep -q "scripts/run" "$work/out" || fail "scripts/run does not say how to start the window: $(cat "$work/out")"
echo "run without a display: m11.png drawn in the caller's folder"
