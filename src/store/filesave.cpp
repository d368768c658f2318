#include "store/filesave.h"

#include "store/messages.h"

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

void SyncFolder(const std::string& path) {
  const int dir = ::open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

// Makes `to` a second name of `from`'s contents: a hard link where the file
// system allows it, else a flushed copy put in place by a rename.
void KeepCopy(const std::string& from, const std::string& to) {
  ::unlink(to.c_str());
  if (::link(from.c_str(), to.c_str()) == 0) return;
  const std::string data = ReadWholeFile(from);
  const std::string tmp = to + ".tmp";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw TCreateError("Cannot create file \"" + tmp + "\". " + std::strerror(errno));
  try {
    TFdWriteStream out(fd);
    out.Write(data.data(), data.size());
    out.Flush();
    if (::fsync(fd) != 0) throw TWriteError(std::string("Stream write error: ") + std::strerror(errno));
    ::close(fd);
  } catch (...) {
    ::close(fd);
    ::unlink(tmp.c_str());
    throw;
  }
  if (::rename(tmp.c_str(), to.c_str()) != 0) {
    const int e = errno;
    ::unlink(tmp.c_str());
    throw TCreateError("Cannot create file \"" + to + "\". " + std::strerror(e));
  }
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
  for (int n = 2; FileExists(name); ++n) name = base + "-" + std::to_string(n);
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
  const std::string tmp = path + ".tmp";
  const int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw TCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
  try {
    if (options.Lock && ::flock(fd, LOCK_EX | LOCK_NB) != 0)
      throw TCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
    TFdWriteStream out(fd);
    write(out);
    out.Flush();
    if (::fsync(fd) != 0) throw TWriteError(std::string("Stream write error: ") + std::strerror(errno));
    if (FileExists(path)) {
      if (!options.KeepAsideAs.empty()) KeepCopy(path, options.KeepAsideAs);
      // The backup is a courtesy: a save does not fail for want of it.
      if (options.KeepBackup) {
        try {
          KeepCopy(path, path + ".bak");
        } catch (const TError&) {
        }
      }
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0)
      throw TCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
  } catch (...) {
    ::close(fd);
    ::unlink(tmp.c_str());
    throw;
  }
  SyncFolder(path);
  if (options.Lock) return fd;
  ::close(fd);
  return -1;
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
  MessageSink().ShowNotice("The " + kind + " could not be read when the program started. It has been kept as\r" +
                            aside + "\rand a new " + kind + " has been written.");
}
