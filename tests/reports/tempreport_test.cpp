// Reports for the desktop's RTF application: a new file of the user's own.
#include "reports/tempreport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/errors.h"

namespace fs = std::filesystem;

namespace {
std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

TEST(TempReport, NewFileOfTheUserOnlyWithASuffixWhenTaken) {
  const fs::path dir = fs::temp_directory_path() / ("trellane-tempreport-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string folder = dir.string();  // without the trailing separator

  const std::string first = WriteNewReportFile(folder, "{\\rtf1 one}", 123456);
  EXPECT_EQ(first, folder + "/$Transitreport_123456.rtf");
  EXPECT_EQ(Read(first), "{\\rtf1 one}");
  struct stat st{};
  ASSERT_EQ(::stat(first.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // The same millisecond again: the next free name, the first file kept.
  EXPECT_EQ(WriteNewReportFile(folder + "/", "two", 123456), folder + "/$Transitreport_123456_2.rtf");
  EXPECT_EQ(Read(first), "{\\rtf1 one}");
  // A link planted under the name is neither followed nor replaced.
  const fs::path victim = dir / "victim.txt";
  std::ofstream(victim) << "keep";
  fs::create_symlink(victim, dir / "$Transitreport_77.rtf");
  EXPECT_EQ(WriteNewReportFile(folder, "three", 77), folder + "/$Transitreport_77_2.rtf");
  EXPECT_EQ(Read(victim.string()), "keep");
  // A folder that is not there is an error with its reason.
  try {
    WriteNewReportFile(folder + "/missing", "x", 1);
    ADD_FAILURE() << "no error";
  } catch (const TError& e) {
    EXPECT_NE(std::string(e.what()).find("$Transitreport_1.rtf"), std::string::npos) << e.what();
  }
  EXPECT_GT(TickCountMs(), 0u);
  fs::remove_all(dir);
}
