#include <gtest/gtest.h>

#include "core/errors.h"
#include "helpers.h"
#include "schedule/reader.h"
#include "schedule/schedule.h"

using namespace scheduletest;

namespace {

std::string Cell(const TScheduleTable& t, size_t row, size_t column) {
  if (row >= t.Rows.size() || column >= t.Rows[row].size()) return "<none>";
  return t.Rows[row][column].Text;
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const TError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(DelimitedReader, SemicolonsAndCommaDecimalsAreDetectedNeverTheLocale) {
  const TScheduleTable t = ReadDelimitedText("Tag;Transit;OD\r\nC1;T1;12,5\r\nC2;\"T1;T2\";8,25\r\n");
  EXPECT_EQ(t.Delimiter, ';');
  EXPECT_TRUE(t.DelimiterDetected);
  EXPECT_EQ(t.DecimalSeparator, ',');
  ASSERT_EQ(t.Rows.size(), 3u);
  EXPECT_EQ(Cell(t, 2, 1), "T1;T2");

  // The plan reads 12,5 as twelve and a half, never 125.
  TScheduleOptions options;
  options.Columns = SuggestScheduleColumns(ScheduleHeader(t));
  options.Decimal = t.DecimalSeparator;
  options.ProjectID = 12345;
  const TSchedulePlan plan = PlanSchedule(t, options);
  ASSERT_EQ(plan.Transits.size(), 2u);
  ASSERT_EQ(plan.Transits[0].Groups.size(), 2u);
  EXPECT_DOUBLE_EQ(plan.Transits[0].Groups[0].OuterDiameter, 8250);
  EXPECT_DOUBLE_EQ(plan.Transits[0].Groups[1].OuterDiameter, 12500);

  // Comma-delimited text with dot decimals, and tabs.
  EXPECT_EQ(ReadDelimitedText("a,b,c\n1.5,2.5,x\n").DecimalSeparator, '.');
  EXPECT_EQ(ReadDelimitedText("a,b,c\n1.5,2.5,x\n").Delimiter, ',');
  EXPECT_EQ(ReadDelimitedText("a\tb;c\n1,5\t2;x\n").Delimiter, '\t');
  // Comma-delimited with comma decimals in quotes.
  const TScheduleTable quoted = ReadDelimitedText("a,b\n\"1,5\",x\n\"2,25\",y\n");
  EXPECT_EQ(quoted.Delimiter, ',');
  EXPECT_EQ(quoted.DecimalSeparator, ',');
}

TEST(DelimitedReader, OverridesWin) {
  TDelimitedOptions options;
  options.Delimiter = ',';
  options.Decimal = '.';
  const TScheduleTable t = ReadDelimitedText("Tag;Transit;OD\nC1;T1;12,5\n", options);
  EXPECT_EQ(t.Delimiter, ',');
  EXPECT_FALSE(t.DelimiterDetected);
  EXPECT_EQ(t.DecimalSeparator, '.');
  EXPECT_EQ(Cell(t, 1, 0), "C1;T1;12");
  EXPECT_EQ(Cell(t, 1, 1), "5");
}

TEST(DelimitedReader, QuotingAndLineEnds) {
  // Doubled quotes, a delimiter and a line break inside quotes, CR-only and
  // LF-only line ends, a last line without an end, an empty line kept as a row.
  const TScheduleTable t = ReadDelimitedText("a;b\r\"x \"\"1\"\";\r\nmore\";2\n\nlast;3", {';', 0});
  ASSERT_EQ(t.Rows.size(), 4u);
  EXPECT_EQ(Cell(t, 1, 0), "x \"1\";\r\nmore");
  EXPECT_EQ(Cell(t, 1, 1), "2");
  EXPECT_TRUE(t.Rows[2].empty());
  EXPECT_EQ(Cell(t, 3, 0), "last");
  EXPECT_EQ(Cell(t, 3, 1), "3");
}

TEST(DelimitedReader, EncodingsAreDetected) {
  const TScheduleTable bom = ReadDelimitedText("\xEF\xBB\xBFTransit;\xC3\x98\nT1;5\n");
  EXPECT_EQ(bom.Encoding, "UTF-8 with BOM");
  EXPECT_EQ(Cell(bom, 0, 0), "Transit");
  EXPECT_EQ(Cell(bom, 0, 1), "\xC3\x98");

  const TScheduleTable plain = ReadDelimitedText("Transit;\xC3\x98\n");
  EXPECT_EQ(plain.Encoding, "UTF-8");

  // Windows-1252: Ø is D8, the euro sign 80.
  const TScheduleTable ansi = ReadDelimitedText("Transit;\xD8 mm\nT\x80;5\n");
  EXPECT_EQ(ansi.Encoding, "Windows-1252");
  EXPECT_EQ(Cell(ansi, 0, 1), "\xC3\x98 mm");
  EXPECT_EQ(Cell(ansi, 1, 0), "T\xE2\x82\xAC");
  EXPECT_EQ(SuggestScheduleColumns(ScheduleHeader(ansi)).Diameter, 1);
}

TEST(DelimitedReader, BoundsAreKept) {
  std::string many = "Transit;OD\n";
  for (int i = 0; i < MaxScheduleRows; ++i) many += "T;1\n";
  EXPECT_NE(ErrorOf([&] { ReadDelimitedText(many); }).find("more than 100000 rows"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadDelimitedText("a;" + std::string(MaxScheduleCellBytes + 1, 'x')); }).find("KB"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadDelimitedText(std::string("a;b\0c", 5)); }).find("binary"), std::string::npos);
  // 5 000 lines of 1 000 delimiters: a small file, too many cells.
  std::string delimiters;
  for (int i = 0; i < 5000; ++i) delimiters += std::string(1000, ';') + "\n";
  EXPECT_NE(ErrorOf([&] { ReadDelimitedText(delimiters); }).find("more than 4000000 cells"), std::string::npos);
}

TEST(ColumnSuggestions, HeaderWords) {
  const TScheduleColumns c =
      SuggestScheduleColumns({"Cable tag", "Cable type", "Penetration(s)", "OD [mm]", "Qty", "Remarks"});
  EXPECT_EQ(c.Tag, 0);
  EXPECT_EQ(c.Type, 1);
  EXPECT_EQ(c.Transit, 2);
  EXPECT_EQ(c.Diameter, 3);
  EXPECT_EQ(c.Amount, 4);
  const TScheduleColumns d = SuggestScheduleColumns({"MCT", "Outer diameter", "Amount", "Cable"});
  EXPECT_EQ(d.Transit, 0);
  EXPECT_EQ(d.Diameter, 1);
  EXPECT_EQ(d.Amount, 2);
  EXPECT_EQ(d.Tag, 3);
  EXPECT_EQ(SuggestScheduleColumns({"Hole no.", "\xC3\x98"}).Transit, 0);
  EXPECT_EQ(SuggestScheduleColumns({"Hole no.", "\xC3\x98"}).Diameter, 1);
  EXPECT_EQ(FindScheduleColumn({"Tag", " Route "}, "route"), 1);
  EXPECT_EQ(FindScheduleColumn({"Tag", "Route"}, "Routes"), -1);
}

TEST(XlsxReader, OpenpyxlWorkbook) {
  TScratch s;
  s.Make("basic " + s.Path("b.xlsx"));
  const TScheduleTable t = ReadScheduleFile(s.Path("b.xlsx"));
  EXPECT_EQ(t.Encoding, "xlsx");
  EXPECT_EQ(t.SheetName, "Cables");
  EXPECT_EQ(t.SheetNames, (std::vector<std::string>{"Cables", "Pipes"}));
  EXPECT_EQ(ScheduleHeaderRow(t), 1);
  EXPECT_EQ(Cell(t, 1, 2), "\xC3\x98 mm");
  EXPECT_EQ(Cell(t, 2, 2), "12.5");
  EXPECT_TRUE(t.Rows[2][2].Numeric);
  EXPECT_EQ(Cell(t, 3, 1), "MCT-01; MCT-02");
  EXPECT_EQ(Cell(t, 3, 3), "");  // an empty cell between filled ones
  EXPECT_EQ(Cell(t, 4, 2), "20,5");
  EXPECT_FALSE(t.Rows[4][2].Numeric);
  EXPECT_EQ(Cell(t, 8, 6), "far away");

  const TScheduleTable pipes = ReadScheduleFile(s.Path("b.xlsx"), {{}, "Pipes"});
  EXPECT_EQ(pipes.SheetName, "Pipes");
  EXPECT_EQ(Cell(pipes, 1, 1), "100");
  EXPECT_NE(ErrorOf([&] { ReadScheduleFile(s.Path("b.xlsx"), {{}, "Nope"}); }).find("no sheet named 'Nope'"),
            std::string::npos);

  // Numbers are read with a dot, text cells with the chosen separator: both
  // 12.5 and "20,5" are right when the text cells use commas.
  TScheduleOptions options;
  options.Columns = SuggestScheduleColumns(ScheduleHeader(t));
  options.Decimal = ',';
  options.ProjectID = 12345;
  const TSchedulePlan plan = PlanSchedule(t, options);
  ASSERT_EQ(plan.Transits.size(), 3u);
  EXPECT_EQ(plan.Transits[1].Name, "MCT-02");
  ASSERT_EQ(plan.Transits[1].Groups.size(), 2u);
  EXPECT_DOUBLE_EQ(plan.Transits[1].Groups[1].OuterDiameter, 20500);
  EXPECT_EQ(plan.Transits[2].Groups[0].ConduitType, ctPipesMetal);
}

TEST(XlsxReader, InlineStringsGapsAndReferencelessCells) {
  TScratch s;
  s.Make("handmade " + s.Path("h.xlsx"));
  const TScheduleTable t = ReadScheduleFile(s.Path("h.xlsx"));
  EXPECT_EQ(t.SheetName, "Schedule");
  ASSERT_EQ(t.Rows.size(), 5u);
  EXPECT_TRUE(t.Rows[0].empty());
  EXPECT_EQ(Cell(t, 1, 0), "Transit");
  EXPECT_EQ(Cell(t, 1, 2), "Outer diameter");  // rich-text runs joined
  EXPECT_EQ(Cell(t, 3, 0), "T&1");
  EXPECT_EQ(Cell(t, 3, 2), "1.25E1");
  EXPECT_EQ(Cell(t, 4, 0), "T2");  // the row after 4, without a number
  EXPECT_EQ(Cell(t, 4, 2), "7");   // cells without references follow each other
}

TEST(XlsxReader, DamagedAndHostileWorkbooksAreRefusedClearly) {
  TScratch s;
  const std::pair<const char*, const char*> cases[] = {
      {"bomb", "unpacks to more than"},
      {"liar", "unpacks to more than"},  // states 1 000 bytes, inflates to 72 MB
      {"broken", "broken XML in xl/worksheets/data.xml"},
      {"nosheet", "the sheet 'Schedule' is missing"},
      {"doctype", "declares a document type"},
      {"badref", "shared string that is not there"},
      {"farcells", "more than 4000000 cells"},  // one cell far right in each of 5 000 rows
  };
  for (const auto& [kind, message] : cases) {
    s.Make(std::string("hostile ") + kind + " " + s.Path(std::string(kind) + ".xlsx"));
    const std::string error = ErrorOf([&] { ReadScheduleFile(s.Path(std::string(kind) + ".xlsx")); });
    EXPECT_NE(error.find(message), std::string::npos) << kind << ": " << error;
  }
  Spit(s.Path("text.xlsx"), "Transit;OD\nT1;5\n");
  EXPECT_NE(ErrorOf([&] { ReadScheduleFile(s.Path("text.xlsx")); }).find("no zip archive"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadScheduleFile(s.Path("missing.csv")); }).find("Cannot open"), std::string::npos);
}
