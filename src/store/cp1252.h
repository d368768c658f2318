#pragma once
#include <string>
#include <string_view>

// Text is UTF-8 in memory and Windows-1252 in every file.

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined
// (81, 8D, 8F, 90, 9D) become the control characters of the same number, so
// that they survive a round trip.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252 bytes. A character the code page cannot hold, and
// every byte that is not part of valid UTF-8, is written as "?".
std::string Utf8ToCp1252(std::string_view text);

// True when the code page holds this character (so it survives a save).
bool FitsCp1252(char32_t character);
