#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/mdichild.h"
#include "core/enums.h"
#include "core/transit.h"
#include "core/draw/bitmap.h"

using TStringList = std::vector<std::string>;

// Colour values as the drawing library has them (0xRRGGBB).
using TColor = TColour;
constexpr TColor clRed = 0xFF0000;
// Not a colour but the desktop's window-text colour, which the view resolves.
constexpr TColor clWindowText = 0xFF000008;

struct TPoint {
  int X = 0;
  int Y = 0;
};

// The contract through which the transit editor's presenter drives its
// window. The window only shows what it is told here and forwards the user's
// input to the presenter; a test double can stand in for it.
//
// The operations keep this order: the window classes and the tests rely on
// it when they list what was called.
class TfrmAbstractTransitDetail : public TfrmMDIchild {
public:
  // The picture in which the transit is drawn.
  virtual TBitmap& ImageCanvas() = 0;
  // Where the conduit dialog's top-left corner goes (screen coordinates).
  virtual TPoint PositionEditForm() = 0;
  // The identifier of the transit this window shows.
  virtual int32_t ViewID() const = 0;
  // The selected row of the conduit list (the group's slot as the last
  // refresh showed it), or -1 when no row is selected.
  virtual int SelectedConduitgroup() = 0;
  virtual void ActivateTransitname() = 0;
  virtual void FillHarvantProducts(const TStringList& items) = 0;
  virtual void FillClasses(const TStringList& items) = 0;
  virtual void FillConduitTypes(const TStringList& items) = 0;
  virtual void FillSealantCartridges(const TStringList& items) = 0;
  virtual void FillSealantLayers(const TStringList& items) = 0;
  virtual void FillSubsystems(const TStringList& items) = 0;
  virtual void GetImageSize(int& width, int& height) = 0;
  virtual void HideForTemplate(bool isTemplate) = 0;
  virtual void PrepareTransitImageForDrawing(int width, int height) = 0;
  virtual void SelectItemInConduitlist(int index) = 0;
  virtual void SetHarvantProduct(TFillSystem value) = 0;
  virtual void SetBusy(bool busy) = 0;
  virtual void SetClassification(TClassification value) = 0;
  virtual void SetConduitType(TConduitType value) = 0;
  virtual void SetDisclaimerText(const TStringList& lines) = 0;
  virtual void SetFillingRate(const std::string& text, TColor colour) = 0;
  virtual void SetFillSubsystem(TFillSubsystem value) = 0;
  virtual void SetRedrawTimer(bool on) = 0;
  virtual void SetSealantCartridge(TSealantCartridge value) = 0;
  virtual void SetSealantLayer(TSealantLayer value) = 0;
  virtual void SetShape(bool round) = 0;
  virtual void SetTabPage(int index) = 0;
  virtual void SetTransitname(const std::string& name, bool isTemplate) = 0;
  virtual void SetWarning(const std::string& text) = 0;
  // Shown in a message box only the first time in the life of the window.
  virtual void ShowDepthAlert(const std::string& text) = 0;
  virtual void ShowImage() = 0;
  virtual void SetDepthWarning(const std::string& text) = 0;
  // Closes the window without asking again.
  virtual void ForceCloseForm() = 0;
  virtual void SetComments(const std::string& text) = 0;
  virtual void SetLabelsPipeCable(const std::string& plural, const std::string& singular) = 0;
  virtual void SetConduitSleeveSpare(const std::string& text) = 0;
  virtual void SetValidationMessages(const TStringList& lines) = 0;
  virtual void SetConduitlistLength(int count) = 0;
  virtual void ShowConduitlistStats(int64_t totalConduits, int groupCount) = 0;
  virtual void SetSparePerc(bool applicable, bool isTemplate, double spare) = 0;
  virtual void ConfigureSizeSpinners(int decimals, int pageSize, double increment) = 0;
  virtual void EnableUndoRedoSave(bool undo, bool redo, bool save) = 0;
  virtual void SetCreatedModified(const std::string& createdBy, const std::string& modifiedBy, TDateTime created,
                                  TDateTime modified) = 0;
  // Lengths in micrometres.
  virtual void SetTransitDimensions(int32_t inProject, double width, double height, double radius,
                                    double depth) = 0;
  // Areas in square micrometres.
  virtual void SetAreas(double available, double conduit, double conduitSleeve, double conduitSleeveSpare) = 0;
  // The row shows a copy of the group; the view never holds on to the model's groups.
  virtual void UpdateConduitlistItem(int index, const TConduitGroup& group, bool selected) = 0;
};
