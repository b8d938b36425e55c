#!/usr/bin/python3
# Reads .xlsx files with openpyxl and .csv files with Python's csv module,
# independent readers, for the tests. For every file named, as JSON in the
# shape of xls_read.py: per sheet its name and every cell as [type, value]
# (1 text, 2 number with its number format as a third entry, 0 empty) and
# the column widths in characters; a .csv also says whether it starts with
# a UTF-8 BOM. Texts of a .xlsx are read with the format's escapes
# (_xHHHH_ for control characters) undone, as spreadsheet programs do. A file that cannot be read gives {"error": ...}.
import csv, json, sys, openpyxl
from openpyxl.utils.escape import unescape
from openpyxl.utils import get_column_letter

books = []
for path in sys.argv[1:]:
    try:
        if path.endswith('.csv'):
            raw = open(path, 'rb').read()
            with open(path, newline='', encoding='utf-8-sig') as f:
                rows = [[[1, v] for v in row] for row in csv.reader(f)]
            books.append({"bom": raw.startswith(b'\xef\xbb\xbf'), "sheets": [{"name": "", "rows": rows}]})
            continue
        book = openpyxl.load_workbook(path, read_only=False)
        sheets = []
        for sh in book.worksheets:
            rows = []
            for row in sh.iter_rows():
                out = []
                for c in row:
                    v = c.value
                    if v is None:
                        out.append([0, ""])
                    elif isinstance(v, (int, float)) and not isinstance(v, bool):
                        out.append([2, float(v), c.number_format])
                    else:
                        # The format writes control characters as _xHHHH_.
                        out.append([1, unescape(str(v))])
                rows.append(out)
            widths = [sh.column_dimensions[get_column_letter(i + 1)].width for i in range(sh.max_column)]
            sheets.append({"name": sh.title, "rows": rows, "widths": widths})
        books.append({"sheets": sheets})
    except Exception as e:
        books.append({"error": repr(e)})
json.dump(books, sys.stdout, ensure_ascii=False)
