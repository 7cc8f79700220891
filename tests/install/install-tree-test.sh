#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The install as a user gets it: `cmake --install` into a scratch root with
# DESTDIR, and the Debian package from `cpack -G DEB` unpacked with dpkg -x.
# In both trees the programs run through their links in bin/, find the
# language library in their own folder, and the desktop files are in place.
# The package stays in BUILD-DIR/package/ for package-lint-test.sh.
#   install-tree-test.sh BUILD-DIR SOURCE-DIR
set -euo pipefail
build="$1"
source="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

check_tree() {
  local root="$1" what="$2"
  local lib="$root/usr/lib/brelmora"
  for program in brelmora brelmora-cli veltrano-sim; do
    [ -x "$lib/$program" ] || fail "$what: $lib/$program missing"
    [ -L "$root/usr/bin/$program" ] || fail "$what: /usr/bin/$program is not a link"
    case "$(readlink "$root/usr/bin/$program")" in
      /*) fail "$what: /usr/bin/$program is an absolute link";;
    esac
    [ "$(readlink -f "$root/usr/bin/$program")" = "$(readlink -f "$lib/$program")" ] ||
      fail "$what: /usr/bin/$program leads elsewhere"
  done
  [ -f "$lib/Brelmora_DEU.so" ] || fail "$what: the language library is not next to the programs"
  # The user manual of each language beside the programs (where Help opens
  # it) and, as a relative link to it, with the documentation.
  for manual in Veltrano_ENU.pdf Veltrano_DEU.pdf; do
    head -c 5 "$lib/$manual" 2>/dev/null | grep -q '^%PDF-' || fail "$what: $manual is not next to the programs"
    case "$(readlink "$root/usr/share/doc/brelmora/$manual")" in
      ../*) ;;
      *) fail "$what: /usr/share/doc/brelmora/$manual is not a relative link";;
    esac
    [ "$(readlink -f "$root/usr/share/doc/brelmora/$manual")" = "$(readlink -f "$lib/$manual")" ] ||
      fail "$what: /usr/share/doc/brelmora/$manual leads elsewhere"
  done
  local share="$root/usr/share"
  grep -q '^MimeType=application/x-brelmora-project;$' "$share/applications/brelmora.desktop" ||
    fail "$what: desktop file"
  grep -q '^Icon=brelmora$' "$share/applications/brelmora.desktop" || fail "$what: desktop icon"
  for size in 16 32 48 256; do
    [ -s "$share/icons/hicolor/${size}x${size}/apps/brelmora.png" ] || fail "$what: icon $size missing"
  done
  [ -s "$share/icons/hicolor/scalable/apps/brelmora.svg" ] || fail "$what: scalable icon missing"
  [ -s "$share/mime/packages/brelmora.xml" ] || fail "$what: mime entry missing"
  [ -s "$share/brelmora/examples/sample.vnr" ] || fail "$what: sample project missing"
  for program in brelmora brelmora-cli veltrano-sim; do
    [ -s "$share/bash-completion/completions/$program" ] || fail "$what: bash completion of $program missing"
  done
  [ -s "$share/metainfo/example.vantor.brelmora.metainfo.xml" ] || fail "$what: metainfo missing"
  for page in "$source"/docs/man/*.1; do
    [ -e "$page" ] || continue
    [ -s "$share/man/man1/$(basename "$page").gz" ] || fail "$what: man page $(basename "$page") missing"
  done

  # The installed command line through its link: its version (--version
  # where the program has it), and the German library of the settings.
  local cli="$root/usr/bin/brelmora-cli"
  export BRELMORA_REGISTRY="$work/$what.reg"
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n"LanguageFile"="%s"\r\n' \
    "$lib/Brelmora_DEU.so" > "$BRELMORA_REGISTRY"
  local version
  if ! version=$("$cli" --version 2>/dev/null); then
    version=$("$cli" version) || fail "$what: brelmora-cli version failed"
  fi
  echo "$version" | grep -q "$expected_version" || fail "$what: version: $version"
  "$cli" export "$share/brelmora/examples/sample.vnr" "$work/$what.csv" --csv || fail "$what: export failed"
  # The spreadsheet CSV starts with the UTF-8 byte-order mark.
  head -c 13 "$work/$what.csv" | grep -q "^$(printf '\357\273\277')Rollen-ID" || fail "$what: export not in German: $(head -1 "$work/$what.csv")"
  "$root/usr/bin/brelmora" --help > /dev/null 2>&1 || fail "$what: brelmora --help failed"
  "$root/usr/bin/veltrano-sim" --help > /dev/null 2>&1 || fail "$what: veltrano-sim --help failed"
}

expected_version=$(sed -n 's/^project(Brelmora VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ -n "$expected_version" ] || fail "no project version"

DESTDIR="$work/destdir" cmake --install "$build" --prefix /usr > /dev/null
check_tree "$work/destdir" destdir

# The file type's entry is one shared-mime-info takes: glob and magic.
if command -v update-mime-database > /dev/null; then
  mkdir -p "$work/mime/packages"
  cp "$work/destdir/usr/share/mime/packages/brelmora.xml" "$work/mime/packages/"
  update-mime-database "$work/mime" 2> "$work/mime.err" || fail "mime entry refused: $(cat "$work/mime.err")"
  grep -q ':application/x-brelmora-project:\*\.vnr$' "$work/mime/globs2" || fail "no *.vnr glob"
  grep -aq 'application/x-brelmora-project' "$work/mime/magic" || fail "no magic"
  # A desktop's file manager (GLib's reader) knows a project by its name
  # and, renamed, by its opening bytes.
  if command -v gio > /dev/null; then
    cp "$source/examples/sample.vnr" "$work/renamed.dat"
    for file in "$source/examples/sample.vnr" "$work/renamed.dat"; do
      type=$(XDG_DATA_DIRS="$work" XDG_DATA_HOME="$work" gio info -a standard::content-type "$file" 2>/dev/null |
             sed -n 's/.*standard::content-type: //p')
      [ "$type" = application/x-brelmora-project ] || fail "$(basename "$file") is taken for '$type'"
    done
  fi
fi

# The Debian package, unpacked as dpkg would install it.
rm -rf "$build/package"
cpack -G DEB -B "$build/package" --config "$build/CPackConfig.cmake" > "$work/cpack.log" 2>&1 ||
  fail "cpack: $(tail -5 "$work/cpack.log")"
rm -rf "$build/package/_CPack_Packages"
deb=$(ls "$build"/package/brelmora_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6svg6 libcurl4 libusb-1.0-0 libc6; do
  echo "$depends" | grep -q "$needed" || fail "Depends lacks $needed: $depends"
done
dpkg -x "$deb" "$work/deb"
check_tree "$work/deb" deb

# The watch service's user unit and the USB access rule, in both trees.
for tree in "$work/destdir" "$work/deb"; do
  unit="$tree/usr/lib/systemd/user/brelmora-watch.service"
  [ -f "$unit" ] || fail "no user unit in $tree"
  grep -q '^ExecStart=brelmora-cli watch ' "$unit" || fail "unit does not start the watch"
  grep -q '^ExecReload=/bin/kill -HUP \$MAINPID$' "$unit" || fail "unit reloads without SIGHUP"
  rules="$tree/usr/lib/udev/rules.d/70-brelmora-veltrano.rules"
  grep -q 'ATTR{idVendor}=="3317", TAG+="uaccess"' "$rules" || fail "no uaccess rule in $tree"
done
echo "install tree and package: all checks pass"
