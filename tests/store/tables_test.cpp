#include "store/helpers.h"

using namespace storetest;

TEST(Tables, IdentifiersAreNeverHandedOutTwice) {
  TDatCustomers t;
  t.Add();
  t.Add();
  t.Delete(0);
  t.Add();
  ASSERT_EQ(t.Count(), 2);
  EXPECT_EQ(t.Items(0)->ID, 2);
  EXPECT_EQ(t.Items(1)->ID, 3);
  EXPECT_EQ(t.LastID, 3);
  t.RecalcLastID();
  EXPECT_EQ(t.LastID, 3);
  EXPECT_EQ(t.IndexOfID(0), -1);
  EXPECT_EQ(t.IndexOfID(3), 1);
  EXPECT_EQ(t.IndexOfID(1), -1);
  // The deleted highest identifier comes back only through RecalcLastID.
  t.Delete(1);
  EXPECT_EQ(t.Items(t.Add())->ID, 4);
  t.Delete(1);
  t.RecalcLastID();
  EXPECT_EQ(t.LastID, 2);
  t.Clear();
  EXPECT_EQ(t.LastID, 0);
  EXPECT_EQ(t.Count(), 0);
}

TEST(Tables, OutOfRangeIndexesRaiseListIndexErrors) {
  TDatProjects t;
  t.Add();
  EXPECT_THROW(t.Items(1), TError);
  EXPECT_THROW(t.Items(-1), TError);
  EXPECT_THROW(t.Delete(1), TError);
}

TEST(Tables, LookUpsFollowInsertsDeletesAndIdentifierChanges) {
  TDatTransits t;
  for (int i = 0; i < 5; ++i) t.Add();
  EXPECT_EQ(t.IndexOfID(4), 3);
  t.Delete(0);
  EXPECT_EQ(t.IndexOfID(4), 2);
  // Duplicate identifiers (a damaged file): the first in list order wins.
  t.Items(2)->ID = 2;
  t.Items(3)->ID = 2;
  t.Changed();
  EXPECT_EQ(t.IndexOfID(2), 0);
  t.Delete(0);
  EXPECT_EQ(t.IndexOfID(2), 1);
  EXPECT_EQ(t.IndexOfID(5), -1);

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
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(indexes(7), (std::vector<int>{0, 1}));
  EXPECT_TRUE(c.IndexesOfTransit(8).empty());
  EXPECT_EQ(c.Items(1)->ID, 6);
}

TEST(Tables, NewTransitDefaults) {
  ClearTables();
  CurrentUserName = "jan";
  const int i = Transits.Add();
  Transits.Items(i)->ProjectID = 12;
  Transits.Items(i)->Name = "old";
  InitTransitRecord(i);
  const TRecTransit* t = Transits.Items(i);
  EXPECT_EQ(t->ProjectID, 12);
  EXPECT_EQ(t->Name, "");
  EXPECT_EQ(t->TransitsInProject, 1);
  EXPECT_GT(t->Created, 40000);
  EXPECT_EQ(t->Modified, t->Created);
  EXPECT_EQ(t->CreatedBy, "jan");
  EXPECT_EQ(t->ModifiedBy, "jan");
  EXPECT_EQ(t->Width, 100000);
  EXPECT_EQ(t->Height, 100000);
  EXPECT_EQ(t->CornerRadius, 10000);
  EXPECT_EQ(t->Depth, 180000);
  EXPECT_EQ(t->SparePercentage, 0);
  EXPECT_EQ(t->DefaultConduitType, ctCables);
  EXPECT_EQ(t->FillSystem, fsKova);
  EXPECT_EQ(t->FillSubsystem, fssNone);
  EXPECT_EQ(t->Classification, clA);
  EXPECT_EQ(t->SealantCartridge, scTiso);
  EXPECT_EQ(t->SealantLayer, slDouble20);
  ClearTables();
}
