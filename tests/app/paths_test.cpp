#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <pwd.h>
#include <unistd.h>

#include "platform/paths.h"
#include "app/placement.h"
#include "store/settings.h"

namespace fs = std::filesystem;

namespace {

struct TTempDir {
  TTempDir() {
    char pattern[] = "/tmp/trellane-paths-XXXXXX";
    Path = mkdtemp(pattern);
  }
  ~TTempDir() {
    std::error_code ec;
    fs::remove_all(Path, ec);
  }
  fs::path Path;
};

TEnvironment Env(std::map<std::string, std::string> values) {
  auto shared = std::make_shared<std::map<std::string, std::string>>(std::move(values));
  return [shared](const char* name) -> const char* {
    auto it = shared->find(name);
    return it == shared->end() ? nullptr : it->second.c_str();
  };
}

}  // namespace

TEST(FilePlaces, DesktopFoldersOrPortableBesideTheProgram) {
  TTempDir dir;
  const std::string program = (dir.Path / "bin").string();
  fs::create_directories(program);
  struct TCase {
    const char* what;
    std::map<std::string, std::string> env;
    std::string data, config;
  };
  const std::string home = (dir.Path / "home").string();
  const TCase cases[] = {
      {"both variables", {{"HOME", home}, {"XDG_DATA_HOME", "/d/x/"}, {"XDG_CONFIG_HOME", "/c"}},
       "/d/x/trellane/Trellane.tbs", "/c/trellane/Trellane.ini"},
      {"defaults below home", {{"HOME", home}}, home + "/.local/share/trellane/Trellane.tbs",
       home + "/.config/trellane/Trellane.ini"},
      {"relative and empty variables are ignored", {{"HOME", home}, {"XDG_DATA_HOME", "rel"}, {"XDG_CONFIG_HOME", ""}},
       home + "/.local/share/trellane/Trellane.tbs", home + "/.config/trellane/Trellane.ini"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TFilePlaces places = FindFilePlaces(program, Env(c.env));
    EXPECT_EQ(places.DataFile, c.data);
    EXPECT_EQ(places.ConfigFile, c.config);
    EXPECT_FALSE(places.Portable);
    EXPECT_EQ(places.ProgramFolder, program);
  }

  // A data file beside the program keeps both files there.
  std::ofstream(program + "/Trellane.tbs") << "x";
  const TFilePlaces portable = FindFilePlaces(program, Env({{"HOME", home}, {"XDG_DATA_HOME", "/d"}}));
  EXPECT_TRUE(portable.Portable);
  EXPECT_EQ(portable.DataFile, program + "/Trellane.tbs");
  EXPECT_EQ(portable.ConfigFile, program + "/Trellane.ini");
}

TEST(FilePlaces, MissingFoldersAreCreatedAndAFileInTheWayIsTold) {
  TTempDir dir;
  const TFilePlaces places =
      FindFilePlaces((dir.Path / "bin").string(), Env({{"XDG_DATA_HOME", (dir.Path / "a/b").string()},
                                                       {"XDG_CONFIG_HOME", (dir.Path / "c").string()}}));
  std::string error;
  ASSERT_TRUE(CreateFileFolders(places, error)) << error;
  EXPECT_TRUE(fs::is_directory(dir.Path / "a/b/trellane"));
  EXPECT_TRUE(fs::is_directory(dir.Path / "c/trellane"));
  EXPECT_TRUE(CreateFileFolders(places, error)) << "twice is fine";

  std::ofstream((dir.Path / "blocked").string()) << "x";
  const TFilePlaces blocked = FindFilePlaces("", Env({{"XDG_DATA_HOME", (dir.Path / "blocked").string()},
                                                      {"XDG_CONFIG_HOME", (dir.Path / "c").string()}}));
  EXPECT_FALSE(CreateFileFolders(blocked, error));
  EXPECT_NE(error.find("blocked"), std::string::npos) << error;
}

TEST(FilePlaces, LoginNameComesFromThePasswordDatabase) {
  const passwd* pw = getpwuid(geteuid());
  ASSERT_NE(pw, nullptr);
  EXPECT_EQ(LoginUserName(), pw->pw_name);
}

TEST(Cascade, StepsTwentyPixelsAndWrapsAtTheEdges) {
  TCascade cascade;
  int left = -1, top = -1;
  cascade.Place(true, 300, 200, 1000, 700, left, top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, 0);
  for (int i = 1; i < 5; ++i) cascade.Place(false, 300, 200, 1000, 700, left, top);
  EXPECT_EQ(left, 80) << "the fifth is 80 pixels right and down of the first";
  EXPECT_EQ(top, 80);
  // 80 + 20 + 900 + 5 > 1000: back to the left edge, the top goes on.
  cascade.Place(false, 900, 200, 1000, 700, left, top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, 100);
  cascade.Place(false, 300, 600, 1000, 700, left, top);
  EXPECT_EQ(left, 20);
  EXPECT_EQ(top, 0);
  // The only child starts again at the corner.
  cascade.Place(true, 300, 200, 1000, 700, left, top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, 0);
}

TEST(RestoredPlace, FitsIntoTheAreaAndRefusesAbsurdNumbers) {
  struct TCase {
    TWindowRect in;
    bool ok;
    TWindowRect out;
  };
  const TCase cases[] = {
      {{30, 40, 300, 200}, true, {30, 40, 300, 200}},
      {{-4, 10, 300, 200}, true, {0, 10, 300, 200}},
      {{900, 650, 300, 200}, true, {700, 500, 300, 200}},     // pulled back inside
      {{10, 10, 5000, 5000}, true, {0, 0, 1000, 700}},        // no larger than the area
      {{10, 10, 50, 40}, true, {10, 10, 120, 90}},            // at least the minimum size
      {{0, 0, 0, 200}, false, {}},
      {{0, 0, 300, -5}, false, {}},
      {{99999999, 0, 300, 200}, false, {}},
      {{0, -99999999, 300, 200}, false, {}},
      {{0, 0, 300, 99999999}, false, {}},
  };
  for (const TCase& c : cases) {
    TWindowRect r = c.in;
    SCOPED_TRACE(std::to_string(c.in.Left) + "," + std::to_string(c.in.Top) + " " + std::to_string(c.in.Width) +
                 "x" + std::to_string(c.in.Height));
    ASSERT_EQ(FitRestoredRect(r, 1000, 700, 120, 90), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(r.Left, c.out.Left);
    EXPECT_EQ(r.Top, c.out.Top);
    EXPECT_EQ(r.Width, c.out.Width);
    EXPECT_EQ(r.Height, c.out.Height);
  }
}
