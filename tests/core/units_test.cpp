#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/units.h"

namespace {
struct UnitGuard {
  ~UnitGuard() {
    CurrentLengthUnit = luMillimetre;
    SetDecimalSeparator('.');
  }
};
}  // namespace

TEST(Units, LengthsAndAreasInBothUnits) {
  UnitGuard guard;
  EXPECT_EQ(FormatLength(12345), "12.35");
  EXPECT_EQ(FormatArea(1e9), "10.00");
  EXPECT_EQ(LengthUnitName(), "mm");
  EXPECT_EQ(AreaUnitName(), "cm\xC2\xB2");
  EXPECT_EQ(LengthUnitFactor(), 1000.0);
  CurrentLengthUnit = luInch;
  EXPECT_EQ(FormatLength(12345), "0.4860");
  EXPECT_EQ(FormatArea(1e9), "1.550");
  EXPECT_EQ(LengthUnitFactor(), 25400.0);
  EXPECT_EQ(AreaUnitName(), "inch\xC2\xB2");
}

TEST(Units, UnknownUnitAndDecimalSeparator) {
  UnitGuard guard;
  CurrentLengthUnit = static_cast<TLengthUnit>(2);
  EXPECT_THROW(LengthUnitFactor(), TError);
  EXPECT_THROW(FormatLength(1), TError);
  CurrentLengthUnit = luMillimetre;
  SetDecimalSeparator(',');
  EXPECT_EQ(FormatLength(12345), "12,35");
  EXPECT_EQ(FormatFloat("%.1f", 23.44), "23,4");
}

TEST(Units, TimestampsAreDaysSince1899) {
  // 1 January 2000, 12:00 is day 36526.5.
  const std::string text = FormatTimestamp(36526.5);
  EXPECT_NE(text.find("12:00:00"), std::string::npos) << text;
  EXPECT_NE(text.find("00"), std::string::npos);
  EXPECT_EQ(FormatTimestamp(1e300), "");
  const double now = NowDateTime();
  EXPECT_GT(now, 46000);  // after 2025
}
