#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo pass their validators without
# a warning, name each other and the icon after the application id, and the
# metainfo's newest release is the version CMake builds.
#   desktop_files_test.sh DATA_FOLDER APP_ID VERSION
# Exit 77 (skipped) when a validator is missing, after the other checks.
set -uo pipefail

data=${1:?usage: desktop_files_test.sh DATA_FOLDER APP_ID VERSION}
id=${2:?usage: desktop_files_test.sh DATA_FOLDER APP_ID VERSION}
version=${3:?usage: desktop_files_test.sh DATA_FOLDER APP_ID VERSION}
metainfo=$data/$id.metainfo.xml
entry=$data/$id.desktop

fail() {
  echo "FAIL: $*"
  exit 1
}

[ -f "$metainfo" ] || fail "$metainfo is missing"
[ -f "$entry" ] || fail "$entry is missing"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id.desktop"
grep -qx "Icon=$id" "$entry" || fail "the desktop entry does not name the icon $id"

# Releases stand newest first.
release=$(grep -o '<release [^>]*version="[^"]*"' "$metainfo" | head -n1 | sed 's/.*version="//; s/"$//')
[ "$release" = "$version" ] ||
  fail "the metainfo's newest release is '$release' but CMake builds $version: add a <release> for $version"

missing=()
if command -v appstreamcli >/dev/null 2>&1; then
  report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $report"
else
  missing+=(appstreamcli)
fi
if command -v desktop-file-validate >/dev/null 2>&1; then
  report=$(desktop-file-validate "$entry" 2>&1)
  [ $? -eq 0 ] && [ -z "$report" ] || fail "desktop-file-validate: $report"
else
  missing+=(desktop-file-validate)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIP: ${missing[*]} not installed (scripts/setup installs appstream and desktop-file-utils)"
  exit 77
fi
echo "desktop files: $id.desktop and $id.metainfo.xml are valid, release $version"
