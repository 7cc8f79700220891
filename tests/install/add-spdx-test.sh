#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/add-spdx on scratch files in a scratch git repository: each
# language gets its own comment syntax, a shebang stays first, line endings
# and the execute bit are kept, a second run changes nothing and --check
# names exactly the files that lack the line.
#   add-spdx-test.sh SOURCE-DIR
set -euo pipefail
script="$1/scripts/add-spdx"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
line='SPDX-License-Identifier: GPL-3.0-or-later'

cd "$work"
git init -q .
mkdir -p src tools
printf '// The widget.\n#pragma once\n' > src/Widget.h
printf '#include "Widget.h"\r\nint x;\r\n' > src/Crlf.cpp
printf '#!/usr/bin/env bash\necho hi\n' > tools/run
chmod 755 tools/run
printf '#!/usr/bin/env python3\n"""Doc."""\n' > tools/gen.py
printf '#!/bin/sh' > tools/bare.sh
printf 'add_library(x a.cpp)\n' > CMakeLists.txt
printf '# %s\nset(A 1)\n' "$line" > done.cmake
printf '12\tText\n' > strings.txt
printf 'plain text without a shebang\n' > NOTES
: > empty.py
# add-spdx takes the files of the repository it belongs to: a copy in it.
mkdir scripts && cp "$script" scripts/add-spdx
git add -A

python3 scripts/add-spdx --check > check.out && fail "--check passed with files lacking the line"
for f in src/Widget.h src/Crlf.cpp tools/run tools/gen.py tools/bare.sh CMakeLists.txt empty.py; do
  grep -qx "no license line: $f" check.out || fail "--check does not name $f: $(cat check.out)"
done
for f in done.cmake strings.txt NOTES scripts/add-spdx; do
  ! grep -q " $f\$" check.out || fail "--check names $f"
done
git diff --quiet || fail "--check changed files"

(cd src && python3 ../scripts/add-spdx) > first.out
grep -qx "license line added: tools/run" first.out || fail "no report of the added line: $(cat first.out)"

[ "$(sed -n 1p src/Widget.h)" = "// $line" ] || fail "C++ header: $(head -2 src/Widget.h)"
[ "$(sed -n 2p src/Widget.h)" = "// The widget." ] || fail "header comment lost"
[ "$(sed -n 1p src/Crlf.cpp)" = "// $line"$'\r' ] || fail "CR LF file got another line ending"
[ "$(sed -n 1p tools/run)" = '#!/usr/bin/env bash' ] || fail "shebang not first"
[ "$(sed -n 2p tools/run)" = "# $line" ] || fail "shell: $(head -2 tools/run)"
[ -x tools/run ] || fail "execute bit lost"
[ "$(sed -n 2p tools/gen.py)" = "# $line" ] || fail "python: $(head -2 tools/gen.py)"
[ "$(cat tools/bare.sh)" = "#!/bin/sh"$'\n'"# $line" ] || fail "shebang without newline: $(cat tools/bare.sh)"
[ "$(sed -n 1p CMakeLists.txt)" = "# $line" ] || fail "CMake"
[ "$(cat empty.py)" = "# $line" ] || fail "empty file"
[ "$(grep -c SPDX done.cmake)" = 1 ] || fail "licensed file got a second line"
[ "$(cat strings.txt)" = $'12\tText' ] || fail "string file changed"
[ "$(cat NOTES)" = 'plain text without a shebang' ] || fail "text file changed"
ls ./*.spdx-tmp src/*.spdx-tmp tools/*.spdx-tmp 2>/dev/null && fail "temporary files left"

# Idempotent: a second run over the whole repository changes nothing.
git add -A
git -c user.name=test -c user.email=test@localhost -c commit.gpgsign=false commit -qm first
python3 scripts/add-spdx > second.out
[ ! -s second.out ] || fail "second run changed: $(cat second.out)"
git diff --quiet || fail "second run changed files"
python3 scripts/add-spdx --check > /dev/null || fail "--check fails after the run"
echo "add-spdx: all cases pass"
