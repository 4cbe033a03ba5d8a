#!/usr/bin/env bash
# Installs the build into a temporary prefix as a packager would and checks
# that the program lands where a desktop finds it: both programs in bin, the
# desktop entry, the icon in the hicolor theme at 256 and 64 pixels.
#   install_test.sh BUILD_FOLDER
set -uo pipefail

build=${1:?usage: install_test.sh BUILD_FOLDER}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 ||
  fail "cmake --install failed: $(cat "$prefix.log")"
rm -f "$prefix.log"

for program in galleri galleri-render; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
done
# The installed renderer runs from its new place.
"$prefix/bin/galleri-render" --list | grep -q '^m11 ' || fail "the installed galleri-render cannot list the figures"

entry="$prefix/share/applications/galleri.desktop"
[ -f "$entry" ] || fail "share/applications/galleri.desktop is missing"
grep -qx 'Exec=galleri' "$entry" || fail "the desktop entry does not start galleri"
grep -qx 'Icon=galleri' "$entry" || fail "the desktop entry does not name the icon galleri"
grep -qx 'Type=Application' "$entry" || fail "the desktop entry is not an application"
if command -v desktop-file-validate >/dev/null 2>&1; then
  problems=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $problems"
fi

# A PNG's width and height: the first two fields of its IHDR chunk.
png_size() {
  local bytes
  bytes=$(od -An -tx1 -N24 "$1" | tr -d ' \n')
  [ "${bytes:0:16}" = "89504e470d0a1a0a" ] || return 1
  echo "$((16#${bytes:32:8}))x$((16#${bytes:40:8}))"
}
for side in 256 64; do
  icon="$prefix/share/icons/hicolor/${side}x${side}/apps/galleri.png"
  [ -f "$icon" ] || fail "the ${side}x${side} icon is missing"
  size=$(png_size "$icon") || fail "$icon is not a PNG"
  [ "$size" = "${side}x${side}" ] || fail "$icon is $size, expected ${side}x${side}"
done

echo "install: bin/galleri, bin/galleri-render, the desktop entry and the icon at 256 and 64 pixels"
