// The draw command run as its own process.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "cli/transit_json.h"
#include "core/draw/picture.h"
#include "core/draw/png.h"
#include "core/units.h"
#include "editor/advice.h"
#include "draw/wmf_reader.h"

namespace {

namespace fs = std::filesystem;

struct TRun {
  int Status;
  std::string Err;
};

class CliDraw : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("trellane_cli_draw_" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    Input = (Dir / "in.json").string();
    std::ofstream(Input) << R"({"width":400000,"height":250000,"cornerRadius":30000,)"
                            R"("conduits":[{"amount":6,"diameter":30000},{"amount":2,"diameter":70000}]})";
  }
  void TearDown() override { fs::remove_all(Dir); }

  TRun Run(const std::string& args) {
    const std::string err = (Dir / "stderr.txt").string();
    const std::string command = std::string(TRELLANE_CLI) + " draw " + args + " 2>" + err + " >/dev/null";
    const int raw = std::system(command.c_str());
    std::stringstream text;
    text << std::ifstream(err).rdbuf();
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
  }

  TBitmap Expected(TPictureOptions options, int w, int h, TLengthUnit unit) {
    const TLengthUnit saved = CurrentLengthUnit;
    CurrentLengthUnit = unit;
    TTransit t = ReadTransitFile(Input);
    ValidateSortFill(t);
    options.Warning = !ComputeWarnings(t).Warning.empty();
    options.Frame = true;
    TBitmap b = RenderTransitPicture(t, w, h, options);
    CurrentLengthUnit = saved;
    return b;
  }

  fs::path Dir;
  std::string Input;
};

}  // namespace

TEST_F(CliDraw, WritesTheEditorsPictures) {
  const std::string out = (Dir / "out.png").string();
  ASSERT_EQ(Run(Input + " -o " + out).Status, 0);
  EXPECT_TRUE(ReadPng(out) == Expected({}, 800, 600, luMillimetre));

  TPictureOptions smooth;
  smooth.Smooth = true;
  smooth.Grid = false;
  ASSERT_EQ(Run("--smooth --no-grid --size 300x160 --unit inch -o " + out + " " + Input).Status, 0);
  const TBitmap picture = ReadPng(out);
  EXPECT_EQ(picture.Height(), 160);
  EXPECT_TRUE(picture == Expected(smooth, 300, 160, luInch));

  TPictureOptions inch;
  ASSERT_EQ(Run(Input + " --unit inch --size 300x300 -o " + out).Status, 0);
  EXPECT_TRUE(ReadPng(out) == Expected(inch, 300, 300, luInch));
}

TEST_F(CliDraw, WritesTheReportMetafile) {
  const std::string out = (Dir / "out.png").string(), wmfPath = (Dir / "out.wmf").string();
  ASSERT_EQ(Run(Input + " -o " + out + " --wmf " + wmfPath).Status, 0);
  std::stringstream bytes;
  bytes << std::ifstream(wmfPath, std::ios::binary).rdbuf();
  TTransit t = ReadTransitFile(Input);
  ValidateSortFill(t);
  EXPECT_EQ(bytes.str(), MakeReportPicture(t, 5000, 5000, true)->Metafile());
  const TWmfFile f = ReadWmf(bytes.str());
  EXPECT_EQ(f.Right, 2 * 5000);
}

TEST_F(CliDraw, BadInputFailsWithStatusTwo) {
  const std::string out = (Dir / "out.png").string();
  struct TCase {
    std::string Args, Message;
  };
  for (const TCase& c : {TCase{Input, "error: no output given (-o OUT.png)\n"},
                         TCase{"-o " + out, "error: no FILE given\n"},
                         TCase{Input + " -o " + out + " --size 0x100", "error: --size: each size must lie between 1 and 4000 pixels\n"},
                         TCase{Input + " -o " + out + " --size 100", "error: --size needs WIDTHxHEIGHT in pixels, e.g. 800x600\n"},
                         TCase{Input + " -o " + out + " --unit cm", "error: Unknown length-unit\n"},
                         TCase{Input + " -o " + out + " --bogus", "error: unexpected argument '--bogus'\n"},
                         TCase{(Dir / "missing.json").string() + " -o " + out, ""},
                         TCase{Input + " -o " + (Dir / "no" / "dir.png").string(), ""}}) {
    const TRun r = Run(c.Args);
    EXPECT_EQ(r.Status, 2) << c.Args;
    if (!c.Message.empty()) EXPECT_EQ(r.Err, c.Message) << c.Args;
    else EXPECT_EQ(r.Err.rfind("error: ", 0), 0u) << c.Args;
  }
  EXPECT_FALSE(fs::exists(out));
}
