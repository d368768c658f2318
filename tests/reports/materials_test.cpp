#include "reports/materials.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/transit.h"

namespace {

// A transit as the program creates it unless told otherwise: 100 x 100 mm,
// corner radius 10 mm, depth 180 mm (sealing depth 140 mm), KOVA, cables,
// A-class, TISO, 20 mm on both sides. A round one has its width as diameter.
struct TSpec {
  TFillSystem fs = fsKova;
  TFillSubsystem fss = fssNone;
  TConduitType ct = ctCables;
  TClassification cl = clA;
  TSealantCartridge sc = scTiso;
  double w = 100000, h = 0, r = 10000, depth = 180000;
  bool round = false;
  std::vector<std::pair<double, int>> conduits = {};  // diameter, amount
};

TTransit Make(const TSpec& s) {
  TTransit t;
  t.TransitsInProject = 1;
  t.FillSystem = s.fs;
  t.FillSubsystem = s.fss;
  t.ChangeConduitType(s.ct);
  t.Classification = s.cl;
  t.SealantCartridge = s.sc;
  t.Width = s.w;
  t.Height = s.h ? s.h : s.w;
  t.CornerRadius = s.round ? s.w / 2 : s.r;
  t.Depth = s.depth;
  for (const auto& [diameter, amount] : s.conduits) {
    TConduitGroup& g = t.AddConduitGroup();
    g.OuterDiameter = diameter;
    g.Amount = amount;
    g.ConduitType = s.ct;
  }
  return t;
}

TMaterialsUsedForTransit Materials(TTransit& t) {
  t.Fill();
  TMaterialsUsedForTransit m;
  m.Calculate(t);
  return m;
}

// Code, kind, description, sizes, length and amount; a star when cut by hand.
std::string Text(const TMaterialItem& i) {
  return i.Code + " [" + std::to_string(i.Kind) + "] " + i.Description + ", " + MaterialNumberText(i.Size1) +
         "/" + MaterialNumberText(i.Size2) + ", " + MaterialNumberText(i.Length) + " x " +
         MaterialNumberText(i.Amount) + (i.NonStandard ? "*" : "");
}

// The lines that hold the conduits, or those that fill and seal the rest.
std::string Texts(const TMaterialsUsedForTransit& m, bool filling) {
  std::string texts;
  for (const TMaterialItem& item : m.Lines())
    if ((item.Kind >= mkKovaFillerSleeve && item.Kind <= mkGrentaxSealant) == filling)
      texts += (texts.empty() ? "" : "; ") + Text(item);
  return texts;
}

}  // namespace

// The lines of the conduits' covers, merged per article and sorted by code, for every cover code.
TEST(Materials, LinesOfEachCoverCode) {
  const struct {
    const char* name;
    TSpec spec;
    TCoverCode cover;  // of the first conduit group
    const char* lines;
  } cases[] = {
      {"cable sleeves; 12.5 and 13 mm in one row",
       {.w = 300000, .h = 200000, .r = 20000, .depth = 200000,
        .conduits = {{61000, 2}, {12500, 3}, {13000, 2}, {38000, 4}}},
       ccKovaCableSleeve,
       "101_10180001160000 [1] KOVA cablesleeve 18/12, 18000/12000, 160000 x 5; "
       "101_10460001160000 [1] KOVA cablesleeve 46/36, 46000/36000, 160000 x 4; "
       "101_10700001160000 [1] KOVA cablesleeve 70/60, 70000/60000, 160000 x 2"},
      // No GRENTAX length reaches 220 mm; the cable sleeves come in 1000 mm, cut by hand.
      {"GRENTAX cable sleeves", {.fs = fsGrentax, .depth = 260000, .conduits = {{20000, 3}}}, ccKovaCableSleeve,
       "101_10270002000000 [1] KOVA cablesleeve 27/19, 27000/19000, 1000000 x 3*"},
      {"clearance rings", {.ct = ctPipesMetal, .conduits = {{30000, 2}}}, ccClearanceRing, ""},
      // Metal pipes: two 80 mm pieces, 160 mm against 140 mm.
      {"metal pipe sleeves", {.ct = ctPipesMetal, .cl = clH, .conduits = {{40000, 3}}}, ccKovaPipeSleeve,
       "102_10640001080000 [2] KOVA pipesleeve 64/40, 64000/40000, 80000 x 6*"},
      {"plastic pipe sleeves", {.ct = ctPipesPlastic, .conduits = {{40000, 3}}}, ccKovaPlasticPipeSleeve,
       "102_10640001140000 [2] KOVA pipesleeve 64/40, 64000/40000, 140000 x 3"},
      {"PRAVEN sleeves", {.fs = fsPraven, .cl = clWatertight, .depth = 200000, .conduits = {{20000, 2}}},
       ccPravenSleeve, "103_10270001160000 [3] PRAVEN sleeve 27/19, 27000/19000, 160000 x 2"},
      // Strips in whole metres: 4 layers of 2.5 mm round 80 mm, 3 x 1.162 m.
      {"oversize cables", {.w = 300000, .conduits = {{80000, 3}}}, ccOversizeCable,
       "2011140000 [12] Strip FRR/EHF (2,5mm), 140000/0, 0 x 4"},
      // 8 layers: 2 x 2.576 m.
      {"oversize plastic pipes", {.ct = ctPipesPlastic, .w = 300000, .conduits = {{80000, 2}}},
       ccOversizePlasticPipe, "2011140000 [12] Strip FRR/EHF (2,5mm), 140000/0, 0 x 6"},
      // Two 80 mm pieces of 6 layers: 3 x 1.461 m x 2.
      {"oversize metal pipes", {.ct = ctPipesMetal, .cl = clH, .w = 400000, .conduits = {{60000, 3}}},
       ccOversizePipe, "2011080000 [12] Strip FRR/EHF (2,5mm), 80000/0, 0 x 9"},
      // The 207 and 202 crushers do not fit a 200 mm opening; the largest pipes take 190 mm.
      {"single crusher, large pipe",
       {.fs = fsKovaMoxel, .fss = fssCFitCrusher, .ct = ctPipesPlastic, .w = 200000, .depth = 210000,
        .round = true, .conduits = {{140000, 1}}},
       ccSingleCrusher, "104_12000001190000 [4] KOVA/MOXEL Crusher 200/140, 200000/140000, 190000 x 1"},
      {"single crusher",
       {.fs = fsKovaMoxel, .fss = fssCFitCrusher, .ct = ctPipesPlastic, .w = 200000, .depth = 210000,
        .round = true, .conduits = {{125000, 1}}},
       ccSingleCrusher, "104_11600001170000 [4] KOVA/MOXEL Crusher 160/125, 160000/125000, 170000 x 1"},
      {"multi crushers", {.fs = fsGrentax, .ct = ctPipesPlastic, .conduits = {{40000, 2}}}, ccMultiCrusher,
       "104_10500001170000 [4] KOVA/MOXEL Crusher   50/40, 50000/40000, 170000 x 2*"},
      // The wrap grows to the opening: 7 layers round 60 mm, 1.76 m; crushers come in 170 mm only.
      {"wrap",
       {.fs = fsKovaMoxel, .fss = fssWrapCrusher, .ct = ctPipesPlastic, .depth = 150000, .round = true,
        .conduits = {{60000, 1}}},
       ccWrap, "2021170000 [13] KOVA/MOXEL Wrap, 170000/0, 0 x 2*"},
      // No crusher takes 170 mm: 8 layers, 4.84 m.
      {"wrap without crusher", {.fs = fsGrentax, .ct = ctPipesPlastic, .w = 300000, .conduits = {{170000, 1}}},
       ccWrapNoCrusher, "2021170000 [13] KOVA/MOXEL Wrap, 170000/0, 0 x 5*"},
      {"no cover",
       {.fs = fsKovaMoxel, .fss = fssWrapCrusher, .ct = ctPipesPlastic, .w = 200000, .round = true,
        .conduits = {{100000, 1}}},
       ccNone, ""},
  };
  for (const auto& c : cases) {
    TTransit t = Make(c.spec);
    const TMaterialsUsedForTransit m = Materials(t);
    ASSERT_EQ(t.FillItems.at(0).CoverCode, c.cover) << c.name;
    EXPECT_EQ(Texts(m, false), c.lines) << c.name;
  }
}

// Filler sleeves fill 91 % of the free area, 27/19 first, then 18/12; sheets fill all of it.
TEST(Materials, FillingAndSealantOfEachSystem) {
  const struct {
    const char* name;
    TSpec spec;
    const char* lines;  // where conduits leave gaps, without the sealant amount
  } cases[] = {
      // Free 9019.1 mm²: 13 big sleeves, then 7 small.
      {"empty KOVA", {},
       "301_181140000 [5] KOVA fillersleeve 18/12, 18000/12000, 140000 x 7; "
       "301_271140000 [5] KOVA fillersleeve 27/19, 27000/19000, 140000 x 13; "
       "401_0310 [9] TISO sealant, 310/0, 0 x 1.99389966779799"},
      {"PRAVEN", {.fs = fsPraven, .sc = scHorlan, .depth = 200000},
       "302_181160000 [6] PRAVEN fillersleeve 18/12, 18000/12000, 160000 x 7; "
       "302_271160000 [6] PRAVEN fillersleeve 27/19, 27000/19000, 160000 x 13; "
       "402_0310 [10] HORLAN sealant, 310/0, 0 x 1.99389966779799"},
      // Sealing depth 220 mm: two pieces of 140 mm each, 280 mm against 220.
      {"GRENTAX", {.fs = fsGrentax, .sc = scGrentax, .depth = 260000},
       "303_181140000 [7] GRENTAX fillersleeve 18/12, 18000/12000, 140000 x 14*; "
       "303_271140000 [7] GRENTAX fillersleeve 27/19, 27000/19000, 140000 x 26*; "
       "403_0310 [11] GRENTAX sealant, 310/0, 0 x 1.99389966779799"},
      // The 160 mm cable strips to 90 mm radius: 20 mm beside it, no room for 27/19 (5430 mm² / 254.469).
      {"round, little room", {.w = 200000, .round = true, .conduits = {{160000, 1}}},
       "301_181140000 [5] KOVA fillersleeve 18/12, 18000/12000, 140000 x 22; "
       "301_271140000 [5] KOVA fillersleeve 27/19, 27000/19000, 140000 x 0; "
       "401_0310 [9] TISO sealant, 310/0, 0 x "},
      // A 70/60 sleeve in a 70 mm round opening leaves no room at all.
      {"no room", {.w = 70000, .round = true, .conduits = {{61000, 1}}},
       "301_181140000 [5] KOVA fillersleeve 18/12, 18000/12000, 140000 x 0; "
       "301_271140000 [5] KOVA fillersleeve 27/19, 27000/19000, 140000 x 0; "
       "401_0310 [9] TISO sealant, 310/0, 0 x "},
      // Free 22000 mm²: 32 thick strips and 20 thin, 24 and 30 to a sheet, rounded up. The
      // sealant covers the faces only.
      {"DUSMERA", {.fs = fsDusmera, .w = 200000, .h = 100000, .r = 0},
       "304_300 [8] VESKAMOR sheet 300x140x10, 300000/10000, 140000 x 1; "
       "304_600 [8] VESKAMOR sheet 600x140x25, 600000/25000, 140000 x 2; "
       "401_0310 [9] TISO sealant, 310/0, 0 x 2.83870967741936"},
      // Crushers have no filling material: the sealant takes every gap.
      {"MOXEL",
       {.fs = fsKovaMoxel, .fss = fssCFitCrusher, .ct = ctPipesPlastic, .w = 200000, .round = true,
        .conduits = {{140000, 1}}},
       "401_0310 [9] TISO sealant, 310/0, 0 x 2.27410771462955"},
  };
  for (const auto& c : cases) {
    TTransit t = Make(c.spec);
    const std::string lines = Texts(Materials(t), true);
    EXPECT_EQ(lines.substr(0, std::string(c.lines).size()), c.lines) << c.name;
  }
}

TEST(Materials, StandardLengthAndNonStandardFlag) {
  // A piece may be 3.5 mm shorter than the sealing depth, and is cut by hand
  // when more than 1 mm longer.
  const struct {
    double depth, length;
    bool nonStandard;
  } cases[] = {
      {181000, 140000, false},  // 141 mm: within 3.5 mm of 140
      {179000, 140000, false},  // exactly 1 mm shorter: not cut
      {178900, 140000, true},   // 1.1 mm shorter
      {183500, 140000, false},  // 143.5 mm: 140 just reaches
      {183600, 160000, true},   // 143.6 mm: 140 is too short, 160 is cut
      {200000, 160000, false},
  };
  for (const auto& c : cases) {
    TTransit t = Make({.depth = c.depth, .conduits = {{20000, 1}}});
    const TMaterialsUsedForTransit m = Materials(t);
    for (const TMaterialItem& item : m.Lines()) {
      const bool sealant = item.Kind == mkTisoSealant;
      EXPECT_EQ(item.NonStandard, !sealant && c.nonStandard) << c.depth << " " << item.Code;
      EXPECT_EQ(item.Length, sealant ? 0 : c.length) << c.depth << " " << item.Code;
    }
  }
}

TEST(Materials, UsedThreeTimesTriplesAfterRounding) {
  TTransit once = Make({.w = 300000, .conduits = {{80000, 3}}});
  TTransit thrice = once;
  thrice.TransitsInProject = 3;
  const TMaterialsUsedForTransit a = Materials(once), b = Materials(thrice);
  // ceiling(3.487) x 3, not ceiling(10.46)
  EXPECT_EQ(Texts(b, false), "2011140000 [12] Strip FRR/EHF (2,5mm), 140000/0, 0 x 12");
  ASSERT_EQ(a.Count(), b.Count());
  for (int i = 0; i < a.Count(); ++i) EXPECT_DOUBLE_EQ(a.GetItem(i).Amount * 3, b.GetItem(i).Amount);
  // Cartridges stay fractional.
  const double cartridges = b.GetItem(b.Count() - 1).Amount;
  EXPECT_NE(cartridges, MaterialCeiling(cartridges));
}

TEST(Materials, UndefinedChoicesRaiseTheirMessages) {
  const struct {
    void (*change)(TTransit&);
    const char* message;
  } cases[] = {
      {[](TTransit& t) { t.FillSystem = static_cast<TFillSystem>(7); }, "FillSystem niet gedefinieerd!"},
      {[](TTransit& t) { t.MaterialsKind = 3; }, "FillSystem niet gedefinieerd!"},
      // Filler sleeves have no DUSMERA line.
      {[](TTransit& t) { t.FillSystem = fsDusmera, t.MaterialsKind = 1; }, "FillSystem niet gedefinieerd!"},
      {[](TTransit& t) { t.SealantCartridge = static_cast<TSealantCartridge>(3); },
       "Sealant niet gedefinieerd!"},
      {[](TTransit& t) { t.FillItems.at(0).CoverCode = static_cast<TCoverCode>(13); },
       "Unknown material for cable/pipe"},
  };
  for (const auto& c : cases) {
    TTransit t = Make({.conduits = {{20000, 1}}});
    t.Fill();
    c.change(t);
    TMaterialsUsedForTransit m;
    try {
      m.Calculate(t);
      ADD_FAILURE() << c.message;
    } catch (const TError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(Materials, AddFromMergesAndSortsWithoutRounding) {
  TMaterialsUsedForTransit a, b, total;
  a.AddMaterial(mkStrip, "Strip FRR/EHF (2,5mm)", 140000, 0, 0, 1.25, "2011140000", false);
  a.AddMaterial(mkTisoSealant, "TISO sealant", 310, 0, 0, 0.5, "401_0310", false);
  b.AddMaterial(mkTisoSealant, "TISO sealant", 310, 0, 0, 0.75, "401_0310", true);
  b.AddMaterial(mkKovaCableSleeve, "KOVA cablesleeve 18/12", 18000, 12000, 140000, 4, "101_10180001140000",
                false);
  b.AddMaterial(mkStrip, "Strip FRR/EHF (2,5mm)", 140000, 0, 0, 2.5, "2011140000", true);
  total.AddFrom(a);
  total.AddFrom(b);
  // The first line of an article keeps its texts and flag.
  EXPECT_EQ(Texts(total, false), "101_10180001140000 [1] KOVA cablesleeve 18/12, 18000/12000, 140000 x 4; "
                                 "2011140000 [12] Strip FRR/EHF (2,5mm), 140000/0, 0 x 3.75");
  EXPECT_EQ(Texts(total, true), "401_0310 [9] TISO sealant, 310/0, 0 x 1.25");
  // Same code but another length is another line.
  TMaterialsUsedForTransit c;
  c.AddMaterial(mkKovaCableSleeve, "x", 18000, 12000, 160000, 1, "101_10180001140000", false);
  total.AddFrom(c);
  EXPECT_EQ(total.Count(), 4);
  // A list added to itself doubles.
  total.AddFrom(total);
  EXPECT_EQ(total.Count(), 4);
  EXPECT_EQ(Texts(total, true), "401_0310 [9] TISO sealant, 310/0, 0 x 2.5");
}
