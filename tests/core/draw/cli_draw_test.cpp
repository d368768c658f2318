// The draw command run as its own process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/transit_json.h"
#include "core/advice.h"
#include "draw/test_files.h"
#include "core/draw/dxf.h"
#include "core/draw/picture.h"
#include "core/draw/png.h"
#include "core/draw/svg.h"
#include "core/units.h"

namespace {

namespace fs = std::filesystem;

class CliDraw : public ::testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(Dir);
    std::ofstream(Input) << R"({"width":400000,"height":250000,"cornerRadius":30000,)"
                            R"("conduits":[{"amount":6,"diameter":30000},{"amount":2,"diameter":70000}]})";
  }
  void TearDown() override { fs::remove_all(Dir); }

  // The exit status; the error output goes to Err.
  int Run(const std::string& args) {
    const std::string command = std::string(TRELLANE_CLI) + " draw " + args + " 2>" + (Dir / "err").string();
    const int raw = std::system((command + " >/dev/null").c_str());
    Err = Slurp(Dir / "err");
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }

  TTransit Transit() {
    TTransit t = ReadTransitFile(Input);
    ValidateSortFill(t);
    return t;
  }

  const fs::path Dir = fs::temp_directory_path() / ("trellane_cli_draw_" + std::to_string(::getpid()));
  const std::string Input = (Dir / "in.json").string(), Out = (Dir / "out.png").string();
  std::string Err;
};

}  // namespace

TEST_F(CliDraw, WritesTheEditorsPicturesAndTheReportMetafile) {
  struct TCase {
    std::string Args;
    bool Smooth, Grid;
    int W, H;
    TLengthUnit Unit;
  };
  // The default size with the unit reaching the grid; options before the file.
  for (const TCase& c : {TCase{Input + " -o " + Out + " --unit inch", false, true, 800, 600, luInch},
                         {"--smooth --no-grid --size 300x160 -o " + Out + " " + Input, true, false, 300, 160,
                          luMillimetre}}) {
    ASSERT_EQ(Run(c.Args), 0) << c.Args << ": " << Err;
    const TLengthUnit saved = CurrentLengthUnit;
    CurrentLengthUnit = c.Unit;
    const TTransit t = Transit();
    const TPictureOptions options{c.Smooth, c.Grid, !ComputeWarnings(t).Warning.empty(), true};
    const TBitmap expected = RenderTransitPicture(t, c.W, c.H, options);
    CurrentLengthUnit = saved;
    EXPECT_TRUE(ReadPng(Out) == expected) << c.Args;
  }
  const std::string wmfPath = (Dir / "out.wmf").string();  // the default unit, millimetres, in its grid
  ASSERT_EQ(Run(Input + " -o " + Out + " --wmf " + wmfPath), 0) << Err;
  EXPECT_EQ(Slurp(wmfPath), MakeReportPicture(Transit(), 5000, 5000, true)->Metafile());
}

TEST_F(CliDraw, BadInputFailsWithStatusTwo) {
  const std::string in = Input + " -o " + Out;
  for (const auto& [args, message] : std::initializer_list<std::pair<std::string, std::string>>{
           {Input, "error: no output given (-o OUT.png, --svg OUT.svg or --dxf OUT.dxf)\n"},
           {Input + " --dxf", "error: --dxf needs a value\n"},
           {"-o " + Out, "error: no FILE given\n"},
           {in + " --size 0x100", "error: --size: each size must lie between 1 and 4000 pixels\n"},
           {in + " --size 100", "error: --size needs WIDTHxHEIGHT in pixels, e.g. 800x600\n"},
           {in + " --unit cm", "error: Unknown length-unit\n"},
           {in + " --bogus", "error: unexpected argument '--bogus'\n"},
           {(Dir / "missing.json").string() + " -o " + Out, ""},
           {Input + " -o " + (Dir / "no" / "dir.png").string(), ""}}) {
    EXPECT_EQ(Run(args), 2) << args;
    if (!message.empty()) EXPECT_EQ(Err, message) << args;
    else EXPECT_EQ(Err.rfind("error: ", 0), 0u) << args;
  }
  EXPECT_FALSE(fs::exists(Out));
}

TEST_F(CliDraw, WritesTheCadDrawingsWithOrWithoutThePicture) {
  const std::string dxf = (Dir / "out.dxf").string(), svg = (Dir / "out.svg").string();
  // Both drawings alone, without a grid; then with the picture, names in capitals.
  ASSERT_EQ(Run(Input + " --no-grid --dxf " + dxf + " --svg " + svg), 0) << Err;
  EXPECT_FALSE(fs::exists(Out));
  EXPECT_EQ(Slurp(dxf), TransitDxf(Transit(), false));
  EXPECT_EQ(Slurp(svg), TransitSvg(Transit(), false));
  const std::string upper = (Dir / "OUT.DXF").string();
  ASSERT_EQ(Run("--svg " + svg + " -o " + Out + " " + Input + " --dxf " + upper), 0) << Err;
  EXPECT_TRUE(fs::exists(Out));
  EXPECT_EQ(Slurp(upper), TransitDxf(Transit(), true));
  EXPECT_EQ(Slurp(svg), TransitSvg(Transit(), true));
  // A folder that does not exist: status 2, nothing left behind.
  EXPECT_EQ(Run(Input + " --dxf " + (Dir / "no" / "x.dxf").string()), 2);
  EXPECT_EQ(Err.rfind("error: Cannot write ", 0), 0u) << Err;
}
