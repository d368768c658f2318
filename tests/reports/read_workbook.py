#!/usr/bin/env python3
"""Reads a workbook or CSV file back with independent readers and prints
what the tests compare as JSON: per sheet its cells (numbers stay numbers),
whether the header is bold and frozen, the autofilter, the column widths,
and the document properties. A CSV is read with Python's csv module."""
import csv
import json
import sys


def read_xlsx(path):
    import openpyxl

    book = openpyxl.load_workbook(path)
    out = {"sheets": [], "properties": {}}
    props = book.properties
    for name in ("title", "subject", "description", "creator", "keywords"):
        out["properties"][name] = getattr(props, name)
    for ws in book.worksheets:
        rows = []
        for row in ws.iter_rows():
            cells = []
            for cell in row:
                value = cell.value
                if value is None:
                    cells.append(None)
                elif isinstance(value, bool):
                    cells.append({"bool": value})
                elif isinstance(value, (int, float)):
                    cells.append({"number": float(value), "format": cell.number_format})
                else:
                    cells.append({"text": str(value)})
            rows.append(cells)
        header_bold = all(c.font is not None and c.font.b for c in ws[1] if c.value is not None)
        widths = []
        for index in range(1, ws.max_column + 1):
            letter = openpyxl.utils.get_column_letter(index)
            dim = ws.column_dimensions.get(letter)
            widths.append(dim.width if dim is not None and dim.width else 0)
        out["sheets"].append({
            "name": ws.title,
            "rows": rows,
            "headerBold": header_bold,
            "frozen": ws.freeze_panes,
            "autofilter": ws.auto_filter.ref,
            "widths": widths,
        })
    return out


def read_csv(path):
    with open(path, "rb") as f:
        raw = f.read()
    bom = raw.startswith(b"\xef\xbb\xbf")
    # newline="" so that line breaks inside quoted fields stay as written.
    with open(path, newline="", encoding="utf-8-sig") as f:
        rows = [[{"text": v} for v in row] for row in csv.reader(f, strict=True)]
    return {"bom": bom, "sheets": [{"name": "csv", "rows": rows}]}


def main():
    path = sys.argv[1]
    data = read_csv(path) if path.lower().endswith(".csv") else read_xlsx(path)
    json.dump(data, sys.stdout, ensure_ascii=True)


if __name__ == "__main__":
    main()
