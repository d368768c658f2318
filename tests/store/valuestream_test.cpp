#include <chrono>

#include "store/helpers.h"
#include "store/cp1252.h"
#include "store/valuestream.h"

using namespace storetest;

namespace {

std::string Written(void (*write)(TStreamWriter&)) {
  TMemoryStream m;
  TStreamWriter w(m);
  write(w);
  return m.Data;
}

}  // namespace

TEST(ValueStream, EncodesEachKindExactly) {
  EXPECT_EQ(Written([](TStreamWriter& w) { w.WriteString(""); }), std::string("\0\0\0\0", 4));
  EXPECT_EQ(Written([](TStreamWriter& w) { w.WriteBoolean(true); }), std::string("\1\0\0\0", 4));
  EXPECT_EQ(Written([](TStreamWriter& w) { w.WriteBoolean(false); }), std::string("\0\0\0\0", 4));
  EXPECT_EQ(Written([](TStreamWriter& w) { w.WriteString("abc"); }), std::string("\3\0\0\0abc", 7));
  EXPECT_EQ(Written([](TStreamWriter& w) { w.WriteInteger(-2); }), std::string("\xFE\xFF\xFF\xFF", 4));
  EXPECT_EQ(Written([](TStreamWriter& w) { w.WriteDouble(1.0); }), std::string("\0\0\0\0\0\0\xF0\x3F", 8));
  EXPECT_EQ(Written([](TStreamWriter& w) { w.WriteDateTime(1.0); }), std::string("\0\0\0\0\0\0\xF0\x3F", 8));
  EXPECT_EQ(Written([](TStreamWriter& w) { w.WriteStrings({"a", ""}); }),
            std::string("\2\0\0\0\1\0\0\0a\0\0\0\0", 13));
}

TEST(ValueStream, ReadsBackWhatAnIndependentWriterWrote) {
  TMemoryStream m(TBytes().Int(2).Str("").Str("abc").Dbl(-3.25).Int(3).Str("x").Str("y").Str("z").Int(0).Data);
  TStreamReader r(m);
  EXPECT_TRUE(r.ReadBoolean());  // any non-zero integer is true
  EXPECT_EQ(r.ReadString(), "");
  EXPECT_EQ(r.ReadString(), "abc");
  EXPECT_EQ(r.ReadDouble(), -3.25);
  std::vector<std::string> lines = {"old 1", "old 2", "old 3", "old 4"};
  r.ReadStrings(lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"x", "y", "z"}));
  r.ReadStrings(lines);  // a count of 0 empties the list
  EXPECT_TRUE(lines.empty());
  EXPECT_THROW(r.ReadInteger(), TReadError);
}

TEST(ValueStream, NegativeLineCountLeavesTheListEmpty) {
  TMemoryStream m(TBytes().Int(-5).Data);
  TStreamReader r(m);
  std::vector<std::string> lines = {"x"};
  r.ReadStrings(lines);
  EXPECT_TRUE(lines.empty());
}

TEST(ValueStream, ShortReadsFailWithTheStreamReadError) {
  TMemoryStream m(std::string("\1\2\3", 3));
  TStreamReader r(m);
  try {
    r.ReadInteger();
    FAIL();
  } catch (const TReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
    EXPECT_EQ(ErrorKindName(e), "EReadError");
  }
}

TEST(ValueStream, HostileLengthsFailAtOnceWithoutAllocating) {
  // A 1 GB text and a 2 000 000 000 line list in a few bytes, inside a real zlib stream.
  const auto start = std::chrono::steady_clock::now();
  {
    TZlibReadStream z(Compress(TBytes().Int(1 << 30).Raw(std::string(190, 'x')).Data));
    TStreamReader r(z);
    EXPECT_THROW(r.ReadString(), TReadError);
  }
  {
    TZlibReadStream z(Compress(TBytes().Int(2000000000).Str("a").Str("b").Data));
    TStreamReader r(z);
    std::vector<std::string> lines;
    EXPECT_THROW(r.ReadStrings(lines), TReadError);
    EXPECT_EQ(lines.size(), 2u);
  }
  {
    TMemoryStream m(TBytes().Int(-1).Data);
    TStreamReader r(m);
    EXPECT_THROW(r.ReadString(), TReadError);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(ValueStream, TextIsWindows1252OnDiskAndUtf8InMemory) {
  // é (E9), € (80), Ÿ (9F), ü (FC); the undefined byte 81 survives a round trip.
  const std::string disk = "caf\xE9 \x80 \x9F \xFC \x81";
  TMemoryStream m(TBytes().Str(disk).Data);
  TStreamReader r(m);
  const std::string text = r.ReadString();
  EXPECT_EQ(text, "café € Ÿ ü \xC2\x81");
  TMemoryStream out;
  TStreamWriter(out).WriteString(text);
  EXPECT_EQ(out.Data, TBytes().Str(disk).Data);
}

TEST(ValueStream, CharactersTheCodePageCannotHoldBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("a→b 中 😀"), "a?b ? ?");
  // Malformed UTF-8: each bad byte is one "?".
  EXPECT_EQ(Utf8ToCp1252("x\xC3"), "x?");
  EXPECT_EQ(Utf8ToCp1252("\xFF\xC0\x80y"), "???y");
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");  // a surrogate
  // All 256 bytes survive the way into memory and back.
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
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
  EXPECT_EQ(static_cast<unsigned char>(sink.Data[0]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(sink.Data[1]), 0x01);  // level 1: the fastest
  EXPECT_EQ(Uncompress(sink.Data), payload);
  TZlibReadStream back(sink.Data);
  std::string read(payload.size(), '\0');
  back.ReadBuffer(read.data(), read.size());
  EXPECT_EQ(read, payload);
  char extra;
  EXPECT_EQ(back.Read(&extra, 1), 0u);
}

TEST(ValueStream, DamagedAndTruncatedZlibStreams) {
  const std::string good = Compress(TBytes().Str("Version_1.00").Int(0).Data);
  {
    std::string bad = good;
    bad[0] = 0x12;  // not a zlib header
    TZlibReadStream z(bad);
    TStreamReader r(z);
    try {
      r.ReadString();
      FAIL();
    } catch (const TDecompressionError& e) {
      EXPECT_EQ(e.Kind, "EZDecompressionError");
    }
  }
  {
    TZlibReadStream z(good.substr(0, good.size() / 2));
    TStreamReader r(z);
    EXPECT_THROW({ r.ReadString(); r.ReadInteger(); }, TReadError);
  }
  {
    TZlibReadStream z("");
    TStreamReader r(z);
    EXPECT_THROW(r.ReadString(), TReadError);
  }
}
