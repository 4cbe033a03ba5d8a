#!/usr/bin/env bash
# The bash completion of galleri-render in plain bash: the completion script
# sourced, COMP_WORDS and COMP_CWORD set as bash sets them, COMPREPLY read.
#   completion_test.sh COMPLETION_SCRIPT PATH/TO/galleri-render
set -uo pipefail

script=${1:?usage: completion_test.sh COMPLETION_SCRIPT PATH/TO/galleri-render}
render=${2:?usage: completion_test.sh COMPLETION_SCRIPT PATH/TO/galleri-render}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/picture one.png" "$work/picture two.jpg"

fail() {
  echo "FAIL: $*"
  exit 1
}

# The replies, one a line, to the words after the program name (the last
# word is the one completed).
complete_words() {
  bash --norc --noprofile -c '
    source "$1" || exit 1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    _galleri_render
    printf "%s\n" "${COMPREPLY[@]}"
  ' bash "$script" "$render" "$@"
}

# Each case: the words as typed, "|" between them (the last one is
# completed), then "=>" and every reply expected, "|" between them, in any
# order. Captions come escaped unless typed after an opening quote.
cases=(
  'm1 => m11|m101|m111|m121|m131|m141'
  'sier => sierpinskitriangle1|sierpinski\ triangle'
  'faraos\ b => faraos\ bröstplatta'
  '"faraos => faraosbrstplatta1|faraos bröstplatta'
  'tr => trd1|träd'
  '--palette|fi => fire'
  '--colouring|s => smooth'
  '--|m_1 => m_1|m_10|m_11|m_12|m_13|m_14'
  '--si => --size'
  '--engine| => fast|scalar'
  '-e|s => scalar'
  '--engine|=|f => fast'
  '--size| => '
  "--output|$work/pic => $work/picture one.png|$work/picture two.jpg"
  "-o|$work/picture\\ t => $work/picture two.jpg"
)
for case in "${cases[@]}"; do
  IFS='|' read -r -a typed <<<"${case%% =>*}|"
  got=$(complete_words "${typed[@]}" | sort)
  want=$(tr '|' '\n' <<<"${case#*=> }" | sed '/^$/d' | sort)
  [ "$got" = "$want" ] || fail "completing '${case%% =>*}': got [$(tr '\n' '|' <<<"$got")], expected [$(tr '\n' '|' <<<"$want")]"
done

# Every option of --help and every figure of --list is offered, so new ones
# complete without a change to the script.
offered=$(complete_words -)
for option in $("$render" --help | grep -oE '(^|[][ ,=])--?[A-Za-z][A-Za-z0-9-]*' | sed 's/^[^-]*//' | sort -u); do
  grep -qx -- "$option" <<<"$offered" || fail "'-' does not offer $option, which --help lists"
done
offered=$(complete_words '"')
while IFS= read -r line; do
  item=${line%%  *}
  grep -qx -- "$item" <<<"$offered" || fail "no reply offers the figure $item"
done < <("$render" --list | tail -n +2)
echo "completion: $(wc -l <<<"$offered") figure names, ${#cases[@]} cases"
