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
#include <QTest>
#include <csignal>
#include <map>
#include <vector>

#include "gui_support/desktop.h"
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

class DesktopSession : public TProgramFilesTest {
protected:
  void SetUp() override {
    TProgramFilesTest::SetUp();
    if (Program.isEmpty()) GTEST_SKIP() << "the program is not built";
    QString why;
    // Missing tools skip the test; tools that are there but fail it.
    if (!Desktop.Start(QSize(1280, 1024), why)) {
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
    auto* p = new QProcess;
    Started.push_back(p);
    EXPECT_TRUE(Desktop.Launch(*p, Program, {}, Home()));
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
    EXPECT_LT(std::abs(r.center().x() - Desktop.Screen.width() / 2), 80);
    EXPECT_LT(std::abs(r.center().y() - Desktop.Screen.height() / 2), 120);
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
      if (boxes == 0) Desktop.Shot(QStringLiteral("desktop-") + QString::fromLatin1(what));
      ++boxes;
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
  EXPECT_TRUE(TDesktop::Stays([&] { return Desktop.Active() == dialog; }, 1000))
      << "it stays until the user answers it";
  Desktop.Shot(QStringLiteral("desktop-user-name"));
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
  EXPECT_TRUE(TDesktop::Stays([&] { return Desktop.Active() == box; }, 1000)) << "the box waits for the answer";
  EXPECT_EQ(second->state(), QProcess::Running);
  Desktop.Shot(QStringLiteral("desktop-second-copy"));
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
  Desktop.Type(QStringLiteral("RO"), 30);
  // The save a second after the change fails while the user is typing; the
  // rest of the name comes after it.
  ASSERT_TRUE(QTest::qWaitFor([&] { return ErrorsOf(p).contains("Error writing datafile"); }, 15000))
      << ErrorsOf(p).toStdString();
  Desktop.Type(QStringLiteral(" test"), 100);
  EXPECT_EQ(Desktop.Stacking().size(), 1u) << "no window besides the main window";
  EXPECT_EQ(Desktop.Active(), main) << "no box took the focus";
  Desktop.Key(QStringLiteral("Return"));  // the project window's OK
  Desktop.Shot(QStringLiteral("desktop-save-failed"));

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
  EXPECT_EQ(Desktop.Stacking().size(), 1u) << "no window besides the main window";
  EXPECT_EQ(Desktop.Active(), main);
  Desktop.Shot(QStringLiteral("desktop-save-retried"));
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
  ASSERT_TRUE(QTest::qWaitFor([&] { return QDir(recovery).entryList(QDir::Files).size() == 1; }, 5000))
      << "the renamed transit's copy";
  // A new transit from the project's transit list, behind it: its editor
  // opens with the name field ready.
  Desktop.Key(QStringLiteral("ctrl+Tab"));
  Desktop.Key(QStringLiteral("Insert"));
  Desktop.Type(QStringLiteral("Fresh"), 30);
  Desktop.Key(QStringLiteral("Tab"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QDir(recovery).entryList(QDir::Files).size() == 2; }, 5000))
      << QDir(recovery).entryList(QDir::Files).join(' ').toStdString();
  Desktop.Shot(QStringLiteral("desktop-recovery-before"));
  Terminate(first);
  Desktop.Shot(QStringLiteral("desktop-recovery-after"));
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
  Desktop.Key(QStringLiteral("Return"));
  int offers = 0;
  for (int i = 0; i < copies.size(); ++i) {
    const qulonglong box = Desktop.WaitForActive(QStringLiteral("Trellane"), second->processId(), 5000);
    if (!box || Desktop.Title(box) == MainTitle) break;
    ++offers;
    ExpectInFront(box, "recovery");
    Desktop.Shot(QStringLiteral("desktop-recovery-offer"));
    Desktop.Key(QStringLiteral("Return"));  // "Restore"
    (void)QTest::qWaitFor([&] { return Desktop.Active() != box; }, 5000);
  }
  EXPECT_EQ(offers, copies.size());
  ASSERT_NE(Desktop.WaitForActive(MainTitle, second->processId()), 0u) << "the main window again";
  Desktop.Shot(QStringLiteral("desktop-recovery-restored"));
  Terminate(second);
  const QJsonArray after = Dump().value(QStringLiteral("transits")).toArray();
  ASSERT_EQ(after.size(), 1) << "a restored new transit is new again: it goes unsaved as before";
  EXPECT_EQ(after[0].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Stored"))
      << "restored work is still unsaved work: not in the data file";
  // Both copies are back, for the new transit under its new identifier.
  EXPECT_EQ(QDir(recovery).entryList(QDir::Files).size(), 2);
}
