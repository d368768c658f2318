#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "store/streams.h"

// The one binary value encoding of every file: integers 4 bytes little-endian,
// booleans as integers, doubles and date-times as 8-byte IEEE doubles, texts as
// a 4-byte byte count and the Windows-1252 bytes. Texts are UTF-8 in memory and
// converted at this boundary. The writer and reader keep no state of their
// own: every call works at the stream's current position.
class TStreamWriter {
public:
  explicit TStreamWriter(TStream& stream) : Stream(stream) {}
  void WriteInteger(int32_t value);
  void WriteBoolean(bool value) { WriteInteger(value ? 1 : 0); }
  void WriteDateTime(double value) { WriteDouble(value); }
  void WriteDouble(double value);
  // A text longer than MaxStoredTextBytes (a list longer than
  // MaxStoredLines) fails with TWriteError: it could not be read back.
  void WriteString(const std::string& text);
  void WriteStrings(const std::vector<std::string>& lines);

  TStream& Stream;
};

class TStreamReader {
public:
  explicit TStreamReader(TStream& stream) : Stream(stream) {}
  int32_t ReadInteger();
  bool ReadBoolean() { return ReadInteger() != 0; }
  double ReadDateTime() { return ReadDouble(); }
  double ReadDouble();
  // A byte count above MaxStoredTextBytes fails with TLimitError before
  // anything is taken; one above what the stream still holds fails with
  // TReadError once the bytes run out. Memory grows only with the bytes
  // actually read.
  std::string ReadString();
  // Empties the list, then reads the count and that many lines; a count of 0
  // or below leaves the list empty, one above MaxStoredLines fails with TLimitError.
  void ReadStrings(std::vector<std::string>& lines);

  TStream& Stream;
};
