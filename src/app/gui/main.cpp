// Trellane, the desktop program: start-up, then the main window's event loop.
#include <QApplication>
#include <QSessionManager>
#include <QStyleHints>

#include "platform/paths.h"
#include "app/gui/longhints.h"
#include "app/gui/mainwindow.h"
#include "app/gui/messagesink.h"
#include "app/gui/programimages.h"
#include "app/gui/programwindows.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "app/gui/quitsignals.h"
#include "app/gui/splash.h"
#include "app/gui/startup.h"
#include "app/recordnotices.h"
#include "editor/recovery.h"
#include "store/datafile.h"
#ifdef TRELLANE_HAS_UPDATE
#include "update/gui/installerdialog.h"
#include "update/selfinstall.h"
#endif

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The name boxes carry as their caption. No display name: the desktop
  // would add it to every window's own caption ("Enter username — Trellane").
  QApplication::setApplicationName(QStringLiteral("Trellane"));
  InitProgramImages();
  TLongHints longHints;
  app.installEventFilter(&longHints);

#ifdef TRELLANE_HAS_UPDATE
  // Started as the downloaded installer, the program installs itself and ends
  // here, before any window opens or any file of the program is touched.
  {
    TQtInstallerDialog installerDialog;
    int installerStatus = 0;
    if (RunAsInstallerIfNeeded(RunningExecutablePath(), installerDialog, installerStatus)) return installerStatus;
  }
#endif

  // A termination signal or the desktop session's end saves as a normal close
  // does, without questions, and ends with status 0.
  InstallQuitSignals([](int) { EndProgramQuietly(); });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, [](QSessionManager&) { EndProgramQuietly(); });
  QObject::connect(&app, &QGuiApplication::saveStateRequest, [](QSessionManager&) {
    if (TfrmMain* frame = MainFrame()) frame->SaveQuietly();
  });

  TQtMessageSink messages;
  SetUserDialogs(&messages);
  TellWindowsOfRecordChanges();

  const TFilePlaces places = FindFilePlaces(RunningProgramFolder());
  std::string error;
  if (!CreateFileFolders(places, error)) {
    ShowErrorBox(nullptr, "Error reading datafile:", error);
    return 1;
  }
  SetProgramFiles(places);
  SetRecoveryFolder(places.RecoveryFolder);

  ShowSplash(true);
  PrepareProcessState();
  if (!LoadProgramData(places)) {  // another copy runs: end, writing nothing
    ShowSplash(false);
    SetUserDialogs(nullptr);
    return 1;
  }

#ifdef TRELLANE_HAS_UPDATE
  // Only now, with the data file held, so a copy that was refused above never
  // touches the files of the copy that runs (to the desktop trash).
  RemoveDownloadFolder(FolderOf(RunningExecutablePath()));
#endif

  LoadProgramConfiguration(places);
  WaitWithSplash(1500);

  RegisterProgramWindows();
  int status = 0;
  {
    TfrmMain frame;
    frame.show();
    status = app.exec();
  }
  CloseDataFile();
  SetUserDialogs(nullptr);
  return status;
}
