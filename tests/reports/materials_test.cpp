#include <gtest/gtest.h>

#include "reports/materials.h"

TEST(MaterialNumberText, IntegralValues) { EXPECT_EQ(MaterialNumberText(1040000), "1040000"); }
