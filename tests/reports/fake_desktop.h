#pragma once
// A desktop of a test's own: a fake xdg-mime first on PATH and an
// applications folder as the user's data folder. The environment is put
// back as it was when it ends.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace reportstest {

class TFakeDesktop {
public:
  explicit TFakeDesktop(const std::filesystem::path& folder) : Folder(folder) {
    std::filesystem::create_directories(Folder / "bin");
    std::filesystem::create_directories(Folder / "data" / "applications");
    for (const char* name : {"PATH", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
      const char* value = std::getenv(name);
      Saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    const char* path = std::getenv("PATH");
    ::setenv("PATH", ((Folder / "bin").string() + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
    ::setenv("XDG_DATA_HOME", (Folder / "data").string().c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (Folder / "nowhere").string().c_str(), 1);
  }
  ~TFakeDesktop() {
    for (const auto& [name, value] : Saved) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  TFakeDesktop(const TFakeDesktop&) = delete;
  TFakeDesktop& operator=(const TFakeDesktop&) = delete;

  // xdg-mime becomes this shell script; it notes its arguments in Args().
  void XdgMime(const std::string& body) {
    const std::string script = (Folder / "bin" / "xdg-mime").string();
    std::ofstream(script) << "#!/bin/sh\necho \"$@\" > '" << Args() << "'\n" << body << "\n";
    ::chmod(script.c_str(), 0755);
  }
  // An installed desktop entry.
  void Install(const std::string& id) {
    std::ofstream(Folder / "data" / "applications" / id) << "[Desktop Entry]\nType=Application\nName=Writer\nExec=true %f\n";
  }
  std::string Args() const { return (Folder / "args.txt").string(); }

private:
  std::filesystem::path Folder;
  std::vector<std::pair<std::string, std::optional<std::string>>> Saved;
};

}  // namespace reportstest
