#pragma once
// A data set in the real process-wide tables, and a stand-in for the editor
// window and its dialogs: it records, in one list and in order, every
// operation the presenter calls on the window and every dialog it shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <concepts>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/sample_transits.h"
#include "editor/stored_transits.h"
#include "core/units.h"
#include "editor/presenter.h"
#include "store/settings.h"
#include "store/tables.h"
#include "store/transitrecord.h"

using Names = std::vector<std::string>;

inline std::string Arg(const std::string& s) { return s; }
inline std::string Arg(const char* s) { return s; }
inline std::string Arg(bool b) { return b ? "1" : "0"; }
inline std::string Arg(std::integral auto v) { return std::to_string(v); }
inline std::string Arg(double v) {  // shortest plain form: 202000, 0.2
  std::string s = std::to_string(v);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}
inline std::string Arg(const TStringList& list) {
  std::string s;
  for (size_t i = 0; i < list.size(); ++i) s += (i ? "|" : "") + list[i];
  return s;
}

class TFakeTransitView : public TfrmAbstractTransitDetail,
                         public TCollectingDialogs, public TConduitDialog,
                         public TTemplateChooser, public TReportDialog, public TWindowFrame {
  using S = const std::string&;

public:
  void Init(int32_t id) override {
    TfrmMDIchild::ViewID = id;
    const TEditorServices services{this, this, this, this, this};
    Presenter = std::make_unique<TPresenterTransitDetail>(*this, services);
  }
  void Notify(uint8_t code, int32_t id) override {
    if (code == nkTransitDeleted && id == TfrmMDIchild::ViewID)
      ForceCloseForm();
    else if (Presenter)
      Presenter->HandleNotification(code, id);
  }

  // Everything called so far, as "Name(arguments)".
  Names Calls;
  void Clear() { Calls.clear(); }
  // The operation names alone, separated by blanks.
  std::string Sequence() const {
    std::string s;
    for (const S& c : Calls) {
      if (!s.empty()) s += ' ';
      s.append(c, 0, c.find('('));
    }
    return s;
  }
  // The calls of the operations named, in order.
  Names Only(const Names& names) const {
    Names out;
    for (S c : Calls)
      if (std::find(names.begin(), names.end(), c.substr(0, c.find('('))) != names.end()) out.push_back(c);
    return out;
  }
  Names Of(S name) const { return Only({name}); }
  std::string Last(S name) const { return Of(name).empty() ? "" : Of(name).back(); }

  std::unique_ptr<TPresenterTransitDetail> Presenter;
  TBitmap Image;
  const TColour AreaColour = 0xF0F0F0;
  std::vector<TConduitGroup> Rows;  // what each row shows
  int Selected = -1;
  bool Closed = false;
  std::deque<TModalResult> Answers;       // to the message boxes; mrNo when they run out
  std::optional<std::string> NameAnswer;  // to the name prompt; none: cancelled
  std::optional<std::string> Clip;
  struct TTyping {
    double Diameter;  // display unit
    int Amount;
    TModalResult Result = mrOk;
  };
  std::deque<TTyping> Dialogs;  // what the conduit dialogs are given; cancelled when they run out
  int32_t TemplateChoice = -1;

  // The dialogs and desktop services.
  void ShowMessage(S text, S caption = {}) override { Rec("ShowMessage", text, caption); }
  TModalResult AskYesNo(S text, S caption) override { return Ask("AskYesNo", text, caption); }
  TModalResult AskYesNoCancel(S text, S caption) override { return Ask("AskYesNoCancel", text, caption); }
  bool InputQuery(S caption, S prompt, std::string& value) override {
    Rec("InputQuery", caption, prompt, value);
    value = NameAnswer.value_or(value);
    return NameAnswer.has_value();
  }
  bool HasClipboardText() override { return Clip.has_value(); }
  std::string ClipboardText() override { return Clip.value_or(""); }
  void SetClipboardText(S text) override { Clip = text; }
  // Each value typed is written through at once with a quick redraw, which may move the group
  // within the list, then the committing redraw; Cancel puts back the values from the opening.
  TModalResult Execute(TPresenterTransitDetail& p, S caption, TPoint at) override {
    Rec("ConduitDialog", caption, at.X, at.Y);
    if (Dialogs.empty()) return mrCancel;
    const TTyping typing = Dialogs.front();
    Dialogs.pop_front();
    const TConduitGroup saved = p.EditedConduitGroup();
    p.SetEditedConduitGroup(typing.Diameter * LengthUnitFactor(), saved.Amount);
    p.Refresh(true, true, false);
    p.SetEditedConduitGroup(p.EditedConduitGroup().OuterDiameter, typing.Amount);
    p.Refresh(true, true, false);
    if (typing.Result == mrCancel) p.SetEditedConduitGroup(saved.OuterDiameter, saved.Amount);
    p.Refresh(true, false, false);
    return typing.Result;
  }
  int32_t Execute() override { return TemplateChoice; }
  void ShowTransitReport(const TTransit& transit) override { Rec("ShowTransitReport", transit.Name); }
  void SetFixedSize(bool fixed) override { Rec("SetFixedSize", fixed); }

  // The window.
  TBitmap& ImageCanvas() override { Rec("ImageCanvas"); return Image; }
  TPoint PositionEditForm() override { Rec("PositionEditForm"); return TPoint{120, 340}; }
  int32_t ViewID() const override { return TfrmMDIchild::ViewID; }
  int SelectedConduitgroup() override {
    Rec("SelectedConduitgroup");
    return Selected >= 0 && Selected < static_cast<int>(Rows.size()) ? Selected : -1;
  }
  void ActivateTransitname() override { Rec("ActivateTransitname"); }
  void FillHarvantProducts(const TStringList& items) override { Rec("FillHarvantProducts", items); }
  void FillClasses(const TStringList& items) override { Rec("FillClasses", items); }
  void FillConduitTypes(const TStringList& items) override { Rec("FillConduitTypes", items); }
  void FillSealantCartridges(const TStringList& items) override { Rec("FillSealantCartridges", items); }
  void FillSealantLayers(const TStringList& items) override { Rec("FillSealantLayers", items); }
  void FillSubsystems(const TStringList& items) override { Rec("FillSubsystems", items); }
  void GetImageSize(int& width, int& height) override { Rec("GetImageSize"); width = 400; height = 300; }
  void HideForTemplate(bool isTemplate) override { Rec("HideForTemplate", isTemplate); }
  void PrepareTransitImageForDrawing(int width, int height) override {
    Rec("PrepareTransitImageForDrawing", width, height);
    Image.SetSize(width, height);
    Image.Fill(AreaColour);
  }
  void SelectItemInConduitlist(int index) override { Rec("SelectItemInConduitlist", Selected = index); }
  void SetHarvantProduct(TFillSystem v) override { Rec("SetHarvantProduct", FillSystemToText(v)); }
  void SetBusy(bool busy) override { Rec("SetBusy", busy); }
  void SetClassification(TClassification v) override { Rec("SetClassification", ClassificationToText(v)); }
  void SetConduitType(TConduitType v) override { Rec("SetConduitType", ConduitTypeToText(v)); }
  void SetDisclaimerText(const TStringList& lines) override { Rec("SetDisclaimerText", lines.size()); }
  void SetFillingRate(S text, TColor c) override {
    Rec("SetFillingRate", text, c == clRed ? "red" : c == clWindowText ? "text" : "?");
  }
  void SetFillSubsystem(TFillSubsystem v) override { Rec("SetFillSubsystem", FillSubsystemToText(v)); }
  void SetRedrawTimer(bool on) override { Rec("SetRedrawTimer", on); }
  void SetSealantCartridge(TSealantCartridge v) override {
    Rec("SetSealantCartridge", SealantCartridgeToText(v));
  }
  void SetSealantLayer(TSealantLayer v) override { Rec("SetSealantLayer", SealantLayerToText(v)); }
  void SetShape(bool round) override { Rec("SetShape", round); }
  void SetTabPage(int index) override { Rec("SetTabPage", index); }
  void SetTransitname(S name, bool isTemplate) override { Rec("SetTransitname", name, isTemplate); }
  void SetWarning(S text) override { Rec("SetWarning", text); }
  void ShowDepthAlert(S text) override { Rec("ShowDepthAlert", text); }
  void ShowImage() override { Rec("ShowImage"); }
  void SetDepthWarning(S text) override { Rec("SetDepthWarning", text); }
  void ForceCloseForm() override { Rec("ForceCloseForm"); Closed = true; }
  void SetComments(S text) override { Rec("SetComments", text); }
  void SetLabelsPipeCable(S plural, S singular) override { Rec("SetLabelsPipeCable", plural, singular); }
  void SetConduitSleeveSpare(S text) override { Rec("SetConduitSleeveSpare", text); }
  void SetValidationMessages(const TStringList& lines) override { Rec("SetValidationMessages", lines); }
  void SetConduitlistLength(int count) override {
    Rec("SetConduitlistLength", count);
    Selected = -1;
    Rows.resize(count);
  }
  void ShowConduitlistStats(int64_t n, int groups) override { Rec("ShowConduitlistStats", n, groups); }
  void SetSparePerc(bool on, bool tpl, double spare) override { Rec("SetSparePerc", on, tpl, spare); }
  void ConfigureSizeSpinners(int d, int p, double step) override { Rec("ConfigureSizeSpinners", d, p, step); }
  void EnableUndoRedoSave(bool u, bool r, bool s) override { Rec("EnableUndoRedoSave", u, r, s); }
  void SetCreatedModified(S by, S modBy, TDateTime, TDateTime) override {
    Rec("SetCreatedModified", by, modBy);
  }
  void SetTransitDimensions(int32_t inProject, double w, double h, double r, double depth) override {
    Rec("SetTransitDimensions", inProject, w, h, r, depth);
  }
  void SetAreas(double all, double c, double s, double spare) override { Rec("SetAreas", all, c, s, spare); }
  void UpdateConduitlistItem(int index, const TConduitGroup& group, bool selected) override {
    Rec("UpdateConduitlistItem", index, group.Amount, FormatLength(group.OuterDiameter), selected);
    Rows.at(index) = group;
    if (selected) Selected = index;
  }

private:
  template <class... A>
  void Rec(S name, const A&... args) {
    std::string s;
    [[maybe_unused]] int n = 0;
    ((s += (n++ ? "," : "") + Arg(args)), ...);
    Calls.push_back(name + "(" + s + ")");
  }
  TModalResult Ask(S kind, S text, S caption) {
    Rec(kind, text, caption);
    const TModalResult answer = Answers.empty() ? mrNo : Answers.front();
    if (!Answers.empty()) Answers.pop_front();
    return answer;
  }
};


class EditorTest : public ::testing::Test {
protected:
  void SetUp() override {
    Transits.Clear();
    Conduits.Clear();
    SetDefaultSettings();
    CurrentLengthUnit = luMillimetre;
    SetDecimalSeparator('.');
    CurrentUserName = "tester";
    Settings.AntiAliasing = false;  // quick pictures keep the tests fast
  }
  void TearDown() override {
    View.reset();
    CurrentLengthUnit = luMillimetre;
    SetDecimalSeparator('.');
  }

  // Opens the editor for the transit and forgets the calls of the opening.
  TPresenterTransitDetail& Open(int32_t id, bool keepCalls = false) {
    View = std::make_unique<TFakeTransitView>();
    View->Init(id);
    if (!keepCalls) View->Clear();
    return *View->Presenter;
  }
  TPresenterTransitDetail& P() { return *View->Presenter; }
  TFakeTransitView& V() { return *View; }

  std::unique_ptr<TFakeTransitView> View;
};
