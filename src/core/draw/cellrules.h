#pragma once
#include <cstdint>

// Cell rules of the painted shapes beyond the filled ones in core/raster.h.
namespace drawcells {

// Floor and ceiling of a / b for b > 0.
int64_t FloorDiv(int64_t a, int64_t b);
int64_t CeilDiv(int64_t a, int64_t b);

// A circular arc band. Everything is kept in eighths of a pixel, so that box
// coordinates in quarter pixels give an exact centre and radius: a cell's
// centre is at 8x + 4.
struct TArcBand {
  int64_t Cx8 = 0, Cy8 = 0;       // centre
  int64_t Outer = 0, Inner = 0;   // band limits of the centre distance
  int64_t Sx = 0, Sy = 0;         // start ray, y pointing up
  int64_t Ex = 0, Ey = 0;         // end ray, y pointing up
  bool Full = false;              // start and end rays coincide: the whole circle

  int64_t FirstRow() const;
  int64_t LastRow() const;
  // Cells x0..x1 of row y whose centre is within the outer limit, less the
  // cells gap0..gap1 that are too near the centre (gap0 > gap1 when none).
  bool RowSpan(int64_t y, int64_t& x0, int64_t& x1, int64_t& gap0, int64_t& gap1) const;
  // Whether the centre of cell (x, y) lies in the sector swept counter-clockwise
  // (as seen on screen) from the start ray to the end ray, both rays included.
  bool InSector(int64_t x, int64_t y) const;
  // Both tests together, straight from the rule.
  bool Contains(int64_t x, int64_t y) const;
};

// The band of an arc on the circle inscribed in box (l, t, r, b) (diameter r - l)
// with pen width p, from the ray through (x1, y1) counter-clockwise to the ray
// through (x2, y2). Coordinates are rounded to quarter pixels.
TArcBand MakeArcBand(double l, double t, double r, double b, double x1, double y1, double x2, double y2, int p);

}  // namespace drawcells
