#include "reports/rtfwriter.h"

#include <gtest/gtest.h>

TEST(RtfText, EscapesAndCodePage) {
  const struct {
    std::string utf8, rtf;
  } cases[] = {
      {"Deck 3", "Deck 3"},
      {"{Deck 3}", "\\{Deck 3\\}"},
      {"C:\\par", "C:\\\\par"},
      {"a\tb", "a\\tab b"},
      {"one\r\ntwo\rthree\nfour", "one\\line two\\line three\\line four"},
      {std::string("x\x01y\x7f", 4), "xy"},                   // other control characters are dropped
      {"M\xC3\xBCller", "M\\'fcller"},                        // ü
      {"\xC2\xA0\xC3\xBF", "\\'a0\\'ff"},                     // no-break space, ÿ
      {"\xE2\x82\xAC 5", "\\'80 5"},                          // euro sign
      {"\xE2\x80\x9Cq\xE2\x80\x9D", "\\'93q\\'94"},           // curly quotes
      {"\xC5\xB8", "\\'9f"},                                  // Ÿ
      {"\xC5\x91", "\\u337?"},                                // ő is not in the code page
      {"\xEF\xBF\xBD", "\\u-3?"},                             // U+FFFD: signed 16 bits
      {"\xF0\x9F\x98\x80", "\\u-10179?\\u-8704?"},            // outside the BMP: two halves
      {"M\xFCller", "M\\'fcller"},                            // not UTF-8: the code page
      {"\xC3", "\\'c3"},
      {"\xED\xA0\x80", "\\'ed\\'a0\\'80"},                    // an encoded surrogate is not UTF-8
      {"\xC0\xAF", "\\'c0\\'af"},                             // nor is an overlong form
  };
  for (const auto& c : cases) EXPECT_EQ(RtfText(c.utf8), c.rtf) << c.utf8;
  // Whatever the input, the output is printable ASCII.
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  for (const char c : RtfText(all)) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << int(c);
}

TEST(TextLines, SplitsAtEveryLineBreak) {
  using V = std::vector<std::string>;
  EXPECT_EQ(TextLines(""), V{});
  EXPECT_EQ(TextLines("one\r\ntwo\r\n"), (V{"one", "two"}));
  EXPECT_EQ(TextLines("one\n\ntwo\rthree"), (V{"one", "", "two", "three"}));
  EXPECT_EQ(TextLines("\r\n"), V{""});
}

TEST(PadAmount, TwoSpacesPerMissingDigitAndNoneBeyond) {
  EXPECT_EQ(PadAmount(12, "7"), std::string(10, ' ') + "7");
  EXPECT_EQ(PadAmount(12, "12345"), "  12345");
  EXPECT_EQ(PadAmount(12, "1234567"), "1234567");
}
