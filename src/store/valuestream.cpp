#include "store/valuestream.h"

#include <bit>
#include <cstring>

#include "core/cp1252.h"

static_assert(std::endian::native == std::endian::little, "the value encoding assumes a little-endian machine");

void TStreamWriter::WriteInteger(int32_t value) { Stream.Write(&value, 4); }

void TStreamWriter::WriteDouble(double value) { Stream.Write(&value, 8); }

void TStreamWriter::WriteString(const std::string& text) {
  const std::string bytes = Utf8ToCp1252(text);
  // Written only when it can be read back.
  if (bytes.size() > MaxStoredTextBytes)
    throw TWriteError("A text of " + std::to_string(bytes.size()) + " characters is longer than the " +
                      std::to_string(MaxStoredTextBytes) + " that can be stored; shorten it and try again.");
  WriteInteger(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) Stream.Write(bytes.data(), bytes.size());
}

void TStreamWriter::WriteStrings(const std::vector<std::string>& lines) {
  if (lines.size() > MaxStoredLines)
    throw TWriteError("A list of " + std::to_string(lines.size()) + " lines is longer than the " +
                      std::to_string(MaxStoredLines) + " that can be stored.");
  WriteInteger(static_cast<int32_t>(lines.size()));
  for (const std::string& line : lines) WriteString(line);
}

int32_t TStreamReader::ReadInteger() {
  int32_t value;
  Stream.ReadBuffer(&value, 4);
  return value;
}

double TStreamReader::ReadDouble() {
  double value;
  Stream.ReadBuffer(&value, 8);
  return value;
}

std::string TStreamReader::ReadString() {
  const int32_t count = ReadInteger();
  if (count < 0) throw TReadError();
  if (static_cast<size_t>(count) > MaxStoredTextBytes)
    throw TLimitError("The file holds a text of " + std::to_string(count) + " bytes, longer than the " +
                      std::to_string(MaxStoredTextBytes) +
                      " allowed; the file is damaged or is not a file of this program.");
  // Short texts in one go; long ones a piece at a time, so that a false
  // count in a damaged file costs no more memory than the file holds.
  constexpr size_t kPiece = 1 << 16;
  std::string bytes;
  size_t left = static_cast<size_t>(count);
  while (left) {
    const size_t piece = left < kPiece ? left : kPiece;
    const size_t at = bytes.size();
    bytes.resize(at + piece);
    Stream.ReadBuffer(bytes.data() + at, piece);
    left -= piece;
  }
  bool ascii = true;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  return ascii ? bytes : Cp1252ToUtf8(bytes);
}

void TStreamReader::ReadStrings(std::vector<std::string>& lines) {
  lines.clear();
  const int32_t count = ReadInteger();
  if (count > 0 && static_cast<size_t>(count) > MaxStoredLines)
    throw TLimitError("The file holds a list of " + std::to_string(count) + " lines, more than the " +
                      std::to_string(MaxStoredLines) +
                      " allowed; the file is damaged or is not a file of this program.");
  for (int32_t i = 0; i < count; ++i) lines.push_back(ReadString());
}
