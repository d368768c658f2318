// The report command of the real command-line tool on real data and export files.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "store/settings.h"
#include "tests/reports/sample_project.h"

#ifdef TRELLANE_CLI

namespace {

namespace fs = std::filesystem;

struct TRun {
  int Status = -1;
  std::string Out, Err;
};

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

class ReportCli : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("trellane-report-" + std::to_string(getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
    SetDefaultSettings();
    Sample = reportstest::FillSampleProject();
  }
  void TearDown() override {
    reportstest::ClearTables();
    fs::remove_all(Dir);
  }

  std::string Path(const std::string& name) const { return (Dir / name).string(); }

  void WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

  TRun Run(const std::string& arguments) const {
    const std::string out = Path("run.out"), err = Path("run.err");
    const std::string command =
        std::string("LC_ALL=C ") + TRELLANE_CLI + " report " + arguments + " >" + out + " 2>" + err + " </dev/null";
    const int raw = std::system(command.c_str());
    TRun run;
    run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.Out = FileText(out);
    run.Err = FileText(err);
    return run;
  }

  fs::path Dir;
  reportstest::TSample Sample;
};

}  // namespace

TEST_F(ReportCli, DataFileWithSeveralProjectsListsThem) {
  WriteFile("data.tbs", reportstest::DataFileBytes());
  const TRun run = Run(Path("data.tbs") + " -o " + Path("out.rtf"));
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Out, "Deck {3}\nOther\n");
  EXPECT_EQ(run.Err.rfind("error: ", 0), 0u) << run.Err;
  EXPECT_FALSE(fs::exists(Path("out.rtf")));

  const TRun missing = Run(Path("data.tbs") + " -o " + Path("out.rtf") + " --project Nowhere");
  EXPECT_EQ(missing.Status, 2);
  EXPECT_EQ(missing.Err, "error: no project named 'Nowhere'\n");
}

TEST_F(ReportCli, ProjectFromDataFile) {
  WriteFile("data.tbs", reportstest::DataFileBytes());
  const TRun run = Run(Path("data.tbs") + " -o " + Path("out.rtf") + " --project 'Deck {3}' --images small");
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, "");
  const std::string rtf = FileText(Path("out.rtf"));
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u);
  EXPECT_NE(rtf.find("\\par Project name:\\tab Deck \\{3\\}\r\n"), std::string::npos);
  EXPECT_NE(rtf.find("\\par Transits amount:\\tab 3\r\n"), std::string::npos);
  EXPECT_NE(rtf.find("Harvant Engineering bv\\par "), std::string::npos);  // the default distributor
  EXPECT_NE(rtf.find("\\picwgoal2500"), std::string::npos);
  EXPECT_EQ(rtf.find("Elsewhere"), std::string::npos);
  EXPECT_EQ(rtf.find("'Template'"), std::string::npos);
  EXPECT_EQ(rtf.substr(rtf.size() - 8), "\\par }\r\n");
}

TEST_F(ReportCli, ChosenTransitsContentsUnitAndImages) {
  WriteFile("data.tbs", reportstest::DataFileBytes());
  const TRun run = Run(Path("data.tbs") + " -o " + Path("out.rtf") +
                       " --project 'Deck {3}' --transit Sheets --transit 'Main {Deck 3}' --images none"
                       " --contents transits --unit inch");
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::string rtf = FileText(Path("out.rtf"));
  EXPECT_EQ(rtf.find("\\pict"), std::string::npos);
  EXPECT_EQ(rtf.find("Materials needed for project"), std::string::npos);
  EXPECT_NE(rtf.find("\\par Transits amount:\\tab 2\r\n"), std::string::npos);
  EXPECT_NE(rtf.find("(All dimensions in inch)"), std::string::npos);
  // In list order, whatever the order of the options.
  EXPECT_LT(rtf.find("'Main \\{Deck 3\\}'"), rtf.find("'Sheets'"));
  EXPECT_EQ(rtf.find("'Moxel pipe'"), std::string::npos);

  const TRun totals = Run(Path("data.tbs") + " -o - --project 'Deck {3}' --transit Sheets --contents totals");
  ASSERT_EQ(totals.Status, 0) << totals.Err;
  EXPECT_NE(totals.Out.find("\\par note: only calculated for transits Sheets\r\n"), std::string::npos);
  EXPECT_EQ(totals.Out.find("\\page"), std::string::npos);

  const TRun unknown = Run(Path("data.tbs") + " -o - --project 'Deck {3}' --transit Elsewhere");
  EXPECT_EQ(unknown.Status, 2);
  EXPECT_EQ(unknown.Out, "");
}

TEST_F(ReportCli, ProjectAndTransitExportFiles) {
  ExportProjectFile(Projects.IndexOfID(Sample.Project), Path("deck.hpf"));
  ExportTransitFile(Transits.IndexOfID(Sample.CableTransit), Path("main.htf"));

  const TRun project = Run(Path("deck.hpf") + " -o " + Path("deck.rtf") + " --images none");
  ASSERT_EQ(project.Status, 0) << project.Err;
  const std::string rtf = FileText(Path("deck.rtf"));
  EXPECT_NE(rtf.find("\\par Project customer:\\tab M\\'fcller & Co\r\n"), std::string::npos);
  EXPECT_NE(rtf.find("'Moxel pipe'"), std::string::npos);

  const TRun transit = Run(Path("main.htf") + " -o " + Path("main.rtf"));
  ASSERT_EQ(transit.Status, 0) << transit.Err;
  const std::string one = FileText(Path("main.rtf"));
  EXPECT_NE(one.find("\\par \\pard\\b Material list for transit 'Main \\{Deck 3\\}' \\b0\r\n\\par \\fs16\\par \r\n"
                     "{\\pict\\wmetafile8\\picw17639\\pich12450\\picwgoal5000\\pichgoal3529\r"),
            std::string::npos);
  EXPECT_EQ(one.find("Project name:"), std::string::npos);
  EXPECT_EQ(one.find("\\page"), std::string::npos);
  EXPECT_NE(one.find("\\par \\b KOVA materials needed: \\b0\r\n"), std::string::npos);
}

TEST_F(ReportCli, BadInputIsAnErrorWithoutOutput) {
  WriteFile("broken.tbs", "not a zlib stream");
  const TRun broken = Run(Path("broken.tbs") + " -o " + Path("out.rtf"));
  EXPECT_EQ(broken.Status, 2);
  EXPECT_EQ(broken.Err.rfind("error: ", 0), 0u);
  EXPECT_FALSE(fs::exists(Path("out.rtf")));
  EXPECT_EQ(Run(Path("missing.hpf") + " -o " + Path("out.rtf")).Status, 2);
  EXPECT_EQ(Run(Path("x.txt") + " -o " + Path("out.rtf")).Status, 2);
  WriteFile("data.tbs", reportstest::DataFileBytes());
  EXPECT_EQ(Run(Path("data.tbs") + " --project Other").Status, 2);  // no -o
  EXPECT_EQ(Run(Path("data.tbs") + " -o - --project Other --images huge").Status, 2);
  EXPECT_EQ(Run(Path("data.tbs") + " -o - --project Other --contents all").Status, 2);
}

TEST_F(ReportCli, CalcPrintsTheMaterials) {
  WriteFile("t.json", R"({"width": 300000, "height": 300000, "transitsInProject": 3,
                          "conduits": [{"amount": 3, "diameter": 80000}, {"amount": 2, "diameter": 20000}]})");
  const std::string command = std::string("LC_ALL=C ") + TRELLANE_CLI + " calc " + Path("t.json") + " >" +
                              Path("calc.out") + " 2>" + Path("calc.err");
  ASSERT_EQ(std::system(command.c_str()), 0) << FileText(Path("calc.err"));
  const std::string out = FileText(Path("calc.out"));
  const size_t at = out.find("\"materials\": [");
  ASSERT_NE(at, std::string::npos);
  const std::string materials = out.substr(at);
  // Sleeves, the strip of the oversize cables, filler sleeves and sealant, by article code.
  const char* const codes[] = {"\"101_10270001140000\"", "\"2011140000\"", "\"301_181140000\"", "\"301_271140000\"",
                               "\"401_0310\""};
  size_t last = 0;
  for (const char* code : codes) {
    const size_t found = materials.find(code);
    ASSERT_NE(found, std::string::npos) << code;
    EXPECT_GT(found, last) << code;
    last = found;
  }
  EXPECT_NE(materials.find("\"description\": \"Strip FRR/EHF (2,5mm)\""), std::string::npos);
  EXPECT_NE(materials.find("\"amount\": 12.0"), std::string::npos);  // ceiling(3.49 m) x 3
  EXPECT_NE(materials.find("\"amount\": 6.0"), std::string::npos);   // 2 sleeves x 3
  EXPECT_NE(materials.find("\"nonStandard\": false"), std::string::npos);
  EXPECT_NE(materials.find("\"kind\": 12"), std::string::npos);
}

#endif
