#pragma once
#include "platform/dialogs.h"
#include "platform/gui/qtservices.h"

class QDialog;

// The persistence functions' messages as the desktop's message boxes (owned
// by the main window; before it exists without owner, centred on the screen,
// with the splash hidden meanwhile so it cannot cover the box). Each text also goes
// to standard error, so a copy started from a terminal or by another program
// leaves a trace of why it ended.
class TQtMessageSink : public TQtDialogs {
public:
  void ShowMessage(const std::string& text, const std::string& caption = {}) override;
  void ShowError(const std::string& text) override;
  // In the main window's notice pane, without a box; a box only while there
  // is no main window to show it in.
  void ShowNotice(const std::string& text) override;
};

// Only standard error: for saving without questions at the session's end
// or on a termination signal.
class TStderrMessageSink : public TCollectingDialogs {
public:
  void ShowMessage(const std::string& text, const std::string& caption = {}) override;
  void ShowError(const std::string& text) override;
  void ShowNotice(const std::string& text) override;
};

// Lets the dialog be answered (Enter, Escape, Space on a button) only by a
// key pressed for it: the repeats of a key held down since before it showed,
// and the release of a key pressed before it showed, are dropped.
void GuardAnswerKeys(QDialog* dialog);
