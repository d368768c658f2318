#include <gtest/gtest.h>

#include "editor/editor_fixture.h"

namespace {

std::vector<TImportedGroup> Parse(const std::string& text, bool expectOk = true) {
  std::vector<TImportedGroup> groups;
  EXPECT_EQ(ParseConduitListText(text, groups), expectOk) << text;
  return groups;
}

bool Refused(const std::string& body) {
  std::vector<TImportedGroup> groups{{1, 1}};
  const bool ok = ParseConduitListText("Amount\tDiameter\r\n" + body, groups);
  // A refused text leaves what was there.
  EXPECT_EQ(groups.size(), ok ? groups.size() : 1u);
  return !ok;
}

}  // namespace

TEST(ConduitListText, ExportFormat) {
  SetDecimalSeparator('.');
  CurrentLengthUnit = luMillimetre;
  std::vector<TConduitGroup> groups = {{14500, 12, ctCables}, {42000, 3, ctCables}};
  EXPECT_EQ(ConduitListToText(groups), "Amount\tDiameter\r\n12\t14.50\r\n3\t42.00\r\n");
  EXPECT_EQ(ConduitListToText({}), "Amount\tDiameter\r\n");
  CurrentLengthUnit = luInch;
  EXPECT_EQ(ConduitListToText({{25400, 1, ctCables}}), "Amount\tDiameter\r\n1\t1.0000\r\n");
  SetDecimalSeparator(',');
  EXPECT_EQ(ConduitListToText({{12700, 2, ctCables}}), "Amount\tDiameter\r\n2\t0,5000\r\n");
  SetDecimalSeparator('.');
  CurrentLengthUnit = luMillimetre;
}

TEST(ConduitListText, LineEndingsAndBlankLines) {
  SetDecimalSeparator('.');
  CurrentLengthUnit = luMillimetre;
  auto g = Parse("Amount\tDiameter\n12\t14.50\n3\t42");  // line feeds only, no final line end
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[0].Amount, 12);
  EXPECT_DOUBLE_EQ(g[0].OuterDiameter, 14500);
  EXPECT_DOUBLE_EQ(g[1].OuterDiameter, 42000);
  g = Parse("Amount\tDiameter\r\n\r\n   \r\n  5\t 8.25 \r\n\n\r");
  ASSERT_EQ(g.size(), 1u);
  EXPECT_EQ(g[0].Amount, 5);
  EXPECT_DOUBLE_EQ(g[0].OuterDiameter, 8250);
  EXPECT_TRUE(Parse("Amount\tDiameter\r\n").empty());  // the header alone: an empty list
  CurrentLengthUnit = luInch;
  g = Parse("Amount\tDiameter\r\n1\t39.37\r\n");
  EXPECT_DOUBLE_EQ(g[0].OuterDiameter, 39.37 * 25400);
  CurrentLengthUnit = luMillimetre;
}

TEST(ConduitListText, RefusedTexts) {
  SetDecimalSeparator('.');
  CurrentLengthUnit = luMillimetre;
  Parse("", false);
  Parse("Amount\tDiameter", false);         // shorter than the header line
  Parse("Amount\tdiameter\r\n1\t2\r\n", false);  // case matters
  Parse("Amount Diameter\r\n", false);
  EXPECT_TRUE(Refused("1\t2\t3\r\n"));
  EXPECT_TRUE(Refused("12 14\r\n"));
  EXPECT_TRUE(Refused("0\t14\r\n"));
  EXPECT_TRUE(Refused("10000\t14\r\n"));
  EXPECT_TRUE(Refused("12a\t14\r\n"));
  EXPECT_TRUE(Refused("\t14\r\n"));
  EXPECT_TRUE(Refused("1\t0\r\n"));
  EXPECT_TRUE(Refused("1\t-5\r\n"));
  EXPECT_TRUE(Refused("1\t1000.01\r\n"));
  EXPECT_TRUE(Refused("1\tabc\r\n"));
  EXPECT_TRUE(Refused("1\t14,5\r\n"));  // not the decimal separator
  EXPECT_TRUE(Refused("1\t1e400\r\n"));
  EXPECT_TRUE(Refused("2\t10\r\n1\t\r\n"));  // a later line refused
  EXPECT_FALSE(Refused("9999\t1000\r\n"));
  EXPECT_FALSE(Refused("1\t1e2\r\n"));
  CurrentLengthUnit = luInch;
  EXPECT_TRUE(Refused("1\t39.38\r\n"));
  CurrentLengthUnit = luMillimetre;
  SetDecimalSeparator(',');
  EXPECT_FALSE(Refused("1\t14,5\r\n"));
  EXPECT_TRUE(Refused("1\t14.5\r\n"));
  SetDecimalSeparator('.');
}

TEST_F(EditorTest, ExportThenImportGivesTheSameList) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 300, 200, 10, 200);
  AddGroup(t, 7, 33.333);
  AddGroup(t, 12, 14.5);
  Open(StoreTransit(t, "A"));
  P().ExportConduitList();
  EXPECT_TRUE(V().Calls.empty());  // no refresh, no history
  ASSERT_TRUE(Services.Clipboard.Text.has_value());
  EXPECT_EQ(*Services.Clipboard.Text, "Amount\tDiameter\r\n12\t14.50\r\n7\t33.33\r\n");

  P().ImportConduitListOrComplain();
  EXPECT_TRUE(Services.MessageBoxes.Shown.empty());
  const TTransit& m = P().Model();
  ASSERT_EQ(m.ConduitGroupCount(), 2);
  EXPECT_DOUBLE_EQ(m.ConduitGroups[1].OuterDiameter, 33330);  // rounded to the exported decimals
  EXPECT_EQ(m.ConduitGroups[1].Amount, 7);
  EXPECT_EQ(m.ConduitGroups[0].ConduitType, ctCables);
  EXPECT_EQ(P().HistoryIndex(), 1);
}

TEST_F(EditorTest, ImportMergesEqualDiametersAndTakesTheTransitsConduitType) {
  TTransit t = MakeTransit(fsGrentax, ctPipesPlastic, clA, 300, 200, 10, 200);
  Open(StoreTransit(t, "A"));
  Services.Clipboard.Text = "Amount\tDiameter\r\n2\t50\r\n3\t50.00\r\n1\t20\r\n";
  EXPECT_TRUE(P().ImportConduitList());
  const TTransit& m = P().Model();
  ASSERT_EQ(m.ConduitGroupCount(), 2);
  EXPECT_EQ(m.ConduitGroups[1].Amount, 5);
  EXPECT_EQ(m.ConduitGroups[1].ConduitType, ctPipesPlastic);
  EXPECT_EQ(V().Last("ShowConduitlistStats"), "ShowConduitlistStats(6,2)");
}

TEST_F(EditorTest, BadClipboardTextChangesNothing) {
  Open(StoreTransit(RoundGrentaxTransit(), "A"));
  TTransit before;
  before.Assign(P().Model());

  for (const char* text : {"Amount\tDiameter\r\n5\t20\r\n0\t30\r\n", "amount\tdiameter\r\n5\t20\r\n"}) {
    Services.MessageBoxes.Shown.clear();
    Services.Clipboard.Text = text;
    P().ImportConduitListOrComplain();
    ASSERT_EQ(Services.MessageBoxes.Shown.size(), 1u);
    EXPECT_EQ(Services.MessageBoxes.Shown[0].Text, "Can't import from clipboard, data is not in the right format");
    EXPECT_EQ(Services.MessageBoxes.Shown[0].Caption, "Import from clipboard");
    EXPECT_TRUE(P().Model().IsEqual(before));
    EXPECT_TRUE(V().Calls.empty());
    EXPECT_EQ(P().HistoryIndex(), 0);
  }

  Services.Clipboard.Text.reset();  // no text at all
  EXPECT_FALSE(P().ImportConduitList());
  EXPECT_TRUE(P().Model().IsEqual(before));
}
