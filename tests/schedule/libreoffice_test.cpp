// One schedule as a yard keeps it, and the same schedule as LibreOffice
// wrote it once (a workbook, and text with semicolons and comma decimals):
// every copy gives the same groups and the same refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "schedule/reader.h"
#include "schedule/schedule.h"
#include "store/tables.h"

namespace {

struct TGroupKey {
  long Diameter;
  TConduitType Type;
  bool operator<(const TGroupKey& o) const { return std::tie(Diameter, Type) < std::tie(o.Diameter, o.Type); }
  bool operator==(const TGroupKey& o) const { return Diameter == o.Diameter && Type == o.Type; }
};
using TGroups = std::map<std::string, std::map<TGroupKey, int>>;

}  // namespace

TEST(LibreOfficeSchedule, EveryCopyGivesTheSameGroupsAndRefusals) {
  Transits.Clear();
  const TGroups expected = {
      {"MCT-A1", {{{12500, ctCables}, 2}, {{16800, ctCables}, 4}, {{33700, ctCables}, 1}}},
      {"MCT-B2", {{{16800, ctCables}, 1}, {{21300, ctCables}, 1}, {{60300, ctPipesMetal}, 1}}},
      {"MCT-C3", {{{8400, ctCables}, 14}, {{16800, ctCables}, 3}, {{21300, ctCables}, 1}}}};
  for (const char* file : {"cable_schedule.csv", "cable_schedule_lo.xlsx", "cable_schedule_lo.csv"}) {
    SCOPED_TRACE(file);
    const TScheduleTable table = ReadScheduleFile(std::string(SCHEDULE_DATA) + "/" + file);
    const bool workbook = std::string(file).ends_with(".xlsx");
    if (workbook) {
      EXPECT_EQ(table.Encoding, "xlsx");
      EXPECT_EQ(table.SheetNames, std::vector<std::string>{"cable_schedule"});
    } else {
      EXPECT_EQ(table.Encoding, "UTF-8");
      EXPECT_EQ(table.Delimiter, ';');
      EXPECT_TRUE(table.DelimiterDetected);
      EXPECT_EQ(table.DecimalSeparator, ',');
      EXPECT_TRUE(table.DecimalDetected);
    }
    ASSERT_EQ(table.Rows.size(), 12u);
    EXPECT_EQ(table.Rows[11][0].Text, "K-\xC3\x98" "1");
    // The workbook keeps the diameters as numbers, the text as written.
    EXPECT_EQ(table.Rows[1][2].Numeric, workbook);

    TScheduleOptions options;
    options.Columns = SuggestScheduleColumns(ScheduleHeader(table));
    EXPECT_EQ(options.Columns.Tag, 0);
    EXPECT_EQ(options.Columns.Transit, 1);
    EXPECT_EQ(options.Columns.Diameter, 2);
    EXPECT_EQ(options.Columns.Amount, 3);
    EXPECT_EQ(options.Columns.Type, 4);
    options.Decimal = table.DecimalSeparator;
    options.ProjectID = 77;
    const TSchedulePlan plan = PlanSchedule(table, options);
    EXPECT_EQ(plan.CablesRead, 11);
    EXPECT_EQ(plan.CablesImported, 8);
    EXPECT_EQ(plan.RowsRefused, 3);
    ASSERT_EQ(plan.Refused.size(), 3u);
    EXPECT_EQ(plan.Refused[0].Row, 9);
    EXPECT_EQ(plan.Refused[0].Tag, "W-302");
    EXPECT_EQ(plan.Refused[0].Reason, "the diameter 'n/a' is not a number");
    EXPECT_EQ(plan.Refused[1].Row, 10);
    EXPECT_EQ(plan.Refused[1].Reason, "no diameter");
    EXPECT_EQ(plan.Refused[2].Row, 11);
    EXPECT_EQ(plan.Refused[2].Reason, "no transit");

    TGroups groups;
    std::vector<std::string> order;
    for (const TPlannedTransit& t : plan.Transits) {
      order.push_back(t.Name);
      EXPECT_EQ(t.ExistingID, 0);
      for (const TPlannedGroup& g : t.Groups) groups[t.Name][{std::lround(g.OuterDiameter), g.ConduitType}] += g.Amount;
    }
    EXPECT_EQ(order, (std::vector<std::string>{"MCT-A1", "MCT-B2", "MCT-C3"}));
    EXPECT_EQ(groups, expected);
  }
}
