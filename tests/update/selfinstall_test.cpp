#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <thread>

#include "update/selfinstall.h"
#include "updateserver.h"

using namespace updatetest;

namespace {

class TScriptedDialog : public TCollectingDialogs {
public:
  std::vector<bool> Answers;
  std::vector<std::string> Texts;
  std::function<void()> OnAsk;
  bool AskRetry(const std::string& text) override {
    Texts.push_back(text);
    if (OnAsk) OnAsk();
    const bool answer = !Answers.empty() && Answers.front();
    if (!Answers.empty()) Answers.erase(Answers.begin());
    return answer;
  }
};

// Holds the data file the way a running copy of the program does.
class TRunningCopy {
public:
  explicit TRunningCopy(const std::string& dataFile) {
    Fd = ::open(dataFile.c_str(), O_RDWR | O_CREAT, 0600);
    ::flock(Fd, LOCK_EX);
  }
  ~TRunningCopy() { End(); }
  void End() {
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
  }

private:
  int Fd = -1;
};

// A second process that holds the data file the way a running copy does,
// until Release; before it lets go it notes whether the program beside it is
// still the old one.
class THolderProcess {
public:
  THolderProcess(const std::string& dataFile, const std::string& program) {
    int ready[2], release[2];
    if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0) return;
    Pid = ::fork();
    if (Pid == 0) {
      // Only system calls from here on.
      ::close(ready[0]);
      ::close(release[1]);
      const int fd = ::open(dataFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
      if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(2);
      char c = 1;
      if (::write(ready[1], &c, 1) != 1) ::_exit(2);
      while (::read(release[0], &c, 1) > 0) {
      }
      char text[32] = {};
      const int p = ::open(program.c_str(), O_RDONLY | O_CLOEXEC);
      const ssize_t n = p >= 0 ? ::read(p, text, sizeof text) : -1;
      ::_exit(n == 11 && std::memcmp(text, "old program", 11) == 0 ? 0 : 3);
    }
    ::close(ready[1]);
    ::close(release[0]);
    ReleaseFd = release[1];
    char c = 0;
    HoldingLock = Pid > 0 && ::read(ready[0], &c, 1) == 1;  // the child ends (EOF) if it cannot lock
    ::close(ready[0]);
  }
  ~THolderProcess() { Release(); }
  bool Holding() const { return HoldingLock; }
  // Ends the holder: 0 when the program was still the old one.
  int Release() {
    if (ReleaseFd >= 0) ::close(ReleaseFd);
    ReleaseFd = -1;
    if (Pid <= 0) return ExitCode;
    int status = 0;
    if (::waitpid(Pid, &status, 0) == Pid && WIFEXITED(status)) ExitCode = WEXITSTATUS(status);
    Pid = -1;
    return ExitCode;
  }

private:
  pid_t Pid = -1;
  int ReleaseFd = -1;
  bool HoldingLock = false;
  int ExitCode = -1;
};

class SelfInstall : public ::testing::Test {
protected:
  TTempFolder Folder;
  std::string Target = Folder / "trellane";
  std::string Installer = Folder / "_NewVersion/update";
  std::vector<std::string> Started;
  TInstallOptions Options;
  void SetUp() override {
    std::filesystem::create_directory(Folder / "_NewVersion");
    WriteFile(Target, "old program", 0755);
    WriteFile(Installer, "new program", 0700);
    Options.PauseMs = 5;
    Options.Start = [this](const std::string& path) {
      Started.push_back(path);
      return true;
    };
  }
};

TEST_F(SelfInstall, CopiesOverTheProgramKeepingTheOldOneAndStartsIt) {
  TScriptedDialog dialog;
  EXPECT_EQ(InstallNewVersion(Installer, Target, dialog, Options), TInstallOutcome::Installed);
  EXPECT_EQ(ReadFile(Target), "new program");
  EXPECT_EQ(ReadFile(Target + ".old"), "old program");
  EXPECT_EQ(std::filesystem::status(Target).permissions() & std::filesystem::perms::owner_exec,
            std::filesystem::perms::owner_exec);
  EXPECT_EQ(Started, std::vector<std::string>{Target});
  EXPECT_TRUE(dialog.Texts.empty());
  for (const auto& entry : std::filesystem::directory_iterator(Folder.Path()))
    EXPECT_EQ(entry.path().filename().string().rfind(".trellane.new", 0), std::string::npos);
}

TEST_F(SelfInstall, WaitsWhileTheOldProgramRunsThenInstalls) {
  // A second process holds the data file through a whole series of attempts
  // and ends only when the Retry question comes; the program it ran from is
  // still the old one when it lets go.
  THolderProcess holder(Folder / ProgramDataFileName, Target);
  ASSERT_TRUE(holder.Holding());
  TScriptedDialog dialog;
  dialog.Answers = {true};
  int holderExit = -1;
  dialog.OnAsk = [&] { holderExit = holder.Release(); };
  Options.Attempts = 3;
  EXPECT_EQ(InstallNewVersion(Installer, Target, dialog, Options), TInstallOutcome::Installed);
  EXPECT_EQ(dialog.Texts.size(), 1u);
  EXPECT_EQ(holderExit, 0) << "the program was replaced while its data file was held";
  EXPECT_EQ(ReadFile(Target), "new program");
  EXPECT_EQ(Started, std::vector<std::string>{Target});
}

TEST_F(SelfInstall, TheNewProgramGetsAPlainModeWhateverTheOldOneHad) {
  const mode_t saved = ::umask(022);
  for (mode_t mask : {mode_t(022), mode_t(077), mode_t(027)}) {
    ::umask(mask);
    WriteFile(Target, "old program", 0755);
    ::chmod(Target.c_str(), 06777);  // setuid, setgid, world-writable
    TScriptedDialog dialog;
    EXPECT_EQ(InstallNewVersion(Installer, Target, dialog, Options), TInstallOutcome::Installed);
    struct stat st {};
    ASSERT_EQ(::lstat(Target.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0755 & ~mask) << std::oct << mask;
  }
  ::umask(saved);
}

TEST_F(SelfInstall, AFifoInPlaceOfTheDataFileDoesNotStallTheInstall) {
  const std::string fifo = Folder / ProgramDataFileName;
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  TScriptedDialog dialog;
  auto install = std::async(std::launch::async, [&] { return InstallNewVersion(Installer, Target, dialog, Options); });
  if (install.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    // Stuck in open(): a writer lets it go on, so the test can end.
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
    ADD_FAILURE() << "the install hung on the FIFO";
  }
  EXPECT_EQ(install.get(), TInstallOutcome::Installed);
  EXPECT_EQ(ReadFile(Target), "new program");
}

TEST_F(SelfInstall, TheEarlierBackupSurvivesAFullDiskAndAPlantedLink) {
  const std::string backup = Target + ".old";
  WriteFile(Target, std::string(256 * 1024, 'o'), 0755);
  WriteFile(backup, "earlier backup", 0755);
  // A full disk: no file may grow past 64 KiB for a moment.
  rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string reason;
  const bool copied = MakeBackupCopy(Target, backup, reason, false);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(copied);
  EXPECT_NE(reason.find("The old program cannot be kept as a backup"), std::string::npos) << reason;
  EXPECT_EQ(ReadFile(backup), "earlier backup");
  // Nothing is left of the copy that did not fit.
  for (const auto& entry : std::filesystem::directory_iterator(Folder.Path()))
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();

  // A link planted at the backup's name is replaced, never written through,
  // by a copy and by a second name alike.
  const std::string victim = Folder / "victim";
  for (bool hardLink : {false, true}) {
    WriteFile(victim, "victim");
    std::filesystem::remove(backup);
    std::filesystem::create_symlink(victim, backup);
    EXPECT_TRUE(MakeBackupCopy(Target, backup, reason, hardLink)) << reason;
    EXPECT_EQ(ReadFile(victim), "victim");
    EXPECT_FALSE(std::filesystem::is_symlink(backup));
    EXPECT_EQ(ReadFile(backup), ReadFile(Target));
    // A copy stays a runnable program.
    struct stat st {};
    ASSERT_EQ(::lstat(backup.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0700, 0700u) << std::oct << st.st_mode;
  }
  // The install keeps the old program the same way.
  std::filesystem::remove(backup);
  std::filesystem::create_symlink(victim, backup);
  TScriptedDialog dialog;
  EXPECT_EQ(InstallNewVersion(Installer, Target, dialog, Options), TInstallOutcome::Installed);
  EXPECT_EQ(ReadFile(victim), "victim");
  EXPECT_EQ(ReadFile(backup), std::string(256 * 1024, 'o'));
  EXPECT_EQ(ReadFile(Target), "new program");
}

// A copy that keeps its data file in the desktop's data folder is waited for
// just the same.
TEST_F(SelfInstall, WaitsForACopyWhoseDataFileIsInTheDesktopFolder) {
  const char* before = ::getenv("XDG_DATA_HOME");
  const std::string saved = before ? before : "";
  ::setenv("XDG_DATA_HOME", (Folder / "data").c_str(), 1);
  std::filesystem::create_directories(Folder / "data/trellane");
  {
    TRunningCopy running(Folder / "data/trellane/Trellane.tbs");
    TScriptedDialog dialog;
    EXPECT_EQ(InstallNewVersion(Installer, Target, dialog, Options), TInstallOutcome::Cancelled);
    EXPECT_EQ(dialog.Texts.size(), 1u);
    EXPECT_EQ(ReadFile(Target), "old program");
  }
  Started.clear();
  TScriptedDialog dialog;
  EXPECT_EQ(InstallNewVersion(Installer, Target, dialog, Options), TInstallOutcome::Installed);
  EXPECT_EQ(ReadFile(Target), "new program");
  if (before)
    ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_DATA_HOME");
}

TEST_F(SelfInstall, RetryAfterTheUserClosedTheOldProgramAndCancelKeepsIt) {
  {
    TRunningCopy running(Folder / ProgramDataFileName);
    TScriptedDialog dialog;
    dialog.Answers = {true, false};
    EXPECT_EQ(InstallNewVersion(Installer, Target, dialog, Options), TInstallOutcome::Cancelled);
    ASSERT_EQ(dialog.Texts.size(), 2u);
    EXPECT_EQ(dialog.Texts[0],
              "Access denied: can't install new version. Please close all instances of Trellane\rand click 'Retry', "
              "or click 'Cancel' to keep old version.");
    EXPECT_EQ(ReadFile(Target), "old program");
    EXPECT_EQ(Started, std::vector<std::string>{Target});  // the old one, whole
    Started.clear();

    dialog.Texts.clear();
    dialog.Answers = {true};
    dialog.OnAsk = [&] { running.End(); };
    EXPECT_EQ(InstallNewVersion(Installer, Target, dialog, Options), TInstallOutcome::Installed);
    EXPECT_EQ(dialog.Texts.size(), 1u);
  }
  EXPECT_EQ(ReadFile(Target), "new program");
  EXPECT_EQ(Started, std::vector<std::string>{Target});
}

TEST_F(SelfInstall, OnlyAnInstallerInTheDownloadFolderInstalls) {
  struct Case {
    std::string path;
    bool ends;
  } cases[] = {
      {"/opt/trellane/trellane", false},
      {"/opt/trellane/updater", false},
      {"/opt/trellane/UPDATE", true},        // a stray installer ends at once
      {"/opt/trellane/other/update", true},
  };
  TScriptedDialog dialog;
  for (const Case& c : cases) {
    int exitCode = -1;
    EXPECT_EQ(RunAsInstallerIfNeeded(c.path, dialog, exitCode), c.ends) << c.path;
    EXPECT_EQ(exitCode, 0);
  }
  EXPECT_TRUE(dialog.Texts.empty());
}

TEST_F(SelfInstall, TheDownloadedInstallerReplacesAndRestartsTheProgram) {
  // The real thing: the probe program copied in as _NEWVERSION/UPDATE (the
  // names compare in any case), started, installs itself and starts the
  // installed copy, which clears the download folder into the trash.
  const std::string trash = Folder / "data";
  ::setenv("XDG_DATA_HOME", trash.c_str(), 1);
  std::filesystem::create_directory(Folder / "_NEWVERSION");
  const std::string installer = Folder / "_NEWVERSION/UPDATE";
  std::filesystem::copy_file(UPDATE_PROBE, installer);
  EXPECT_EQ(RunProgram({installer}), 0);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!Exists(Folder / "started.txt") && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(Exists(Folder / "started.txt"));
  EXPECT_EQ(ReadFile(Target), ReadFile(UPDATE_PROBE));
  EXPECT_EQ(ReadFile(Target + ".old"), "old program");
  // The started program cleared its own download folder into the trash; the
  // one written in capitals is not its name and stays.
  EXPECT_FALSE(Exists(Folder / "_NewVersion"));
  EXPECT_EQ(ReadFile(trash + "/Trash/files/_NewVersion/update"), "new program");
  EXPECT_TRUE(Exists(Folder / "_NEWVERSION"));
}

TEST_F(SelfInstall, DownloadFolderGoesToTheTrashOrIsDeletedWhenEmpty) {
  const std::string trash = Folder / "data";
  ::setenv("XDG_DATA_HOME", trash.c_str(), 1);
  RemoveDownloadFolder(Folder.Path());
  EXPECT_FALSE(Exists(Folder / "_NewVersion"));
  EXPECT_EQ(ReadFile(trash + "/Trash/files/_NewVersion/update"), "new program");
  const std::string info = ReadFile(trash + "/Trash/info/_NewVersion.trashinfo");
  EXPECT_NE(info.find("[Trash Info]\nPath=" + Folder.Path() + "/_NewVersion\nDeletionDate="), std::string::npos)
      << info;

  std::filesystem::create_directory(Folder / "_NewVersion");
  WriteFile(Folder / "_NewVersion/update", "again");
  RemoveDownloadFolder(Folder.Path() + "/");
  EXPECT_EQ(ReadFile(trash + "/Trash/files/_NewVersion.2/update"), "again");

  std::filesystem::create_directory(Folder / "_NewVersion");
  RemoveDownloadFolder(Folder.Path());
  EXPECT_FALSE(Exists(Folder / "_NewVersion"));
  EXPECT_FALSE(Exists(trash + "/Trash/files/_NewVersion.3"));
  RemoveDownloadFolder(Folder.Path());  // missing: no error
}

}  // namespace
