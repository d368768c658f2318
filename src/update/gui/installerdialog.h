#pragma once
#include "platform/gui/qtservices.h"

// The installer's dialogs: its error box with Retry and Cancel reads its
// long first line unbroken.
class TQtInstallerDialog : public TQtDialogs {
public:
  bool AskRetry(const std::string& text) override;
};
