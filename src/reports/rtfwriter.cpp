#include "reports/rtfwriter.h"

#include <cstdint>

#include "core/cp1252.h"

namespace {

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

}  // namespace

std::string RtfText(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = 0;
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
    } else if (const int byte = Cp1252DefinedByte(cp); byte >= 0) {
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
