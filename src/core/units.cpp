#include "core/units.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "core/errors.h"

TLengthUnit CurrentLengthUnit = luMillimetre;

namespace {
char gDecimalSeparator = '.';
}

char DecimalSeparator() { return gDecimalSeparator; }
void SetDecimalSeparator(char separator) { gDecimalSeparator = separator; }

void InitDecimalSeparatorFromLocale() {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "")) {
    const lconv* conv = std::localeconv();
    if (conv && conv->decimal_point && conv->decimal_point[0] && !conv->decimal_point[1])
      gDecimalSeparator = conv->decimal_point[0];
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

std::string FormatFloat(const char* format, double value) {
  char buffer[512];
  // Formatting always runs in the C locale's numeric form; the separator is ours.
  int n = std::snprintf(buffer, sizeof buffer, format, value);
  std::string text;
  if (n < 0) return text;
  if (static_cast<size_t>(n) < sizeof buffer) {
    text.assign(buffer, n);
  } else {
    text.resize(n + 1);
    std::snprintf(text.data(), text.size(), format, value);
    text.resize(n);
  }
  const char localPoint = [] {
    const lconv* conv = std::localeconv();
    return conv && conv->decimal_point && conv->decimal_point[0] ? conv->decimal_point[0] : '.';
  }();
  for (char& c : text)
    if (c == localPoint) { c = gDecimalSeparator; break; }
  return text;
}

double LengthUnitFactor() {
  switch (CurrentLengthUnit) {
    case luMillimetre: return 1000.0;
    case luInch: return 25400.0;
  }
  throw TError("Unknown length-unit");
}

std::string LengthUnitName() {
  switch (CurrentLengthUnit) {
    case luMillimetre: return "mm";
    case luInch: return "inch";
  }
  throw TError("Unknown length-unit");
}

std::string AreaUnitName() {
  switch (CurrentLengthUnit) {
    case luMillimetre: return "cm\xC2\xB2";
    case luInch: return "inch\xC2\xB2";
  }
  throw TError("Unknown length-unit");
}

std::string FormatLength(double micrometres) {
  switch (CurrentLengthUnit) {
    case luMillimetre: return FormatFloat("%.2f", micrometres / 1000);
    case luInch: return FormatFloat("%.4f", micrometres / 25400);
  }
  throw TError("Unknown length-unit");
}

std::string FormatArea(double squareMicrometres) {
  switch (CurrentLengthUnit) {
    case luMillimetre: return FormatFloat("%.2f", squareMicrometres / 10000 / 10000);
    case luInch: return FormatFloat("%.3f", squareMicrometres / 25400 / 25400);
  }
  throw TError("Unknown length-unit");
}

namespace {
constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01 as days since 1899-12-30
}

std::string FormatTimestamp(double dateTime) {
  if (!std::isfinite(dateTime)) return std::string();
  double seconds = std::round((dateTime - kUnixEpochDays) * 86400.0);
  if (seconds < -6e16 || seconds > 6e16) return std::string();
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (!gmtime_r(&t, &parts)) return std::string();
  char buffer[128];
  size_t n = std::strftime(buffer, sizeof buffer, "%x %X", &parts);
  return std::string(buffer, n);
}

double NowDateTime() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  // A date-time holds local wall-clock time; express it through timegm.
  std::time_t wall = timegm(&local);
  return static_cast<double>(wall) / 86400.0 + kUnixEpochDays;
}
