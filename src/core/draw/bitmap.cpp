#include "core/draw/bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/draw/cellrules.h"
#include "core/raster.h"

void TBitmap::SetSize(int width, int height) {
  FWidth = std::max(width, 0);
  FHeight = std::max(height, 0);
  const size_t bytes = static_cast<size_t>(FWidth) * FHeight * 3;
  if (Data.size() < bytes) Data.resize(bytes);
}

TColour TBitmap::Pixel(int x, int y) const {
  const uint8_t* p = Row(y) + static_cast<size_t>(x) * 3;
  return MakeColour(p[0], p[1], p[2]);
}

void TBitmap::SetPixel(int x, int y, TColour colour) {
  uint8_t* p = Row(y) + static_cast<size_t>(x) * 3;
  p[0] = RedOf(colour);
  p[1] = GreenOf(colour);
  p[2] = BlueOf(colour);
}

namespace {
void FillPixels(uint8_t* p, int64_t count, TColour colour) {
  const uint64_t r = RedOf(colour), g = GreenOf(colour), b = BlueOf(colour);
  if (count >= 8) {
    // Eight pixels are three 64-bit words (little-endian byte order), built
    // in registers: r g b r g b r g | b r g b r g b r | g b r g b r g b.
    const uint64_t rgb = r | (g << 8) | (b << 16);
    const uint64_t w0 = rgb | (rgb << 24) | (r << 48) | (g << 56);
    const uint64_t w1 = b | (rgb << 8) | (rgb << 32) | (r << 56);
    const uint64_t w2 = g | (b << 8) | (rgb << 16) | (rgb << 40);
    while (count >= 8) {
      std::memcpy(p, &w0, 8);
      std::memcpy(p + 8, &w1, 8);
      std::memcpy(p + 16, &w2, 8);
      p += 24;
      count -= 8;
    }
  }
  for (; count > 0; --count) {
    p[0] = static_cast<uint8_t>(r);
    p[1] = static_cast<uint8_t>(g);
    p[2] = static_cast<uint8_t>(b);
    p += 3;
  }
}

// Columns of row y covered by the disc of the box. For a circle (w = h = n)
// the rule reduces to dx^2 + dy^2 <= n^2, which 64-bit integers hold for any
// bitmap size; other boxes take the general rule.
bool DiscSpan(int64_t l, int64_t t, int64_t r, int64_t b, int64_t y, int64_t& x0, int64_t& x1) {
  const int64_t n = r - l;
  if (n != b - t || n <= 0 || n > (int64_t{1} << 24)) return raster::DiscRowSpan(l, t, r, b, y, x0, x1);
  if (y < t || y >= b) return false;
  const int64_t dy = 2 * y + 1 - t - b;
  const int64_t rest = n * n - dy * dy;
  if (rest < 0) return false;
  int64_t m = static_cast<int64_t>(std::sqrt(static_cast<double>(rest)));
  while (m * m > rest) --m;
  while ((m + 1) * (m + 1) <= rest) ++m;
  // -m <= 2x + 1 - l - r <= m
  // Halves rounded up and down; >> on a signed value rounds down.
  x0 = (l + r - m) >> 1;
  x1 = (l + r - 1 + m) >> 1;
  return x0 <= x1;
}

// Shapes are kept within 2^24 pixels of the origin, so that every cell test
// stays exact in 64-bit (or, for ellipses, 128-bit) integers.
constexpr int64_t kLimit = int64_t{1} << 24;
int64_t Lim(int64_t v) { return std::clamp(v, -kLimit, kLimit); }

}  // namespace

void TBitmap::Fill(TColour colour) {
  if (FWidth == 0 || FHeight == 0) return;
  FillPixels(Row(0), FWidth, colour);
  for (int y = 1; y < FHeight; ++y) std::memcpy(Row(y), Row(0), RowBytes());
}

bool TBitmap::operator==(const TBitmap& other) const {
  if (FWidth != other.FWidth || FHeight != other.FHeight) return false;
  const size_t bytes = static_cast<size_t>(FWidth) * FHeight * 3;
  return bytes == 0 || std::memcmp(Data.data(), other.Data.data(), bytes) == 0;
}

void TBitmapCanvas::PaintSpan(int64_t y, int64_t x0, int64_t x1, TColour colour) {
  if (y < 0 || y >= Bitmap.Height()) return;
  x0 = std::max<int64_t>(x0, 0);
  x1 = std::min<int64_t>(x1, Bitmap.Width() - 1);
  if (x0 > x1) return;
  FillPixels(Bitmap.Row(static_cast<int>(y)) + x0 * 3, x1 - x0 + 1, colour);
}

void TBitmapCanvas::PaintBox(int64_t l, int64_t t, int64_t r, int64_t b, TColour colour) {
  const int64_t y0 = std::max<int64_t>(t, 0), y1 = std::min<int64_t>(b, Bitmap.Height());
  for (int64_t y = y0; y < y1; ++y) PaintSpan(y, l, r - 1, colour);
}

void TBitmapCanvas::PaintColumns(int64_t x0, int64_t x1, int64_t y0, int64_t y1, TColour colour) {
  x0 = std::max<int64_t>(x0, 0);
  x1 = std::min<int64_t>(x1, Bitmap.Width() - 1);
  y0 = std::max<int64_t>(y0, 0);
  y1 = std::min<int64_t>(y1, Bitmap.Height() - 1);
  if (x0 > x1) return;
  const int64_t n = x1 - x0 + 1;
  for (int64_t y = y0; y <= y1; ++y) {
    uint8_t* p = Bitmap.Row(static_cast<int>(y)) + x0 * 3;
    for (int64_t i = 0; i < n; ++i, p += 3) {
      p[0] = RedOf(colour);
      p[1] = GreenOf(colour);
      p[2] = BlueOf(colour);
    }
  }
}

void TBitmapCanvas::PaintOutlinedRow(int64_t y, int64_t a0, int64_t a1, bool inner, int64_t i0, int64_t i1) {
  if (inner) {
    i0 = std::max(i0, a0);
    i1 = std::min(i1, a1);
    inner = i0 <= i1;
  }
  if (!inner) {
    PaintSpan(y, a0, a1, PenColour);
    return;
  }
  PaintSpan(y, a0, i0 - 1, PenColour);
  if (!BrushClear) PaintSpan(y, i0, i1, BrushColour);
  PaintSpan(y, i1 + 1, a1, PenColour);
}

void TBitmapCanvas::FillRect(int l, int t, int r, int b) { PaintBox(l, t, r, b, BrushColour); }

void TBitmapCanvas::Rectangle(int l, int t, int r, int b) {
  const int64_t p = Lim(PenWidth);
  const int64_t y0 = std::max<int64_t>(t, 0), y1 = std::min<int64_t>(b, Bitmap.Height());
  for (int64_t y = y0; y < y1; ++y) {
    const bool inner = y >= t + p && y < b - p && l + p < r - p;
    PaintOutlinedRow(y, l, static_cast<int64_t>(r) - 1, inner, l + p, r - p - 1);
  }
}

void TBitmapCanvas::RoundRect(int left, int top, int right, int bottom, int corner) {
  const int64_t l = Lim(left), t = Lim(top), r = Lim(right), b = Lim(bottom), c = Lim(corner);
  const int64_t p = Lim(PenWidth);
  const int64_t y0 = std::max<int64_t>(t, 0), y1 = std::min<int64_t>(b, Bitmap.Height());
  for (int64_t y = y0; y < y1; ++y) {
    int64_t a0, a1, i0 = 0, i1 = -1;
    if (!raster::RoundRectRowSpan(l, t, r, b, c, y, a0, a1)) continue;
    const bool inner = raster::RoundRectRowSpan(l + p, t + p, r - p, b - p, c - 2 * p, y, i0, i1);
    PaintOutlinedRow(y, a0, a1, inner, i0, i1);
  }
}

void TBitmapCanvas::Ellipse(int left, int top, int right, int bottom) {
  const int64_t l = Lim(left), t = Lim(top), r = Lim(right), b = Lim(bottom);
  const int64_t p = Lim(PenWidth);
  const int64_t y0 = std::max<int64_t>(t, 0), y1 = std::min<int64_t>(b, Bitmap.Height());
  for (int64_t y = y0; y < y1; ++y) {
    int64_t a0, a1, i0 = 0, i1 = -1;
    if (!DiscSpan(l, t, r, b, y, a0, a1)) continue;
    const bool inner = DiscSpan(l + p, t + p, r - p, b - p, y, i0, i1);
    PaintOutlinedRow(y, a0, a1, inner, i0, i1);
  }
}

void TBitmapCanvas::Arc(double l, double t, double r, double b, double x1, double y1, double x2, double y2) {
  const drawcells::TArcBand band = drawcells::MakeArcBand(l, t, r, b, x1, y1, x2, y2, PenWidth);
  const int64_t ya = std::max<int64_t>(band.FirstRow(), 0);
  const int64_t yb = std::min<int64_t>(band.LastRow(), Bitmap.Height() - 1);
  for (int64_t y = ya; y <= yb; ++y) {
    int64_t x0, x1c, gap0, gap1;
    if (!band.RowSpan(y, x0, x1c, gap0, gap1)) continue;
    x0 = std::max<int64_t>(x0, 0);
    x1c = std::min<int64_t>(x1c, Bitmap.Width() - 1);
    // Runs of cells in the sector, painted run by run.
    int64_t runStart = -1;
    for (int64_t x = x0; x <= x1c + 1; ++x) {
      const bool in = x <= x1c && (x < gap0 || x > gap1) && band.InSector(x, y);
      if (in && runStart < 0) runStart = x;
      if (!in && runStart >= 0) {
        PaintSpan(y, runStart, x - 1, PenColour);
        runStart = -1;
      }
    }
  }
}

void TBitmapCanvas::LineTo(int x, int y) {
  const int64_t p = Lim(PenWidth);
  const int64_t lo = -(p - 1) / 2, hi = p / 2;  // band offsets around the line
  const int64_t xa = PosX, ya = PosY, xb = x, yb = y;
  PosX = x;
  PosY = y;
  if (ya == yb) {
    PaintBox(std::min(xa, xb), ya + lo, std::max(xa, xb) + 1, ya + hi + 1, PenColour);
  } else if (xa == xb) {
    PaintColumns(xa + lo, xa + hi, std::min(ya, yb), std::max(ya, yb), PenColour);
  } else {
    // Slanted: Bresenham steps, a pen-wide square at each, over the part of
    // the line that can reach the bitmap.
    double t0 = 0, t1 = 1;
    const double fx = static_cast<double>(xb - xa), fy = static_cast<double>(yb - ya);
    auto clip = [&](double q, double d) {  // keep the part where q + t * d >= 0
      if (d == 0) return q >= 0;
      const double t = -q / d;
      if (d > 0) t0 = std::max(t0, t);
      else t1 = std::min(t1, t);
      return t0 <= t1;
    };
    const double m = static_cast<double>(p) + 1;
    if (!clip(xa + m, fx) || !clip(Bitmap.Width() + m - xa, -fx) || !clip(ya + m, fy) ||
        !clip(Bitmap.Height() + m - ya, -fy))
      return;
    const int64_t x0 = t0 > 0 ? xa + std::llround(t0 * fx) : xa, y0 = t0 > 0 ? ya + std::llround(t0 * fy) : ya;
    const int64_t x1 = t1 < 1 ? xa + std::llround(t1 * fx) : xb, y1 = t1 < 1 ? ya + std::llround(t1 * fy) : yb;
    const int64_t dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t err = dx + dy, cx = x0, cy = y0;
    for (;;) {
      PaintBox(cx + lo, cy + lo, cx + hi + 1, cy + hi + 1, PenColour);
      if (cx == x1 && cy == y1) break;
      const int64_t e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        cx += sx;
      }
      if (e2 <= dx) {
        err += dx;
        cy += sy;
      }
    }
  }
}
