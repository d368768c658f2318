#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_process.h"

using nlohmann::json;

namespace {
json Calc(const std::string& input, const std::string& options = "") {
  TScratchFile file(input);
  TCliResult r = RunCli("calc " + Quote(file.Path) + options);
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  return json::parse(r.Out);
}
}  // namespace

TEST(CalcCommand, ExampleTransit) {
  TCliResult r = RunCli(std::string("calc ") + TRELLANE_EXAMPLES + "/cable-transit.json");
  ASSERT_EQ(r.Status, 0) << r.Err;
  const json out = json::parse(r.Out);
  EXPECT_EQ(out["transit"]["name"], "Deck 3 cable transit");
  EXPECT_EQ(out["notPlaced"], 0);
  EXPECT_EQ(out["positions"].size(), 24u);
  EXPECT_EQ(out["fillItems"][0]["conduitDiameter"], 61000.0);  // largest first
  EXPECT_EQ(out["fillingRateText"], "23.7%");
  EXPECT_EQ(out["materialsKind"], 1);
}

TEST(CalcCommand, DefaultsValidationAndSorting) {
  const json out = Calc(R"({"depth": 40000, "conduits": [{"amount": 3, "diameter": 30000}, {"amount": 1, "diameter": 115000}]})");
  const json& t = out["transit"];
  EXPECT_EQ(t["width"], 100000.0);
  EXPECT_EQ(t["cornerRadius"], 10000.0);
  EXPECT_EQ(t["depth"], 60000.0);
  EXPECT_EQ(t["fillSystem"], "KOVA");
  EXPECT_EQ(t["sealantLayer"], "20mm (double)");
  EXPECT_EQ(t["transitsInProject"], 1);
  EXPECT_EQ(t["conduits"][0]["diameter"], 30000.0);  // sorted smallest first
  ASSERT_EQ(out["messages"].size(), 2u);
  EXPECT_EQ(out["messages"][0], "-Minimum transit-depth for certification is 180.00 mm");
  EXPECT_EQ(out["warning"], "Transit too small!");
  EXPECT_EQ(out["effectiveDepth"], 20000.0);
}

TEST(CalcCommand, ReadsItsOwnTransitOutputBack) {
  const json first = Calc(R"({"width": 250000, "comments": "not read", "conduits": [{"amount": 3, "diameter": 20000}]})");
  const json again = Calc(first["transit"].dump());
  EXPECT_EQ(again["transit"], first["transit"]);
  EXPECT_EQ(again["positions"], first["positions"]);
}

TEST(CalcCommand, InchesAndCarriageReturns) {
  const json out = Calc(R"({"depth": 361500, "conduits": [{"amount": 1, "diameter": 10000}]})", " --unit inch");
  EXPECT_EQ(out["insertSleeveAdvice"],
            "Two insert sleeves per cable. Insert sleeves to be inserted from both sides.\r(an empty space of 1.6339 "
            "inch will remain between both sleeves)");
}

TEST(CalcCommand, MoxelTransit) {
  const json out = Calc(R"({"fillSystem": "KOVA/MOXEL", "fillSubsystem": "WRAP Crusher", "width": 160000,
                            "conduitType": "Cables", "conduits": [{"amount": 1, "diameter": 110000}]})");
  EXPECT_EQ(out["transit"]["conduitType"], "Pipes (plastic)");
  EXPECT_EQ(out["transit"]["height"], 160000.0);
  EXPECT_EQ(out["fillItems"][0]["coverCode"], 11);
  EXPECT_EQ(out["fillItems"][0]["outerRadius"], 77500.0);
  EXPECT_EQ(out["materialsKind"], 0);
}

TEST(CalcCommand, BadInputGivesOneErrorLine) {
  struct Case {
    const char* input;
    const char* message;
  } cases[] = {
      {"{\"width\": ", "malformed JSON"},
      {R"({"width": "wide"})", "field 'width' must be a number"},
      {R"({"fillSystem": "kova"})", "Unknown Fillsystem"},
      {R"({"classification": "a-class"})", "Unknown class"},
      {R"({"width": 1e999})", ""},
      {R"({"conduits": [{"amount": 2.5, "diameter": 1}]})", "field 'amount' must be a whole number"},
      {R"({"conduits": [{"amount": 3000000000, "diameter": 1}]})", "field 'amount' is out of range"},
      {R"({"transitsInProject": 1e12})", "field 'transitsInProject' must be a whole number"},
      {R"([1, 2])", "the transit must be a JSON object"},
      {R"({"conduits": [{"amount": 1, "diameter": -5000}]})", "Geen afmetingen gedefinieerd voor conduitcovermaterial"},
  };
  for (const Case& c : cases) {
    TScratchFile file(c.input);
    TCliResult r = RunCli("calc " + Quote(file.Path));
    EXPECT_EQ(r.Status, 2) << c.input;
    EXPECT_EQ(r.Out, "") << c.input;
    EXPECT_EQ(r.Err.rfind("error: ", 0), 0u) << r.Err;
    EXPECT_NE(r.Err.find(c.message), std::string::npos) << r.Err;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
  }
  TCliResult missing = RunCli("calc /nonexistent/transit.json");
  EXPECT_EQ(missing.Status, 2);
  EXPECT_EQ(missing.Out, "");
}

TEST(CalcCommand, ExtremeSizesNeverCrash) {
  const json out = Calc(R"({"width": 1e300, "height": -5, "cornerRadius": 1e300, "depth": 1e300,
                            "sparePercentage": -1e300,
                            "conduits": [{"amount": 2147483647, "diameter": 1e300}, {"amount": -5, "diameter": 0},
                                         {"amount": 2147483647, "diameter": 0.001}]})");
  EXPECT_EQ(out["transit"]["width"], 2000000.0);
  EXPECT_EQ(out["transit"]["height"], 10000.0);
  EXPECT_EQ(out["warning"], "Transit too small!");
}

TEST(ResizeCommand, GrowsToFitOrFails) {
  TScratchFile fits(R"({"width": 300000, "height": 200000, "conduits": [{"amount": 40, "diameter": 20000}]})");
  TCliResult ok = RunCli("resize " + Quote(fits.Path));
  ASSERT_EQ(ok.Status, 0) << ok.Err;
  const json out = json::parse(ok.Out);
  EXPECT_EQ(out["notPlaced"], 0);
  EXPECT_LT(out["transit"]["width"].get<double>(), 300000);
  EXPECT_NEAR(out["transit"]["width"].get<double>() / out["transit"]["height"].get<double>(), 1.5, 1e-9);
  EXPECT_LT(out["fillingRate"].get<double>(), 40);

  TScratchFile never(R"({"conduits": [{"amount": 1, "diameter": 2500000}]})");
  TCliResult failed = RunCli("resize " + Quote(never.Path));
  EXPECT_EQ(failed.Status, 3);
  EXPECT_EQ(failed.Out, "");
  EXPECT_EQ(failed.Err, "Unable to find appropiate size, please enter size manually\n");

  TScratchFile empty(R"({"width": 300000})");
  TCliResult untouched = RunCli("resize " + Quote(empty.Path));
  ASSERT_EQ(untouched.Status, 0);
  EXPECT_EQ(json::parse(untouched.Out)["transit"]["width"], 300000.0);
}
