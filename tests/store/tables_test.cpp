#include "store/helpers.h"

using namespace storetest;

TEST(Tables, IdentifiersAreNeverHandedOutTwice) {
  TDatCustomers t;
  t.Add();
  t.Add();
  t.Delete(0);
  t.Add();
  ASSERT_EQ(t.Count(), 2);
  EXPECT_EQ(std::tuple(t.Items(0)->ID, t.Items(1)->ID, t.LastID), std::tuple(2, 3, 3));
  EXPECT_EQ(std::tuple(t.IndexOfID(0), t.IndexOfID(1), t.IndexOfID(3)), std::tuple(-1, -1, 1));
  // The deleted highest identifier comes back only through RecalcLastID.
  t.Delete(1);
  EXPECT_EQ(t.Items(t.Add())->ID, 4);
  t.Delete(1);
  t.RecalcLastID();
  EXPECT_EQ(t.LastID, 2);
  t.Clear();
  EXPECT_EQ(t.LastID + t.Count(), 0);
  EXPECT_THROW(t.Items(0), TError);
  EXPECT_THROW(t.Items(-1), TError);
  EXPECT_THROW(t.Delete(0), TError);
}

TEST(Tables, LookUpsFollowInsertsDeletesAndIdentifierChanges) {
  TDatTransits t;
  for (int i = 0; i < 5; ++i) t.Add();
  EXPECT_EQ(t.IndexOfID(4), 3);
  t.Delete(0);
  EXPECT_EQ(t.IndexOfID(4), 2);
  // Duplicate identifiers (a damaged file): the first in list order wins.
  t.Items(2)->ID = t.Items(3)->ID = 2;
  t.Changed();
  EXPECT_EQ(t.IndexOfID(2), 0);
  t.Delete(0);
  EXPECT_EQ(std::tuple(t.IndexOfID(2), t.IndexOfID(5)), std::tuple(1, -1));

  TDatConduits c;
  for (int i = 0; i < 6; ++i) c.Items(c.Add())->TransitID = i % 2 ? 7 : 8;
  auto indexes = [&](int32_t id) {
    const auto run = c.IndexesOfTransit(id);
    return std::vector<int>(run.begin(), run.end());
  };
  EXPECT_EQ(indexes(7), (std::vector<int>{1, 3, 5}));
  c.Delete(1);
  EXPECT_EQ(indexes(7), (std::vector<int>{2, 4}));
  c.DeleteOfTransit(8);
  EXPECT_EQ(indexes(7), (std::vector<int>{0, 1}));
  EXPECT_TRUE(c.IndexesOfTransit(8).empty());
  EXPECT_EQ(c.Items(1)->ID, 6);
}

TEST(Tables, NewTransitDefaults) {
  ClearTables();
  CurrentUserName = "jan";
  TRecTransit* t = Transits.Items(Transits.Add());
  std::tie(t->ProjectID, t->Name) = std::tuple(12, "old");
  InitTransitRecord(0);
  EXPECT_EQ(std::tuple(t->ProjectID, t->Name, t->TransitsInProject, t->CreatedBy, t->ModifiedBy),
            std::tuple(12, "", 1, "jan", "jan"));
  EXPECT_GT(t->Created, 40000);
  EXPECT_EQ(t->Modified, t->Created);
  ClearTables();
}
