#include <gtest/gtest.h>

#include "core/enums.h"
#include "core/errors.h"

TEST(Enums, ParseAndFormat) {
  EXPECT_EQ(ParseConduitType("Pipes (GRP)"), ctPipesGRP);
  EXPECT_EQ(ParseConduitType("Pipes (plastic)"), ctPipesPlastic);
  EXPECT_EQ(ConduitTypeToText(ctPipesGRP), "Pipes (GRP)");
  EXPECT_EQ(ParseFillSubsystem("c_fit_crusher"), fssNone);
  EXPECT_EQ(ParseFillSubsystem("WRAP Crusher"), fssWrapCrusher);
  EXPECT_THROW(ParseClassification("a-class"), TError);
  try {
    FillSystemToText(static_cast<TFillSystem>(5));
    FAIL();
  } catch (const TError& e) {
    EXPECT_STREQ(e.what(), "Unknown Fillsystem string");
  }
}
