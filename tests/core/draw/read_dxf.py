# Reads DXF files with ezdxf and prints what the tests compare, one line per
# item, numbers as Python's exact repr:
#   file PATH / audit ERRORS FIXES / version V / insunits N / layer NAME COLOUR
#   CIRCLE LAYER COLOUR X Y R
#   LINE LAYER COLOUR X0 Y0 X1 Y1
#   ARC LAYER COLOUR X Y R START END SX SY EX EY (angles in degrees, then the
#     arc's start and end points as ezdxf computes them)
#   LWPOLYLINE LAYER CLOSED MINX MINY MAXX MAXY then (X Y BULGE)...
#   TEXT LAYER TEXT
import sys

import ezdxf
import ezdxf.bbox

for path in sys.argv[1:]:
    print("file", path)
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print("audit", len(auditor.errors), len(auditor.fixes))
    for entry in auditor.errors + auditor.fixes:
        print("problem", entry.code, entry.message.replace("\n", " "))
    print("version", doc.dxfversion)
    print("insunits", doc.header.get("$INSUNITS", -1))
    for layer in doc.layers:
        print("layer", layer.dxf.name, layer.dxf.color)
    for e in doc.modelspace():
        kind, layer, colour = e.dxftype(), e.dxf.layer, e.dxf.get("color", 256)
        if kind == "CIRCLE":
            c = e.dxf.center
            print(kind, layer, colour, repr(c.x), repr(c.y), repr(e.dxf.radius))
        elif kind == "LINE":
            s, t = e.dxf.start, e.dxf.end
            print(kind, layer, colour, repr(s.x), repr(s.y), repr(t.x), repr(t.y))
        elif kind == "ARC":
            c, a, b = e.dxf.center, e.start_point, e.end_point
            print(kind, layer, colour, repr(c.x), repr(c.y), repr(e.dxf.radius), repr(e.dxf.start_angle),
                  repr(e.dxf.end_angle), repr(a.x), repr(a.y), repr(b.x), repr(b.y))
        elif kind == "LWPOLYLINE":
            box = ezdxf.bbox.extents([e])
            points = " ".join("%r %r %r" % p for p in e.get_points("xyb"))
            print(kind, layer, int(e.closed), repr(box.extmin.x), repr(box.extmin.y), repr(box.extmax.x),
                  repr(box.extmax.y), points)
        elif kind == "TEXT":
            print(kind, layer, ezdxf.decode_dxf_unicode(e.dxf.text))
        else:
            print(kind, layer)
