// The main window in-process: start without files, restoring the last run's
// windows, cascade, Show..., mm/inch, saving soon after a change, closing.
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <sys/stat.h>

#include "platform/paths.h"
#include "core/draw/export.h"
#include "core/units.h"
#include "editor/recovery.h"
#include "guitest.h"
#include "app/gui/mainwindow.h"
#include "mainwindow_fixture.h"
#include "app/gui/messagesink.h"
#include "app/gui/quitsignals.h"
#include "app/gui/splash.h"
#include "app/gui/startup.h"
#include "store/changes.h"
#include "store/config.h"
#include "store/datafile.h"
#include "store/filesave.h"
#include "store/settings.h"
#include "store/tables.h"

namespace {

// A frame as the program makes it, without the finishing step's dialog.
struct TFrame {
  explicit TFrame(bool testBuild = false) : Frame(testBuild) {
    Frame.findChild<QTimer*>(QStringLiteral("tmrFinishInitializing"))->stop();
  }
  TfrmMain Frame;
};

std::vector<TDummyChild*> FrontToBack(TfrmMain& frame) {
  std::vector<TDummyChild*> result;
  const auto subs = frame.Area()->subWindowList(QMdiArea::StackingOrder);
  for (auto it = subs.rbegin(); it != subs.rend(); ++it) result.push_back(dynamic_cast<TDummyChild*>((*it)->widget()));
  return result;
}

QRect SubGeometry(QWidget* child) { return qobject_cast<QMdiSubWindow*>(child->parentWidget())->geometry(); }

ino_t Inode(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

int32_t AddProject(const char* name) {
  TRecProject* p = Projects.Items(Projects.Add());
  p->Name = name;
  return p->ID;
}

}  // namespace

using MainWindow = TProgramFilesTest;

TEST_F(MainWindow, FirstStartWithoutFilesCreatesThemAndHoldsTheDataFile) {
  // The desktop folders point into the temporary folder; nothing exists yet.
  const QString home = Dir.filePath(QStringLiteral("fresh"));
  const std::string data = (home + QStringLiteral("/data")).toStdString();
  const std::string config = (home + QStringLiteral("/config")).toStdString();
  const TFilePlaces places = FindFilePlaces(Places.ProgramFolder, [&](const char* name) -> const char* {
    if (std::string(name) == "XDG_DATA_HOME") return data.c_str();
    if (std::string(name) == "XDG_CONFIG_HOME") return config.c_str();
    return nullptr;
  });
  std::string error;
  ASSERT_TRUE(CreateFileFolders(places, error)) << error;
  SetProgramFiles(places);
  TQtMessageSink sink;
  SetUserDialogs(&sink);

  // Missing files at the first start are no failure: no box at all (one
  // answer is there only so that a box shown by mistake cannot hang the test).
  TModalAnswers answers({TModalAnswers::Ok()});
  ShowSplash(true);
  PrepareProcessState();
  EXPECT_EQ(CurrentUserName, LoginUserName());
  ASSERT_TRUE(LoadProgramData(places));
  LoadProgramConfiguration(places);
  EXPECT_FALSE(answers.AllRan());
  EXPECT_TRUE(answers.Texts.empty()) << answers.Texts[0];
  EXPECT_EQ(places.DataFile, data + "/trellane/Trellane.tbs");
  EXPECT_TRUE(FileExists(places.DataFile)) << "written at once, so the guard holds from the first start";
  EXPECT_TRUE(DataFileLocked());
  EXPECT_EQ(Customers.Count() + Projects.Count() + Transits.Count() + Conduits.Count(), 0);

  {
    TFrame f;
    f.Frame.show();
    EXPECT_EQ(SplashWindow(), nullptr) << "the splash goes when the main window shows";
    ASSERT_EQ(FrontToBack(f.Frame).size(), 1u);
    EXPECT_EQ(FrontToBack(f.Frame)[0]->Name, "TfrmProjectList");
    EXPECT_TRUE(f.Frame.close());
  }
  EXPECT_TRUE(FileExists(places.ConfigFile));
  EXPECT_TRUE(Settings.WindowLayout.find("TfrmProjectList") != std::string::npos);
}

TEST_F(MainWindow, RestoresTheLastRunsWindowsInTheirPlacesAndOrder) {
  const int32_t kept = AddProject("kept");
  const int32_t gone = 999;
  Settings.SaveWindowPositionsOnExit = true;
  auto record = [](int id, int w, int h, int l, int t, const char* name) {
    return WindowLayoutRecord({id, w, h, l, t, name});
  };
  Settings.WindowLayout = record(0, 320, 210, 30, 40, "TfrmProjectList") +
                          record(gone, 300, 200, 10, 10, "TfrmTransitList") +        // project deleted
                          record(0, 300, 200, 10, 10, "TfrmSomethingElse") +         // unknown class
                          record(0, 300, 200, 10, 10, "TfrmRTFviewer") +             // never restored
                          record(kept, 40, 30, 60, 70, "TfrmTransitList") +          // below the minimum
                          record(kept, 0, -3, 99999999, 5, "TfrmProjectDetail") +    // absurd
                          record(0, 99999, 99999, 5000, 5000, "TfrmCustomerList");   // larger than the frame
  TFrame f;
  f.Frame.show();
  const auto windows = FrontToBack(f.Frame);
  ASSERT_EQ(windows.size(), 4u);
  EXPECT_EQ(windows[0]->Name, "TfrmCustomerList") << "the last record is the front-most";
  EXPECT_EQ(windows[1]->Name, "TfrmProjectDetail");
  EXPECT_EQ(windows[2]->Name, "TfrmTransitList");
  EXPECT_EQ(windows[2]->ViewID, kept);
  EXPECT_EQ(windows[3]->Name, "TfrmProjectList");

  EXPECT_EQ(SubGeometry(windows[3]), QRect(30, 40, 320, 210));
  const QMdiSubWindow* small = qobject_cast<QMdiSubWindow*>(windows[2]->parentWidget());
  EXPECT_EQ(SubGeometry(windows[2]).topLeft(), QPoint(60, 70));
  EXPECT_GE(SubGeometry(windows[2]).width(), small->minimumSizeHint().width());
  EXPECT_GE(windows[2]->height(), windows[2]->minimumHeight());
  // The absurd record keeps the window at its cascade place and size.
  // The absurd record leaves the third window at its cascade place.
  EXPECT_EQ(SubGeometry(windows[1]).topLeft(), QPoint(40, 40));
  // The oversized one is inside the area it gets.
  const QRect big = SubGeometry(windows[0]);
  EXPECT_GE(big.left(), 0);
  EXPECT_GE(big.top(), 0);
  EXPECT_LE(big.width(), 4000);

  // Saving and reopening gives the same windows in the same order and places.
  const std::string saved = f.Frame.BuildWindowLayout(false);
  EXPECT_EQ(saved.size(), 400u);
  EXPECT_EQ(saved.substr(0, 100), record(0, 320, 210, 30, 40, "TfrmProjectList"));
  Settings.WindowLayout = saved;
  TFrame again;
  again.Frame.show();
  const auto reopened = FrontToBack(again.Frame);
  ASSERT_EQ(reopened.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(reopened[i]->Name, windows[i]->Name);
    EXPECT_EQ(SubGeometry(reopened[i]), SubGeometry(windows[i])) << windows[i]->Name;
  }
}

TEST_F(MainWindow, WithoutReopeningOrWithOnlyStaleRecordsTheProjectListOpens) {
  for (bool reopen : {false, true}) {
    Settings.SaveWindowPositionsOnExit = reopen;
    Settings.WindowLayout = WindowLayoutRecord({0, 300, 200, 5, 5, "TfrmCustomerList"});
    if (reopen) Settings.WindowLayout = WindowLayoutRecord({77, 300, 200, 5, 5, "TfrmTransitList"});
    TFrame f;
    f.Frame.show();
    const auto windows = FrontToBack(f.Frame);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->Name, "TfrmProjectList");
  }
}

TEST_F(MainWindow, ABrokenLayoutRecordStopsTheRestoringWithItsMessage) {
  Settings.SaveWindowPositionsOnExit = true;
  std::string bad = WindowLayoutRecord({0, 300, 200, 5, 5, "TfrmTemplateList"});
  bad.replace(0, 8, "   abcde");
  Settings.WindowLayout = WindowLayoutRecord({0, 300, 200, 5, 5, "TfrmCustomerList"}) + bad +
                          WindowLayoutRecord({0, 300, 200, 5, 5, "TfrmTemplateList"});
  TModalAnswers answers({TModalAnswers::Ok()});
  TFrame f;
  f.Frame.show();
  EXPECT_TRUE(answers.AllRan());
  const auto windows = FrontToBack(f.Frame);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0]->Name, "TfrmCustomerList");
}

TEST_F(MainWindow, CascadesNewWindowsAndShowBringsAnOpenOneToTheFront) {
  TFrame f;
  f.Frame.resize(1000, 700);
  f.Frame.show();  // opens the project list at the corner
  QWidget* first = FrontToBack(f.Frame)[0];
  EXPECT_EQ(SubGeometry(first).topLeft(), QPoint(0, 0));
  std::vector<QWidget*> lists;
  for (int id = 1; id <= 4; ++id) lists.push_back(f.Frame.ShowTransitList(id));
  EXPECT_EQ(SubGeometry(lists[3]).topLeft(), QPoint(80, 80)) << "the fifth window";
  EXPECT_EQ(FrontToBack(f.Frame).size(), 5u);

  // One per record: the same project gives the same window, brought forward.
  EXPECT_EQ(f.Frame.ShowTransitList(2), lists[1]);
  EXPECT_EQ(FrontToBack(f.Frame)[0], lists[1]);
  EXPECT_EQ(dynamic_cast<TDummyChild*>(lists[1])->Inits, 1);
  // One per kind, restored from minimised.
  QWidget* customers = f.Frame.ShowCustomerList();
  qobject_cast<QMdiSubWindow*>(customers->parentWidget())->showMinimized();
  f.Frame.ShowProjectList();
  EXPECT_EQ(f.Frame.ShowCustomerList(), customers);
  EXPECT_FALSE(customers->parentWidget()->isMinimized());
  EXPECT_EQ(FrontToBack(f.Frame)[0], customers);
  EXPECT_EQ(FrontToBack(f.Frame).size(), 6u);

  // A window that reaches past the right edge starts again at the left.
  auto* wide = new TDummyChild("TfrmWide");
  wide->resize(f.Frame.Area()->viewport()->width() - 60, 100);
  f.Frame.AddChild(wide);
  EXPECT_EQ(SubGeometry(wide).left(), 0);
  // One wider and higher than the client area is fitted into it, but never
  // below its minimum.
  auto* huge = new TDummyChild("TfrmHuge");
  huge->setMinimumSize(300, 900);
  huge->resize(3000, 2000);
  f.Frame.AddChild(huge);
  EXPECT_LE(SubGeometry(huge).width(), f.Frame.Area()->viewport()->width());
  EXPECT_EQ(huge->size().height(), 900);
  guitest::SaveScreenshot(&f.Frame, QStringLiteral("mainwindow_children"));
}

TEST_F(MainWindow, FixedWindowSizeGivesANewEditorItsSmallestSize) {
  Settings.FixedWindow = true;
  TFrame f;
  f.Frame.show();
  QWidget* editor = f.Frame.ShowTransitDetail(7);
  auto* sub = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
  EXPECT_EQ(sub->minimumSize(), sub->maximumSize());
  EXPECT_FALSE(sub->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(editor->size(), editor->minimumSize());
}

TEST_F(MainWindow, UnitButtonSwitchesAndEveryWindowIsTold) {
  TFrame f;
  f.Frame.show();
  auto* list = dynamic_cast<TDummyChild*>(f.Frame.ShowTransitList(3));
  auto* templates = dynamic_cast<TDummyChild*>(f.Frame.ShowTemplateList());
  auto* button = guitest::Child<QToolButton>(&f.Frame, "btnUnitChange");
  auto* pane = guitest::Child<QLabel>(&f.Frame, "lblUnit");
  EXPECT_EQ(pane->text(), QStringLiteral("mm"));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(CurrentLengthUnit, luInch);
  EXPECT_EQ(pane->text(), QStringLiteral("inch"));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(CurrentLengthUnit, luMillimetre);
  EXPECT_EQ(pane->text(), QStringLiteral("mm"));
  const std::vector<std::pair<int, int>> twice = {{nkUnitChanged, 0}, {nkUnitChanged, 0}};
  EXPECT_EQ(list->Notes, twice);
  EXPECT_EQ(templates->Notes, twice);
}

TEST_F(MainWindow, ToolbarHasItsCaptionsAndImagesAndTheStatusBarItsPanes) {
  TFrame f;
  f.Frame.show();
  // Each caption with its Alt letter; every button is in the Tab chain.
  const std::pair<const char*, const char*> buttons[] = {
      {"btnShowProjects", "&Projects   "}, {"btnCustomers", "&Customers   "},     {"btnTemplates", "&Templates   "},
      {"btnUnitChange", "&mm<>inch   "},   {"btnPreferences", "Pre&ferences   "}, {"btnVersion", "&Version   "}};
  for (const auto& [name, caption] : buttons) {
    auto* button = guitest::Child<QToolButton>(&f.Frame, name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QString::fromLatin1(caption));
    EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus) << name;
    EXPECT_FALSE(button->icon().isNull()) << name;
    EXPECT_FALSE(button->icon().pixmap(QSize(24, 24), 2.0).isNull());
  }
  EXPECT_EQ(f.Frame.minimumSize(), QSize(800, 580));
  EXPECT_EQ(f.Frame.windowTitle(), QStringLiteral("KOVA / GRENTAX / PRAVEN Trellane"));
  for (const char* pane : {"lblUser", "lblEmpty", "lblUnit", "lblDate", "lblTime"})
    EXPECT_NE(f.Frame.findChild<QLabel*>(QString::fromLatin1(pane)), nullptr) << pane;
  QTest::mouseClick(guitest::Child<QToolButton>(&f.Frame, "btnCustomers"), Qt::LeftButton);
  EXPECT_EQ(FrontToBack(f.Frame)[0]->Name, "TfrmCustomerList");
  for (auto* sub : f.Frame.Area()->subWindowList()) sub->close();
  guitest::SaveScreenshot(&f.Frame, QStringLiteral("mainwindow"));

  TFrame test(true);
  test.Frame.show();
  for (auto* sub : test.Frame.Area()->subWindowList()) sub->close();
  EXPECT_EQ(test.Frame.windowTitle(), QStringLiteral("TEST TEST TEST TEST TEST TEST TEST TEST TEST "));
  const QImage shot = test.Frame.Area()->viewport()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() / 2), QColor(240, 255, 240)) << "pale green, no logo";
  guitest::SaveScreenshot(&test.Frame, QStringLiteral("mainwindow_testbuild"));
}

TEST_F(MainWindow, FinishingStepMaximisesAsksTheUserNameAndChecksForUpdatesWhenWanted) {
  std::vector<bool> checks;
  WindowHooks().StartUpdateCheck = [&](bool silent) { checks.push_back(silent); };
  struct TCase {
    bool testBuild, autoUpdate, expectCheck;
  };
  for (const TCase& c : {TCase{false, true, true}, TCase{false, false, false}, TCase{true, true, false}}) {
    checks.clear();
    Settings.AutoUpdate = c.autoUpdate;
    CurrentUserName = "login";
    TModalAnswers answers({[](QWidget* dialog) {
      auto* edit = guitest::Child<QLineEdit>(dialog, "edtUsername");
      EXPECT_EQ(edit->selectedText(), QStringLiteral("login"));
      QTest::keyClicks(edit, QStringLiteral("Jan de Vries"));
      QTest::keyClick(edit, Qt::Key_Return);
    }});
    TfrmMain frame(c.testBuild);
    frame.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return answers.AllRan() && !QApplication::activeModalWidget(); }, 3000));
    EXPECT_TRUE(frame.isMaximized());
    EXPECT_EQ(CurrentUserName, "Jan de Vries");
    EXPECT_EQ(guitest::Child<QLabel>(&frame, "lblUser")->text(), QStringLiteral("User: Jan de Vries"));
    EXPECT_EQ(checks, c.expectCheck ? std::vector<bool>{true} : std::vector<bool>{});
  }
  WindowHooks().StartUpdateCheck = nullptr;
}

TEST_F(MainWindow, AChangeIsSavedOnceWithinASecondForAWholeBurst) {
  ASSERT_TRUE(SaveDataFile(Places.DataFile));
  TFrame f;
  f.Frame.show();
  const ino_t before = Inode(Places.DataFile);
  AddProject("one");
  TablesChanged();
  AddProject("two");
  TablesChanged();
  TablesChanged();
  auto* timer = f.Frame.findChild<QTimer*>(QStringLiteral("tmrSaveSoon"));
  EXPECT_TRUE(timer->isActive());
  EXPECT_LE(timer->remainingTime(), 1000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Inode(Places.DataFile) != before; }, 3000));
  const ino_t saved = Inode(Places.DataFile);
  EXPECT_FALSE(timer->isActive()) << "one save for the burst";
  EXPECT_TRUE(DataFileLocked());
  // What is on disk is the tables now.
  CloseDataFile();
  Projects.Clear();
  ASSERT_TRUE(LoadDataFile(Places.DataFile));
  ASSERT_EQ(Projects.Count(), 2);
  EXPECT_EQ(Projects.Items(1)->Name, "two");
  EXPECT_EQ(Inode(Places.DataFile), saved);
}

TEST_F(MainWindow, ClosingAsksEveryChildAndARefusalKeepsTheProgramOpen) {
  TFrame f;
  f.Frame.show();
  auto* editor = dynamic_cast<TDummyChild*>(f.Frame.ShowTransitDetail(4));
  editor->Refuse = true;
  EXPECT_FALSE(f.Frame.close());
  EXPECT_TRUE(f.Frame.isVisible());
  EXPECT_EQ(editor->CloseQuestions, 1);
  EXPECT_FALSE(FileExists(Places.ConfigFile)) << "nothing saved while a window stays open";
  editor->Refuse = false;
  EXPECT_TRUE(f.Frame.close());
  EXPECT_TRUE(FileExists(Places.ConfigFile));
  EXPECT_TRUE(FileExists(Places.DataFile));
}

TEST_F(MainWindow, ASaveThatFailsAtCloseKeepsTheProgramOpenAndOffersTryAgainOrQuit) {
  TQtMessageSink sink;
  SetUserDialogs(&sink);
  TFrame f;
  f.Frame.show();
  // The data file's folder is gone: every save fails.
  TFilePlaces broken = Places;
  broken.DataFile = Dir.filePath(QStringLiteral("missing/Trellane.tbs")).toStdString();
  SetProgramFiles(broken);
  {
    TModalAnswers answers({TModalAnswers::Ok(), TModalAnswers::Button("Cancel")});
    EXPECT_FALSE(f.Frame.close());
    EXPECT_TRUE(answers.AllRan());
    ASSERT_EQ(answers.Texts.size(), 2u);
    EXPECT_EQ(answers.Texts[0].rfind("Error writing datafile (current changes will not be saved):", 0), 0u);
    EXPECT_NE(answers.Texts[1].find("stays open"), std::string::npos);
    EXPECT_TRUE(f.Frame.isVisible());
  }
  {
    // Try again, now that the folder is back: saved and closed.
    TModalAnswers answers({TModalAnswers::Ok(), [&](QWidget* box) {
                             SetProgramFiles(Places);
                             guitest::ClickButtonWithText(box, QStringLiteral("Try again"));
                           }});
    EXPECT_TRUE(f.Frame.close());
    EXPECT_TRUE(answers.AllRan());
    EXPECT_TRUE(FileExists(Places.DataFile));
  }
  TFrame g;
  g.Frame.show();
  SetProgramFiles(broken);
  TModalAnswers answers({TModalAnswers::Ok(), TModalAnswers::Button("Quit without saving")});
  EXPECT_TRUE(g.Frame.close());
  EXPECT_TRUE(answers.AllRan());
}

TEST_F(MainWindow, ABackgroundSaveFailureShowsInTheNoticeBarWithoutABoxAndIsTriedAgain) {
  TQtMessageSink sink;
  SetUserDialogs(&sink);
  ASSERT_TRUE(SaveDataFile(Places.DataFile));
  TFrame f;
  f.Frame.show();
  auto* notice = guitest::Child<QLabel>(&f.Frame, "lblNotice");
  auto* button = guitest::Child<QToolButton>(&f.Frame, "btnNotice");
  auto* retry = f.Frame.findChild<QTimer*>(QStringLiteral("tmrRetrySave"));
  EXPECT_FALSE(notice->isVisible());
  TFilePlaces broken = Places;
  broken.DataFile = Dir.filePath(QStringLiteral("missing/Trellane.tbs")).toStdString();
  SetProgramFiles(broken);
  AddProject("kept while the folder is gone");
  TablesChanged();
  bool boxSeen = false;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        boxSeen = boxSeen || QApplication::activeModalWidget();
        return notice->isVisible();
      },
      3000));
  EXPECT_FALSE(boxSeen) << "a background save shows no box";
  EXPECT_FALSE(QApplication::activeModalWidget());
  EXPECT_TRUE(notice->text().startsWith(QStringLiteral("Error writing datafile (current changes will not be saved):")));
  EXPECT_EQ(button->text(), QStringLiteral("Try again"));
  EXPECT_TRUE(retry->isActive());
  EXPECT_EQ(retry->interval(), 10000);
  // A failing try keeps the notice; one that succeeds clears it.
  button->click();
  EXPECT_TRUE(notice->isVisible());
  SetProgramFiles(Places);
  retry->setInterval(50);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !notice->isVisible(); }, 3000)) << "the timer tries again";
  EXPECT_FALSE(retry->isActive());
  EXPECT_FALSE(button->isVisible());
  CloseDataFile();
  Projects.Clear();
  ASSERT_TRUE(LoadDataFile(Places.DataFile));
  ASSERT_EQ(Projects.Count(), 1);
  EXPECT_EQ(Projects.Items(0)->Name, "kept while the folder is gone");
  SetUserDialogs(nullptr);
}

TEST_F(MainWindow, AFileKeptAsideByABackgroundSaveIsToldInTheNoticeBar) {
  TQtMessageSink sink;
  SetUserDialogs(&sink);
  {
    std::FILE* file = std::fopen(Places.DataFile.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("damaged", file);
    std::fclose(file);
  }
  {
    TModalAnswers answers({TModalAnswers::Ok(), TModalAnswers::Ok(), TModalAnswers::Ok()});
    ASSERT_TRUE(LoadDataFile(Places.DataFile));
  }
  TFrame f;
  f.Frame.show();
  auto* notice = guitest::Child<QLabel>(&f.Frame, "lblNotice");
  AddProject("after the damage");
  TablesChanged();
  bool boxSeen = false;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        boxSeen = boxSeen || QApplication::activeModalWidget();
        return notice->isVisible();
      },
      3000));
  EXPECT_FALSE(boxSeen);
  EXPECT_TRUE(notice->text().startsWith(QStringLiteral("The data file could not be read when the program started.")))
      << notice->text().toStdString();
  EXPECT_EQ(guitest::Child<QToolButton>(&f.Frame, "btnNotice")->text(), QStringLiteral("OK"));
  guitest::Child<QToolButton>(&f.Frame, "btnNotice")->click();
  EXPECT_FALSE(notice->isVisible());
  SetUserDialogs(nullptr);
}

TEST_F(MainWindow, RecoveredWorkIsOfferedBackAndANewTransitStaysNew) {
  const std::string folder = Dir.filePath(QStringLiteral("state/recovery")).toStdString();
  std::filesystem::create_directories(folder);
  SetRecoveryFolder(folder);
  const int32_t project = AddProject("Deck");
  // A new transit whose record a background save had written before the
  // program was killed, and one that never reached the data file.
  const int leftover = Transits.Add();
  InitTransitRecord(leftover);
  Transits.Items(leftover)->ProjectID = project;
  const int32_t leftoverId = Transits.Items(leftover)->ID;
  auto write = [&](int32_t id, const char* name) {
    TRecoveryCopy copy;
    copy.TransitID = id;
    copy.ProjectID = project;
    copy.IsNew = true;
    copy.Model.Name = name;
    WriteFileAtomically(RecoveryCopyPath(folder, id), EncodeRecoveryCopy(copy));
  };
  write(leftoverId, "left over");
  write(leftoverId + 50, "never saved");
  TFrame f;
  f.Frame.show();
  {
    TModalAnswers answers({TModalAnswers::Button("Discard"), TModalAnswers::Button("Restore")});
    f.Frame.OfferRecoveredWork();
    EXPECT_TRUE(answers.AllRan());
    ASSERT_EQ(answers.Texts.size(), 2u);
    EXPECT_EQ(answers.Texts[0].rfind("The new transit \"left over\" had unsaved changes", 0), 0u);
  }
  EXPECT_LT(Transits.IndexOfID(leftoverId), 0) << "discarded like \"No\" on closing a new transit";
  EXPECT_FALSE(FileExists(RecoveryCopyPath(folder, leftoverId)));
  EXPECT_FALSE(FileExists(RecoveryCopyPath(folder, leftoverId + 50)));
  // Restored into a new record of its project, with its editor open and told it is new.
  ASSERT_EQ(Transits.Count(), 1);
  const int32_t restored = Transits.Items(0)->ID;
  EXPECT_EQ(Transits.Items(0)->ProjectID, project);
  auto* editor = dynamic_cast<TDummyChild*>(FrontToBack(f.Frame).front());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->ViewID, restored);
  EXPECT_NE(std::find(editor->Notes.begin(), editor->Notes.end(), std::make_pair(int(nkTransitCreated), int(restored))),
            editor->Notes.end());
  SetRecoveryFolder("");
}

TEST_F(MainWindow, ATerminationSignalSavesWithoutAskingAnyWindow) {
  const int32_t id = AddProject("kept at the end");
  TFrame f;
  f.Frame.show();
  auto* editor = dynamic_cast<TDummyChild*>(f.Frame.ShowTransitDetail(4));
  editor->Refuse = true;  // would ask about unsaved changes
  auto* list = dynamic_cast<TDummyChild*>(f.Frame.ShowTransitList(id));
  int listCloses = 0, editorCloses = 0;
  list->CloseCount = &listCloses;
  editor->CloseCount = &editorCloses;
  int received = 0;
  ASSERT_TRUE(InstallQuitSignals([&](int signal) {
    received = signal;
    f.Frame.EndWithoutQuestions();
  }));
  ::raise(SIGTERM);
  EXPECT_TRUE(QTest::qWaitFor([&] { return received != 0; }, 3000));
  RemoveQuitSignals();
  EXPECT_EQ(received, SIGTERM);
  EXPECT_TRUE(f.Frame.Area()->subWindowList().isEmpty());
  EXPECT_EQ(editorCloses, 0) << "the editor is not asked";
  EXPECT_EQ(listCloses, 1) << "a list closes as usual, keeping its column widths";
  EXPECT_NE(Settings.WindowLayout.find("TfrmTransitDetail"), std::string::npos);
  CloseDataFile();
  Projects.Clear();
  ASSERT_TRUE(LoadDataFile(Places.DataFile));
  EXPECT_GE(Projects.IndexOfID(id), 0);
  Settings.WindowLayout.clear();
  LoadConfiguration(Places.ConfigFile);
  EXPECT_NE(Settings.WindowLayout.find("TfrmProjectList"), std::string::npos);
}
