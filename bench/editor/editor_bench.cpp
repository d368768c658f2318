// One recompute of the transit editor: validate, sort, fill, update the
// view and draw the picture, on the dense cable transit.

#include <benchmark/benchmark.h>

#include "core/sample_transits.h"
#include "core/units.h"
#include "editor/presenter.h"
#include "store/settings.h"
#include "store/tables.h"
#include "store/transitrecord.h"

namespace {

// A window that takes everything and shows nothing, at 800 x 600 pixels.
class TNullView : public TfrmAbstractTransitDetail {
public:
  void Notify(uint8_t, int32_t) override {}
  TBitmap& ImageCanvas() override { return Image; }
  TPoint PositionEditForm() override { return {}; }
  int32_t ViewID() const override { return TfrmMDIchild::ViewID; }
  int SelectedConduitgroup() override { return -1; }
  void ActivateTransitname() override {}
  void FillHarvantProducts(const TStringList&) override {}
  void FillClasses(const TStringList&) override {}
  void FillConduitTypes(const TStringList&) override {}
  void FillSealantCartridges(const TStringList&) override {}
  void FillSealantLayers(const TStringList&) override {}
  void FillSubsystems(const TStringList&) override {}
  void GetImageSize(int& width, int& height) override {
    width = 800;
    height = 600;
  }
  void HideForTemplate(bool) override {}
  void PrepareTransitImageForDrawing(int width, int height) override {
    Image.SetSize(width, height);
    Image.Fill(0xF0F0F0);
  }
  void SelectItemInConduitlist(int) override {}
  void SetHarvantProduct(TFillSystem) override {}
  void SetBusy(bool) override {}
  void SetClassification(TClassification) override {}
  void SetConduitType(TConduitType) override {}
  void SetDisclaimerText(const TStringList&) override {}
  void SetFillingRate(const std::string&, TColor) override {}
  void SetFillSubsystem(TFillSubsystem) override {}
  void SetRedrawTimer(bool) override {}
  void SetSealantCartridge(TSealantCartridge) override {}
  void SetSealantLayer(TSealantLayer) override {}
  void SetShape(bool) override {}
  void SetTabPage(int) override {}
  void SetTransitname(const std::string&, bool) override {}
  void SetWarning(const std::string&) override {}
  void ShowDepthAlert(const std::string&) override {}
  void ShowImage() override {}
  void SetDepthWarning(const std::string&) override {}
  void ForceCloseForm() override {}
  void SetComments(const std::string&) override {}
  void SetLabelsPipeCable(const std::string&, const std::string&) override {}
  void SetConduitSleeveSpare(const std::string&) override {}
  void SetValidationMessages(const TStringList&) override {}
  void SetConduitlistLength(int) override {}
  void ShowConduitlistStats(int64_t, int) override {}
  void SetSparePerc(bool, bool, double) override {}
  void ConfigureSizeSpinners(int, int, double) override {}
  void EnableUndoRedoSave(bool, bool, bool) override {}
  void SetCreatedModified(const std::string&, const std::string&, TDateTime, TDateTime) override {}
  void SetTransitDimensions(int32_t, double, double, double, double) override {}
  void SetAreas(double, double, double, double) override {}
  void UpdateConduitlistItem(int, const TConduitGroup&, bool) override {}

  TBitmap Image;
};

std::unique_ptr<TPresenterTransitDetail> OpenDense(TNullView& view) {
  Transits.Clear();
  Conduits.Clear();
  CurrentLengthUnit = luMillimetre;
  const int index = Transits.Add();
  InitTransitRecord(index);
  TTransit dense = DenseCableTransit();
  SaveToRecord(dense, Transits.Items(index)->ID);
  view.TfrmMDIchild::ViewID = Transits.Items(index)->ID;
  return std::make_unique<TPresenterTransitDetail>(view, TEditorServices{});
}

void BM_RefreshFast(benchmark::State& state) {
  Settings.AntiAliasing = true;
  Settings.ShowGrid = true;
  TNullView view;
  auto presenter = OpenDense(view);
  for (auto _ : state) presenter->Refresh(false, true, false);
}
BENCHMARK(BM_RefreshFast)->Unit(benchmark::kMillisecond);

void BM_RefreshSmooth(benchmark::State& state) {
  Settings.AntiAliasing = true;
  Settings.ShowGrid = true;
  TNullView view;
  auto presenter = OpenDense(view);
  for (auto _ : state) presenter->Refresh(false, false, false);
}
BENCHMARK(BM_RefreshSmooth)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
