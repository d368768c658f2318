#include <gtest/gtest.h>

#include "editor/editor_fixture.h"

namespace {

const std::string Head = "Amount\tDiameter\r\n";

// Reads text into a list of two groups; a refused text must leave them.
std::vector<TImportedGroup> Read(const std::string& text, bool accepted = true) {
  std::vector<TImportedGroup> groups{{7, 7000}, {8, 8000}};
  EXPECT_EQ(ParseConduitListText(text, groups), accepted) << text;
  EXPECT_TRUE(accepted || groups.size() == 2u) << text;
  return groups;
}

}  // namespace

TEST_F(EditorTest, ConduitListTextWrittenAndRead) {
  EXPECT_EQ(ConduitListToText({{14500, 12, ctCables}, {42000, 3, ctCables}}),
            Head + "12\t14.50\r\n3\t42.00\r\n");
  EXPECT_EQ(ConduitListToText({}), Head);
  auto g = Read("Amount\tDiameter\n12\t14.50\n3\t42");  // line feeds only, no final line end
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[0].Amount, 12);
  EXPECT_DOUBLE_EQ(g[0].OuterDiameter, 14500);
  EXPECT_DOUBLE_EQ(g[1].OuterDiameter, 42000);
  g = Read(Head + "\r\n   \r\n  5\t 8.25 \r\n\n\r");  // blank lines skipped
  ASSERT_EQ(g.size(), 1u);
  EXPECT_EQ(g[0].Amount, 5);
  EXPECT_DOUBLE_EQ(g[0].OuterDiameter, 8250);
  EXPECT_TRUE(Read(Head).empty());  // the header alone: an empty list
  EXPECT_EQ(Read(Head + "9999\t1000\r\n1\t1e2\r\n").size(), 2u);  // the largest values, an exponent

  CurrentLengthUnit = luInch;
  EXPECT_EQ(ConduitListToText({{25400, 1, ctCables}}), Head + "1\t1.0000\r\n");
  EXPECT_DOUBLE_EQ(Read(Head + "1\t39.37\r\n")[0].OuterDiameter, 39.37 * 25400);
  Read(Head + "1\t39.38\r\n", false);  // over a metre
  SetDecimalSeparator(',');
  EXPECT_EQ(ConduitListToText({{12700, 2, ctCables}}), Head + "2\t0,5000\r\n");
  EXPECT_DOUBLE_EQ(Read(Head + "1\t0,5\r\n")[0].OuterDiameter, 12700);
  Read(Head + "1\t0.5\r\n", false);  // not the decimal separator
}

TEST_F(EditorTest, ConduitListTextRefused) {
  // No header: empty, shorter than the header line, case changed, no tab.
  for (const char* text : {"", "Amount\tDiameter", "Amount\tdiameter\r\n1\t2\r\n", "Amount Diameter\r\n"})
    Read(text, false);
  for (const char* line : {"1\t2\t3", "12 14", "0\t14", "10000\t14", "12a\t14", "\t14", "1\t0", "1\t-5",
                           "1\t1000.01", "1\tabc", "1\t14,5", "1\t1e400", "2\t10\r\n1\t"})
    Read(Head + line + "\r\n", false);
}

TEST_F(EditorTest, ExportThenImportGivesTheSameList) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 300, 200, 10, 200);
  AddGroup(t, 7, 33.333);
  AddGroup(t, 12, 14.5);
  Open(StoreTransit(t, "A"));
  P().ExportConduitList();
  EXPECT_TRUE(V().Calls.empty());  // no refresh, no history
  EXPECT_EQ(V().Clip, Head + "12\t14.50\r\n7\t33.33\r\n");
  P().ImportConduitListOrComplain();
  EXPECT_EQ(V().Last("ShowConduitlistStats"), "ShowConduitlistStats(19,2)");
  EXPECT_EQ(V().Last("UpdateConduitlistItem"), "UpdateConduitlistItem(1,7,33.33,0)");
  EXPECT_DOUBLE_EQ(P().Model().ConduitGroups[1].OuterDiameter, 33330);  // rounded to the exported decimals
  EXPECT_EQ(P().HistoryIndex(), 1);

  // Equal diameters merge; the groups take the transit's conduit type.
  Open(StoreTransit(MakeTransit(fsGrentax, ctPipesPlastic, clA, 300, 200, 10, 200), "B"));
  V().Clip = Head + "2\t50\r\n3\t50.00\r\n1\t20\r\n";
  EXPECT_TRUE(P().ImportConduitList());
  EXPECT_EQ(V().Last("UpdateConduitlistItem"), "UpdateConduitlistItem(1,5,50.00,0)");
  EXPECT_EQ(V().Last("ShowConduitlistStats"), "ShowConduitlistStats(6,2)");
  for (const TConduitGroup& group : P().Model().ConduitGroups) EXPECT_EQ(group.ConduitType, ctPipesPlastic);
}

TEST_F(EditorTest, BadClipboardTextChangesNothing) {
  Open(StoreTransit(RoundGrentaxTransit(), "A"));
  TTransit before;
  before.Assign(P().Model());
  const std::string lowerCase = "amount\tdiameter\r\n5\t20\r\n";
  for (const std::string& text : {Head + "5\t20\r\n0\t30\r\n", lowerCase}) {
    V().Clear();
    V().Clip = text;
    P().ImportConduitListOrComplain();
    // Only the complaint: no refresh, no history.
    EXPECT_EQ(V().Calls, Names{"ShowMessage(Can't import from clipboard, data is not in the right format,"
                               "Import from clipboard)"});
    EXPECT_TRUE(P().Model().IsEqual(before));
    EXPECT_EQ(P().HistoryIndex(), 0);
  }
  V().Clip.reset();  // no text at all
  EXPECT_FALSE(P().ImportConduitList());
  EXPECT_TRUE(P().Model().IsEqual(before));
}

TEST_F(EditorTest, MergedAmountsStayWithinTheLargestOne) {
  Open(StoreTransit(MakeTransit(fsKova, ctCables, clA, 300, 200, 10, 200), "A"));
  // Enough lines of the largest amount to overflow a 32-bit sum many times over.
  std::string text = Head;
  for (int i = 0; i < 214771; ++i) text += "9999\t10\r\n";
  text += "2\t20\r\n3\t20.005\r\n9998\t30\r\n1\t30\r\n1\t30\r\n";
  V().Clip = text;
  ASSERT_TRUE(P().ImportConduitList());
  const auto& groups = P().Model().ConduitGroups;
  ASSERT_EQ(groups.size(), 3u);
  for (const TConduitGroup& group : groups) {
    if (group.OuterDiameter == 10000) EXPECT_EQ(group.Amount, 9999);
    else if (group.OuterDiameter == 20000) EXPECT_EQ(group.Amount, 5);  // a sum below the largest stays
    else EXPECT_EQ(group.Amount, 9999) << group.OuterDiameter;
  }
  EXPECT_EQ(P().Model().TotalConduitCount(), 9999 + 5 + 9999);
}
