// The real program in processes of its own: a second copy refused, SIGTERM
// saving, and a process killed after a change losing nothing.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/gui/mainwindow.h"
#include "gui_support/desktop.h"
#include "mainwindow_fixture.h"
#include "app/gui/startup.h"
#include "store/changes.h"
#include "store/config.h"
#include "store/datafile.h"
#include "store/settings.h"
#include "store/tables.h"

namespace {

// Whether some process holds the data file's lock.
bool Locked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return held;
}

ino_t Inode(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class MainWindowProcess : public TProgramFilesTest {
protected:
  void SetUp() override {
    TProgramFilesTest::SetUp();
    TRecProject* project = Projects.Items(Projects.Add());
    project->Name = "Harbour deck";
    ASSERT_TRUE(SaveDataFile(Places.DataFile));
    CloseDataFile();
    ASSERT_TRUE(SaveConfiguration(Places.ConfigFile));
    Projects.Clear();
  }
  QProcessEnvironment Environment(const char* platform = "offscreen") const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), Dir.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), Dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), Dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
    return env;
  }
  // Loads the data file as it is on disk now into this process's tables.
  void LoadFromDisk() {
    CloseDataFile();
    ASSERT_FALSE(Locked(Places.DataFile));
    ASSERT_TRUE(LoadDataFile(Places.DataFile));
    CloseDataFile();
  }
};

#ifdef TRELLANE_PROGRAM
const QString Program = QStringLiteral(TRELLANE_PROGRAM);
#else
const QString Program;
#endif

}  // namespace

TEST_F(MainWindowProcess, ASecondCopyIsRefusedAndSigtermSavesTheFirst) {
  if (Program.isEmpty()) GTEST_SKIP() << "the program is not built";
  // Both copies on a desktop of their own, where a key press answers the
  // second copy's message box as a user would.
  TDesktop desktop;
  QString why;
  if (!desktop.Start(QSize(1024, 768), why)) {
    if (why.startsWith(QStringLiteral("no "))) GTEST_SKIP() << why.toStdString();
    FAIL() << why.toStdString();
  }

  QProcess first;
  ASSERT_TRUE(desktop.Launch(first, Program, {}, Dir.path()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Locked(Places.DataFile); }, 10000)) << "the first copy holds the file";
  const ino_t inode = Inode(Places.DataFile);
  QFile file(QString::fromStdString(Places.DataFile));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  file.close();
  // Past its start the first copy's main window is up, asking for the user name.
  const qulonglong userName = desktop.WaitForActive(QStringLiteral("Enter username"), first.processId());
  ASSERT_NE(userName, 0u) << first.readAllStandardError().toStdString();

  QProcess second;
  ASSERT_TRUE(desktop.Launch(second, Program, {}, Dir.path()));
  const qulonglong box = desktop.WaitForActive(QStringLiteral("Trellane"), second.processId());
  ASSERT_NE(box, 0u) << second.readAllStandardError().toStdString();
  desktop.Key(QStringLiteral("Return"));
  ASSERT_TRUE(second.waitForFinished(10000));
  const QByteArray errors = second.readAllStandardError();
  EXPECT_TRUE(errors.contains("Can't open datafile, Trellane is already running?")) << errors.toStdString();
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 1);
  // The first copy's file is untouched and still held.
  EXPECT_EQ(Inode(Places.DataFile), inode);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), bytes);
  file.close();
  EXPECT_TRUE(Locked(Places.DataFile));
  EXPECT_EQ(first.state(), QProcess::Running);
  EXPECT_EQ(desktop.WaitForWindow(first.processId(), QStringLiteral("Enter username")), userName) << "still asking";

  // SIGTERM: the first copy saves as at a normal close and ends with 0.
  const ino_t config = Inode(Places.ConfigFile);
  ::kill(pid_t(first.processId()), SIGTERM);
  ASSERT_TRUE(first.waitForFinished(10000));
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first.exitCode(), 0);
  EXPECT_NE(Inode(Places.DataFile), inode) << "written again";
  EXPECT_NE(Inode(Places.ConfigFile), config);
  LoadFromDisk();
  ASSERT_EQ(Projects.Count(), 1);
  EXPECT_EQ(Projects.Items(0)->Name, "Harbour deck");
}

// Run in a process of its own by the test below: a change, then waiting to be killed.
TEST_F(MainWindowProcess, DISABLED_ChangesThenWaits) {
  if (qEnvironmentVariableIsEmpty("TRELLANE_TEST_CHILD")) GTEST_SKIP();
  // The files of the test that started this process.
  const std::string dir = qEnvironmentVariable("TRELLANE_TEST_CHILD_DIR").toStdString();
  Places.DataFile = dir + "/data/trellane/Trellane.tbs";
  Places.ConfigFile = dir + "/config/trellane/Trellane.ini";
  SetProgramFiles(Places);
  PrepareProcessState();
  ASSERT_TRUE(LoadProgramData(Places));
  LoadProgramConfiguration(Places);
  TfrmMain frame(false);
  frame.findChild<QTimer*>(QStringLiteral("tmrFinishInitializing"))->stop();
  frame.show();
  TRecProject* project = Projects.Items(Projects.Add());
  project->Name = "Saved before the kill";
  TablesChanged();
  QTest::qWait(30000);
}

TEST_F(MainWindowProcess, AProcessKilledAfterAChangeLosesNothingThatWasSaved) {
  const ino_t before = Inode(Places.DataFile);
  QProcess child;
  QProcessEnvironment env = Environment();
  env.insert(QStringLiteral("TRELLANE_TEST_CHILD"), QStringLiteral("1"));
  env.insert(QStringLiteral("TRELLANE_TEST_CHILD_DIR"), Dir.path());
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_also_run_disabled_tests"),
               QStringLiteral("--gtest_filter=MainWindowProcess.DISABLED_ChangesThenWaits")});
  ASSERT_TRUE(child.waitForStarted());
  ASSERT_TRUE(QTest::qWaitFor([&] { return Inode(Places.DataFile) != before || child.state() != QProcess::Running; },
                              10000));
  ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardOutput().toStdString();
  ::kill(pid_t(child.processId()), SIGKILL);
  ASSERT_TRUE(child.waitForFinished(5000));
  EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
  LoadFromDisk();
  ASSERT_EQ(Projects.Count(), 2);
  EXPECT_EQ(Projects.Items(1)->Name, "Saved before the kill");
}
