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
  const uint8_t r = RedOf(colour), g = GreenOf(colour), b = BlueOf(colour);
  if (count >= 8) {
    // Four pixels are three 32-bit words; copy that pattern.
    uint8_t pattern[12] = {r, g, b, r, g, b, r, g, b, r, g, b};
    while (count >= 4) {
      std::memcpy(p, pattern, 12);
      p += 12;
      count -= 4;
    }
  }
  for (; count > 0; --count) {
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p += 3;
  }
}
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
  const int64_t p = PenWidth;
  const int64_t y0 = std::max<int64_t>(t, 0), y1 = std::min<int64_t>(b, Bitmap.Height());
  for (int64_t y = y0; y < y1; ++y) {
    const bool inner = y >= t + p && y < b - p && l + p < r - p;
    PaintOutlinedRow(y, l, static_cast<int64_t>(r) - 1, inner, l + p, r - p - 1);
  }
}

void TBitmapCanvas::RoundRect(int l, int t, int r, int b, int c) {
  const int64_t p = PenWidth;
  const int64_t y0 = std::max<int64_t>(t, 0), y1 = std::min<int64_t>(b, Bitmap.Height());
  for (int64_t y = y0; y < y1; ++y) {
    int64_t a0, a1, i0 = 0, i1 = -1;
    if (!raster::RoundRectRowSpan(l, t, r, b, c, y, a0, a1)) continue;
    const bool inner = raster::RoundRectRowSpan(l + p, t + p, r - p, b - p, c - 2 * p, y, i0, i1);
    PaintOutlinedRow(y, a0, a1, inner, i0, i1);
  }
}

void TBitmapCanvas::Ellipse(int l, int t, int r, int b) {
  const int64_t p = PenWidth;
  const int64_t y0 = std::max<int64_t>(t, 0), y1 = std::min<int64_t>(b, Bitmap.Height());
  for (int64_t y = y0; y < y1; ++y) {
    int64_t a0, a1, i0 = 0, i1 = -1;
    if (!raster::DiscRowSpan(l, t, r, b, y, a0, a1)) continue;
    const bool inner = raster::DiscRowSpan(l + p, t + p, r - p, b - p, y, i0, i1);
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
  const int64_t p = PenWidth;
  const int64_t lo = -(p - 1) / 2, hi = p / 2;  // band offsets around the line
  const int64_t xa = PosX, ya = PosY, xb = x, yb = y;
  PosX = x;
  PosY = y;
  if (ya == yb) {
    PaintBox(std::min(xa, xb), ya + lo, std::max(xa, xb) + 1, ya + hi + 1, PenColour);
  } else if (xa == xb) {
    PaintBox(xa + lo, std::min(ya, yb), xa + hi + 1, std::max(ya, yb) + 1, PenColour);
  } else {
    // Slanted: Bresenham steps, a pen-wide square at each.
    const int64_t dx = std::llabs(xb - xa), dy = -std::llabs(yb - ya);
    const int64_t sx = xa < xb ? 1 : -1, sy = ya < yb ? 1 : -1;
    int64_t err = dx + dy, cx = xa, cy = ya;
    for (;;) {
      PaintBox(cx + lo, cy + lo, cx + hi + 1, cy + hi + 1, PenColour);
      if (cx == xb && cy == yb) break;
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
