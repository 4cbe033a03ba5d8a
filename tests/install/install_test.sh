#!/usr/bin/env bash
# Installs the build into a temporary prefix as a packager would and checks
# every file that lands there, and that nothing else does: both programs in
# bin, the desktop entry, the AppStream metainfo and the icon at every
# hicolor size (named after the application id), the manual pages, the
# bash completion and the video encoder module.
#   install_test.sh BUILD_FOLDER APP_ID MAN_PAGES_BUILT(0|1) ENCODER_MODULE
set -uo pipefail

build=${1:?usage: install_test.sh BUILD_FOLDER APP_ID MAN_PAGES_BUILT}
id=${2:?usage: install_test.sh BUILD_FOLDER APP_ID MAN_PAGES_BUILT}
man_built=${3:?usage: install_test.sh BUILD_FOLDER APP_ID MAN_PAGES_BUILT ENCODER_MODULE}
encoder=${4:?usage: install_test.sh BUILD_FOLDER APP_ID MAN_PAGES_BUILT ENCODER_MODULE}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 ||
  fail "cmake --install failed: $(cat "$prefix.log")"
rm -f "$prefix.log"

sizes=(16 32 48 64 128 256 512)
expected=(
  bin/galleri
  bin/galleri-render
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  share/bash-completion/completions/galleri-render
  "$encoder"
)
for side in "${sizes[@]}"; do
  expected+=("share/icons/hicolor/${side}x${side}/apps/$id.png")
done
if [ "$man_built" = 1 ]; then
  expected+=(share/man/man1/galleri.1 share/man/man1/galleri-render.1)
fi
installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$installed" = "$wanted" ] ||
  fail "installed files differ from the expected ones (< installed, > expected):
$(diff <(echo "$installed") <(echo "$wanted") | grep '^[<>]')"

for program in galleri galleri-render; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done
# The installed renderer runs from its new place.
# (Into a file: grep -q would leave at the first match and the rest of the
# list would meet a closed pipe.)
"$prefix/bin/galleri-render" --list >"$prefix.list" && grep -q '^m11 ' "$prefix.list" ||
  fail "the installed galleri-render cannot list the figures"
rm -f "$prefix.list"
# It finds the encoder module in its installed place and makes a video.
"$prefix/bin/galleri-render" --video "$prefix.mp4" --to 0,1,0,1 --seconds 0.1 --fps 20 \
  --size 16x16 m11 && [ -s "$prefix.mp4" ] ||
  fail "the installed galleri-render cannot make a video"
rm -f "$prefix.mp4"

entry="$prefix/share/applications/$id.desktop"
grep -qx 'Exec=galleri' "$entry" || fail "the desktop entry does not start galleri"
grep -qx "Icon=$id" "$entry" || fail "the desktop entry does not name the icon $id"
grep -qx 'Type=Application' "$entry" || fail "the desktop entry is not an application"
if command -v desktop-file-validate >/dev/null 2>&1; then
  problems=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $problems"
fi
# The metainfo finds its desktop entry and icon in the installed tree.
if command -v appstreamcli >/dev/null 2>&1; then
  problems=$(appstreamcli validate-tree --no-net "$prefix" 2>&1) || fail "appstreamcli validate-tree: $problems"
fi

# A PNG's width and height: the first two fields of its IHDR chunk.
png_size() {
  local bytes
  bytes=$(od -An -tx1 -N24 "$1" | tr -d ' \n')
  [ "${bytes:0:16}" = "89504e470d0a1a0a" ] || return 1
  echo "$((16#${bytes:32:8}))x$((16#${bytes:40:8}))"
}
for side in "${sizes[@]}"; do
  icon="$prefix/share/icons/hicolor/${side}x${side}/apps/$id.png"
  size=$(png_size "$icon") || fail "$icon is not a PNG"
  [ "$size" = "${side}x${side}" ] || fail "$icon is $size, expected ${side}x${side}"
done

if [ "$man_built" = 1 ]; then
  for page in galleri galleri-render; do
    head -n 2 "$prefix/share/man/man1/$page.1" | grep -q "^\.TH ${page^^} \"1\"" ||
      fail "share/man/man1/$page.1 is not the manual page of $page"
  done
fi

# The completion loads in plain bash and completes galleri-render.
bash --norc --noprofile -c 'source "$1" && complete -p galleri-render' bash \
  "$prefix/share/bash-completion/completions/galleri-render" >/dev/null 2>&1 ||
  fail "the installed completion does not load in bash"

echo "install: ${#expected[@]} files: the programs, the desktop entry, the metainfo," \
  "the icon at ${#sizes[@]} sizes, the completion, the video encoder$([ "$man_built" = 1 ] && echo ", the manual pages")"
if [ "$man_built" != 1 ]; then
  echo "SKIP: the manual pages were not built (help2man was missing when CMake configured)"
  exit 77
fi
