// The real program on a real X server with a window manager (Xvfb and
// openbox), driven by xdotool: which window is on top and which has the
// keyboard only shows there. Read from _NET_CLIENT_LIST_STACKING and
// _NET_ACTIVE_WINDOW; screenshots go to the screenshot folder for review.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <cmath>
#include <csignal>
#include <map>
#include <sys/stat.h>

#include "editor/stored_transits.h"
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
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop", "import"})
      if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) Missing = tool;
    if (Program.isEmpty()) Missing = "the program";
    if (!Missing.empty()) return;
    TRecProject* project = Projects.Items(Projects.Add());
    project->Name = "Harbour deck";
    ProjectID = project->ID;
    // Resizing it asks whether the depth should change too.
    TTransit t = MakeTransit(fsKova, ctCables, clA, 100, 100, 50, 300);
    AddGroup(t, 30, 20);
    TransitID = StoreTransit(t, "Deck 4", ProjectID);
    ASSERT_TRUE(SaveDataFile(Places.DataFile));
    CloseDataFile();

    Server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                          QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                                          QStringLiteral("1600x1000x24")});
    ASSERT_TRUE(Server.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Server.canReadLine(); }, 10000));
    Display = QLatin1Char(':') + QString::fromLatin1(Server.readLine()).trimmed();
    QDir().mkpath(Dir.filePath(QStringLiteral("run")));
    ::chmod(Dir.filePath(QStringLiteral("run")).toLocal8Bit().constData(), 0700);
    // On a loaded machine openbox may come up slowly or, rarely, give up:
    // one more start before the test fails, with what it said.
    Wm.setProcessEnvironment(Environment());
    bool managed = false;
    for (int attempt = 0; attempt < 2 && !managed; ++attempt) {
      if (Wm.state() == QProcess::NotRunning) Wm.start(QStringLiteral("openbox"), {});
      ASSERT_TRUE(Wm.waitForStarted());
      managed = QTest::qWaitFor(
          [&] { return Tool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"); }, 20000);
    }
    ASSERT_TRUE(managed) << "openbox: " << Wm.readAllStandardError().toStdString();
  }
  void TearDown() override {
    for (QProcess* p : {&Trellane, &Wm, &Server})
      if (p->state() != QProcess::NotRunning) {
        p->terminate();
        if (!p->waitForFinished(5000)) {
          p->kill();
          p->waitForFinished(3000);
        }
      }
    TProgramFilesTest::TearDown();
  }

  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), Display);
    env.insert(QStringLiteral("HOME"), Dir.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), Dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), Dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("QT_SCALE_FACTOR"));
    return env;
  }

  QString Tool(const char* tool, const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(Environment());
    p.start(QString::fromLatin1(tool), args);
    if (!p.waitForFinished(5000)) {
      p.kill();
      p.waitForFinished(1000);
    }
    return QString::fromUtf8(p.readAllStandardOutput());
  }
  QString Tool(const char* tool, std::initializer_list<const char*> args) {
    QStringList list;
    for (const char* a : args) list << QString::fromLatin1(a);
    return Tool(tool, list);
  }

  // The client windows bottom to top, and the active one.
  std::vector<qulonglong> Stacking() {
    std::vector<qulonglong> ids;
    const QString text = Tool("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
    const QRegularExpression hex(QStringLiteral("0x[0-9a-f]+"));
    for (auto it = hex.globalMatch(text.section(QLatin1Char('#'), 1)); it.hasNext();)
      ids.push_back(it.next().captured().toULongLong(nullptr, 16));
    return ids;
  }
  qulonglong Active() {
    const QString text = Tool("xprop", {"-root", "_NET_ACTIVE_WINDOW"});
    const QRegularExpression hex(QStringLiteral("0x[0-9a-f]+"));
    const auto m = hex.match(text);
    return m.hasMatch() ? m.captured().toULongLong(nullptr, 16) : 0;
  }
  // xdotool's pattern (a POSIX extended expression) of exactly this caption:
  // only its special characters escaped, as GNU reads "\'" as the text's end.
  static QString ExactName(const QString& caption) {
    QString pattern = QStringLiteral("^");
    for (QChar c : caption) {
      if (QStringLiteral(".[]{}()*+?^$|\\").contains(c)) pattern += QLatin1Char('\\');
      pattern += c;
    }
    return pattern + QLatin1Char('$');
  }
  // The program's visible window with exactly this caption (0 when none).
  qulonglong Window(const QString& caption) {
    const QStringList ids = Tool("xdotool", QStringList{QStringLiteral("search"), QStringLiteral("--all"),
                                                        QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                                        QString::number(Trellane.processId()), QStringLiteral("--name"),
                                                        ExactName(caption)})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return ids.isEmpty() ? 0 : ids.last().toULongLong();
  }
  QString Caption(qulonglong id) {
    const QString text = Tool("xprop", QStringList{QStringLiteral("-id"), QString::number(id), QStringLiteral("_NET_WM_NAME")});
    const int quote = text.indexOf(QLatin1Char('"'));
    return quote < 0 ? QString() : text.mid(quote + 1, text.lastIndexOf(QLatin1Char('"')) - quote - 1);
  }
  void Keys(const char* keys) { Tool("xdotool", {"key", "--clearmodifiers", keys}); }
  void Screenshot(const QString& name) {
    const QString dir = qEnvironmentVariable("TRELLANE_SCREENSHOTS", QStringLiteral(TRELLANE_SCREENSHOT_DIR));
    QDir().mkpath(dir);
    Tool("import", QStringList{QStringLiteral("-window"), QStringLiteral("root"), dir + QLatin1Char('/') + name +
                                                                                    QStringLiteral(".png")});
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
    Trellane.setProcessEnvironment(Environment());
    Trellane.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Trellane.start(Program, {});
    EXPECT_TRUE(Trellane.waitForStarted());
    qulonglong user = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (user = Window(QStringLiteral("Enter username"))) != 0; }, 20000));
    // Its caption is its own text, nothing added.
    EXPECT_EQ(Caption(user), QStringLiteral("Enter username"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Active() == user; }, 5000));
    Keys("Return");
    qulonglong frame = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (frame = Window(MainCaption)) != 0 && Active() == frame; }, 10000));
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

  std::string Missing;
  int32_t ProjectID = 0, TransitID = 0;
  QString Display;
  QProcess Server, Wm, Trellane;
};

}  // namespace

// The depth question of "Resize to fit" is on top with the keyboard while it
// is up; afterwards the editor is still the front child window, not the
// transit list behind it.
TEST_F(DesktopStacking, TheEditorStaysInFrontAfterItsDepthQuestion) {
  if (!Missing.empty()) GTEST_SKIP() << Missing << " is missing";
  const qulonglong frame = Start();
  ASSERT_NE(frame, 0u);
  Keys("alt+r");
  qulonglong box = 0;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (box = Window(QStringLiteral("Resize transit"))) != 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Active() == box && !Stacking().empty() && Stacking().back() == box; }, 5000))
      << "the box holds the keyboard and is the top window";
  Screenshot(QStringLiteral("desktop_depth_question"));
  Keys("Return");  // Yes
  EXPECT_TRUE(QTest::qWaitFor([&] { return Window(QStringLiteral("Resize transit")) == 0 && Active() == frame; }, 10000));
  QTest::qWait(300);  // the frame settles its activation (nothing to poll for: it must not change)
  Screenshot(QStringLiteral("desktop_after_resize"));
  const std::vector<std::string> layout = EndAndReadLayout();
  ASSERT_EQ(layout.size(), 3u);
  EXPECT_EQ(layout.back(), "TfrmTransitDetail") << "the editor is the front child window";
}

// Ctrl+F4 closes the editor, and the transit list it was opened from comes
// forward, not the project list that is older.
TEST_F(DesktopStacking, ClosingTheEditorBringsTheTransitListForward) {
  if (!Missing.empty()) GTEST_SKIP() << Missing << " is missing";
  const qulonglong frame = Start();
  ASSERT_NE(frame, 0u);
  Keys("ctrl+F4");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Active() == frame; }, 5000));
  Screenshot(QStringLiteral("desktop_after_closing_editor"));

  // The preferences from the keyboard: a fixed border without minimise or
  // maximise (the window manager is told so), on top with the keyboard.
  Keys("alt+f");
  qulonglong prefs = 0;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (prefs = Window(QStringLiteral("Preferences"))) != 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Active() == prefs && Stacking().back() == prefs; }, 5000));
  const QString hints = Tool("xprop", QStringList{QStringLiteral("-id"), QString::number(prefs),
                                                  QStringLiteral("_MOTIF_WM_HINTS")});
  const QStringList values = hints.section(QLatin1Char('='), 1).split(QLatin1Char(','));
  ASSERT_GE(values.size(), 3) << hints.toStdString();
  const uint functions = values[1].trimmed().toUInt(nullptr, 16);
  const uint decorations = values[2].trimmed().toUInt(nullptr, 16);
  EXPECT_NE(functions & 0x1, 0x1u) << "not every function";
  EXPECT_EQ(functions & 0x18, 0u) << "no minimise, no maximise";
  EXPECT_EQ(decorations & 0x60, 0u) << "no minimise or maximise button";
  const QString size = Tool("xprop", QStringList{QStringLiteral("-id"), QString::number(prefs),
                                                 QStringLiteral("WM_NORMAL_HINTS")});
  const QRegularExpression minimum(QStringLiteral("minimum size: (\\d+) by (\\d+)"));
  const QRegularExpression maximum(QStringLiteral("maximum size: (\\d+) by (\\d+)"));
  EXPECT_TRUE(minimum.match(size).hasMatch() && maximum.match(size).hasMatch()) << size.toStdString();
  EXPECT_EQ(minimum.match(size).captured(0).mid(8), maximum.match(size).captured(0).mid(8)) << size.toStdString();
  // What the window manager offers the user: closing, and no maximising of
  // the fixed border (openbox offers minimising whatever a window asks).
  const QString actions = Tool("xprop", QStringList{QStringLiteral("-id"), QString::number(prefs),
                                                    QStringLiteral("_NET_WM_ALLOWED_ACTIONS")});
  EXPECT_TRUE(actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE"))) << actions.toStdString();
  EXPECT_FALSE(actions.contains(QStringLiteral("_NET_WM_ACTION_MAXIMIZE"))) << actions.toStdString();
  EXPECT_FALSE(actions.contains(QStringLiteral("_NET_WM_ACTION_RESIZE"))) << actions.toStdString();
  Screenshot(QStringLiteral("desktop_preferences"));
  Keys("Escape");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Window(QStringLiteral("Preferences")) == 0 && Active() == frame; }, 5000));

  const std::vector<std::string> layout = EndAndReadLayout();
  ASSERT_EQ(layout.size(), 2u);
  EXPECT_EQ(layout.back(), "TfrmTransitList");
  EXPECT_EQ(layout.front(), "TfrmProjectList");
}

// "Import cable schedule..." from the transit list, with the keyboard: the
// import window is on top with the keyboard, so is its file dialog, and the
// summary it leaves up afterwards; the data file holds the new transits.
TEST_F(DesktopStacking, TheScheduleImportIsOnTopWithTheKeyboard) {
  if (!Missing.empty()) GTEST_SKIP() << Missing << " is missing";
  const QString schedule = Dir.filePath(QStringLiteral("yard schedule.csv"));
  {
    QFile file(schedule);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Tag;Penetration;Outer diameter;Qty\r\nC-1;Deck 4;12,5;2\r\nC-2;\"Deck 4; Deck 5\";20,5;1\r\n"
               "C-3;;10;1\r\n");
  }
  const qulonglong frame = Start();
  ASSERT_NE(frame, 0u);
  Keys("ctrl+F4");  // the editor closes; the transit list is in front with its list focused
  ASSERT_TRUE(QTest::qWaitFor([&] { return Active() == frame; }, 5000));
  // From the list along its buttons: add, delete, copy, export, import, and
  // "Import cable schedule...".
  Tool("xdotool", {"key", "--clearmodifiers", "--delay", "80", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space"});
  const QString caption = QStringLiteral("Import cable schedule into project 'Harbour deck'");
  qulonglong import = 0;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (import = Window(caption)) != 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Active() == import && Stacking().back() == import; }, 5000))
      << "the import window holds the keyboard and is the top window";

  Keys("alt+b");
  qulonglong files = 0;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (files = Window(QStringLiteral("Open cable schedule"))) != 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Active() == files && Stacking().back() == files; }, 5000));
  Tool("xdotool", QStringList{QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), schedule});
  Keys("Return");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Window(QStringLiteral("Open cable schedule")) == 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Active() == import && Stacking().back() == import; }, 5000));
  Screenshot(QStringLiteral("desktop_schedule_import"));

  Keys("ctrl+Return");
  qulonglong summary = 0;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (summary = Window(QStringLiteral("Cable schedule imported"))) != 0; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Window(caption) == 0; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Active() == summary && Stacking().back() == summary; }, 5000))
      << "the summary holds the keyboard and is the top window";
  Screenshot(QStringLiteral("desktop_schedule_summary"));
  Keys("Escape");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Window(QStringLiteral("Cable schedule imported")) == 0 && Active() == frame; },
                              5000));

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
