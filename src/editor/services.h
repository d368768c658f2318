#pragma once
#include <cstdint>
#include <string>

#include "core/enums.h"
#include "editor/transitview.h"

class TTransit;
class TPresenterTransitDetail;

// The desktop services and dialogs the transit editor uses, each behind a
// small interface so that the window supplies them and tests stand in.

enum TModalResult : uint8_t { mrCancel = 0, mrOk = 1, mrYes = 2, mrNo = 3 };

class TMessageBoxes {
public:
  virtual ~TMessageBoxes() = default;
  // A plain message box with an OK button.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  // Yes/No: mrYes or mrNo.
  virtual TModalResult AskYesNo(const std::string& text, const std::string& caption) = 0;
  // Yes/No/Cancel: mrYes, mrNo or mrCancel.
  virtual TModalResult AskYesNoCancel(const std::string& text, const std::string& caption) = 0;
};

class TInputBox {
public:
  virtual ~TInputBox() = default;
  // False when the box was cancelled; otherwise value holds the answer.
  virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
};

class TClipboard {
public:
  virtual ~TClipboard() = default;
  virtual bool HasText() = 0;
  virtual std::string GetText() = 0;
  virtual void SetText(const std::string& text) = 0;
};

// The modal dialog in which one conduit group's amount and outer diameter are
// edited in place. The dialog reads the group's values through the
// presenter's EditedConduitGroup() and writes them back through
// SetEditedConduitGroup(); the presenter follows the group through the
// sorting of every refresh. Cancel puts back the group's values from the
// dialog's opening. Result mrOk or mrCancel.
class TConduitDialog {
public:
  virtual ~TConduitDialog() = default;
  virtual TModalResult Execute(TPresenterTransitDetail& presenter, const std::string& caption, TPoint topLeft) = 0;
};

class TTemplateChooser {
public:
  virtual ~TTemplateChooser() = default;
  // The identifier of the chosen template, or -1.
  virtual int32_t Execute() = 0;
};

class TReportDialog {
public:
  virtual ~TReportDialog() = default;
  // Shows the material report dialog of one transit modally.
  virtual void ShowTransitReport(const TTransit& transit) = 0;
};

// The editor window's frame. Fixed: a single border that cannot be sized, no
// maximise button, width and height set to the window's minimum; otherwise
// a sizeable border with the maximise button.
class TWindowFrame {
public:
  virtual ~TWindowFrame() = default;
  virtual void SetFixedSize(bool fixed) = 0;
};

struct TEditorServices {
  TMessageBoxes* MessageBoxes = nullptr;
  TInputBox* InputBox = nullptr;
  TClipboard* Clipboard = nullptr;
  TConduitDialog* ConduitDialog = nullptr;
  TTemplateChooser* TemplateChooser = nullptr;
  TReportDialog* ReportDialog = nullptr;
  TWindowFrame* WindowFrame = nullptr;
};
