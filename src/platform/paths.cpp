#include "platform/paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* DataName = "Trellane.tbs";
constexpr const char* ConfigName = "Trellane.ini";
constexpr const char* SubFolder = "trellane";

std::string HomeFolder(const TEnvironment& environment) {
  if (const char* home = environment("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}

// An XDG base folder: the variable when it holds an absolute path, else the
// default below the home folder.
std::string BaseFolder(const TEnvironment& environment, const char* variable, const char* fallback) {
  if (const char* value = environment(variable); value && value[0] == '/') {
    std::string folder = value;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
  }
  return HomeFolder(environment) + "/" + fallback;
}

std::string FolderOf(const std::string& file) {
  const auto slash = file.rfind('/');
  return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : file.substr(0, slash);
}

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool MakeFolders(const std::string& folder, std::string& error) {
  struct stat st;
  if (::stat(folder.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    error = "\"" + folder + "\" is not a folder.";
    return false;
  }
  const std::string parent = FolderOf(folder);
  if (parent != folder && !MakeFolders(parent, error)) return false;
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "Cannot create folder \"" + folder + "\". " + std::strerror(errno);
    return false;
  }
  return true;
}

TFilePlaces& Current() {
  static TFilePlaces places;
  return places;
}

}  // namespace

TFilePlaces FindFilePlaces(const std::string& programFolder, const TEnvironment& environment) {
  TFilePlaces places;
  places.ProgramFolder = programFolder;
  places.RecoveryFolder = BaseFolder(environment, "XDG_STATE_HOME", ".local/state") + "/" + SubFolder + "/recovery";
  const std::string beside = programFolder + "/" + DataName;
  if (!programFolder.empty() && IsFile(beside)) {
    places.Portable = true;
    places.DataFile = beside;
    places.ConfigFile = programFolder + "/" + ConfigName;
    return places;
  }
  places.DataFile = BaseFolder(environment, "XDG_DATA_HOME", ".local/share") + "/" + SubFolder + "/" + DataName;
  places.ConfigFile = BaseFolder(environment, "XDG_CONFIG_HOME", ".config") + "/" + SubFolder + "/" + ConfigName;
  return places;
}

bool CreateFileFolders(const TFilePlaces& places, std::string& error) {
  return MakeFolders(FolderOf(places.DataFile), error) && MakeFolders(FolderOf(places.ConfigFile), error);
}

std::string RunningProgramFolder() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  return FolderOf(std::string(buffer, static_cast<size_t>(n)));
}

const TFilePlaces& ProgramFiles() { return Current(); }
void SetProgramFiles(const TFilePlaces& places) { Current() = places; }
