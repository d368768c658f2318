#pragma once
#include "update/selfinstall.h"

// The installer's error box with Retry and Cancel.
class TQtInstallerDialog : public TInstallerDialog {
public:
  bool AskRetry(const std::string& text) override;
};
