#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <nlohmann/json.hpp>

#include "core/errors.h"
#include "helpers.h"
#include "schedule/schedule.h"
#include "store/tables.h"

using namespace scheduletest;

namespace {

class SchedulePlan : public ::testing::Test {
protected:
  void SetUp() override {
    Customers.Clear();
    Projects.Clear();
    Transits.Clear();
    Conduits.Clear();
    const int p = Projects.Add();
    Projects.Items(p)->Name = "Deck";
    ProjectID = Projects.Items(p)->ID;
    // Another project's transit of the same name is not ours.
    const int other = Transits.Add();
    InitTransitRecord(other);
    Transits.Items(other)->Name = "T1";
    Transits.Items(other)->ProjectID = ProjectID + 100;
  }
  void TearDown() override {
    Projects.Clear();
    Transits.Clear();
    Conduits.Clear();
  }

  TSchedulePlan Plan(const std::string& csv, TLengthUnit unit = luMillimetre) {
    const TScheduleTable t = ReadDelimitedText(csv);
    TScheduleOptions options;
    options.Columns = SuggestScheduleColumns(ScheduleHeader(t));
    options.Decimal = t.DecimalSeparator;
    options.Unit = unit;
    options.ProjectID = ProjectID;
    return PlanSchedule(t, options);
  }

  int32_t AddTransit(const std::string& name, std::vector<std::pair<double, int>> groups) {
    const int index = Transits.Add();
    InitTransitRecord(index);
    Transits.Items(index)->Name = name;
    Transits.Items(index)->ProjectID = ProjectID;
    const int32_t id = Transits.Items(index)->ID;
    for (auto [diameter, amount] : groups) {
      const int c = Conduits.Add();
      Conduits.Items(c)->TransitID = id;
      Conduits.Items(c)->OuterDiameter = diameter;
      Conduits.Items(c)->Amount = amount;
    }
    return id;
  }

  // Per transit name of the project: diameter in µm -> amount.
  std::map<std::string, std::map<long, int>> Groups() const {
    std::map<std::string, std::map<long, int>> out;
    for (int i = 0; i < Transits.Count(); ++i) {
      const TRecTransit* t = Transits.Items(i);
      if (t->ProjectID != ProjectID) continue;
      auto& g = out[t->Name];
      for (int c : Conduits.IndexesOfTransit(t->ID))
        g[std::lround(Conduits.Items(c)->OuterDiameter)] += Conduits.Items(c)->Amount;
    }
    return out;
  }

  // Everything stored about the project's transits, to see that nothing changed.
  std::string Snapshot() const {
    std::string s;
    for (int i = 0; i < Transits.Count(); ++i) {
      const TRecTransit* t = Transits.Items(i);
      s += std::to_string(t->ID) + t->Name + std::to_string(t->Modified) + std::to_string(t->Width) + "|";
    }
    for (int i = 0; i < Conduits.Count(); ++i) {
      const TRecConduit* c = Conduits.Items(i);
      s += std::to_string(c->TransitID) + ":" + std::to_string(c->OuterDiameter) + "x" + std::to_string(c->Amount) +
           std::to_string(c->ConduitType) + "|";
    }
    return s;
  }

  int32_t ProjectID = 0;
};

}  // namespace

TEST_F(SchedulePlan, RoutesListingSeveralTransits) {
  const TSchedulePlan plan = Plan(
      "Tag;Route;OD;Qty\n"
      "A;\"T1; T2,T3 / T4\";10;2\n"
      "B;T2/T2;10;1\n"  // a transit named twice in one route counts once
      "C;T4;12,5;1\n");
  ASSERT_EQ(plan.Transits.size(), 4u);
  EXPECT_EQ(plan.Transits[0].Name, "T1");
  EXPECT_EQ(plan.Transits[3].Name, "T4");
  EXPECT_EQ(plan.Transits[1].Groups.size(), 1u);
  EXPECT_EQ(plan.Transits[1].Groups[0].Amount, 3);
  ASSERT_EQ(plan.Transits[3].Groups.size(), 2u);
  EXPECT_EQ(plan.Transits[3].Groups[0].Amount, 2);
  EXPECT_EQ(plan.Transits[3].Groups[1].Amount, 1);
  EXPECT_EQ(plan.CablesRead, 3);
  EXPECT_EQ(plan.CablesImported, 3);
  EXPECT_EQ(plan.RowsRefused, 0);
  // T1 exists, but in another project: it is a new one here.
  EXPECT_EQ(plan.Transits[0].ExistingID, 0);
}

TEST_F(SchedulePlan, RefusedRowsCarryTheirNumberAndReason) {
  const int32_t existing = AddTransit("T9", {{10000, 1}});
  const TSchedulePlan plan = Plan(
      "\n"
      "Tag;Transit;OD;Qty;Type\n"
      "A;;10;1;\n"              // row 3
      "B;T1;abc;1;\n"           // 4
      "C;T1;0;1;\n"             // 5
      "D;T1;1000,01;1;\n"       // 6
      "E;T1;10;0;\n"            // 7
      "F;T1;10;10000;\n"        // 8
      "G;T1;10;1,5;\n"          // 9
      "H;T\xE2\x9C\x93;10;1;\n" // 10: a check mark has no Windows-1252 byte
      "I;T1;10;1;rope\n"        // 11
      ";;;;\n"                  // an empty row: not read, not refused
      "J;T9;1000;9999;pipe\n"   // 13: the limits themselves are fine
      "K;T1;12.5;1;\n"          // 14: a dot where the schedule writes commas
      "L;T1;;1;\n");            // 15
  ASSERT_EQ(plan.Refused.size(), 11u);
  const std::pair<int, const char*> expected[] = {
      {3, "no transit"},
      {4, "the diameter 'abc' is not a number"},
      {5, "the diameter 0 mm is outside the range"},
      {6, "the diameter 1000,01 mm is outside the range"},
      {7, "the amount '0' is not a whole number from 1 to 9999"},
      {8, "the amount '10000' is not"},
      {9, "the amount '1,5' is not"},
      {10, "holds characters the data file cannot hold"},
      {11, "the conduit type 'rope' is neither cable nor pipe"},
      {14, "the diameter '12.5' is not a number with the decimal separator ','"},
      {15, "no diameter"},
  };
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(plan.Refused[i].Row, expected[i].first);
    EXPECT_NE(plan.Refused[i].Reason.find(expected[i].second), std::string::npos) << plan.Refused[i].Reason;
  }
  EXPECT_EQ(plan.Refused[1].Tag, "B");
  EXPECT_EQ(plan.CablesRead, 12);
  EXPECT_EQ(plan.CablesImported, 1);
  EXPECT_EQ(plan.RowsRefused, 11);
  ASSERT_EQ(plan.Transits.size(), 1u);
  EXPECT_EQ(plan.Transits[0].Name, "T9");
  EXPECT_EQ(plan.Transits[0].ExistingID, existing);
  EXPECT_EQ(plan.Transits[0].Groups[0].Amount, 9999);
  EXPECT_EQ(plan.Transits[0].Groups[0].ConduitType, ctPipesMetal);

  // Inches: 0.5 inch is 12 700 µm; 40 inch is past the limit.
  const TSchedulePlan inches = Plan("Transit;OD\nT1;0.5\nT1;40\n", luInch);
  ASSERT_EQ(inches.Transits.size(), 1u);
  EXPECT_DOUBLE_EQ(inches.Transits[0].Groups[0].OuterDiameter, 12700);
  ASSERT_EQ(inches.Refused.size(), 1u);
  EXPECT_EQ(inches.Refused[0].Row, 3);

  // Required columns.
  TScheduleOptions none;
  EXPECT_THROW(PlanSchedule(ReadDelimitedText("Tag;OD\nA;1\n"), none), TError);
}

TEST_F(SchedulePlan, ApplyReplacesOrAddsAndStartsNewTransitsFromTheTemplate) {
  const int32_t existing = AddTransit("T1", {{30000, 5}, {10000, 1}});
  const int32_t untouched = AddTransit("Other", {{20000, 2}});
  const int templateIndex = Transits.Add();
  InitTransitRecord(templateIndex);
  Transits.Items(templateIndex)->ProjectID = TemplateProjectID;
  Transits.Items(templateIndex)->Width = 300000;
  Transits.Items(templateIndex)->Height = 150000;
  Transits.Items(templateIndex)->Depth = 200000;
  const int32_t templateId = Transits.Items(templateIndex)->ID;

  const TSchedulePlan plan = Plan("Transit;OD;Qty\nT1;10;2\nNew;12;3\n");
  TApplyOptions add;
  add.ReplaceGroups = false;
  add.TemplateID = templateId;
  int progress = 0;
  add.Progress = [&](int done, int total) {
    EXPECT_EQ(total, 2);
    progress = done;
  };
  const TApplyResult added = ApplySchedulePlan(plan, ProjectID, add);
  EXPECT_EQ(progress, 2);
  ASSERT_EQ(added.Transits.size(), 2u);
  EXPECT_FALSE(added.Transits[0].Created);
  EXPECT_TRUE(added.Transits[0].Changed);
  EXPECT_EQ(added.Transits[0].ID, existing);
  EXPECT_TRUE(added.Transits[1].Created);
  EXPECT_TRUE(added.Transits[1].Changed);
  auto groups = Groups();
  EXPECT_EQ(groups["T1"], (std::map<long, int>{{10000, 3}, {30000, 5}}));
  EXPECT_EQ(groups["Other"], (std::map<long, int>{{20000, 2}}));
  EXPECT_EQ(groups["New"], (std::map<long, int>{{12000, 3}}));
  const TRecTransit* created = Transits.Items(Transits.IndexOfID(added.Transits[1].ID));
  EXPECT_EQ(created->ProjectID, ProjectID);
  EXPECT_DOUBLE_EQ(created->Width, 300000);
  EXPECT_DOUBLE_EQ(created->Height, 150000);
  EXPECT_DOUBLE_EQ(created->Depth, 200000);
  EXPECT_GT(added.Transits[1].FillingRate, 0);

  // Replace: T1 holds the schedule's groups alone; New is found by name now.
  const TSchedulePlan again = Plan("Transit;OD;Qty\nT1;10;2\nNew;12;3\n");
  EXPECT_EQ(again.Transits[1].ExistingID, added.Transits[1].ID);
  ApplySchedulePlan(again, ProjectID, {});
  groups = Groups();
  EXPECT_EQ(groups["T1"], (std::map<long, int>{{10000, 2}}));
  EXPECT_EQ(groups["New"], (std::map<long, int>{{12000, 3}}));
  EXPECT_EQ(groups.size(), 3u);
  EXPECT_GE(Transits.IndexOfID(untouched), 0);

  // A new transit without a template takes the new-transit defaults; a
  // transit of pipes only is a pipe transit; a crowded one has warnings.
  const TApplyResult crowded =
      ApplySchedulePlan(Plan("Transit;OD;Qty;Type\nP;60;40;pipe\n"), ProjectID, {});
  const TRecTransit* pipes = Transits.Items(Transits.IndexOfID(crowded.Transits[0].ID));
  EXPECT_DOUBLE_EQ(pipes->Width, 100000);
  EXPECT_DOUBLE_EQ(pipes->Depth, 180000);
  EXPECT_EQ(pipes->DefaultConduitType, ctPipesMetal);
  EXPECT_GT(crowded.Transits[0].NotPlaced, 0);
  EXPECT_FALSE(crowded.Transits[0].Warnings.empty());
}

TEST_F(SchedulePlan, CancelAddsNothing) {
  AddTransit("T1", {{30000, 5}});
  const std::string before = Snapshot();
  const TSchedulePlan plan = Plan("Transit;OD\nT1;10\nT2;10\nT3;10\nT4;10\n");
  for (int cancelAfter : {0, 2, 4}) {
    int polled = 0;
    TApplyOptions options;
    options.Cancelled = [&] { return polled++ >= cancelAfter; };
    const TApplyResult result = ApplySchedulePlan(plan, ProjectID, options);
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(Snapshot(), before) << "cancelled after " << cancelAfter;
  }

  // Cancelled while new transits are resized on two threads: the hook has
  // run on some models, the tables are as before.
  std::atomic<int> resized{0};
  TApplyOptions options;
  options.Threads = 2;
  options.Resize = [&](TTransit& t) {
    t.Width *= 2;
    ++resized;
    return true;
  };
  options.Cancelled = [&] { return resized >= 1; };
  EXPECT_TRUE(ApplySchedulePlan(plan, ProjectID, options).Cancelled);
  EXPECT_GE(resized, 1);
  EXPECT_EQ(Snapshot(), before);

  // Not cancelled: every new transit is resized once, the existing one not.
  resized = 0;
  options.Cancelled = nullptr;
  const TApplyResult result = ApplySchedulePlan(plan, ProjectID, options);
  EXPECT_EQ(resized, 3);
  ASSERT_EQ(result.Transits.size(), 4u);
  EXPECT_DOUBLE_EQ(Transits.Items(Transits.IndexOfID(result.Transits[3].ID))->Width, 200000);
}

TEST_F(SchedulePlan, FiveThousandCablesEqualAnIndependentCount) {
  TScratch s;
  s.Make("generate " + s.Path("g.xlsx") + " " + s.Path("g.csv") + " " + s.Path("g.json"));
  const nlohmann::json counts = nlohmann::json::parse(Slurp(s.Path("g.json")));
  ASSERT_EQ(counts.size(), 300u);
  std::map<std::string, std::map<long, int>> expected;
  for (const auto& [name, groups] : counts.items())
    for (const auto& [diameter, amount] : groups.items()) expected[name][std::stol(diameter)] = amount.get<int>();

  // The text copy (semicolons, comma decimals): its plan alone.
  {
    const TScheduleTable table = ReadScheduleFile(s.Path("g.csv"));
    EXPECT_EQ(table.Delimiter, ';');
    EXPECT_EQ(table.DecimalSeparator, ',');
    TScheduleOptions options;
    options.Columns = SuggestScheduleColumns(ScheduleHeader(table));
    options.Decimal = table.DecimalSeparator;
    options.ProjectID = ProjectID;
    const TSchedulePlan plan = PlanSchedule(table, options);
    EXPECT_EQ(plan.CablesImported, 5000);
    std::map<std::string, std::map<long, int>> planned;
    for (const TPlannedTransit& t : plan.Transits)
      for (const TPlannedGroup& g : t.Groups) planned[t.Name][std::lround(g.OuterDiameter)] += g.Amount;
    EXPECT_EQ(planned, expected);
  }

  // The workbook, imported into the tables.
  {
    const char* file = "g.xlsx";
    const TScheduleTable table = ReadScheduleFile(s.Path(file));
    EXPECT_EQ(table.DecimalSeparator, '.');
    TScheduleOptions options;
    options.Columns = SuggestScheduleColumns(ScheduleHeader(table));
    options.Decimal = table.DecimalSeparator;
    options.ProjectID = ProjectID;
    const TSchedulePlan plan = PlanSchedule(table, options);
    EXPECT_EQ(plan.CablesRead, 5000);
    EXPECT_EQ(plan.CablesImported, 5000);
    EXPECT_EQ(plan.Transits.size(), 300u);
    const TApplyResult result = ApplySchedulePlan(plan, ProjectID, {});
    EXPECT_FALSE(result.Cancelled);
    EXPECT_EQ(Groups(), expected) << file;

    // A second import with "replace" changes nothing at all.
    const std::string before = Snapshot();
    const TSchedulePlan again = PlanSchedule(table, options);
    for (const TPlannedTransit& t : again.Transits) EXPECT_NE(t.ExistingID, 0);
    const TApplyResult second = ApplySchedulePlan(again, ProjectID, {});
    EXPECT_EQ(Snapshot(), before) << file;
    for (const TAppliedTransit& t : second.Transits) EXPECT_FALSE(t.Created || t.Changed) << t.Name;
  }
}
