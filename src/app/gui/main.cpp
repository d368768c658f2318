// Trellane, the desktop program: start-up, then the main window's event loop.
#include <QApplication>
#include <QSessionManager>
#include <QStyleHints>

#include "app/paths.h"
#include "mainwindow.h"
#include "messagesink.h"
#include "programimages.h"
#include "programwindows.h"
#include "qtext.h"
#include "qtservices.h"
#include "quitsignals.h"
#include "splash.h"
#include "startup.h"
#include "store/datafile.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("trellane"));
  QApplication::setApplicationDisplayName(QStringLiteral("Trellane"));
  InitProgramImages();

  // ---- Self-install (update subsystem) -------------------------------------
  // Started as the downloaded installer, the program installs itself and ends
  // here, before any window opens or any file of the program is touched:
  //   int installerStatus = 0;
  //   <the update windows' Retry/Cancel box> dialog;
  //   if (RunAsInstallerIfNeeded(RunningExecutablePath(), dialog, installerStatus)) return installerStatus;
  // --------------------------------------------------------------------------

  // A termination signal or the desktop session's end saves as a normal close
  // does, without questions, and ends with status 0.
  InstallQuitSignals([](int) { EndProgramQuietly(); });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, [](QSessionManager&) { EndProgramQuietly(); });
  QObject::connect(&app, &QGuiApplication::saveStateRequest, [](QSessionManager&) {
    if (TfrmMain* frame = MainFrame()) frame->SaveQuietly();
  });

  TQtMessageSink messages;
  SetMessageSink(&messages);

  const TFilePlaces places = FindFilePlaces(RunningProgramFolder());
  std::string error;
  if (!CreateFileFolders(places, error)) {
    ShowErrorBox(nullptr, "Error reading datafile:", error);
    return 1;
  }
  SetProgramFiles(places);

  ShowSplash(true);
  PrepareProcessState();
  if (!LoadProgramData(places)) {  // another copy runs: end, writing nothing
    ShowSplash(false);
    SetMessageSink(nullptr);
    return 1;
  }

  // ---- Left-over download folder (update subsystem) ------------------------
  // Only now, with the data file held, so a copy that was refused above never
  // touches the files of the copy that runs (desktop trash, else removed):
  //   RemoveDownloadFolder(FolderOf(RunningExecutablePath()));
  // --------------------------------------------------------------------------

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
  SetMessageSink(nullptr);
  return status;
}
