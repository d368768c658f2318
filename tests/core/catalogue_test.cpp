#include <gtest/gtest.h>

#include "core/catalogue.h"

TEST(Catalogue, SizesAndTexts) {
  EXPECT_EQ(KovaCableSleeves().RowCount(), 15);
  EXPECT_EQ(KovaPipeSleeves().RowCount(), 20);
  EXPECT_EQ(PravenSleeves().RowCount(), 15);
  EXPECT_EQ(SingleCrushers().RowCount(), 50);
  EXPECT_EQ(MultiCrushers().RowCount(), 17);
  EXPECT_EQ(GrentaxSleeves().LengthCount(), 4);
  EXPECT_EQ(VeskamorStrips().LengthCount(), 8);
  EXPECT_EQ(KovaCableSleeves().Row(0).ProductText, "KOVA cablesleeve  12/6");
  EXPECT_EQ(KovaCableSleeves().Row(2).ProductText, "KOVA cablesleeve 16/10");
  EXPECT_EQ(KovaPipeSleeves().Row(0).ProductText, "KOVA pipesleeve  27/6");
  EXPECT_EQ(KovaPipeSleeves().Row(2).ProductText, "KOVA pipesleeve 31/10");
  EXPECT_EQ(PravenSleeves().Row(1).ProductText, "PRAVEN sleeve  14/8");
  EXPECT_EQ(SingleCrushers().Row(15).ProductText, "KOVA/MOXEL Crusher  131/90");
  EXPECT_EQ(SingleCrushers().Row(49).ProductText, "KOVA/MOXEL Crusher   30/16");
  const TCatalogueRow& crusher16 = MultiCrushers().Row(0);
  EXPECT_DOUBLE_EQ(crusher16.MinConduitDiameter, 15900);
  EXPECT_DOUBLE_EQ(crusher16.MaxConduitDiameter, 17900);
  EXPECT_DOUBLE_EQ(MultiCrushers().Row(2).MaxConduitDiameter, 22000);
  EXPECT_DOUBLE_EQ(KovaPipeSleeves().CatalogueMaxDiameter(), 44000);
}

TEST(Catalogue, LookupsTakeTheFirstMatch) {
  EXPECT_EQ(KovaCableSleeves().Find(7000, 0, NoOuterLimit), 0);  // rows 1 and 2 both take 7 mm
  EXPECT_EQ(KovaCableSleeves().Find(63999, 0, NoOuterLimit), 14);
  EXPECT_EQ(KovaCableSleeves().Find(64000, 0, NoOuterLimit), -1);
  EXPECT_EQ(SingleCrushers().Find(110000, 0, 152000), 13);
  EXPECT_EQ(SingleCrushers().Row(13).ProductText, "KOVA/MOXEL Crusher 150/110");
  EXPECT_EQ(SingleCrushers().Find(110000, 0, 137000), -1);
  EXPECT_EQ(SingleCrushers().Find(112500, 0, NoOuterLimit), -1);
  EXPECT_EQ(GrentaxSleeves().Find(20000, 0, NoOuterLimit), -1);
  EXPECT_EQ(VeskamorStrips().Find(20000, 0, NoOuterLimit), -1);
  EXPECT_EQ(PravenSleeves().LengthAt(PravenSleeves().FindLength(120000)), 160000);
  EXPECT_EQ(PravenSleeves().FindLength(1200000), -1);
}
