#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/draw/canvas.h"

// A 24-bit picture with row access: each row is Width() pixels of three bytes
// in the order red, green, blue, rows top to bottom without padding.
class TBitmap {
public:
  TBitmap() = default;
  TBitmap(int width, int height) { SetSize(width, height); }

  // Keeps the storage when the size does not grow; contents are undefined.
  void SetSize(int width, int height);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  uint8_t* Row(int y) { return Data.data() + static_cast<size_t>(y) * RowBytes(); }
  const uint8_t* Row(int y) const { return Data.data() + static_cast<size_t>(y) * RowBytes(); }
  size_t RowBytes() const { return static_cast<size_t>(FWidth) * 3; }

  TColour Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColour colour);
  void Fill(TColour colour);
  bool operator==(const TBitmap& other) const;

private:
  int FWidth = 0, FHeight = 0;
  std::vector<uint8_t> Data;
};

// Paints on a bitmap with the system's own cell rules, clipped to the bitmap:
// - filled box: the cells l <= x < r, t <= y < b;
// - ellipse and rounded rectangle: the cells of the shape are brushed, then
//   the cells of the shape that are not in the same shape shrunk by the pen
//   width on every side (a rounded corner shrinking by twice the width) take
//   the pen colour; the rectangle likewise;
// - a horizontal or vertical line covers a band of the pen width centred on
//   it, the extra cell of an even width to the right or below, both ends
//   included; a slanted line stamps a pen-wide square at each step;
// - an arc covers the cells of its sector whose centre lies within half the
//   pen width of the arc's centre line.
class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap& bitmap) : Bitmap(bitmap) {}

  void FillRect(int l, int t, int r, int b) override;
  void Rectangle(int l, int t, int r, int b) override;
  void RoundRect(int l, int t, int r, int b, int c) override;
  void Ellipse(int l, int t, int r, int b) override;
  void Arc(double l, double t, double r, double b, double x1, double y1, double x2, double y2) override;
  void MoveTo(int x, int y) override {
    PosX = x;
    PosY = y;
  }
  void LineTo(int x, int y) override;

  // Paints the cells x0..x1 (inclusive) of row y, clipped.
  void PaintSpan(int64_t y, int64_t x0, int64_t x1, TColour colour);

private:
  // Columns x0..x1 of rows y0..y1 (inclusive), clipped.
  void PaintColumns(int64_t x0, int64_t x1, int64_t y0, int64_t y1, TColour colour);
  void PaintBox(int64_t l, int64_t t, int64_t r, int64_t b, TColour colour);
  // Paints the cells of [a0, a1] outside [i0, i1] with the pen and, unless the
  // brush is clear, those inside with the brush.
  void PaintOutlinedRow(int64_t y, int64_t a0, int64_t a1, bool inner, int64_t i0, int64_t i1);

  TBitmap& Bitmap;
  int PosX = 0, PosY = 0;
};
