#include "core/cp1252.h"

#include <array>

namespace {

// Characters of the bytes 80 to 9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

size_t DecodeUtf8(std::string_view text, size_t at, char32_t& cp) {
  const auto c = static_cast<unsigned char>(text[at]);
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  // The lead byte gives the length, its payload bits and the smallest
  // character that needs that many bytes (shorter forms are not UTF-8).
  size_t length;
  char32_t min;
  if ((c & 0xE0) == 0xC0) {
    length = 2;
    cp = c & 0x1F;
    min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    length = 3;
    cp = c & 0x0F;
    min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    length = 4;
    cp = c & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (length > text.size() - at) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto d = static_cast<unsigned char>(text[at + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

bool IsValidUtf8(std::string_view text) {
  char32_t cp;
  for (size_t i = 0; i < text.size();) {
    const size_t length = DecodeUtf8(text, i, cp);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

char32_t Cp1252Character(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

int Cp1252Byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == cp) return 0x80 + i;
  return -1;
}

int Cp1252DefinedByte(char32_t cp) {
  if (cp >= 0x80 && cp < 0xA0) return -1;  // the stand-ins
  return Cp1252Byte(cp);
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) out += c;
    else AppendUtf8(out, Cp1252Character(b));
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t cp;
    const size_t length = DecodeUtf8(text, i, cp);
    // Anything malformed is one "?" per byte.
    if (length == 0) {
      out += '?';
      ++i;
      continue;
    }
    const int byte = Cp1252Byte(cp);
    out += byte < 0 ? '?' : static_cast<char>(byte);
    i += length;
  }
  return out;
}

bool FitsCp1252(char32_t character) { return Cp1252Byte(character) >= 0; }

bool FitsCp1252(std::string_view text) {
  char32_t cp;
  for (size_t i = 0; i < text.size();) {
    const size_t length = DecodeUtf8(text, i, cp);
    if (length == 0 || !FitsCp1252(cp)) return false;
    i += length;
  }
  return true;
}
