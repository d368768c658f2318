#include <gtest/gtest.h>

#include "core/advice.h"
#include "core/draw/transitdrawer.h"
#include "core/errors.h"
#include "core/resize.h"
#include "editor/editor_fixture.h"
#include "store/changes.h"
#include "store/recordcommands.h"

namespace {

const std::string CableDialog = "ConduitDialog(Edit cables in transit,120,340)";

void ExpectCalls(const TFakeTransitView& view, const Names& calls) {
  for (const std::string& call : calls)
    EXPECT_NE(std::find(view.Calls.begin(), view.Calls.end(), call), view.Calls.end()) << call;
}

// The message with which opening the transit fails.
std::string OpeningError(int32_t id) {
  try {
    TFakeTransitView().Init(id);
  } catch (const TError& e) {
    return e.what();
  }
  return "opened";
}

// The colour of the wall just outside the opening's left edge, halfway down.
TColour WallColour(TFakeTransitView& view, const TPresenterTransitDetail& p) {
  const int y = static_cast<int>(p.ImageOriginY() + p.Model().Height / 2 * p.ImageScale());
  return view.Image.Pixel(static_cast<int>(p.ImageOriginX()) - 2, y);
}

// Records the notifications that reach the open child windows.
class TNotificationRecorder : public TfrmMDIchild {
public:
  void Notify(uint8_t code, int32_t id) override { Seen.push_back(Arg(code) + ":" + Arg(id)); }
  Names Seen;
};

}  // namespace

TEST_F(EditorTest, OpeningShowsTheTransitInOrderOrIsRefused) {
  Open(StoreTransit(CableTransit(), "Deck 3"), true);
  EXPECT_EQ(V().Sequence(),
            "ConfigureSizeSpinners FillHarvantProducts SetShape SetRedrawTimer SetTransitname "
            "FillConduitTypes FillClasses FillSealantCartridges FillSealantLayers FillSubsystems "
            "SetHarvantProduct SetConduitType SetClassification SetSealantCartridge SetSealantLayer "
            "SetFillSubsystem SetLabelsPipeCable SetCreatedModified SetTransitDimensions SetComments "
            "SetDepthWarning SetSparePerc "
            "SetConduitSleeveSpare HideForTemplate SetAreas SetValidationMessages SetWarning SetFillingRate "
            "SetDisclaimerText SetConduitlistLength UpdateConduitlistItem UpdateConduitlistItem "
            "ShowConduitlistStats GetImageSize ImageCanvas PrepareTransitImageForDrawing ShowImage "
            "SetRedrawTimer EnableUndoRedoSave EnableUndoRedoSave");  // slot 0 recorded; the end of loading
  ExpectCalls(V(), {"ConfigureSizeSpinners(2,10,1)", "SetShape(0)", "SetTransitname(Deck 3,0)",
                    "FillHarvantProducts(KOVA|GRENTAX|DUSMERA|PRAVEN|KOVA/MOXEL)", "HideForTemplate(0)",
                    "SetLabelsPipeCable(Cables,Cable)", "SetTransitDimensions(1,200000,150000,10000,200000)",
                    "UpdateConduitlistItem(0,2,12.00,0)", "UpdateConduitlistItem(1,4,20.00,0)",  // sorted
                    "ShowConduitlistStats(6,2)"});
  EXPECT_EQ(V().Of("EnableUndoRedoSave"), Names(2, "EnableUndoRedoSave(0,0,0)"));

  // A template; an unknown transit; an unknown unit.
  const int32_t id =
      StoreTransit(MakeTransit(fsKova, ctCables, clA, 300, 300, 150, 200), "T1", TemplateProjectID);
  Open(id, true);
  ExpectCalls(V(), {"SetShape(1)", "SetTransitname(T1,1)", "HideForTemplate(1)", "SetConduitSleeveSpare()"});

  EXPECT_EQ(OpeningError(id + 100), "Unknown TransitID!");
  CurrentLengthUnit = static_cast<TLengthUnit>(7);
  EXPECT_EQ(OpeningError(id), "Unknown value for unitsystem!");
}

TEST_F(EditorTest, SpinningDrawsQuicklyAndEnterRecordsOneStep) {
  Settings.AntiAliasing = true;
  Open(StoreTransit(CableTransit(), "A"));
  P().SetWidth(true, false, 201);
  P().SetWidth(true, false, 202);
  EXPECT_EQ(P().HistoryIndex(), 0);
  // Each spin keeps the selection and stops, then starts the timer for the smooth
  // drawing; Undo and Save are offered before anything was recorded.
  EXPECT_EQ(V().Of("SelectedConduitgroup").size(), 2u);
  EXPECT_EQ(V().Of("SetRedrawTimer"),
            (Names{"SetRedrawTimer(0)", "SetRedrawTimer(1)", "SetRedrawTimer(0)", "SetRedrawTimer(1)"}));
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(1,0,1)");

  // The quick picture has no drop shadow on its right; the smooth one the timer asks for has.
  EXPECT_EQ(V().Image.Pixel(386, 150), V().AreaColour);
  P().Redraw();
  EXPECT_EQ(V().Image.Pixel(386, 150), 0x808080u);

  V().Clear();
  P().SetWidth(false, false, 202.5);  // Enter
  EXPECT_EQ(P().HistoryIndex(), 1);
  EXPECT_EQ(V().Of("SetRedrawTimer"), Names(2, "SetRedrawTimer(0)"));
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(1,0,1)");
  P().SetWidth(false, false, 202.5);  // leaving the field unchanged records nothing
  EXPECT_EQ(P().HistoryIndex(), 1);
}

TEST_F(EditorTest, SizesKeepTheShapeRulesAndComeFromTemplates) {
  const int32_t tpl =
      StoreTransit(MakeTransit(fsKova, ctCables, clA, 300, 300, 150, 200), "R", TemplateProjectID);
  Record(tpl).SparePercentage = 10;
  Open(StoreTransit(CableTransit(), "A"));
  const TTransit& m = P().Model();
  P().SetRadius(false, 120);  // larger than half of both sides
  EXPECT_EQ(V().Last("SetTransitDimensions"), "SetTransitDimensions(1,240000,240000,120000,200000)");
  P().SetSparePercentage(false, 12.9);
  P().SetInProjectCount(false, 3.7);
  EXPECT_DOUBLE_EQ(m.SparePercentage, 12);
  CurrentLengthUnit = luInch;
  P().SetWidth(false, true, 10);  // round
  EXPECT_EQ(V().Last("SetTransitDimensions"), "SetTransitDimensions(3,254000,254000,127000,200000)");
  V().Clear();
  P().SetRound(false);
  EXPECT_EQ(V().Calls.front(), "SetShape(0)");

  V().Clear();
  P().ChooseTemplate();  // none chosen: nothing
  EXPECT_TRUE(V().Calls.empty());
  V().TemplateChoice = tpl;
  P().ChooseTemplate();  // sizes and spare, not the depth
  EXPECT_EQ(V().Calls.front(), "SetShape(1)");
  EXPECT_EQ(V().Last("SetTransitDimensions"), "SetTransitDimensions(3,300000,300000,150000,200000)");
  EXPECT_DOUBLE_EQ(m.SparePercentage, 10);
  EXPECT_EQ(P().HistoryIndex(), 5);
}

TEST_F(EditorTest, UndoRedoAndANewBranch) {
  Open(StoreTransit(CableTransit(), "A"));
  const TTransit& m = P().Model();
  P().SetWidth(false, false, 210);
  P().SetHeight(false, 160);
  P().SetDepth(false, 220);
  ASSERT_EQ(P().HistoryIndex(), 3);

  const struct {
    int delta;
    const char* dimensions;  // shown by the refresh; none when nothing changed
    const char* buttons;
  } steps[] = {{-1, "SetTransitDimensions(1,210000,160000,10000,200000)", "EnableUndoRedoSave(1,1,1)"},
               {-1, "SetTransitDimensions(1,210000,150000,10000,200000)", "EnableUndoRedoSave(1,1,1)"},
               {-1, "SetTransitDimensions(1,200000,150000,10000,200000)", "EnableUndoRedoSave(0,1,0)"},
               {-1, "", "EnableUndoRedoSave(0,1,0)"},  // nothing more to undo: only the buttons
               {+1, "SetTransitDimensions(1,210000,150000,10000,200000)", "EnableUndoRedoSave(1,1,1)"}};
  for (const auto& step : steps) {
    V().Clear();
    P().StepHistory(step.delta);
    EXPECT_EQ(V().Last("SetTransitDimensions"), step.dimensions);
    EXPECT_EQ(V().Of("EnableUndoRedoSave"), Names{step.buttons});  // a step records nothing
  }

  // A new change after undo drops the redo branch.
  P().SetComments("new branch");
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(1,0,1)");
  V().Clear();
  P().StepHistory(+1);
  EXPECT_EQ(V().Calls, Names{"EnableUndoRedoSave(1,0,1)"});

  // The history grows past its first slots and keeps every step.
  for (int i = 1; i <= 25; ++i) P().SetInProjectCount(false, i + 1);
  EXPECT_EQ(P().HistoryIndex(), 27);
  for (int i = 0; i < 27; ++i) P().StepHistory(-1);
  EXPECT_EQ(m.TransitsInProject, 1);
  EXPECT_DOUBLE_EQ(m.Width, 200000);
}

TEST_F(EditorTest, ChoosingPravenResetsClassificationCartridgeAndDepth) {
  Open(StoreTransit(CableTransit(), "A"));
  P().SetClassification(clH);
  V().Clear();
  P().SetFillSystem(fsPraven);
  const double depth = DefaultDepth(fsPraven, ctCables, clWatertight);
  EXPECT_DOUBLE_EQ(P().Model().Depth, depth);
  ASSERT_FALSE(V().Calls.empty());
  EXPECT_EQ(V().Calls.front(), "ShowDepthAlert(" + DepthNoticeText(depth) + ")");
  ExpectCalls(V(), {"SetClassification(Watertight)", "SetSealantCartridge(HORLAN (310 ml))",
                    "SetFillingRate(-,text)"});

  V().Clear();
  P().SetFillSystem(fsPraven);  // the same again: no notice
  EXPECT_TRUE(V().Of("ShowDepthAlert").empty());
}

TEST_F(EditorTest, AreasSpareFillingRateAndAdviceOfACableTransit) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 260);
  AddGroup(t, 4, 20);
  t.SparePercentage = 10;
  Open(StoreTransit(t, "A"), true);
  const TTransit& m = P().Model();
  EXPECT_EQ(V().Last("SetSparePerc"), "SetSparePerc(1,0,10)");
  EXPECT_EQ(V().Last("SetConduitSleeveSpare"),
            "SetConduitSleeveSpare(" + FormatArea(m.ConduitSleeveSpareArea()) + " " + AreaUnitName() + ")");
  EXPECT_EQ(V().Last("SetAreas"), "SetAreas(" + Arg(m.TransitArea()) + "," + Arg(m.ConduitArea()) + "," +
                                      Arg(m.ConduitSleeveArea()) + "," + Arg(m.ConduitSleeveSpareArea()) +
                                      ")");
  EXPECT_EQ(V().Last("SetFillingRate"), "SetFillingRate(" + FormatFloat("%.1f", m.FillingRate()) + "%,text)");
  EXPECT_EQ(V().Last("SetValidationMessages"), "SetValidationMessages(" + Arg(m.Messages) + ")");
  // Deeper than needed: the advice is shown.
  EXPECT_NE(InsertSleeveAdvice(m), "");
  EXPECT_EQ(V().Last("SetDepthWarning"), "SetDepthWarning(" + InsertSleeveAdvice(m) + ")");
  EXPECT_EQ(WallColour(V(), P()), 0x00C864u);  // green

  P().SetSparePercentage(false, 0);
  EXPECT_EQ(V().Last("SetConduitSleeveSpare"), "SetConduitSleeveSpare()");
  // Too much spare: the warning, the rate in red and a red wall.
  P().SetSparePercentage(false, 25);
  V().Clip = "Amount\tDiameter\r\n24\t20\r\n";
  ASSERT_TRUE(P().ImportConduitList());
  EXPECT_EQ(m.NotPlacedCount, 0);
  EXPECT_EQ(V().Last("SetFillingRate"), "SetFillingRate(" + FormatFloat("%.1f", m.FillingRate()) + "%,red)");
  EXPECT_EQ(V().Last("SetWarning"), "SetWarning(" + ComputeWarnings(m).Warning + ")");
  EXPECT_EQ(WallColour(V(), P()), 0xFF0000u);
}

TEST_F(EditorTest, PictureIsCentredAndTheOriginMapsModelPoints) {
  Settings.AntiAliasing = true;
  Settings.ShowGrid = false;
  Open(StoreTransit(MakeTransit(fsGrentax, ctPipesPlastic, clA, 300, 100, 0, 200), "A"));
  // 400 x 300 view: the picture fits the 392 px width; the wall's outer
  // left edge lies where the frame is.
  const double scale = 392.0 / (300000 + 40000);
  EXPECT_DOUBLE_EQ(P().ImageScale(), scale);
  const int pictureHeight = static_cast<int>((100000 + 40000) * scale + 0.5);
  const int y = (292 - pictureHeight) / 2;
  const int origin = static_cast<int>(10000 * scale + 0.5) * 2;
  EXPECT_DOUBLE_EQ(P().ImageOriginX(), origin);
  EXPECT_DOUBLE_EQ(P().ImageOriginY(), origin + y);
  EXPECT_EQ(V().Image.Pixel(0, y), 0x808080u);                        // frame
  EXPECT_EQ(V().Image.Pixel(0, y - 1), V().AreaColour);               // above the picture
  EXPECT_EQ(V().Image.Pixel(395, y + pictureHeight + 3), 0x808080u);  // drop shadow
  EXPECT_EQ(V().Image.Pixel(4, y + pictureHeight + 3), V().AreaColour);
  // Inside the opening: the fill system's background.
  EXPECT_EQ(V().Image.Pixel(origin + 30, origin + y + 30), TTransitDrawer::FillSystemBackground(fsGrentax));
}

TEST_F(EditorTest, KovaMoxelWarnsAndRefusesASecondGroup) {
  TTransit t = MakeTransit(fsKovaMoxel, ctPipesMetal, clA, 120, 120, 60, 200);
  const int32_t empty = StoreTransit(t, "Empty");
  AddGroup(t, 1, 50.8);
  AddGroup(t, 1, 60);
  Open(empty, true);
  EXPECT_EQ(V().Last("SetWarning"), "SetWarning(Empty transit not allowed for KOVA/MOXEL!)");
  Open(StoreTransit(t, "Two"), true);
  EXPECT_EQ(V().Last("SetWarning"),
            "SetWarning(KOVA/MOXEL-transit should contain exactly one pipe, use GRENTAX for multi-pipe!)");
  V().Clear();
  P().AddConduits();  // no dialog, no refresh
  EXPECT_EQ(V().Calls, Names{"ShowMessage(Please use GRENTAX instead for multi-pipe transits.,Info)"});
}

TEST_F(EditorTest, AddingConduitsUntilTheDialogIsCancelled) {
  // Cancelled at once: no empty group is left behind, nothing is recorded.
  Open(StoreTransit(MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 200), "Empty"));
  P().AddConduits();
  EXPECT_EQ(P().HistoryIndex(), 0);
  EXPECT_EQ(V().Last("SetConduitlistLength"), "SetConduitlistLength(0)");

  Open(StoreTransit(CableTransit(), "A"));
  V().Dialogs = {{16, 3}, {8, 5}};
  P().AddConduits();  // the third dialog is cancelled at once
  // Each new empty group comes first in the sorted list, is selected, then edited.
  Names expected;
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), {"SelectItemInConduitlist(0)", CableDialog});
  EXPECT_EQ(V().Only({"SelectItemInConduitlist", "ConduitDialog"}), expected);
  const Names items = V().Of("UpdateConduitlistItem");
  EXPECT_EQ(Names(items.end() - 4, items.end()),
            (Names{"UpdateConduitlistItem(0,5,8.00,0)", "UpdateConduitlistItem(1,2,12.00,0)",
                   "UpdateConduitlistItem(2,3,16.00,0)", "UpdateConduitlistItem(3,4,20.00,0)"}));
  EXPECT_EQ(P().HistoryIndex(), 2);  // one step per confirmed group
}

TEST_F(EditorTest, EditingAGroupFollowsItThroughTheSortingAndMerges) {
  Open(StoreTransit(CableTransit(), "A"));  // 12 mm x2, 20 mm x4
  V().SelectItemInConduitlist(0);
  V().Dialogs = {{30, 7}};  // 12 mm to 30 mm: moves to the end while the dialog is open
  P().EditConduitAndRefresh(0);
  EXPECT_EQ(V().Last("ShowConduitlistStats"), "ShowConduitlistStats(11,2)");
  EXPECT_EQ(V().Last("UpdateConduitlistItem"), "UpdateConduitlistItem(1,7,30.00,1)");  // still selected
  EXPECT_EQ(P().HistoryIndex(), 1);

  V().Dialogs = {{30, 1}};  // 20 mm to 30 mm: the two merge
  P().EditConduitAndRefresh(0);
  EXPECT_EQ(V().Last("ShowConduitlistStats"), "ShowConduitlistStats(8,1)");
  EXPECT_EQ(P().HistoryIndex(), 2);

  EXPECT_EQ(V().Last("UpdateConduitlistItem"), "UpdateConduitlistItem(0,8,30.00,1)");  // the merged row

  V().Dialogs = {{44, 2, mrCancel}};  // values put back, nothing recorded
  P().EditConduitAndRefresh(0);
  EXPECT_EQ(V().Last("UpdateConduitlistItem"), "UpdateConduitlistItem(0,8,30.00,1)");
  EXPECT_EQ(P().HistoryIndex(), 2);
}

TEST_F(EditorTest, DoubleClickInTheDrawing) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 200, 10, 200);
  AddGroup(t, 1, 60);
  Open(StoreTransit(t, "A"));
  const TTransit& m = P().Model();
  ASSERT_EQ(m.FillItems.size(), 1u);
  ASSERT_EQ(m.FillItems[0].PlacedCount, 1);
  const TPlacedPosition c = m.PlacedPositions[m.FillItems[0].FirstPlaced];
  const TPoint hit{static_cast<int>(P().ImageOriginX() + c.X * P().ImageScale()),
                   static_cast<int>(P().ImageOriginY() + c.Y * P().ImageScale())};
  EXPECT_EQ(V().Image.Pixel(hit.X, hit.Y), TTransitDrawer::ConduitFillColour);  // the sleeve's centre

  const int radius = static_cast<int>(m.FillItems[0].OuterRadius * P().ImageScale());
  P().EditConduitAt(TPoint{hit.X + radius + 2, hit.Y});  // just outside the sleeve: nothing at all
  EXPECT_TRUE(V().Calls.empty());
  V().Dialogs = {{50, 2}};
  P().EditConduitAt(hit);
  ASSERT_GE(V().Calls.size(), 4u);
  EXPECT_EQ(Names(V().Calls.begin(), V().Calls.begin() + 4),
            (Names{"SetTabPage(1)", "SelectItemInConduitlist(0)", "PositionEditForm()", CableDialog}));
  EXPECT_EQ(V().Last("ShowConduitlistStats"), "ShowConduitlistStats(2,1)");
  EXPECT_EQ(P().HistoryIndex(), 1);
}

TEST_F(EditorTest, SavingUnderANewNameKeepsTheOldTransitAndANameIsAskedFor) {
  const int32_t id = StoreTransit(CableTransit(), "Old name");
  Open(id);
  P().SetName("New name");
  P().SetDepth(false, 230);
  V().Answers = {mrYes};
  V().Clear();
  P().Save();
  EXPECT_EQ(V().Calls.front(), "AskYesNo(Transitname has been changed. Do you want to save as new transit?,"
                               "Transitname has been changed)");
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(0,0,0)");  // the history starts afresh
  ASSERT_EQ(Transits.Count(), 2);
  const TRecTransit& old = *Transits.Items(1 - Transits.IndexOfID(id));
  EXPECT_EQ(old.Name, "Old name");
  EXPECT_DOUBLE_EQ(old.Depth, 200000);
  EXPECT_EQ(Conduits.IndexesOfTransit(old.ID).size(), 2u);
  EXPECT_EQ(Record(id).Name, "New name");
  EXPECT_DOUBLE_EQ(Record(id).Depth, 230000);
  EXPECT_EQ(Record(id).ModifiedBy, "tester");

  P().SetName("Third");
  V().Answers = {mrNo};  // renamed in place
  P().Save();
  EXPECT_EQ(Transits.Count(), 2);
  EXPECT_EQ(Record(id).Name, "Third");

  // Without a name the prompt is asked; cancelled or answered with blanks, nothing is written.
  P().SetName("");
  P().SetDepth(false, 250);
  V().Clear();
  P().Save();
  V().NameAnswer = "   ";
  P().Save();
  EXPECT_DOUBLE_EQ(Record(id).Depth, 230000);
  EXPECT_EQ(V().Of("InputQuery"),
            Names(2, "InputQuery(Save transit as ...,Please enter a new name for this transit.,)"));
  V().NameAnswer = "  Named  ";
  P().SaveAs();  // keeps a copy without asking
  EXPECT_TRUE(V().Of("AskYesNo").empty());
  ASSERT_EQ(Transits.Count(), 3);
  EXPECT_EQ(Record(id).Name, "Named");
  EXPECT_DOUBLE_EQ(Record(id).Depth, 250000);
}

TEST_F(EditorTest, ClosingDiscardsANewTransitAndSavesOnYes) {
  const int32_t id = StoreTransit(MakeTransit(fsKova, ctCables, clA, 100, 100, 10, 180), "");
  const int32_t kept = StoreTransit(CableTransit(), "Other");
  Open(id);
  NotifyAll(nkTransitCreated, id);
  EXPECT_EQ(V().Calls, (Names{"EnableUndoRedoSave(0,0,1)", "ActivateTransitname()"}));
  P().SetWidth(false, false, 150);
  P().StepHistory(-1);
  EXPECT_EQ(V().Calls.back(), "EnableUndoRedoSave(0,1,1)");  // Save stays on

  V().Answers = {mrCancel};
  EXPECT_FALSE(P().AskSaveOnClose());
  EXPECT_EQ(Transits.Count(), 2);
  EXPECT_FALSE(V().Closed);
  TNotificationRecorder lists;
  // The new transit goes as a list's deletion does: reported deleted, so
  // that every window of it closes.
  std::vector<std::pair<TRecordEvent, int32_t>> reported;
  SetRecordListener([&](TRecordEvent event, int32_t transit) { reported.emplace_back(event, transit); });
  V().Clear();
  EXPECT_TRUE(P().AskSaveOnClose());  // No
  SetRecordListener({});
  EXPECT_EQ(V().Calls, (Names{"AskYesNoCancel(Do you want to save current changes?,Transit has been changed)",
                              "ForceCloseForm()"}));
  EXPECT_EQ(lists.Seen, Names{"5:-1"});
  EXPECT_EQ(reported, (std::vector<std::pair<TRecordEvent, int32_t>>{{TRecordEvent::TransitDeleted, id}}));
  ASSERT_EQ(Transits.Count(), 1);
  EXPECT_EQ(Transits.IndexOfID(kept), 0);

  // A stored transit is saved on Yes and survives No.
  Open(kept);
  P().SetDepth(false, 240);
  V().Answers = {mrYes};
  EXPECT_TRUE(P().AskSaveOnClose());
  EXPECT_TRUE(V().Closed);
  EXPECT_DOUBLE_EQ(Record(kept).Depth, 240000);
  Open(kept);
  EXPECT_TRUE(P().AskSaveOnClose());
  EXPECT_EQ(Transits.Count(), 1);
}

TEST_F(EditorTest, NotificationsReachThePresenter) {
  const int32_t id = StoreTransit(CableTransit(), "A");
  Open(id);
  CurrentLengthUnit = luInch;
  NotifyAll(nkUnitChanged, 0);
  ASSERT_FALSE(V().Calls.empty());
  EXPECT_EQ(V().Calls.front(), "ConfigureSizeSpinners(4,2,0.2)");
  EXPECT_EQ(V().Last("UpdateConduitlistItem"), "UpdateConduitlistItem(1,4,0.7874,0)");
  Settings.FixedWindow = true;
  V().Clear();
  NotifyAll(nkPreferencesChanged, 0);
  EXPECT_EQ(V().Calls.front(), "SetFixedSize(1)");
  EXPECT_EQ(P().HistoryIndex(), 0);

  V().Clear();
  NotifyAll(nkTransitCreated, id + 1);  // another editor's transit
  NotifyAll(nkProjectChanged, 1);
  EXPECT_TRUE(V().Calls.empty());
  NotifyAll(nkTransitDeleted, id);
  EXPECT_TRUE(V().Closed);
}

TEST_F(EditorTest, ResizeFindsASizeAndRecordsOneStep) {
  Open(StoreTransit(MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 200), "Empty"));
  P().ResizeToFit();
  EXPECT_TRUE(V().Calls.empty());  // nothing to fit around

  TTransit t = MakeTransit(fsKova, ctCables, clA, 100, 100, 50, 200);
  AddGroup(t, 30, 20);
  Open(StoreTransit(t, "A"));
  const TTransit& m = P().Model();
  const std::string question = "AskYesNo(Do you also want to change the transit-depth?,Resize transit)";
  P().ResizeToFit();  // No: the depth stays
  EXPECT_EQ(V().Calls.front(), question);
  EXPECT_DOUBLE_EQ(m.Depth, 200000);
  V().Clear();
  V().Answers = {mrYes};
  P().ResizeToFit();
  ASSERT_GE(V().Calls.size(), 2u);  // asked first, then busy until the end
  EXPECT_EQ(V().Calls[0], question);
  EXPECT_EQ(V().Calls[1], "SetBusy(1)");
  EXPECT_EQ(V().Calls.back(), "SetBusy(0)");
  EXPECT_DOUBLE_EQ(m.Depth, CertificationMinDepth(fsKova, ctCables, clA, 20000));
  EXPECT_TRUE(m.IsRound());
  EXPECT_EQ(V().Last("SetWarning"), "SetWarning()");  // all placed, under the rate limit
  EXPECT_EQ(P().HistoryIndex(), 2);

  V().Clear();
  P().ResizeToFit();  // at the certification depth already: no question
  EXPECT_TRUE(V().Of("AskYesNo").empty());
}

TEST_F(EditorTest, AFailingResizeLeavesTheTransitAsItWas) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 200);
  AddGroup(t, 600, 120);  // far more than 2 m x 2 m can hold
  Open(StoreTransit(t, "A"));
  TTransit before;
  before.Assign(P().Model());
  V().Answers = {mrYes};  // the depth answer is undone too
  P().ResizeToFit();
  ASSERT_GE(V().Calls.size(), 3u);
  EXPECT_EQ(V().Calls[1], "SetBusy(1)");
  EXPECT_EQ(V().Calls[2],
            "ShowMessage(Unable to find appropiate size, please enter size manually,Resize transit)");
  EXPECT_EQ(V().Calls.back(), "SetBusy(0)");
  EXPECT_EQ(V().Last("SetTransitDimensions"), "SetTransitDimensions(1,200000,150000,10000,200000)");
  EXPECT_TRUE(P().Model().IsEqual(before));
  EXPECT_EQ(P().HistoryIndex(), 0);
}

TEST_F(EditorTest, ResizeOfASinglePipeIsTheSmallestThatHoldsIt) {
  TTransit t = MakeTransit(fsGrentax, ctPipesMetal, clA, 400, 300, 20, 200);
  AddGroup(t, 1, 100);
  Open(StoreTransit(t, "A"));
  P().ResizeToFit();
  const TTransit& m = P().Model();
  EXPECT_EQ(m.NotPlacedCount, 0);
  EXPECT_NEAR(m.Width / m.Height, 400.0 / 300.0, 1e-9);
  // One millimetre less on the larger side would not hold it.
  TTransit smaller;
  smaller.Assign(m);
  const double g = (m.Width - 1000) / m.Width;
  smaller.Width *= g;
  smaller.Height *= g;
  smaller.CornerRadius *= g;
  smaller.Validate();
  EXPECT_TRUE(NeedsGrow(smaller));
}

TEST_F(EditorTest, SavingTellsTheWindowsAndHasTheDataFileWritten) {
  int changes = 0;
  SetTablesChangedListener([&] { ++changes; });
  const int32_t id = StoreTransit(CableTransit(), "A", 7);
  Open(id);
  TNotificationRecorder lists;
  P().SetDepth(false, 230);
  P().Save();
  EXPECT_EQ(lists.Seen, (Names{"5:" + Arg(id), "2:7"}));
  EXPECT_EQ(changes, 1);
  V().NameAnswer = "B";
  P().SaveAs();  // the copy, then the save
  EXPECT_EQ(changes, 3);

  // A transit deleted behind the editor's back is never written again.
  lists.Seen.clear();
  Conduits.DeleteOfTransit(id);
  Transits.Delete(Transits.IndexOfID(id));
  P().SetDepth(false, 240);
  V().Answers = {mrYes};
  V().Clear();
  EXPECT_TRUE(P().AskSaveOnClose());  // nothing asked
  EXPECT_EQ(V().Calls, Names{"ForceCloseForm()"});
  EXPECT_EQ(Transits.IndexOfID(id), -1);
  EXPECT_TRUE(lists.Seen.empty());
  EXPECT_EQ(changes, 3);
  SetTablesChangedListener({});
}
