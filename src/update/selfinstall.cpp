#include "update/selfinstall.h"

#include "platform/paths.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "core/atomicfile.h"
#include "update/description.h"
#include "update/trash.h"

namespace fs = std::filesystem;
extern char** environ;

std::string RunningExecutablePath() {
  std::error_code error;
  const fs::path path = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}


namespace {

// Only a regular file can be the data file of a running copy. Opened without
// blocking, so that a FIFO or device planted under its name cannot stall us.
bool FileInUse(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  const bool busy = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) != 0 &&
                    errno == EWOULDBLOCK;
  ::close(fd);
  return busy;
}

// 0755 less the umask, always readable and runnable by its owner: never the
// old file's bits, which may carry setuid or world-write.
mode_t ProgramMode() {
  mode_t mask = 022;
  bool known = false;
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned value = 0;
    while (std::fgets(line, sizeof line, status))
      if (std::sscanf(line, "Umask: %o", &value) == 1) {
        mask = mode_t(value);
        known = true;
        break;
      }
    std::fclose(status);
  }
  if (!known) {
    mask = ::umask(022);
    ::umask(mask);
  }
  return (0755 & ~mask) | S_IRUSR | S_IXUSR;
}

bool CopyInto(int from, int to) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t n = ::read(from, buffer.data(), buffer.size());
    if (n < 0) return false;
    if (n == 0) return true;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(to, buffer.data() + done, size_t(n - done));
      if (w <= 0) return false;
      done += w;
    }
  }
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

bool MakeBackupCopy(const std::string& file, const std::string& backup, std::string& reason, bool hardLink) {
  struct stat a {}, b {};
  if (::lstat(file.c_str(), &a) == 0 && ::lstat(backup.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
      a.st_ino == b.st_ino)
    return true;  // already its second name
  try {
    KeepCopyAtomically(file, backup, hardLink);
  } catch (const TFileError& e) {
    reason = "The old program cannot be kept as a backup: " +
             std::string(e.Step == TFileError::Create && e.Errno == EEXIST ? "its temporary name was taken."
                                                                           : std::strerror(e.Errno));
    return false;
  }
  // A copy (not a second name) is a program of its own: runnable, with
  // plain bits, never the old file's.
  const int fd = ::open(backup.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    struct stat kept {};
    if (::fstat(fd, &kept) == 0 && S_ISREG(kept.st_mode) && (kept.st_dev != a.st_dev || kept.st_ino != a.st_ino))
      ::fchmod(fd, ProgramMode());
    ::close(fd);
  }
  return true;
}

bool ReplaceProgramFile(const std::string& source, const std::string& target, std::string& reason) {
  const std::string folder = FolderOf(target);
  // A running copy holds its data file: beside the program in a portable
  // install, else in the desktop's data folder.
  const std::string dataFile = FindFilePlaces(folder.empty() ? "." : folder.substr(0, folder.size() - 1)).DataFile;
  if (FileInUse(folder + ProgramDataFileName) || FileInUse(dataFile)) {
    reason = "Another copy of the program is still running.";
    return false;
  }
  const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (from < 0) {
    reason = "The new program cannot be read.";
    return false;
  }
  std::string temporary = folder + "." + ProgramFileName + ".new-XXXXXX";
  const int to = ::mkstemp(temporary.data());
  if (to < 0) {
    ::close(from);
    reason = "The program folder cannot be written.";
    return false;
  }
  bool ok = CopyInto(from, to) && ::fchmod(to, ProgramMode()) == 0 && ::fsync(to) == 0;
  ok = ::close(to) == 0 && ok;
  ::close(from);
  if (!ok) {
    ::unlink(temporary.c_str());
    reason = "The new program cannot be written.";
    return false;
  }
  struct stat old {};
  if (::lstat(target.c_str(), &old) == 0 && !MakeBackupCopy(target, target + ".old", reason)) {
    ::unlink(temporary.c_str());
    return false;
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    reason = std::string("The program cannot be replaced: ") + std::strerror(errno);
    return false;
  }
  SyncFolder(folder);
  return true;
}

TInstallOutcome InstallNewVersion(const std::string& installerPath, const std::string& targetPath,
                                  TUserDialogs& dialog, const TInstallOptions& options) {
  for (;;) {
    for (int attempt = 0; attempt < options.Attempts; ++attempt) {
      std::this_thread::sleep_for(std::chrono::milliseconds(options.PauseMs));
      std::string reason;
      if (ReplaceProgramFile(installerPath, targetPath, reason)) {
        if (options.Start) options.Start(targetPath);
        return TInstallOutcome::Installed;
      }
    }
    if (!dialog.AskRetry(InstallAccessDeniedText)) break;
  }
  if (options.Start) options.Start(targetPath);
  return TInstallOutcome::Cancelled;
}

bool RunAsInstallerIfNeeded(const std::string& executablePath, TUserDialogs& dialog, int& exitCode) {
  exitCode = 0;
  const std::string lower = LowerText(executablePath);
  const std::string installerTail = std::string("/") + InstallerFileName;
  if (lower.size() < installerTail.size() || lower.compare(lower.size() - installerTail.size(), std::string::npos,
                                                           installerTail) != 0)
    return false;
  std::string folderTail = "/";
  folderTail += LowerText(DownloadFolderName);
  folderTail += installerTail;
  if (lower.size() >= folderTail.size() &&
      lower.compare(lower.size() - folderTail.size(), std::string::npos, folderTail) == 0) {
    const std::string programDir = executablePath.substr(0, executablePath.size() - folderTail.size() + 1);
    InstallNewVersion(executablePath, programDir + ProgramFileName, dialog);
  }
  return true;
}

void RemoveDownloadFolder(const std::string& programDir) {
  if (programDir.empty()) return;
  std::string folder = programDir;
  if (folder.back() != '/') folder += '/';
  folder += DownloadFolderName;
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) return;
  if (!S_ISDIR(st.st_mode)) {
    ::unlink(folder.c_str());
    return;
  }
  if (::rmdir(folder.c_str()) == 0) return;
  if (MoveToTrash(folder)) return;
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}
