#include "core/raster.h"

#include <algorithm>
#include <cmath>

namespace raster {

int64_t ISqrt(int64_t n) {
  if (n <= 0) return 0;
  int64_t m = static_cast<int64_t>(std::sqrt(static_cast<double>(n)));
  while (m > 0 && m * m > n) --m;
  while ((m + 1) * (m + 1) <= n) ++m;
  return m;
}

namespace {
int64_t FloorDiv2(int64_t v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }
int64_t CeilDiv2(int64_t v) { return v >= 0 ? (v + 1) / 2 : -((-v) / 2); }
}  // namespace

bool DiscContains(int64_t l, int64_t t, int64_t r, int64_t b, int64_t x, int64_t y) {
  const int64_t w = r - l, h = b - t;
  if (w <= 0 || h <= 0) return false;
  const __int128 dx = 2 * x + 1 - l - r, dy = 2 * y + 1 - t - b;
  const __int128 w2 = static_cast<__int128>(w) * w, h2 = static_cast<__int128>(h) * h;
  return dx * dx * h2 + dy * dy * w2 <= w2 * h2;
}

bool DiscRowSpan(int64_t l, int64_t t, int64_t r, int64_t b, int64_t y, int64_t& x0, int64_t& x1) {
  const int64_t w = r - l, h = b - t;
  if (w <= 0 || h <= 0 || y < t || y >= b) return false;
  const int64_t dy = 2 * y + 1 - t - b;
  // (dx)^2 h^2 <= w^2 (h^2 - dy^2)  <=>  dx^2 <= w^2 (h^2 - dy^2) / h^2
  const __int128 rest = static_cast<__int128>(h) * h - static_cast<__int128>(dy) * dy;
  if (rest < 0) return false;
  const __int128 rhs = static_cast<__int128>(w) * w * rest;  // dx^2 * h^2 <= rhs
  const __int128 h2 = static_cast<__int128>(h) * h;
  // m = largest dx >= 0 with dx^2 * h2 <= rhs
  int64_t m = static_cast<int64_t>(std::sqrt(static_cast<double>(rhs) / static_cast<double>(h2)));
  while (m > 0 && static_cast<__int128>(m) * m * h2 > rhs) --m;
  while (static_cast<__int128>(m + 1) * (m + 1) * h2 <= rhs) ++m;
  // -m <= 2x + 1 - l - r <= m
  x0 = CeilDiv2(l + r - 1 - m);
  x1 = FloorDiv2(l + r - 1 + m);
  return x0 <= x1;
}

bool RoundRectContains(int64_t l, int64_t t, int64_t r, int64_t b, int64_t C, int64_t x, int64_t y) {
  if (x < l || x >= r || y < t || y >= b) return false;
  if (C <= 0) return true;
  const int64_t c = std::min({C, r - l, b - t});
  if (2 * l + c <= 2 * x + 1 && 2 * x + 1 <= 2 * r - c) return true;
  if (2 * t + c <= 2 * y + 1 && 2 * y + 1 <= 2 * b - c) return true;
  return DiscContains(l, t, l + c, t + c, x, y) || DiscContains(r - c, t, r, t + c, x, y) ||
         DiscContains(l, b - c, l + c, b, x, y) || DiscContains(r - c, b - c, r, b, x, y);
}

bool RoundRectRowSpan(int64_t l, int64_t t, int64_t r, int64_t b, int64_t C, int64_t y, int64_t& x0,
                      int64_t& x1) {
  if (y < t || y >= b || l >= r) return false;
  if (C <= 0) {
    x0 = l;
    x1 = r - 1;
    return true;
  }
  const int64_t c = std::min({C, r - l, b - t});
  if (2 * t + c <= 2 * y + 1 && 2 * y + 1 <= 2 * b - c) {
    x0 = l;
    x1 = r - 1;
    return true;
  }
  bool any = false;
  int64_t lo = 0, hi = 0;
  auto take = [&](int64_t a, int64_t z) {
    a = std::max(a, l);
    z = std::min(z, r - 1);
    if (a > z) return;
    if (!any) {
      lo = a;
      hi = z;
      any = true;
    } else {
      lo = std::min(lo, a);
      hi = std::max(hi, z);
    }
  };
  // Horizontal band: 2l + c <= 2x + 1 <= 2r - c.
  take(CeilDiv2(2 * l + c - 1), FloorDiv2(2 * r - c - 1));
  int64_t a, z;
  if (DiscRowSpan(l, t, l + c, t + c, y, a, z)) take(a, z);
  if (DiscRowSpan(r - c, t, r, t + c, y, a, z)) take(a, z);
  if (DiscRowSpan(l, b - c, l + c, b, y, a, z)) take(a, z);
  if (DiscRowSpan(r - c, b - c, r, b, y, a, z)) take(a, z);
  if (!any) return false;
  x0 = lo;
  x1 = hi;
  return true;
}

}  // namespace raster
