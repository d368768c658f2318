// Drawings and command-line outputs never write through a link planted at
// the names their saves use, and the file they replace stays a regular file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/transit_json.h"
#include "draw/test_files.h"
#include "core/atomicfile.h"
#include "core/draw/export.h"
#include "core/draw/png.h"
#include "core/draw/svg.h"
#include "sample_transits.h"
#include "store/exports.h"
#include "store/tables.h"
#include "store/transitrecord.h"

namespace {

namespace fs = std::filesystem;

bool IsRegularFile(const fs::path& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

class SafeOutput : public ::testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(Dir);
    std::ofstream(Victim) << "precious";
  }
  void TearDown() override {
    SetTempNameSourceForTesting(nullptr);
    fs::remove_all(Dir);
  }
  void Plant(const fs::path& name) {
    std::error_code ec;
    fs::remove(name, ec);
    fs::create_symlink(Victim, name);
  }
  // Links at the old fixed temporary and at the first name the next one tries.
  void PlantAtTemporaries(const fs::path& target) {
    Plant(target.string() + ".tmp");
    Plant(target.string() + ".tmp-planted0");
  }
  const fs::path Dir = fs::temp_directory_path() / ("trellane_safe_output_" + std::to_string(::getpid()));
  const fs::path Victim = Dir / "victim";
};

}  // namespace

TEST_F(SafeOutput, DrawingExportsReplaceTheirFileAndNothingElse) {
  int calls = 0;
  SetTempNameSourceForTesting([&calls] { return calls++ % 2 ? "own" + std::to_string(calls) : std::string("planted0"); });
  TTransit t = MakeTransit(fsKova, ctCables, clA, 300, 200, 10, 200);
  AddGroup(t, 4, 20);
  ValidateSortFill(t);
  const fs::path png = Dir / "t.png", svg = Dir / "t.svg", dxf = Dir / "t.dxf", raw = Dir / "t.bin";
  for (const fs::path& p : {png, svg, dxf, raw}) PlantAtTemporaries(p);
  Plant(svg);  // the target itself a link: the link is replaced, not written through
  ExportTransitDrawing(t, png.string(), TDrawingFormat::Png, 120, 80, true, true);
  ExportTransitDrawing(t, svg.string(), TDrawingFormat::Svg, 0, 0, false, true);
  ExportTransitDrawing(t, dxf.string(), TDrawingFormat::Dxf, 0, 0, false, true);
  WriteFileAtomically(raw.string(), "bytes");
  EXPECT_EQ(Slurp(Victim), "precious");
  for (const fs::path& p : {png, svg, dxf, raw}) EXPECT_TRUE(IsRegularFile(p)) << p;
  EXPECT_EQ(Slurp(svg), TransitSvg(t, true));
  EXPECT_EQ(Slurp(raw), "bytes");
  EXPECT_EQ(ReadPng(png.string()).Height(), 80);  // fitted into 120 x 80
  // Only the planted links are left beside them.
  int links = 0;
  for (const auto& entry : fs::directory_iterator(Dir))
    if (entry.path().filename().string().find(".tmp") != std::string::npos) {
      EXPECT_TRUE(fs::is_symlink(entry.path())) << entry.path();
      ++links;
    }
  EXPECT_EQ(links, 8);

  // A file that cannot be made leaves nothing behind and names the target.
  try {
    WriteFileAtomically((Dir / "no" / "x.bin").string(), "x");
    ADD_FAILURE() << "written";
  } catch (const TFileError& e) {
    EXPECT_EQ(e.Step, TFileError::Create);
    EXPECT_EQ(std::string(e.what()).rfind("Cannot write " + (Dir / "no" / "x.bin").string() + ": ", 0), 0u);
  }
}

TEST_F(SafeOutput, CommandLineOutputsNeverFollowAPlantedLink) {
  const fs::path input = Dir / "in.json";
  std::ofstream(input) << R"({"width":400000,"height":250000,"conduits":[{"amount":6,"diameter":30000}]})";
  // A transit file for the report.
  Transits.Clear();
  Conduits.Clear();
  InitTransitRecord(Transits.Add());
  ExportTransitFile(0, (Dir / "t.htf").string());
  Transits.Clear();

  const fs::path png = Dir / "o.png", svg = Dir / "o.svg", dxf = Dir / "o.dxf", wmf = Dir / "o.wmf",
                 rtf = Dir / "o.rtf";
  for (const fs::path& p : {png, svg, dxf, wmf, rtf}) Plant(p.string() + ".tmp");
  Plant(wmf);
  const std::string cli = TRELLANE_CLI;
  auto run = [](const std::string& command) {
    const int raw = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(run(cli + " draw " + input.string() + " -o " + png.string() + " --svg " + svg.string() + " --dxf " +
                dxf.string() + " --wmf " + wmf.string()),
            0);
  EXPECT_EQ(run(cli + " report " + (Dir / "t.htf").string() + " -o " + rtf.string()), 0);
  EXPECT_EQ(Slurp(Victim), "precious");
  for (const fs::path& p : {png, svg, dxf, wmf, rtf}) {
    EXPECT_TRUE(IsRegularFile(p)) << p;
    EXPECT_GT(fs::file_size(p), 100u) << p;
    EXPECT_TRUE(fs::is_symlink(p.string() + ".tmp")) << p;
  }
  EXPECT_EQ(Slurp(rtf).rfind("{\\rtf", 0), 0u);
}
