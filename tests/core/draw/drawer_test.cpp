#include <gtest/gtest.h>

#include <cmath>

#include "core/draw/transitdrawer.h"
#include "core/draw/wmf.h"
#include "core/errors.h"
#include "core/units.h"
#include "draw/wmf_reader.h"

namespace {

constexpr double mm = 1000;

TTransit Opening(double w, double h, double radius) {
  TTransit t;
  t.Width = w;
  t.Height = h;
  t.CornerRadius = radius;
  return t;
}

struct TUnitGuard {
  TLengthUnit Saved = CurrentLengthUnit;
  ~TUnitGuard() { CurrentLengthUnit = Saved; }
};

// The ellipse boxes a drawing records, in pixels.
std::vector<std::array<int, 4>> RecordedEllipses(const TTransitDrawer& drawer) {
  TWmfCanvas canvas(drawer.ImageWidth, drawer.ImageHeight);
  drawer.Draw(canvas);
  std::vector<std::array<int, 4>> boxes;
  for (const TWmfRecord& r : ReadWmf(canvas.Finish()).Records)
    if (r.Function == wmf::RecEllipse)
      boxes.push_back({r.Params[3] / 2, r.Params[2] / 2, r.Params[1] / 2, r.Params[0] / 2});
  return boxes;
}

}  // namespace

TEST(TransitDrawer, FitsThePictureIntoTheAvailableArea) {
  const TTransit t = Opening(100 * mm, 100 * mm, 10 * mm);
  TTransitDrawer d(t);
  d.SetSize(280, 400);
  EXPECT_DOUBLE_EQ(d.Scale, 280 / (140 * mm));
  EXPECT_EQ(d.ImageWidth, 280);
  EXPECT_EQ(d.ImageHeight, 280);
  EXPECT_EQ(d.WallPx, 20);
  EXPECT_EQ(d.MarginPx, 20);
  EXPECT_EQ(d.OriginOffset(), 40);

  d.SetSize(400, 200);  // the height limits the picture
  EXPECT_DOUBLE_EQ(d.Scale, 200 / (140 * mm));
  EXPECT_EQ(d.ImageWidth, 200);
  EXPECT_EQ(d.ImageHeight, 200);

  d.Zoom(4);
  EXPECT_EQ(d.ImageWidth, 800);
  EXPECT_EQ(d.ImageHeight, 800);
  EXPECT_EQ(d.WallPx, 4 * 14);
  EXPECT_EQ(d.OriginOffset(), 4 * 28);
  EXPECT_DOUBLE_EQ(d.Scale, 800 / (140 * mm));
  EXPECT_EQ(d.ConduitPenWidth, 2);  // pens keep their width

  // A wide opening: the height follows the width, rounded.
  const TTransit wide = Opening(600 * mm, 400 * mm, 0);
  TTransitDrawer w(wide);
  w.SetSize(1000, 1000);
  EXPECT_EQ(w.ImageWidth, 1000);
  EXPECT_EQ(w.ImageHeight, static_cast<int>(440 * 1000 / 640.0 + 0.5));
}

TEST(TransitDrawer, ColourSchemesAndBackgrounds) {
  const TTransit t = Opening(100 * mm, 100 * mm, 0);
  TTransitDrawer d(t);
  EXPECT_EQ(d.ConduitPenWidth, 2);  // the constructor picks the supersampling colours
  EXPECT_EQ(d.ConduitOutlineColour, 0x004000u);
  EXPECT_EQ(d.MajorGridColour, 0x404040u);
  EXPECT_EQ(d.MinorGridColour, 0xA0A0A0u);
  EXPECT_EQ(d.SleeveOutlineColour, 0x000000u);
  EXPECT_EQ(d.PravenOutlineColour, 0x0000FFu);
  EXPECT_EQ(d.ClearanceRingColour, 0xD0D0D0u);
  EXPECT_EQ(d.OutlineColour, 0x00C864u);
  EXPECT_TRUE(d.GridInFront);
  EXPECT_EQ(d.GridLineWidth, 1);
  d.SetColourScheme(true);
  EXPECT_EQ(d.ConduitPenWidth, 1);
  EXPECT_EQ(d.ConduitOutlineColour, 0x428358u);
  EXPECT_EQ(d.MajorGridColour, 0xBEBEBEu);
  EXPECT_EQ(d.MinorGridColour, 0xD6D6D6u);
  EXPECT_EQ(d.SleeveOutlineColour, 0x4B4B4Bu);
  EXPECT_EQ(d.PravenOutlineColour, 0x3D49FFu);
  EXPECT_EQ(d.ClearanceRingColour, 0xE0E0E0u);

  EXPECT_EQ(TTransitDrawer::FillSystemBackground(fsKova), 0xE8E8E8u);
  EXPECT_EQ(TTransitDrawer::FillSystemBackground(fsGrentax), 0xFFDCCCu);
  EXPECT_EQ(TTransitDrawer::FillSystemBackground(fsKovaMoxel), 0xFFDCCCu);
  EXPECT_EQ(TTransitDrawer::FillSystemBackground(fsDusmera), 0xD4EBF3u);
  EXPECT_EQ(TTransitDrawer::FillSystemBackground(fsPraven), 0xCBE4FFu);
  EXPECT_EQ(TTransitDrawer::FillSystemBackground(static_cast<TFillSystem>(9)), 0xFFFFFFu);
}

TEST(TransitDrawer, WallBandHugsTheOpeningAndItsCorners) {
  for (double radius : {0.0, 20 * mm, 50 * mm}) {
    for (int size : {203, 260}) {  // odd and even wall widths
      const TTransit t = Opening(100 * mm, 100 * mm, radius);
      TTransitDrawer d(t);
      d.SetSize(size, size);
      d.GridLineWidth = 0;
      TBitmap bitmap(d.ImageWidth, d.ImageHeight);
      bitmap.Fill(0xFFFFFF);
      TBitmapCanvas canvas(bitmap);
      d.Draw(canvas);
      const int o = d.OriginOffset(), w = d.WallPx;
      const int ow = static_cast<int>(t.Width * d.Scale), oh = static_cast<int>(t.Height * d.Scale);
      const int rad = static_cast<int>(radius * d.Scale);
      for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
          bool wall;
          // Corner centres and whether the cell lies in a corner square.
          const double cx = x < o + rad ? o + rad : o + ow - rad, cy = y < o + rad ? o + rad : o + oh - rad;
          const bool inCorner = rad > 0 && (x < o + rad || x >= o + ow - rad) && (y < o + rad || y >= o + oh - rad);
          if (inCorner) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d2 = dx * dx + dy * dy;
            wall = d2 >= double(rad) * rad && d2 <= double(rad + w) * (rad + w);
          } else {
            const bool outer = x >= o - w && x < o + ow + w && y >= o - w && y < o + oh + w;
            const bool opening = x >= o && x < o + ow && y >= o && y < o + oh;
            wall = outer && !opening;
          }
          ASSERT_EQ(bitmap.Pixel(x, y), wall ? 0x00C864u : 0xFFFFFFu)
              << "radius " << radius << " size " << size << " cell " << x << "," << y;
        }
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
  for (const TCase& c : {TCase{luMillimetre, 100 * mm, 10 * mm, 10}, TCase{luInch, 300 * mm, 25.4 * mm, 12},
                         TCase{luMillimetre, 3000 * mm, 100 * mm, 10}, TCase{luInch, 3000 * mm, 304.8 * mm, 3}}) {
    CurrentLengthUnit = c.unit;
    const TTransit t = Opening(c.size, c.size * 0.75, 0);
    TTransitDrawer d(t);
    d.SetSize(400, 400);
    d.SetColourScheme(true);
    TBitmap bitmap(d.ImageWidth, d.ImageHeight);
    bitmap.Fill(0xFFFFFF);
    TBitmapCanvas canvas(bitmap);
    d.Draw(canvas);  // grid in front: every line reaches the edges
    const int o = d.OriginOffset();
    const int n = static_cast<int>(std::ceil(d.ImageWidth / (2 * c.spacing * d.Scale)));
    int majors = 0;
    for (int i = -n; i <= n; ++i) {
      const int x = static_cast<int>(std::trunc((t.Width / 2 + i * c.spacing) * d.Scale)) + o;
      if (x < 0 || x >= d.ImageWidth) continue;
      const bool major = i % c.major == 0;
      majors += major;
      // The top row shows which line was drawn last in that column.
      const int next = static_cast<int>(std::trunc((t.Width / 2 + (i + 1) * c.spacing) * d.Scale)) + o;
      if (next != x) {
        EXPECT_EQ(bitmap.Pixel(x, 0), major ? d.MajorGridColour : d.MinorGridColour) << i;
      }
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
  TBitmap bitmap(d.ImageWidth, d.ImageHeight);
  TBitmapCanvas canvas(bitmap);
  try {
    d.Draw(canvas);
    FAIL() << "no error";
  } catch (const TError& e) {
    EXPECT_STREQ(e.what(), "Unknown length-unit");
  }
  d.GridLineWidth = 0;  // no grid, no unit needed
  EXPECT_NO_THROW(d.Draw(canvas));
}

TEST(TransitDrawer, ConcentricDiscsOfALayeredPipe) {
  TTransit t = Opening(200 * mm, 200 * mm, 0);
  TFillItem item;
  item.CoverCode = ccOversizePlasticPipe;
  item.ConduitDiameter = 45 * mm;
  item.ConduitRadius = 22.5 * mm;
  item.OuterRadius = 32.5 * mm;
  item.InnerRadius = 22.5 * mm;
  item.PlacedCount = 1;
  t.FillItems.push_back(item);
  t.PlacedPositions.push_back({100 * mm, 80 * mm});
  TTransitDrawer d(t);
  d.SetSize(480, 480);  // 2 pixels per millimetre
  d.GridLineWidth = 0;
  const auto boxes = RecordedEllipses(d);
  ASSERT_EQ(boxes.size(), 6u);
  const int cx = 200 + d.OriginOffset(), cy = 160 + d.OriginOffset();
  const int radii[] = {65, 60, 55, 50, 45, 45};  // 32.5 .. 22.5 mm, then the pipe
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(boxes[i], (std::array<int, 4>{cx - radii[i], cy - radii[i], cx + radii[i] + 1, cy + radii[i] + 1}))
        << i;

  // Unknown codes are skipped, and an item draws only its placed positions.
  t.FillItems[0].CoverCode = static_cast<TCoverCode>(13);
  EXPECT_TRUE(RecordedEllipses(d).empty());
  t.FillItems[0].CoverCode = ccKovaCableSleeve;
  t.FillItems[0].PlacedCount = 0;
  EXPECT_TRUE(RecordedEllipses(d).empty());
  t.FillItems.clear();
  EXPECT_TRUE(RecordedEllipses(d).empty());
}

TEST(ReduceBitmap, RoundedMeanOfEachBlock) {
  // Half white and half black: (2040 + 8) / 16 = 128.
  TBitmap big(4, 4), small;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) big.SetPixel(x, y, y < 2 ? 0xFFFFFF : 0x000000);
  ReduceBitmap(big, small, 4);
  ASSERT_EQ(small.Width(), 1);
  ASSERT_EQ(small.Height(), 1);
  EXPECT_EQ(small.Pixel(0, 0), 0x808080u);

  // Any factor, sizes rounded down, each channel on its own.
  TBitmap source(11, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 11; ++x) source.SetPixel(x, y, MakeColour(x * 23 % 256, y * 31 % 256, (x * y * 7) % 256));
  for (int k : {1, 2, 3, 4}) {
    TBitmap out;
    ReduceBitmap(source, out, k);
    ASSERT_EQ(out.Width(), 11 / k);
    ASSERT_EQ(out.Height(), 8 / k);
    for (int y = 0; y < out.Height(); ++y)
      for (int x = 0; x < out.Width(); ++x) {
        unsigned sum[3] = {0, 0, 0};
        for (int j = 0; j < k; ++j)
          for (int i = 0; i < k; ++i) {
            const TColour c = source.Pixel(x * k + i, y * k + j);
            sum[0] += RedOf(c);
            sum[1] += GreenOf(c);
            sum[2] += BlueOf(c);
          }
        const unsigned a = k * k;
        EXPECT_EQ(out.Pixel(x, y), MakeColour((sum[0] + a / 2) / a, (sum[1] + a / 2) / a, (sum[2] + a / 2) / a))
            << k << " " << x << "," << y;
      }
  }
  // Into itself.
  TBitmap self = source;
  ReduceBitmap(self, self, 2);
  TBitmap expected;
  ReduceBitmap(source, expected, 2);
  EXPECT_TRUE(self == expected);
}
