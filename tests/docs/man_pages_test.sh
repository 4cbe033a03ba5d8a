#!/usr/bin/env bash
# The manual pages built from the programs' --help: groff finds nothing to
# warn about, and every option that --help lists appears in the page.
#   man_pages_test.sh MAN_FOLDER PROGRAM...
# Exit 77 (skipped) when the pages were not built or groff is missing.
set -uo pipefail

man=${1:?usage: man_pages_test.sh MAN_FOLDER PROGRAM...}
shift

fail() {
  echo "FAIL: $*"
  exit 1
}

command -v groff >/dev/null 2>&1 || { echo "SKIP: groff is not installed (scripts/setup installs it)"; exit 77; }
for program in "$@"; do
  page=$man/$(basename "$program").1
  if [ ! -f "$page" ]; then
    echo "SKIP: $page was not built (help2man was missing when CMake configured; scripts/setup installs it)"
    exit 77
  fi
  lint=$(groff -man -ww -z "$page" 2>&1)
  [ -z "$lint" ] || fail "groff -man -ww -z $page: $lint"

  # The page's text without font changes and with plain hyphens.
  text=$(sed 's/\\f[BIRP]//g; s/\\[,/]//g; s/\\-/-/g' "$page")
  help=$(QT_QPA_PLATFORM=offscreen "$program" --help 2>/dev/null) || fail "$program --help failed"
  options=$(printf '%s\n' "$help" | grep -oE '(^|[][ ,=<(])--?[A-Za-z][A-Za-z0-9-]*' | sed 's/^[^-]*//' | sort -u)
  [ -n "$options" ] || fail "$program --help lists no options"
  for option in $options; do
    grep -qE -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|\$)" <<<"$text" ||
      fail "$page does not mention $option, which --help lists"
  done
  echo "$(basename "$page"): clean, all $(wc -w <<<"$options") options of --help"
done
