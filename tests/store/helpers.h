#pragma once
// Shared test tools: an independent writer of the file format (plain byte
// building and zlib's own compress2/uncompress2) and a fixture.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/errors.h"
#include "store/datafile.h"
#include "platform/dialogs.h"
#include "store/settings.h"
#include "store/streams.h"
#include "store/tables.h"

namespace storetest {

// Payload bytes written by hand, little-endian; texts are given as Windows-1252 bytes.
class TBytes {
public:
  TBytes& Int(int32_t v) { return Put(static_cast<uint32_t>(v), 4); }
  TBytes& Dbl(double v) {
    uint64_t u;
    std::memcpy(&u, &v, 8);
    return Put(u, 8);
  }
  TBytes& Str(const std::string& s) { return Int(static_cast<int32_t>(s.size())).Raw(s); }
  TBytes& Raw(const std::string& s) {
    Data += s;
    return *this;
  }
  std::string Data;

private:
  TBytes& Put(uint64_t u, int size) {
    for (int i = 0; i < size; ++i) Data += static_cast<char>((u >> (8 * i)) & 0xFF);
    return *this;
  }
};

inline std::string Compress(const std::string& payload, int level = 6) {
  uLongf size = compressBound(payload.size());
  std::string out(size, '\0');
  EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                      reinterpret_cast<const Bytef*>(payload.data()), payload.size(), level),
            Z_OK);
  out.resize(size);
  return out;
}

// Inflates with zlib itself; fails the test on anything but one complete stream.
inline std::string Uncompress(const std::string& compressed) {
  std::string out(1 << 22, '\0');
  uLongf size = out.size();
  uLong used = compressed.size();
  EXPECT_EQ(uncompress2(reinterpret_cast<Bytef*>(out.data()), &size,
                        reinterpret_cast<const Bytef*>(compressed.data()), &used),
            Z_OK);
  EXPECT_EQ(used, compressed.size());
  out.resize(size);
  return out;
}

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

inline void WriteFile(const std::filesystem::path& p, const std::string& data) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << data;
}

// The temporaries of safe saves left in a folder ("NAME.tmp-" and eight characters).
inline std::vector<std::string> TempFilesIn(const std::filesystem::path& dir) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) found.push_back(entry.path().string());
  return found;
}

inline void ClearTables() {
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
}

// Starts and ends with empty tables, default settings and no data file held; files go to a scratch
// folder, and what the user is shown goes to Shown, in order ("msg:" for messages, "err:" for errors).
class TStoreTest : public ::testing::Test, public TCollectingDialogs {
protected:
  TStoreTest() : Previous(SetUserDialogs(this)) {
    char pattern[] = "/tmp/trellane-store-XXXXXX";
    Dir = mkdtemp(pattern);
    ClearTables();
    SetDefaultSettings();
  }
  ~TStoreTest() override {
    CloseDataFile();
    ClearTables();
    SetDefaultSettings();
    SetUserDialogs(Previous);
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  void ShowMessage(const std::string& text, const std::string& = {}) override { Shown.push_back("msg:" + text); }
  void ShowError(const std::string& text) override { Shown.push_back("err:" + text); }
  void ShowNotice(const std::string& text) override { ShowMessage(text); }
  std::string Path(const std::string& name) const { return (Dir / name).string(); }
  TUserDialogs* Previous;
  std::filesystem::path Dir;
  std::vector<std::string> Shown;
};

// A new transit (with defaults) and conduit records of diameter 10000 + i and amount i + 1.
inline int NewTransit(int32_t projectId, const std::string& name, int conduits = 0) {
  const int t = Transits.Add();
  InitTransitRecord(t);
  Transits.Items(t)->ProjectID = projectId;
  Transits.Items(t)->Name = name;
  for (int i = 0; i < conduits; ++i) {
    TRecConduit* c = Conduits.Items(Conduits.Add());
    c->TransitID = Transits.Items(t)->ID;
    c->OuterDiameter = 10000 + i;
    c->Amount = i + 1;
  }
  return t;
}

// A transit record as the program writes it, by hand; version 1.02 unless told.
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
