#pragma once
#include <functional>
#include <string>

#include "platform/dialogs.h"

// The program installs its own new version: the update service downloads it
// as "_NewVersion/update" beside the program and starts it; started under
// that name it copies itself over "trellane", starts that and ends.

inline constexpr const char* ProgramFileName = "trellane";
inline constexpr const char* InstallerFileName = "update";
inline constexpr const char* DownloadFolderName = "_NewVersion";
// Held open (locked) by a running copy of the program beside it.
inline constexpr const char* ProgramDataFileName = "Trellane.tbs";
inline constexpr const char* InstallAccessDeniedText =
    "Access denied: can't install new version. Please close all instances of Trellane\r"
    "and click 'Retry', or click 'Cancel' to keep old version.";


// The first step of every start. True when this process is the installer
// (or a stray program named "update") and must end now with exitCode; false
// for an ordinary start.
bool RunAsInstallerIfNeeded(const std::string& executablePath, TUserDialogs& dialog, int& exitCode);

// Removes the download folder beside the program: an empty one is deleted,
// one with files goes to the desktop trash (deleted when no trash takes it).
// A missing folder or a failure is ignored.
void RemoveDownloadFolder(const std::string& programDir);

// The running program's own path (/proc/self/exe); empty when unknown.
std::string RunningExecutablePath();
// The folder of a path, with a trailing "/"; empty without one.
std::string FolderOf(const std::string& path);

struct TInstallOptions {
  int Attempts = 6;   // per series
  int PauseMs = 500;  // before each attempt
  std::function<bool(const std::string& path)> Start = [](const std::string& path) {
    return StartDetachedProgram(path);
  };
};

enum class TInstallOutcome { Installed, Cancelled };

// Copies installer over target in series of attempts; after a failed series
// the dialog offers Retry or Cancel. The installed program is started after
// a successful copy; on Cancel the old program, left whole, is started.
TInstallOutcome InstallNewVersion(const std::string& installerPath, const std::string& targetPath,
                                  TUserDialogs& dialog, const TInstallOptions& options = {});

// One attempt: fails while a running copy holds the data file beside target.
// Writes the new program beside the old one (mode 0755 less the umask),
// flushes it, keeps the old one as target + ".old" and renames the new one
// over it. False, with the reason, leaves the old program as it was.
bool ReplaceProgramFile(const std::string& source, const std::string& target, std::string& reason);

// Keeps file as backup: a second name of it (where hardLink and the file
// system allow) or else a runnable copy, made under a temporary name of our
// own and renamed over backup only when whole, so an earlier backup survives
// a failure and a link planted at backup is replaced, never written through.
// False with the reason.
bool MakeBackupCopy(const std::string& file, const std::string& backup, std::string& reason, bool hardLink = true);
