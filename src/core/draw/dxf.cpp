#include "core/draw/dxf.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "core/cp1252.h"
#include "core/draw/vectorshapes.h"

void TDxfWriter::Group(int code, std::string_view value) {
  char head[16];
  const int n = std::snprintf(head, sizeof head, "%3d\n", code);
  Out.append(head, static_cast<size_t>(n));
  Out.append(value);
  Out.push_back('\n');
}

void TDxfWriter::Real(int code, double value) {
  char head[16];
  const int n = std::snprintf(head, sizeof head, "%3d\n", code);
  Out.append(head, static_cast<size_t>(n));
  const size_t start = Out.size();
  AppendNumber(Out, value);
  if (Out.find('.', start) == std::string::npos) Out.append(".0");
  Out.push_back('\n');
}

void TDxfWriter::Int(int code, long value) { Group(code, std::to_string(value)); }

std::string TDxfWriter::NewHandle() {
  std::string handle = NextHandle();
  ++Handles;
  return handle;
}

std::string TDxfWriter::NextHandle() const {
  char text[24];
  std::snprintf(text, sizeof text, "%lX", Handles);
  return text;
}

std::string TDxfWriter::TextValue(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out.push_back(c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c));
      ++i;
      continue;
    }
    // One UTF-8 sequence; a broken one stands as a question mark.
    char32_t code;
    const size_t length = DecodeUtf8(utf8, i, code);
    if (length == 0 || code > 0xFFFF) {
      out.push_back('?');
      i += length == 0 ? 1 : length;
      continue;
    }
    i += length;
    if (const int byte = Cp1252DefinedByte(code); byte >= 0) {
      out.push_back(static_cast<char>(byte));
      continue;
    }
    char escape[12];
    std::snprintf(escape, sizeof escape, "\\U+%04X", static_cast<unsigned>(code));
    out.append(escape);
  }
  return out;
}

namespace {

constexpr double mm = 1000;

// AutoCAD colour indexes near the screen colours.
constexpr int AciByLayer = 256;
constexpr int AciWhite = 7;            // black on a white sheet
constexpr int AciWall = 112;           // the wall's green
constexpr int AciSleeve = 251;         // dark grey sleeve outlines
constexpr int AciPraven = 160;         // blue sleeve outlines
constexpr int AciClearanceRing = 254;  // light grey
constexpr int AciConduit = 105;        // the conduit outlines' green
constexpr int AciMinorGrid = 9;
constexpr int AciMajorGrid = 8;

class TTransitDxf {
public:
  TTransitDxf(const TTransit& transit, bool grid)
      : Transit(transit), Layout(VectorLayout(transit)), Grid(grid) {}

  std::string Write() {
    W.Out.reserve(4096 + Transit.PlacedPositions.size() * 3 * 150);
    // Handles of the tables and of the model space, known before the tables
    // are written.
    for (std::string* h : {&VportTable, &LtypeTable, &LayerTable, &StyleTable, &ViewTable, &UcsTable, &AppidTable,
                           &DimstyleTable, &BlockRecordTable, &ModelSpace, &PaperSpace, &RootDictionary,
                           &GroupDictionary})
      *h = W.NewHandle();
    Entities();
    std::string entities = std::move(W.Out);
    W.Out.clear();
    W.Out.reserve(entities.size() + 8192);
    Header();
    Section("CLASSES");
    W.Group(0, "ENDSEC");
    Tables();
    Blocks();
    Section("ENTITIES");
    W.Out.append(entities);
    W.Group(0, "ENDSEC");
    Objects();
    W.Group(0, "EOF");
    return std::move(W.Out);
  }

private:
  // Drawing coordinates: millimetres, y upwards from the opening's bottom.
  double X(double x) const { return x / mm; }
  double Y(double y) const { return (Transit.Height - y) / mm; }

  void Section(const char* name) {
    W.Group(0, "SECTION");
    W.Group(2, name);
  }

  void Header() {
    Section("HEADER");
    W.Group(9, "$ACADVER");
    W.Group(1, "AC1015");
    W.Group(9, "$DWGCODEPAGE");
    W.Group(3, "ANSI_1252");
    W.Group(9, "$INSBASE");
    Point(10, 0, 0);
    W.Group(9, "$EXTMIN");
    Point(10, X(Layout.Left), Y(Layout.Bottom) - TextDepth());
    W.Group(9, "$EXTMAX");
    Point(10, std::max(X(Layout.Right), X(Layout.Left) + TextWidth()), Y(Layout.Top));
    W.Group(9, "$INSUNITS");
    W.Int(70, 4);
    W.Group(9, "$MEASUREMENT");
    W.Int(70, 1);
    W.Group(9, "$LUNITS");
    W.Int(70, 2);
    W.Group(9, "$HANDSEED");
    W.Group(5, "FFFFF");  // replaced below once every handle is known
    W.Group(0, "ENDSEC");
    SeedAt = W.Out.size() - std::string("FFFFF\n  0\nENDSEC\n").size();
  }

  void Point(int code, double x, double y) {
    W.Real(code, x);
    W.Real(code + 10, y);
    W.Real(code + 20, 0);
  }

  void Table(const char* name, const std::string& handle, int count) {
    W.Group(0, "TABLE");
    W.Group(2, name);
    W.Group(5, handle);
    W.Group(330, "0");
    W.Group(100, "AcDbSymbolTable");
    W.Int(70, count);
  }

  void Record(const char* type, const std::string& table, const char* subclass, const char* name) {
    W.Group(0, type);
    W.Group(type == std::string_view("DIMSTYLE") ? 105 : 5, W.NewHandle());
    W.Group(330, table);
    W.Group(100, "AcDbSymbolTableRecord");
    W.Group(100, subclass);
    W.Group(2, name);
    W.Int(70, 0);
  }

  void Tables() {
    Section("TABLES");
    Table("VPORT", VportTable, 1);
    Record("VPORT", VportTable, "AcDbViewportTableRecord", "*ACTIVE");
    W.Real(10, 0);
    W.Real(20, 0);
    W.Real(11, 1);
    W.Real(21, 1);
    const double width = X(Layout.Right) - X(Layout.Left), height = Y(Layout.Top) - Y(Layout.Bottom) + TextDepth();
    W.Real(12, X(Layout.Left) + width / 2);  // the view's centre
    W.Real(22, Y(Layout.Top) - height / 2);
    W.Real(40, height * 1.05);
    W.Real(41, height > 0 ? width / height : 1);
    W.Group(0, "ENDTAB");

    Table("LTYPE", LtypeTable, 3);
    for (const char* name : {"ByBlock", "ByLayer", "Continuous"}) {
      Record("LTYPE", LtypeTable, "AcDbLinetypeTableRecord", name);
      W.Group(3, name == std::string_view("Continuous") ? "Solid line" : "");
      W.Int(72, 65);
      W.Int(73, 0);
      W.Real(40, 0);
    }
    W.Group(0, "ENDTAB");

    const std::initializer_list<std::pair<const char*, int>> layers = {
        {"0", AciWhite},
        {dxf::LayerOpening, AciWhite},
        {dxf::LayerWall, AciWall},
        {dxf::LayerCovers, AciSleeve},
        {dxf::LayerConduits, AciConduit},
        {dxf::LayerGrid, AciMinorGrid},
        {dxf::LayerText, AciWhite}};
    Table("LAYER", LayerTable, static_cast<int>(layers.size()));
    for (const auto& [name, colour] : layers) {
      Record("LAYER", LayerTable, "AcDbLayerTableRecord", name);
      W.Int(62, colour);
      W.Group(6, "Continuous");
      W.Int(370, -3);
    }
    W.Group(0, "ENDTAB");

    Table("STYLE", StyleTable, 1);
    Record("STYLE", StyleTable, "AcDbTextStyleTableRecord", "Standard");
    W.Real(40, 0);
    W.Real(41, 1);
    W.Real(50, 0);
    W.Int(71, 0);
    W.Real(42, 2.5);
    W.Group(3, "txt");
    W.Group(4, "");
    W.Group(0, "ENDTAB");

    Table("VIEW", ViewTable, 0);
    W.Group(0, "ENDTAB");
    Table("UCS", UcsTable, 0);
    W.Group(0, "ENDTAB");

    Table("APPID", AppidTable, 1);
    Record("APPID", AppidTable, "AcDbRegAppTableRecord", "ACAD");
    W.Group(0, "ENDTAB");

    Table("DIMSTYLE", DimstyleTable, 1);
    W.Group(100, "AcDbDimStyleTable");
    Record("DIMSTYLE", DimstyleTable, "AcDbDimStyleTableRecord", "Standard");
    W.Group(0, "ENDTAB");

    Table("BLOCK_RECORD", BlockRecordTable, 2);
    for (const auto& [handle, name] :
         {std::pair{&ModelSpace, "*Model_Space"}, std::pair{&PaperSpace, "*Paper_Space"}}) {
      W.Group(0, "BLOCK_RECORD");
      W.Group(5, *handle);
      W.Group(330, BlockRecordTable);
      W.Group(100, "AcDbSymbolTableRecord");
      W.Group(100, "AcDbBlockTableRecord");
      W.Group(2, name);
    }
    W.Group(0, "ENDTAB");
    W.Group(0, "ENDSEC");
  }

  void Blocks() {
    Section("BLOCKS");
    for (const auto& [owner, name] :
         {std::pair{&ModelSpace, "*Model_Space"}, std::pair{&PaperSpace, "*Paper_Space"}}) {
      const bool paper = owner == &PaperSpace;
      W.Group(0, "BLOCK");
      W.Group(5, W.NewHandle());
      W.Group(330, *owner);
      W.Group(100, "AcDbEntity");
      if (paper) W.Int(67, 1);
      W.Group(8, "0");
      W.Group(100, "AcDbBlockBegin");
      W.Group(2, name);
      W.Int(70, 0);
      Point(10, 0, 0);
      W.Group(3, name);
      W.Group(1, "");
      W.Group(0, "ENDBLK");
      W.Group(5, W.NewHandle());
      W.Group(330, *owner);
      W.Group(100, "AcDbEntity");
      if (paper) W.Int(67, 1);
      W.Group(8, "0");
      W.Group(100, "AcDbBlockEnd");
    }
    W.Group(0, "ENDSEC");
  }

  void Objects() {
    Section("OBJECTS");
    W.Group(0, "DICTIONARY");
    W.Group(5, RootDictionary);
    W.Group(330, "0");
    W.Group(100, "AcDbDictionary");
    W.Int(281, 1);
    W.Group(3, "ACAD_GROUP");
    W.Group(350, GroupDictionary);
    W.Group(0, "DICTIONARY");
    W.Group(5, GroupDictionary);
    W.Group(330, RootDictionary);
    W.Group(100, "AcDbDictionary");
    W.Int(281, 1);
    W.Group(0, "ENDSEC");
    // Every handle is known now.
    const std::string seed = W.NextHandle();
    W.Out.replace(SeedAt, 5, seed);
  }

  void Entity(const char* type, const char* layer, int colour, const char* subclass) {
    W.Group(0, type);
    W.Group(5, W.NewHandle());
    W.Group(330, ModelSpace);
    W.Group(100, "AcDbEntity");
    W.Group(8, layer);
    if (colour != AciByLayer) W.Int(62, colour);
    W.Group(100, subclass);
  }

  void Circle(const char* layer, int colour, double x, double y, double radius) {
    Entity("CIRCLE", layer, colour, "AcDbCircle");
    Point(10, x, y);
    W.Real(40, radius);
  }

  void Line(const char* layer, int colour, double x0, double y0, double x1, double y1) {
    Entity("LINE", layer, colour, "AcDbLine");
    Point(10, x0, y0);
    Point(11, x1, y1);
  }

  void Arc(const char* layer, double x, double y, double radius, double from, double to) {
    Entity("ARC", layer, AciByLayer, "AcDbCircle");
    Point(10, x, y);
    W.Real(40, radius);
    W.Group(100, "AcDbArc");
    W.Real(50, from);
    W.Real(51, to);
  }

  // The opening's outline grown by d on every side, as separate LINE and
  // ARC entities (every reader draws those; bulges in polylines are read as
  // chords by some): counter-clockwise on the sheet from the bottom edge,
  // straight sides joined by quarter arcs of the corner radius plus d
  // (sharp corners when the opening has none). Sides of zero length (a
  // corner radius of half a side) fall away.
  void Outline(const char* layer, double d) {
    if (Layout.Round) {
      Circle(layer, AciByLayer, X(Transit.Width / 2), Y(Transit.Height / 2), (Transit.Width / 2 + d) / mm);
      return;
    }
    const double r = Layout.CornerRadius > 0 ? (Layout.CornerRadius + d) / mm : 0;
    // On the sheet, y upwards.
    const double x0 = X(-d), x1 = X(Transit.Width + d), y0 = Y(Transit.Height + d), y1 = Y(-d);
    auto side = [&](double ax, double ay, double bx, double by) {
      if (ax != bx || ay != by) Line(layer, AciByLayer, ax, ay, bx, by);
    };
    auto corner = [&](double cx, double cy, double from, double to) {
      if (r > 0) Arc(layer, cx, cy, r, from, to);
    };
    side(x0 + r, y0, x1 - r, y0);
    corner(x1 - r, y0 + r, 270, 0);
    side(x1, y0 + r, x1, y1 - r);
    corner(x1 - r, y1 - r, 0, 90);
    side(x1 - r, y1, x0 + r, y1);
    corner(x0 + r, y1 - r, 90, 180);
    side(x0, y1 - r, x0, y0 + r);
    corner(x0 + r, y0 + r, 180, 270);
  }

  double TextHeight() const {
    const double side = std::max(Layout.Right - Layout.Left, Layout.Bottom - Layout.Top) / mm;
    return std::clamp(std::round(side / 60), 2.5, 50.0);
  }
  int TextLines() const { return Transit.Name.empty() ? 1 : 2; }
  // At most how far the text reaches to the right of the picture's left
  // edge, in millimetres: no character of the standard font is wider than
  // its height.
  double TextWidth() const {
    size_t longest = 0;
    for (const std::string& line : {Transit.Name, TransitSizeText(Transit)}) {
      size_t characters = 0;
      for (char c : line) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      longest = std::max(longest, characters);
    }
    return TextHeight() * static_cast<double>(longest);
  }
  // How far the text reaches below the picture, in millimetres.
  double TextDepth() const { return TextHeight() * (1 + 1.6 * TextLines()); }

  void Text(double x, double y, double height, const std::string& text) {
    Entity("TEXT", dxf::LayerText, AciByLayer, "AcDbText");
    Point(10, x, y);
    W.Real(40, height);
    W.Group(1, TDxfWriter::TextValue(text));
    W.Group(7, "Standard");
    W.Group(100, "AcDbText");
  }

  void Entities() {
    Outline(dxf::LayerOpening, 0);
    Outline(dxf::LayerWall, Layout.Wall);
    for (const TDrawnCircle& c : DrawnCircles(Transit)) {
      const double x = X(c.X), y = Y(c.Y), r = c.Radius / mm;
      switch (c.Kind) {
        case TCircleKind::Conduit: Circle(dxf::LayerConduits, AciByLayer, x, y, r); break;
        case TCircleKind::PravenOuter:
        case TCircleKind::PravenInner: Circle(dxf::LayerCovers, AciPraven, x, y, r); break;
        case TCircleKind::ClearanceRing: Circle(dxf::LayerCovers, AciClearanceRing, x, y, r); break;
        default: Circle(dxf::LayerCovers, AciByLayer, x, y, r); break;
      }
    }
    if (Grid)
      for (const TGridLine& g : GridLines(Transit, Layout)) {
        const int colour = g.Major ? AciMajorGrid : AciByLayer;
        if (g.Vertical) Line(dxf::LayerGrid, colour, X(g.Position), Y(Layout.Bottom), X(g.Position), Y(Layout.Top));
        else Line(dxf::LayerGrid, colour, X(Layout.Left), Y(g.Position), X(Layout.Right), Y(g.Position));
      }
    const double h = TextHeight(), x = X(Layout.Left);
    double y = Y(Layout.Bottom) - 1.6 * h;
    if (!Transit.Name.empty()) {
      Text(x, y, h, Transit.Name);
      y -= 1.6 * h;
    }
    Text(x, y, h, TransitSizeText(Transit));
  }

  const TTransit& Transit;
  const TVectorLayout Layout;
  const bool Grid;
  TDxfWriter W;
  std::string VportTable, LtypeTable, LayerTable, StyleTable, ViewTable, UcsTable, AppidTable, DimstyleTable,
      BlockRecordTable, ModelSpace, PaperSpace, RootDictionary, GroupDictionary;
  size_t SeedAt = 0;
};

}  // namespace

std::string TransitDxf(const TTransit& transit, bool grid) { return TTransitDxf(transit, grid).Write(); }
