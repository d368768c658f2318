#include "core/draw/cellrules.h"

#include <algorithm>
#include <cmath>

#include "core/raster.h"

namespace drawcells {

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return q;
}

int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

namespace {
// Quarter pixels, kept within 2^24 so that every product below fits 64 bits.
int64_t Quarter(double v) {
  constexpr double limit = 1 << 24;
  if (!(v * 4 > -limit)) return -(1 << 24);  // NaN too
  if (v * 4 > limit) return 1 << 24;
  return std::llround(v * 4);
}

int64_t Cross(int64_t ax, int64_t ay, int64_t bx, int64_t by) { return ax * by - ay * bx; }

// 0 for directions at an angle in [0, pi) counter-clockwise from (sx, sy), else 1.
int Half(int64_t sx, int64_t sy, int64_t vx, int64_t vy) {
  const int64_t c = Cross(sx, sy, vx, vy);
  if (c > 0) return 0;
  if (c == 0 && sx * vx + sy * vy > 0) return 0;
  return 1;
}
}  // namespace

TArcBand MakeArcBand(double l, double t, double r, double b, double x1, double y1, double x2, double y2, int p) {
  TArcBand band;
  const int64_t L = Quarter(l), T = Quarter(t), R = Quarter(r), B = Quarter(b);
  band.Cx8 = L + R;
  band.Cy8 = T + B;
  const int64_t q8 = std::llabs(R - L);  // 8 * radius = 4 * diameter
  const int64_t half8 = 4 * static_cast<int64_t>(std::clamp(p, 1, 1 << 22));
  band.Outer = q8 + half8;
  band.Inner = std::max<int64_t>(q8 - half8, 0);
  band.Sx = 2 * Quarter(x1) - band.Cx8;
  band.Sy = band.Cy8 - 2 * Quarter(y1);
  band.Ex = 2 * Quarter(x2) - band.Cx8;
  band.Ey = band.Cy8 - 2 * Quarter(y2);
  const bool noStart = band.Sx == 0 && band.Sy == 0, noEnd = band.Ex == 0 && band.Ey == 0;
  band.Full = noStart || noEnd ||
              (Cross(band.Sx, band.Sy, band.Ex, band.Ey) == 0 && band.Sx * band.Ex + band.Sy * band.Ey > 0);
  return band;
}

int64_t TArcBand::FirstRow() const { return CeilDiv(Cy8 - Outer - 4, 8); }
int64_t TArcBand::LastRow() const { return FloorDiv(Cy8 + Outer - 4, 8); }

bool TArcBand::RowSpan(int64_t y, int64_t& x0, int64_t& x1, int64_t& gap0, int64_t& gap1) const {
  const int64_t dy = 8 * y + 4 - Cy8;
  const int64_t restOut = Outer * Outer - dy * dy;
  if (restOut < 0) return false;
  const int64_t m = raster::ISqrt(restOut);  // |dx| <= m
  x0 = CeilDiv(Cx8 - m - 4, 8);
  x1 = FloorDiv(Cx8 + m - 4, 8);
  gap0 = 1;
  gap1 = 0;
  const int64_t restIn = Inner * Inner - dy * dy;
  if (restIn > 0) {
    int64_t k = raster::ISqrt(restIn);
    if (k * k < restIn) ++k;  // |dx| >= k is far enough
    // Too near: |dx| <= k - 1.
    gap0 = CeilDiv(Cx8 - (k - 1) - 4, 8);
    gap1 = FloorDiv(Cx8 + (k - 1) - 4, 8);
  }
  return x0 <= x1;
}

bool TArcBand::InSector(int64_t x, int64_t y) const {
  if (Full) return true;
  const int64_t vx = 8 * x + 4 - Cx8, vy = Cy8 - (8 * y + 4);
  const int hv = Half(Sx, Sy, vx, vy), he = Half(Sx, Sy, Ex, Ey);
  if (hv != he) return hv < he;
  // Same half: v is not past the end ray.
  return Cross(vx, vy, Ex, Ey) >= 0;
}

bool TArcBand::Contains(int64_t x, int64_t y) const {
  const int64_t dx = 8 * x + 4 - Cx8, dy = 8 * y + 4 - Cy8;
  const int64_t d2 = dx * dx + dy * dy;
  return d2 >= Inner * Inner && d2 <= Outer * Outer && InSector(x, y);
}

}  // namespace drawcells
