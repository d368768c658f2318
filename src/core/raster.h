#pragma once
#include <cstdint>

// The cell rules shared by the packing map and every painted bitmap. A cell
// (x, y) has its centre at (x + 1/2, y + 1/2); bounds (l, t, r, b) exclude r
// and b. Every test is exact in 64-bit integers.
namespace raster {

// Columns [x0, x1] (inclusive) of row y covered by the disc inscribed in the
// box; false when the row has no covered cell.
bool DiscRowSpan(int64_t l, int64_t t, int64_t r, int64_t b, int64_t y, int64_t& x0, int64_t& x1);

// Whether cell (x, y) lies in the disc inscribed in the box.
bool DiscContains(int64_t l, int64_t t, int64_t r, int64_t b, int64_t x, int64_t y);

// Columns of row y covered by the rounded rectangle with corner size c
// (corner radius c / 2); a plain rectangle when c <= 0. The covered cells of a
// row are always one run.
bool RoundRectRowSpan(int64_t l, int64_t t, int64_t r, int64_t b, int64_t c, int64_t y, int64_t& x0,
                      int64_t& x1);

// Whether cell (x, y) lies in the rounded rectangle, straight from the rule.
bool RoundRectContains(int64_t l, int64_t t, int64_t r, int64_t b, int64_t c, int64_t x, int64_t y);

// Largest m >= 0 with m * m <= n (n >= 0).
int64_t ISqrt(int64_t n);

}  // namespace raster
