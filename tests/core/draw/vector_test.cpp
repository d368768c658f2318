// The DXF and SVG drawings read back with real readers: ezdxf (its audit,
// its entity list, its extents) and Python's XML parser, compared with the
// fill's placements.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

#include "cli/transit_json.h"
#include "core/draw/dxf.h"
#include "core/draw/export.h"
#include "core/draw/picture.h"
#include "core/draw/png.h"
#include "core/draw/svg.h"
#include "core/draw/transitdrawer.h"
#include "core/errors.h"
#include "core/units.h"
#include "sample_transits.h"

namespace {

namespace fs = std::filesystem;
constexpr double mm = 1000;

struct TUnitGuard {
  TLengthUnit Saved = CurrentLengthUnit;
  ~TUnitGuard() { CurrentLengthUnit = Saved; }
};

// Every cover code (and one the drawing skips), each placed twice, in a
// 300 x 200 mm opening with sharp corners.
TTransit EveryCoverCode() {
  TTransit t;
  t.Name = "Every cover \xE2\x80\x93 \xC3\x98 \xCE\xA9";  // en dash and O-slash in Windows-1252, omega not
  t.Width = 300 * mm;
  t.Height = 200 * mm;
  for (int code = 0; code <= 13; ++code) {
    TFillItem item;
    item.CoverCode = static_cast<TCoverCode>(code);
    item.ConduitRadius = 5 * mm;
    item.OuterRadius = 12.5 * mm;
    item.InnerRadius = 7 * mm;
    item.Ring = 2 * mm;
    item.FirstPlaced = static_cast<int>(t.PlacedPositions.size());
    item.PlacedCount = 2;
    for (int k = 0; k < 2; ++k)
      t.PlacedPositions.push_back({(20 + 20 * code) * mm + 0.1 * k, (40 + 100 * k) * mm + 1.0 / 3});
    t.FillItems.push_back(item);
  }
  return t;
}

TTransit Filled(TTransit t) {
  t.Validate();
  t.SortConduitGroups();
  t.Fill();
  return t;
}

// A cover circle the drawing shows: radius in mm and the colour index.
struct TCover {
  double Radius;
  int Colour;
};
// The covers of a conduit, from the outside in, with the radii of EveryCoverCode.
std::vector<TCover> CoversOf(const TFillItem& item) {
  const double outer = item.OuterRadius / mm, inner = item.InnerRadius / mm;
  switch (item.CoverCode) {
    case ccKovaCableSleeve:
    case ccKovaPlasticPipeSleeve:
    case ccKovaPipeSleeve:
    case ccSingleCrusher:
    case ccMultiCrusher: return {{outer, 256}, {inner, 256}};
    case ccPravenSleeve: return {{outer, 160}, {inner, 160}};
    case ccClearanceRing: return {{(item.OuterRadius + item.Ring) / mm, 254}};
    case ccOversizeCable:
    case ccOversizePlasticPipe:
    case ccOversizePipe:
    case ccWrap:
    case ccWrapNoCrusher: {
      std::vector<TCover> layers;
      for (double r = item.OuterRadius; r >= item.ConduitRadius; r -= 2500) layers.push_back({r / mm, 256});
      return layers;
    }
    default: return {};
  }
}

struct TCase {
  std::string Name;
  TTransit Transit;
  bool Grid;
};

std::vector<TCase> Cases() {
  TTransit stadium = MakeTransit(fsKova, ctCables, clA, 300, 150, 75, 200);
  AddGroup(stadium, 6, 20);
  stadium = Filled(stadium);
  std::vector<TCase> cases = {{"every_code", EveryCoverCode(), true},
                              {"dense", Filled(DenseCableTransit()), true},
                              {"round", Filled(RoundGrentaxTransit()), false},
                              {"stadium", stadium, true}};
  cases[1].Transit.Name = "Deck 3";
  for (const char* file : {"praven_smooth", "moxel_wrap_round", "kova_metal_h_smooth", "grentax_multi_inch_smooth"}) {
    TTransit t = ReadTransitFile(std::string(TRELLANE_DRAW_TEST_DATA) + "/" + file + ".json");
    ValidateSortFill(t);
    cases.push_back({file, t, true});
  }
  return cases;
}

// Runs a reader script on files and gives its lines per file.
std::map<std::string, std::vector<std::string>> ReadBack(const char* script, const std::vector<std::string>& files) {
  std::string command = std::string(TRELLANE_PYTHON3) + " " + TRELLANE_DRAW_TEST_SOURCE + "/" + script;
  for (const std::string& f : files) command += " '" + f + "'";
  command += " 2>&1";
  std::map<std::string, std::vector<std::string>> result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return result;
  std::string text;
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  const int status = ::pclose(pipe);
  EXPECT_EQ(status, 0) << command << "\n" << text.substr(0, 4000);
  std::istringstream lines(text);
  std::string line, current;
  while (std::getline(lines, line)) {
    if (line.rfind("file ", 0) == 0) current = line.substr(5);
    else result[current].push_back(line);
  }
  return result;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}
double Num(const std::string& text) { return std::strtod(text.c_str(), nullptr); }
std::string Hex(TColour c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(c));
  return text;
}

class VectorDrawings : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    fs::create_directories(Dir);
    std::vector<std::string> dxfFiles, svgFiles;
    for (const TCase& c : Cases()) {
      const std::string base = (Dir / c.Name).string();
      ExportTransitDrawing(c.Transit, base + ".dxf", TDrawingFormat::Dxf, 0, 0, false, c.Grid);
      ExportTransitDrawing(c.Transit, base + ".svg", TDrawingFormat::Svg, 0, 0, false, c.Grid);
      dxfFiles.push_back(base + ".dxf");
      svgFiles.push_back(base + ".svg");
    }
    Dxf = ReadBack("read_dxf.py", dxfFiles);
    Svg = ReadBack("read_svg.py", svgFiles);
  }
  static void TearDownTestSuite() { fs::remove_all(Dir); }

  static inline const fs::path Dir = fs::temp_directory_path() / ("trellane_vector_" + std::to_string(::getpid()));
  static inline std::map<std::string, std::vector<std::string>> Dxf, Svg;
};

}  // namespace

TEST_F(VectorDrawings, DxfReadsBackAsTheFillsGeometry) {
  for (const TCase& c : Cases()) {
    SCOPED_TRACE(c.Name);
    const TTransit& t = c.Transit;
    const auto& lines = Dxf[(Dir / (c.Name + ".dxf")).string()];
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "audit 0 0");
    std::vector<std::array<double, 3>> conduits, expectedConduits;
    std::vector<std::array<double, 4>> covers, expectedCovers;
    std::map<std::string, int> layers;
    std::vector<std::string> texts;
    std::map<std::string, std::vector<std::vector<std::string>>> outlines;
    int grid = 0, majorGrid = 0;
    bool centreLine = false;
    for (const std::string& line : lines) {
      const auto w = Words(line);
      if (w[0] == "problem") ADD_FAILURE() << line;
      else if (w[0] == "version") EXPECT_EQ(w[1], "AC1015");
      else if (w[0] == "insunits") EXPECT_EQ(w[1], "4");
      else if (w[0] == "layer") layers[w[1]] = std::stoi(w[2]);
      else if (w[0] == "CIRCLE" && w[1] == "CONDUITS") conduits.push_back({Num(w[3]), Num(w[4]), Num(w[5])});
      else if (w[0] == "CIRCLE" && w[1] == "COVERS")
        covers.push_back({Num(w[3]), Num(w[4]), Num(w[5]), Num(w[2])});
      else if (w[0] == "LINE" && w[1] == "GRID") {
        ++grid;
        majorGrid += w[2] == "8";
        if (Num(w[3]) == t.Width / 2 / mm && Num(w[5]) == t.Width / 2 / mm) centreLine = w[2] == "8";
      } else if (w[0] == "TEXT") {
        EXPECT_EQ(w[1], "TEXT");
        texts.push_back(line.substr(10));
      } else if (w[0] == "CIRCLE" || w[0] == "LINE" || w[0] == "ARC") {
        ASSERT_TRUE(w[1] == "OPENING" || w[1] == "WALL") << line;
        outlines[w[1]].push_back(w);
      } else if (w[0] != "layer" && w[0] != "audit") {
        ADD_FAILURE() << "an entity a common reader may not draw: " << line;
      }
    }
    for (const char* layer : {"OPENING", "WALL", "COVERS", "CONDUITS", "GRID", "TEXT"})
      EXPECT_TRUE(layers.count(layer)) << layer;
    // Conduits and covers exactly where the fill put them, y upwards.
    for (const TFillItem& item : t.FillItems) {
      if (item.CoverCode > ccWrapNoCrusher) continue;
      for (int k = 0; k < item.PlacedCount; ++k) {
        const TPlacedPosition& p = t.PlacedPositions[item.FirstPlaced + k];
        const double x = p.X / mm, y = (t.Height - p.Y) / mm;
        for (const TCover& cover : CoversOf(item)) expectedCovers.push_back({x, y, cover.Radius, double(cover.Colour)});
        expectedConduits.push_back({x, y, item.ConduitRadius / mm});
      }
    }
    EXPECT_FALSE(expectedConduits.empty());
    EXPECT_EQ(conduits, expectedConduits);
    EXPECT_EQ(covers, expectedCovers);
    // The opening and the outer edge of the wall: a circle, or sides and
    // quarter arcs joined end to end round the box, extents exact.
    const double w = t.Width / mm, h = t.Height / mm;
    const double r = std::min(t.CornerRadius, std::min(t.Width, t.Height) / 2) / mm;
    for (const char* layer : {"OPENING", "WALL"}) {
      SCOPED_TRACE(layer);
      const auto& parts = outlines[layer];
      const double d = layer == std::string("OPENING") ? 0 : 10;
      if (t.IsRound()) {
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_EQ(parts[0][0], "CIRCLE");
        EXPECT_EQ(Num(parts[0][3]), w / 2);
        EXPECT_EQ(Num(parts[0][4]), h / 2);
        EXPECT_EQ(Num(parts[0][5]), w / 2 + d);
        continue;
      }
      // 4 sides and 4 arcs; 2 sides with a radius of half the height; 4
      // sides without corners.
      size_t lines = 0, arcs = 0;
      std::vector<std::array<double, 4>> ends;  // from and to of each part
      double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
      for (const auto& p : parts) {
        if (p[0] == "LINE") {
          ++lines;
          ends.push_back({Num(p[3]), Num(p[4]), Num(p[5]), Num(p[6])});
        } else {
          ASSERT_EQ(p[0], "ARC");
          ++arcs;
          EXPECT_NEAR(Num(p[5]), r + d, 1e-9);
          const double sweep = std::fmod(Num(p[7]) - Num(p[6]) + 360, 360);
          EXPECT_NEAR(sweep, 90, 1e-9);
          ends.push_back({Num(p[8]), Num(p[9]), Num(p[10]), Num(p[11])});
          // The arc bulges outward: its middle lies beyond its chord's
          // middle, seen from the opening's centre.
          const double mid = (Num(p[6]) + 45) * std::acos(-1.0) / 180;
          const double mx = Num(p[3]) + Num(p[5]) * std::cos(mid), my = Num(p[4]) + Num(p[5]) * std::sin(mid);
          EXPECT_GT(std::hypot(mx - w / 2, my - h / 2),
                    std::hypot((Num(p[8]) + Num(p[10])) / 2 - w / 2, (Num(p[9]) + Num(p[11])) / 2 - h / 2));
        }
      }
      for (const auto& e : ends) {
        minX = std::min({minX, e[0], e[2]});
        maxX = std::max({maxX, e[0], e[2]});
        minY = std::min({minY, e[1], e[3]});
        maxY = std::max({maxY, e[1], e[3]});
      }
      EXPECT_EQ(arcs, r > 0 ? 4u : 0u);
      EXPECT_EQ(lines, r <= 0 ? 4u : r * 2 == std::min(w, h) ? 2u : 4u);
      EXPECT_NEAR(minX, -d, 1e-9);
      EXPECT_NEAR(minY, -d, 1e-9);
      EXPECT_NEAR(maxX, w + d, 1e-9);
      EXPECT_NEAR(maxY, h + d, 1e-9);
      // Each part ends where the next begins, the last where the first begins.
      for (size_t k = 0; k < ends.size(); ++k) {
        const auto& a = ends[k];
        const auto& b = ends[(k + 1) % ends.size()];
        EXPECT_NEAR(a[2], b[0], 1e-9) << k;
        EXPECT_NEAR(a[3], b[1], 1e-9) << k;
      }
    }
    // The grid centred on the opening, major lines every ten.
    if (c.Grid) {
      EXPECT_GT(grid, 0);
      EXPECT_GT(majorGrid, 0);
      EXPECT_TRUE(centreLine);
    } else {
      EXPECT_EQ(grid, 0);
    }
    ASSERT_EQ(texts.size(), t.Name.empty() ? 1u : 2u);
    if (!t.Name.empty()) {
      EXPECT_EQ(texts[0], t.Name);
    }
    std::string size = FormatLength(t.Width) + " x " + FormatLength(t.Height) + " mm";
    if (t.CornerRadius > 0) size += ", R " + FormatLength(t.CornerRadius) + " mm";
    EXPECT_EQ(texts.back(), t.IsRound() ? "\xC3\x98 " + FormatLength(t.Width) + " mm" : size);
  }
}

TEST_F(VectorDrawings, SvgParsesBackWithTheFillsCirclesInScreenColours) {
  for (const TCase& c : Cases()) {
    SCOPED_TRACE(c.Name);
    const TTransit& t = c.Transit;
    const auto& lines = Svg[(Dir / (c.Name + ".svg")).string()];
    ASSERT_FALSE(lines.empty());
    const double w = t.Width / mm + 40, h = t.Height / mm + 40;
    std::ostringstream head;
    head << "svg " << w << "mm " << h << "mm 0 0 " << w << " " << h;
    EXPECT_EQ(lines[0], head.str());
    std::vector<std::array<double, 3>> conduits, expected;
    int coverCount = 0, expectedCovers = 0, gridLines = 0;
    std::vector<std::string> paths;
    for (const std::string& line : lines) {
      const auto v = Words(line);
      if (v[0] == "transform") EXPECT_EQ(line, "transform translate(20 20)");
      else if (v[0] == "path") paths.push_back(line);
      else if (v[0] == "line") ++gridLines;
      else if (v[0] == "rect") EXPECT_EQ(line, "rect " + Hex(TTransitDrawer::FillSystemBackground(t.FillSystem)));
      else if (v[0] == "circle" && v[1] == "conduit") {
        conduits.push_back({Num(v[2]), Num(v[3]), Num(v[4])});
        EXPECT_EQ(v[5] + " " + v[6], "#AFC584 #428358");
      } else if (v[0] == "circle") {
        ++coverCount;
      }
    }
    for (const TFillItem& item : t.FillItems) {
      if (item.CoverCode > ccWrapNoCrusher) continue;
      for (int k = 0; k < item.PlacedCount; ++k) {
        const TPlacedPosition& p = t.PlacedPositions[item.FirstPlaced + k];
        expected.push_back({p.X / mm, p.Y / mm, item.ConduitRadius / mm});
        expectedCovers += static_cast<int>(CoversOf(item).size());
      }
    }
    EXPECT_EQ(conduits, expected);
    EXPECT_EQ(coverCount, expectedCovers);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], "path wall #00C864");
    EXPECT_EQ(gridLines > 0, c.Grid);
  }
  // The fills and outlines of every cover kind.
  const auto& every = Svg[(Dir / "every_code.svg").string()];
  std::map<std::string, int> styles;
  for (const std::string& line : every)
    if (line.rfind("circle cover", 0) == 0) {
      const auto v = Words(line);
      ++styles[v[5] + " " + v[6]];
    }
  const std::map<std::string, int> expectedStyles = {
      {"#A0A0A0 #4B4B4B", 2 * 5 + 2 * 5 * 4},  // sleeve outsides; 4 layers for each of 5 oversize codes
      {"#E8E8E8 #4B4B4B", 2 * 5},              // sleeve insides
      {"#5B94FF #3D49FF", 2},
      {"#DDE9FF #3D49FF", 2},
      {"none #E0E0E0", 2}};
  EXPECT_EQ(styles, expectedStyles);
  EXPECT_NE(std::find(every.begin(), every.end(), "title " + EveryCoverCode().Name + ", 300.00 x 200.00 mm"),
            every.end());
}

TEST(DrawingExport, FormatByExtensionInAnyCase) {
  EXPECT_EQ(DrawingFormatForPath("/tmp/a.png"), TDrawingFormat::Png);
  EXPECT_EQ(DrawingFormatForPath("B.PNG"), TDrawingFormat::Png);
  EXPECT_EQ(DrawingFormatForPath("dir.x/c.Svg"), TDrawingFormat::Svg);
  EXPECT_EQ(DrawingFormatForPath("deck 3.DXF"), TDrawingFormat::Dxf);
  for (const char* bad : {"a.pdf", "noext", "dir.dxf/file", ".dxf.bak"}) {
    try {
      DrawingFormatForPath(bad);
      ADD_FAILURE() << bad;
    } catch (const TError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Unknown drawing file type of ") + bad + ": use .png, .svg or .dxf");
    }
  }
}

TEST(DrawingExport, WritesAtomicallyAndKeepsTheOldFileOnFailure) {
  const fs::path dir = fs::temp_directory_path() / ("trellane_export_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const TTransit t = Filled(RoundGrentaxTransit());
  auto slurp = [](const fs::path& p) {
    std::stringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
    return s.str();
  };
  // Each format replaces an existing file and leaves nothing beside it.
  const fs::path png = dir / "t.png", svg = dir / "t.svg", dxf = dir / "t.dxf";
  for (const fs::path& p : {png, svg, dxf}) std::ofstream(p) << "old";
  ExportTransitDrawing(t, png.string(), TDrawingFormat::Png, 300, 200, true, false);
  ExportTransitDrawing(t, svg.string(), TDrawingFormat::Svg, 0, 0, false, true);
  ExportTransitDrawing(t, dxf.string(), TDrawingFormat::Dxf, 0, 0, false, true);
  TPictureOptions options;
  options.Smooth = true;
  options.Grid = false;
  EXPECT_TRUE(ReadPng(png.string()) == RenderTransitPicture(t, 300, 200, options));
  EXPECT_EQ(slurp(svg), TransitSvg(t, true));
  EXPECT_EQ(slurp(dxf), TransitDxf(t, true));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
  // A target that cannot be replaced (a folder with a file in it) and a
  // missing folder: an error, the folder as it was, no file left over.
  const fs::path busy = dir / "busy.dxf";
  fs::create_directories(busy);
  std::ofstream(busy / "keep") << "keep";
  for (const fs::path& target : {busy, dir / "missing" / "t.svg"}) {
    for (TDrawingFormat format : {TDrawingFormat::Png, TDrawingFormat::Svg, TDrawingFormat::Dxf})
      EXPECT_THROW(ExportTransitDrawing(t, target.string(), format, 100, 100, false, true), TError) << target;
  }
  try {
    ExportTransitDrawing(t, (dir / "missing" / "t.png").string(), TDrawingFormat::Png, 100, 100, false, true);
    ADD_FAILURE() << "no error";
  } catch (const TError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot write " + (dir / "missing" / "t.png").string() + ": ", 0), 0u)
        << e.what();
  }
  EXPECT_EQ(slurp(busy / "keep"), "keep");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4);
  EXPECT_THROW(ExportTransitDrawing(t, png.string(), TDrawingFormat::Png, 0, 100, false, true), TError);
  fs::remove_all(dir);
}

TEST(DrawingExport, DxfTextInTheDrawingsCodePage) {
  EXPECT_EQ(TDxfWriter::TextValue("Deck \xE2\x82\xAC 3\n\xC3\xA9\xCE\xA9\xF0\x9F\x98\x80\xFF"),
            "Deck \x80 3 \xE9\\U+03A9??");
}

TEST(DrawingExport, DxfSizeTextInInches) {
  TUnitGuard guard;
  CurrentLengthUnit = luInch;
  const TTransit t = Filled(MakeTransit(fsKova, ctCables, clA, 254, 127, 0, 200));
  const std::string dxf = TransitDxf(t, true);
  EXPECT_NE(dxf.find("\n  1\n10.0000 x 5.0000 inch\n"), std::string::npos);
}
