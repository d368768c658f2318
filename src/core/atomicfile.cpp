#include "core/atomicfile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

std::function<std::string()>& TempNameSource() {
  static std::function<std::string()> source;
  return source;
}

// Eight characters from the system's random numbers.
std::string RandomPart() {
  if (TempNameSource()) return TempNameSource()();
  static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[8];
  size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  if (got < sizeof bytes) {  // no getrandom: the library's generator still gives distinct names
    static std::random_device device;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(device());
  }
  std::string part;
  for (unsigned char b : bytes) part += letters[b % (sizeof letters - 1)];
  return part;
}

// Tries this many fresh names before giving up; a name is taken only when
// something else is there, so this is never reached by chance.
constexpr int kNameAttempts = 100;

std::string TempNameFor(const std::string& path) { return path + ".tmp-" + RandomPart(); }

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

// Removes name only while it still is the file open as fd: a name someone
// else has put there since is left alone.
void RemoveIfSame(const std::string& name, int fd) {
  struct stat a, b;
  if (fd >= 0 && ::fstat(fd, &a) == 0 && ::lstat(name.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
      a.st_ino == b.st_ino)
    ::unlink(name.c_str());
}

}  // namespace

TFileError::TFileError(TStep step, const std::string& path, int error)
    : TError("Cannot write " + path + ": " + std::strerror(error)), Step(step), Path(path), Errno(error) {}

TAtomicFile::TAtomicFile(const std::string& path) : Target(path) {
  int error = EEXIST;
  for (int attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
    Temp = TempNameFor(path);
    FileFd = ::open(Temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    error = FileFd < 0 ? errno : 0;
  }
  if (FileFd < 0) {
    Temp.clear();
    throw TFileError(TFileError::Create, path, error);
  }
}

TAtomicFile::~TAtomicFile() {
  if (!Committed) RemoveTemp();
  if (FileFd >= 0) ::close(FileFd);
}

void TAtomicFile::RemoveTemp() {
  if (!Temp.empty()) RemoveIfSame(Temp, FileFd);
}

void TAtomicFile::Write(const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(FileFd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw TFileError(TFileError::Write, Target, n < 0 ? errno : ENOSPC);
    done += static_cast<size_t>(n);
  }
}

void TAtomicFile::Commit() {
  if (Committed) return;
  if (::fsync(FileFd) != 0) throw TFileError(TFileError::Write, Target, errno);
  if (::rename(Temp.c_str(), Target.c_str()) != 0) throw TFileError(TFileError::Rename, Target, errno);
  Committed = true;
  SyncFolder(Target);
}

int TAtomicFile::ReleaseFd() {
  const int fd = Committed ? FileFd : -1;
  if (Committed) FileFd = -1;
  return fd;
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  TAtomicFile file(path);
  file.Write(bytes);
  file.Commit();
}

void KeepCopyAtomically(const std::string& from, const std::string& to, bool mayLink) {
  // A hard link under a fresh name: link() never follows or replaces
  // anything at its new name.
  int error = EPERM;  // as where hard links are not allowed
  std::string name;
  if (mayLink) {
    error = EEXIST;
    for (int attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
      name = TempNameFor(to);
      error = ::link(from.c_str(), name.c_str()) == 0 ? 0 : errno;
    }
  }
  if (error == 0) {
    // Held open so that only our own link is ever removed.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (::rename(name.c_str(), to.c_str()) != 0) {
      const int e = errno;
      RemoveIfSame(name, fd);
      if (fd >= 0) ::close(fd);
      throw TFileError(TFileError::Rename, to, e);
    }
    if (fd >= 0) ::close(fd);
    SyncFolder(to);
    return;
  }
  if (error == EEXIST || error == ENOENT || error == EACCES || error == ENOSPC || error == EROFS)
    throw TFileError(TFileError::Create, to, error);

  // No hard links here: a flushed copy.
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) throw TFileError(TFileError::Create, to, errno);
  try {
    TAtomicFile copy(to);
    char chunk[1 << 16];
    for (;;) {
      const ssize_t n = ::read(in, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw TFileError(TFileError::Write, to, errno);
      if (n == 0) break;
      copy.Write(chunk, static_cast<size_t>(n));
    }
    copy.Commit();
  } catch (...) {
    ::close(in);
    throw;
  }
  ::close(in);
}

void SetTempNameSourceForTesting(std::function<std::string()> source) { TempNameSource() = std::move(source); }
