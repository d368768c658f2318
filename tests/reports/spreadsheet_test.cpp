// The bill of materials as a spreadsheet: written by the real command-line
// tool, read back by independent readers (openpyxl, Python's csv module) and
// compared with the RTF report and with calc's materials.
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/units.h"
#include "reports/rtfwriter.h"
#include "reports/spreadsheet.h"
#include "store/settings.h"
#include "tests/reports/sample_project.h"

#if defined(TRELLANE_CLI) && defined(TRELLANE_READ_WORKBOOK) && defined(TRELLANE_PYTHON3)

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct TRun {
  int Status = -1;
  std::string Out, Err;
};

// A sheet read back: the titles and the rows as maps from title to cell.
struct TReadSheet {
  std::string Name;
  std::vector<std::string> Titles;
  std::vector<std::map<std::string, json>> Rows;
  json Raw;
};

// A workbook keeps 16 significant digits of a number.
#define EXPECT_SAME_NUMBER(a, b) EXPECT_NEAR((a), (b), 1e-14 * std::fabs(b))

double Num(const json& cell) { return cell.is_null() ? NAN : cell.at("number").get<double>(); }
std::string Txt(const json& cell) { return cell.is_null() ? "" : cell.at("text").get<std::string>(); }

class Spreadsheet : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("trellane-sheet-test-" + std::to_string(getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir / "tmp");
    SetDefaultSettings();
    CurrentLengthUnit = luMillimetre;
    Sample = reportstest::FillSampleProject();
  }
  void TearDown() override {
    reportstest::ClearTables();
    fs::remove_all(Dir);
  }
  std::string Path(const std::string& name) const { return (Dir / name).string(); }
  void SaveData() const { std::ofstream(Path("data.tbs"), std::ios::binary) << reportstest::DataFileBytes(); }

  // Runs a command in the scratch folder, with its own temporary folder.
  TRun Shell(const std::string& command) const {
    const int raw = std::system(("cd '" + Dir.string() + "' && TMPDIR='" + Path("tmp") + "' LC_ALL=C " + command +
                                 " >run.out 2>run.err </dev/null")
                                    .c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(Path("run.out")), ReadWholeFile(Path("run.err"))};
  }
  TRun Cli(const std::string& arguments) const { return Shell(TRELLANE_CLI " " + arguments); }

  // The file read back by the Python readers.
  json ReadBack(const std::string& file) const {
    const TRun run = Shell(TRELLANE_PYTHON3 " '" TRELLANE_READ_WORKBOOK "' '" + Path(file) + "'");
    EXPECT_EQ(run.Status, 0) << run.Err;
    return json::parse(run.Out);
  }
  static TReadSheet Sheet(const json& book, const std::string& name) {
    for (const json& s : book.at("sheets")) {
      if (s.at("name") != name) continue;
      TReadSheet sheet{name, {}, {}, s};
      const json& rows = s.at("rows");
      for (const json& title : rows.at(0)) sheet.Titles.push_back(Txt(title));
      for (size_t r = 1; r < rows.size(); ++r) {
        std::map<std::string, json> row;
        for (size_t c = 0; c < sheet.Titles.size(); ++c) row[sheet.Titles[c]] = c < rows[r].size() ? rows[r][c] : json();
        sheet.Rows.push_back(row);
      }
      return sheet;
    }
    ADD_FAILURE() << "no sheet " << name;
    return {};
  }

  fs::path Dir;
  reportstest::TSample Sample;
};

// The line the RTF report prints for a material row read from a sheet (mm).
std::string ReportLine(std::map<std::string, json>& row, const char* amountTitle, bool summary) {
  const std::string kind = Txt(row["Kind"]);
  const double amount = Num(row[amountTitle]);
  const std::string mark = !summary && Txt(row["Non-standard"]) == "yes" ? "*" : "";
  const std::string padded = PadAmount(12, FormatFloat("%.0f", amount));
  auto mm = [&](const char* title) { return FormatFloat("%.2f", Num(row[title])) + " mm"; };
  if (kind.find("sealant") != std::string::npos) {
    std::string text = "\\par (incl. overfill)\\tab " + FormatFloat("%.0f", Num(row["Sealant (ml)"])) + " ml (" +
                       FormatFloat("%.0f", Num(row["Cartridges"])) + " cartridges";
    return text + (summary ? " of 310ml)" : ")");
  }
  if (kind == "KOVA Strips" || kind == "KOVA MOXEL Wraps")
    return std::string(kind == "KOVA Strips" ? "\\par FRR/EHF (2.5mm)\\tab " : "\\par 1000x2.5mm\\tab ") + padded +
           " meter\\tab " + mm("Size 1 (mm)") + mark;
  if (kind == "VESKAMOR Pre-slit sheets")
    return "\\par " + FormatFloat("%.0f", Num(row["Size 1 (mm)"])) + "x" + FormatFloat("%.0f", Num(row["Length (mm)"])) +
           "x" + FormatFloat("%.0f", Num(row["Size 2 (mm)"])) + "mm" + mark + "\\tab " + padded;
  const std::string description = Txt(row["Description"]);
  const size_t space = description.rfind(' ');
  const std::string size = space == std::string::npos ? description : description.substr(space + 1);
  return "\\par " + RtfText(size) + "\\tab " + padded + "\\tab " + mm("Length (mm)") + mark;
}

// The part of the report between two texts.
std::string Between(const std::string& text, const std::string& from, const std::string& to) {
  const size_t a = text.find(from);
  if (a == std::string::npos) return {};
  const size_t b = text.find(to, a + from.size());
  return text.substr(a, b == std::string::npos ? std::string::npos : b - a);
}

TEST_F(Spreadsheet, ProjectWorkbookHoldsTheReportsFiguresAndCalcsMaterials) {
  // calc validates a transit and the project report does not: the stored
  // choices are ones validation keeps, so both compute the same transit.
  Transits.Items(Transits.IndexOfID(Sample.PipeTransit))->SealantCartridge = scGrentax;
  SaveData();
  const TRun book = Cli("report data.tbs --project 'Deck {3}' -o book.xlsx");
  ASSERT_EQ(book.Status, 0) << book.Err;
  const TRun rtf = Cli("report data.tbs --project 'Deck {3}' --images none -o report.rtf");
  ASSERT_EQ(rtf.Status, 0) << rtf.Err;
  const std::string report = ReadWholeFile(Path("report.rtf"));
  const json read = ReadBack("book.xlsx");
  // Nothing of the writer's own is left in the temporary folder.
  EXPECT_TRUE(fs::is_empty(Dir / "tmp"));

  ASSERT_EQ(read.at("sheets").size(), 3u);
  EXPECT_EQ(read["sheets"][0]["name"], "Transits");
  EXPECT_EQ(read["sheets"][1]["name"], "Materials");
  EXPECT_EQ(read["sheets"][2]["name"], "Totals");
  for (const json& s : read["sheets"]) {
    EXPECT_TRUE(s["headerBold"].get<bool>()) << s["name"];
    EXPECT_EQ(s["frozen"], "A2") << s["name"];
    EXPECT_EQ(s["autofilter"].get<std::string>().substr(0, 3), "A1:") << s["name"];
    for (const json& w : s["widths"]) EXPECT_GE(w.get<double>(), 6) << s["name"];
  }
  EXPECT_NE(read["properties"]["description"].get<std::string>().find(ReportVersionText), std::string::npos);

  // Transits: one row per transit of the report, sizes in millimetres.
  TReadSheet transits = Sheet(read, "Transits");
  ASSERT_EQ(transits.Rows.size(), 3u);
  std::map<std::string, int> timesUsed;
  for (auto& row : transits.Rows) {
    EXPECT_EQ(Txt(row["Project"]), "Deck {3}");
    timesUsed[Txt(row["Transit"])] = static_cast<int>(Num(row["Times used"]));
  }
  EXPECT_EQ(Txt(transits.Rows[0]["Transit"]), "Main {Deck 3}");
  EXPECT_EQ(Num(transits.Rows[0]["Width (mm)"]), 300.0);
  EXPECT_EQ(Num(transits.Rows[0]["Corner radius (mm)"]), 20.0);
  EXPECT_EQ(Num(transits.Rows[0]["Conduits"]), 24.0);
  EXPECT_EQ(Num(transits.Rows[0]["Spare (%)"]), 10.0);
  EXPECT_EQ(transits.Rows[0]["Width (mm)"]["format"], "0.00");
  // The round pipe transit has a diameter and no width.
  EXPECT_EQ(Num(transits.Rows[1]["Diameter (mm)"]), 200.0);
  EXPECT_TRUE(transits.Rows[1]["Width (mm)"].is_null());
  EXPECT_EQ(timesUsed["Main {Deck 3}"], 2);
  // The figures the report prints for the transit.
  const std::string cable = Between(report, "Material list for transit 'Main \\{Deck 3\\}'", "\\page");
  EXPECT_NE(cable.find("\\par Filling rate:\\tab " + FormatFloat("%.1f", Num(transits.Rows[0]["Filling rate (%)"])) +
                       "%\r\n"),
            std::string::npos);
  EXPECT_NE(cable.find("\\par Depth:\\tab " + FormatFloat("%.2f", Num(transits.Rows[0]["Depth (mm)"])) + "\r\n"),
            std::string::npos);

  // Materials: each line is in the transit's section of the report, and
  // amount per transit x times used = total amount.
  TReadSheet materials = Sheet(read, "Materials");
  ASSERT_GT(materials.Rows.size(), 5u);
  std::map<std::string, double> sums;
  std::map<std::string, std::vector<std::map<std::string, json>>> byTransit;
  for (auto& row : materials.Rows) {
    const std::string name = Txt(row["Transit"]);
    const std::string section = Between(report, "Material list for transit '" + RtfText(name) + "'", "\\page");
    ASSERT_FALSE(section.empty()) << name;
    EXPECT_NE(section.find(ReportLine(row, "Total amount", false) + "\r\n"), std::string::npos)
        << name << ": " << ReportLine(row, "Total amount", false);
    EXPECT_SAME_NUMBER(Num(row["Amount per transit"]) * Num(row["Times used"]), Num(row["Total amount"]));
    EXPECT_EQ(Num(row["Times used"]), timesUsed[name]);
    sums[Txt(row["Article code"])] += Num(row["Total amount"]);
    byTransit[name].push_back(row);
  }

  // Totals: exactly the lines of the report's project totals, and the sums
  // of the transits' lines.
  const std::string totalsPart = Between(report, "Materials needed for project", "\\page");
  ASSERT_FALSE(totalsPart.empty());
  TReadSheet totals = Sheet(read, "Totals");
  ASSERT_EQ(totals.Rows.size(), sums.size());
  size_t lines = 0;
  for (auto& row : totals.Rows) {
    EXPECT_NE(totalsPart.find(ReportLine(row, "Amount", true) + "\r\n"), std::string::npos)
        << ReportLine(row, "Amount", true);
    const double sum = sums[Txt(row["Article code"])];
    EXPECT_NEAR(Num(row["Amount"]), sum, 1e-9 * std::fabs(sum)) << Txt(row["Article code"]);
    ++lines;
  }
  // As many material lines as the totals part prints (sleeves, strips,
  // sheets and sealants).
  size_t printed = 0;
  for (const char* lead : {"\\tab Amount\\tab Length\r\n", "\\tab Amount\\tab Width\r\n", "(size)\\tab Amount\r\n"}) {
    for (size_t at = totalsPart.find(lead); at != std::string::npos; at = totalsPart.find(lead, at + 1)) {
      const size_t end = totalsPart.find("\\par \r\n", at);
      for (size_t p = totalsPart.find("\r\n\\par ", at); p + 2 < end; p = totalsPart.find("\r\n\\par ", p + 1))
        ++printed;
    }
  }
  for (size_t at = totalsPart.find("(incl. overfill)"); at != std::string::npos;
       at = totalsPart.find("(incl. overfill)", at + 1))
    ++printed;
  EXPECT_EQ(printed, lines);

  // calc's materials of each transit, from its own export file.
  for (const int32_t id : {Sample.CableTransit, Sample.PipeTransit, Sample.SheetTransit}) {
    const std::string name = Transits.Items(Transits.IndexOfID(id))->Name;
    ExportTransitFile(Transits.IndexOfID(id), Path("one.htf"));
    const TRun calc = Cli("calc one.htf");
    ASSERT_EQ(calc.Status, 0) << calc.Err;
    const json lines = json::parse(calc.Out).at("materials");
    const auto& rows = byTransit[name];
    ASSERT_EQ(lines.size(), rows.size()) << name;
    for (size_t i = 0; i < rows.size(); ++i) {
      auto row = rows[i];
      EXPECT_EQ(lines[i]["code"], Txt(row["Article code"])) << name;
      EXPECT_SAME_NUMBER(lines[i]["amount"].get<double>(), Num(row["Total amount"])) << name << " " << lines[i]["code"];
      EXPECT_EQ(lines[i]["description"], Txt(row["Description"])) << name;
    }
  }
}

TEST_F(Spreadsheet, ContentsChooseTheSheetsAndTheTransitFileHasItsOwnTotals) {
  // A transit too small for its cables: the editor's warning line.
  TRecTransit& small = reportstest::AddTransit(Sample.Project, "Small");
  small.Width = small.Height = 100000;
  small.CornerRadius = 0;
  reportstest::AddConduit(small.ID, 20000, 40);
  SaveData();
  ASSERT_EQ(Cli("report data.tbs --project 'Deck {3}' --transit Small -o w.xlsx").Status, 0);
  TReadSheet warned = Sheet(ReadBack("w.xlsx"), "Transits");
  ASSERT_EQ(warned.Rows.size(), 1u);
  EXPECT_GT(Num(warned.Rows[0]["Not placed"]), 0);
  EXPECT_EQ(Txt(warned.Rows[0]["Warning"]),
            FormatFloat("%.0f", Num(warned.Rows[0]["Not placed"])) + " cables could not be placed");

  ASSERT_EQ(Cli("report data.tbs --project 'Deck {3}' --contents totals -o t.xlsx").Status, 0);
  ASSERT_EQ(Cli("report data.tbs --project 'Deck {3}' --contents transits --transit Sheets -o s.xlsx").Status, 0);
  const json totalsOnly = ReadBack("t.xlsx");
  ASSERT_EQ(totalsOnly["sheets"].size(), 1u);
  EXPECT_EQ(totalsOnly["sheets"][0]["name"], "Totals");
  const json transitsOnly = ReadBack("s.xlsx");
  ASSERT_EQ(transitsOnly["sheets"].size(), 2u);
  EXPECT_EQ(Sheet(transitsOnly, "Transits").Rows.size(), 1u);

  // One transit from its export file: its materials are the totals.
  ExportTransitFile(Transits.IndexOfID(Sample.CableTransit), Path("main.htf"));
  ASSERT_EQ(Cli("report main.htf -o main.xlsx --unit inch").Status, 0);
  const json one = ReadBack("main.xlsx");
  TReadSheet materials = Sheet(one, "Materials");
  TReadSheet totals = Sheet(one, "Totals");
  ASSERT_EQ(materials.Rows.size(), totals.Rows.size());
  for (size_t i = 0; i < totals.Rows.size(); ++i) {
    EXPECT_EQ(Txt(materials.Rows[i]["Article code"]), Txt(totals.Rows[i]["Article code"]));
    EXPECT_SAME_NUMBER(Num(materials.Rows[i]["Total amount"]), Num(totals.Rows[i]["Amount"]));
  }
  TReadSheet transits = Sheet(one, "Transits");
  EXPECT_SAME_NUMBER(Num(transits.Rows.at(0)["Width (inch)"]), 300000.0 / 25400);
  EXPECT_EQ(transits.Rows[0]["Width (inch)"]["format"], "0.0000");
}

TEST_F(Spreadsheet, CsvKeepsEveryCharacterOfTheNames) {
  const std::string tricky = "Main, \"big\"\nDeck \xC3\xA9";
  Transits.Items(Transits.IndexOfID(Sample.CableTransit))->Name = tricky;
  // A Windows-1252 character beyond Latin-1 in the project name: the euro sign.
  Projects.Items(Projects.IndexOfID(Sample.Project))->Name = "Deck \xE2\x82\xAC";
  SaveData();
  const TRun run = Cli("report data.tbs --project 'Deck \xE2\x82\xAC' --transit '" + tricky + "' -o out.csv");
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::string bytes = ReadWholeFile(Path("out.csv"));
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  const json read = ReadBack("out.csv");
  EXPECT_TRUE(read["bom"].get<bool>());
  TReadSheet sheet = Sheet(read, "csv");
  EXPECT_EQ(sheet.Titles.at(0), "Project");
  EXPECT_EQ(sheet.Titles.at(6), "Size 1 (mm)");
  ASSERT_GT(sheet.Rows.size(), 2u);
  for (auto& row : sheet.Rows) {
    EXPECT_EQ(Txt(row["Transit"]), tricky);
    EXPECT_EQ(Txt(row["Project"]), "Deck \xE2\x82\xAC");
    // Numbers with a decimal point that read back as the same numbers.
    EXPECT_EQ(std::stod(Txt(row["Amount per transit"])) * 2, std::stod(Txt(row["Total amount"])));
  }
}

TEST_F(Spreadsheet, UnwritableTargetIsAClearErrorAndLeavesNoFile) {
  SaveData();
  fs::create_directories(Dir / "taken.xlsx");  // a folder where the file should go
  for (const std::string target : {"missing/book.xlsx", "taken.xlsx", "missing/out.csv"}) {
    const TRun run = Cli("report data.tbs --project 'Deck {3}' -o " + target);
    EXPECT_EQ(run.Status, 2) << target;
    EXPECT_EQ(run.Err.rfind("error: Cannot write " + target + ": ", 0), 0u) << run.Err;
  }
  EXPECT_FALSE(fs::exists(Dir / "missing"));
  EXPECT_TRUE(fs::is_empty(Dir / "taken.xlsx"));
  EXPECT_FALSE(fs::exists(Dir / "taken.xlsx.tmp"));
  EXPECT_TRUE(fs::is_empty(Dir / "tmp"));
}

}  // namespace

#endif

// In-process: the CSV's quoting and the texts of the material lines.
TEST(SpreadsheetCsv, QuotesOnlyWhatNeedsItAndKeepsNumbersExact) {
  CurrentLengthUnit = luMillimetre;
  TReportSheets sheets;
  sheets.WithTotals = false;
  TSheetTransit t;
  t.Project = "plain";
  t.Name = "a,b \"c\"\r\nd\x80";  // a stray Windows-1252 byte
  t.TimesUsed = 3;
  TMaterialItem sealant;
  sealant.Kind = mkTisoSealant;
  sealant.Code = "401_0310";
  sealant.Description = "TISO sealant";
  sealant.Size1 = 310;
  sealant.AmountPerTransit = 0.1;
  sealant.Amount = 0.1 * 3;
  t.Materials.push_back(sealant);
  sheets.Transits.push_back(t);
  const std::string csv = SpreadsheetCsv(sheets);
  const std::string row = csv.substr(csv.find("\r\n") + 2);
  EXPECT_EQ(row,
            "plain,\"a,b \"\"c\"\"\r\nd\xE2\x82\xAC\",3,KOVA TISO sealant,401_0310,TISO sealant,,,,0.1,cartridges,"
            "0.30000000000000004,93.00000000000001,1,no\r\n");
  EXPECT_EQ(MaterialAmountUnit(mkVeskamorSheet), "sheets");
  EXPECT_EQ(MaterialAmountUnit(mkStrip), "m");
  EXPECT_EQ(MaterialAmountUnit(mkKovaFillerSleeve), "pieces");
  EXPECT_EQ(SpreadsheetFormatForPath("/x/A.XLSX"), TSpreadsheetFormat::Xlsx);
  EXPECT_EQ(SpreadsheetFormatForPath("a.csv"), TSpreadsheetFormat::Csv);
  EXPECT_THROW(SpreadsheetFormatForPath("a.xls"), std::exception);
  EXPECT_FALSE(IsSpreadsheetPath("dir.xlsx/file"));
}
