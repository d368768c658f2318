#include "reports/rtfwriter.h"

#include <gtest/gtest.h>

TEST(RtfText, SpecialCharactersAreEscaped) {
  EXPECT_EQ(RtfText("Deck 3"), "Deck 3");
  EXPECT_EQ(RtfText("{Deck 3}"), "\\{Deck 3\\}");
  EXPECT_EQ(RtfText("C:\\par"), "C:\\\\par");
  EXPECT_EQ(RtfText("a\tb"), "a\\tab b");
  EXPECT_EQ(RtfText("one\r\ntwo\rthree\nfour"), "one\\line two\\line three\\line four");
  EXPECT_EQ(RtfText(std::string("x\x01y\x7f", 4)), "xy");
  EXPECT_EQ(RtfText(""), "");
}

TEST(RtfText, NonAsciiAsCodePageOrUnicode) {
  EXPECT_EQ(RtfText("M\xC3\xBCller"), "M\\'fcller");                 // ü
  EXPECT_EQ(RtfText("\xC2\xA0\xC3\xBF"), "\\'a0\\'ff");                // no-break space, ÿ
  EXPECT_EQ(RtfText("\xE2\x82\xAC 5"), "\\'80 5");                      // euro sign
  EXPECT_EQ(RtfText("\xE2\x80\x9Cq\xE2\x80\x9D"), "\\'93q\\'94");       // curly quotes
  EXPECT_EQ(RtfText("\xC5\xB8"), "\\'9f");                              // Ÿ
  EXPECT_EQ(RtfText("\xC5\x91"), "\\u337?");                            // ő is not in the code page
  EXPECT_EQ(RtfText("\xE2\x89\xA5"), "\\u8805?");                       // ≥
  EXPECT_EQ(RtfText("\xEF\xBF\xBD"), "\\u-3?");                         // U+FFFD: signed 16 bits
  EXPECT_EQ(RtfText("\xF0\x9F\x98\x80"), "\\u-10179?\\u-8704?");        // outside the BMP: two halves
  // Bytes that are not UTF-8 stand for themselves in the code page.
  EXPECT_EQ(RtfText("M\xFCller"), "M\\'fcller");
  EXPECT_EQ(RtfText("\xC3"), "\\'c3");
  EXPECT_EQ(RtfText("\xED\xA0\x80"), "\\'ed\\'a0\\'80");  // an encoded surrogate is not UTF-8
  EXPECT_EQ(RtfText("\xC0\xAF"), "\\'c0\\'af");          // nor is an overlong form
}

TEST(RtfText, OutputIsPlainAscii) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  for (const char c : RtfText(all)) {
    EXPECT_GE(static_cast<unsigned char>(c), 0x20);
    EXPECT_LT(static_cast<unsigned char>(c), 0x7F);
  }
}

TEST(TextLines, SplitsAtEveryLineBreak) {
  using V = std::vector<std::string>;
  EXPECT_EQ(TextLines(""), V{});
  EXPECT_EQ(TextLines("one"), V{"one"});
  EXPECT_EQ(TextLines("one\r\ntwo\r\n"), (V{"one", "two"}));
  EXPECT_EQ(TextLines("one\n\ntwo"), (V{"one", "", "two"}));
  EXPECT_EQ(TextLines("one\rtwo"), (V{"one", "two"}));
  EXPECT_EQ(TextLines("\r\n"), V{""});
}

TEST(PadAmount, TwoSpacesPerMissingDigit) {
  EXPECT_EQ(PadAmount(12, "7"), std::string(10, ' ') + "7");
  EXPECT_EQ(PadAmount(12, "123"), std::string(6, ' ') + "123");
  EXPECT_EQ(PadAmount(12, "12345"), "  12345");
  EXPECT_EQ(PadAmount(12, "123456"), "123456");
  EXPECT_EQ(PadAmount(12, "1234567"), "1234567");
}
