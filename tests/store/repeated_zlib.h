#pragma once
// Files that claim, and really hold, far more than they take on disk: a zlib
// stream of gigabytes made in a moment. Used by the tests and the benchmarks.
#include <zlib.h>

#include <stdexcept>
#include <string>

namespace storetest {

// A zlib stream of prefix, `repeat` times chunk, then suffix, made without
// compressing the whole: chunk is deflated once after a full flush (which
// makes its bytes independent of what came before) and those bytes are
// repeated. The check value is that of the whole payload, so zlib itself
// reads the file as it is.
inline std::string RepeatedZlib(const std::string& prefix, const std::string& chunk, size_t repeat,
                                const std::string& suffix) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("zlib does not start");
  auto run = [&z](const std::string& in, int flush) {
    std::string out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    do {
      unsigned char buffer[1 << 16];
      z.next_out = buffer;
      z.avail_out = sizeof buffer;
      deflate(&z, flush);
      out.append(reinterpret_cast<char*>(buffer), sizeof buffer - z.avail_out);
    } while (z.avail_out == 0);
    return out;
  };
  std::string body = run(prefix, Z_FULL_FLUSH);
  const std::string block = run(chunk, Z_FULL_FLUSH);
  for (size_t i = 0; i < repeat; ++i) body += block;
  body += run(suffix, Z_FINISH);
  deflateEnd(&z);
  auto adler = [](const std::string& s) {
    return adler32(1, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size()));
  };
  uLong check = adler(prefix);
  const uLong chunkCheck = adler(chunk);
  for (size_t i = 0; i < repeat; ++i) check = adler32_combine(check, chunkCheck, static_cast<z_off_t>(chunk.size()));
  check = adler32_combine(check, adler(suffix), static_cast<z_off_t>(suffix.size()));
  std::string file = "\x78\xDA" + body;
  for (int shift = 24; shift >= 0; shift -= 8) file += static_cast<char>((check >> shift) & 0xFF);
  return file;
}

}  // namespace storetest
