#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "helpers.h"
#include "store/exports.h"
#include "store/tables.h"

using namespace scheduletest;
using json = nlohmann::json;

#ifdef TRELLANE_CLI
namespace {

TRun Cli(const TScratch& s, const std::string& arguments) {
  return Run(std::string("LC_ALL=C ") + TRELLANE_CLI + " " + arguments, s.Dir);
}

const char* const Schedule =
    "Tag;Route;OD;Qty\r\n"
    "W1;DK1-01;12,5;10\r\n"
    "W2;DK1-01/DK1-02;21,0;4\r\n"
    "W3;DK1-02;33,1;2\r\n"
    "W4;DK1-03;8,2;30\r\n"
    "W5;;8,2;1\r\n";

}  // namespace

TEST(ScheduleCommand, ResizedNewTransitsEqualTheResizeCommand) {
  TScratch s;
  Spit(s.Path("s.csv"), Schedule);
  const TRun r = Cli(s, "schedule " + s.Path("s.csv") + " --transit-column Route --diameter-column OD " +
                            "--resize --project-name Deck -o " + s.Path("out.hpf"));
  ASSERT_EQ(r.Status, 0) << r.Err;
  const json out = json::parse(r.Out);
  EXPECT_EQ(out["delimiter"], ";");
  EXPECT_EQ(out["decimal"], ",");
  EXPECT_EQ(out["cables_read"], 5);
  EXPECT_EQ(out["cables_imported"], 4);
  ASSERT_EQ(out["refused"].size(), 1u);
  EXPECT_EQ(out["refused"][0]["row"], 6);
  EXPECT_EQ(out["refused"][0]["tag"], "W5");
  ASSERT_EQ(out["transits"].size(), 3u);
  for (const json& t : out["transits"]) {
    json calc = {{"name", t["name"]}, {"conduits", json::array()}};
    for (const json& g : t["groups"]) calc["conduits"].push_back({{"amount", g["amount"]}, {"diameter", g["diameter"]}});
    const std::string input = s.Path("t.json");
    Spit(input, calc.dump());
    const TRun resized = Cli(s, "resize " + input);
    ASSERT_EQ(resized.Status, 0) << resized.Err;
    const json expected = json::parse(resized.Out)["transit"];
    EXPECT_DOUBLE_EQ(t["width"].get<double>(), expected["width"].get<double>()) << t["name"];
    EXPECT_DOUBLE_EQ(t["height"].get<double>(), expected["height"].get<double>()) << t["name"];
    EXPECT_NE(t["width"].get<double>(), 100000) << "not resized: " << t["name"];
  }

  // The export file is one the program reads: a project with three transits.
  const TRun dump = Cli(s, "dump " + s.Path("out.hpf"));
  ASSERT_EQ(dump.Status, 0) << dump.Err;
  const json file = json::parse(dump.Out);
  EXPECT_EQ(file["projects"][0]["name"], "Deck");
  EXPECT_EQ(file["transits"].size(), 3u);
  EXPECT_EQ(file["conduits"].size(), 5u);  // W2 runs through two transits
}

TEST(ScheduleCommand, TemplateAndOverrides) {
  TScratch s;
  // A template transit file written by the store.
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
  const int index = Transits.Add();
  InitTransitRecord(index);
  Transits.Items(index)->Name = "Big frame";
  Transits.Items(index)->Width = 400000;
  Transits.Items(index)->Height = 250000;
  ExportTransitFile(index, s.Path("frame.htf"));
  Transits.Clear();

  // Comma-delimited, dot decimals, inches, given explicitly.
  Spit(s.Path("s.txt"), "Penetration,Dia,Pieces\nA,0.5,3\nB,1.25,1\n");
  const TRun r = Cli(s, "schedule " + s.Path("s.txt") + " --delimiter , --decimal . --unit inch " +
                            "--transit-column penetration --diameter-column DIA --amount-column pieces " +
                            "--template " + s.Path("frame.htf") + " -o " + s.Path("out.hpf"));
  ASSERT_EQ(r.Status, 0) << r.Err;
  const json out = json::parse(r.Out);
  ASSERT_EQ(out["transits"].size(), 2u);
  EXPECT_EQ(out["transits"][0]["groups"][0]["diameter"], 12700.0);
  EXPECT_EQ(out["transits"][0]["groups"][0]["amount"], 3);
  EXPECT_EQ(out["transits"][1]["groups"][0]["diameter"], 31750.0);
  EXPECT_EQ(out["transits"][0]["width"], 400000.0);
  EXPECT_EQ(out["transits"][1]["height"], 250000.0);
}

TEST(ScheduleCommand, FailuresAreOneErrorLineAndNoFile) {
  TScratch s;
  Spit(s.Path("s.csv"), Schedule);
  Spit(s.Path("bad.xlsx"), "not a workbook");
  const std::pair<std::string, std::string> cases[] = {
      {"schedule " + s.Path("s.csv") + " --transit-column Hole -o " + s.Path("o.hpf"),
       "error: The header row has no column 'Hole'\n"},
      {"schedule " + s.Path("bad.xlsx") + " -o " + s.Path("o.hpf"),
       "error: The file is not an .xlsx workbook (it is no zip archive)\n"},
      {"schedule " + s.Path("s.csv") + " --decimal x -o " + s.Path("o.hpf"), "error: --decimal needs . or ,\n"},
      {"schedule " + s.Path("s.csv"), "error: no output file given (-o OUT.hpf)\n"},
      {"schedule " + s.Path("s.csv") + " --sheet One -o " + s.Path("o.hpf"),
       "error: A sheet can be chosen in .xlsx workbooks only\n"},
  };
  for (const auto& [arguments, message] : cases) {
    const TRun r = Cli(s, arguments);
    EXPECT_EQ(r.Status, 2) << arguments;
    EXPECT_EQ(r.Err, message);
    EXPECT_TRUE(r.Out.empty());
    EXPECT_FALSE(std::filesystem::exists(s.Path("o.hpf")));
  }
}
#endif
