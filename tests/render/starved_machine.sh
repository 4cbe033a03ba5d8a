#!/usr/bin/env bash
# galleri-render on a starved machine: little address space (so threads,
# pictures and buffers may not fit), a tiny or a huge stack limit, many
# threads. Every run must end by itself with status 0 or a status that
# --help documents, print at most one line, and leave the picture whole or
# no file at all; a picture that is written equals the one drawn without
# limits.
#   starved_machine.sh GALLERI_RENDER SANITIZED
set -uo pipefail

render=${1:?usage: starved_machine.sh GALLERI_RENDER SANITIZED}
if [ "${2:-0}" = 1 ]; then
  echo "skipped: the sanitizers' shadow memory needs a far larger address space than these limits"
  exit 77
fi
command -v timeout >/dev/null || { echo "skipped: timeout (coreutils) is missing"; exit 77; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1

documented=$("$render" --help | sed -n '/^Exit status:/,$p' | grep -oE '^ +[0-9]+' | tr -d ' ')
[ -n "$documented" ] || { echo "FAIL: --help lists no exit statuses"; exit 1; }

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Each case: shell limits|options|figure. The picture is written to out.bmp.
cases=(
  "ulimit -v 100000|-s 483x609|m_5"
  "ulimit -v 100000|-s 2000x2000|j_1"
  "ulimit -v 160000|-s 8000x8000|j_1"
  "ulimit -v 600000|-s 1x20000000|j11"
  "ulimit -v 600000|-s 1x20000000|binarydecomposition1"
  "ulimit -v 3000000; ulimit -s 3000000|-s 200x200|m11"
  "ulimit -v 3000000|-t 1000|m11"
  "ulimit -s 128|-s 483x609|m_5"
  "ulimit -s 128|-t 3 -s 300x200|jd_9"
)
output=out.bmp

for entry in "${cases[@]}"; do
  IFS='|' read -r limits options figure <<<"$entry"
  read -ra args <<<"$options"
  what="($limits) galleri-render $options $figure"
  rm -f ./* ./.[!.]* 2>/dev/null

  (eval "$limits" && exec timeout -s KILL 60 "$render" "${args[@]}" -o "$output" "$figure") \
    >out.txt 2>err.txt
  status=$?
  lines=$(wc -l <err.txt)
  if [ "$status" -ge 124 ]; then
    fail "$what: killed or hung (status $status): $(head -c 300 err.txt)"
    continue
  fi
  if ! grep -qx "$status" <<<"$documented"; then
    fail "$what: status $status is not documented: $(head -c 300 err.txt)"
  fi
  if [ "$status" = 0 ]; then
    [ "$lines" = 0 ] || fail "$what: succeeded but printed: $(head -c 300 err.txt)"
    [ -s "$output" ] || fail "$what: succeeded without writing $output"
    # The same picture as drawn without limits.
    if ! "$render" "${args[@]}" -o reference.bmp "$figure" 2>/dev/null ||
      ! cmp -s "$output" reference.bmp; then
      fail "$what: the picture differs from one drawn without limits"
    fi
    rm -f reference.bmp
  else
    [ "$lines" = 1 ] || fail "$what: status $status with $lines lines instead of one: $(head -c 300 err.txt)"
    [ ! -e "$output" ] || fail "$what: status $status but $output was written"
  fi
  leftovers=()
  for f in * .[!.]*; do
    case $f in out.txt | err.txt | "$output" | '*' | '.[!.]*') ;; *) leftovers+=("$f") ;; esac
  done
  [ ${#leftovers[@]} = 0 ] || fail "$what: left files behind: ${leftovers[*]}"
  echo "ok: $what: status $status"
done

[ "$failures" = 0 ] || exit 1
