// Painted shapes checked cell by cell against the written cell rules, and the
// box-filter reduction of a supersampled picture.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/draw/transitdrawer.h"

namespace {

constexpr TColour Back = 0x102030, Pen = 0xFF0000, Brush = 0x00FF00;

// The cell rules: k = -2 an ellipse, -1 or 0 a rectangle, else a rectangle with corners of size k.
bool Inside(int64_t k, int64_t l, int64_t t, int64_t r, int64_t b, int64_t x, int64_t y) {
  if (k == -2) {
    const int64_t w = r - l, h = b - t, dx = 2 * x + 1 - l - r, dy = 2 * y + 1 - t - b;
    return w > 0 && h > 0 && dx * dx * h * h + dy * dy * w * w <= w * w * h * h;
  }
  if (x < l || x >= r || y < t || y >= b) return false;
  const int64_t c = std::min({k, r - l, b - t}), X = 2 * x + 1, Y = 2 * y + 1;
  if (c <= 0 || (2 * l + c <= X && X <= 2 * r - c) || (2 * t + c <= Y && Y <= 2 * b - c)) return true;
  return Inside(-2, l, t, l + c, t + c, x, y) || Inside(-2, r - c, t, r, t + c, x, y) ||
         Inside(-2, l, b - c, l + c, b, x, y) || Inside(-2, r - c, b - c, r, b, x, y);
}

struct TSurface {
  TBitmap Bitmap{40, 32};
  TBitmapCanvas Canvas{Bitmap};
  explicit TSurface(int pen = 1, bool clear = false) {
    Bitmap.Fill(Back);
    Canvas.SetPen(Pen, pen);
    Canvas.SetBrush(Brush);
    if (clear) Canvas.ClearBrush();
  }
  template <class F>
  void Expect(F expected, const std::string& what) {
    for (int y = 0; y < Bitmap.Height(); ++y)
      for (int x = 0; x < Bitmap.Width(); ++x)
        ASSERT_EQ(Bitmap.Pixel(x, y), expected(x, y)) << what << " at cell " << x << "," << y;
  }
};

}  // namespace

TEST(Shapes, FilledAndOutlinedBoxesDiscsAndRoundedRectangles) {
  int covered = 0;  // the reference rule itself: the disc (0, 0, 4, 4) leaves out only its corners
  for (int i = 0; i < 16; ++i) covered += Inside(-2, 0, 0, 4, 4, i % 4, i / 4);
  ASSERT_EQ(covered, 12);
  // Boxes inside, across the edges and degenerate.
  const std::vector<std::array<int, 4>> boxes = {
      {5, 4, 25, 24}, {0, 0, 4, 4},   {3, 2, 30, 11}, {-6, -5, 9, 12}, {28, 20, 47, 41}, {10, 10, 11, 11},
      {10, 10, 12, 17}, {7, 7, 7, 20}, {9, 9, 5, 20}, {2, 3, 39, 30}, {12, 6, 21, 15}};
  for (const auto& b : boxes) {
    const int l = b[0], t = b[1], r = b[2], bt = b[3];
    TSurface filled;
    filled.Canvas.FillRect(l, t, r, bt);
    filled.Expect([&](int x, int y) { return Inside(-1, l, t, r, bt, x, y) ? Brush : Back; }, "filled box");
    for (int p : {1, 2, 3, 5})
      for (bool clear : {false, true})
        for (int k : {-1, -2, 0, 6, 11, 60}) {  // rectangle, ellipse, rounded corners
          TSurface s(p, clear);
          const int inner = k < 0 ? k : std::max(0, k - 2 * p);
          if (k == -1) s.Canvas.Rectangle(l, t, r, bt);
          else if (k == -2) s.Canvas.Ellipse(l, t, r, bt);
          else s.Canvas.RoundRect(l, t, r, bt, k);
          // A cell of the shape outside the shape shrunk by the pen width takes the pen.
          s.Expect(
              [&](int x, int y) {
                if (!Inside(k, l, t, r, bt, x, y)) return Back;
                if (!Inside(inner, l + p, t + p, r - p, bt - p, x, y)) return Pen;
                return clear ? Back : Brush;
              },
              "shape " + std::to_string(k) + " pen " + std::to_string(p));
        }
  }
}

TEST(Shapes, Lines) {
  for (int p : {1, 2, 3, 4, 6}) {
    const int lo = -(p - 1) / 2, hi = p / 2;  // even widths: the extra cell right or below
    TSurface h(p), v(p);
    h.Canvas.MoveTo(30, 10);
    h.Canvas.LineTo(4, 10);  // right to left
    h.Expect([&](int x, int y) { return x >= 4 && x <= 30 && y - 10 >= lo && y - 10 <= hi ? Pen : Back; },
             "across");
    v.Canvas.MoveTo(0, -3);
    v.Canvas.LineTo(0, 40);  // clipped at both ends and on the left
    v.Expect([&](int x, int) { return x >= lo && x <= hi ? Pen : Back; }, "down");
  }
  // The current position follows the line: a closed frame of four lines.
  TSurface f;
  f.Canvas.MoveTo(2, 3);
  for (auto [x, y] : {std::pair{20, 3}, {20, 15}, {2, 15}, {2, 3}}) f.Canvas.LineTo(x, y);
  f.Expect(
      [](int x, int y) {
        const bool across = (y == 3 || y == 15) && x >= 2 && x <= 20;
        return across || ((x == 2 || x == 20) && y >= 3 && y <= 15) ? Pen : Back;
      },
      "frame");
  // Far-away ends: only the part across the bitmap is stepped through.
  TSurface far;
  far.Canvas.MoveTo(-2000000000, -2000000000);
  far.Canvas.LineTo(2000000000, 2000000000);
  far.Expect([](int x, int y) { return x == y ? Pen : Back; }, "diagonal");
  // A slanted line joins its ends with the cell nearest to it in each column.
  TSurface s;
  s.Canvas.MoveTo(1, 1);
  s.Canvas.LineTo(31, 11);
  s.Expect([](int x, int y) { return x >= 1 && x <= 31 && y == (2 * x + 7) / 6 ? Pen : Back; }, "slanted");
}

TEST(Shapes, ArcBands) {
  struct TCase {
    double cx, cy, q;
    int p, sx, sy, ex, ey;  // start and end rays on screen (y down), counter-clockwise
  };
  std::vector<TCase> cases = {{20, 16, 10, 2, 1, 0, -1, 0}, {20, 16, 10, 2, 1, 0, 1, 0}};  // half, whole
  // Quarters round a cell corner or a cell centre, odd and even pens.
  const int rays[4][4] = {{1, 0, 0, -1}, {0, -1, -1, 0}, {-1, 0, 0, 1}, {0, 1, 1, 0}};
  for (const auto& b : {std::array{20.0, 16.0, 8.0, 4.0}, {20, 16, 9.5, 5}, {20.5, 15.5, 7, 3},
                        {19, 17, 3.5, 7}, {20, 16, 12, 1}, {2, 3, 10.5, 3}})
    for (const auto& r : rays) cases.push_back({b[0], b[1], b[2], int(b[3]), r[0], r[1], r[2], r[3]});
  for (const TCase& c : cases) {
    TSurface s(c.p);
    s.Canvas.Arc(c.cx - c.q, c.cy - c.q, c.cx + c.q, c.cy + c.q, c.cx + c.sx * c.q, c.cy + c.sy * c.q,
                 c.cx + c.ex * c.q, c.cy + c.ey * c.q);
    s.Expect(
        [&](int x, int y) {
          // Cross products with y up; both rays belong to the sector.
          const double vx = x + 0.5 - c.cx, vy = c.cy - y - 0.5, d2 = vx * vx + vy * vy;
          const double se = c.sy * c.ex - c.sx * c.ey, sv = c.sx * vy + c.sy * vx;
          const double ve = -vx * c.ey - vy * c.ex;
          const bool whole = se == 0 && c.sx * c.ex + c.sy * c.ey > 0;
          const bool sector = whole || (se > 0 ? sv >= 0 && ve >= 0 : sv >= 0 || ve >= 0);
          const double inner = std::max(0.0, c.q - c.p / 2.0), outer = c.q + c.p / 2.0;
          return sector && d2 >= inner * inner && d2 <= outer * outer ? Pen : Back;
        },
        "arc case " + std::to_string(&c - cases.data()));
  }
}

TEST(ReduceBitmap, RoundedMeanOfEachBlock) {
  // Any factor, sizes rounded down, each channel on its own, halves rounded up.
  TBitmap source(11, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 11; ++x) source.SetPixel(x, y, MakeColour(x * 23, y * 31 % 256, x * y * 7 % 256));
  for (int k : {1, 2, 3, 4}) {
    TBitmap out;
    ReduceBitmap(source, out, k);
    ASSERT_EQ(out.Width(), 11 / k);
    ASSERT_EQ(out.Height(), 8 / k);
    for (int y = 0; y < out.Height(); ++y)
      for (int x = 0; x < out.Width(); ++x) {
        TColour expected = 0;
        for (int shift : {0, 8, 16}) {
          unsigned sum = 0;
          for (int j = 0; j < k; ++j)
            for (int i = 0; i < k; ++i) sum += (source.Pixel(x * k + i, y * k + j) >> shift) & 0xFF;
          expected |= (sum + k * k / 2) / (k * k) << shift;
        }
        EXPECT_EQ(out.Pixel(x, y), expected) << k << " " << x << "," << y;
      }
    if (k == 2) {  // into itself
      TBitmap self = source;
      ReduceBitmap(self, self, 2);
      EXPECT_TRUE(self == out);
    }
  }
}
