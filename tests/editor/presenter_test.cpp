#include <gtest/gtest.h>

#include <algorithm>

#include "core/draw/transitdrawer.h"
#include "core/errors.h"
#include "editor/advice.h"
#include "editor/resize.h"
#include "editor/editor_fixture.h"

namespace {

using Names = std::vector<std::string>;

// The calls of one full refresh without a kept selection, up to the picture.
Names RefreshNames(int groups) {
  Names n = {"SetRedrawTimer",      "SetTransitname",        "FillConduitTypes",     "FillClasses",
             "FillSealantCartridges", "FillSealantLayers",   "FillSubsystems",       "SetHarvantProduct",
             "SetConduitType",      "SetClassification",     "SetSealantCartridge",  "SetSealantLayer",
             "SetFillSubsystem",    "SetLabelsPipeCable",    "SetCreatedModified",   "SetTransitDimensions",
             "SetComments",         "SetDepthWarning",       "SetSparePerc",         "SetConduitSleeveSpare",
             "HideForTemplate",     "SetAreas",              "SetValidationMessages", "SetWarning",
             "SetFillingRate",      "SetDisclaimerText",     "SetConduitlistLength"};
  for (int i = 0; i < groups; ++i) n.push_back("UpdateConduitlistItem");
  for (const char* s : {"ShowConduitlistStats", "GetImageSize", "ImageCanvas", "PrepareTransitImageForDrawing",
                        "ShowImage", "SetRedrawTimer"})
    n.push_back(s);
  return n;
}

Names Concat(Names a, const Names& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TTransit CableTransit() {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 200);
  AddGroup(t, 4, 20);
  AddGroup(t, 2, 12);
  return t;
}

}  // namespace

TEST_F(EditorTest, OpeningShowsTheWholeTransitAndRecordsOneSnapshot) {
  const int32_t id = StoreTransit(CableTransit(), "Deck 3");
  Open(id, true);

  Names expected = {"ConfigureSizeSpinners", "FillHarvantProducts", "SetShape"};
  expected = Concat(expected, RefreshNames(2));
  expected.push_back("EnableUndoRedoSave");  // slot 0 recorded
  expected.push_back("EnableUndoRedoSave");  // the end of loading
  EXPECT_EQ(V().Names(), expected);

  EXPECT_EQ(V().Calls[0], "ConfigureSizeSpinners(2,10,1)");
  EXPECT_EQ(V().Calls[1], "FillHarvantProducts(" + FillSystemToText(fsKova) + "|" + FillSystemToText(fsGrentax) + "|" +
                              FillSystemToText(fsDusmera) + "|" + FillSystemToText(fsPraven) + "|" +
                              FillSystemToText(fsKovaMoxel) + ")");
  EXPECT_EQ(V().Calls[2], "SetShape(0)");
  EXPECT_EQ(V().Last("SetTransitname"), "SetTransitname(Deck 3,0)");
  EXPECT_EQ(V().Last("SetLabelsPipeCable"), "SetLabelsPipeCable(Cables,Cable)");
  EXPECT_EQ(V().Last("SetTransitDimensions"), "SetTransitDimensions(1,200000,150000,10000,200000)");
  EXPECT_EQ(V().Last("HideForTemplate"), "HideForTemplate(0)");
  EXPECT_EQ(V().Last("SetFillSubsystem"), "SetFillSubsystem(" + FillSubsystemToText(fssNone) + ")");
  // Sorted, smallest diameter first.
  EXPECT_EQ(V().Of("UpdateConduitlistItem"),
            (Names{"UpdateConduitlistItem(0,2,12.00,0)", "UpdateConduitlistItem(1,4,20.00,0)"}));
  EXPECT_EQ(V().Last("ShowConduitlistStats"), "ShowConduitlistStats(6,2)");
  EXPECT_EQ(V().Last("SetWarning"), "SetWarning()");
  EXPECT_EQ(V().Of("EnableUndoRedoSave"), (Names{"EnableUndoRedoSave(0,0,0)", "EnableUndoRedoSave(0,0,0)"}));
  EXPECT_EQ(P().HistoryIndex(), 0);
  EXPECT_EQ(P().HistoryTop(), 0);
  EXPECT_EQ(P().HistoryLength(), 20);
  EXPECT_FALSE(P().IsNewTransit());
}

TEST_F(EditorTest, OpeningATemplateAndAnUnknownTransit) {
  const int32_t id = StoreTransit(MakeTransit(fsKova, ctCables, clA, 300, 300, 150, 200), "T1", TemplateProjectID);
  Open(id, true);
  EXPECT_TRUE(P().IsTemplate());
  EXPECT_EQ(V().Calls[2], "SetShape(1)");
  EXPECT_EQ(V().Last("SetTransitname"), "SetTransitname(T1,1)");
  EXPECT_EQ(V().Last("HideForTemplate"), "HideForTemplate(1)");
  EXPECT_EQ(V().Last("SetConduitSleeveSpare"), "SetConduitSleeveSpare()");

  TFakeTransitView other(Services);
  try {
    other.Init(id + 100);
    FAIL() << "opened a transit that does not exist";
  } catch (const TError& e) {
    EXPECT_STREQ(e.what(), "Unknown TransitID!");
  }
}

TEST_F(EditorTest, UnknownUnitIsRefused) {
  const int32_t id = StoreTransit(CableTransit(), "A");
  CurrentLengthUnit = static_cast<TLengthUnit>(7);
  TFakeTransitView view(Services);
  try {
    view.Init(id);
    FAIL();
  } catch (const TError& e) {
    EXPECT_STREQ(e.what(), "Unknown value for unitsystem!");
  }
}

TEST_F(EditorTest, SpinningDrawsQuicklyAndEnterRecordsOneStep) {
  Settings.AntiAliasing = true;
  Open(StoreTransit(CableTransit(), "A"));

  P().SetWidth(true, false, 201);
  P().SetWidth(true, false, 202);
  EXPECT_EQ(P().HistoryIndex(), 0);
  // Each spin: the selection is kept, the timer for the smooth drawing runs,
  // and Undo and Save are offered before anything was recorded.
  {
    const Names names = V().Names();
    EXPECT_EQ(names.front(), "SetRedrawTimer");
    EXPECT_EQ(std::count(names.begin(), names.end(), "SelectedConduitgroup"), 2);
  }
  EXPECT_EQ(V().Of("SetRedrawTimer"),
            (Names{"SetRedrawTimer(0)", "SetRedrawTimer(1)", "SetRedrawTimer(0)", "SetRedrawTimer(1)"}));
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(1,0,1)");
  EXPECT_EQ(V().Last("SetTransitDimensions"), "SetTransitDimensions(1,202000,150000,10000,200000)");
  EXPECT_DOUBLE_EQ(P().Model().Width, 202000);

  // The quick picture is not shadowed; the smooth one that the timer asks
  // for is.
  auto greyPixels = [&] {
    int count = 0;
    for (int y = 0; y < V().Image.Height(); ++y)
      for (int x = 0; x < V().Image.Width(); ++x) count += V().Image.Pixel(x, y) == 0x808080;
    return count;
  };
  const int quickGrey = greyPixels();  // the frame
  P().Redraw();
  EXPECT_GT(greyPixels(), quickGrey + 8 * 200);

  V().Clear();
  P().SetWidth(false, false, 202.5);  // Enter
  EXPECT_EQ(P().HistoryIndex(), 1);
  EXPECT_EQ(V().Of("SetRedrawTimer"), (Names{"SetRedrawTimer(0)", "SetRedrawTimer(0)"}));
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(1,0,1)");

  // Leaving the field with the value unchanged records nothing.
  P().SetWidth(false, false, 202.5);
  EXPECT_EQ(P().HistoryIndex(), 1);
}

TEST_F(EditorTest, DimensionSettersKeepTheShapeRules) {
  Open(StoreTransit(CableTransit(), "A"));
  P().SetRadius(false, 120);  // larger than half of both sides
  EXPECT_DOUBLE_EQ(P().Model().Width, 240000);
  EXPECT_DOUBLE_EQ(P().Model().Height, 240000);
  P().SetWidth(false, true, 300);  // round
  EXPECT_DOUBLE_EQ(P().Model().Height, 300000);
  EXPECT_DOUBLE_EQ(P().Model().CornerRadius, 150000);
  P().SetSparePercentage(false, 12.9);
  EXPECT_DOUBLE_EQ(P().Model().SparePercentage, 12);
  P().SetInProjectCount(false, 3.7);
  EXPECT_EQ(P().Model().TransitsInProject, 3);
  V().Clear();
  P().SetRound(false);
  EXPECT_EQ(V().Calls.front(), "SetShape(0)");
  P().SetRound(true);
  EXPECT_TRUE(P().Model().IsRound());

  CurrentLengthUnit = luInch;
  P().SetDepth(false, 10);
  EXPECT_DOUBLE_EQ(P().Model().Depth, 254000);
}

TEST_F(EditorTest, UndoRedoAndANewBranch) {
  Open(StoreTransit(CableTransit(), "A"));
  P().SetWidth(false, false, 210);
  P().SetHeight(false, 160);
  P().SetDepth(false, 220);
  ASSERT_EQ(P().HistoryIndex(), 3);

  V().Clear();
  P().StepHistory(-1);
  EXPECT_DOUBLE_EQ(P().Model().Depth, 200000);
  EXPECT_DOUBLE_EQ(P().Model().Height, 160000);
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(1,1,1)");
  // An undo step does not record history.
  EXPECT_EQ(V().Of("EnableUndoRedoSave").size(), 1u);

  P().StepHistory(-1);
  P().StepHistory(-1);
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(0,1,0)");
  EXPECT_DOUBLE_EQ(P().Model().Width, 200000);
  V().Clear();
  P().StepHistory(-1);  // nothing more to undo: only the buttons
  EXPECT_EQ(V().Calls, (Names{"EnableUndoRedoSave(0,1,0)"}));

  P().StepHistory(+1);
  EXPECT_DOUBLE_EQ(P().Model().Width, 210000);
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(1,1,1)");

  // A new change after undo drops the redo branch.
  P().SetComments("new branch");
  EXPECT_EQ(P().HistoryIndex(), 2);
  EXPECT_EQ(P().HistoryTop(), 2);
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(1,0,1)");
  V().Clear();
  P().StepHistory(+1);
  EXPECT_EQ(V().Calls, (Names{"EnableUndoRedoSave(1,0,1)"}));
  EXPECT_EQ(P().Model().Comments, "new branch");
  EXPECT_DOUBLE_EQ(P().Model().Height, 150000);
}

TEST_F(EditorTest, HistoryGrowsByTwentySlots) {
  Open(StoreTransit(CableTransit(), "A"));
  for (int i = 1; i <= 25; ++i) P().SetInProjectCount(false, i + 1);
  EXPECT_EQ(P().HistoryIndex(), 25);
  EXPECT_EQ(P().HistoryLength(), 40);
  for (int i = 0; i < 25; ++i) P().StepHistory(-1);
  EXPECT_EQ(P().Model().TransitsInProject, 1);
}

TEST_F(EditorTest, ChoosingPravenResetsClassificationCartridgeAndDepth) {
  Open(StoreTransit(CableTransit(), "A"));
  P().SetClassification(clH);
  V().Clear();
  P().SetFillSystem(fsPraven);
  EXPECT_EQ(P().Model().Classification, clWatertight);
  EXPECT_EQ(P().Model().SealantCartridge, scHorlan);
  const double depth = DefaultDepth(fsPraven, ctCables, clWatertight);
  EXPECT_DOUBLE_EQ(P().Model().Depth, depth);
  ASSERT_FALSE(V().Calls.empty());
  EXPECT_EQ(V().Calls.front(), "ShowDepthAlert(" + DepthNoticeText(depth) + ")");
  EXPECT_EQ(V().Last("SetClassification"), "SetClassification(" + ClassificationToText(clWatertight) + ")");
  EXPECT_EQ(V().Last("SetFillingRate"), "SetFillingRate(-,text)");

  // Choosing the same fill system again changes nothing and tells nothing.
  V().Clear();
  P().SetFillSystem(fsPraven);
  EXPECT_TRUE(V().Of("ShowDepthAlert").empty());
}

TEST_F(EditorTest, KovaMoxelRefusesASecondGroupAndWarns) {
  TTransit t = MakeTransit(fsKovaMoxel, ctPipesMetal, clA, 120, 120, 60, 200);
  const int32_t empty = StoreTransit(t, "Empty");
  AddGroup(t, 1, 50.8);
  AddGroup(t, 1, 60);
  const int32_t two = StoreTransit(t, "Two");

  Open(empty);
  P().Refresh(false, false, false);
  EXPECT_EQ(V().Last("SetWarning"), "SetWarning(Empty transit not allowed for KOVA/MOXEL!)");

  Open(two);
  P().Refresh(false, false, false);
  EXPECT_EQ(V().Last("SetWarning"),
            "SetWarning(KOVA/MOXEL-transit should contain exactly one pipe, use GRENTAX for multi-pipe!)");
  V().Clear();
  P().AddConduits();
  ASSERT_EQ(Services.MessageBoxes.Shown.size(), 1u);
  EXPECT_EQ(Services.MessageBoxes.Shown[0].Text, "Please use GRENTAX instead for multi-pipe transits.");
  EXPECT_EQ(Services.MessageBoxes.Shown[0].Caption, "Info");
  EXPECT_TRUE(Services.ConduitDialog.Captions.empty());
  EXPECT_TRUE(V().Calls.empty());
  EXPECT_EQ(P().Model().ConduitGroupCount(), 2);
}

TEST_F(EditorTest, AddingConduitsUntilTheDialogIsCancelled) {
  Open(StoreTransit(CableTransit(), "A"));
  Services.ConduitDialog.Scripts.push_back(TFakeConduitDialog::Type(16, 3));
  Services.ConduitDialog.Scripts.push_back(TFakeConduitDialog::Type(8, 5));
  P().AddConduits();  // the third dialog is cancelled at once

  EXPECT_EQ(Services.ConduitDialog.Captions,
            (Names{"Edit cables in transit", "Edit cables in transit", "Edit cables in transit"}));
  EXPECT_EQ(Services.ConduitDialog.Positions[0].X, 120);
  // The new empty group comes first in the sorted list each time.
  EXPECT_EQ(V().Of("SelectItemInConduitlist"),
            (Names{"SelectItemInConduitlist(0)", "SelectItemInConduitlist(0)", "SelectItemInConduitlist(0)"}));
  const TTransit& m = P().Model();
  ASSERT_EQ(m.ConduitGroupCount(), 4);  // no empty group left behind
  EXPECT_DOUBLE_EQ(m.ConduitGroups[0].OuterDiameter, 8000);
  EXPECT_EQ(m.ConduitGroups[0].Amount, 5);
  EXPECT_DOUBLE_EQ(m.ConduitGroups[2].OuterDiameter, 16000);
  EXPECT_EQ(P().HistoryIndex(), 2);  // one step per confirmed group
  EXPECT_EQ(V().Last("ShowConduitlistStats"), "ShowConduitlistStats(14,4)");
}

TEST_F(EditorTest, CancellingTheFirstDialogLeavesNoEmptyGroup) {
  Open(StoreTransit(MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 200), "A"));
  P().AddConduits();
  EXPECT_EQ(P().Model().ConduitGroupCount(), 0);
  EXPECT_EQ(P().HistoryIndex(), 0);
  EXPECT_EQ(V().Last("SetConduitlistLength"), "SetConduitlistLength(0)");
}

TEST_F(EditorTest, EditingAGroupFollowsItThroughTheSortingAndMerges) {
  Open(StoreTransit(CableTransit(), "A"));  // 12 mm x2, 20 mm x4
  // The 12 mm group grows to 30 mm: while the dialog is open it moves to
  // the end of the list and keeps being the one edited.
  Services.ConduitDialog.Scripts.push_back([](TPresenterTransitDetail& p) {
    p.EditedConduitGroup().OuterDiameter = 30000;
    p.Refresh(true, true, false);
    p.EditedConduitGroup().Amount = 7;
    p.Refresh(true, false, false);
    return mrOk;
  });
  V().SelectItemInConduitlist(0);
  P().EditConduitAndRefresh(0);
  const TTransit& m = P().Model();
  ASSERT_EQ(m.ConduitGroupCount(), 2);
  EXPECT_DOUBLE_EQ(m.ConduitGroups[0].OuterDiameter, 20000);
  EXPECT_EQ(m.ConduitGroups[0].Amount, 4);
  EXPECT_DOUBLE_EQ(m.ConduitGroups[1].OuterDiameter, 30000);
  EXPECT_EQ(m.ConduitGroups[1].Amount, 7);
  // The selected row follows the group.
  EXPECT_EQ(V().Last("UpdateConduitlistItem"), "UpdateConduitlistItem(1,7,30.00,1)");
  EXPECT_EQ(P().HistoryIndex(), 1);

  // Editing the 20 mm group to 30 mm merges the two.
  Services.ConduitDialog.Scripts.push_back(TFakeConduitDialog::Type(30, 1));
  P().EditConduitAndRefresh(0);
  ASSERT_EQ(m.ConduitGroupCount(), 1);
  EXPECT_EQ(m.ConduitGroups[0].Amount, 8);
  EXPECT_EQ(P().HistoryIndex(), 2);

  // A cancelled edit puts the values back and records nothing.
  Services.ConduitDialog.Scripts.push_back(TFakeConduitDialog::Type(44, 2, mrCancel));
  P().EditConduitAndRefresh(0);
  EXPECT_EQ(m.ConduitGroups[0].Amount, 8);
  EXPECT_EQ(P().HistoryIndex(), 2);
}

TEST_F(EditorTest, DoubleClickInTheDrawing) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 200, 10, 200);
  AddGroup(t, 1, 60);
  Open(StoreTransit(t, "A"));
  ASSERT_EQ(P().Model().FillItems.size(), 1u);
  const TFillItem& item = P().Model().FillItems[0];
  ASSERT_EQ(item.PlacedCount, 1);
  const TPlacedPosition c = P().Model().PlacedPositions[item.FirstPlaced];
  const TPoint hit{static_cast<int>(P().ImageOriginX() + c.X * P().ImageScale()),
                   static_cast<int>(P().ImageOriginY() + c.Y * P().ImageScale())};
  // The sleeve's centre is drawn in the conduit's colour.
  EXPECT_EQ(V().Image.Pixel(hit.X, hit.Y), TTransitDrawer::ConduitFillColour);

  // Outside every sleeve: nothing at all.
  V().Clear();
  P().EditConduitAt(TPoint{1, 1});
  EXPECT_TRUE(V().Calls.empty());
  EXPECT_TRUE(Services.ConduitDialog.Captions.empty());

  Services.ConduitDialog.Scripts.push_back(TFakeConduitDialog::Type(50, 2));
  P().EditConduitAt(hit);
  ASSERT_GE(V().Calls.size(), 3u);
  EXPECT_EQ(V().Calls[0], "SetTabPage(1)");
  EXPECT_EQ(V().Calls[1], "SelectItemInConduitlist(0)");
  EXPECT_EQ(V().Calls[2], "PositionEditForm()");
  EXPECT_EQ(P().Model().ConduitGroups[0].Amount, 2);
  EXPECT_EQ(P().HistoryIndex(), 1);
}

TEST_F(EditorTest, DeletingAGroupAndChoosingATemplate) {
  const int32_t tpl =
      StoreTransit(MakeTransit(fsKova, ctCables, clA, 300, 300, 150, 200), "Round 300", TemplateProjectID);
  Transits.Items(Transits.IndexOfID(tpl))->SparePercentage = 10;
  Open(StoreTransit(CableTransit(), "A"));
  P().DeleteConduit(0);
  EXPECT_EQ(P().Model().ConduitGroupCount(), 1);
  EXPECT_EQ(P().HistoryIndex(), 1);

  Services.TemplateChooser.Choice = -1;
  V().Clear();
  P().ChooseTemplate();
  EXPECT_TRUE(V().Calls.empty());

  Services.TemplateChooser.Choice = tpl;
  P().ChooseTemplate();
  EXPECT_EQ(V().Calls.front(), "SetShape(1)");
  EXPECT_DOUBLE_EQ(P().Model().Width, 300000);
  EXPECT_DOUBLE_EQ(P().Model().CornerRadius, 150000);
  EXPECT_DOUBLE_EQ(P().Model().SparePercentage, 10);
  EXPECT_DOUBLE_EQ(P().Model().Depth, 200000);
  EXPECT_EQ(P().HistoryIndex(), 2);

  P().ShowMaterialReport();
  EXPECT_EQ(Services.ReportDialog.Names, (Names{"A"}));
}

TEST_F(EditorTest, SavingUnderANewNameKeepsTheOldTransit) {
  const int32_t id = StoreTransit(CableTransit(), "Old name");
  Open(id);
  P().SetName("New name");
  P().SetDepth(false, 230);
  Services.MessageBoxes.Answers = {mrYes};
  V().Clear();
  P().Save();

  ASSERT_EQ(Services.MessageBoxes.Shown.size(), 1u);
  EXPECT_EQ(Services.MessageBoxes.Shown[0].Text, "Transitname has been changed. Do you want to save as new transit?");
  EXPECT_EQ(Services.MessageBoxes.Shown[0].Caption, "Transitname has been changed");
  ASSERT_EQ(Transits.Count(), 2);
  const TRecTransit* edited = Transits.Items(Transits.IndexOfID(id));
  const TRecTransit* old = Transits.Items(1 - Transits.IndexOfID(id));
  EXPECT_EQ(edited->Name, "New name");
  EXPECT_DOUBLE_EQ(edited->Depth, 230000);
  EXPECT_EQ(edited->ModifiedBy, "tester");
  EXPECT_EQ(old->Name, "Old name");
  EXPECT_DOUBLE_EQ(old->Depth, 200000);
  EXPECT_EQ(Conduits.IndexesOfTransit(old->ID).size(), 2u);
  // The history starts afresh and the buttons are off.
  EXPECT_EQ(P().HistoryIndex(), 0);
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(0,0,0)");

  // Answering No renames in place.
  P().SetName("Third");
  Services.MessageBoxes.Answers = {mrNo};
  P().Save();
  EXPECT_EQ(Transits.Count(), 2);
  EXPECT_EQ(Transits.Items(Transits.IndexOfID(id))->Name, "Third");
}

TEST_F(EditorTest, SaveAsAndTheNamePrompt) {
  const int32_t id = StoreTransit(CableTransit(), "");
  Open(id);
  P().SetDepth(false, 230);

  // No name: the prompt is cancelled or answered with blanks, nothing is written.
  Services.InputBox.Accept = false;
  P().Save();
  Services.InputBox.Accept = true;
  Services.InputBox.Answer = "   ";
  P().Save();
  EXPECT_DOUBLE_EQ(Transits.Items(0)->Depth, 200000);
  ASSERT_EQ(Services.InputBox.Asked.size(), 2u);
  EXPECT_EQ(Services.InputBox.Asked[0], "Save transit as .../Please enter a new name for this transit./");

  Services.InputBox.Answer = "  Named  ";
  P().SaveAs();
  ASSERT_EQ(Transits.Count(), 2);
  EXPECT_EQ(Transits.Items(Transits.IndexOfID(id))->Name, "Named");
  EXPECT_DOUBLE_EQ(Transits.Items(Transits.IndexOfID(id))->Depth, 230000);
  EXPECT_TRUE(Services.MessageBoxes.Shown.empty());
}

TEST_F(EditorTest, DiscardingANewTransitRemovesItsRecord) {
  const int32_t id = StoreTransit(MakeTransit(fsKova, ctCables, clA, 100, 100, 10, 180), "");
  const int32_t kept = StoreTransit(CableTransit(), "Other");
  Open(id);
  TNotificationRecorder lists;
  NotifyAll(nkTransitCreated, id);
  EXPECT_EQ(V().Calls, (Names{"EnableUndoRedoSave(0,0,1)", "ActivateTransitname()"}));
  EXPECT_TRUE(P().IsNewTransit());

  // Save stays on after a change and an undo.
  P().SetWidth(false, false, 150);
  P().StepHistory(-1);
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(0,1,1)");

  Services.MessageBoxes.Answers = {mrCancel};
  EXPECT_FALSE(P().AskSaveOnClose());
  EXPECT_EQ(Transits.Count(), 2);
  EXPECT_FALSE(V().Closed);

  lists.Seen.clear();
  Services.MessageBoxes.Answers = {mrNo};
  EXPECT_TRUE(P().AskSaveOnClose());
  EXPECT_EQ(Services.MessageBoxes.Shown.back().Text, "Do you want to save current changes?");
  EXPECT_EQ(Services.MessageBoxes.Shown.back().Caption, "Transit has been changed");
  EXPECT_EQ(Transits.Count(), 1);
  EXPECT_EQ(Transits.IndexOfID(kept), 0);
  EXPECT_EQ(lists.Seen, (Names{"5:-1"}));
  EXPECT_TRUE(V().Closed);
}

TEST_F(EditorTest, ClosingAStoredTransitWithYesSavesIt) {
  const int32_t id = StoreTransit(CableTransit(), "A");
  Open(id);
  P().SetDepth(false, 240);
  Services.MessageBoxes.Answers = {mrYes};
  EXPECT_TRUE(P().AskSaveOnClose());
  EXPECT_DOUBLE_EQ(Transits.Items(0)->Depth, 240000);
  EXPECT_TRUE(V().Closed);

  // A record that is not new survives No.
  Open(id);
  Services.MessageBoxes.Answers = {mrNo};
  EXPECT_TRUE(P().AskSaveOnClose());
  EXPECT_EQ(Transits.Count(), 1);
}

TEST_F(EditorTest, NotificationsReachThePresenter) {
  const int32_t id = StoreTransit(CableTransit(), "A");
  Open(id);
  CurrentLengthUnit = luInch;
  NotifyAll(nkUnitChanged, 0);
  ASSERT_FALSE(V().Calls.empty());
  EXPECT_EQ(V().Calls[0], "ConfigureSizeSpinners(4,2,0.2)");
  EXPECT_EQ(V().Last("UpdateConduitlistItem"), "UpdateConduitlistItem(1,4,0.7874,0)");
  EXPECT_EQ(P().HistoryIndex(), 0);

  Settings.FixedWindow = true;
  NotifyAll(nkPreferencesChanged, 0);
  EXPECT_EQ(Services.Frame.Fixed, (std::vector<bool>{true}));

  V().Clear();
  NotifyAll(nkTransitCreated, id + 1);  // another editor's transit
  NotifyAll(nkProjectChanged, 1);
  EXPECT_TRUE(V().Calls.empty());
  NotifyAll(nkTransitDeleted, id);
  EXPECT_TRUE(V().Closed);
}

TEST_F(EditorTest, ResizeOfAnEmptyTransitDoesNothing) {
  Open(StoreTransit(MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 200), "A"));
  P().ResizeToFit();
  EXPECT_TRUE(V().Calls.empty());
  EXPECT_TRUE(Services.MessageBoxes.Shown.empty());
}

TEST_F(EditorTest, ResizeFindsASizeAndRecordsOneStep) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 100, 100, 50, 200);
  AddGroup(t, 30, 20);
  Open(StoreTransit(t, "A"));
  const double minDepth = CertificationMinDepth(fsKova, ctCables, clA, 20000);
  ASSERT_NE(P().Model().Depth, minDepth);
  Services.MessageBoxes.Answers = {mrYes};
  P().ResizeToFit();

  ASSERT_EQ(Services.MessageBoxes.Shown.size(), 1u);
  EXPECT_EQ(Services.MessageBoxes.Shown[0].Text, "Do you also want to change the transit-depth?");
  EXPECT_EQ(Services.MessageBoxes.Shown[0].Caption, "Resize transit");
  EXPECT_EQ(V().Calls.front(), "SetBusy(1)");
  EXPECT_EQ(V().Calls.back(), "SetBusy(0)");
  const TTransit& m = P().Model();
  EXPECT_DOUBLE_EQ(m.Depth, minDepth);
  EXPECT_TRUE(m.IsRound());  // stays round
  EXPECT_EQ(m.NotPlacedCount, 0);
  EXPECT_LT(m.FillingRate(), 40);
  EXPECT_EQ(V().Last("SetWarning"), "SetWarning()");
  EXPECT_EQ(P().HistoryIndex(), 1);

  // At the certification depth already: no question.
  Services.MessageBoxes.Shown.clear();
  P().ResizeToFit();
  EXPECT_TRUE(Services.MessageBoxes.Shown.empty());
}

TEST_F(EditorTest, AFailingResizeLeavesTheTransitAsItWas) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 200);
  AddGroup(t, 600, 120);  // far more than 2 m x 2 m can hold
  Open(StoreTransit(t, "A"));
  TTransit before;
  before.Assign(P().Model());
  Services.MessageBoxes.Answers = {mrYes};  // the depth answer is undone too
  V().Clear();
  P().ResizeToFit();

  ASSERT_EQ(Services.MessageBoxes.Shown.size(), 2u);
  EXPECT_EQ(Services.MessageBoxes.Shown[1].Kind, "ok");
  EXPECT_EQ(Services.MessageBoxes.Shown[1].Text, "Unable to find appropiate size, please enter size manually");
  EXPECT_EQ(Services.MessageBoxes.Shown[1].Caption, "Resize transit");
  EXPECT_TRUE(P().Model().IsEqual(before));
  EXPECT_EQ(P().HistoryIndex(), 0);
  EXPECT_EQ(V().Calls.front(), "SetBusy(1)");
  EXPECT_EQ(V().Calls.back(), "SetBusy(0)");
  EXPECT_EQ(V().Last("SetTransitDimensions"), "SetTransitDimensions(1,200000,150000,10000,200000)");
}

TEST_F(EditorTest, ResizeOfASinglePipeGrowsBackAroundIt) {
  TTransit t = MakeTransit(fsGrentax, ctPipesMetal, clA, 400, 300, 20, 200);
  AddGroup(t, 1, 100);
  Open(StoreTransit(t, "A"));
  Services.MessageBoxes.Answers = {mrNo};
  P().ResizeToFit();
  const TTransit& m = P().Model();
  // The area ratio alone would make the opening narrower than the pipe.
  EXPECT_GT(m.Width, 100000);
  EXPECT_LT(m.Width, 250000);
  EXPECT_EQ(m.NotPlacedCount, 0);
  EXPECT_NEAR(m.Width / m.Height, 400.0 / 300.0, 1e-9);
  EXPECT_DOUBLE_EQ(m.Depth, 200000);  // the depth question was answered No
  // One millimetre less on the larger side would not hold it.
  TTransit smaller;
  smaller.Assign(m);
  const double g = (std::max(m.Width, m.Height) - 1000) / std::max(m.Width, m.Height);
  smaller.Width *= g;
  smaller.Height *= g;
  smaller.CornerRadius *= g;
  smaller.Validate();
  smaller.SortConduitGroups();
  EXPECT_TRUE(NeedsGrow(smaller));
}
