#include "core/cp1252.h"
#include "store/helpers.h"
#include "store/valuestream.h"

using namespace storetest;

// The encoding itself is checked byte for byte through the files written in the other tests.
TEST(ValueStream, OddCountsAndBooleans) {
  TMemoryStream m(TBytes().Int(2).Int(-5).Int(-1).Data);
  TStreamReader r(m);
  EXPECT_TRUE(r.ReadBoolean());  // any non-zero integer is true
  std::vector<std::string> lines = {"x"};
  r.ReadStrings(lines);  // a negative line count empties the list
  EXPECT_TRUE(lines.empty());
  EXPECT_THROW(r.ReadString(), TReadError);  // a negative length fails
}

TEST(ValueStream, TextIsWindows1252OnDiskAndUtf8InMemory) {
  // é (E9), € (80), Ÿ (9F), ü (FC); the undefined byte 81 survives a round trip.
  const std::string disk = TBytes().Str("caf\xE9 \x80 \x9F \xFC \x81").Data;
  TMemoryStream m(disk);
  const std::string text = TStreamReader(m).ReadString();
  EXPECT_EQ(text, "café € Ÿ ü \xC2\x81");
  TMemoryStream out;
  TStreamWriter(out).WriteString(text);
  EXPECT_EQ(out.Data, disk);
  // All 256 bytes survive the way into memory and back.
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);

  // What the code page cannot hold, and each byte of malformed UTF-8, becomes one "?".
  const std::pair<std::string, std::string> cases[] = {
      {"a→b 中 😀", "a?b ? ?"}, {"x\xC3", "x?"}, {"\xFF\xC0\x80y", "???y"}, {"\xED\xA0\x80", "???"},  // a surrogate
  };
  for (const auto& [utf8, cp1252] : cases) EXPECT_EQ(Utf8ToCp1252(utf8), cp1252);
}

TEST(ValueStream, ZlibStreamsRoundTripAndReadByStandardZlib) {
  std::string payload;
  for (int i = 0; i < 200000; ++i) payload += static_cast<char>('a' + i % 7);
  TMemoryStream sink;
  {
    TZlibWriteStream z(sink);
    for (size_t at = 0; at < payload.size(); at += 1000) z.Write(payload.data() + at, 1000);
    z.Finish();
  }
  EXPECT_EQ(sink.Data.substr(0, 2), "\x78\x01");  // level 1: the fastest
  EXPECT_EQ(Uncompress(sink.Data), payload);
  TZlibReadStream back(sink.Data);
  std::string read(payload.size(), '\0');
  back.ReadBuffer(read.data(), read.size());
  EXPECT_EQ(read, payload);
  char extra;
  EXPECT_EQ(back.Read(&extra, 1), 0u);
}
