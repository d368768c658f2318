#pragma once
// Shared test tools: an independent writer of the file format (plain byte
// building and zlib's own compress2/uncompress), a scratch folder, and a sink
// that records what the user would be shown.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/errors.h"
#include "store/messages.h"
#include "store/streams.h"
#include "store/settings.h"
#include "store/tables.h"

namespace storetest {

// Payload bytes written by hand, little-endian.
class TBytes {
public:
  TBytes& Int(int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) Data += static_cast<char>((u >> (8 * i)) & 0xFF);
    return *this;
  }
  TBytes& Dbl(double v) {
    uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; ++i) Data += static_cast<char>((u >> (8 * i)) & 0xFF);
    return *this;
  }
  // Raw bytes: the caller gives Windows-1252.
  TBytes& Str(const std::string& s) {
    Int(static_cast<int32_t>(s.size()));
    Data += s;
    return *this;
  }
  TBytes& Raw(const std::string& s) {
    Data += s;
    return *this;
  }
  std::string Data;
};

// Reads payload bytes back by hand.
class TBytesReader {
public:
  explicit TBytesReader(std::string d) : Data(std::move(d)) {}
  int32_t Int() {
    if (Pos + 4 > Data.size()) throw std::runtime_error("short");
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(static_cast<unsigned char>(Data[Pos + i])) << (8 * i);
    Pos += 4;
    return static_cast<int32_t>(u);
  }
  double Dbl() {
    if (Pos + 8 > Data.size()) throw std::runtime_error("short");
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(static_cast<unsigned char>(Data[Pos + i])) << (8 * i);
    Pos += 8;
    double v;
    std::memcpy(&v, &u, 8);
    return v;
  }
  std::string Str() {
    const int32_t n = Int();
    if (n < 0 || Pos + static_cast<size_t>(n) > Data.size()) throw std::runtime_error("short");
    std::string s = Data.substr(Pos, static_cast<size_t>(n));
    Pos += static_cast<size_t>(n);
    return s;
  }
  bool AtEnd() const { return Pos == Data.size(); }
  std::string Data;
  size_t Pos = 0;
};

inline std::string Compress(const std::string& payload, int level = 6) {
  uLongf size = compressBound(payload.size());
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(payload.data()),
                payload.size(), level) != Z_OK)
    throw std::runtime_error("compress2");
  out.resize(size);
  return out;
}

// Inflates with zlib's one-shot API; fails the test on anything but a complete stream.
inline std::string Uncompress(const std::string& compressed) {
  z_stream z{};
  EXPECT_EQ(inflateInit(&z), Z_OK);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  z.avail_in = static_cast<uInt>(compressed.size());
  std::string out;
  char buf[1 << 15];
  int rc;
  do {
    z.next_out = reinterpret_cast<Bytef*>(buf);
    z.avail_out = sizeof buf;
    rc = inflate(&z, Z_NO_FLUSH);
    out.append(buf, sizeof buf - z.avail_out);
  } while (rc == Z_OK);
  EXPECT_EQ(rc, Z_STREAM_END);
  inflateEnd(&z);
  return out;
}

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::filesystem::path& p, const std::string& data) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f << data;
}

class TRecordingSink : public TMessageSink {
public:
  TRecordingSink() { previous_ = SetMessageSink(this); }
  ~TRecordingSink() override { SetMessageSink(previous_); }
  void ShowMessage(const std::string& text) override { Messages.push_back(text); All.push_back("msg:" + text); }
  void ShowError(const std::string& text) override { Errors.push_back(text); All.push_back("err:" + text); }
  void Clear() {
    Messages.clear();
    Errors.clear();
    All.clear();
  }
  std::vector<std::string> Messages, Errors, All;

private:
  TMessageSink* previous_;
};

class TScratch {
public:
  TScratch() {
    char pattern[] = "/tmp/trellane-store-XXXXXX";
    Dir = mkdtemp(pattern);
  }
  ~TScratch() {
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  std::string Path(const std::string& name) const { return (Dir / name).string(); }
  std::filesystem::path Dir;
};

inline void ClearTables() {
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
}

// A V102 transit record as the program writes it, by hand.
struct TTransitCodes {
  std::string Tag = "RecTransit_V102";
  int32_t ProjectID = 1;
  std::string Name = "T";
  int32_t ConduitType = 101, FillSystem = 201, Classification = 301, Cartridge = 503;
  int32_t Layer = 602, Subsystem = 999, Misc2 = 999, Misc3 = 999, Misc4 = 999;
};

inline void AppendTransit(TBytes& b, const TTransitCodes& c) {
  b.Str(c.Tag).Int(c.ProjectID).Str(c.Name).Int(2).Dbl(45000.5).Str("creator").Dbl(45001.25).Str("modifier");
  b.Str("line 1\r\nline 2").Dbl(180000).Dbl(300000).Dbl(200000).Dbl(10000).Dbl(5);
  b.Int(c.ConduitType).Int(c.FillSystem).Int(c.Classification).Int(401).Int(c.Cartridge);
  if (c.Tag == "RecTransit_V102") b.Int(c.Layer).Int(c.Subsystem).Int(c.Misc2).Int(c.Misc3).Int(c.Misc4);
}

inline void AppendConduit(TBytes& b, int32_t transitId, double diameter, int32_t amount, int32_t type = 101) {
  b.Str("RecConduit_V100").Int(transitId).Dbl(diameter).Int(amount).Int(type);
}

}  // namespace storetest
