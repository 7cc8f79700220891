# SPDX-License-Identifier: GPL-3.0-or-later
# Reads a CSV file by its column names, the way scripts take it: "csv" with
# Python's csv.DictReader and encoding="utf-8-sig", "pandas" with
# pandas.read_csv and its defaults (numbers become numbers).  A third
# argument "de" reads the German form (';' and the decimal comma).  Prints
# {"columns": [...], "rows": [{name: value}, ...]} as JSON; a value pandas
# finds missing is null.  Exit status 2 when the file does not parse.
import csv
import json
import math
import sys

path, reader = sys.argv[1], sys.argv[2]
german = len(sys.argv) > 3 and sys.argv[3] == "de"
try:
    if reader == "csv":
        with open(path, newline="", encoding="utf-8-sig") as f:
            table = csv.DictReader(f, strict=True, delimiter=";" if german else ",")
            rows = list(table)
            columns = list(table.fieldnames or [])
    else:
        import pandas

        frame = pandas.read_csv(path, sep=";", decimal=",") if german else pandas.read_csv(path)
        columns = [str(c) for c in frame.columns]
        rows = []
        for record in frame.to_dict(orient="records"):
            rows.append({k: (None if isinstance(v, float) and math.isnan(v) else
                             v.item() if hasattr(v, "item") else v) for k, v in record.items()})
except Exception as e:  # a file that does not parse, whatever the reader says
    print(e, file=sys.stderr)
    sys.exit(2)
json.dump({"columns": columns, "rows": rows}, sys.stdout, ensure_ascii=False)
