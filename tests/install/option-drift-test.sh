#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every option that a program's --help names (and every command of
# brelmora-cli, with the options of its own --help) is in the program's
# manual page (docs/man/PROGRAM.1) and in its bash completion
# (resources/completion/PROGRAM.bash), so neither drifts from the program.
# Each missing option is named with the file it is missing in.
#   option-drift-test.sh BUILD-DIR SOURCE-DIR
set -uo pipefail
build="$1"
source="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
# Only the help texts are read here: in a sanitizer build a leak report at
# exit would be read as help text.
export ASAN_OPTIONS=detect_leaks=0
export BRELMORA_REGISTRY="$work/registry.reg"
missing=0

# The options of a help text: words starting with - or -- and a letter,
# at the start of a line or after a space, bracket, bar, comma or quote.
options_of() {
  grep -oE '(^|[][ (|,="])--?[A-Za-z][A-Za-z0-9-]*' "$1" | sed -E 's/^[][ (|,="]//' | sort -u
}
# The commands of brelmora-cli: the first word of an indented help line.
commands_of() {
  grep -oE '^  [a-z][a-z-]+( |$)' "$1" | tr -d ' ' | sort -u
}
# A manual page as text: roff's escaped minus and font changes undone.
plain_man() {
  sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(em/-/g' "$1"
}
has_word() {
  grep -qE "(^|[^A-Za-z0-9-])$2([^A-Za-z0-9-]|\$)" "$1"
}
check() {
  local program="$1" word="$2" what="$3"
  if ! has_word "$work/$program.man" "$word"; then
    echo "MISSING: $what $word of $program --help is not in docs/man/$program.1"
    missing=$((missing + 1))
  fi
  if ! has_word "$work/$program.completion" "$word"; then
    echo "MISSING: $what $word of $program --help is not in resources/completion/$program.bash"
    missing=$((missing + 1))
  fi
}

for program in brelmora brelmora-cli veltrano-sim; do
  binary="$build/bin/$program"
  [ -x "$binary" ] || { echo "MISSING: $binary is not built"; missing=$((missing + 1)); continue; }
  for file in "docs/man/$program.1" "resources/completion/$program.bash"; do
    [ -f "$source/$file" ] || { echo "MISSING: $file does not exist"; missing=$((missing + 1)); }
  done
  plain_man "$source/docs/man/$program.1" > "$work/$program.man" 2>/dev/null || : > "$work/$program.man"
  cat "$source/resources/completion/$program.bash" > "$work/$program.completion" 2>/dev/null ||
    : > "$work/$program.completion"
  "$binary" --help > "$work/$program.help" 2>&1 || true
  [ -s "$work/$program.help" ] || { echo "MISSING: $program --help printed nothing"; missing=$((missing + 1)); }
  if [ "$program" = brelmora-cli ]; then
    for command in $(commands_of "$work/$program.help"); do
      check "$program" "$command" command
      "$binary" "$command" --help >> "$work/$program.help" 2>&1 || true
    done
  fi
  for option in $(options_of "$work/$program.help"); do
    check "$program" "$option" option
  done
done

if [ "$missing" -gt 0 ]; then
  echo "FAIL: $missing entries missing from the manual pages or completions (see above)"
  exit 1
fi
echo "manual pages and completions know every option"
