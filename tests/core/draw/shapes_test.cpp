// Painted shapes checked cell by cell against the written cell rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/draw/bitmap.h"

namespace {

constexpr TColour Back = 0x102030, Pen = 0xFF0000, Brush = 0x00FF00;

bool RefRect(int64_t l, int64_t t, int64_t r, int64_t b, int64_t x, int64_t y) {
  return l <= x && x < r && t <= y && y < b;
}

bool RefDisc(int64_t l, int64_t t, int64_t r, int64_t b, int64_t x, int64_t y) {
  const int64_t w = r - l, h = b - t;
  if (w <= 0 || h <= 0) return false;
  const int64_t dx = 2 * x + 1 - l - r, dy = 2 * y + 1 - t - b;
  return dx * dx * h * h + dy * dy * w * w <= w * w * h * h;
}

bool RefRoundRect(int64_t l, int64_t t, int64_t r, int64_t b, int64_t C, int64_t x, int64_t y) {
  if (!RefRect(l, t, r, b, x, y)) return false;
  if (C <= 0) return true;
  const int64_t c = std::min({C, r - l, b - t});
  return (2 * l + c <= 2 * x + 1 && 2 * x + 1 <= 2 * r - c) || (2 * t + c <= 2 * y + 1 && 2 * y + 1 <= 2 * b - c) ||
         RefDisc(l, t, l + c, t + c, x, y) || RefDisc(r - c, t, r, t + c, x, y) ||
         RefDisc(l, b - c, l + c, b, x, y) || RefDisc(r - c, b - c, r, b, x, y);
}

struct TSurface {
  TBitmap Bitmap{40, 32};
  TBitmapCanvas Canvas{Bitmap};
  TSurface() {
    Bitmap.Fill(Back);
    Canvas.SetPen(Pen, 1);
    Canvas.SetBrush(Brush);
  }
  template <class F>
  void Expect(F expected, const char* what) {
    for (int y = 0; y < Bitmap.Height(); ++y)
      for (int x = 0; x < Bitmap.Width(); ++x)
        ASSERT_EQ(Bitmap.Pixel(x, y), expected(x, y)) << what << " at cell " << x << "," << y;
  }
};

// Boxes inside, across the edges and degenerate.
const std::vector<std::vector<int>> kBoxes = {
    {5, 4, 25, 24}, {0, 0, 4, 4}, {3, 2, 30, 11}, {-6, -5, 9, 12}, {28, 20, 47, 41}, {10, 10, 11, 11},
    {10, 10, 12, 17}, {7, 7, 7, 20}, {9, 9, 5, 20}, {2, 3, 39, 30}, {12, 6, 21, 15}};

}  // namespace

TEST(Shapes, FilledBoxAndWorkedDiscChecks) {
  for (const auto& b : kBoxes) {
    TSurface s;
    s.Canvas.FillRect(b[0], b[1], b[2], b[3]);
    s.Expect([&](int x, int y) { return RefRect(b[0], b[1], b[2], b[3], x, y) ? Brush : Back; }, "box");
  }
  // The disc (0, 0, 4, 4) covers all but its four corner cells.
  TSurface s;
  s.Canvas.SetPen(Brush, 1);
  s.Canvas.Ellipse(0, 0, 4, 4);
  int covered = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) covered += s.Bitmap.Pixel(x, y) == Brush;
  EXPECT_EQ(covered, 12);
  EXPECT_EQ(s.Bitmap.Pixel(0, 0), Back);
  EXPECT_EQ(s.Bitmap.Pixel(3, 3), Back);
  // A placed circle of radius 10 spans 2 d + 1 = 39 columns of its centre row.
  TBitmap wide(100, 60);
  wide.Fill(Back);
  TBitmapCanvas canvas(wide);
  canvas.SetPen(Pen, 1);
  canvas.SetBrush(Brush);
  const int X = 50, Y = 30, d = 19;
  canvas.Ellipse(X - d, Y - d, X + d + 1, Y + d + 1);
  EXPECT_EQ(wide.Pixel(X - d - 1, Y), Back);
  EXPECT_EQ(wide.Pixel(X - d, Y), Pen);
  EXPECT_EQ(wide.Pixel(X + d, Y), Pen);
  EXPECT_EQ(wide.Pixel(X + d + 1, Y), Back);
  EXPECT_EQ(wide.Pixel(X - d + 1, Y), Brush);
}

TEST(Shapes, OutlinedDiscsAndRectangles) {
  for (int p : {1, 2, 3, 5}) {
    for (bool clear : {false, true}) {
      for (const auto& b : kBoxes) {
        const int l = b[0], t = b[1], r = b[2], bt = b[3];
        auto expected = [&](auto inside, int x, int y) {
          if (!inside(l, t, r, bt, x, y)) return Back;
          if (!inside(l + p, t + p, r - p, bt - p, x, y)) return Pen;
          return clear ? Back : Brush;
        };
        TSurface disc;
        disc.Canvas.SetPen(Pen, p);
        if (clear) disc.Canvas.ClearBrush();
        disc.Canvas.Ellipse(l, t, r, bt);
        disc.Expect([&](int x, int y) { return expected(RefDisc, x, y); }, "ellipse");

        TSurface rect;
        rect.Canvas.SetPen(Pen, p);
        if (clear) rect.Canvas.ClearBrush();
        rect.Canvas.Rectangle(l, t, r, bt);
        rect.Expect([&](int x, int y) { return expected(RefRect, x, y); }, "rectangle");

        for (int c : {0, 6, 11, 60}) {
          TSurface round;
          round.Canvas.SetPen(Pen, p);
          if (clear) round.Canvas.ClearBrush();
          round.Canvas.RoundRect(l, t, r, bt, c);
          round.Expect(
              [&](int x, int y) {
                if (!RefRoundRect(l, t, r, bt, c, x, y)) return Back;
                if (!RefRoundRect(l + p, t + p, r - p, bt - p, c - 2 * p, x, y)) return Pen;
                return clear ? Back : Brush;
              },
              "rounded rectangle");
        }
      }
    }
  }
}

TEST(Shapes, StraightLinesCoverACentredBandWithBothEnds) {
  for (int p : {1, 2, 3, 4, 6}) {
    const int lo = -(p - 1) / 2, hi = p / 2;  // even widths: the extra cell right or below
    TSurface h;
    h.Canvas.SetPen(Pen, p);
    h.Canvas.MoveTo(30, 10);
    h.Canvas.LineTo(4, 10);  // drawn right to left
    h.Expect([&](int x, int y) { return x >= 4 && x <= 30 && y >= 10 + lo && y <= 10 + hi ? Pen : Back; },
             "horizontal line");
    TSurface v;
    v.Canvas.SetPen(Pen, p);
    v.Canvas.MoveTo(0, -3);
    v.Canvas.LineTo(0, 40);  // clipped at both ends and on the left
    v.Expect([&](int x, int) { return x >= lo && x <= hi ? Pen : Back; }, "vertical line");
  }
  // The current position follows the line: a closed frame of four lines.
  TSurface f;
  f.Canvas.SetPen(Pen, 1);
  f.Canvas.MoveTo(2, 3);
  f.Canvas.LineTo(20, 3);
  f.Canvas.LineTo(20, 15);
  f.Canvas.LineTo(2, 15);
  f.Canvas.LineTo(2, 3);
  f.Expect(
      [](int x, int y) {
        const bool edge = ((y == 3 || y == 15) && x >= 2 && x <= 20) || ((x == 2 || x == 20) && y >= 3 && y <= 15);
        return edge ? Pen : Back;
      },
      "frame");
}

TEST(Shapes, SlantedLineJoinsItsEnds) {
  TSurface s;
  s.Canvas.SetPen(Pen, 1);
  s.Canvas.MoveTo(1, 1);
  s.Canvas.LineTo(31, 11);
  EXPECT_EQ(s.Bitmap.Pixel(1, 1), Pen);
  EXPECT_EQ(s.Bitmap.Pixel(31, 11), Pen);
  // One cell per column, each row reached.
  for (int x = 1; x <= 31; ++x) {
    int n = 0;
    for (int y = 0; y < s.Bitmap.Height(); ++y) n += s.Bitmap.Pixel(x, y) == Pen;
    EXPECT_EQ(n, 1) << x;
  }
  // Far-away ends: only the part across the bitmap is stepped through.
  TSurface far;
  far.Canvas.SetPen(Pen, 1);
  far.Canvas.MoveTo(-2000000000, -2000000000);
  far.Canvas.LineTo(2000000000, 2000000000);
  far.Expect([](int x, int y) { return x == y ? Pen : Back; }, "diagonal");
}

TEST(Shapes, QuarterArcBands) {
  // Centre at a cell corner or a cell centre, odd and even pens, each quarter.
  struct TCase {
    double cx, cy, q;
    int p;
  };
  for (const TCase& c : {TCase{20, 16, 8, 4}, TCase{20, 16, 9.5, 5}, TCase{20.5, 15.5, 7, 3}, TCase{19, 17, 3.5, 7},
                         TCase{20, 16, 12, 1}, TCase{2, 3, 10.5, 3}}) {
    // Quarters as start and end ray directions (screen y down), counter-clockwise.
    const int rays[4][4] = {{1, 0, 0, -1}, {0, -1, -1, 0}, {-1, 0, 0, 1}, {0, 1, 1, 0}};
    for (int k = 0; k < 4; ++k) {
      const int* ray = rays[k];
      TSurface s;
      s.Canvas.SetPen(Pen, c.p);
      s.Canvas.Arc(c.cx - c.q, c.cy - c.q, c.cx + c.q, c.cy + c.q, c.cx + ray[0] * c.q, c.cy + ray[1] * c.q,
                   c.cx + ray[2] * c.q, c.cy + ray[3] * c.q);
      s.Expect(
          [&](int x, int y) {
            const double dx = x + 0.5 - c.cx, dy = y + 0.5 - c.cy;
            // Within the quarter: on the sides of both rays, the rays included.
            const double sx = ray[0] + ray[2], sy = ray[1] + ray[3];
            if (dx * sx < 0 || dy * sy < 0) return Back;
            const double d2 = dx * dx + dy * dy;
            const double inner = std::max(0.0, c.q - c.p / 2.0), outer = c.q + c.p / 2.0;
            return d2 >= inner * inner && d2 <= outer * outer ? Pen : Back;
          },
          "arc");
    }
  }
}

TEST(Shapes, ArcsOfHalfCirclesAndWholeCircles) {
  // From east counter-clockwise to west: the upper half.
  TSurface half;
  half.Canvas.SetPen(Pen, 2);
  half.Canvas.Arc(10, 6, 30, 26, 30, 16, 10, 16);
  // Start and end rays the same: the whole circle.
  TSurface whole;
  whole.Canvas.SetPen(Pen, 2);
  whole.Canvas.Arc(10, 6, 30, 26, 30, 16, 30, 16);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 40; ++x) {
      const double dx = x + 0.5 - 20, dy = y + 0.5 - 16, d2 = dx * dx + dy * dy;
      const bool band = d2 >= 81 && d2 <= 121;
      ASSERT_EQ(whole.Bitmap.Pixel(x, y), band ? Pen : Back) << x << "," << y;
      ASSERT_EQ(half.Bitmap.Pixel(x, y), band && dy < 0 ? Pen : Back) << x << "," << y;
    }
}
