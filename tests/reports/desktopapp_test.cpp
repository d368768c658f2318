// The desktop's application for RTF files, asked of xdg-mime: a fake one on
// PATH answers as a desktop would.
#include "reports/desktopapp.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/reports/fake_desktop.h"

namespace fs = std::filesystem;

TEST(DesktopApplication, OnlyAnInstalledEntryThatTheDesktopNames) {
  const fs::path dir = fs::temp_directory_path() / ("trellane-desktop-" + std::to_string(getpid()));
  fs::remove_all(dir);
  {
    reportstest::TFakeDesktop desktop(dir);
    // Not on PATH (the fake is not written yet, and none is installed in
    // the test's folders... the system's one may be: hide it).
    const char* path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    ::setenv("PATH", (dir / "bin").string().c_str(), 1);
    EXPECT_EQ(DesktopApplicationFor(RtfMimeType), "");
    ::setenv("PATH", saved.c_str(), 1);

    // Named and installed: its entry; asked for the RTF type.
    desktop.XdgMime("echo writer.desktop");
    desktop.Install("writer.desktop");
    EXPECT_EQ(DesktopApplicationFor(RtfMimeType), "writer.desktop");
    std::stringstream args;
    args << std::ifstream(desktop.Args()).rdbuf();
    EXPECT_EQ(args.str(), "query default application/rtf\n");
    // An entry in a folder of its vendor, and spaces round the answer.
    fs::create_directories(dir / "data" / "applications" / "kde");
    std::ofstream(dir / "data" / "applications" / "kde" / "words.desktop") << "[Desktop Entry]\n";
    desktop.XdgMime("echo '  kde-words.desktop  '");
    EXPECT_EQ(DesktopApplicationFor(RtfMimeType), "kde-words.desktop");
    // Named but not installed; nothing named; a failure; something that is
    // no desktop entry or leaves the folder.
    for (const char* body : {"echo gone.desktop", "true", "echo writer.desktop; exit 3", "echo writer",
                             "echo ../applications/writer.desktop", "printf '\\n\\n'"}) {
      desktop.XdgMime(body);
      EXPECT_EQ(DesktopApplicationFor(RtfMimeType), "") << body;
    }
    // One that never answers is ended when the time is up.
    desktop.XdgMime("exec sleep 30");
    EXPECT_EQ(DesktopApplicationFor(RtfMimeType, 200), "");
  }
  fs::remove_all(dir);
}
