#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as Debian's and the desktop's own checkers see it:
# lintian --pedantic reports no error and no warning, desktop-file-validate
# takes the menu entry, appstreamcli takes the software centres' entry, and
# the package holds its license, changelog and compressed manual pages.  The
# package is the one Install.TreeAndPackageRunFromTheirLinks made (in
# BUILD-DIR/package/), so it is built once for both.
#   package-lint-test.sh BUILD-DIR SOURCE-DIR
set -euo pipefail
# (No "| head" under pipefail: a writer it stops early fails with SIGPIPE.)
build="$1"
source="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$(ls "$build"/package/brelmora_*.deb 2>/dev/null | sed -n 1p)
[ -n "$deb" ] || fail "no package in $build/package (Install.TreeAndPackageRunFromTheirLinks makes it)"
dpkg -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"
doc="$work/root/usr/share/doc/brelmora"

# What Debian asks of every package.
[ -s "$doc/copyright" ] || fail "no copyright file"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" ||
  fail "the copyright file is not machine-readable (DEP-5)"
grep -q '^License: GPL-3+' "$doc/copyright" || fail "the copyright file names no GPL-3+"
gzip -t "$doc/changelog.gz" || fail "changelog.gz is no gzip file"
[ -s "$doc/CLI.md" ] || fail "docs/CLI.md is not installed"
for page in "$source"/docs/man/*.1; do
  name=$(basename "$page")
  [ -s "$work/root/usr/share/man/man1/$name.gz" ] || fail "manual page $name is not installed compressed"
  [ ! -e "$work/root/usr/share/man/man1/$name" ] || fail "manual page $name is installed uncompressed"
done
for script in postinst postrm; do
  if [ -e "$work/control/$script" ] && grep -q ldconfig "$work/control/$script"; then
    fail "$script runs ldconfig for the program's private folder"
  fi
done
summary=$(dpkg-deb -f "$deb" Description | sed -n 1p)
[ "${#summary}" -lt 80 ] || fail "synopsis of ${#summary} characters: $summary"
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 1 ] || fail "no extended description"
# Installed-Size as dpkg counts it: KiB per file, rounded up, one per link
# or folder.
counted=$(cd "$work/root" && find . -mindepth 1 \( -type f -printf '%s\n' \) -o \( -printf '1024\n' \) |
          awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
declared=$(dpkg-deb -f "$deb" Installed-Size)
[ "$declared" -ge "$counted" ] && [ "$declared" -le $((counted + counted / 20 + 8)) ] ||
  fail "Installed-Size $declared KiB for $counted KiB of files"

# The menu entry and the software centres' entry.
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$work/root/usr/share/applications/brelmora.desktop" > "$work/desktop.out" 2>&1 ||
    fail "desktop-file-validate: $(cat "$work/desktop.out")"
  [ ! -s "$work/desktop.out" ] || fail "desktop-file-validate: $(cat "$work/desktop.out")"
fi
metainfo=$(ls "$work"/root/usr/share/metainfo/*.metainfo.xml 2>/dev/null | sed -n 1p)
[ -n "$metainfo" ] || fail "no AppStream metainfo file"
for shot in $(sed -n 's|.*<image>.*/\([^/<]*\)</image>.*|\1|p' "$metainfo"); do
  [ -s "$source/docs/screenshots/$shot" ] || fail "screenshot $shot is not in docs/screenshots"
done
grep -q '<mediatype>application/x-brelmora-project</mediatype>' "$metainfo" || fail "metainfo names no file type"
grep -q "<release version=\"$(dpkg-deb -f "$deb" Version)\"" "$metainfo" || fail "metainfo lacks this release"
if command -v appstreamcli > /dev/null; then
  appstreamcli validate --no-net --pedantic --no-color "$metainfo" > "$work/appstream.out" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/appstream.out")"
fi

# lintian, the whole of it, once.
if command -v lintian > /dev/null; then
  lintian --pedantic --tag-display-limit 0 "$deb" > "$work/lintian.out" 2>&1 || true
  if grep -E '^[EW]: ' "$work/lintian.out" > "$work/lintian.bad"; then
    fail "lintian: $(cat "$work/lintian.bad")"
  fi
  if grep -q '^[PIN]: ' "$work/lintian.out"; then
    echo "lintian notes (neither errors nor warnings):"
    grep '^[PIN]: ' "$work/lintian.out"
  fi
else
  echo "lintian is not installed (scripts/install-deps installs it): not run"
fi
echo "package lint: all checks pass"
