#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "update/selfinstall.h"
#include "updateserver.h"

using namespace updatetest;

namespace {

class TScriptedDialog : public TInstallerDialog {
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
  TRunningCopy running(Folder / ProgramDataFileName);
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(12));
    running.End();
  });
  TScriptedDialog dialog;
  Options.Attempts = 200;
  EXPECT_EQ(InstallNewVersion(Installer, Target, dialog, Options), TInstallOutcome::Installed);
  release.join();
  EXPECT_TRUE(dialog.Texts.empty());
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
