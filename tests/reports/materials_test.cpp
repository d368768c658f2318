#include "reports/materials.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/transit.h"
#include "core/units.h"

namespace {

// A new transit as the program creates it: 100 x 100 mm, corner radius 10 mm,
// depth 180 mm, KOVA, cables, A-class, TISO, 20 mm on both sides.
TTransit NewTransit() {
  TTransit t;
  t.TransitsInProject = 1;
  t.Width = 100000;
  t.Height = 100000;
  t.CornerRadius = 10000;
  t.Depth = 180000;
  return t;
}

void AddConduits(TTransit& t, double diameter, int amount) {
  TConduitGroup& g = t.AddConduitGroup();
  g.OuterDiameter = diameter;
  g.Amount = amount;
  g.ConduitType = t.DefaultConduitType;
}

void MakeRound(TTransit& t, double diameter) {
  t.Width = t.Height = diameter;
  t.CornerRadius = diameter / 2;
}

TMaterialsUsedForTransit Materials(TTransit& t) {
  t.Fill();
  TMaterialsUsedForTransit m;
  m.Calculate(t);
  return m;
}

std::string Codes(const TMaterialsUsedForTransit& m) {
  std::string codes;
  for (const TMaterialItem& item : m.Lines()) codes += (codes.empty() ? "" : " ") + item.Code;
  return codes;
}

const TMaterialItem& Line(const TMaterialsUsedForTransit& m, const std::string& code) {
  for (const TMaterialItem& item : m.Lines())
    if (item.Code == code) return item;
  throw std::runtime_error("no line " + code);
}

std::string ErrorOf(TTransit& t) {
  try {
    Materials(t);
  } catch (const TError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(MaterialNumberText, GeneralForm) {
  EXPECT_EQ(MaterialNumberText(1040000), "1040000");
  EXPECT_EQ(MaterialNumberText(1000000 + 140000.0), "1140000");
  EXPECT_EQ(MaterialNumberText(0.1 + 0.2), "0.3");  // 15 significant digits
  EXPECT_EQ(MaterialNumberText(1063999.5), "1063999.5");
  EXPECT_EQ(MaterialNumberText(-2.25), "-2.25");
  EXPECT_EQ(MaterialNumberText(1e15), "1E15");
  SetDecimalSeparator(',');
  EXPECT_EQ(MaterialNumberText(12.5), "12,5");
  SetDecimalSeparator('.');
}

TEST(Materials, EmptyKovaTransitHasFillerSleevesAndSealantOnly) {
  TTransit t = NewTransit();
  const TMaterialsUsedForTransit m = Materials(t);
  // free = 0.90972 * 9914.159 mm² = 9019.1: 13 big sleeves, then 7 small.
  ASSERT_EQ(m.Count(), 3);
  EXPECT_EQ(Codes(m), "301_181140000 301_271140000 401_0310");
  const TMaterialItem small = m.GetItem(0);
  EXPECT_EQ(small.Kind, mkKovaFillerSleeve);
  EXPECT_EQ(small.Description, "KOVA fillersleeve 18/12");
  EXPECT_EQ(small.Size1, 18000);
  EXPECT_EQ(small.Size2, 12000);
  EXPECT_EQ(small.Length, 140000);
  EXPECT_EQ(small.Amount, 7);
  EXPECT_FALSE(small.NonStandard);
  EXPECT_EQ(m.GetItem(1).Description, "KOVA fillersleeve 27/19");
  EXPECT_EQ(m.GetItem(1).Amount, 13);
  const TMaterialItem sealant = m.GetItem(2);
  EXPECT_EQ(sealant.Kind, mkTisoSealant);
  EXPECT_EQ(sealant.Description, "TISO sealant");
  EXPECT_EQ(sealant.Size1, 310);
  EXPECT_EQ(sealant.Length, 0);
  EXPECT_DOUBLE_EQ(sealant.Amount, 1.9938996677979932);
  EXPECT_TRUE(m.HasKind(mkTisoSealant));
  EXPECT_FALSE(m.HasKind(mkKovaCableSleeve));
  EXPECT_THROW(m.GetItem(3), std::out_of_range);
}

TEST(Materials, SleevesPerRowMergedAndSorted) {
  TTransit t = NewTransit();
  t.Width = 300000;
  t.Height = 200000;
  t.CornerRadius = 20000;
  t.Depth = 200000;  // sealing depth 160 mm
  AddConduits(t, 61000, 2);
  AddConduits(t, 12500, 3);
  AddConduits(t, 13000, 2);  // the same 18/12 row as 12.5 mm
  AddConduits(t, 38000, 4);
  const TMaterialsUsedForTransit m = Materials(t);
  EXPECT_EQ(Codes(m),
            "101_10180001160000 101_10460001160000 101_10700001160000 301_181160000 301_271160000 401_0310");
  const TMaterialItem& s18 = Line(m, "101_10180001160000");
  EXPECT_EQ(s18.Description, "KOVA cablesleeve 18/12");
  EXPECT_EQ(s18.Amount, 5);
  EXPECT_EQ(s18.Size1, 18000);
  EXPECT_EQ(s18.Size2, 12000);
  EXPECT_EQ(s18.Length, 160000);
  EXPECT_EQ(Line(m, "101_10460001160000").Amount, 4);
  EXPECT_EQ(Line(m, "101_10700001160000").Description, "KOVA cablesleeve 70/60");
}

TEST(Materials, StandardLengthAndNonStandardFlag) {
  struct Case {
    double depth;
    double length;
    bool nonStandard;
  };
  // Sealing depth is the depth less 40 mm of sealant; a piece may be 3.5 mm
  // shorter than it, and is cut by hand when more than 1 mm longer.
  const Case cases[] = {
      {181000, 140000, false},  // 141 mm: within 3.5 mm of 140
      {179000, 140000, false},  // exactly 1 mm shorter: not cut
      {178900, 140000, true},   // 1.1 mm shorter
      {183600, 160000, true},   // 143.6 mm: 140 is too short, 160 is cut
      {200000, 160000, false},
  };
  for (const Case& c : cases) {
    TTransit t = NewTransit();
    t.Depth = c.depth;
    AddConduits(t, 20000, 1);
    const TMaterialsUsedForTransit m = Materials(t);
    for (const TMaterialItem& item : m.Lines()) {
      if (item.Kind == mkTisoSealant) {
        EXPECT_FALSE(item.NonStandard);
        continue;
      }
      EXPECT_EQ(item.Length, c.length) << c.depth << " " << item.Code;
      EXPECT_EQ(item.NonStandard, c.nonStandard) << c.depth << " " << item.Code;
    }
  }
}

TEST(Materials, NoStandardLengthGivesTwoPiecesOf140) {
  TTransit t = NewTransit();
  t.FillSystem = fsGrentax;  // filler sleeves up to 210 mm
  t.SealantCartridge = scGrentax;
  t.Depth = 260000;  // sealing depth 220 mm
  AddConduits(t, 20000, 3);
  const TMaterialsUsedForTransit m = Materials(t);
  EXPECT_EQ(Codes(m), "101_10270002000000 303_181140000 303_271140000 403_0310");
  // The cable sleeves follow their own catalogue: 1000 mm, cut by hand.
  const TMaterialItem& sleeve = Line(m, "101_10270002000000");
  EXPECT_EQ(sleeve.Length, 1000000);
  EXPECT_EQ(sleeve.Amount, 3);
  EXPECT_TRUE(sleeve.NonStandard);
  const TMaterialItem& filler = Line(m, "303_271140000");
  EXPECT_EQ(filler.Description, "GRENTAX fillersleeve 27/19");
  EXPECT_EQ(filler.Kind, mkGrentaxFillerSleeve);
  EXPECT_EQ(filler.Length, 140000);
  EXPECT_TRUE(filler.NonStandard);  // 280 mm against 220 mm
  EXPECT_EQ(static_cast<int>(filler.Amount) % 2, 0);
  EXPECT_GT(filler.Amount, 0);
  EXPECT_EQ(Line(m, "403_0310").Description, "GRENTAX sealant");
  EXPECT_EQ(Line(m, "403_0310").Kind, mkGrentaxSealant);
}

TEST(Materials, ClearanceRingsAndBareConduitsHaveNoLine) {
  TTransit t = NewTransit();
  t.ChangeConduitType(ctPipesMetal);  // A-class metal pipes get clearance rings
  AddConduits(t, 30000, 2);
  const TMaterialsUsedForTransit m = Materials(t);
  ASSERT_EQ(t.FillItems.at(0).CoverCode, ccClearanceRing);
  EXPECT_EQ(Codes(m), "301_181140000 301_271140000 401_0310");
}

TEST(Materials, PipeSleevesOfMetalPipesComeAsTwo80mmPieces) {
  TTransit t = NewTransit();
  t.ChangeConduitType(ctPipesMetal);
  t.Classification = clH;
  AddConduits(t, 40000, 3);
  const TMaterialsUsedForTransit m = Materials(t);
  ASSERT_EQ(t.FillItems.at(0).CoverCode, ccKovaPipeSleeve);
  const TMaterialItem& sleeve = Line(m, "102_10640001080000");
  EXPECT_EQ(sleeve.Kind, mkKovaPipeSleeve);
  EXPECT_EQ(sleeve.Description, "KOVA pipesleeve 64/40");
  EXPECT_EQ(sleeve.Size1, 64000);
  EXPECT_EQ(sleeve.Size2, 40000);
  EXPECT_EQ(sleeve.Length, 80000);
  EXPECT_EQ(sleeve.Amount, 6);
  EXPECT_TRUE(sleeve.NonStandard);  // 160 mm against a sealing depth of 140 mm

  TTransit plastic = NewTransit();
  plastic.ChangeConduitType(ctPipesPlastic);
  AddConduits(plastic, 40000, 3);
  const TMaterialsUsedForTransit p = Materials(plastic);
  ASSERT_EQ(plastic.FillItems.at(0).CoverCode, ccKovaPlasticPipeSleeve);
  EXPECT_EQ(Line(p, "102_10640001140000").Amount, 3);
  EXPECT_FALSE(Line(p, "102_10640001140000").NonStandard);
}

TEST(Materials, StripsAroundOversizeConduitsInWholeMetres) {
  TTransit t = NewTransit();
  t.Width = t.Height = 300000;
  AddConduits(t, 80000, 3);  // 4 layers: 3 x 1.162 m
  const TMaterialsUsedForTransit m = Materials(t);
  ASSERT_EQ(t.FillItems.at(0).CoverCode, ccOversizeCable);
  const TMaterialItem& strip = Line(m, "2011140000");
  EXPECT_EQ(strip.Kind, mkStrip);
  EXPECT_EQ(strip.Description, "Strip FRR/EHF (2,5mm)");
  EXPECT_EQ(strip.Size1, 140000);
  EXPECT_EQ(strip.Size2, 0);
  EXPECT_EQ(strip.Length, 0);
  EXPECT_EQ(strip.Amount, 4);  // 3.487 m rounded up

  // Metal pipes beyond the pipe sleeves: two 80 mm pieces of strip.
  TTransit p = NewTransit();
  p.Width = p.Height = 400000;
  p.ChangeConduitType(ctPipesMetal);
  p.Classification = clH;
  AddConduits(p, 60000, 3);  // 6 layers: 3 x 1.461 m x 2 pieces = 8.77 m
  const TMaterialsUsedForTransit pm = Materials(p);
  ASSERT_EQ(p.FillItems.at(0).CoverCode, ccOversizePipe);
  EXPECT_EQ(Line(pm, "2011080000").Amount, 9);
  EXPECT_FALSE(Line(pm, "2011080000").NonStandard);
}

TEST(Materials, UsedThreeTimesTriplesAfterRounding) {
  TTransit once = NewTransit();
  once.Width = once.Height = 300000;
  AddConduits(once, 80000, 3);
  TTransit thrice = once;
  thrice.TransitsInProject = 3;
  const TMaterialsUsedForTransit a = Materials(once);
  const TMaterialsUsedForTransit b = Materials(thrice);
  ASSERT_EQ(a.Count(), b.Count());
  EXPECT_EQ(Line(b, "2011140000").Amount, 12);  // ceiling(3.487) x 3, not ceiling(10.46)
  for (int i = 0; i < a.Count(); ++i) {
    EXPECT_EQ(a.GetItem(i).Code, b.GetItem(i).Code);
    EXPECT_DOUBLE_EQ(a.GetItem(i).Amount * 3, b.GetItem(i).Amount);
  }
  EXPECT_NE(Line(b, "401_0310").Amount, MaterialCeiling(Line(b, "401_0310").Amount));
}

TEST(Materials, CrushersAndTheLongCrusherForLargePipes) {
  TTransit t = NewTransit();
  t.FillSystem = fsKovaMoxel;
  t.FillSubsystem = fssCFitCrusher;
  t.ChangeConduitType(ctPipesPlastic);
  MakeRound(t, 200000);
  t.Depth = 210000;  // sealing depth 170 mm
  AddConduits(t, 140000, 1);
  const TMaterialsUsedForTransit m = Materials(t);
  ASSERT_EQ(t.MaterialsKind, 0);
  // The 207 and 202 crushers do not fit a 200 mm opening.
  EXPECT_EQ(Codes(m), "104_12000001190000 401_0310");
  const TMaterialItem& crusher = m.GetItem(0);
  EXPECT_EQ(crusher.Kind, mkMoxelCrusher);
  EXPECT_EQ(crusher.Description, "KOVA/MOXEL Crusher 200/140");
  EXPECT_EQ(crusher.Length, 190000);
  EXPECT_EQ(crusher.Amount, 1);
  EXPECT_FALSE(crusher.NonStandard);  // the flag of the 170 mm piece
  // No filling material: the sealant takes every gap, here none beside the crusher.
  EXPECT_DOUBLE_EQ(m.GetItem(1).Amount, 2.2741077146295483);

  TTransit small = t;
  small.ConduitGroups.at(0).OuterDiameter = 125000;
  const TMaterialsUsedForTransit s = Materials(small);
  EXPECT_EQ(s.GetItem(0).Code, "104_11600001170000");
  EXPECT_EQ(s.GetItem(0).Length, 170000);
}

TEST(Materials, WrapsTakeTheCrusherLength) {
  TTransit t = NewTransit();
  t.FillSystem = fsKovaMoxel;
  t.FillSubsystem = fssWrapCrusher;
  t.ChangeConduitType(ctPipesPlastic);
  MakeRound(t, 100000);
  t.Depth = 150000;  // sealing depth 110 mm; crushers come in 170 mm only
  AddConduits(t, 60000, 1);
  const TMaterialsUsedForTransit m = Materials(t);
  ASSERT_EQ(t.FillItems.at(0).CoverCode, ccWrap);
  const TMaterialItem& wrap = m.GetItem(0);
  EXPECT_EQ(wrap.Kind, mkWrap);
  EXPECT_EQ(wrap.Description, "KOVA/MOXEL Wrap");
  EXPECT_EQ(wrap.Code, "2021170000");
  EXPECT_EQ(wrap.Size1, 170000);
  EXPECT_TRUE(wrap.NonStandard);  // 170 mm against 110 mm
  EXPECT_EQ(wrap.Amount, MaterialCeiling(wrap.Amount));
  EXPECT_GE(wrap.Amount, 1);
}

TEST(Materials, RoundTransitWithLittleRoomGetsOnlySmallFillerSleeves) {
  TTransit t = NewTransit();
  MakeRound(t, 200000);
  AddConduits(t, 160000, 1);  // strips to 90 mm radius: 20 mm left beside it
  const TMaterialsUsedForTransit m = Materials(t);
  EXPECT_EQ(Line(m, "301_271140000").Amount, 0);
  EXPECT_EQ(Line(m, "301_181140000").Amount, 22);  // 5430 mm² / 254.469
}

TEST(Materials, TooLittleFreeSpaceKeepsBothFillerLinesAtZero) {
  // A 70/60 sleeve in a 70 mm round opening leaves no room at all.
  TTransit tight = NewTransit();
  MakeRound(tight, 70000);
  AddConduits(tight, 61000, 1);
  const TMaterialsUsedForTransit mt = Materials(tight);
  EXPECT_EQ(Codes(mt), "101_10700001140000 301_181140000 301_271140000 401_0310");
  EXPECT_EQ(Line(mt, "301_271140000").Amount, 0);
  EXPECT_EQ(Line(mt, "301_181140000").Amount, 0);
}

TEST(Materials, SheetsForDusmera) {
  TTransit t = NewTransit();
  t.FillSystem = fsDusmera;
  t.Width = 200000;
  t.Height = 100000;
  t.CornerRadius = 0;
  const TMaterialsUsedForTransit m = Materials(t);
  ASSERT_EQ(t.MaterialsKind, 2);
  // free 22000 mm²: 32 thick strips, 20 thin; 32/24 and 20/30 sheets rounded up.
  ASSERT_EQ(Codes(m), "304_300 304_600 401_0310");
  const TMaterialItem thin = m.GetItem(0), thick = m.GetItem(1);
  EXPECT_EQ(thick.Description, "VESKAMOR sheet 600x140x25");
  EXPECT_EQ(thick.Kind, mkVeskamorSheet);
  EXPECT_EQ(thick.Size1, 600000);
  EXPECT_EQ(thick.Size2, 25000);
  EXPECT_EQ(thick.Length, 140000);
  EXPECT_EQ(thick.Amount, 2);
  EXPECT_EQ(thin.Description, "VESKAMOR sheet 300x140x10");
  EXPECT_EQ(thin.Size1, 300000);
  EXPECT_EQ(thin.Size2, 10000);
  EXPECT_EQ(thin.Amount, 1);
  // The sheets fill every gap: the sealant covers the faces only.
  EXPECT_DOUBLE_EQ(m.GetItem(2).Amount, 2.8387096774193554);
}

TEST(Materials, PravenSleevesAndHorlan) {
  TTransit t = NewTransit();
  t.FillSystem = fsPraven;
  t.Classification = clWatertight;
  t.SealantCartridge = scHorlan;
  t.Depth = 200000;  // sealing depth 160 mm
  AddConduits(t, 20000, 2);
  const TMaterialsUsedForTransit m = Materials(t);
  EXPECT_EQ(Codes(m), "103_10270001160000 302_181160000 302_271160000 402_0310");
  EXPECT_EQ(m.GetItem(0).Kind, mkPravenSleeve);
  EXPECT_EQ(m.GetItem(0).Description, "PRAVEN sleeve 27/19");
  EXPECT_EQ(m.GetItem(1).Description, "PRAVEN fillersleeve 18/12");
  EXPECT_EQ(m.GetItem(1).Kind, mkPravenFillerSleeve);
  EXPECT_EQ(m.GetItem(3).Description, "HORLAN sealant");
  EXPECT_EQ(m.GetItem(3).Kind, mkHorlanSealant);
}

TEST(Materials, UndefinedChoicesRaiseTheirMessages) {
  {
    TTransit t = NewTransit();
    t.Fill();
    t.FillSystem = static_cast<TFillSystem>(7);
    TMaterialsUsedForTransit m;
    try {
      m.Calculate(t);
      ADD_FAILURE();
    } catch (const TError& e) {
      EXPECT_STREQ(e.what(), "FillSystem niet gedefinieerd!");
    }
  }
  {
    TTransit t = NewTransit();
    t.Fill();
    t.MaterialsKind = 3;
    TMaterialsUsedForTransit m;
    EXPECT_THROW(m.Calculate(t), TError);
  }
  {
    // Filler sleeves have no DUSMERA line.
    TTransit t = NewTransit();
    t.Fill();
    t.FillSystem = fsDusmera;
    t.MaterialsKind = 1;
    TMaterialsUsedForTransit m;
    try {
      m.Calculate(t);
      ADD_FAILURE();
    } catch (const TError& e) {
      EXPECT_STREQ(e.what(), "FillSystem niet gedefinieerd!");
    }
  }
  {
    TTransit t = NewTransit();
    t.SealantCartridge = static_cast<TSealantCartridge>(3);
    EXPECT_EQ(ErrorOf(t), "Sealant niet gedefinieerd!");
  }
}

TEST(Materials, AddFromMergesAndSortsWithoutRounding) {
  TMaterialsUsedForTransit a, b, total;
  a.AddMaterial(mkStrip, "Strip FRR/EHF (2,5mm)", 140000, 0, 0, 1.25, "2011140000", false);
  a.AddMaterial(mkTisoSealant, "TISO sealant", 310, 0, 0, 0.5, "401_0310", false);
  b.AddMaterial(mkTisoSealant, "TISO sealant", 310, 0, 0, 0.75, "401_0310", true);
  b.AddMaterial(mkKovaCableSleeve, "KOVA cablesleeve 18/12", 18000, 12000, 140000, 4, "101_10180001140000", false);
  b.AddMaterial(mkStrip, "Strip FRR/EHF (2,5mm)", 140000, 0, 0, 2.5, "2011140000", true);
  total.AddFrom(a);
  total.AddFrom(b);
  ASSERT_EQ(total.Count(), 3);
  EXPECT_EQ(Codes(total), "101_10180001140000 2011140000 401_0310");
  EXPECT_EQ(total.GetItem(1).Amount, 3.75);
  EXPECT_FALSE(total.GetItem(1).NonStandard);  // the first line keeps its texts and flag
  EXPECT_EQ(total.GetItem(2).Amount, 1.25);
  // Same code but another length is another line.
  TMaterialsUsedForTransit c;
  c.AddMaterial(mkKovaCableSleeve, "x", 18000, 12000, 160000, 1, "101_10180001140000", false);
  total.AddFrom(c);
  EXPECT_EQ(total.Count(), 4);
  // A list added to itself doubles.
  total.AddFrom(total);
  EXPECT_EQ(total.Count(), 4);
  EXPECT_EQ(Line(total, "401_0310").Amount, 2.5);
}
