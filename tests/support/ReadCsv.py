# SPDX-License-Identifier: GPL-3.0-or-later
# Reads a CSV file the way a spreadsheet reader with default options does
# (Python's csv module, excel dialect, UTF-8 with an optional byte-order
# mark, strict quoting) and prints its rows as one JSON array of arrays.  A
# second argument is the field separator (default ",").  Exit status 2 when
# the file does not parse.
import csv
import json
import sys

try:
    delimiter = sys.argv[2] if len(sys.argv) > 2 else ","
    with open(sys.argv[1], newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f, strict=True, delimiter=delimiter))
except (csv.Error, UnicodeDecodeError) as e:
    print(e, file=sys.stderr)
    sys.exit(2)
json.dump(rows, sys.stdout, ensure_ascii=False)
