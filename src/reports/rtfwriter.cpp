#include "reports/rtfwriter.h"

#include <cstdint>

namespace {

// Unicode code points of the Windows-1252 bytes 80 to 9F (0 where undefined).
const uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The Windows-1252 byte of a code point, or -1.
int Cp1252Byte(uint32_t cp) {
  if (cp >= 0xA0 && cp <= 0xFF) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == cp && cp != 0) return 0x80 + i;
  return -1;
}

void AppendHexByte(std::string& out, int byte) {
  static const char kHex[] = "0123456789abcdef";
  out += "\\'";
  out += kHex[(byte >> 4) & 15];
  out += kHex[byte & 15];
}

void AppendUnicodeUnit(std::string& out, uint32_t unit) {
  // \u takes a signed 16-bit number; the ? is what readers without Unicode show.
  const int value = unit > 0x7FFF ? static_cast<int>(unit) - 0x10000 : static_cast<int>(unit);
  out += "\\u" + std::to_string(value) + "?";
}

// Decodes one UTF-8 sequence at text[i]; returns its length, 0 when invalid.
size_t DecodeUtf8(const std::string& text, size_t i, uint32_t& cp) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  // Lead byte: the sequence length, its payload bits and the smallest code
  // point that needs that many bytes (shorter forms are not UTF-8).
  size_t length = 0;
  uint32_t min = 0;
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
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char d = static_cast<unsigned char>(text[i + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string RtfText(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    uint32_t cp = 0;
    size_t length = DecodeUtf8(utf8, i, cp);
    if (length == 0) {
      // Not UTF-8: the byte is taken as Windows-1252 as it stands.
      AppendHexByte(out, static_cast<unsigned char>(utf8[i]));
      ++i;
      continue;
    }
    if (cp == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++length;
    i += length;
    if (cp == '\\' || cp == '{' || cp == '}') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (cp == '\t') {
      out += "\\tab ";
    } else if (cp == '\r' || cp == '\n') {
      out += "\\line ";
    } else if (cp < 0x20 || cp == 0x7F) {
      // Other control characters have no place in the document.
    } else if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (const int byte = Cp1252Byte(cp); byte >= 0) {
      AppendHexByte(out, byte);
    } else if (cp > 0xFFFF) {
      const uint32_t v = cp - 0x10000;
      AppendUnicodeUnit(out, 0xD800 + (v >> 10));
      AppendUnicodeUnit(out, 0xDC00 + (v & 0x3FF));
    } else {
      AppendUnicodeUnit(out, cp);
    }
  }
  return out;
}

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

std::string PadAmount(int width, const std::string& text) {
  const long spaces = width - 2 * static_cast<long>(text.size());
  return spaces > 0 ? std::string(static_cast<size_t>(spaces), ' ') + text : text;
}

void WriteLine(std::string& stream, const std::string& text) {
  stream += text;
  stream += "\r\n";
}

void WriteText(std::string& stream, const std::string& text) { stream += text; }
