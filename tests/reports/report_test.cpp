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

using reportstest::ExpectParts;

// RTF lines, each ending in CR LF. A line that starts with neither a control
// word nor a group is a paragraph: "\par " goes before it.
std::string Rtf(std::initializer_list<std::string> lines) {
  std::string s;
  for (const std::string& line : lines)
    s += (line.empty() || (line[0] != '\\' && line[0] != '{') ? "\\par " : "") + line + "\r\n";
  return s;
}

int Occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
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

TMaterialsUsedForTransit MaterialsOf(const TTransit& t) {
  TMaterialsUsedForTransit m;
  m.Calculate(t);
  return m;
}

std::string Section(TTransit& t, int width = 0, int height = 0) {
  std::string s;
  WriteTransitSection(s, t, MaterialsOf(t), width, height);
  return s;
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

TEST_F(Report, HeaderFooterAndPageBreak) {
  Settings.CompanyLines = {"Acme {Seals}", "Z\xC3\xBCrich"};
  Settings.DistributorLines = {"Harvant Engineering bv"};
  std::string s;
  WriteReportHeader(s);
  WritePageBreak(s);
  WriteReportFooter(s);
  EXPECT_EQ(s, Rtf({"{\\rtf1\\ansi\\ansicpg1252\\paperw11906\\paperh16838\\deff0\\deflang2057"
                    "{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}",
                    "\\viewkind4\\uc1\\pard\\tx0\\tx3000\\tx4500\\tx6200\\tx7500\\f0\\fs16 "
                    "Acme \\{Seals\\}\\par Z\\'fcrich\\par ",
                    "\\par Harvant Engineering bv\\par ",
                    "\\par \\par {\\b\\f36\\fs19\\insrsid8486129\\charrsid8486129 Program-version of Trellane: "
                    "3.16.1 (22 Aug 2012)  \\par }",
                    "{\\i\\f36\\fs14\\insrsid8486129\\charrsid8486129 Always use the most recent version when "
                    "creating a new material-list!}\\par \\par ",
                    "\\page", "\\par }"}));
}

TEST_F(Report, TransitSectionLineByLine) {
  TTransit t = Filled(Sample.CableTransit);
  t.Messages = {"Depth {too} small"};
  EXPECT_EQ(Section(t),
            Rtf({"\\par \\pard\\b Material list for transit 'Main \\{Deck 3\\}' \\b0",
                 "\\par \\pard\\tx0\\tx3000\\tx4500\\tx6200\\tx7500",
                 "Created on:\\tab " + FormatTimestamp(44000.5), "Created by:\\tab J\\'f8rgen",
                 "Last modified:\\tab " + FormatTimestamp(44100.25), "Modified by:\\tab anna",
                 "Comments:\\tab first line", "\\par\\tab second \\{line\\}", "",
                 "\\par \\b Transit specifications:\\tab\\b0 (All dimensions in mm)",
                 "Width:\\tab 300.00", "Height:\\tab 200.00", "Corner radius:\\tab 20.00", "Depth:\\tab 200.00",
                 "Transit type:\\tab Cable", "Transit used in this project:\\tab 2 times",
                 "Filling rate:\\tab 23.7%", "Spare on cable set:\\tab 10.0%", "Class:\\tab A-class",
                 "Sealant:\\tab 20mm (both sides)", "",
                 "\\par {\\i Check the Type Approval Certificates for limitations in sizes !}", "", "",
                 "\\par \\b Material specifications:", "\\par \\b0 Type of filler sleeves:\\tab standard",
                 "TISO sealant:\\tab cartridges 310 ml", "",
                 "\\par \\b Warning:\\b0", "Depth \\{too\\} small", "",
                 "\\par \\b Cable specifications:", "\\par \\b0 Cables (OD)\\tab Amount",
                 "12.50\\tab         12", "22.00\\tab           6", "38.00\\tab           4",
                 "61.00\\tab           2", "", "Total amount of cables: 24", ""}));
  // The groups were listed largest first; the report sorts them.
  EXPECT_EQ(t.ConduitGroup(0).OuterDiameter, 12500);
}

TEST_F(Report, RoundPipeAndWatertightVariants) {
  TTransit pipe = Filled(Sample.PipeTransit);
  CurrentLengthUnit = luInch;
  ExpectParts(Section(pipe),
              {Rtf({"\\par \\b Transit specifications:\\tab\\b0 (All dimensions in inch)",
                    "Diameter:\\tab 7.8740", "Depth:\\tab 8.2677", "Transit type:\\tab Pipe (plastic)",
                    "Transit used in this project:\\tab 1 time", "Class:\\tab A-class"}),  // no spare for pipes
               Rtf({"\\par \\b Pipe specifications:", "\\par \\b0 Pipes (OD)\\tab Amount",
                    "5.5118\\tab           1", "", "Total amount of pipes: 1"}),
               "!Comments:", "!Warning:"});
  TTransit wet = Filled(Sample.CableTransit);
  wet.FillSystem = fsPraven;
  wet.Classification = clWatertight;
  wet.SealantCartridge = scHorlan;
  wet.SealantLayer = slNone;
  wet.ConduitGroups.clear();
  wet.Fill();
  ExpectParts(Section(wet), {Rtf({"Class:\\tab Watertight", "Sealant:\\tab None", "",
                                  "\\par {\\i Check the disclaimer for the watertightness ratings.}"}),
                             Rtf({"HORLAN sealant:\\tab cartridges 310 ml", ""}), Rtf({"No Cables \\b0", ""}),
                             "!Filling rate:"});
}

TEST_F(Report, CartridgeThatDisagreesWithTheListAborts) {
  TTransit t = Filled(Sample.CableTransit);
  const TMaterialsUsedForTransit m = MaterialsOf(t);  // a TISO line
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
  const std::string none = Section(t), small = Section(t, 2500, 2500);
  EXPECT_EQ(none.find("\\fs16"), std::string::npos);
  EXPECT_EQ(Section(t, 2500, 0), none);
  // 300 x 200 mm plus wall and margin: 340 x 240 mm fitted into 2500 wide.
  const std::string head = Rtf({"\\par \\pard\\b Material list for transit 'Main \\{Deck 3\\}' \\b0",
                                "\\par \\fs16\\par "}) +
                           "{\\pict\\wmetafile8\\picw8819\\pich6227\\picwgoal2500\\pichgoal1765\r";
  ASSERT_EQ(small.substr(0, head.size()), head);
  const size_t end = small.find("}\r\\par \\pard\\tx0\\tx3000\\tx4500\\tx6200\\tx7500\r\n");
  ASSERT_NE(end, std::string::npos);
  // The metafile ends with the frame round the picture, W - 10 by H - 10.
  std::string bytes;
  const std::string hex = small.substr(head.size(), end - head.size());
  for (size_t i = 0; i + 1 < hex.size(); i += hex[i] == '\r' ? 1 : 2)
    if (hex[i] != '\r') bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  auto lineTo = [](int x, int y) {
    // Size 5 words, function 0x0213, then y and x in logical units of half a pixel.
    const int lx = 2 * x, ly = 2 * y;
    return std::string{5, 0, 0, 0, 0x13, 0x02, char(ly & 255), char(ly >> 8), char(lx & 255), char(lx >> 8)};
  };
  const std::string frame =
      lineTo(2490, 0) + lineTo(2490, 1755) + lineTo(0, 1755) + lineTo(0, 0) + std::string{3, 0, 0, 0, 0, 0};
  ASSERT_GT(bytes.size(), frame.size());
  EXPECT_EQ(bytes.substr(bytes.size() - frame.size()), frame);
}

TEST_F(Report, MaterialListsWithAndWithoutPricesAndAsSummary) {
  TMaterialsUsedForTransit m;
  m.AddMaterial(mkGrentaxFillerSleeve, "GRENTAX fillersleeve 27/19", 27000, 19000, 140000, 0, "303_", true);
  m.AddMaterial(mkGrentaxSealant, "GRENTAX sealant", 310, 0, 0, 1.5, "403_0310", false);
  m.AddMaterial(mkPravenSleeve, "PRAVEN sleeve 27/19", 27000, 19000, 160000, 3, "103_", false);
  m.AddMaterial(mkMoxelCrusher, "KOVA/MOXEL Crusher   90/63", 90000, 63000, 170000, 1, "104_", false);
  m.AddMaterial(mkStrip, "Strip FRR/EHF (2,5mm)", 140000, 0, 0, 4, "2011140000", true);
  m.AddMaterial(mkWrap, "KOVA/MOXEL Wrap", 170000, 0, 0, 123456, "2021170000", false);
  m.AddMaterial(mkKovaCableSleeve, "Nospace", 12000, 6000, 60000, 100, "101_", false);
  m.AddMaterial(mkVeskamorSheet, "VESKAMOR sheet 600x140x25", 600000, 25000, 140000, 2, "304_600", true);
  const std::string prices = " \\tab\\tab\\tab Price\\tab Total\\b0";
  const std::string cut =
      " non-standard transit-depth, some materials will have to be cut by hand to the correct size!";
  std::string expected = Rtf({
      "\\par \\b GRENTAX materials needed:" + prices, "\\par \\b0 Filler sleeves\\tab Amount\\tab Length",
      "27/19\\tab           0\\tab 140.00 mm*", "",
      "GRENTAX sealant", "(incl. overfill)\\tab 465 ml (2 cartridges)", "", "",
      "\\par \\b PRAVEN materials needed:" + prices, "\\par \\b0 Insert sleeves\\tab Amount\\tab Length",
      "27/19\\tab           3\\tab 160.00 mm", "", "",
      "\\par \\b KOVA materials needed:" + prices, "\\par \\b0 Insert sleeves\\tab Amount\\tab Length",
      "Nospace\\tab       100\\tab 60.00 mm", "",
      "\\par \\b0 MOXEL Crushers\\tab Amount\\tab Length", "90/63\\tab           1\\tab 170.00 mm", "",
      "Strips\\tab Amount\\tab Width", "FRR/EHF (2.5mm)\\tab           4 meter\\tab 140.00 mm*", "",
      "MOXEL Wraps\\tab Amount\\tab Width", "1000x2.5mm\\tab 123456 meter\\tab 170.00 mm", "", "",
      "\\par \\b VESKAMOR materials needed:" + prices, "Pre-slit sheets (size)\\tab Amount",
      "600x140x25mm*\\tab           2", "", "*" + cut, ""});
  auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
      text.replace(at, from.size(), to);
    return text;
  };
  auto list = [&](bool withPriceColumns, bool summary) {
    std::string s;
    WriteMaterialList(s, m, withPriceColumns, summary);
    return s;
  };
  EXPECT_EQ(list(true, false), expected);
  // Without price columns only the headings change.
  EXPECT_EQ(list(false, false), replaced(expected, prices, " \\b0"));
  // The summary of a project: no marks, no footnote, the cartridge size named.
  expected = replaced(replaced(expected, "*", ""), Rtf({cut, ""}), "");
  EXPECT_EQ(list(true, true), replaced(expected, "cartridges)", "cartridges of 310ml)"));
  m = TMaterialsUsedForTransit();
  EXPECT_EQ(list(false, false), "");
}

TEST_F(Report, ProjectReportOfAllTransits) {
  const std::vector<int32_t> all = ProjectTransitIds(Sample.Project);
  ASSERT_EQ(all, (std::vector<int32_t>{Sample.CableTransit, Sample.PipeTransit, Sample.SheetTransit}));
  const std::string s = BuildProjectReport(Sample.Project, all, risLarge, prcBoth);
  std::string header, totals;
  WriteReportHeader(header);
  // The project, then the merged lists of the three transits as a summary with price columns.
  TMaterialsUsedForTransit sum;
  for (const int32_t id : all) sum.AddFrom(MaterialsOf(Filled(id)));
  WriteMaterialList(totals, sum, true, true);
  EXPECT_EQ(s.find(header +
                   Rtf({"", "Project customer:\\tab M\\'fcller & Co", "Project name:\\tab Deck \\{3\\}",
                        "Project created on:\\tab " + FormatTimestamp(43000), "Project created by:\\tab anna",
                        "Project last modified:\\tab " + FormatTimestamp(43500.75),
                        "Project modified by:\\tab bert",
                        "Transits amount:\\tab 3", "Comments:\\tab for the yard", "",
                        "\\par \\b Materials needed for project 'Deck \\{3\\}':\\b0 ", ""}) +
                   totals + "\\page\r\n"),
            0u);
  // Then one page per transit in list order, each with its picture.
  EXPECT_EQ(Occurrences(s, "\\page\r\n\\par \\pard\\b Material list for transit '"), 3);
  EXPECT_LT(s.find("'Main \\{Deck 3\\}'"), s.find("'Moxel pipe'"));
  EXPECT_LT(s.find("'Moxel pipe'"), s.find("'Sheets'"));
  EXPECT_EQ(Occurrences(s, "{\\pict\\wmetafile8"), 3);
  EXPECT_NE(s.find("\\picwgoal7500"), std::string::npos);
  EXPECT_EQ(s.substr(s.size() - 8), "\\par }\r\n");
  EXPECT_TRUE(BracesBalanced(s));
}

TEST_F(Report, ProjectReportOfSomeTransitsCarriesANote) {
  const std::vector<int32_t> some = {Sample.CableTransit, Sample.SheetTransit};
  const std::string both = BuildProjectReport(Sample.Project, some, risNone, prcBoth);
  ExpectParts(both, {"\\par Transits amount:\\tab 2\r\n",
                     Rtf({"\\par \\b Materials needed for project 'Deck \\{3\\}':\\b0 ",
                          "note: only calculated for transits Main \\{Deck 3\\}, Sheets", ""})});
  EXPECT_EQ(Occurrences(both, "\\page\r\n"), 2);
  // Totals only: no sections, and no pictures whatever the size.
  const std::string totals = BuildProjectReport(Sample.Project, some, risLarge, prcTotals);
  EXPECT_EQ(totals, both.substr(0, both.find("\\page\r\n")) + "\\par }\r\n");
  const std::string transits = BuildProjectReport(Sample.Project, some, risNone, prcTransits);
  ExpectParts(transits, {"!Materials needed for project", "!note:"});
  EXPECT_EQ(transits.substr(transits.find("\\page")), both.substr(both.find("\\page")));
  // Nothing checked: still the header, the totals heading and an empty note.
  const std::string nothing = BuildProjectReport(Sample.Project, {}, risNone, prcBoth);
  ExpectParts(nothing,
              {Rtf({"Transits amount:\\tab 0"}), Rtf({"note: only calculated for transits ", "", "\\par }"})});
}
