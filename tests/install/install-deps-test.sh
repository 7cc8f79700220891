#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/install-deps against stand-ins for dpkg-query, apt-get, sudo and
# id: nothing is installed for real.  Checks that a complete system touches
# neither apt nor sudo, that a missing package goes through sudo with
# DEBIAN_FRONTEND kept, and that without sudo the user is told what to run.
set -euo pipefail
script="$1/scripts/install-deps"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Stand-ins, logging every call.  INSTALLED lists the packages dpkg knows.
mkdir -p "$work/bin"
cat > "$work/bin/dpkg-query" <<'STUB'
#!/bin/bash
for p in $INSTALLED; do [ "$p" = "${@: -1}" ] && { printf 'install ok installed'; exit 0; }; done
exit 1
STUB
cat > "$work/bin/apt-get" <<'STUB'
#!/bin/bash
echo "apt-get DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-} $*" >> "$LOG"
STUB
cat > "$work/bin/sudo" <<'STUB'
#!/bin/bash
echo "sudo $*" >> "$LOG"
env -i PATH="$PATH" LOG="$LOG" "$@"
STUB
cat > "$work/bin/id" <<'STUB'
#!/bin/bash
echo "$FAKE_UID"
STUB
chmod +x "$work/bin/"*
for tool in bash env grep cat; do ln -s "$(command -v $tool)" "$work/bin/$tool"; done
export LOG="$work/log"

all=$(sed -n '/^PACKAGES=(/,/^)/p' "$script" | sed '1d;$d' | tr -s ' \n' ' ')
[ -n "$all" ] || fail "no package list"
case " $all " in *" libqt6svg6-dev "*) fail "libqt6svg6-dev is no Debian 12 package";; esac
case " $all " in *" qt6-translations-l10n "*) ;; *) fail "qt6-translations-l10n missing";; esac

# Everything present: no apt, no sudo, not even as a user.
: > "$LOG"
INSTALLED="$all" FAKE_UID=1000 PATH="$work/bin" bash "$script" || fail "complete system: exit $?"
[ ! -s "$LOG" ] || fail "complete system ran: $(cat "$LOG")"

# One package missing, a user with sudo: sudo with DEBIAN_FRONTEND kept.
: > "$LOG"
INSTALLED="${all/ xauth / }" FAKE_UID=1000 PATH="$work/bin" bash "$script" >/dev/null || fail "sudo install failed"
grep -q '^sudo DEBIAN_FRONTEND=noninteractive apt-get install .* xauth$' "$LOG" || fail "no sudo install: $(cat "$LOG")"
grep -q '^apt-get DEBIAN_FRONTEND=noninteractive install' "$LOG" || fail "DEBIAN_FRONTEND lost: $(cat "$LOG")"

# As root: apt-get directly.
: > "$LOG"
INSTALLED="${all/ xauth / }" FAKE_UID=0 PATH="$work/bin" bash "$script" >/dev/null || fail "root install failed"
! grep -q '^sudo' "$LOG" || fail "root used sudo"
grep -q '^apt-get DEBIAN_FRONTEND=noninteractive install .* xauth$' "$LOG" || fail "root install: $(cat "$LOG")"

# A user without sudo: exit 1, nothing run, the command to run is named.
rm "$work/bin/sudo"
: > "$LOG"
if INSTALLED="${all/ xauth / }" FAKE_UID=1000 PATH="$work/bin" bash "$script" 2> "$work/err" >/dev/null; then
  fail "no sudo: success reported"
fi
[ ! -s "$LOG" ] || fail "no sudo ran: $(cat "$LOG")"
grep -q 'sudo is not installed' "$work/err" || fail "no sudo message: $(cat "$work/err")"
grep -q 'apt-get install --no-install-recommends xauth' "$work/err" || fail "no command named: $(cat "$work/err")"
echo "install-deps: all cases pass"
