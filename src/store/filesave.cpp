#include "store/filesave.h"

#include "platform/dialogs.h"

#include "core/atomicfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Folder(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The store's own kinds of failure for the steps of a replacement.
[[noreturn]] void RaiseStoreError(const TFileError& e, const std::string& path) {
  if (e.Step == TFileError::Write) throw TWriteError(std::string("Stream write error: ") + std::strerror(e.Errno));
  throw TCreateError("Cannot create file \"" + path + "\". " + std::strerror(e.Errno));
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string FileBesideProgram(const std::string& name) {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return name;
  return Folder(std::string(buffer, static_cast<size_t>(n))) + "/" + name;
}

std::string UnreadableFileName(const std::string& path) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%d", &local);
  const std::string base = path + ".unreadable-" + date;
  std::string name = base;
  struct stat st;
  for (int n = 2; ::lstat(name.c_str(), &st) == 0; ++n) name = base + "-" + std::to_string(n);
  return name;
}

int ReplaceFile(const std::string& givenPath, const std::function<void(TStream&)>& write,
                const TReplaceOptions& options) {
  // A file reached through a symbolic link is replaced where it really lives.
  std::string path = givenPath;
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      path = real;
      std::free(real);
    }
  }
  try {
    TAtomicFile file(path);
    if (options.Lock && ::flock(file.Fd(), LOCK_EX | LOCK_NB) != 0)
      throw TCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
    TFdWriteStream out(file.Fd());
    write(out);
    out.Flush();
    if (FileExists(path)) {
      if (!options.KeepAsideAs.empty()) {
        // The file replaced is the damaged one, kept aside: the backup keeps
        // the last good copy.
        KeepCopyAtomically(path, options.KeepAsideAs);
      } else if (options.KeepBackup) {
        // The backup is a courtesy: a save does not fail for want of it.
        try {
          KeepCopyAtomically(path, path + ".bak");
        } catch (const TError&) {
        }
      }
    }
    file.Commit();
    return options.Lock ? file.ReleaseFd() : -1;
  } catch (const TFileError& e) {
    RaiseStoreError(e, path);
  }
}

int ReplaceFileCompressed(const std::string& path, const std::function<void(TStream&)>& write,
                          const TReplaceOptions& options) {
  return ReplaceFile(
      path,
      [&](TStream& file) {
        TZlibWriteStream z(file, 1);
        write(z);
        z.Finish();
      },
      options);
}

void ReportKeptAside(const std::string& kind, const std::string& aside) {
  if (aside.empty()) return;
  UserDialogs().ShowNotice("The " + kind + " could not be read when the program started. It has been kept as\r" +
                            aside + "\rand a new " + kind + " has been written.");
}
