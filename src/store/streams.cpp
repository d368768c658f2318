#include "store/streams.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string ErrorKindName(const std::exception& e) {
  if (const auto* s = dynamic_cast<const TStreamError*>(&e)) return s->Kind;
  if (dynamic_cast<const std::bad_alloc*>(&e)) return "EOutOfMemory";
  return "Exception";
}

size_t TStream::Read(void*, size_t) { throw TReadError(); }
void TStream::Write(const void*, size_t) { throw TWriteError(); }

size_t TMemoryStream::Read(void* buffer, size_t count) {
  const size_t left = Position < Data.size() ? Data.size() - Position : 0;
  const size_t n = count < left ? count : left;
  if (n) std::memcpy(buffer, Data.data() + Position, n);
  Position += n;
  return n;
}

void TMemoryStream::Write(const void* buffer, size_t count) {
  if (!count) return;
  if (Position > Data.size()) Data.resize(Position);
  const size_t overlap = Data.size() - Position < count ? Data.size() - Position : count;
  std::memcpy(Data.data() + Position, buffer, overlap);
  Data.append(static_cast<const char*>(buffer) + overlap, count - overlap);
  Position += count;
}

namespace {
constexpr size_t kZlibChunk = 1 << 16;

std::string ZlibMessage(const z_stream& z, int code) {
  if (z.msg) return z.msg;
  const char* text = zError(code);
  return text ? text : "zlib error";
}
}  // namespace

size_t PayloadLimitFor(size_t compressedSize) {
  return compressedSize > MinPayloadLimit / 200 ? compressedSize * 200 : MinPayloadLimit;
}

TZlibReadStream::TZlibReadStream(std::string compressed, size_t limit)
    : Compressed(std::move(compressed)), Out(kZlibChunk), Limit(limit ? limit : PayloadLimitFor(Compressed.size())) {
  Z.next_in = reinterpret_cast<Bytef*>(Compressed.data());
  Z.avail_in = static_cast<uInt>(Compressed.size());
  if (Compressed.size() > 0xFFFFFFFFu) throw TDecompressionError("file too large");
  const int rc = inflateInit(&Z);
  if (rc != Z_OK) throw TDecompressionError(ZlibMessage(Z, rc));
}

TZlibReadStream::~TZlibReadStream() { inflateEnd(&Z); }

bool TZlibReadStream::Fill() {
  if (Ended) return false;
  Z.next_out = Out.data();
  Z.avail_out = static_cast<uInt>(Out.size());
  const int rc = inflate(&Z, Z_NO_FLUSH);
  OutPos = 0;
  OutEnd = Out.size() - Z.avail_out;
  if (rc == Z_STREAM_END) {
    Ended = true;
  } else if (rc == Z_BUF_ERROR) {
    // No progress possible: the compressed data ended before the stream did.
    if (OutEnd == 0) Ended = true;
  } else if (rc != Z_OK) {
    Ended = true;
    throw TDecompressionError(ZlibMessage(Z, rc));
  } else if (OutEnd == 0 && Z.avail_in == 0) {
    Ended = true;
  }
  if (Z.total_out > Limit) {
    Ended = true;
    OutPos = OutEnd = 0;
    throw TLimitError("The contents of the file are larger than " + std::to_string(Limit >> 20) +
                      " MiB; the file is damaged or is not a file of this program.");
  }
  return OutEnd > 0;
}

size_t TZlibReadStream::Read(void* buffer, size_t count) {
  auto* dst = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < count) {
    if (OutPos == OutEnd && !Fill()) {
      if (Ended) break;
      continue;
    }
    const size_t n = count - done < OutEnd - OutPos ? count - done : OutEnd - OutPos;
    std::memcpy(dst + done, Out.data() + OutPos, n);
    OutPos += n;
    done += n;
  }
  return done;
}

TZlibWriteStream::TZlibWriteStream(TStream& sink, int level) : Sink(sink), In(kZlibChunk), Out(kZlibChunk) {
  const int rc = deflateInit(&Z, level);
  if (rc != Z_OK) throw TCompressionError(ZlibMessage(Z, rc));
}

TZlibWriteStream::~TZlibWriteStream() { deflateEnd(&Z); }

void TZlibWriteStream::Deflate(int flush) {
  Z.next_in = In.data();
  Z.avail_in = static_cast<uInt>(InUsed);
  for (;;) {
    Z.next_out = Out.data();
    Z.avail_out = static_cast<uInt>(Out.size());
    const int rc = deflate(&Z, flush);
    if (rc == Z_STREAM_ERROR) throw TCompressionError(ZlibMessage(Z, rc));
    const size_t produced = Out.size() - Z.avail_out;
    if (produced) Sink.Write(Out.data(), produced);
    if (flush == Z_FINISH ? rc == Z_STREAM_END : (Z.avail_in == 0 && Z.avail_out != 0)) break;
  }
  InUsed = 0;
}

void TZlibWriteStream::Write(const void* buffer, size_t count) {
  if (Finished) throw TWriteError();
  const auto* src = static_cast<const unsigned char*>(buffer);
  while (count) {
    const size_t n = count < In.size() - InUsed ? count : In.size() - InUsed;
    std::memcpy(In.data() + InUsed, src, n);
    InUsed += n;
    src += n;
    count -= n;
    if (InUsed == In.size()) Deflate(Z_NO_FLUSH);
  }
}

void TZlibWriteStream::Finish() {
  if (Finished) return;
  Deflate(Z_FINISH);
  Finished = true;
}

void TFdWriteStream::Write(const void* buffer, size_t count) {
  Buffer.append(static_cast<const char*>(buffer), count);
  if (Buffer.size() >= (1 << 16)) Flush();
}

void TFdWriteStream::Flush() {
  size_t done = 0;
  while (done < Buffer.size()) {
    const ssize_t n = ::write(Fd, Buffer.data() + done, Buffer.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw TWriteError(std::string("Stream write error: ") + std::strerror(errno));
    }
    done += static_cast<size_t>(n);
  }
  Buffer.clear();
}

std::string ReadWholeFd(int fd, const std::string& path) {
  std::string data;
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw TOpenError("Cannot read file \"" + path + "\". " + std::strerror(errno));
    }
    if (n == 0) break;
    data.append(chunk, static_cast<size_t>(n));
  }
  return data;
}

std::string ReadWholeFile(const std::string& path) {
  // Without blocking: a FIFO or device put at the name must not hang the program.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw TOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
  try {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
      throw TOpenError("Cannot open file \"" + path + "\". It is not a regular file.");
    std::string data = ReadWholeFd(fd, path);
    ::close(fd);
    return data;
  } catch (...) {
    ::close(fd);
    throw;
  }
}

std::string ZlibCompress(const std::string& payload) {
  TMemoryStream sink;
  TZlibWriteStream z(sink);
  z.Write(payload.data(), payload.size());
  z.Finish();
  return std::move(sink.Data);
}
