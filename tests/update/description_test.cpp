#include <gtest/gtest.h>

#include "update/description.h"
#include "update/signature.h"

namespace {

TEST(UpdateDescription, GetValueFindsKeysInAnyCaseAndEndsLinesAsTheServerWrote) {
  struct Case {
    std::string text, key, mark, expected;
  } cases[] = {
      {"#VERSION=3.17.0 Beta\r\n", "#version=", "", "3.17.0 Beta"},
      {"x\n#Version=4.0\nmore\n", "#version=", "", "4.0"},
      {"#version=4.0\r\r\n", "#version=", "", "4.0"},
      {"#version=4.0", "#version=", "", ""},             // the last line has no end
      {"#version=4.0\r", "#version=", "", ""},           // a CR without any LF
      {"#version=4.0\n\r", "#version=", "", "4.0"},      // the LF comes first
      {"#version=1\n#version=2\n", "#version=", "", "1"},  // only the first counts
      {"#message=[Line one\r\nLine two]\n", "#message=[", "]", "Line one\r\nLine two"},
      {"#message=[no end", "#message=[", "]", ""},
      {"nothing here\n", "#version=", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(GetValue(c.key, c.text, c.mark), c.expected) << c.text;
}

TEST(UpdateDescription, KeysCountAtALineStartOutsideTheMessage) {
  struct Case {
    std::string text, version, message;
  } cases[] = {
      {"#message=[a\r\n#version=9\r\n]\r\n#version=3\r\n", "3", "a\r\n#version=9\r\n"},
      {"x#version=9\n#VERSION=3\n", "3", ""},
      {"#version=3\r\n#message=[b]#version=9\n", "3", "b"},
      {"#message=[no end\n#version=3\n", "3", ""},  // without its "]" the message is empty
      {"#MyWay\n\r\n\r#version=3\n\r#message=[c]\n\r", "3", "c"},  // lines of the file scheme
      {"  #version=9\n", "", ""},
  };
  for (const Case& c : cases) {
    const TUpdateDescription d = ReadUpdateDescription(c.text, false);
    EXPECT_EQ(d.Version, c.version) << c.text;
    EXPECT_EQ(d.Message, c.message) << c.text;
  }
}

TEST(UpdateDescription, VersionsAndDatesAreNewerOnlyWhenStrictlyLater) {
  struct Case {
    std::string offered, own;
    bool newer;
  } cases[] = {
      {"3.16.2", "3.16.1 (22 Aug 2012)", true},  {"3.17 (1 Mar 2013)", "3.16.1 (22 Aug 2012)", true},
      {"3.16.1", "3.16.1 (22 Aug 2012)", false}, {"3.16.1.0", "3.16.1", false},
      {"3.9", "3.16.1", false},                  {"2.0", "3.16.1", false},
      {"", "3.16.1", false},                     {"beta", "3.16.1", false},
      {"10.0", "9.99.99", true},                 {"99999999999.0", "1.0", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsNewerVersion(c.offered, c.own), c.newer) << c.offered << " / " << c.own;
  EXPECT_EQ(DateKey(" 03/27/2008 "), "20080327");
  EXPECT_TRUE(IsNewerDate("04/01/2008", "03/27/2008"));
  EXPECT_FALSE(IsNewerDate("03/27/2008", "03/27/2008"));
  EXPECT_FALSE(IsNewerDate("2008", "03/27/2008"));
}

TEST(UpdateDescription, OnlyASafeLastPathSegmentNamesAFile) {
  for (const char* name : {"update", "trellane-3.17.tar.gz", "Read_me.txt", "a.b"})
    EXPECT_TRUE(IsSafeFileName(name)) << name;
  for (const char* name : {"", ".", "..", "a..b", ".hidden", "-rf", "a/b", "a\\b", "C:x", "a\nb", "a\tb", "%2e%2e"})
    EXPECT_FALSE(IsSafeFileName(name)) << name;
  EXPECT_TRUE(IsSafeHttpsAddress("https://127.0.0.1:4443/files/update"));
  for (const char* url : {"http://127.0.0.1/update", "https://127.0.0.1/", "https:///update", "ftp://h/update",
                          "https://h/../update", "https://h/up date", "https://h/update?x=1", "https://h/.profile",
                          "https://h/a/..", "file:///etc/passwd"})
    EXPECT_FALSE(IsSafeHttpsAddress(url)) << url;
  EXPECT_TRUE(IsWebAddress("http://trellane.example/news"));
  EXPECT_FALSE(IsWebAddress("javascript:alert(1)"));
  EXPECT_FALSE(IsWebAddress("file:///etc/passwd"));
}

TEST(UpdateDescription, FilesOneToTwentyWithGapsEachNeedingItsHash) {
  std::string text = "#executefile=update\r\n#ApplicationTerminate=TRUE\r\n";
  for (int n : {2, 5, 20, 21}) {
    text += "#file" + std::to_string(n) + "=https://127.0.0.1/f" + std::to_string(n) + "\r\n";
    text += "#sha256_" + std::to_string(n) + "=" + Sha256Hex(std::to_string(n)) + "\r\n";
  }
  text += "#file7=https://127.0.0.1/update\n#sha256_7=" + Sha256Hex("7") + "\n";
  TUpdateDescription d = ReadUpdateDescription(text, false);
  ASSERT_EQ(d.Files.size(), 4u);
  EXPECT_EQ(d.Files[0].Number, 2);
  EXPECT_EQ(d.Files[2].Name, "update");
  EXPECT_EQ(d.Files[3].Number, 20);
  EXPECT_TRUE(d.ApplicationTerminate);
  EXPECT_EQ(CheckUpdateFiles(d, false), "");

  TUpdateDescription noHash = d;
  noHash.Files[1].Sha256 = "abc";
  EXPECT_NE(CheckUpdateFiles(noHash, false), "");
  TUpdateDescription stranger = d;
  stranger.ExecuteFile = "installer";
  EXPECT_NE(CheckUpdateFiles(stranger, false), "");
  TUpdateDescription twice = d;
  twice.Files[1].Name = twice.Files[0].Name;
  EXPECT_NE(CheckUpdateFiles(twice, false), "");
  TUpdateDescription plain = d;
  plain.Files[0].Address = "http://127.0.0.1/f2";
  EXPECT_NE(CheckUpdateFiles(plain, false), "");
}

}  // namespace
