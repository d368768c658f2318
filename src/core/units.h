#pragma once
#include <cstdint>
#include <string>

enum TLengthUnit : uint8_t { luMillimetre = 0, luInch = 1 };

// Process-wide length unit; every function below reads it when called.
extern TLengthUnit CurrentLengthUnit;

double LengthUnitFactor();         // micrometres per shown unit
std::string LengthUnitName();      // "mm" or "inch"
std::string AreaUnitName();        // "cm²" or "inch²" (UTF-8)
std::string FormatLength(double micrometres);
std::string FormatArea(double squareMicrometres);

// Date-times are days since 30 December 1899, as stored in the files.
std::string FormatTimestamp(double dateTime);
// The current local time as a date-time.
double NowDateTime();

// The decimal separator used by every formatted number. Process-wide; the
// program sets it from the desktop's locale, the command-line tool from the
// process locale.
char DecimalSeparator();
void SetDecimalSeparator(char separator);
void InitDecimalSeparatorFromLocale();

// printf-style formatting of one double with the decimal separator applied,
// e.g. FormatFloat("%.1f", 23.45).
std::string FormatFloat(const char* format, double value);
