#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/transit.h"
#include "editor/recovery.h"
#include "editor/services.h"
#include "editor/transitview.h"

// Runs the editing of one stored transit for one editor window: loads it,
// applies every change the user makes, recomputes and redraws, keeps an
// undo/redo history of whole-model snapshots and saves it back. The window
// only forwards input here and shows what it is told through its contract.
class TPresenterTransitDetail {
public:
  TPresenterTransitDetail(TfrmAbstractTransitDetail& view, const TEditorServices& services);
  ~TPresenterTransitDetail();
  TPresenterTransitDetail(const TPresenterTransitDetail&) = delete;
  TPresenterTransitDetail& operator=(const TPresenterTransitDetail&) = delete;

  // Dimensions, values in the display unit. Spinning: a spin button is still
  // held; the change is drawn quickly and recorded once it is committed.
  void SetWidth(bool spinning, bool round, double value);
  void SetHeight(bool spinning, double value);
  void SetRadius(bool spinning, double value);
  void SetDepth(bool spinning, double value);
  void SetSparePercentage(bool spinning, double value);
  void SetInProjectCount(bool spinning, double value);
  void SetRound(bool round);
  void SetName(const std::string& text);
  void SetComments(const std::string& text);

  void SetFillSystem(TFillSystem value);
  void SetConduitType(TConduitType value);
  void SetClassification(TClassification value);
  void SetFillSubsystem(TFillSubsystem value);
  void SetSealantCartridge(TSealantCartridge value);
  void SetSealantLayer(TSealantLayer value);
  // Stores the three choices that decide the others, with the defaults a new
  // fill system brings, and resets the depth to its default when it differs.
  void ApplySystemChoice(TFillSystem fillSystem, TConduitType conduitType, TClassification classification);

  // -1 undo, +1 redo, 0 put back the current snapshot.
  void StepHistory(int delta);

  void AddConduits();
  void EditConduitAndRefresh(int index);
  // A double click in the drawing, in the picture's pixels.
  void EditConduitAt(TPoint point);
  void DeleteConduit(int index);
  // The values of the group the open conduit dialog edits, and their
  // change. The group may move within the list with every refresh; the
  // presenter keeps track of it.
  TConduitGroup EditedConduitGroup() const;
  void SetEditedConduitGroup(double outerDiameter, int32_t amount);

  void ChooseTemplate();
  void ShowMaterialReport();

  void Save();
  void SaveAs();
  // The close question; true when the window was closed.
  bool AskSaveOnClose();

  void ExportConduitList();
  bool ImportConduitList();
  void ImportConduitListOrComplain();

  void ResizeToFit();

  // The smooth drawing that follows a quick one.
  void Redraw();
  void HandleNotification(uint8_t code, int32_t id);

  // The one recompute cycle every change ends in.
  void Refresh(bool keepSelection, bool quickDraw, bool recordHistory);

  const TTransit& Model() const { return FModel; }
  int HistoryIndex() const { return FHistoryIndex; }
  int HistoryTop() const { return FHistoryTop; }
  int HistoryLength() const { return static_cast<int>(FHistory.size()); }
  bool HasWarning() const { return FHasWarning; }
  bool IsNewTransit() const { return FIsNewTransit; }
  bool IsTemplate() const { return FIsTemplate; }
  double ImageOriginX() const { return FImageOriginX; }
  double ImageOriginY() const { return FImageOriginY; }
  double ImageScale() const { return FImageScale; }
  // The longest a resize search may take.
  std::chrono::milliseconds ResizeTimeLimit{15000};

private:
  void ConfigureSpinners();
  void Load();
  void UpdateView(bool keepSelection);
  void Render(bool fast);
  void DimensionChange(bool spinning);
  TModalResult EditConduit(int index);
  bool AskName(bool force);
  void WriteToStore(bool restartHistory);
  bool SaveOnClose();
  bool SaveWithNameCheck(bool restartHistory);
  // Keeps the recovery copy in step: the model while it holds unsaved changes.
  void KeepRecovery();
  void RestoreModel(const TTransit& model);

  TfrmAbstractTransitDetail& FView;
  TEditorServices FServices;
  TTransit FModel;
  std::vector<std::unique_ptr<TTransit>> FHistory;
  int FHistoryIndex = -1;
  int FHistoryTop = -1;
  bool FHasWarning = false;
  double FImageOriginX = 0, FImageOriginY = 0, FImageScale = 0;
  // The quick picture; the smooth one at four times the size, and reduced.
  TBitmap FFastBitmap, FSmoothBitmap, FReducedBitmap;
  bool FIsNewTransit = false;
  bool FIsTemplate = false;
  // The group the conduit dialog edits, followed through the sorting of
  // every refresh; -1 when none.
  int FEditedIndex = -1;
  // Old slot -> new slot of each group in the last sorting.
  std::vector<int> FSortMap;
  TRecoveryKeeper FRecovery;
  bool FRecoveryKept = false;
};

// The conduit list as clipboard text: a header line, then amount and outer
// diameter (display unit, no unit name) per group, tab-separated, each line
// ended by carriage return and line feed.
std::string ConduitListToText(const std::vector<TConduitGroup>& groups);
// Reads such text into (amount, outer diameter in micrometres) pairs. False,
// with groups untouched, when the header is missing or any line is refused.
struct TImportedGroup {
  int32_t Amount = 0;
  double OuterDiameter = 0;
};
bool ParseConduitListText(const std::string& text, std::vector<TImportedGroup>& groups);
