# Reads a CSV file the way a spreadsheet reader with default options does
# (Python's csv module, excel dialect, UTF-8, strict quoting) and prints its
# rows as one JSON array of arrays.  Exit status 2 when the file does not
# parse.
import csv
import json
import sys

try:
    with open(sys.argv[1], newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f, strict=True))
except (csv.Error, UnicodeDecodeError) as e:
    print(e, file=sys.stderr)
    sys.exit(2)
json.dump(rows, sys.stdout, ensure_ascii=False)
