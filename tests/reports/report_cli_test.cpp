// The report command of the real command-line tool on real data and export files.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "store/settings.h"
#include "tests/reports/sample_project.h"

#ifdef TRELLANE_CLI

namespace {

namespace fs = std::filesystem;
using reportstest::ExpectParts;

struct TRun {
  int Status = -1;
  std::string Out, Err;
};

class ReportCli : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("trellane-report-" + std::to_string(getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
    SetDefaultSettings();
    Sample = reportstest::FillSampleProject();
    std::ofstream(Path("data.tbs"), std::ios::binary) << reportstest::DataFileBytes();
  }
  void TearDown() override {
    reportstest::ClearTables();
    fs::remove_all(Dir);
  }

  std::string Path(const std::string& name) const { return (Dir / name).string(); }

  // Runs the tool in the scratch folder.
  TRun Run(const std::string& command, const std::string& arguments) const {
    const int raw = std::system(("cd " + Dir.string() + " && LC_ALL=C " TRELLANE_CLI " " + command + " " +
                                 arguments + " >run.out 2>run.err </dev/null").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(Path("run.out")),
            ReadWholeFile(Path("run.err"))};
  }
  // The report of the data file with these options.
  TRun Report(const std::string& options) const { return Run("report", "data.tbs " + options); }

  fs::path Dir;
  reportstest::TSample Sample;
};

}  // namespace

TEST_F(ReportCli, DataFileWithSeveralProjectsListsThem) {
  const TRun run = Report("-o out.rtf");
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Out, "Deck {3}\nOther\n");
  EXPECT_EQ(run.Err.rfind("error: ", 0), 0u) << run.Err;
  EXPECT_FALSE(fs::exists(Path("out.rtf")));
  const TRun missing = Report("-o out.rtf --project Nowhere");
  EXPECT_EQ(missing.Status, 2);
  EXPECT_EQ(missing.Err, "error: no project named 'Nowhere'\n");
}

TEST_F(ReportCli, ProjectFromDataFile) {
  const TRun run = Report("-o out.rtf --project 'Deck {3}' --images small");
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, "");
  ExpectParts(ReadWholeFile(Path("out.rtf")),
              {"\\par Project name:\\tab Deck \\{3\\}\r\n", "\\par Transits amount:\\tab 3\r\n",
               "Harvant Engineering bv\\par ",  // the default distributor
               "\\picwgoal2500", "!Elsewhere"});
}

TEST_F(ReportCli, ChosenTransitsInListOrderWithUnit) {
  const TRun run = Report("-o - --project 'Deck {3}' --transit Sheets --transit 'Main {Deck 3}'"
                          " --contents totals --unit inch");
  ASSERT_EQ(run.Status, 0) << run.Err;
  ExpectParts(run.Out, {"\\par Transits amount:\\tab 2\r\n", "transits Main \\{Deck 3\\}, Sheets\r\n",
                        " inch\r\n", "!\\page"});
}

TEST_F(ReportCli, ProjectAndTransitExportFiles) {
  ExportProjectFile(Projects.IndexOfID(Sample.Project), Path("deck.hpf"));
  ExportTransitFile(Transits.IndexOfID(Sample.CableTransit), Path("main.htf"));
  const TRun project = Run("report", "deck.hpf -o - --images none --contents transits");
  ASSERT_EQ(project.Status, 0) << project.Err;
  ExpectParts(project.Out, {"\\par Project customer:\\tab M\\'fcller & Co\r\n", "'Moxel pipe'", "!\\pict",
                            "!Materials needed for project"});
  // The medium picture by default; no project, no pages, no price columns.
  const TRun transit = Run("report", "main.htf -o -");
  ASSERT_EQ(transit.Status, 0) << transit.Err;
  ExpectParts(transit.Out, {"\\par \\pard\\b Material list for transit 'Main \\{Deck 3\\}' \\b0\r\n"
                            "\\par \\fs16\\par \r\n"
                            "{\\pict\\wmetafile8\\picw17639\\pich12450\\picwgoal5000\\pichgoal3529\r",
                            "\\par \\b KOVA materials needed: \\b0\r\n", "!Project name:", "!\\page"});
  EXPECT_EQ(transit.Out.substr(transit.Out.size() - 8), "\\par }\r\n");
}

TEST_F(ReportCli, BadInputIsAnErrorWithoutOutput) {
  std::ofstream(Path("broken.tbs"), std::ios::binary) << "not a zlib stream";
  const char* const arguments[] = {"broken.tbs -o out.rtf", "missing.hpf -o out.rtf", "x.txt -o out.rtf",
                                   "data.tbs --project Other",  // no -o
                                   "data.tbs -o out.rtf --project Other --images huge",
                                   "data.tbs -o out.rtf --project Other --contents all",
                                   "data.tbs -o out.rtf --project 'Deck {3}' --transit Elsewhere"};
  for (const char* a : arguments) {
    const TRun run = Run("report", a);
    EXPECT_EQ(run.Status, 2) << a;
    EXPECT_EQ(run.Err.rfind("error: ", 0), 0u) << a;
    EXPECT_FALSE(fs::exists(Path("out.rtf"))) << a;
  }
}

TEST_F(ReportCli, CalcPrintsTheMaterials) {
  std::ofstream(Path("t.json")) << R"({"width": 300000, "height": 300000, "transitsInProject": 3,
    "conduits": [{"amount": 3, "diameter": 80000}, {"amount": 2, "diameter": 20000}]})";
  const TRun run = Run("calc", "t.json");
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::string materials = run.Out.substr(std::min(run.Out.find("\"materials\": ["), run.Out.size()));
  // Sleeves, the strip of the oversize cables, filler sleeves and sealant, in article order.
  size_t at = 0;
  for (const char* code : {"\"101_10270001140000\"", "\"2011140000\"", "\"301_181140000\"", "\"301_271140000\"",
                           "\"401_0310\""}) {
    at = materials.find(code, at);
    ASSERT_NE(at, std::string::npos) << code;
  }
  ExpectParts(materials, {"\"description\": \"Strip FRR/EHF (2,5mm)\"", "\"nonStandard\": false",
                          "\"kind\": 12",
                          "\"amount\": 12.0",  // ceiling(3.49 m) x 3
                          "\"amount\": 6.0"});  // 2 sleeves x 3
}

#endif
