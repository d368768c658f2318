#include "update/gui/updatewindows.h"

#include <QPointer>
#include <QWidget>

#include "platform/gui/host.h"
#include "update/gui/updateform.h"

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
