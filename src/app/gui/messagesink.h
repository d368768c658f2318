#pragma once
#include "store/messages.h"

// The persistence functions' messages as the desktop's message boxes (owned
// by the main window, or by the splash while it shows). Each text also goes
// to standard error, so a copy started from a terminal or by another program
// leaves a trace of why it ended.
class TQtMessageSink : public TMessageSink {
public:
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
};

// Only standard error: for saving without questions at the session's end
// or on a termination signal.
class TStderrMessageSink : public TMessageSink {
public:
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
};
