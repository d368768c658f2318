#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

#include "core/errors.h"

// Failures of the byte streams. Each kind carries the name under which the
// program reports what went wrong, besides the message itself.
class TStreamError : public TError {
public:
  TStreamError(const std::string& kind, const std::string& message) : TError(message), Kind(kind) {}
  std::string Kind;
};
// Fewer bytes than a value needs.
class TReadError : public TStreamError {
public:
  TReadError() : TStreamError("EReadError", "Stream read error") {}
};
class TWriteError : public TStreamError {
public:
  explicit TWriteError(const std::string& message = "Stream write error") : TStreamError("EWriteError", message) {}
};
// A file that would make the program hold more than the limits below: it is
// refused at once, before the memory is taken.
class TLimitError : public TStreamError {
public:
  explicit TLimitError(const std::string& message) : TStreamError("EReadError", message) {}
};

// What one file may make the program hold. No stored text comes near a
// megabyte (the longest are the comments), nor the contents of a real data
// file near 256 MiB; a damaged or hostile file that claims more is refused.
constexpr size_t MaxStoredTextBytes = size_t(1) << 20;
constexpr size_t MaxStoredLines = size_t(1) << 20;
constexpr size_t MinPayloadLimit = size_t(256) << 20;
// 256 MiB, or 200 times the compressed size when that is more.
size_t PayloadLimitFor(size_t compressedSize);

class TOpenError : public TStreamError {
public:
  explicit TOpenError(const std::string& message) : TStreamError("EFOpenError", message) {}
};
class TCreateError : public TStreamError {
public:
  explicit TCreateError(const std::string& message) : TStreamError("EFCreateError", message) {}
};
class TDecompressionError : public TStreamError {
public:
  explicit TDecompressionError(const std::string& message) : TStreamError("EZDecompressionError", message) {}
};
class TCompressionError : public TStreamError {
public:
  explicit TCompressionError(const std::string& message) : TStreamError("EZCompressionError", message) {}
};

// The name of the kind of a failure, as shown before its message.
std::string ErrorKindName(const std::exception& e);

// A sequential byte stream.
class TStream {
public:
  virtual ~TStream() = default;
  // Reads up to count bytes; fewer only at the end of the stream.
  virtual size_t Read(void* buffer, size_t count);
  // Writes all bytes or throws.
  virtual void Write(const void* buffer, size_t count);
  // Reads exactly count bytes or throws TReadError.
  void ReadBuffer(void* buffer, size_t count) {
    if (Read(buffer, count) != count) throw TReadError();
  }
};

// A stream over bytes in memory; writes append at the position.
class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : Data(std::move(bytes)) {}
  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  std::string Data;
  size_t Position = 0;
};

// Reads the payload of a zlib stream held in memory. A damaged stream raises
// TDecompressionError; a stream that ends early simply ends, so the next value
// read raises TReadError. Bytes after the end of the zlib stream are never
// looked at. A payload longer than limit (0: PayloadLimitFor the compressed
// size) raises TLimitError as soon as it is inflated that far.
class TZlibReadStream : public TStream {
public:
  explicit TZlibReadStream(std::string compressed, size_t limit = 0);
  ~TZlibReadStream() override;
  TZlibReadStream(const TZlibReadStream&) = delete;
  TZlibReadStream& operator=(const TZlibReadStream&) = delete;
  size_t Read(void* buffer, size_t count) override;

private:
  bool Fill();
  std::string Compressed;
  z_stream Z{};
  std::vector<unsigned char> Out;
  size_t OutPos = 0, OutEnd = 0;
  size_t Limit;
  bool Ended = false;
};

// Compresses everything written (zlib format, level 1 unless told) into a sink
// stream. Finish writes the end of the zlib stream; it must be called once
// before the writer is dropped for the output to be complete.
class TZlibWriteStream : public TStream {
public:
  explicit TZlibWriteStream(TStream& sink, int level = 1);
  ~TZlibWriteStream() override;
  TZlibWriteStream(const TZlibWriteStream&) = delete;
  TZlibWriteStream& operator=(const TZlibWriteStream&) = delete;
  void Write(const void* buffer, size_t count) override;
  void Finish();

private:
  void Deflate(int flush);
  void Flush();
  TStream& Sink;
  z_stream Z{};
  std::vector<unsigned char> In, Out;
  size_t InUsed = 0;
  bool Finished = false;
};

// Writes, buffered, to an open file descriptor it does not own.
class TFdWriteStream : public TStream {
public:
  explicit TFdWriteStream(int fd) : Fd(fd) { Buffer.reserve(1 << 16); }
  void Write(const void* buffer, size_t count) override;
  void Flush();

private:
  int Fd;
  std::string Buffer;
};

// The whole contents of a file; TOpenError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);
std::string ReadWholeFd(int fd, const std::string& path);

// Compresses and decompresses whole byte strings with the file format's settings.
std::string ZlibCompress(const std::string& payload);
