#pragma once
// A window without a window: records every operation the presenter calls on
// it, in order, and stands in for the dialogs and desktop services.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/draw/bitmap.h"
#include "core/units.h"
#include "editor/presenter.h"
#include "editor/services.h"
#include "editor/transitview.h"

inline std::string Num(double v) {
  std::string s = std::to_string(v);
  while (s.size() > 1 && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

inline std::string Join(const TStringList& list) {
  std::string s;
  for (size_t i = 0; i < list.size(); ++i) s += (i ? "|" : "") + list[i];
  return s;
}

struct TMessageRecord {
  std::string Kind, Text, Caption;
};

class TFakeMessageBoxes : public TMessageBoxes {
public:
  void ShowMessage(const std::string& text, const std::string& caption) override {
    Shown.push_back({"ok", text, caption});
  }
  TModalResult AskYesNo(const std::string& text, const std::string& caption) override {
    Shown.push_back({"yesno", text, caption});
    return Next();
  }
  TModalResult AskYesNoCancel(const std::string& text, const std::string& caption) override {
    Shown.push_back({"yesnocancel", text, caption});
    return Next();
  }
  std::deque<TModalResult> Answers;  // mrNo when it runs out
  std::vector<TMessageRecord> Shown;

private:
  TModalResult Next() {
    if (Answers.empty()) return mrNo;
    const TModalResult answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
};

class TFakeInputBox : public TInputBox {
public:
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override {
    Asked.push_back(caption + "/" + prompt + "/" + value);
    if (!Accept) return false;
    value = Answer;
    return true;
  }
  bool Accept = true;
  std::string Answer;
  std::vector<std::string> Asked;
};

class TFakeClipboard : public TClipboard {
public:
  bool HasText() override { return Text.has_value(); }
  std::string GetText() override { return Text.value_or(""); }
  void SetText(const std::string& text) override { Text = text; }
  std::optional<std::string> Text;
};

class TFakeConduitDialog : public TConduitDialog {
public:
  using TScript = std::function<TModalResult(TPresenterTransitDetail&)>;
  TModalResult Execute(TPresenterTransitDetail& presenter, const std::string& caption, TPoint topLeft) override {
    Captions.push_back(caption);
    Positions.push_back(topLeft);
    if (Scripts.empty()) return mrCancel;
    TScript script = Scripts.front();
    Scripts.pop_front();
    return script(presenter);
  }
  // Types a diameter (display unit) and an amount as the dialog would: each
  // change written through at once with a quick redraw, then the committing
  // redraw, then OK.
  static TScript Type(double diameter, int amount, TModalResult result = mrOk) {
    return [=](TPresenterTransitDetail& p) {
      const TConduitGroup saved = p.EditedConduitGroup();
      p.EditedConduitGroup().Amount = amount;
      p.Refresh(true, true, false);
      p.EditedConduitGroup().OuterDiameter = diameter * LengthUnitFactor();
      p.Refresh(true, true, false);
      p.Refresh(true, false, false);
      if (result == mrCancel) {
        p.EditedConduitGroup().Amount = saved.Amount;
        p.EditedConduitGroup().OuterDiameter = saved.OuterDiameter;
        p.Refresh(true, false, false);
      }
      return result;
    };
  }
  std::deque<TScript> Scripts;  // cancel when it runs out
  std::vector<std::string> Captions;
  std::vector<TPoint> Positions;
};

class TFakeTemplateChooser : public TTemplateChooser {
public:
  int32_t Execute() override { return Choice; }
  int32_t Choice = -1;
};

class TFakeReportDialog : public TReportDialog {
public:
  void ShowTransitReport(const TTransit& transit) override { Names.push_back(transit.Name); }
  std::vector<std::string> Names;
};

class TFakeFrame : public TWindowFrame {
public:
  void SetFixedSize(bool fixed) override { Fixed.push_back(fixed); }
  std::vector<bool> Fixed;
};

struct TFakeServices {
  TFakeMessageBoxes MessageBoxes;
  TFakeInputBox InputBox;
  TFakeClipboard Clipboard;
  TFakeConduitDialog ConduitDialog;
  TFakeTemplateChooser TemplateChooser;
  TFakeReportDialog ReportDialog;
  TFakeFrame Frame;
  TEditorServices Services() {
    return TEditorServices{&MessageBoxes, &InputBox,     &Clipboard, &ConduitDialog,
                           &TemplateChooser, &ReportDialog, &Frame};
  }
};

class TFakeTransitView : public TfrmAbstractTransitDetail {
public:
  explicit TFakeTransitView(TFakeServices& services, int width = 400, int height = 300)
      : Services(services), ImageWidth(width), ImageHeight(height) {}

  // Opening the window for a transit, as the real window does it.
  void Init(int32_t id) override {
    TfrmMDIchild::ViewID = id;
    Presenter = std::make_unique<TPresenterTransitDetail>(*this, Services.Services());
  }
  void Notify(uint8_t code, int32_t id) override {
    if (!Presenter) return;
    if (code == nkTransitDeleted && id == TfrmMDIchild::ViewID)
      ForceCloseForm();
    else
      Presenter->HandleNotification(code, id);
  }

  // Everything called so far, as "Name(arguments)"; Clear() forgets it.
  std::vector<std::string> Calls;
  void Clear() { Calls.clear(); }
  // Only the operation names.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const std::string& c : Calls) names.push_back(c.substr(0, c.find('(')));
    return names;
  }
  // The calls of one operation, in order.
  std::vector<std::string> Of(const std::string& name) const {
    std::vector<std::string> out;
    for (const std::string& c : Calls)
      if (c.compare(0, name.size() + 1, name + "(") == 0) out.push_back(c);
    return out;
  }
  std::string Last(const std::string& name) const {
    const auto calls = Of(name);
    return calls.empty() ? "" : calls.back();
  }

  TBitmap& ImageCanvas() override {
    Calls.push_back("ImageCanvas()");
    return Image;
  }
  TPoint PositionEditForm() override {
    Calls.push_back("PositionEditForm()");
    return TPoint{120, 340};
  }
  int32_t ViewID() const override { return TfrmMDIchild::ViewID; }
  TConduitGroup* SelectedConduitgroup() override {
    Calls.push_back("SelectedConduitgroup()");
    return Selected >= 0 && Selected < static_cast<int>(Rows.size()) ? Rows[Selected] : nullptr;
  }
  void ActivateTransitname() override { Calls.push_back("ActivateTransitname()"); }
  void FillHarvantProducts(const TStringList& items) override { Calls.push_back("FillHarvantProducts(" + Join(items) + ")"); }
  void FillClasses(const TStringList& items) override { Calls.push_back("FillClasses(" + Join(items) + ")"); }
  void FillConduitTypes(const TStringList& items) override { Calls.push_back("FillConduitTypes(" + Join(items) + ")"); }
  void FillSealantCartridges(const TStringList& items) override {
    Calls.push_back("FillSealantCartridges(" + Join(items) + ")");
  }
  void FillSealantLayers(const TStringList& items) override { Calls.push_back("FillSealantLayers(" + Join(items) + ")"); }
  void FillSubsystems(const TStringList& items) override { Calls.push_back("FillSubsystems(" + Join(items) + ")"); }
  void GetImageSize(int& width, int& height) override {
    Calls.push_back("GetImageSize()");
    width = ImageWidth;
    height = ImageHeight;
  }
  void HideForTemplate(bool isTemplate) override { Calls.push_back("HideForTemplate(" + B(isTemplate) + ")"); }
  void PrepareTransitImageForDrawing(int width, int height) override {
    Calls.push_back("PrepareTransitImageForDrawing(" + std::to_string(width) + "," + std::to_string(height) + ")");
    Image.SetSize(width, height);
    Image.Fill(AreaColour);
  }
  void SelectItemInConduitlist(int index) override {
    Calls.push_back("SelectItemInConduitlist(" + std::to_string(index) + ")");
    Selected = index;
  }
  void SetHarvantProduct(TFillSystem value) override { Calls.push_back("SetHarvantProduct(" + FillSystemToText(value) + ")"); }
  void SetBusy(bool busy) override { Calls.push_back("SetBusy(" + B(busy) + ")"); }
  void SetClassification(TClassification value) override {
    Calls.push_back("SetClassification(" + ClassificationToText(value) + ")");
  }
  void SetConduitType(TConduitType value) override { Calls.push_back("SetConduitType(" + ConduitTypeToText(value) + ")"); }
  void SetDisclaimerText(const TStringList& lines) override {
    Calls.push_back("SetDisclaimerText(" + std::to_string(lines.size()) + ")");
  }
  void SetFillingRate(const std::string& text, TColor colour) override {
    Calls.push_back("SetFillingRate(" + text + "," + (colour == clRed ? "red" : colour == clWindowText ? "text" : "?") +
                    ")");
  }
  void SetFillSubsystem(TFillSubsystem value) override {
    Calls.push_back("SetFillSubsystem(" + FillSubsystemToText(value) + ")");
  }
  void SetRedrawTimer(bool on) override { Calls.push_back("SetRedrawTimer(" + B(on) + ")"); }
  void SetSealantCartridge(TSealantCartridge value) override {
    Calls.push_back("SetSealantCartridge(" + SealantCartridgeToText(value) + ")");
  }
  void SetSealantLayer(TSealantLayer value) override {
    Calls.push_back("SetSealantLayer(" + SealantLayerToText(value) + ")");
  }
  void SetShape(bool round) override { Calls.push_back("SetShape(" + B(round) + ")"); }
  void SetTabPage(int index) override { Calls.push_back("SetTabPage(" + std::to_string(index) + ")"); }
  void SetTransitname(const std::string& name, bool isTemplate) override {
    Calls.push_back("SetTransitname(" + name + "," + B(isTemplate) + ")");
  }
  void SetWarning(const std::string& text) override { Calls.push_back("SetWarning(" + text + ")"); }
  void ShowDepthAlert(const std::string& text) override { Calls.push_back("ShowDepthAlert(" + text + ")"); }
  void ShowImage() override { Calls.push_back("ShowImage()"); }
  void SetDepthWarning(const std::string& text) override { Calls.push_back("SetDepthWarning(" + text + ")"); }
  void ForceCloseForm() override {
    Calls.push_back("ForceCloseForm()");
    Closed = true;
  }
  void SetComments(const std::string& text) override { Calls.push_back("SetComments(" + text + ")"); }
  void SetLabelsPipeCable(const std::string& plural, const std::string& singular) override {
    Calls.push_back("SetLabelsPipeCable(" + plural + "," + singular + ")");
  }
  void SetConduitSleeveSpare(const std::string& text) override { Calls.push_back("SetConduitSleeveSpare(" + text + ")"); }
  void SetValidationMessages(const TStringList& lines) override {
    Calls.push_back("SetValidationMessages(" + Join(lines) + ")");
  }
  void SetConduitlistLength(int count) override {
    Calls.push_back("SetConduitlistLength(" + std::to_string(count) + ")");
    Selected = -1;
    Rows.resize(count, nullptr);
  }
  void ShowConduitlistStats(int64_t total, int groups) override {
    Calls.push_back("ShowConduitlistStats(" + std::to_string(total) + "," + std::to_string(groups) + ")");
  }
  void SetSparePerc(bool applicable, bool isTemplate, double spare) override {
    Calls.push_back("SetSparePerc(" + B(applicable) + "," + B(isTemplate) + "," + Num(spare) + ")");
  }
  void ConfigureSizeSpinners(int decimals, int pageSize, double increment) override {
    Calls.push_back("ConfigureSizeSpinners(" + std::to_string(decimals) + "," + std::to_string(pageSize) + "," +
                    Num(increment) + ")");
  }
  void EnableUndoRedoSave(bool undo, bool redo, bool save) override {
    Calls.push_back("EnableUndoRedoSave(" + B(undo) + "," + B(redo) + "," + B(save) + ")");
    Undo = undo;
    Redo = redo;
    SaveEnabled = save;
  }
  void SetCreatedModified(const std::string& createdBy, const std::string& modifiedBy, TDateTime, TDateTime) override {
    Calls.push_back("SetCreatedModified(" + createdBy + "," + modifiedBy + ")");
  }
  void SetTransitDimensions(int32_t inProject, double width, double height, double radius, double depth) override {
    Calls.push_back("SetTransitDimensions(" + std::to_string(inProject) + "," + Num(width) + "," + Num(height) + "," +
                    Num(radius) + "," + Num(depth) + ")");
  }
  void SetAreas(double available, double conduit, double conduitSleeve, double spare) override {
    Calls.push_back("SetAreas(" + Num(available) + "," + Num(conduit) + "," + Num(conduitSleeve) + "," + Num(spare) +
                    ")");
  }
  void UpdateConduitlistItem(int index, TConduitGroup& group, bool selected) override {
    Calls.push_back("UpdateConduitlistItem(" + std::to_string(index) + "," + std::to_string(group.Amount) + "," +
                    FormatLength(group.OuterDiameter) + "," + B(selected) + ")");
    Rows.at(index) = &group;
    if (selected) Selected = index;
  }

  TFakeServices& Services;
  std::unique_ptr<TPresenterTransitDetail> Presenter;
  int ImageWidth, ImageHeight;
  TColour AreaColour = 0xF0F0F0;
  TBitmap Image;
  std::vector<TConduitGroup*> Rows;
  int Selected = -1;
  bool Undo = false, Redo = false, SaveEnabled = false, Closed = false;

private:
  static std::string B(bool b) { return b ? "1" : "0"; }
};
