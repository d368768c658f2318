#include <gtest/gtest.h>

#include <random>

#include "core/spacefiller.h"
#include "literal_filler.h"
#include "sample_transits.h"

TEST(SpaceFiller, CircleTooLargeIsNeverPlaced) {
  TSpaceFiller filler(100, 60, 0);
  filler.Prepare(31, 0, true);  // outer radius above half the height of the 61-cell map
  EXPECT_FALSE(filler.FindNext());
  EXPECT_FALSE(filler.FindNext());
  filler.Prepare(10, 0, true);
  EXPECT_TRUE(filler.FindNext());
}

TEST(SpaceFiller, FillsRowsFromTheBottomLeft) {
  TSpaceFiller filler(100, 100, 0);  // map of 101 x 101 cells
  filler.Prepare(10, 0, true);
  ASSERT_TRUE(filler.FindNext());
  EXPECT_EQ(filler.PlacedX(0), 10);
  EXPECT_EQ(filler.PlacedY(0), 90);
  ASSERT_TRUE(filler.FindNext());
  // Two circles of radius 10 side by side: the forbidden disc has radius 19.
  EXPECT_EQ(filler.PlacedX(1), 30);
  EXPECT_EQ(filler.PlacedY(1), 90);
  while (filler.FindNext()) {
  }
  EXPECT_GE(filler.PlacedCount(), 20);
  for (int i = 0; i < filler.PlacedCount(); ++i)
    for (int j = 0; j < i; ++j) {
      const int dx = filler.PlacedX(i) - filler.PlacedX(j), dy = filler.PlacedY(i) - filler.PlacedY(j);
      EXPECT_GE(dx * dx + dy * dy, 20 * 20 - 20) << i << " " << j;
    }
  EXPECT_FALSE(filler.FindNext());  // stays false until the next Prepare
}

TEST(SpaceFiller, RoundRegionStartsNearTheCentreColumn) {
  TSpaceFiller filler(200, 200, 100);
  filler.Prepare(20, 0, true);
  ASSERT_TRUE(filler.FindNext());
  EXPECT_EQ(filler.PlacedY(0), 201 - 20 - 1);
  EXPECT_NEAR(filler.PlacedX(0), 100, 10);
}

TEST(SpaceFiller, ShadowsKeepSmallerCirclesAboveOrBeside) {
  TSpaceFiller filler(300, 300, 0);
  filler.Prepare(30, 0, true);
  ASSERT_TRUE(filler.FindNext());
  filler.Prepare(5, 0, true);
  for (int i = 0; i < 40 && filler.FindNext(); ++i) {
    const int k = filler.PlacedCount() - 1;
    const bool beside = filler.PlacedX(k) > 30 + 34 || filler.PlacedX(k) < 30 - 34;
    EXPECT_TRUE(beside || filler.PlacedY(k) <= filler.PlacedY(0)) << filler.PlacedX(k) << "," << filler.PlacedY(k);
  }
}

// The fast map must be the literal map cell for cell, wherever the search can
// still look, after every preparation and placement, rings and no shadows included.
TEST(SpaceFiller, MapEqualsTheLiteralMap) {
  std::mt19937 rng(11);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int n = 0; n < 25; ++n) {
    const int w = pick(20, 300), h = pick(20, 300), k = pick(0, std::min(w, h) / 2 + 5);
    TSpaceFiller fast(w, h, k);
    TLiteralSpaceFiller literal(w, h, k);
    for (int size = 0; size < 4; ++size) {
      const int r = pick(1, 30), ring = pick(0, 6);
      const bool shadow = pick(0, 3) != 0;
      fast.Prepare(r, ring, shadow);
      literal.Prepare(r, ring, shadow);
      for (int step = 0; step < 12; ++step) {
        // Rows below the search row are never looked at again before the next Prepare.
        for (int y = 0; y <= fast.SearchRow; ++y)
          for (int x = 0; x < literal.Width; ++x)
            ASSERT_EQ(fast.Allowed(x, y), literal.Allowed(x, y)) << "cell " << x << "," << y << " size " << size;
        const bool a = fast.FindNext(), b = literal.FindNext();
        ASSERT_EQ(a, b);
        if (!a) break;
        ASSERT_EQ(fast.PlacedX(fast.PlacedCount() - 1), literal.PlacedX(literal.PlacedCount() - 1));
        ASSERT_EQ(fast.PlacedY(fast.PlacedCount() - 1), literal.PlacedY(literal.PlacedCount() - 1));
      }
    }
  }
}

// Filling random transits gives the literal filler's placements exactly.
TEST(SpaceFiller, RandomTransitsPlaceLikeTheLiteralFiller) {
#if defined(__SANITIZE_ADDRESS__)
  const int count = 40;
#else
  const int count = 300;
#endif
  std::mt19937 rng(2024);
  for (int n = 0; n < count; ++n) {
    TTransit t = RandomTransit(rng);
    const std::vector<TPlacedPosition> expected = PackWith<TLiteralSpaceFiller>(t);
    t.Fill();
    ASSERT_EQ(t.PlacedPositions.size(), expected.size()) << "transit " << n;
    for (size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(t.PlacedPositions[i].X, expected[i].X) << "transit " << n << " position " << i;
      ASSERT_EQ(t.PlacedPositions[i].Y, expected[i].Y) << "transit " << n << " position " << i;
    }
  }
}
