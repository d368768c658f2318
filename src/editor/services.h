#pragma once
#include <cstdint>
#include <string>

#include "core/enums.h"
#include "platform/dialogs.h"
#include "editor/transitview.h"

class TTransit;
class TPresenterTransitDetail;

// The dialogs of its own that the transit editor uses, each behind a small
// interface so that the window supplies them and tests stand in; the common
// boxes come through the program's one dialog interface.

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
  // Message boxes, the name prompt and the clipboard.
  TUserDialogs* Dialogs = nullptr;
  TConduitDialog* ConduitDialog = nullptr;
  TTemplateChooser* TemplateChooser = nullptr;
  TReportDialog* ReportDialog = nullptr;
  TWindowFrame* WindowFrame = nullptr;
};
