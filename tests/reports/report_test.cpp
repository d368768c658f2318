#include "reports/report.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/transit.h"
#include "core/units.h"
#include "reports/rtfwriter.h"
#include "store/settings.h"
#include "store/tables.h"
#include "tests/reports/sample_project.h"

namespace {

int Occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The text between two markers (from the first, up to the second).
std::string Between(const std::string& text, const std::string& from, const std::string& to) {
  const size_t a = text.find(from);
  if (a == std::string::npos) return "";
  const size_t b = text.find(to, a + from.size());
  return text.substr(a, b == std::string::npos ? std::string::npos : b - a);
}

// Groups open and close in pairs; escaped braces do not count.
bool BracesBalanced(const std::string& text) {
  int depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') ++i;
    else if (text[i] == '{') ++depth;
    else if (text[i] == '}' && --depth < 0) return false;
  }
  return depth == 0;
}

TTransit Filled(int32_t transitId) {
  TTransit t;
  LoadFromRecord(t, transitId);
  t.Fill();
  return t;
}

class Report : public ::testing::Test {
protected:
  void SetUp() override {
    SetDefaultSettings();
    CurrentLengthUnit = luMillimetre;
    SetDecimalSeparator('.');
    Sample = reportstest::FillSampleProject();
  }
  void TearDown() override {
    SetDefaultSettings();
    reportstest::ClearTables();
  }
  reportstest::TSample Sample;
};

}  // namespace

TEST_F(Report, HeaderNamesCompanyDistributorAndVersion) {
  Settings.CompanyLines = {"Acme {Seals}", "Z\xC3\xBCrich"};
  Settings.DistributorLines = {"Harvant Engineering bv"};
  std::string s;
  WriteReportHeader(s);
  EXPECT_EQ(s,
            "{\\rtf1\\ansi\\ansicpg1252\\paperw11906\\paperh16838\\deff0\\deflang2057{\\fonttbl{\\f0\\fnil\\fcharset0 "
            "Tahoma;}}\r\n"
            "\\viewkind4\\uc1\\pard\\tx0\\tx3000\\tx4500\\tx6200\\tx7500\\f0\\fs16 Acme \\{Seals\\}\\par Z\\'fcrich\\par "
            "\r\n"
            "\\par Harvant Engineering bv\\par \r\n"
            "\\par \\par {\\b\\f36\\fs19\\insrsid8486129\\charrsid8486129 Program-version of Trellane: 3.16.1 (22 Aug "
            "2012)  \\par }\r\n"
            "{\\i\\f36\\fs14\\insrsid8486129\\charrsid8486129 Always use the most recent version when creating a new "
            "material-list!}\\par \\par \r\n");
  std::string footer, page;
  WriteReportFooter(footer);
  WritePageBreak(page);
  EXPECT_EQ(footer, "\\par }\r\n");
  EXPECT_EQ(page, "\\page\r\n");
}

TEST_F(Report, TransitSectionLineByLine) {
  TTransit t = Filled(Sample.CableTransit);
  t.Messages = {"Depth {too} small"};
  TMaterialsUsedForTransit m;
  m.Calculate(t);
  std::string s;
  WriteTransitSection(s, t, m, 0, 0);
  const std::string expected =
      "\\par \\pard\\b Material list for transit 'Main \\{Deck 3\\}' \\b0\r\n"
      "\\par \\pard\\tx0\\tx3000\\tx4500\\tx6200\\tx7500\r\n"
      "\\par Created on:\\tab " + FormatTimestamp(44000.5) + "\r\n"
      "\\par Created by:\\tab J\\'f8rgen\r\n"
      "\\par Last modified:\\tab " + FormatTimestamp(44100.25) + "\r\n"
      "\\par Modified by:\\tab anna\r\n"
      "\\par Comments:\\tab first line\r\n"
      "\\par\\tab second \\{line\\}\r\n"
      "\\par \r\n"
      "\\par \\b Transit specifications:\\tab\\b0 (All dimensions in mm)\r\n"
      "\\par Width:\\tab 300.00\r\n"
      "\\par Height:\\tab 200.00\r\n"
      "\\par Corner radius:\\tab 20.00\r\n"
      "\\par Depth:\\tab 200.00\r\n"
      "\\par Transit type:\\tab Cable\r\n"
      "\\par Transit used in this project:\\tab 2 times\r\n"
      "\\par Filling rate:\\tab " + FormatFloat("%.1f", t.FillingRate()) + "%\r\n"
      "\\par Spare on cable set:\\tab 10.0%\r\n"
      "\\par Class:\\tab A-class\r\n"
      "\\par Sealant:\\tab 20mm (both sides)\r\n"
      "\\par \r\n"
      "\\par {\\i Check the Type Approval Certificates for limitations in sizes !}\r\n"
      "\\par \r\n"
      "\\par \r\n"
      "\\par \\b Material specifications:\r\n"
      "\\par \\b0 Type of filler sleeves:\\tab standard\r\n"
      "\\par TISO sealant:\\tab cartridges 310 ml\r\n"
      "\\par \r\n"
      "\\par \\b Warning:\\b0\r\n"
      "\\par Depth \\{too\\} small\r\n"
      "\\par \r\n"
      "\\par \\b Cable specifications:\r\n"
      "\\par \\b0 Cables (OD)\\tab Amount\r\n"
      "\\par 12.50\\tab         12\r\n"
      "\\par 22.00\\tab           6\r\n"
      "\\par 38.00\\tab           4\r\n"
      "\\par 61.00\\tab           2\r\n"
      "\\par \r\n"
      "\\par Total amount of cables: 24\r\n"
      "\\par \r\n";
  EXPECT_EQ(s, expected);
  // The groups were listed largest first; the report sorts them.
  EXPECT_EQ(t.ConduitGroup(0).OuterDiameter, 12500);
}

TEST_F(Report, RoundPipeAndWatertightVariants) {
  TTransit pipe = Filled(Sample.PipeTransit);
  TMaterialsUsedForTransit m;
  m.Calculate(pipe);
  CurrentLengthUnit = luInch;
  std::string s;
  WriteTransitSection(s, pipe, m, 0, 0);
  EXPECT_NE(s.find("(All dimensions in inch)\r\n\\par Diameter:\\tab 7.8740\r\n\\par Depth:\\tab 8.2677\r\n"),
            std::string::npos);
  EXPECT_EQ(s.find("Width:"), std::string::npos);
  EXPECT_EQ(s.find("Corner radius:"), std::string::npos);
  EXPECT_EQ(s.find("Filling rate:"), std::string::npos);  // no spare for pipes
  EXPECT_NE(s.find("\\par Transit type:\\tab Pipe (plastic)\r\n"), std::string::npos);
  EXPECT_NE(s.find("\\par Transit used in this project:\\tab 1 time\r\n"), std::string::npos);
  EXPECT_NE(s.find("\\par \\b Pipe specifications:\r\n\\par \\b0 Pipes (OD)\\tab Amount\r\n\\par 5.5118\\tab"),
            std::string::npos);
  EXPECT_NE(s.find("\\par Total amount of pipes: 1\r\n"), std::string::npos);
  EXPECT_EQ(s.find("Comments:"), std::string::npos);
  EXPECT_EQ(s.find("Warning:"), std::string::npos);

  TTransit wet = Filled(Sample.CableTransit);
  wet.FillSystem = fsPraven;
  wet.Classification = clWatertight;
  wet.SealantCartridge = scHorlan;
  wet.SealantLayer = slNone;
  wet.ConduitGroups.clear();
  wet.Fill();
  m.Calculate(wet);
  s.clear();
  WriteTransitSection(s, wet, m, 0, 0);
  EXPECT_EQ(s.find("Filling rate:"), std::string::npos);
  EXPECT_NE(s.find("\\par Class:\\tab Watertight\r\n\\par Sealant:\\tab None\r\n\\par \r\n"
                   "\\par {\\i Check the disclaimer for the watertightness ratings.}\r\n"),
            std::string::npos);
  EXPECT_NE(s.find("\\par HORLAN sealant:\\tab cartridges 310 ml\r\n"), std::string::npos);
  EXPECT_NE(s.find("\\par No Cables \\b0\r\n\\par \r\n"), std::string::npos);
}

TEST_F(Report, CartridgeThatDisagreesWithTheListAborts) {
  TTransit t = Filled(Sample.CableTransit);
  TMaterialsUsedForTransit m;
  m.Calculate(t);  // a TISO line
  t.SealantCartridge = scGrentax;
  std::string s;
  try {
    WriteTransitSection(s, t, m, 0, 0);
    ADD_FAILURE();
  } catch (const TError& e) {
    EXPECT_STREQ(e.what(), "Unknown cartridge-size!");
  }
}

TEST_F(Report, PictureOnlyWithBothSizes) {
  TTransit t = Filled(Sample.CableTransit);
  TMaterialsUsedForTransit m;
  m.Calculate(t);
  std::string none, small, narrow;
  WriteTransitSection(none, t, m, 0, 0);
  WriteTransitSection(narrow, t, m, 2500, 0);
  WriteTransitSection(small, t, m, 2500, 2500);
  EXPECT_EQ(none.find("\\pict"), std::string::npos);
  EXPECT_EQ(none.find("\\fs16"), std::string::npos);
  EXPECT_EQ(narrow, none);
  // 300 x 200 mm plus wall and margin: 340 x 240 mm fitted into 2500 wide.
  const std::string head =
      "\\par \\pard\\b Material list for transit 'Main \\{Deck 3\\}' \\b0\r\n"
      "\\par \\fs16\\par \r\n"
      "{\\pict\\wmetafile8\\picw8819\\pich6227\\picwgoal2500\\pichgoal1765\r";
  EXPECT_EQ(small.substr(0, head.size()), head);
  const std::string picture = Between(small, "{\\pict", "}\r");
  EXPECT_GT(picture.size(), 500u);
  // Hex lines of 39 bytes, single CR line ends.
  const std::string firstLine = Between(picture, "\r", "\r").substr(1);
  EXPECT_EQ(firstLine.size(), 78u);
  EXPECT_EQ(firstLine.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_NE(small.find("}\r\\par \\pard\\tx0\\tx3000\\tx4500\\tx6200\\tx7500\r\n"), std::string::npos);

  // The metafile ends with the frame round the picture, W - 10 by H - 10.
  std::string bytes;
  const std::string hex = picture.substr(picture.find('\r') + 1);
  for (size_t i = 0; i + 1 < hex.size(); ++i) {
    if (hex[i] == '\r') continue;
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    ++i;
  }
  auto lineTo = [](int x, int y) {
    // Five words: size, function 0x0213, then y and x in logical units of half a pixel.
    const int lx = 2 * x, ly = 2 * y;
    return std::string{5, 0, 0, 0, 0x13, 0x02, static_cast<char>(ly & 255), static_cast<char>(ly >> 8),
                       static_cast<char>(lx & 255), static_cast<char>(lx >> 8)};
  };
  const std::string frame = lineTo(2490, 0) + lineTo(2490, 1755) + lineTo(0, 1755) + lineTo(0, 0) +
                            std::string{3, 0, 0, 0, 0, 0};
  ASSERT_GT(bytes.size(), frame.size());
  EXPECT_EQ(bytes.substr(bytes.size() - frame.size()), frame);
}

TEST_F(Report, MaterialListOfOneTransit) {
  TTransit t = Filled(Sample.CableTransit);
  TMaterialsUsedForTransit m;
  m.Calculate(t);
  std::string s;
  WriteMaterialList(s, m, false, false);
  const TMaterialItem sealant = m.GetItem(m.Count() - 1);
  std::string expected =
      "\\par \\b KOVA materials needed: \\b0\r\n"
      "\\par \\b0 Insert sleeves\\tab Amount\\tab Length\r\n"
      "\\par 18/12\\tab         24\\tab 160.00 mm\r\n"
      "\\par 31/23\\tab         12\\tab 160.00 mm\r\n"
      "\\par 46/36\\tab           8\\tab 160.00 mm\r\n"
      "\\par 70/60\\tab           4\\tab 160.00 mm\r\n"
      "\\par \r\n"
      "\\par \\b0 Filler sleeves\\tab Amount\\tab Length\r\n"
      "\\par 18/12\\tab " + PadAmount(12, FormatFloat("%.0f", m.GetItem(4).Amount)) + "\\tab 160.00 mm\r\n"
      "\\par 27/19\\tab " + PadAmount(12, FormatFloat("%.0f", m.GetItem(5).Amount)) + "\\tab 160.00 mm\r\n"
      "\\par \r\n"
      "\\par TISO sealant\r\n"
      "\\par (incl. overfill)\\tab " + FormatFloat("%.0f", 310 * sealant.Amount) + " ml (" +
      FormatFloat("%.0f", MaterialCeiling(sealant.Amount)) + " cartridges)\r\n"
      "\\par \r\n"
      "\\par \r\n";
  EXPECT_EQ(s, expected);
}

TEST_F(Report, MaterialListSectionsTablesAndMarks) {
  TMaterialsUsedForTransit m;
  m.AddMaterial(mkGrentaxFillerSleeve, "GRENTAX fillersleeve 27/19", 27000, 19000, 140000, 0, "303_271140000", true);
  m.AddMaterial(mkGrentaxSealant, "GRENTAX sealant", 310, 0, 0, 1.5, "403_0310", false);
  m.AddMaterial(mkPravenSleeve, "PRAVEN sleeve 27/19", 27000, 19000, 160000, 3, "103_10270001160000", false);
  m.AddMaterial(mkMoxelCrusher, "KOVA/MOXEL Crusher   90/63", 90000, 63000, 170000, 1, "104_", false);
  m.AddMaterial(mkStrip, "Strip FRR/EHF (2,5mm)", 140000, 0, 0, 4, "2011140000", true);
  m.AddMaterial(mkWrap, "KOVA/MOXEL Wrap", 170000, 0, 0, 123456, "2021170000", false);
  m.AddMaterial(mkKovaCableSleeve, "Nospace", 12000, 6000, 60000, 100, "101_", false);
  m.AddMaterial(mkVeskamorSheet, "VESKAMOR sheet 600x140x25", 600000, 25000, 140000, 2, "304_600", true);

  std::string s;
  WriteMaterialList(s, m, true, false);
  const std::string expected =
      "\\par \\b GRENTAX materials needed: \\tab\\tab\\tab Price\\tab Total\\b0\r\n"
      "\\par \\b0 Filler sleeves\\tab Amount\\tab Length\r\n"
      "\\par 27/19\\tab           0\\tab 140.00 mm*\r\n"
      "\\par \r\n"
      "\\par GRENTAX sealant\r\n"
      "\\par (incl. overfill)\\tab 465 ml (2 cartridges)\r\n"
      "\\par \r\n"
      "\\par \r\n"
      "\\par \\b PRAVEN materials needed: \\tab\\tab\\tab Price\\tab Total\\b0\r\n"
      "\\par \\b0 Insert sleeves\\tab Amount\\tab Length\r\n"
      "\\par 27/19\\tab           3\\tab 160.00 mm\r\n"
      "\\par \r\n"
      "\\par \r\n"
      "\\par \\b KOVA materials needed: \\tab\\tab\\tab Price\\tab Total\\b0\r\n"
      "\\par \\b0 Insert sleeves\\tab Amount\\tab Length\r\n"
      "\\par Nospace\\tab       100\\tab 60.00 mm\r\n"
      "\\par \r\n"
      "\\par \\b0 MOXEL Crushers\\tab Amount\\tab Length\r\n"
      "\\par 90/63\\tab           1\\tab 170.00 mm\r\n"
      "\\par \r\n"
      "\\par Strips\\tab Amount\\tab Width\r\n"
      "\\par FRR/EHF (2.5mm)\\tab           4 meter\\tab 140.00 mm*\r\n"
      "\\par \r\n"
      "\\par MOXEL Wraps\\tab Amount\\tab Width\r\n"
      "\\par 1000x2.5mm\\tab 123456 meter\\tab 170.00 mm\r\n"
      "\\par \r\n"
      "\\par \r\n"
      "\\par \\b VESKAMOR materials needed: \\tab\\tab\\tab Price\\tab Total\\b0\r\n"
      "\\par Pre-slit sheets (size)\\tab Amount\r\n"
      "\\par 600x140x25mm*\\tab           2\r\n"
      "\\par \r\n"
      "\\par * non-standard transit-depth, some materials will have to be cut by hand to the correct size!\r\n"
      "\\par \r\n";
  EXPECT_EQ(s, expected);

  // The summary of a project: no marks, no footnote, the cartridge size named.
  std::string summary;
  WriteMaterialList(summary, m, true, true);
  EXPECT_EQ(summary.find('*'), std::string::npos);
  EXPECT_NE(summary.find("\\par (incl. overfill)\\tab 465 ml (2 cartridges of 310ml)\r\n"), std::string::npos);
  std::string empty;
  WriteMaterialList(empty, TMaterialsUsedForTransit(), false, false);
  EXPECT_EQ(empty, "");
}

TEST_F(Report, TransitReportDocument) {
  TTransit t = Filled(Sample.CableTransit);
  const std::string s = BuildTransitReport(t, risNone);
  std::string header;
  WriteReportHeader(header);
  EXPECT_EQ(s.substr(0, header.size()), header);
  EXPECT_EQ(s.substr(header.size(), 60).find("\\par \\pard\\b Material list for transit"), 0u);
  EXPECT_NE(s.find("\\par \\b KOVA materials needed: \\b0\r\n"), std::string::npos);  // no price columns
  EXPECT_EQ(s.find("\\page"), std::string::npos);
  EXPECT_EQ(s.substr(s.size() - 8), "\\par }\r\n");
  EXPECT_TRUE(BracesBalanced(s));
}

TEST_F(Report, ProjectReportOfAllTransits) {
  const std::vector<int32_t> all = ProjectTransitIds(Sample.Project);
  ASSERT_EQ(all, (std::vector<int32_t>{Sample.CableTransit, Sample.PipeTransit, Sample.SheetTransit}));
  const std::string s = BuildProjectReport(Sample.Project, all, risNone, prcBoth);
  std::string header;
  WriteReportHeader(header);
  const std::string projectHeader = header +
                                    "\\par \r\n"
                                    "\\par Project customer:\\tab M\\'fcller & Co\r\n"
                                    "\\par Project name:\\tab Deck \\{3\\}\r\n"
                                    "\\par Project created on:\\tab " + FormatTimestamp(43000) + "\r\n"
                                    "\\par Project created by:\\tab anna\r\n"
                                    "\\par Project last modified:\\tab " + FormatTimestamp(43500.75) + "\r\n"
                                    "\\par Project modified by:\\tab bert\r\n"
                                    "\\par Transits amount:\\tab 3\r\n"
                                    "\\par Comments:\\tab for the yard\r\n"
                                    "\\par \r\n"
                                    "\\par \\b Materials needed for project 'Deck \\{3\\}':\\b0 \r\n"
                                    "\\par \r\n";
  EXPECT_EQ(s.substr(0, projectHeader.size()), projectHeader);
  EXPECT_EQ(s.find("note:"), std::string::npos);
  // Totals with price columns and as a summary, then one page per transit.
  const std::string totals = Between(s, "\\par \\b KOVA materials needed: ", "\\page");
  EXPECT_NE(totals.find("\\tab\\tab\\tab Price\\tab Total\\b0"), std::string::npos);
  EXPECT_NE(totals.find("cartridges of 310ml)"), std::string::npos);
  EXPECT_EQ(totals.find('*'), std::string::npos);
  EXPECT_NE(s.find("\\par \\b VESKAMOR materials needed: "), std::string::npos);
  EXPECT_EQ(Occurrences(s, "\\page\r\n\\par \\pard\\b Material list for transit '"), 3);
  EXPECT_LT(s.find("'Main \\{Deck 3\\}'"), s.find("'Moxel pipe'"));
  EXPECT_LT(s.find("'Moxel pipe'"), s.find("'Sheets'"));
  EXPECT_EQ(s.substr(s.size() - 8), "\\par }\r\n");
  EXPECT_TRUE(BracesBalanced(s));

  // The totals are the merged lists of the three transits.
  TMaterialsUsedForTransit sum;
  for (const int32_t id : all) {
    TTransit t = Filled(id);
    TMaterialsUsedForTransit m;
    m.Calculate(t);
    sum.AddFrom(m);
  }
  std::string expectedTotals;
  WriteMaterialList(expectedTotals, sum, true, true);
  EXPECT_NE(s.find("\\par \r\n" + expectedTotals + "\\page\r\n"), std::string::npos);
}

TEST_F(Report, ProjectReportOfSomeTransitsCarriesANote) {
  const std::vector<int32_t> some = {Sample.CableTransit, Sample.SheetTransit};
  const std::string both = BuildProjectReport(Sample.Project, some, risNone, prcBoth);
  EXPECT_NE(both.find("\\par Transits amount:\\tab 2\r\n"), std::string::npos);
  EXPECT_NE(both.find("\\par \\b Materials needed for project 'Deck \\{3\\}':\\b0 \r\n"
                      "\\par note: only calculated for transits Main \\{Deck 3\\}, Sheets\r\n\\par \r\n"),
            std::string::npos);
  EXPECT_EQ(Occurrences(both, "\\page\r\n"), 2);

  const std::string totals = BuildProjectReport(Sample.Project, some, risNone, prcTotals);
  EXPECT_EQ(totals.find("\\page"), std::string::npos);
  EXPECT_NE(totals.find("note: only calculated"), std::string::npos);
  EXPECT_EQ(totals, both.substr(0, both.find("\\page\r\n")) + "\\par }\r\n");

  const std::string transits = BuildProjectReport(Sample.Project, some, risNone, prcTransits);
  EXPECT_EQ(transits.find("Materials needed for project"), std::string::npos);
  EXPECT_EQ(transits.find("note:"), std::string::npos);
  EXPECT_EQ(transits.substr(transits.find("\\page")), both.substr(both.find("\\page")));

  // Nothing checked: still the header, the totals heading and an empty note.
  const std::string nothing = BuildProjectReport(Sample.Project, {}, risNone, prcBoth);
  EXPECT_NE(nothing.find("\\par Transits amount:\\tab 0\r\n"), std::string::npos);
  EXPECT_NE(nothing.find("\\par note: only calculated for transits \r\n\\par \r\n\\par }\r\n"), std::string::npos);
}

TEST_F(Report, ProjectReportPicturesFollowTheImageSize) {
  const std::vector<int32_t> all = ProjectTransitIds(Sample.Project);
  EXPECT_EQ(Occurrences(BuildProjectReport(Sample.Project, all, risNone, prcBoth), "{\\pict"), 0);
  const std::string large = BuildProjectReport(Sample.Project, all, risLarge, prcBoth);
  EXPECT_EQ(Occurrences(large, "{\\pict\\wmetafile8"), 3);
  EXPECT_NE(large.find("\\picwgoal7500"), std::string::npos);
  EXPECT_EQ(Occurrences(BuildProjectReport(Sample.Project, all, risLarge, prcTotals), "{\\pict"), 0);
}
