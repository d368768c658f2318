# Parses SVG files with Python's XML parser and prints what the tests compare:
#   file PATH / svg WIDTH HEIGHT VIEWBOX / title TEXT / transform T
#   circle CLASS CX CY R FILL STROKE / path ID FILL / line STROKE
import sys
import xml.etree.ElementTree as ET

NS = "{http://www.w3.org/2000/svg}"
for path in sys.argv[1:]:
    print("file", path)
    root = ET.parse(path).getroot()
    assert root.tag == NS + "svg", root.tag
    print("svg", root.get("width"), root.get("height"), root.get("viewBox"))
    print("title", root.find(NS + "title").text)
    for e in root.iter():
        tag = e.tag[len(NS):]
        if tag == "g" and e.get("transform"):
            print("transform", e.get("transform"))
        elif tag == "circle":
            print("circle", e.get("class"), repr(float(e.get("cx"))), repr(float(e.get("cy"))),
                  repr(float(e.get("r"))), e.get("fill"), e.get("stroke"))
        elif tag == "path":
            print("path", e.get("id"), e.get("fill"))
        elif tag == "line":
            print("line", e.get("stroke"))
        elif tag == "rect":
            print("rect", e.get("fill"))
