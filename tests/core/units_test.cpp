#include <gtest/gtest.h>

#include <ctime>
#include <string>

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

namespace {
// A date and hour as the C library writes it in the current locale.
std::string Written(int year, int month, int day, int hour) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  char buffer[128];
  return std::string(buffer, std::strftime(buffer, sizeof buffer, "%x %X", &parts));
}
}  // namespace

TEST(Units, TimestampsAreDaysSince1899) {
  // Day 0 is 30 December 1899; the fraction is the time of day.
  EXPECT_EQ(FormatTimestamp(0.25), Written(1899, 12, 30, 6));
  EXPECT_EQ(FormatTimestamp(36526.5), Written(2000, 1, 1, 12));
  EXPECT_EQ(FormatTimestamp(45000.75), Written(2023, 3, 15, 18));
  EXPECT_EQ(FormatTimestamp(1e300), "");
  // Now, as local wall-clock time: within the widest time-zone offset of the
  // Unix clock counted from 1 January 1970 (day 25569).
  const double unixDays = static_cast<double>(std::time(nullptr)) / 86400.0 + 25569.0;
  EXPECT_NEAR(NowDateTime(), unixDays, 14.5 / 24);
}
