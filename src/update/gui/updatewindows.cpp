#include "updatewindows.h"

#include <QPointer>
#include <QWidget>

#include "host.h"
#include "updateform.h"

void RegisterUpdateWindows() { RegisterUpdateWindows(UpdateProgramVersionText); }

void RegisterUpdateWindows(const std::string& versionText) {
  WindowHooks().StartUpdateCheck = [versionText](bool silent) {
    QWidget* owner = MdiHost() ? MdiHost()->MainWindow() : nullptr;
    TUpdateConfig config = DefaultUpdateConfig(versionText);
    QPointer<QWidget> main = owner;
    config.CloseApplication = [main] { return main ? main->close() : true; };
    TfrmUpdate::StartUpdateCheck(silent, config, owner);
  };
}
