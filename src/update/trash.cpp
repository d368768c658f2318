#include "update/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string PercentEncoded(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out += char(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

bool MakePrivateDir(const std::string& dir) {
  if (::mkdir(dir.c_str(), 0700) == 0) return true;
  struct stat st {};
  return errno == EEXIST && ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

// Into trash/files with trash/info/NAME.trashinfo naming originalPath.
// errno is EXDEV when the trash is on another file system.
bool MoveInto(const std::string& trash, const std::string& path, const std::string& originalPath) {
  if (!MakePrivateDir(trash) || !MakePrivateDir(trash + "/files") || !MakePrivateDir(trash + "/info")) return false;
  const std::string base = fs::path(path).filename().string();
  char date[32];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
  const std::string info = "[Trash Info]\nPath=" + PercentEncoded(originalPath) + "\nDeletionDate=" + date + "\n";
  for (int n = 1; n < 1000; ++n) {
    const std::string name = n == 1 ? base : base + "." + std::to_string(n);
    const std::string infoFile = trash + "/info/" + name + ".trashinfo";
    const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    const bool written = ::write(fd, info.data(), info.size()) == ssize_t(info.size());
    ::close(fd);
    struct stat st {};
    const std::string target = trash + "/files/" + name;
    if (!written || ::lstat(target.c_str(), &st) == 0) {
      ::unlink(infoFile.c_str());
      if (!written) return false;
      continue;
    }
    if (::rename(path.c_str(), target.c_str()) == 0) return true;
    const int error = errno;
    ::unlink(infoFile.c_str());
    errno = error;
    return false;
  }
  return false;
}

// The mount point above path: the last parent on the same device.
std::string TopDirectory(const std::string& path) {
  fs::path p = fs::absolute(path).parent_path();
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0) return {};
  const dev_t device = st.st_dev;
  while (p.has_parent_path() && p != p.root_path()) {
    struct stat up {};
    if (::stat(p.parent_path().c_str(), &up) != 0 || up.st_dev != device) break;
    p = p.parent_path();
  }
  return p.string();
}

}  // namespace

bool MoveToTrash(const std::string& path) {
  std::error_code error;
  const std::string absolute = fs::absolute(path, error).lexically_normal().string();
  if (error) return false;
  std::string dataHome;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
    dataHome = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home)
    dataHome = std::string(home) + "/.local/share";
  if (!dataHome.empty()) {
    fs::create_directories(dataHome, error);
    if (MoveInto(dataHome + "/Trash", absolute, absolute)) return true;
    if (errno != EXDEV) return false;
  }
  // The trash of the path's own file system, with paths relative to its top.
  const std::string top = TopDirectory(absolute);
  if (top.empty()) return false;
  const std::string uid = std::to_string(::geteuid());
  const std::string relative = fs::path(absolute).lexically_relative(top).string();
  struct stat st {};
  const std::string shared = top + "/.Trash";
  if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) &&
      MoveInto(shared + "/" + uid, absolute, relative))
    return true;
  return MoveInto(top + "/.Trash-" + uid, absolute, relative);
}
