#include <gtest/gtest.h>

#include <random>

#include "core/raster.h"

TEST(Raster, WorkedChecks) {
  int covered = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) covered += raster::DiscContains(0, 0, 4, 4, x, y);
  EXPECT_EQ(covered, 12);
  EXPECT_FALSE(raster::DiscContains(0, 0, 4, 4, 0, 0));
  // A disc of box (X - d, Y - d, X + d + 1, Y + d + 1) covers X - d .. X + d in row Y.
  int64_t x0, x1;
  ASSERT_TRUE(raster::DiscRowSpan(100 - 19, 50 - 19, 100 + 20, 50 + 20, 50, x0, x1));
  EXPECT_EQ(x0, 81);
  EXPECT_EQ(x1, 119);
  EXPECT_FALSE(raster::DiscRowSpan(0, 0, 0, 5, 2, x0, x1));
}

// The row spans must be exactly the cells the per-cell rules cover, and one
// run per row, for discs, ellipses and rounded rectangles of every kind.
TEST(Raster, RowSpansMatchTheCellRules) {
  std::mt19937 rng(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int n = 0; n < 3000; ++n) {
    const int l = pick(-5, 10), t = pick(-5, 10), r = l + pick(0, 30), b = t + pick(0, 30);
    const int c = pick(-2, 35);
    for (int y = t - 1; y <= b; ++y) {
      int64_t dx0 = 0, dx1 = -1, rx0 = 0, rx1 = -1;
      bool disc = raster::DiscRowSpan(l, t, r, b, y, dx0, dx1);
      bool rect = raster::RoundRectRowSpan(l, t, r, b, c, y, rx0, rx1);
      for (int x = l - 2; x <= r + 1; ++x) {
        ASSERT_EQ(disc && x >= dx0 && x <= dx1, raster::DiscContains(l, t, r, b, x, y))
            << l << "," << t << "," << r << "," << b << " cell " << x << "," << y;
        ASSERT_EQ(rect && x >= rx0 && x <= rx1, raster::RoundRectContains(l, t, r, b, c, x, y))
            << l << "," << t << "," << r << "," << b << " c " << c << " cell " << x << "," << y;
      }
    }
  }
}
