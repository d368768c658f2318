#include "app/gui/startup.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

#include "core/catalogue.h"
#include "core/units.h"
#include "app/gui/mainwindow.h"
#include "app/gui/messagesink.h"
#include "store/config.h"
#include "store/datafile.h"
#include "store/filesave.h"
#include "store/settings.h"
#include "store/tables.h"

namespace {
bool FilesLoaded = false;
}

void PrepareProcessState() {
  FilesLoaded = false;
  CurrentUserName = LoginUserName();
  CurrentLengthUnit = luMillimetre;
  Settings.ReservedText.clear();
  // The catalogues are built on first use; build them now, in their order.
  KovaCableSleeves();
  KovaPipeSleeves();
  PravenSleeves();
  GrentaxSleeves();
  VeskamorStrips();
  SingleCrushers();
  MultiCrushers();
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
}

bool LoadProgramData(const TFilePlaces& places) {
  const bool existed = FileExists(places.DataFile);
  if (!LoadDataFile(places.DataFile)) return false;
  if (!existed && !DataFileLocked()) SaveDataFile(places.DataFile);
  return true;
}

void LoadProgramConfiguration(const TFilePlaces& places) {
  LoadConfiguration(places.ConfigFile);
  FilesLoaded = true;
}

void WaitWithSplash(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

void EndProgramQuietly() {
  if (TfrmMain* frame = MainFrame()) {
    frame->EndWithoutQuestions();
  } else if (FilesLoaded) {
    TStderrMessageSink quiet;
    SetUserDialogs(&quiet);
    SaveDataFile(ProgramFiles().DataFile);
    SaveConfiguration(ProgramFiles().ConfigFile);
  }
  std::fflush(nullptr);
  ::_exit(0);
}
