#include "editor/presenter.h"

#include <cmath>

#include "platform/mdichild.h"
#include "core/advice.h"
#include "core/errors.h"
#include "core/resize.h"
#include "core/text.h"
#include "core/units.h"
#include "editor/storelink.h"
#include "store/tables.h"

namespace {

constexpr int HistoryGrowth = 20;

TStringList TextsOf(int count, auto allowed, auto toText) {
  TStringList list;
  for (int i = 0; i < count; ++i)
    if (allowed(i)) list.push_back(toText(i));
  return list;
}

}  // namespace

TPresenterTransitDetail::TPresenterTransitDetail(TfrmAbstractTransitDetail& view, const TEditorServices& services)
    : FView(view), FServices(services) {
  for (int i = 0; i < HistoryGrowth; ++i) FHistory.push_back(std::make_unique<TTransit>());
  ConfigureSpinners();
  TStringList systems;
  for (int i = 0; i < FillSystemCount; ++i) systems.push_back(FillSystemToText(static_cast<TFillSystem>(i)));
  FView.FillHarvantProducts(systems);
  FRecovery.Restore = [this](const TTransit& model) { RestoreModel(model); };
  Load();
  FIsNewTransit = false;
}

TPresenterTransitDetail::~TPresenterTransitDetail() = default;

void TPresenterTransitDetail::ConfigureSpinners() {
  switch (CurrentLengthUnit) {
    case luMillimetre:
      FView.ConfigureSizeSpinners(2, 10, 1.0);
      break;
    case luInch:
      FView.ConfigureSizeSpinners(4, 2, 0.2);
      break;
    default:
      throw TError("Unknown value for unitsystem!");
  }
}

void TPresenterTransitDetail::Load() {
  const int32_t id = FView.ViewID();
  if (!editorstore::TransitExists(id)) throw TError("Unknown TransitID!");
  FIsTemplate = editorstore::TransitProjectID(id) == TemplateProjectID;
  editorstore::LoadTransit(FModel, id);
  FView.SetShape(FModel.IsRound());
  Refresh(false, false, true);
  FView.EnableUndoRedoSave(false, false, FIsNewTransit);
}

namespace {

// Where each group stands after the sorting: groups are identified by their
// values (groups with equal values are interchangeable).
std::vector<int> MatchAfterSort(const std::vector<TConduitGroup>& before, const std::vector<TConduitGroup>& after) {
  std::vector<int> map(before.size(), -1);
  std::vector<bool> used(after.size(), false);
  for (size_t i = 0; i < before.size(); ++i) {
    const TConduitGroup& g = before[i];
    for (size_t j = 0; j < after.size(); ++j) {
      const TConduitGroup& h = after[j];
      if (!used[j] && h.OuterDiameter == g.OuterDiameter && h.Amount == g.Amount && h.ConduitType == g.ConduitType) {
        used[j] = true;
        map[i] = static_cast<int>(j);
        break;
      }
    }
  }
  return map;
}

}  // namespace

void TPresenterTransitDetail::Refresh(bool keepSelection, bool quickDraw, bool recordHistory) {
  FView.SetRedrawTimer(false);

  FModel.Validate();
  // The selected row and the edited group follow their groups through the
  // sorting.
  const std::vector<TConduitGroup> unsorted = FModel.ConduitGroups;
  FModel.SortConduitGroups();
  FSortMap = MatchAfterSort(unsorted, FModel.ConduitGroups);
  FEditedIndex = FEditedIndex >= 0 && FEditedIndex < static_cast<int>(FSortMap.size()) ? FSortMap[FEditedIndex] : -1;
  FModel.Fill();

  UpdateView(keepSelection);
  Render(quickDraw || !editorstore::AntiAliasing());
  FView.SetRedrawTimer(quickDraw);

  if (recordHistory && FHistoryIndex >= 0) recordHistory = !FModel.IsEqual(*FHistory[FHistoryIndex]);
  if (recordHistory) {
    ++FHistoryIndex;
    if (FHistoryIndex >= static_cast<int>(FHistory.size()))
      for (int i = 0; i < HistoryGrowth; ++i) FHistory.push_back(std::make_unique<TTransit>());
    FHistory[FHistoryIndex]->Assign(FModel);
    FHistoryTop = FHistoryIndex;
    FView.EnableUndoRedoSave(FHistoryIndex > 0, false, FIsNewTransit || FHistoryIndex > 0);
    KeepRecovery();
  }
}

void TPresenterTransitDetail::KeepRecovery() {
  const int32_t id = FView.ViewID();
  FRecovery.SetTransit(id, FIsNewTransit);
  if (FHistoryIndex > 0 && editorstore::TransitExists(id)) {
    TRecoveryCopy copy;
    copy.TransitID = id;
    copy.ProjectID = editorstore::TransitProjectID(id);
    copy.IsNew = FIsNewTransit;
    copy.Model.Assign(FModel);
    FRecovery.Changed(copy);
    FRecoveryKept = true;
  } else if (FRecoveryKept) {
    // Back to the stored state (undone): no copy needed any more.
    FRecovery.Clear(id);
    FRecoveryKept = false;
  }
}

void TPresenterTransitDetail::RestoreModel(const TTransit& model) {
  FModel.Assign(model);
  FView.SetShape(FModel.IsRound());
  Refresh(false, false, true);
}

void TPresenterTransitDetail::UpdateView(bool keepSelection) {
  TTransit& m = FModel;
  FView.SetTransitname(m.Name, FIsTemplate);

  FView.FillConduitTypes(TextsOf(
      ConduitTypeCount, [&](int i) { return IsConduitTypeAllowed(m.FillSystem, static_cast<TConduitType>(i)); },
      [](int i) { return ConduitTypeToText(static_cast<TConduitType>(i)); }));
  FView.FillClasses(TextsOf(
      ClassificationCount,
      [&](int i) { return IsClassificationAllowed(m.FillSystem, m.DefaultConduitType, static_cast<TClassification>(i)); },
      [](int i) { return ClassificationToText(static_cast<TClassification>(i)); }));
  FView.FillSealantCartridges(TextsOf(
      SealantCartridgeCount,
      [&](int i) { return IsSealantCartridgeAllowed(m.FillSystem, static_cast<TSealantCartridge>(i)); },
      [](int i) { return SealantCartridgeToText(static_cast<TSealantCartridge>(i)); }));
  FView.FillSealantLayers(TextsOf(
      SealantLayerCount_,
      [&](int i) {
        return IsSealantLayerAllowed(m.FillSystem, m.FillSubsystem, m.Classification, static_cast<TSealantLayer>(i));
      },
      [](int i) { return SealantLayerToText(static_cast<TSealantLayer>(i)); }));
  TStringList subsystems;
  if (IsFillSubsystemAllowed(m.FillSystem, fssCFitCrusher)) subsystems.push_back("C_Fit_Crusher");
  if (IsFillSubsystemAllowed(m.FillSystem, fssWrapCrusher)) subsystems.push_back("WRAP Crusher");
  if (IsFillSubsystemAllowed(m.FillSystem, fssNone)) subsystems.push_back("-");
  FView.FillSubsystems(subsystems);

  FView.SetHarvantProduct(m.FillSystem);
  FView.SetConduitType(m.DefaultConduitType);
  FView.SetClassification(m.Classification);
  FView.SetSealantCartridge(m.SealantCartridge);
  FView.SetSealantLayer(m.SealantLayer);
  FView.SetFillSubsystem(m.FillSubsystem);

  FView.SetLabelsPipeCable(m.ConduitPlural(), m.ConduitSingular());
  FView.SetCreatedModified(m.CreatedBy, m.ModifiedBy, m.Created, m.Modified);
  FView.SetTransitDimensions(m.TransitsInProject, m.Width, m.Height, m.CornerRadius, m.Depth);
  FView.SetComments(m.Comments);
  FView.SetDepthWarning(InsertSleeveAdvice(m));
  FView.SetSparePerc(m.IsSpareApplicable(), FIsTemplate, m.SparePercentage);
  if (m.SparePercentage == 0 || FIsTemplate)
    FView.SetConduitSleeveSpare("");
  else
    FView.SetConduitSleeveSpare(FormatArea(m.ConduitSleeveSpareArea()) + " " + AreaUnitName());
  FView.HideForTemplate(FIsTemplate);
  FView.SetAreas(m.TransitArea(), m.ConduitArea(), m.ConduitSleeveArea(), m.ConduitSleeveSpareArea());
  FView.SetValidationMessages(m.Messages);

  const TWarnings warnings = ComputeWarnings(m);
  FHasWarning = !warnings.Warning.empty();
  FView.SetWarning(warnings.Warning);
  FView.SetFillingRate(warnings.FillingRateText, warnings.FillingRateRed ? clRed : clWindowText);
  FView.SetDisclaimerText(DisclaimerLines(m));

  // The view's rows still stand for the slots of the groups before the sorting.
  int selected = -1;
  if (keepSelection) {
    const int slot = FView.SelectedConduitgroup();
    if (slot >= 0 && slot < static_cast<int>(FSortMap.size())) selected = FSortMap[slot];
  }
  FView.SetConduitlistLength(m.ConduitGroupCount());
  for (int i = 0; i < m.ConduitGroupCount(); ++i) FView.UpdateConduitlistItem(i, m.ConduitGroups[i], i == selected);
  FView.ShowConduitlistStats(m.TotalConduitCount(), m.ConduitGroupCount());
}

void TPresenterTransitDetail::Redraw() { Render(!editorstore::AntiAliasing()); }

// ---------------------------------------------------------------- setters

void TPresenterTransitDetail::DimensionChange(bool spinning) {
  Refresh(true, spinning, !spinning);
  if (spinning) FView.EnableUndoRedoSave(true, false, true);
}

void TPresenterTransitDetail::SetWidth(bool spinning, bool round, double value) {
  FModel.Width = value * LengthUnitFactor();
  if (round) {
    FModel.Height = FModel.Width;
    FModel.CornerRadius = FModel.Width / 2;
  }
  DimensionChange(spinning);
}

void TPresenterTransitDetail::SetHeight(bool spinning, double value) {
  FModel.Height = value * LengthUnitFactor();
  DimensionChange(spinning);
}

void TPresenterTransitDetail::SetRadius(bool spinning, double value) {
  FModel.CornerRadius = value * LengthUnitFactor();
  if (2 * FModel.CornerRadius > FModel.Width) FModel.Width = 2 * FModel.CornerRadius;
  if (2 * FModel.CornerRadius > FModel.Height) FModel.Height = 2 * FModel.CornerRadius;
  DimensionChange(spinning);
}

void TPresenterTransitDetail::SetDepth(bool spinning, double value) {
  FModel.Depth = value * LengthUnitFactor();
  DimensionChange(spinning);
}

void TPresenterTransitDetail::SetSparePercentage(bool spinning, double value) {
  FModel.SparePercentage = std::trunc(value);
  DimensionChange(spinning);
}

void TPresenterTransitDetail::SetInProjectCount(bool spinning, double value) {
  FModel.TransitsInProject = static_cast<int32_t>(std::trunc(value));
  DimensionChange(spinning);
}

void TPresenterTransitDetail::SetRound(bool round) {
  if (round) {
    FModel.Height = FModel.Width;
    FModel.CornerRadius = FModel.Width / 2;
  }
  FView.SetShape(round);
  Refresh(true, false, true);
}

void TPresenterTransitDetail::SetName(const std::string& text) {
  if (text == FModel.Name) return;
  FModel.Name = text;
  Refresh(true, false, true);
}

void TPresenterTransitDetail::SetComments(const std::string& text) {
  if (text == FModel.Comments) return;
  FModel.Comments = text;
  Refresh(true, false, true);
}

void TPresenterTransitDetail::SetFillSystem(TFillSystem value) {
  ApplySystemChoice(value, FModel.DefaultConduitType, FModel.Classification);
  Refresh(false, false, true);
}

void TPresenterTransitDetail::SetConduitType(TConduitType value) {
  ApplySystemChoice(FModel.FillSystem, value, FModel.Classification);
  Refresh(false, false, true);
}

void TPresenterTransitDetail::SetClassification(TClassification value) {
  ApplySystemChoice(FModel.FillSystem, FModel.DefaultConduitType, value);
  Refresh(false, false, true);
}

void TPresenterTransitDetail::SetFillSubsystem(TFillSubsystem value) {
  FModel.FillSubsystem = value;
  Refresh(false, false, true);
}

void TPresenterTransitDetail::SetSealantCartridge(TSealantCartridge value) {
  FModel.SealantCartridge = value;
  Refresh(false, false, true);
}

void TPresenterTransitDetail::SetSealantLayer(TSealantLayer value) {
  FModel.SealantLayer = value;
  Refresh(false, false, true);
}

void TPresenterTransitDetail::ApplySystemChoice(TFillSystem fillSystem, TConduitType conduitType,
                                                TClassification classification) {
  if (fillSystem != FModel.FillSystem) {
    FModel.FillSystem = fillSystem;
    switch (fillSystem) {
      case fsKova:
        classification = clA;
        FModel.SealantCartridge = scTiso;
        break;
      case fsPraven:
        classification = clWatertight;
        FModel.SealantCartridge = scHorlan;
        break;
      default:
        classification = clA;
        FModel.SealantCartridge = scGrentax;
        break;
    }
  }
  if (conduitType != FModel.DefaultConduitType) FModel.ChangeConduitType(conduitType);
  if (classification != FModel.Classification) FModel.Classification = classification;
  const double depth = DefaultDepth(fillSystem, conduitType, classification);
  if (FModel.Depth != depth) {
    FModel.Depth = depth;
    FView.ShowDepthAlert(DepthNoticeText(depth));
  }
}

// ---------------------------------------------------------------- history

void TPresenterTransitDetail::StepHistory(int delta) {
  const int target = FHistoryIndex + delta;
  if (target >= 0 && target <= FHistoryTop) {
    FHistoryIndex = target;
    FModel.Assign(*FHistory[target]);
    Refresh(false, false, false);
    KeepRecovery();
  }
  FView.EnableUndoRedoSave(FHistoryIndex > 0, FHistoryIndex < FHistoryTop, FIsNewTransit || FHistoryIndex > 0);
}

// ---------------------------------------------------------------- conduit groups

TConduitGroup TPresenterTransitDetail::EditedConduitGroup() const {
  if (FEditedIndex < 0 || FEditedIndex >= FModel.ConduitGroupCount()) throw TError("No conduit group is edited");
  return FModel.ConduitGroups[FEditedIndex];
}

void TPresenterTransitDetail::SetEditedConduitGroup(double outerDiameter, int32_t amount) {
  if (FEditedIndex < 0 || FEditedIndex >= FModel.ConduitGroupCount()) throw TError("No conduit group is edited");
  TConduitGroup& group = FModel.ConduitGroups[FEditedIndex];
  group.OuterDiameter = outerDiameter;
  group.Amount = amount;
}

TModalResult TPresenterTransitDetail::EditConduit(int index) {
  FEditedIndex = index;
  TModalResult result = mrCancel;
  try {
    const std::string caption = "Edit " + FModel.ConduitPluralLower() + " in transit";
    const TPoint position = FView.PositionEditForm();
    result = FServices.ConduitDialog->Execute(*this, caption, position);
  } catch (...) {
    FEditedIndex = -1;
    throw;
  }
  const int edited = FEditedIndex;
  const double diameter = edited >= 0 && edited < FModel.ConduitGroupCount() ? FModel.ConduitGroups[edited].OuterDiameter : -1;
  FEditedIndex = -1;
  if (FModel.MergeEqualDiameters()) {
    // The rows the view shows stand for the groups before the merge: select
    // the row of the group the edited one went into.
    int into = -1;
    for (int i = 0; i < FModel.ConduitGroupCount() && into < 0; ++i)
      if (std::fabs(FModel.ConduitGroups[i].OuterDiameter - diameter) < 10) into = i;
    if (into >= 0) FView.SelectItemInConduitlist(into);
    Refresh(true, false, false);
  }
  return result;
}

void TPresenterTransitDetail::EditConduitAndRefresh(int index) {
  if (index < 0 || index >= FModel.ConduitGroupCount()) return;
  if (EditConduit(index) == mrOk) Refresh(true, false, true);
}

void TPresenterTransitDetail::AddConduits() {
  if (FModel.FillSystem == fsKovaMoxel && FModel.ConduitGroupCount() > 0) {
    FServices.Dialogs->ShowMessage(MultiPipeRefusalText, "Info");
    return;
  }
  for (;;) {
    FModel.AddConduitGroup();
    FEditedIndex = FModel.ConduitGroupCount() - 1;
    Refresh(false, true, false);
    const int position = FEditedIndex;
    FEditedIndex = -1;
    FView.SelectItemInConduitlist(position);
    if (EditConduit(position) != mrOk) break;
    Refresh(false, false, true);
  }
  if (FModel.ConduitGroupCount() > 0 && FModel.ConduitGroups[0].OuterDiameter == 0 &&
      FModel.ConduitGroups[0].Amount == 0) {
    FModel.DeleteConduitGroup(0);
    Refresh(false, false, false);
  }
}

void TPresenterTransitDetail::EditConduitAt(TPoint point) {
  if (FImageScale <= 0) return;
  const double mx = (point.X - FImageOriginX) / FImageScale;
  const double my = (point.Y - FImageOriginY) / FImageScale;
  int hit = -1;
  for (const TFillItem& item : FModel.FillItems) {
    for (int32_t k = 0; k < item.PlacedCount; ++k) {
      const size_t at = static_cast<size_t>(item.FirstPlaced) + static_cast<size_t>(k);
      if (at >= FModel.PlacedPositions.size()) break;
      const TPlacedPosition& centre = FModel.PlacedPositions[at];
      const double dx = centre.X - mx, dy = centre.Y - my;
      if (dx * dx + dy * dy < item.OuterRadius * item.OuterRadius) hit = item.GroupIndex;
    }
  }
  if (hit < 0 || hit >= FModel.ConduitGroupCount()) return;
  FView.SetTabPage(1);
  FView.SelectItemInConduitlist(hit);
  if (EditConduit(hit) == mrOk) Refresh(true, false, true);
}

void TPresenterTransitDetail::DeleteConduit(int index) {
  FModel.DeleteConduitGroup(index);
  Refresh(false, false, true);
}

// ---------------------------------------------------------------- templates and reports

void TPresenterTransitDetail::ChooseTemplate() {
  const int32_t id = FServices.TemplateChooser->Execute();
  editorstore::TTemplateSizes sizes;
  if (id == -1 || !editorstore::TemplateSizes(id, sizes)) return;
  FModel.Width = sizes.Width;
  FModel.Height = sizes.Height;
  FModel.CornerRadius = sizes.CornerRadius;
  FModel.SparePercentage = sizes.SparePercentage;
  FView.SetShape(FModel.IsRound());
  Refresh(true, false, true);
}

void TPresenterTransitDetail::ShowMaterialReport() { FServices.ReportDialog->ShowTransitReport(FModel); }

// ---------------------------------------------------------------- saving and closing

bool TPresenterTransitDetail::AskName(bool force) {
  if (!force && !TrimBlanks(FModel.Name).empty()) return true;
  std::string answer;
  if (!FServices.Dialogs->InputQuery("Save transit as ...", "Please enter a new name for this transit.", answer))
    return false;
  answer = TrimBlanks(answer);
  if (answer.empty()) return false;
  FModel.Name = answer;
  return true;
}

void TPresenterTransitDetail::WriteToStore(bool restartHistory) {
  FModel.Modified = NowDateTime();
  FModel.ModifiedBy = editorstore::CurrentUser();
  editorstore::SaveTransit(FModel, FView.ViewID());
  FIsNewTransit = false;
  // Saved: the recovery copy has served.
  FRecovery.Clear(FView.ViewID());
  FRecoveryKept = false;
  if (restartHistory) {
    FHistoryIndex = -1;
    Refresh(false, false, true);
  }
}

bool TPresenterTransitDetail::SaveWithNameCheck(bool restartHistory) {
  // A transit deleted behind the editor's back is never written again.
  if (!editorstore::TransitExists(FView.ViewID())) return false;
  if (!AskName(false)) return false;
  const int32_t id = FView.ViewID();
  if (!FIsNewTransit && TrimBlanks(editorstore::TransitName(id)) != TrimBlanks(FModel.Name)) {
    if (FServices.Dialogs->AskYesNo("Transitname has been changed. Do you want to save as new transit?",
                                         "Transitname has been changed") == mrYes)
      editorstore::CopyTransit(id);
  }
  WriteToStore(restartHistory);
  return true;
}

void TPresenterTransitDetail::Save() { SaveWithNameCheck(true); }

void TPresenterTransitDetail::SaveAs() {
  if (!editorstore::TransitExists(FView.ViewID())) return;
  if (!AskName(true)) return;
  if (!FIsNewTransit) editorstore::CopyTransit(FView.ViewID());
  WriteToStore(true);
}

bool TPresenterTransitDetail::SaveOnClose() { return SaveWithNameCheck(false); }

bool TPresenterTransitDetail::AskSaveOnClose() {
  // Nothing left to save: the transit was deleted while the editor was open.
  if (!editorstore::TransitExists(FView.ViewID())) {
    FView.ForceCloseForm();
    return true;
  }
  switch (FServices.Dialogs->AskYesNoCancel("Do you want to save current changes?", "Transit has been changed")) {
    case mrYes:
      if (!SaveOnClose()) return false;
      FView.ForceCloseForm();
      return true;
    case mrNo:
      // The changes are dropped on purpose: so is their recovery copy.
      FRecovery.Clear(FView.ViewID());
      FRecoveryKept = false;
      if (FIsNewTransit) {
        editorstore::DeleteTransit(FView.ViewID());
        NotifyAll(nkTransitChanged, -1);
      }
      FView.ForceCloseForm();
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------- notifications

void TPresenterTransitDetail::HandleNotification(uint8_t code, int32_t id) {
  switch (code) {
    case nkUnitChanged:
      ConfigureSpinners();
      Refresh(true, false, false);
      break;
    case nkPreferencesChanged:
      if (FServices.WindowFrame) FServices.WindowFrame->SetFixedSize(editorstore::FixedWindow());
      Refresh(true, false, false);
      break;
    case nkTransitCreated:
      if (id == FView.ViewID()) {
        FView.EnableUndoRedoSave(false, false, true);
        FView.ActivateTransitname();
        FIsNewTransit = true;
        KeepRecovery();
      }
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- resize to fit

void TPresenterTransitDetail::ResizeToFit() {
  if (FModel.ConduitArea() == 0) return;
  const double minDepth = CertificationMinDepth(FModel.FillSystem, FModel.DefaultConduitType, FModel.Classification,
                                                FModel.MaxConduitDiameter());
  if (FModel.Depth != minDepth &&
      FServices.Dialogs->AskYesNo("Do you also want to change the transit-depth?", "Resize transit") == mrYes)
    FModel.Depth = minDepth;

  FView.SetBusy(true);
  // The window is enabled again whatever happens below.
  struct TBusyGuard {
    TfrmAbstractTransitDetail& View;
    ~TBusyGuard() { View.SetBusy(false); }
  } guard{FView};

  const auto deadline = std::chrono::steady_clock::now() + ResizeTimeLimit;
  if (ResizeSearch(FModel, deadline)) {
    Refresh(true, false, true);
  } else {
    FServices.Dialogs->ShowMessage("Unable to find appropiate size, please enter size manually",
                                        "Resize transit");
    StepHistory(0);
  }
}
