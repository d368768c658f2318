// The drawer's layout, wall and grid; whole pictures against stored PNG files;
// the report's metafile played back onto a bitmap against direct drawing.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <set>

#include "cli/transit_json.h"
#include "core/advice.h"
#include "core/draw/picture.h"
#include "core/draw/png.h"
#include "core/errors.h"
#include "core/units.h"
#include "reports/wmfplayer.h"

namespace {

constexpr double mm = 1000;

struct TUnitGuard {
  TLengthUnit Saved = CurrentLengthUnit;
  ~TUnitGuard() { CurrentLengthUnit = Saved; }
};

TTransit Opening(double w, double h, double radius) {
  TTransit t;
  t.Width = w;
  t.Height = h;
  t.CornerRadius = radius;
  return t;
}

TBitmap Drawn(const TTransitDrawer& d) {
  TBitmap bitmap(d.ImageWidth, d.ImageHeight);
  bitmap.Fill(0xFFFFFF);
  TBitmapCanvas canvas(bitmap);
  d.Draw(canvas);
  return bitmap;
}

// The ellipse boxes a drawing records, in pixels.
std::vector<std::array<int, 4>> RecordedEllipses(const TTransitDrawer& drawer) {
  TWmfCanvas canvas(drawer.ImageWidth, drawer.ImageHeight);
  drawer.Draw(canvas);
  std::vector<std::array<int, 4>> boxes;
  for (const TWmfRecord& r : ReadWmf(canvas.Finish()).Records)
    if (r.Function == wmf::RecEllipse) {
      const auto& p = r.Params;
      boxes.push_back({p[3] / 2, p[2] / 2, p[1] / 2, p[0] / 2});
    }
  return boxes;
}

}  // namespace

TEST(TransitDrawer, FitsThePictureIntoTheAvailableArea) {
  const TTransit t = Opening(100 * mm, 100 * mm, 10 * mm), wide = Opening(600 * mm, 400 * mm, 0);
  TTransitDrawer d(t), w(wide);
  d.SetSize(280, 400);
  EXPECT_DOUBLE_EQ(d.Scale, 280 / (140 * mm));
  EXPECT_EQ(d.ImageHeight, 280);
  EXPECT_EQ(d.WallPx, 20);
  EXPECT_EQ(d.OriginOffset(), 40);
  d.SetSize(400, 200);  // the height limits the picture
  EXPECT_DOUBLE_EQ(d.Scale, 200 / (140 * mm));
  EXPECT_EQ(d.ImageWidth, 200);
  d.Zoom(4);
  EXPECT_EQ(d.ImageWidth, 800);
  EXPECT_EQ(d.ImageHeight, 800);
  EXPECT_EQ(d.OriginOffset(), 4 * 28);
  EXPECT_DOUBLE_EQ(d.Scale, 800 / (140 * mm));
  // A wide opening: the height follows the width, rounded.
  w.SetSize(1000, 1000);
  EXPECT_EQ(w.ImageWidth, 1000);
  EXPECT_EQ(w.ImageHeight, static_cast<int>(440 * 1000 / 640.0 + 0.5));
}

TEST(TransitDrawer, WallBandHugsTheOpeningAndItsCorners) {
  for (double radius : {0.0, 20 * mm, 50 * mm})
    for (int size : {203, 260}) {  // odd and even wall widths
      SCOPED_TRACE(std::to_string(radius) + " " + std::to_string(size));
      const TTransit t = Opening(100 * mm, 100 * mm, radius);
      TTransitDrawer d(t);
      d.SetSize(size, size);
      d.GridLineWidth = 0;
      const TBitmap bitmap = Drawn(d);
      const int o = d.OriginOffset(), w = d.WallPx, side = static_cast<int>(t.Width * d.Scale);
      const int rad = static_cast<int>(radius * d.Scale), lo = o + rad, hi = o + side - rad;
      for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
          auto in = [&](int a, int b) { return x >= a && x < b && y >= a && y < b; };
          bool wall = in(o - w, o + side + w) && !in(o, o + side);
          if (rad > 0 && (x < lo || x >= hi) && (y < lo || y >= hi)) {  // a corner square: a quarter ring
            const double dx = x + 0.5 - (x < lo ? lo : hi), dy = y + 0.5 - (y < lo ? lo : hi);
            const double d2 = dx * dx + dy * dy;
            wall = d2 >= double(rad) * rad && d2 <= double(rad + w) * (rad + w);
          }
          ASSERT_EQ(bitmap.Pixel(x, y), wall ? 0x00C864u : 0xFFFFFFu) << x << "," << y;
        }
    }
}

TEST(TransitDrawer, GridLinesInMillimetresAndInches) {
  TUnitGuard guard;
  struct TCase {
    TLengthUnit unit;
    double size, spacing;
    int major;
  };
  for (const TCase& c : {TCase{luMillimetre, 100 * mm, 10 * mm, 10}, {luInch, 300 * mm, 25.4 * mm, 12},
                         {luMillimetre, 3000 * mm, 100 * mm, 10}, {luInch, 3000 * mm, 304.8 * mm, 3}}) {
    CurrentLengthUnit = c.unit;
    const TTransit t = Opening(c.size, c.size * 0.75, 0);
    TTransitDrawer d(t);
    d.SetSize(400, 400);
    d.SetColourScheme(true);
    const TBitmap bitmap = Drawn(d);  // grid in front: every line reaches the edges
    const int n = static_cast<int>(std::ceil(d.ImageWidth / (2 * c.spacing * d.Scale))), o = d.OriginOffset();
    auto column = [&](int i) { return int(std::trunc((t.Width / 2 + i * c.spacing) * d.Scale)) + o; };
    int majors = 0;
    for (int i = -n; i <= n; ++i) {
      const int x = column(i);
      // The top row shows the last line drawn in a column.
      if (x < 0 || x >= d.ImageWidth || column(i + 1) == x) continue;
      majors += i % c.major == 0;
      EXPECT_EQ(bitmap.Pixel(x, 0), i % c.major == 0 ? d.MajorGridColour : d.MinorGridColour) << i;
    }
    EXPECT_GE(majors, 1);
    // A horizontal line through the middle of the opening is a major line.
    const int ymid = static_cast<int>(std::trunc(t.Height / 2 * d.Scale)) + o;
    EXPECT_EQ(bitmap.Pixel(1, ymid), d.MajorGridColour);
    EXPECT_EQ(bitmap.Pixel(d.ImageWidth - 1, ymid), d.MajorGridColour);
  }
  CurrentLengthUnit = static_cast<TLengthUnit>(7);
  const TTransit t = Opening(100 * mm, 100 * mm, 0);
  TTransitDrawer d(t);
  d.SetSize(100, 100);
  try {
    Drawn(d);
    FAIL() << "no error";
  } catch (const TError& e) {
    EXPECT_STREQ(e.what(), "Unknown length-unit");
  }
  d.GridLineWidth = 0;  // no grid, no unit needed
  EXPECT_NO_THROW(Drawn(d));
}

TEST(TransitDrawer, ConcentricDiscsOfALayeredPipe) {
  TTransit t = Opening(200 * mm, 200 * mm, 0);
  TFillItem item;
  item.CoverCode = ccOversizePlasticPipe;
  item.ConduitRadius = item.InnerRadius = 22.5 * mm;
  item.OuterRadius = 32.5 * mm;
  item.PlacedCount = 1;
  t.FillItems.push_back(item);
  t.PlacedPositions.push_back({100 * mm, 80 * mm});
  TTransitDrawer d(t);
  d.SetSize(480, 480);  // 2 pixels per millimetre
  d.GridLineWidth = 0;
  const int cx = 200 + d.OriginOffset(), cy = 160 + d.OriginOffset();
  std::vector<std::array<int, 4>> expected;
  for (int r : {65, 60, 55, 50, 45, 45}) expected.push_back({cx - r, cy - r, cx + r + 1, cy + r + 1});
  EXPECT_EQ(RecordedEllipses(d), expected);  // 32.5 .. 22.5 mm in steps of 2.5 mm, then the pipe
  // Unknown codes are skipped, and an item draws only its placed positions.
  t.FillItems[0].CoverCode = static_cast<TCoverCode>(13);
  EXPECT_TRUE(RecordedEllipses(d).empty());
  t.FillItems[0].CoverCode = ccKovaCableSleeve;
  t.FillItems[0].PlacedCount = 0;
  EXPECT_TRUE(RecordedEllipses(d).empty());
}

namespace {
struct TPictureCase {
  const char* Name;
  TLengthUnit Unit;
  bool Smooth, Grid;
  int Width, Height;
};

// Transits read from data/NAME.json, pictures stored as data/NAME.png.
// Together they show every cover code, round and rectangular openings, both
// units, grid on and off, quick and smooth drawing, the warning's wall.
const TPictureCase kCases[] = {
    {"kova_cables", luMillimetre, false, true, 240, 180},
    {"kova_plastic_inch", luInch, false, true, 240, 180},
    {"kova_metal_h_smooth", luMillimetre, true, false, 240, 180},
    {"praven_smooth", luMillimetre, true, true, 240, 180},
    {"grentax_multi_inch_smooth", luInch, true, true, 240, 180},
    {"grentax_single", luMillimetre, false, true, 200, 200},
    {"moxel_wrap_round", luMillimetre, true, true, 200, 200},
    {"moxel_no_crusher_warning", luInch, false, true, 200, 200},
    {"dusmera_round_large", luInch, false, true, 200, 200},
};
}  // namespace

// The editor's picture against its stored file; the report's metafile, read
// back and played onto a bitmap, against the same picture drawn directly.
TEST(Pictures, StoredFilesAndReportPlayback) {
  TUnitGuard guard;
  // Set TRELLANE_WRITE_PICTURES=1 to write the files anew after an intended change.
  const bool write = std::getenv("TRELLANE_WRITE_PICTURES") != nullptr;
  std::set<int> codes;
  for (const TPictureCase& c : kCases) {
    CurrentLengthUnit = c.Unit;
    const std::string base = std::string(TRELLANE_DRAW_TEST_DATA) + "/" + c.Name;
    TTransit t = ReadTransitFile(base + ".json");
    ValidateSortFill(t);
    for (const TFillItem& item : t.FillItems)
      if (item.PlacedCount > 0) codes.insert(item.CoverCode);
    const TPictureOptions options{c.Smooth, c.Grid, !ComputeWarnings(t).Warning.empty(), true};
    TBitmap picture, work;
    const TPictureGeometry g = RenderTransitPicture(t, c.Width, c.Height, options, picture, work);
    if (write) WritePng(picture, base + ".png");
    EXPECT_TRUE(picture == ReadPng(base + ".png")) << c.Name;
    // The geometry is the picture's own, not that of the larger smooth drawing.
    TTransitDrawer d(t);
    d.SetSize(c.Width, c.Height);
    EXPECT_EQ(g.OriginOffset, d.OriginOffset()) << c.Name;
    EXPECT_DOUBLE_EQ(g.Scale, d.Scale) << c.Name;

    for (bool grid : {true, false}) {
      auto image = MakeReportPicture(t, 700, 700, grid);
      const int w = image->Width, h = image->Height;
      d.SetSize(700, 700);
      d.SetColourScheme(true);
      d.GridInFront = false;
      d.GridLineWidth = grid ? 6 : 0;
      TBitmap direct = Drawn(d), played(w, h);
      TBitmapCanvas dc(direct), pc(played);
      dc.SetPen(0, 6);  // the report's black frame
      dc.MoveTo(0, 0);
      for (auto [x, y] : {std::pair{w - 10, 0}, {w - 10, h - 10}, {0, h - 10}, {0, 0}}) dc.LineTo(x, y);
      played.Fill(0xFFFFFF);
      TCanvasWmfPainter painter(pc);
      PlayWmf(ReadWmf(image->Metafile()), painter, w, h, true);
      EXPECT_TRUE(direct == played) << c.Name << " grid " << grid;
    }
  }
  EXPECT_EQ(codes.size(), 13u) << "every cover code drawn";
  EXPECT_THROW(ReadPng(std::string(TRELLANE_DRAW_TEST_DATA) + "/missing.png"), TError);
}
