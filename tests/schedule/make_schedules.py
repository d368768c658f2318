#!/usr/bin/env python3
"""Writes the cable schedules the schedule tests read, and counts what an
import must yield, independently of the program.

  make_schedules.py basic OUT.xlsx
  make_schedules.py generate OUT.xlsx OUT.csv COUNTS.json [CABLES TRANSITS]
  make_schedules.py handmade OUT.xlsx        (inline strings, gaps, no row numbers)
  make_schedules.py hostile KIND OUT.xlsx    (bomb, broken, nosheet, doctype, badref)
"""
import json
import random
import sys
import zipfile

CONTENT_TYPES = ('<?xml version="1.0" encoding="UTF-8"?>'
                 '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
WORKBOOK = ('<?xml version="1.0" encoding="UTF-8"?>'
            '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
            'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
            '<sheets><sheet name="Schedule" sheetId="1" r:id="rId7"/></sheets></workbook>')
RELS = ('<?xml version="1.0" encoding="UTF-8"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" '
        'Target="/xl/worksheets/data.xml"/></Relationships>')
SHEET_HEAD = ('<?xml version="1.0" encoding="UTF-8"?>'
              '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>')
SHEET_TAIL = '</sheetData></worksheet>'


def basic(path):
    import openpyxl
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Cables"
    ws.append([])  # an empty first row: the header is the first non-empty one
    ws.append(["Tag", "Penetration", "Ø mm", "Qty", "Type"])
    ws.append(["C-1", "MCT-01", 12.5, 2, "cable"])
    ws.append(["C-2", "MCT-01; MCT-02", 12.5, None, "Cable"])
    ws.append(["C-3", "MCT-02", "20,5", 1, None])  # a diameter typed as text
    ws.append([])
    ws.append(["C-4", "MCT-03", 48.26, 1, "pipe"])
    ws["G9"] = "far away"  # a cell right of the table, with a gap
    ws.append(["C-5", None, 10, 1])
    second = wb.create_sheet("Pipes")
    second.append(["Hole", "OD", "Amount"])
    second.append(["H1", 100, 3])
    wb.save(path)


def generate(xlsx, csv, counts_path, cables=5000, transits=300):
    import openpyxl
    rnd = random.Random(21)
    names = ["DK%d-%03d" % (1 + i // 100, i) for i in range(transits)]
    diameters = [6.5, 8.2, 10.0, 12.5, 14.8, 17.3, 21.0, 24.6, 28.9, 33.1, 38.5, 44.0]
    separators = [";", ",", "/", " / ", "; "]
    rows = []
    counts = {}
    for n in range(cables):
        route = rnd.sample(names, rnd.choice([1, 1, 2, 3]))
        diameter = rnd.choice(diameters)
        amount = rnd.choice([1, 1, 1, 2, 4])
        rows.append(("W%05d" % n, rnd.choice(separators).join(route), diameter, amount))
        for name in route:
            key = str(round(diameter * 1000))
            counts.setdefault(name, {})
            counts[name][key] = counts[name].get(key, 0) + amount
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.append(["Cable tag", "Transits", "Outer diameter", "Qty"])
    for r in rows:
        ws.append(list(r))
    wb.save(xlsx)
    with open(csv, "w", encoding="cp1252", newline="") as f:
        f.write("Cable tag;Transits;Outer diameter;Qty\r\n")
        for tag, route, diameter, amount in rows:
            route_text = '"%s"' % route if ";" in route else route
            f.write("%s;%s;%s;%d\r\n" % (tag, route_text, ("%.1f" % diameter).replace(".", ","), amount))
    with open(counts_path, "w") as f:
        json.dump(counts, f)


def write_zip(path, parts):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in parts:
            z.writestr(name, data)


def handmade(path):
    # No shared strings: inline strings, a row without a number, cells
    # without references, a gap of rows and one of columns.
    sheet = (SHEET_HEAD +
             '<row r="2"><c r="A2" t="inlineStr"><is><t>Transit</t></is></c>'
             '<c r="C2" t="inlineStr"><is><r><t>Outer </t></r><r><t>diameter</t></r></is></c></row>'
             '<row r="4"><c r="A4" t="inlineStr"><is><t>T&amp;1</t></is></c><c r="C4"><v>1.25E1</v></c></row>'
             '<row><c t="inlineStr"><is><t>T2</t></is></c><c/><c t="str"><v>7</v></c></row>'
             + SHEET_TAIL)
    write_zip(path, [("[Content_Types].xml", CONTENT_TYPES), ("xl/workbook.xml", WORKBOOK),
                     ("xl/_rels/workbook.xml.rels", RELS), ("xl/worksheets/data.xml", sheet)])


def hostile(kind, path):
    base = [("[Content_Types].xml", CONTENT_TYPES), ("xl/workbook.xml", WORKBOOK),
            ("xl/_rels/workbook.xml.rels", RELS)]
    if kind == "bomb":
        # 72 MB of blanks inside a valid sheet: a few hundred kilobytes packed.
        with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
            for name, data in base:
                z.writestr(name, data)
            with z.open("xl/worksheets/data.xml", "w", force_zip64=True) as f:
                f.write(SHEET_HEAD.encode())
                block = b" " * (1 << 20)
                for _ in range(72):
                    f.write(block)
                f.write(SHEET_TAIL.encode())
    elif kind == "liar":
        # The same blanks, but the archive states 1 000 bytes unpacked.
        import struct
        hostile("bomb-small", path)
        data = bytearray(open(path, "rb").read())
        name = b"xl/worksheets/data.xml"
        local = data.find(b"PK\x03\x04" + b"\x00" * 0, 0)
        while local >= 0:
            if data[local + 30:local + 30 + len(name)] == name:
                struct.pack_into("<I", data, local + 22, 1000)
            local = data.find(b"PK\x03\x04", local + 4)
        central = data.find(b"PK\x01\x02")
        while central >= 0:
            if data[central + 46:central + 46 + len(name)] == name:
                struct.pack_into("<I", data, central + 24, 1000)
            central = data.find(b"PK\x01\x02", central + 4)
        open(path, "wb").write(bytes(data))
    elif kind == "bomb-small":
        with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
            for name, data in base:
                z.writestr(name, data)
            with z.open("xl/worksheets/data.xml", "w") as f:
                f.write(SHEET_HEAD.encode())
                block = b" " * (1 << 20)
                for _ in range(72):
                    f.write(block)
                f.write(SHEET_TAIL.encode())
    elif kind == "broken":
        write_zip(path, base + [("xl/worksheets/data.xml", SHEET_HEAD + '<row r="1"><c><v>1</v></row>')])
    elif kind == "nosheet":
        write_zip(path, base)
    elif kind == "doctype":
        laughs = ('<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol">'
                  '<!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">'
                  '<!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">]>'
                  '<worksheet><sheetData><row><c t="inlineStr"><is><t>&lol3;</t></is></c></row>'
                  '</sheetData></worksheet>')
        write_zip(path, base + [("xl/worksheets/data.xml", laughs)])
    elif kind == "farcells":
        rows = "".join('<row r="%d"><c r="AMJ%d"><v>1</v></c></row>' % (n, n) for n in range(1, 5001))
        write_zip(path, base + [("xl/worksheets/data.xml", SHEET_HEAD + rows + SHEET_TAIL)])
    elif kind == "badref":
        write_zip(path, base + [("xl/worksheets/data.xml",
                                 SHEET_HEAD + '<row r="1"><c r="A1" t="s"><v>5</v></c></row>' + SHEET_TAIL)])
    else:
        raise SystemExit("unknown kind " + kind)


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "basic":
        basic(sys.argv[2])
    elif command == "generate":
        extra = [int(x) for x in sys.argv[5:7]]
        generate(sys.argv[2], sys.argv[3], sys.argv[4], *extra)
    elif command == "handmade":
        handmade(sys.argv[2])
    elif command == "hostile":
        hostile(sys.argv[2], sys.argv[3])
    else:
        raise SystemExit("unknown command " + command)
