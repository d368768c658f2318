// The real program on a real X server with a window manager (Xvfb and
// openbox), driven by xdotool: which window is on top and which has the
// keyboard only shows there. Read from _NET_CLIENT_LIST_STACKING and
// _NET_ACTIVE_WINDOW; screenshots go to the screenshot folder for review.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <cmath>
#include <csignal>
#include <map>

#include "editor/stored_transits.h"
#include "gui_support/desktop.h"
#include "mainwindow_fixture.h"
#include "store/config.h"
#include "store/datafile.h"
#include "store/settings.h"
#include "store/tables.h"

namespace {

#ifdef TRELLANE_PROGRAM
const QString Program = QStringLiteral(TRELLANE_PROGRAM);
#else
const QString Program;
#endif

const QString MainCaption = QStringLiteral("KOVA / GRENTAX / PRAVEN Trellane");

class DesktopStacking : public TProgramFilesTest {
protected:
  void SetUp() override {
    TProgramFilesTest::SetUp();
    if (Program.isEmpty()) GTEST_SKIP() << "the program is not built";
    QString why;
    // Missing tools skip the test; tools that are there but fail it.
    if (!Desktop.Start(QSize(1600, 1000), why)) {
      if (why.startsWith(QStringLiteral("no "))) GTEST_SKIP() << why.toStdString();
      FAIL() << why.toStdString();
    }
    TRecProject* project = Projects.Items(Projects.Add());
    project->Name = "Harbour deck";
    ProjectID = project->ID;
    // Resizing it asks whether the depth should change too.
    TTransit t = MakeTransit(fsKova, ctCables, clA, 100, 100, 50, 300);
    AddGroup(t, 30, 20);
    TransitID = StoreTransit(t, "Deck 4", ProjectID);
    ASSERT_TRUE(SaveDataFile(Places.DataFile));
    CloseDataFile();
  }
  void TearDown() override {
    if (Trellane.state() != QProcess::NotRunning) {
      Trellane.terminate();
      if (!Trellane.waitForFinished(5000)) {
        Trellane.kill();
        Trellane.waitForFinished(3000);
      }
    }
    TProgramFilesTest::TearDown();
  }

  // The program's visible window with exactly this caption (0 when none).
  qulonglong Window(const QString& caption) { return Desktop.Window(Trellane.processId(), caption); }
  bool OnTop(qulonglong window) {
    const std::vector<qulonglong> stacking = Desktop.Stacking();
    return !stacking.empty() && stacking.back() == window;
  }

  // Starts the program with the project list, the transit list and the
  // editor open (in that order, the editor in front) and answers the user
  // name box. Returns the main window.
  qulonglong Start() {
    SetDefaultSettings();
    Settings.SaveWindowPositionsOnExit = true;
    auto record = [](int32_t id, int left, const char* name) {
      TWindowLayoutEntry e;
      e.ViewID = id;
      e.Width = 820;
      e.Height = 560;
      e.Left = left;
      e.Top = left;
      e.ClassName = name;
      return WindowLayoutRecord(e);
    };
    Settings.WindowLayout = record(0, 0, "TfrmProjectList") + record(ProjectID, 40, "TfrmTransitList") +
                            record(TransitID, 80, "TfrmTransitDetail");
    EXPECT_TRUE(SaveConfiguration(Places.ConfigFile));
    Trellane.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    EXPECT_TRUE(Desktop.Launch(Trellane, Program, {}, Dir.path()));
    qulonglong user = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (user = Window(QStringLiteral("Enter username"))) != 0; }, 20000));
    // Its caption is its own text, nothing added.
    EXPECT_EQ(Desktop.Title(user), QStringLiteral("Enter username"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Desktop.Active() == user; }, 5000));
    Desktop.Key(QStringLiteral("Return"));
    qulonglong frame = 0;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return (frame = Window(MainCaption)) != 0 && Desktop.Active() == frame; }, 10000));
    return frame;
  }
  // Ends the program with SIGTERM (it saves the window layout without
  // questions) and returns the class names of the layout, back-most first.
  std::vector<std::string> EndAndReadLayout() {
    ::kill(pid_t(Trellane.processId()), SIGTERM);
    EXPECT_TRUE(Trellane.waitForFinished(10000));
    Settings.WindowLayout.clear();
    LoadConfiguration(Places.ConfigFile);
    std::vector<std::string> names;
    for (const TWindowLayoutEntry& e : ParseWindowLayout(Settings.WindowLayout)) names.push_back(e.ClassName);
    return names;
  }

  int32_t ProjectID = 0, TransitID = 0;
  TDesktop Desktop;
  QProcess Trellane;
};

}  // namespace

// The depth question of "Resize to fit" is on top with the keyboard while it
// is up; afterwards the editor is still the front child window, not the
// transit list behind it.
TEST_F(DesktopStacking, TheEditorStaysInFrontAfterItsDepthQuestion) {
  const qulonglong frame = Start();
  ASSERT_NE(frame, 0u);
  Desktop.Key(QStringLiteral("alt+r"));
  qulonglong box = 0;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (box = Window(QStringLiteral("Resize transit"))) != 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Desktop.Active() == box && OnTop(box); }, 5000))
      << "the box holds the keyboard and is the top window";
  Desktop.Shot(QStringLiteral("desktop_depth_question"));
  Desktop.Key(QStringLiteral("Return"));  // Yes
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return Window(QStringLiteral("Resize transit")) == 0 && Desktop.Active() == frame; }, 10000));
  EXPECT_TRUE(TDesktop::Stays([&] { return Desktop.Active() == frame; }, 300)) << "the frame keeps the keyboard";
  Desktop.Shot(QStringLiteral("desktop_after_resize"));
  const std::vector<std::string> layout = EndAndReadLayout();
  ASSERT_EQ(layout.size(), 3u);
  EXPECT_EQ(layout.back(), "TfrmTransitDetail") << "the editor is the front child window";
}

// Ctrl+F4 closes the editor, and the transit list it was opened from comes
// forward, not the project list that is older.
TEST_F(DesktopStacking, ClosingTheEditorBringsTheTransitListForward) {
  const qulonglong frame = Start();
  ASSERT_NE(frame, 0u);
  Desktop.Key(QStringLiteral("ctrl+F4"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Desktop.Active() == frame; }, 5000));
  Desktop.Shot(QStringLiteral("desktop_after_closing_editor"));

  // The preferences from the keyboard: a fixed border without minimise or
  // maximise (the window manager is told so), on top with the keyboard.
  Desktop.Key(QStringLiteral("alt+f"));
  qulonglong prefs = 0;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (prefs = Window(QStringLiteral("Preferences"))) != 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Desktop.Active() == prefs && OnTop(prefs); }, 5000));
  const QString hints = Desktop.Property(prefs, "_MOTIF_WM_HINTS");
  const QStringList values = hints.section(QLatin1Char('='), 1).split(QLatin1Char(','));
  ASSERT_GE(values.size(), 3) << hints.toStdString();
  const uint functions = values[1].trimmed().toUInt(nullptr, 16);
  const uint decorations = values[2].trimmed().toUInt(nullptr, 16);
  EXPECT_NE(functions & 0x1, 0x1u) << "not every function";
  EXPECT_EQ(functions & 0x18, 0u) << "no minimise, no maximise";
  EXPECT_EQ(decorations & 0x60, 0u) << "no minimise or maximise button";
  const QString size = Desktop.Property(prefs, "WM_NORMAL_HINTS");
  const QRegularExpression minimum(QStringLiteral("minimum size: (\\d+) by (\\d+)"));
  const QRegularExpression maximum(QStringLiteral("maximum size: (\\d+) by (\\d+)"));
  EXPECT_TRUE(minimum.match(size).hasMatch() && maximum.match(size).hasMatch()) << size.toStdString();
  EXPECT_EQ(minimum.match(size).captured(0).mid(8), maximum.match(size).captured(0).mid(8)) << size.toStdString();
  // What the window manager offers the user: closing, and no maximising of
  // the fixed border (openbox offers minimising whatever a window asks).
  const QString actions = Desktop.Property(prefs, "_NET_WM_ALLOWED_ACTIONS");
  EXPECT_TRUE(actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE"))) << actions.toStdString();
  EXPECT_FALSE(actions.contains(QStringLiteral("_NET_WM_ACTION_MAXIMIZE"))) << actions.toStdString();
  EXPECT_FALSE(actions.contains(QStringLiteral("_NET_WM_ACTION_RESIZE"))) << actions.toStdString();
  Desktop.Shot(QStringLiteral("desktop_preferences"));
  Desktop.Key(QStringLiteral("Escape"));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return Window(QStringLiteral("Preferences")) == 0 && Desktop.Active() == frame; }, 5000));

  const std::vector<std::string> layout = EndAndReadLayout();
  ASSERT_EQ(layout.size(), 2u);
  EXPECT_EQ(layout.back(), "TfrmTransitList");
  EXPECT_EQ(layout.front(), "TfrmProjectList");
}

// "Import cable schedule..." from the transit list, with the keyboard: the
// import window is on top with the keyboard, so is its file dialog, and the
// summary it leaves up afterwards; the data file holds the new transits.
TEST_F(DesktopStacking, TheScheduleImportIsOnTopWithTheKeyboard) {
  const QString schedule = Dir.filePath(QStringLiteral("yard schedule.csv"));
  {
    QFile file(schedule);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Tag;Penetration;Outer diameter;Qty\r\nC-1;Deck 4;12,5;2\r\nC-2;\"Deck 4; Deck 5\";20,5;1\r\n"
               "C-3;;10;1\r\n");
  }
  const qulonglong frame = Start();
  ASSERT_NE(frame, 0u);
  Desktop.Key(QStringLiteral("ctrl+F4"));  // the editor closes; the transit list is in front with its list focused
  ASSERT_TRUE(QTest::qWaitFor([&] { return Desktop.Active() == frame; }, 5000));
  // From the list along its buttons: add, delete, copy, export, import, and
  // "Import cable schedule...".
  Desktop.Key(QStringLiteral("Tab Tab Tab Tab Tab Tab space"));
  const QString caption = QStringLiteral("Import cable schedule into project 'Harbour deck'");
  qulonglong import = 0;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (import = Window(caption)) != 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Desktop.Active() == import && OnTop(import); }, 5000))
      << "the import window holds the keyboard and is the top window";

  Desktop.Key(QStringLiteral("alt+b"));
  qulonglong files = 0;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (files = Window(QStringLiteral("Open cable schedule"))) != 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Desktop.Active() == files && OnTop(files); }, 5000));
  Desktop.Type(schedule, 20);
  Desktop.Key(QStringLiteral("Return"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Window(QStringLiteral("Open cable schedule")) == 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Desktop.Active() == import && OnTop(import); }, 5000));
  Desktop.Shot(QStringLiteral("desktop_schedule_import"));

  Desktop.Key(QStringLiteral("ctrl+Return"));
  qulonglong summary = 0;
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return (summary = Window(QStringLiteral("Cable schedule imported"))) != 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Window(caption) == 0; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Desktop.Active() == summary && OnTop(summary); }, 5000))
      << "the summary holds the keyboard and is the top window";
  Desktop.Shot(QStringLiteral("desktop_schedule_summary"));
  Desktop.Key(QStringLiteral("Escape"));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return Window(QStringLiteral("Cable schedule imported")) == 0 && Desktop.Active() == frame; }, 5000));

  EndAndReadLayout();
  ASSERT_TRUE(LoadDataFile(Places.DataFile));
  std::map<std::string, std::map<long, int>> groups;
  for (int i = 0; i < Transits.Count(); ++i) {
    const TRecTransit* t = Transits.Items(i);
    if (t->ProjectID != ProjectID) continue;
    for (int c : Conduits.IndexesOfTransit(t->ID))
      groups[t->Name][std::lround(Conduits.Items(c)->OuterDiameter)] += Conduits.Items(c)->Amount;
  }
  CloseDataFile();
  EXPECT_EQ(groups["Deck 4"], (std::map<long, int>{{12500, 2}, {20500, 1}})) << "replaced";
  EXPECT_EQ(groups["Deck 5"], (std::map<long, int>{{20500, 1}}));
  EXPECT_EQ(groups.size(), 2u);
}
