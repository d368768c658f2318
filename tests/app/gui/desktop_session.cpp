// The real program on a real X server with a window manager, driven with the
// keyboard as a user drives it: what shows in front, what holds the focus and
// what ends up in the files.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QTest>
#include <csignal>
#include <map>
#include <vector>

#include "mainwindow_fixture.h"
#include "store/config.h"
#include "store/datafile.h"
#include "store/settings.h"
#include "store/tables.h"

namespace {

#if defined(TRELLANE_PROGRAM) && defined(TRELLANE_CLI)
const QString Program = QStringLiteral(TRELLANE_PROGRAM);
const QString Cli = QStringLiteral(TRELLANE_CLI);
#else
const QString Program, Cli;
#endif

const QString MainTitle = QStringLiteral("KOVA / GRENTAX / PRAVEN Trellane");
const QString UserNameTitle = QStringLiteral("Enter username");
const QString RunningMessage = QStringLiteral("Can't open datafile, Trellane is already running?");

// An X server of its own (the first free display, told through -displayfd)
// with openbox on it.
class TDesktop {
public:
  ~TDesktop() {
    for (QProcess* p : {&Wm, &X}) {
      if (p->state() == QProcess::NotRunning) continue;
      p->terminate();
      if (!p->waitForFinished(3000)) p->kill();
      p->waitForFinished(3000);
    }
  }

  bool Start(QString& why) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    for (const char* tool : {"xdotool", "xprop", "xwininfo", "import"})
      if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
        why = QStringLiteral("no ") + QString::fromLatin1(tool);
        return false;
      }
    if (xvfb.isEmpty() || openbox.isEmpty()) {
      why = QStringLiteral("no Xvfb or openbox");
      return false;
    }
    X.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                   QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24")});
    if (!X.waitForStarted() || !QTest::qWaitFor([&] { return X.canReadLine(); }, 10000)) {
      why = QStringLiteral("Xvfb did not start");
      return false;
    }
    Display = QLatin1Char(':') + QString::fromLatin1(X.readLine()).trimmed();
    Env = QProcessEnvironment::systemEnvironment();
    Env.insert(QStringLiteral("DISPLAY"), Display);
    Wm.setProcessEnvironment(Env);
    // On a loaded machine openbox may come up slowly or, rarely, give up:
    // one more start before the test fails, with what it said.
    bool managed = false;
    for (int attempt = 0; attempt < 2 && !managed; ++attempt) {
      if (Wm.state() == QProcess::NotRunning) Wm.start(openbox, {});
      managed = Wm.waitForStarted() &&
                QTest::qWaitFor(
                    [&] { return Run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"); }, 20000);
    }
    if (!managed) {
      why = QStringLiteral("openbox did not start: ") + QString::fromLocal8Bit(Wm.readAllStandardError());
      return false;
    }
    return true;
  }

  QString Run(const char* tool, const QStringList& args) const {
    QProcess p;
    p.setProcessEnvironment(Env);
    p.start(QString::fromLatin1(tool), args);
    if (!p.waitForFinished(5000)) {
      p.kill();
      p.waitForFinished(1000);
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  }

  // The managed windows, bottom first (the last is on top).
  std::vector<qulonglong> Stacking() const { return Ids(Run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"})); }
  qulonglong Active() const {
    const auto ids = Ids(Run("xprop", {"-root", "_NET_ACTIVE_WINDOW"}));
    return ids.empty() ? 0 : ids.front();
  }
  QString Title(qulonglong window) const {
    return window ? Run("xdotool", {"getwindowname", QString::number(window)}) : QString();
  }
  qint64 Pid(qulonglong window) const {
    return window ? Run("xdotool", {"getwindowpid", QString::number(window)}).toLongLong() : 0;
  }
  // Where the window shows on the screen; empty when it is not viewable.
  QRect Geometry(qulonglong window) const {
    const QString info = Run("xwininfo", {"-id", QString::number(window)});
    if (!info.contains(QStringLiteral("IsViewable"))) return {};
    auto field = [&](const QString& name) {
      const int at = info.indexOf(name);
      return at < 0 ? 0 : info.mid(at + name.size()).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    };
    return {field(QStringLiteral("Absolute upper-left X:")), field(QStringLiteral("Absolute upper-left Y:")),
            field(QStringLiteral("Width:")), field(QStringLiteral("Height:"))};
  }
  void Key(const QString& keys) const { Run("xdotool", {"key", "--clearmodifiers", keys}); }
  void Type(const QString& text, int delayMs) const {
    Run("xdotool", {"type", "--delay", QString::number(delayMs), text});
  }
  // A picture of the whole screen in the screenshot folder, for looking at.
  void Shot(const QString& name) const {
    QDir().mkpath(QStringLiteral(TRELLANE_SCREENSHOT_DIR));
    Run("import", {"-window", "root", QStringLiteral(TRELLANE_SCREENSHOT_DIR "/desktop-") + name + ".png"});
  }

  // Waits for the focus to go to a window whose title starts with title
  // (and, when given, of that process); returns it or 0.
  qulonglong WaitForActive(const QString& title, qint64 pid = 0, int timeoutMs = 15000) const {
    qulonglong found = 0;
    (void)QTest::qWaitFor(
        [&] {
          const qulonglong w = Active();
          if (w && Title(w).startsWith(title) && (!pid || Pid(w) == pid)) found = w;
          return found != 0;
        },
        timeoutMs);
    return found;
  }

  QString Display;
  QProcessEnvironment Env;

private:
  static std::vector<qulonglong> Ids(const QString& text) {
    std::vector<qulonglong> ids;
    const int hash = text.indexOf(QLatin1Char('#'));
    if (hash < 0) return ids;
    for (const QString& part : text.mid(hash + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
      bool ok = false;
      const qulonglong id = part.trimmed().toULongLong(&ok, 16);
      if (ok && id) ids.push_back(id);
    }
    return ids;
  }
  QProcess X, Wm;
};

class DesktopSession : public TProgramFilesTest {
protected:
  void SetUp() override {
    TProgramFilesTest::SetUp();
    if (Program.isEmpty()) GTEST_SKIP() << "the program is not built";
    QString why;
    // Missing tools skip the test; tools that are there but fail it.
    if (!Desktop.Start(why)) {
      if (why.startsWith(QStringLiteral("no "))) GTEST_SKIP() << why.toStdString();
      FAIL() << why.toStdString();
    }
    Places.DataFile = Dir.filePath(QStringLiteral("home/data/trellane/Trellane.tbs")).toStdString();
    Places.ConfigFile = Dir.filePath(QStringLiteral("home/config/trellane/Trellane.ini")).toStdString();
    std::string error;
    ASSERT_TRUE(CreateFileFolders(Places, error)) << error;
    SetProgramFiles(Places);
  }
  void TearDown() override {
    for (QProcess* p : Started) {
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(3000);
      }
      // The sanitizer build: the program's own checks found nothing.
      const QByteArray errors = ErrorsOf(p);
      EXPECT_FALSE(errors.contains("runtime error") || errors.contains("Sanitizer")) << errors.toStdString();
      delete p;
    }
    CloseDataFile();
    TProgramFilesTest::TearDown();
  }

  // Everything the process wrote to standard error so far.
  QByteArray ErrorsOf(QProcess* p) {
    QByteArray& all = Errors[p];
    all += p->readAllStandardError();
    return all;
  }

  QString Home() const { return Dir.filePath(QStringLiteral("home")); }

  QProcess* StartProgram() {
    QProcessEnvironment env = Desktop.Env;
    env.insert(QStringLiteral("HOME"), Home());
    env.insert(QStringLiteral("XDG_DATA_HOME"), Home() + "/data");
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), Home() + "/config");
    env.insert(QStringLiteral("XDG_STATE_HOME"), Home() + "/state");
    env.insert(QStringLiteral("XDG_CACHE_HOME"), Home() + "/cache");
    QDir().mkpath(Home() + "/runtime");
    QFile::setPermissions(Home() + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Home() + "/runtime");
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("QT_SCALE_FACTOR"));
    auto* p = new QProcess;
    Started.push_back(p);
    p->setProcessEnvironment(env);
    p->start(Program, {});
    EXPECT_TRUE(p->waitForStarted());
    return p;
  }

  // The data file as the command-line tool reads it.
  QJsonObject Dump(const QString& file = {}) {
    QProcess cli;
    cli.start(Cli, {QStringLiteral("dump"), file.isEmpty() ? QString::fromStdString(Places.DataFile) : file});
    cli.waitForFinished(10000);
    return QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
  }

  // The window that holds the focus is a box in front of everything: the top
  // of the stacking, viewable, and centred on the screen (boxes before the
  // main window) or on its main window.
  void ExpectInFront(qulonglong box, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_NE(box, 0u);
    const auto stacking = Desktop.Stacking();
    ASSERT_FALSE(stacking.empty());
    EXPECT_EQ(stacking.back(), box) << "the box that holds the focus is the top window";
    const QRect r = Desktop.Geometry(box);
    ASSERT_FALSE(r.isEmpty()) << "the box is viewable";
    EXPECT_LT(std::abs(r.center().x() - 640), 80);
    EXPECT_LT(std::abs(r.center().y() - 512), 120);
  }

  // Answers every box with Enter until the user name dialog holds the focus;
  // returns how many boxes were answered.
  int AnswerBoxesUntilUserName(QProcess* p, qulonglong& userName, const char* what) {
    int boxes = 0;
    userName = 0;
    for (int round = 0; round < 10 && !userName; ++round) {
      qulonglong w = 0;
      (void)QTest::qWaitFor(
          [&] {
            w = Desktop.Active();
            return (w && Desktop.Pid(w) == p->processId() && Desktop.Title(w) != MainTitle) ||
                   p->state() == QProcess::NotRunning;
          },
          15000);
      if (!w || p->state() == QProcess::NotRunning) break;
      if (Desktop.Title(w).startsWith(UserNameTitle)) {
        userName = w;
        break;
      }
      ExpectInFront(w, what);
      if (boxes == 0) Desktop.Shot(QString::fromLatin1(what));
      ++boxes;
      QTest::qWait(400);  // a user reads the box before answering it
      Desktop.Key(QStringLiteral("Return"));
      (void)QTest::qWaitFor([&] { return Desktop.Active() != w; }, 5000);
    }
    return boxes;
  }

  // Confirms the user name and waits for the main window to hold the focus.
  qulonglong ConfirmUserName(QProcess* p) {
    qulonglong dialog = 0;
    const int boxes = AnswerBoxesUntilUserName(p, dialog, "start");
    EXPECT_EQ(boxes, 0) << "no box at this start";
    if (!dialog) return 0;
    QTest::qWait(300);
    Desktop.Key(QStringLiteral("Return"));
    return Desktop.WaitForActive(MainTitle, p->processId());
  }

  void SaveFiles() {
    ASSERT_TRUE(SaveDataFile(Places.DataFile));
    CloseDataFile();
    ASSERT_TRUE(SaveConfiguration(Places.ConfigFile));
  }

  void Terminate(QProcess* p) {
    ::kill(pid_t(p->processId()), SIGTERM);
    ASSERT_TRUE(p->waitForFinished(10000));
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 0);
  }

  TDesktop Desktop;
  std::vector<QProcess*> Started;
  std::map<QProcess*, QByteArray> Errors;
};

}  // namespace

// A first start asks only for the user name; a second copy is told in front
// of everything, waits for the answer and changes nothing.
TEST_F(DesktopSession, FirstStartAndASecondCopy) {
  QProcess* first = StartProgram();
  qulonglong dialog = 0;
  const int boxes = AnswerBoxesUntilUserName(first, dialog, "first-start");
  EXPECT_EQ(boxes, 0) << "a missing data file and configuration at first start are not failures";
  ASSERT_NE(dialog, 0u) << ErrorsOf(first).toStdString();
  ExpectInFront(dialog, "user name");
  const auto stacking = Desktop.Stacking();
  ASSERT_GE(stacking.size(), 2u);
  EXPECT_EQ(Desktop.Title(stacking[stacking.size() - 2]), MainTitle) << "the dialog is above its main window";
  // It stays until the user answers it.
  QTest::qWait(1000);
  EXPECT_EQ(Desktop.Active(), dialog);
  Desktop.Shot(QStringLiteral("user-name"));
  Desktop.Type(QStringLiteral("Ada Lovelace"), 20);
  Desktop.Key(QStringLiteral("Return"));
  const qulonglong main = Desktop.WaitForActive(MainTitle, first->processId());
  ASSERT_NE(main, 0u);
  ASSERT_TRUE(QFile::exists(QString::fromStdString(Places.DataFile)));
  const QByteArray before = [&] {
    QFile f(QString::fromStdString(Places.DataFile));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  EXPECT_EQ(Dump().value(QStringLiteral("kind")).toString(), QStringLiteral("data"));

  QProcess* second = StartProgram();
  const qulonglong box = Desktop.WaitForActive(QStringLiteral("Trellane"), second->processId());
  ASSERT_NE(box, 0u) << ErrorsOf(second).toStdString();
  ExpectInFront(box, "second copy");
  QTest::qWait(1000);
  EXPECT_EQ(Desktop.Active(), box) << "the box waits for the answer";
  EXPECT_EQ(second->state(), QProcess::Running);
  Desktop.Shot(QStringLiteral("second-copy"));
  Desktop.Key(QStringLiteral("Return"));
  ASSERT_TRUE(second->waitForFinished(5000));
  EXPECT_EQ(second->exitCode(), 1);
  EXPECT_TRUE(ErrorsOf(second).contains(RunningMessage.toUtf8()));
  QFile f(QString::fromStdString(Places.DataFile));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), before) << "the second copy wrote nothing";
  EXPECT_EQ(first->state(), QProcess::Running);

  Terminate(first);
  const QJsonObject data = Dump();
  EXPECT_EQ(data.value(QStringLiteral("kind")).toString(), QStringLiteral("data"));
  EXPECT_TRUE(data.value(QStringLiteral("projects")).toArray().isEmpty());
}

// A damaged data file: its messages come in front of everything, the damaged
// file stays as it was until the first save keeps it aside.
TEST_F(DesktopSession, ADamagedDataFileIsToldInFront) {
  SaveFiles();
  const QByteArray damaged("\x78\x01garbage that no inflate accepts", 33);
  {
    QFile f(QString::fromStdString(Places.DataFile));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(damaged);
  }
  QProcess* p = StartProgram();
  qulonglong dialog = 0;
  const int boxes = AnswerBoxesUntilUserName(p, dialog, "damaged-data-file");
  EXPECT_GE(boxes, 1) << "the damaged file is told";
  ASSERT_NE(dialog, 0u);
  ExpectInFront(dialog, "user name");
  Desktop.Key(QStringLiteral("Return"));
  ASSERT_NE(Desktop.WaitForActive(MainTitle, p->processId()), 0u);
  QFile f(QString::fromStdString(Places.DataFile));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), damaged) << "nothing written over the damaged file yet";
  f.close();
  Terminate(p);
  const QStringList aside =
      QDir(QFileInfo(f).absolutePath()).entryList({QStringLiteral("Trellane.tbs.unreadable-*")}, QDir::Files);
  ASSERT_EQ(aside.size(), 1);
  QFile kept(QFileInfo(f).absolutePath() + "/" + aside.front());
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), damaged);
  EXPECT_EQ(Dump().value(QStringLiteral("kind")).toString(), QStringLiteral("data"));
}

// The data folder cannot be written while the user types in a new project's
// window: the failed background save takes no key; it shows in the main
// window, and a later try saves the whole name.
TEST_F(DesktopSession, AFailingBackgroundSaveLeavesTheTypingAlone) {
  SaveFiles();
  QProcess* p = StartProgram();
  const qulonglong main = ConfirmUserName(p);
  ASSERT_NE(main, 0u);
  // The folder is taken away and a file put in its place: no one, root
  // included, can write there.
  const QString folder = QFileInfo(QString::fromStdString(Places.DataFile)).absolutePath();
  ASSERT_TRUE(QDir().rename(folder, folder + ".away"));
  {
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  Desktop.Key(QStringLiteral("Insert"));  // a new project in the project list
  QTest::qWait(300);
  Desktop.Type(QStringLiteral("RO test"), 250);  // well past the save a second after the change
  size_t most = 0;
  for (int i = 0; i < 5; ++i) {
    most = std::max(most, Desktop.Stacking().size());
    QTest::qWait(100);
  }
  EXPECT_EQ(Desktop.Active(), main) << "no box took the focus";
  Desktop.Key(QStringLiteral("Return"));  // the project window's OK
  QTest::qWait(500);
  EXPECT_EQ(most, 1u) << "no window besides the main window";
  EXPECT_EQ(Desktop.Stacking().size(), 1u);
  EXPECT_EQ(Desktop.Active(), main);
  EXPECT_TRUE(ErrorsOf(p).contains("Error writing datafile"));
  Desktop.Shot(QStringLiteral("save-failed"));

  ASSERT_TRUE(QFile::remove(folder));
  ASSERT_TRUE(QDir().rename(folder + ".away", folder));
  // The next try comes by itself.
  bool saved = false;
  (void)QTest::qWaitFor(
      [&] {
        const QJsonArray projects = Dump().value(QStringLiteral("projects")).toArray();
        saved = !projects.isEmpty() && projects.last().toObject().value(QStringLiteral("name")).toString() ==
                                           QStringLiteral("RO test");
        return saved;
      },
      15000);
  EXPECT_TRUE(saved) << "the retry saved the project with its whole name";
  Desktop.Shot(QStringLiteral("save-retried"));
  Terminate(p);
}

// SIGTERM with two editors holding unsaved work: nothing unsaved goes into
// the data file, the never-saved new transit goes, and the next start offers
// both back; restored, the new transit is new again.
TEST_F(DesktopSession, UnsavedEditorWorkComesBackAfterSigterm) {
  const int p = Projects.Add();
  Projects.Items(p)->Name = "Deck";
  const int32_t projectId = Projects.Items(p)->ID;
  const int t = Transits.Add();
  InitTransitRecord(t);
  Transits.Items(t)->ProjectID = projectId;
  Transits.Items(t)->Name = "Stored";
  const int32_t storedId = Transits.Items(t)->ID;
  Settings.SaveWindowPositionsOnExit = true;
  Settings.WindowLayout = WindowLayoutRecord({projectId, 500, 300, 300, 300, "TfrmTransitList"}) +
                          WindowLayoutRecord({storedId, 700, 560, 0, 0, "TfrmTransitDetail"});
  SaveFiles();
  const QString recovery = Home() + "/state/trellane/recovery";

  QProcess* first = StartProgram();
  ASSERT_NE(ConfirmUserName(first), 0u);
  // The stored transit's editor is in front, its name field ready.
  Desktop.Key(QStringLiteral("End"));
  Desktop.Type(QStringLiteral(" 2"), 30);
  Desktop.Key(QStringLiteral("Tab"));
  QTest::qWait(300);
  // A new transit from the project's transit list, behind it: its editor
  // opens with the name field ready.
  Desktop.Key(QStringLiteral("ctrl+Tab"));
  QTest::qWait(300);
  Desktop.Key(QStringLiteral("Insert"));
  QTest::qWait(500);
  Desktop.Type(QStringLiteral("Fresh"), 30);
  Desktop.Key(QStringLiteral("Tab"));
  QTest::qWait(300);
  Desktop.Shot(QStringLiteral("recovery-before"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QDir(recovery).entryList(QDir::Files).size() == 2; }, 5000))
      << QDir(recovery).entryList(QDir::Files).join(' ').toStdString();
  Terminate(first);
  Desktop.Shot(QStringLiteral("recovery-after"));
  const QJsonObject data = Dump();
  const QJsonArray transits = data.value(QStringLiteral("transits")).toArray();
  ASSERT_EQ(transits.size(), 1) << "the never-saved new transit is gone";
  EXPECT_EQ(transits[0].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Stored"));
  const QStringList copies = QDir(recovery).entryList(QDir::Files);
  ASSERT_EQ(copies.size(), 2) << copies.join(' ').toStdString();

  QProcess* second = StartProgram();
  qulonglong dialog = 0;
  EXPECT_EQ(AnswerBoxesUntilUserName(second, dialog, "restart"), 0);
  ASSERT_NE(dialog, 0u);
  QTest::qWait(300);
  Desktop.Key(QStringLiteral("Return"));
  int offers = 0;
  for (int i = 0; i < copies.size(); ++i) {
    const qulonglong box = Desktop.WaitForActive(QStringLiteral("Trellane"), second->processId(), 5000);
    if (!box || Desktop.Title(box) == MainTitle) break;
    ++offers;
    ExpectInFront(box, "recovery");
    Desktop.Shot(QStringLiteral("recovery-offer"));
    QTest::qWait(400);
    Desktop.Key(QStringLiteral("Return"));  // "Restore"
    (void)QTest::qWaitFor([&] { return Desktop.Active() != box; }, 5000);
  }
  EXPECT_EQ(offers, copies.size());
  QTest::qWait(1500);
  Desktop.Shot(QStringLiteral("recovery-restored"));
  Terminate(second);
  const QJsonArray after = Dump().value(QStringLiteral("transits")).toArray();
  ASSERT_EQ(after.size(), 1) << "a restored new transit is new again: it goes unsaved as before";
  EXPECT_EQ(after[0].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Stored"))
      << "restored work is still unsaved work: not in the data file";
  // Both copies are back, for the new transit under its new identifier.
  EXPECT_EQ(QDir(recovery).entryList(QDir::Files).size(), 2);
}
