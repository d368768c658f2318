#include "reports/desktopapp.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

// The standard output of a program found on PATH, read until it ends or
// the time is up (then the program is ended); false when it could not run,
// ran out of time or did not end successfully.
bool RunForOutput(const std::vector<std::string>& args, int timeoutMs, std::string& out) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (spawned != 0) {
    ::close(fds[0]);
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool timedOut = false;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;  // the deadline is checked above
    char buffer[1024];
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (out.size() < 65536) out.append(buffer, static_cast<size_t>(n));
  }
  ::close(fds[0]);
  if (timedOut) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return !timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool IsFile(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Whether a desktop entry of that id is installed: "applications/ID", or
// with the id's dashes as folders ("kde-x.desktop" in "applications/kde").
bool EntryInstalled(const std::string& id) {
  std::vector<std::string> folders;
  const char* home = std::getenv("XDG_DATA_HOME");
  if (home && *home) folders.push_back(home);
  else if (const char* h = std::getenv("HOME"); h && *h) folders.push_back(std::string(h) + "/.local/share");
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
  for (size_t at = 0; at <= list.size();) {
    const size_t end = std::min(list.find(':', at), list.size());
    if (end > at) folders.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  for (const std::string& folder : folders) {
    if (IsFile(folder + "/applications/" + id)) return true;
    std::string nested = id;
    for (size_t dash; (dash = nested.find('-')) != std::string::npos;) {
      nested[dash] = '/';
      if (IsFile(folder + "/applications/" + nested)) return true;
    }
  }
  return false;
}

}  // namespace

std::string DesktopApplicationFor(const std::string& mimeType, int timeoutMs) {
  std::string out;
  if (!RunForOutput({"xdg-mime", "query", "default", mimeType}, timeoutMs, out)) return {};
  // The first line, trimmed.
  const size_t end = out.find_first_of("\r\n");
  std::string id = out.substr(0, end);
  while (!id.empty() && (id.back() == ' ' || id.back() == '\t')) id.pop_back();
  while (!id.empty() && (id.front() == ' ' || id.front() == '\t')) id.erase(0, 1);
  // A desktop entry's file name, nothing that leaves the folder.
  if (id.empty() || !id.ends_with(".desktop") || id.find('/') != std::string::npos || id.starts_with(".")) return {};
  return EntryInstalled(id) ? id : std::string();
}
