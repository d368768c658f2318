#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/transit.h"
#include "core/units.h"
#include "sample_transits.h"

namespace {
const TFillItem& OnlyItem(TTransit& t) {
  t.Fill();
  EXPECT_EQ(t.FillItems.size(), 1u);
  return t.FillItems.at(0);
}
}  // namespace

TEST(Covers, SleevesOversizeAndLayers) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 200, 0, 200);
  AddGroup(t, 1, 7);
  const TFillItem& sleeve = OnlyItem(t);
  EXPECT_EQ(sleeve.CoverCode, ccKovaCableSleeve);
  EXPECT_DOUBLE_EQ(sleeve.InnerRadius, 3500);
  EXPECT_DOUBLE_EQ(sleeve.OuterRadius, 6500);

  t.ConduitGroup(0).OuterDiameter = 70000;
  const TFillItem& oversize = OnlyItem(t);
  EXPECT_EQ(oversize.CoverCode, ccOversizeCable);
  EXPECT_DOUBLE_EQ(oversize.OuterRadius, 45000);

  t.ChangeConduitType(ctPipesPlastic);
  t.ConduitGroup(0).OuterDiameter = 45000;
  const TFillItem& layer = OnlyItem(t);
  EXPECT_EQ(layer.CoverCode, ccOversizePlasticPipe);
  EXPECT_DOUBLE_EQ(layer.OuterRadius, 32500);

  TTransit ring = MakeTransit(fsGrentax, ctPipesMetal, clA, 600, 600, 0, 200);
  AddGroup(ring, 1, 150);
  const TFillItem& clearance = OnlyItem(ring);
  EXPECT_EQ(clearance.CoverCode, ccClearanceRing);
  EXPECT_DOUBLE_EQ(clearance.Ring, 15000);
  EXPECT_DOUBLE_EQ(clearance.OuterRadius, 75000);
  EXPECT_NEAR(ring.ConduitSleeveArea(), TransitPi * 75000.0 * 75000.0, 1);
  EXPECT_DOUBLE_EQ(WrapThickness(50000), 5000);
  EXPECT_DOUBLE_EQ(WrapThickness(74000), 7500);
  EXPECT_DOUBLE_EQ(WrapThickness(109000), 15000);
  EXPECT_DOUBLE_EQ(WrapThickness(124000), 20000);
}

TEST(Covers, CrushersAndWraps) {
  TTransit t = MakeTransit(fsGrentax, ctPipesPlastic, clA, 152, 152, 0, 200);
  AddGroup(t, 1, 110);
  const TFillItem& crusher = OnlyItem(t);
  EXPECT_EQ(crusher.CoverCode, ccSingleCrusher);
  EXPECT_DOUBLE_EQ(crusher.CrusherOuterDiameter, 150000);
  EXPECT_DOUBLE_EQ(crusher.OuterRadius, 75000);
  t.Width = 137000;
  EXPECT_EQ(OnlyItem(t).CoverCode, ccWrapNoCrusher);

  TTransit wrap = MakeTransit(fsKovaMoxel, ctPipesPlastic, clA, 160, 160, 80, 180);
  wrap.FillSubsystem = fssWrapCrusher;
  AddGroup(wrap, 1, 110);
  const TFillItem& grown = OnlyItem(wrap);
  EXPECT_EQ(grown.CoverCode, ccWrap);
  EXPECT_DOUBLE_EQ(grown.OuterRadius, 77500);
}

TEST(Filling, MoxelPlacesOnePipeAtTheCentre) {
  TTransit t = MakeTransit(fsKovaMoxel, ctPipesPlastic, clA, 200, 200, 100, 180);
  AddGroup(t, 2, 50);
  t.Validate();
  t.Fill();
  ASSERT_EQ(t.PlacedPositions.size(), 1u);
  EXPECT_EQ(t.NotPlacedCount, 1);
  EXPECT_NEAR(t.PlacedPositions[0].X, 100000, 200);
  EXPECT_NEAR(t.PlacedPositions[0].Y, 100000, 200);
}

TEST(Filling, LargerItemsFirstAndHugeAmountsEnd) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 300, 300, 0, 200);
  AddGroup(t, 2, 30);
  AddGroup(t, 1, 50);
  AddGroup(t, 2000000000, 8);
  t.Validate();
  t.SortConduitGroups();
  t.Fill();
  ASSERT_EQ(t.FillItems.size(), 3u);
  EXPECT_GE(t.FillItems[0].OuterRadius, t.FillItems[1].OuterRadius);
  EXPECT_EQ(t.FillItems[0].ConduitDiameter, 50000);
  EXPECT_GT(t.NotPlacedCount, 1999000000);
  EXPECT_EQ(t.TotalConduitCount(), 2000000003LL);
}

TEST(Validate, MoxelBecomesRoundAndChoicesAreRepaired) {
  TTransit t = MakeTransit(fsKovaMoxel, ctCables, clWatertight, 300, 500, 0, 180);
  t.FillSubsystem = fssNone;
  t.Validate();
  EXPECT_EQ(t.Height, 300000);
  EXPECT_EQ(t.CornerRadius, 150000);
  EXPECT_EQ(t.Classification, clA);
  EXPECT_EQ(t.DefaultConduitType, ctPipesPlastic);
  EXPECT_EQ(t.FillSubsystem, fssCFitCrusher);
  EXPECT_EQ(t.SealantCartridge, scGrentax);
  EXPECT_TRUE(t.IsRound());
}

TEST(Validate, ClampsAndMessages) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 100, 300, 80, 40);
  AddGroup(t, 1, 115);
  t.SparePercentage = 30;
  t.TransitsInProject = -4;
  t.Validate();
  EXPECT_EQ(t.CornerRadius, 50000);
  EXPECT_EQ(t.Depth, 60000);
  EXPECT_EQ(t.SparePercentage, 25);
  EXPECT_EQ(t.TransitsInProject, 0);
  ASSERT_EQ(t.Messages.size(), 2u);
  EXPECT_EQ(t.Messages[0], "-Minimum transit-depth for certification is 180.00 mm");
  EXPECT_EQ(t.Messages[1], "-Maximum cable-diameter for certification is 110.00 mm");

  t.Classification = clWatertight;
  t.SparePercentage = 10;
  t.Width = 1;
  t.Height = 5e9;
  t.Validate();
  EXPECT_EQ(t.SparePercentage, 0);
  EXPECT_EQ(t.Width, 10000);
  EXPECT_EQ(t.Height, 2000000);
  for (const std::string& m : t.Messages) EXPECT_EQ(m.find("-Maximum"), std::string::npos);

  TTransit notRound = MakeTransit(fsKova, ctCables, clA, 100, 100, 49.9, 180);
  EXPECT_FALSE(notRound.IsRound());
}

TEST(Rules, DefaultsAndDepths) {
  EXPECT_THROW(DefaultClassificationFor(fsDusmera, ctPipesMetal), TError);
  EXPECT_EQ(DefaultClassificationFor(fsPraven, ctCables), clWatertight);
  EXPECT_EQ(DefaultSealantLayerFor(fsKova, fssNone, clB), slDouble20);
  EXPECT_FALSE(IsSealantLayerAllowed(fsKovaMoxel, fssCFitCrusher, clA, slNone));
  EXPECT_TRUE(IsSealantLayerAllowed(fsKovaMoxel, fssWrapCrusher, clA, slNone));
  EXPECT_FALSE(IsClassificationAllowed(fsKova, ctPipesPlastic, clH));
  EXPECT_THROW(IsSealantCartridgeAllowed(static_cast<TFillSystem>(7), scTiso), TError);
  EXPECT_EQ(CertificationMinDepth(fsGrentax, ctPipesMetal, clA, 139999), 180000);
  EXPECT_EQ(CertificationMinDepth(fsGrentax, ctPipesMetal, clA, 140000), 200000);
  EXPECT_EQ(CertificationMinDepth(fsGrentax, ctPipesMetal, clH, 0), 250000);
  EXPECT_EQ(MaxDepth(fsKovaMoxel, ctPipesPlastic, clA, 150000), 200000);
  EXPECT_EQ(DefaultDepth(fsKova, ctPipesGRP, clA), 250000);
}

TEST(Groups, MergeSortDelete) {
  TTransit t;
  AddGroup(t, 1, 20);
  AddGroup(t, 2, 20.005);
  AddGroup(t, 3, 20.010);
  AddGroup(t, 4, 5);
  EXPECT_TRUE(t.MergeEqualDiameters());
  ASSERT_EQ(t.ConduitGroupCount(), 3);
  EXPECT_EQ(t.ConduitGroup(0).Amount, 3);
  EXPECT_EQ(t.ConduitGroup(1).OuterDiameter, 5000);  // the last group moved into the gap
  t.SortConduitGroups();
  EXPECT_EQ(t.ConduitGroup(0).OuterDiameter, 5000);
  t.DeleteConduitGroup(0);
  EXPECT_EQ(t.ConduitGroup(0).OuterDiameter, 20010);
  EXPECT_FALSE(t.MergeEqualDiameters());
}

TEST(Areas, RoundTransitAndRates) {
  TTransit t = MakeTransit(fsGrentax, ctPipesPlastic, clA, 400, 400, 200, 180);
  EXPECT_DOUBLE_EQ(t.TransitArea(), TransitPi * 400000.0 * 400000.0 / 4);
  TTransit empty;
  EXPECT_EQ(empty.FillingRate(), 100);
  EXPECT_EQ(empty.GroupFillingRate(), 100);
  TTransit c = MakeTransit(fsKova, ctCables, clA, 100, 100, 0, 180);
  AddGroup(c, 4, 20);
  c.SparePercentage = 10;
  c.Fill();
  EXPECT_DOUBLE_EQ(c.ConduitArea(), TransitPi * (4 * (10000.0 * 10000.0)));
  EXPECT_DOUBLE_EQ(c.FillingRate(), 100 * c.ConduitArea() / 1e10);
  EXPECT_DOUBLE_EQ(c.ConduitSleeveSpareArea(), c.ConduitSleeveArea() * (1 + 10 / c.FillingRate()));
  EXPECT_DOUBLE_EQ(c.GroupFillingRate(), 100 * (TransitPi / 4 * (4 * (20000.0 * 20000.0))) / 1e10);
}

TEST(Assign, CopiesEverythingButResults) {
  TTransit a = DenseCableTransit();
  a.Name = "A";
  a.Comments = "line 1\rline 2";
  a.Fill();
  TTransit b;
  b.Assign(a);
  EXPECT_TRUE(b.IsEqual(a));
  EXPECT_TRUE(b.FillItems.empty());
  b.ConduitGroup(3).Amount++;
  EXPECT_FALSE(b.IsEqual(a));
}
