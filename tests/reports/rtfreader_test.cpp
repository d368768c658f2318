// The RTF reader on our own reports and on pieces of RTF as others write it.
#include "reports/rtfreader.h"

#include <gtest/gtest.h>

#include "core/draw/rtfimage.h"
#include "core/errors.h"
#include "reports/report.h"
#include "store/settings.h"
#include "tests/reports/sample_project.h"

namespace {
std::string Doc(const std::string& body) { return "{\\rtf1\\ansi\\ansicpg1252\\deff0 " + body + "}"; }
}  // namespace

TEST(RtfReader, TextOfPiecesOfRtf) {
  struct TCase {
    const char* Name;
    std::string Rtf, Text;
  };
  const TCase cases[] = {
      {"plain paragraphs", Doc("one\\par two\\par "), "one\ntwo\n"},
      {"code page bytes", Doc("M\\'fcller \\'80 \x93q\x94"), "M\xC3\xBCller \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D\n"},
      {"unicode with fallback", Doc("\\u8364?\\uc2\\u8364 xy z\\uc0\\u916 !"), "\xE2\x82\xAC\xE2\x82\xAC z\xCE\x94!\n"},
      {"surrogate pair", Doc("\\u-10179?\\u-8704?"), "\xF0\x9F\x98\x80\n"},
      {"escapes", Doc("\\{a\\}\\\\b\\~c"), "{a}\\b\xC2\xA0" "c\n"},
      {"tabs and line breaks", Doc("a\\tab b\\line c\tz"), "a\tb\nc\tz\n"},
      {"unknown destinations", Doc("{\\*\\unknownthing skip {nested}}shown{\\*\\generator Writer;}"), "shown\n"},
      {"known destinations", Doc("{\\stylesheet{\\s1 Heading;}}{\\info{\\title T}}{\\header h}x"), "x\n"},
      {"field result only", Doc("{\\field{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt link}}"), "link\n"},
      {"special characters", Doc("\\endash\\emdash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote"),
       "\xE2\x80\x93\xE2\x80\x94\xE2\x80\xA2\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D\n"},
      {"unclosed groups", "{\\rtf1 {\\b abc", "abc\n"},
      {"text after the document", Doc("in") + "out", "in\n"},
      {"deep nesting", Doc(std::string(3000, '{') + "deep" + std::string(3000, '}') + "after"), "after\n"},
      {"long control word and number", Doc("\\" + std::string(100, 'x') + "99999999999999999 t"), "t\n"},
      {"binary data skipped", Doc("{\\*\\blob\\bin3 }}{x}y"), "y\n"},
  };
  for (const TCase& c : cases) EXPECT_EQ(ReadRtf(c.Rtf).PlainText(), c.Text) << c.Name;
  for (const char* notRtf : {"", "{\\rt", "plain text", "{\\pict}"}) EXPECT_THROW(ReadRtf(notRtf), TError) << notRtf;
}

TEST(RtfReader, FormattingTablesAndLayout) {
  const TRtfDocument d = ReadRtf(Doc(
      "\\paperw12000\\paperh15000\\margl1000\\margr1100\\margt900\\margb800\\deftab500"
      "{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}{\\f1\\froman Times New Roman;}}"
      "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}"
      "\\pard\\tx0\\tx3000\\qc\\li200\\fi-100 \\fs16 plain {\\b\\i bold\\b0  italic} \\cf2\\f1\\ul blue\\ulnone\\par "
      "\\pard\\plain next\\page\\par last\\par "));
  EXPECT_EQ(d.PaperWidth, 12000);
  EXPECT_EQ(d.PaperHeight, 15000);
  EXPECT_EQ(d.MarginLeft + d.MarginRight + d.MarginTop + d.MarginBottom, 3800);
  EXPECT_EQ(d.DefaultTab, 500);
  ASSERT_EQ(d.Fonts.size(), 2u);
  EXPECT_EQ(d.Fonts.at(1).Name, "Times New Roman");
  EXPECT_EQ(d.Colours, (std::vector<uint32_t>{0, 0xFF0000, 0x0080FF}));
  ASSERT_EQ(d.Paragraphs.size(), 3u);
  const TRtfParagraph& p = d.Paragraphs[0];
  EXPECT_EQ(p.Format.Tabs, (std::vector<int>{0, 3000}));
  EXPECT_EQ(p.Format.Alignment, raCentre);
  EXPECT_EQ(p.Format.LeftIndent, 200);
  EXPECT_EQ(p.Format.FirstIndent, -100);
  ASSERT_EQ(p.Runs.size(), 5u);
  EXPECT_EQ(p.Runs[0].Text, "plain ");
  EXPECT_EQ(p.Runs[0].Format.HalfPoints, 16);
  EXPECT_TRUE(p.Runs[1].Format.Bold && p.Runs[1].Format.Italic);
  EXPECT_EQ(p.Runs[2].Text, " italic");
  EXPECT_TRUE(!p.Runs[2].Format.Bold && p.Runs[2].Format.Italic);
  EXPECT_EQ(p.Runs[3].Text, " ");
  EXPECT_EQ(p.Runs[4].Text, "blue");
  EXPECT_TRUE(p.Runs[4].Format.Underline);
  EXPECT_EQ(p.Runs[4].Format.Colour, 2);
  EXPECT_EQ(p.Runs[4].Format.Font, 1);
  // \pard resets the paragraph, \plain the characters; \page ends its
  // paragraph's text, and the next paragraph begins a new page.
  EXPECT_TRUE(d.Paragraphs[1].Format.Tabs.empty());
  EXPECT_EQ(d.Paragraphs[1].Runs[0].Format.HalfPoints, 24);
  EXPECT_EQ(d.Paragraphs[1].Text(), "next");
  EXPECT_TRUE(d.Paragraphs[1].PageBreakAfter);
  EXPECT_FALSE(d.Paragraphs[2].PageBreakBefore);
  EXPECT_FALSE(d.Paragraphs[2].PageBreakAfter);
  EXPECT_EQ(d.Paragraphs[2].Text(), "last");
  // Text after a break in the same paragraph begins a paragraph on the new
  // page; a picture too.
  const TRtfDocument split = ReadRtf(Doc("a\\page b\\par \\page{\\pict\\pngblip 00}\\par "));
  ASSERT_EQ(split.Paragraphs.size(), 4u);
  EXPECT_EQ(split.Paragraphs[0].Text(), "a");
  EXPECT_FALSE(split.Paragraphs[0].PageBreakAfter);
  EXPECT_TRUE(split.Paragraphs[1].PageBreakBefore);
  EXPECT_EQ(split.Paragraphs[1].Text(), "b");
  EXPECT_TRUE(split.Paragraphs[2].Runs.empty());
  EXPECT_TRUE(split.Paragraphs[3].PageBreakBefore);
  EXPECT_EQ(split.Paragraphs[3].Text(), "\xEF\xBF\xBC");
  // Without paper and margins: Letter with inch margins, as a word
  // processor lays out such a document.
  const TRtfDocument plain = ReadRtf("{\\rtf1 x}");
  EXPECT_EQ(plain.PaperWidth, 12240);
  EXPECT_EQ(plain.MarginLeft, 1440);
  EXPECT_EQ(plain.MarginRight, 1440);
}

TEST(RtfReader, PictureGroupsOfOursAndOfAWordProcessor) {
  TRTFimage image(120, 80);
  image.Canvas().SetBrush(0xFF0000);
  image.Canvas().FillRect(0, 0, 60, 40);
  const std::string group = RtfPictureGroup(image.Metafile(), 120, 80);
  const std::string metafile = image.Metafile().substr(22);
  const TRtfDocument ours = ReadRtf(Doc("\\par \\fs16\\par \r\n" + group + "\r\n\\par after"));
  ASSERT_EQ(ours.Pictures.size(), 1u);
  const TRtfPicture& pic = ours.Pictures[0];
  EXPECT_EQ(pic.Kind, rpkWmf);
  EXPECT_EQ(pic.Data, metafile);
  EXPECT_EQ(pic.PicW, 423);
  EXPECT_EQ(pic.GoalW, 120);
  EXPECT_DOUBLE_EQ(pic.WidthTwips(), 120);
  ASSERT_EQ(ours.Paragraphs.size(), 4u);  // two empty ones before the picture
  EXPECT_EQ(ours.Paragraphs[2].Runs.size(), 1u);
  EXPECT_EQ(ours.Paragraphs[2].Runs[0].Kind, TRtfRun::rkPicture);
  EXPECT_EQ(ours.Paragraphs[2].Runs[0].Picture, 0);
  EXPECT_EQ(ours.Paragraphs[1].MarkFormat.HalfPoints, 16);

  // A word processor writes a picture twice: for readers of shapes and for
  // the others. The shape's is taken when it can be shown, but a metafile
  // rather than a bitmap; a scale and binary data.
  std::string hex;
  for (unsigned char c : metafile) {
    static const char d[] = "0123456789abcdef";
    hex += d[c >> 4];
    hex += d[c & 15];
  }
  const TRtfDocument theirs = ReadRtf(Doc(
      "{\\*\\shppict{\\pict{\\*\\picprop{\\sp{\\sn x}}}\\picscalex50\\picscaley200\\picw423\\pich282\\picwgoal120"
      "\\pichgoal80\\wmetafile8 " + hex + "}}{\\nonshppict{\\pict\\wmetafile8 00}}"
      "{\\*\\shppict{\\pict\\emfblip 0102}}{\\nonshppict{\\pict\\wmetafile8\\bin4 " +
      std::string("\x01\x00\x09\x00", 4) + "}}" +
      "{\\*\\shppict{\\pict\\pngblip 89504e47}}{\\nonshppict{\\pict\\wmetafile8 " + hex + "}}"));
  ASSERT_EQ(theirs.Pictures.size(), 5u);
  EXPECT_EQ(theirs.Pictures[0].Data, metafile);
  EXPECT_DOUBLE_EQ(theirs.Pictures[0].WidthTwips(), 60);
  EXPECT_DOUBLE_EQ(theirs.Pictures[0].HeightTwips(), 160);
  EXPECT_EQ(theirs.Pictures[1].Kind, rpkEmf);
  EXPECT_EQ(theirs.Pictures[2].Data, std::string("\x01\x00\x09\x00", 4));
  ASSERT_EQ(theirs.Paragraphs.size(), 1u);
  const auto& runs = theirs.Paragraphs[0].Runs;
  // Both first shape pictures, the plain one beside the metafile we cannot
  // show, and for the bitmap its plain metafile, which stays sharp.
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[0].Picture, 0);
  EXPECT_EQ(runs[2].Picture, 2);
  EXPECT_EQ(runs[3].Picture, 4);
  EXPECT_EQ(theirs.Pictures[4].Kind, rpkWmf);
}

TEST(RtfReader, ProjectReportParagraphs) {
  SetDefaultSettings();
  const reportstest::TSample s = reportstest::FillSampleProject();
  const std::string rtf = BuildProjectReport(s.Project, ProjectTransitIds(s.Project), risSmall, prcBoth);
  const TRtfDocument d = ReadRtf(rtf);
  EXPECT_EQ(d.PaperWidth, 11906);
  EXPECT_EQ(d.PaperHeight, 16838);
  EXPECT_EQ(d.Fonts.at(0).Name, "Tahoma");
  EXPECT_EQ(d.Pictures.size(), 3u);
  int pages = 0;
  bool customer = false, heading = false;
  for (const TRtfParagraph& p : d.Paragraphs) {
    pages += p.PageBreakAfter;
    customer = customer || p.Text() == "Project customer:\tM\xC3\xBCller & Co";
    if (p.Text() == "Material list for transit 'Main {Deck 3}' ") {
      heading = true;
      EXPECT_TRUE(p.Runs[0].Format.Bold);
      EXPECT_TRUE(p.Format.Tabs.empty());
    }
    if (p.Text().rfind("Created on:\t", 0) == 0) {
      EXPECT_EQ(p.Format.Tabs, (std::vector<int>{0, 3000, 4500, 6200, 7500}));
    }
  }
  EXPECT_EQ(pages, 3);
  EXPECT_TRUE(customer);
  EXPECT_TRUE(heading);
  reportstest::ClearTables();
}
