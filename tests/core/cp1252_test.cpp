#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>

#include "core/cp1252.h"

namespace {

// The C library's converters as the independent reference.
class TIconv {
public:
  TIconv(const char* to, const char* from) : Cd(iconv_open(to, from)) {}
  ~TIconv() { iconv_close(Cd); }
  // False when the input holds something the source encoding does not
  // define or the target cannot hold.
  bool Convert(const std::string& in, std::string& out) {
    iconv(Cd, nullptr, nullptr, nullptr, nullptr);
    std::string buffer(in.size() * 4 + 8, '\0');
    char* from = const_cast<char*>(in.data());
    char* to = buffer.data();
    size_t fromLeft = in.size(), toLeft = buffer.size();
    if (iconv(Cd, &from, &fromLeft, &to, &toLeft) == static_cast<size_t>(-1)) return false;
    out.assign(buffer.data(), buffer.size() - toLeft);
    return true;
  }
  bool Valid() const { return Cd != reinterpret_cast<iconv_t>(-1); }

private:
  iconv_t Cd;
};

std::u32string Utf32(const std::string& bytes) {
  std::u32string text;
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
    text += static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                  static_cast<unsigned char>(bytes[i + 2]) << 16 |
                                  static_cast<unsigned char>(bytes[i + 3]) << 24);
  return text;
}

}  // namespace

TEST(Cp1252, BytesAndCharactersAsTheCLibraryHasThem) {
  TIconv toUtf8("UTF-8", "CP1252"), fromUtf8("CP1252", "UTF-8");
  ASSERT_TRUE(toUtf8.Valid() && fromUtf8.Valid());
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    std::string expected;
    if (toUtf8.Convert(byte, expected)) {
      EXPECT_EQ(Cp1252ToUtf8(byte), expected) << b;
    } else {
      // The five undefined bytes stand for the control characters of the same number.
      EXPECT_TRUE(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) << b;
      EXPECT_EQ(Cp1252Character(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
      EXPECT_EQ(Cp1252Byte(static_cast<char32_t>(b)), b);
      EXPECT_EQ(Cp1252DefinedByte(static_cast<char32_t>(b)), -1);
    }
  }
  // Every byte survives the way into memory and back.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);

  // Which characters the code page holds, over the whole basic plane.
  int held = 0;
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string utf8, byte;
    AppendUtf8(utf8, c);
    const bool defined = fromUtf8.Convert(utf8, byte);
    ASSERT_EQ(Cp1252DefinedByte(c) >= 0, defined) << std::hex << static_cast<unsigned>(c);
    if (defined) {
      ++held;
      ASSERT_EQ(Cp1252DefinedByte(c), static_cast<unsigned char>(byte[0]));
      ASSERT_EQ(Utf8ToCp1252(utf8), byte);
    }
    const bool standIn = c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
    ASSERT_EQ(FitsCp1252(c), defined || standIn);
    ASSERT_EQ(FitsCp1252(std::string_view(utf8)), defined || standIn);
  }
  EXPECT_EQ(held, 255 - 5);
  EXPECT_FALSE(FitsCp1252(U'\U0001F600'));
  EXPECT_EQ(Utf8ToCp1252("a\xE2\x86\x92" "b \xF0\x9F\x98\x80"), "a?b ?");
}

// Random bytes rich in lead and continuation bytes: the same sequences are
// UTF-8 as for the C library, with the same characters, and writing those
// characters back gives the same bytes.
TEST(Utf8, DecodesAsTheCLibraryDoes) {
  TIconv toUtf32("UTF-32LE", "UTF-8");
  ASSERT_TRUE(toUtf32.Valid());
  const unsigned char pool[] = {'a',  0x00, 0x7F, 0x80, 0x8F, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0,
                                0xE1, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xF7, 0xF8, 0xFE, 0xFF};
  std::mt19937 rng(1252);
  int valid = 0;
  for (int n = 0; n < 200000; ++n) {
    std::string bytes;
    const int length = 1 + static_cast<int>(rng() % 5);
    for (int k = 0; k < length; ++k) bytes += static_cast<char>(pool[rng() % sizeof pool]);
    std::string wide;
    const bool expected = toUtf32.Convert(bytes, wide);
    ASSERT_EQ(IsValidUtf8(bytes), expected) << n;
    if (!expected) continue;
    ++valid;
    std::u32string decoded;
    std::string again;
    for (size_t i = 0; i < bytes.size();) {
      char32_t c;
      const size_t step = DecodeUtf8(bytes, i, c);
      ASSERT_GT(step, 0u);
      decoded += c;
      AppendUtf8(again, c);
      i += step;
    }
    ASSERT_EQ(decoded, Utf32(wide)) << n;
    ASSERT_EQ(again, bytes) << n;
  }
  EXPECT_GT(valid, 1000);
  // A sequence cut short by the end of the text.
  char32_t c;
  EXPECT_EQ(DecodeUtf8(std::string_view("\xE2\x82", 2), 0, c), 0u);
  EXPECT_EQ(DecodeUtf8("\xF4\x8F\xBF\xBF", 0, c), 4u);
  EXPECT_EQ(c, U'\U0010FFFF');
}
