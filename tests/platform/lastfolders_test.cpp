// The file dialogs' folders file, beside the configuration.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "platform/lastfolders.h"
#include "core/errors.h"

namespace {
std::string TempFolder() {
  char name[] = "/tmp/lastfoldersXXXXXX";
  const char* made = ::mkdtemp(name);
  return made ? made : "";
}
std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

TEST(LastFolders, BesideTheConfigurationAndBackAsWritten) {
  EXPECT_EQ(LastFoldersPath("/home/a/.config/trellane/Trellane.ini"), "/home/a/.config/trellane/Trellane.folders");
  const std::string dir = TempFolder();
  ASSERT_FALSE(dir.empty());
  const std::string path = LastFoldersPath(dir + "/Trellane.ini");
  EXPECT_TRUE(ReadLastFolders(path).Exports.empty()) << "no file yet";

  TLastFolders folders;
  folders.Exports = "/home/a/Projects exported";
  folders.Drawings = "/home/a/CAD=drawings";
  WriteLastFolders(path, folders);
  EXPECT_EQ(ReadAll(path), "Trellane folders 1\nexports=/home/a/Projects exported\ndrawings=/home/a/CAD=drawings\n");
  const TLastFolders back = ReadLastFolders(path);
  EXPECT_EQ(back.Exports, folders.Exports);
  EXPECT_EQ(back.Reports, "");
  EXPECT_EQ(back.Of(TFolderKind::Drawings), folders.Drawings);

  // Written again through a temporary: nothing else is left in the folder.
  folders.Of(TFolderKind::Reports) = "/r";
  folders.Of(TFolderKind::Schedules) = "/yard/schedules";
  WriteLastFolders(path, folders);
  EXPECT_EQ(ReadLastFolders(path).Reports, "/r");
  EXPECT_EQ(ReadLastFolders(path).Of(TFolderKind::Schedules), "/yard/schedules");
  EXPECT_EQ(ReadLastFolders(path).Drawings, folders.Drawings);
  std::remove(path.c_str());
  ::rmdir(dir.c_str());
  EXPECT_THROW(WriteLastFolders(dir + "/gone/Trellane.folders", folders), TError);
}

TEST(LastFolders, DamagedOrHostileTextGivesNoFolder) {
  EXPECT_TRUE(ParseLastFolders("").Exports.empty());
  EXPECT_TRUE(ParseLastFolders("exports=/a\n").Exports.empty()) << "no header";
  EXPECT_TRUE(ParseLastFolders(std::string("Trellane folders 2\nexports=/a\n")).Exports.empty());
  const TLastFolders mixed = ParseLastFolders("Trellane folders 1\r\nnonsense\nexports=/a\r\nfoo=/b\nreports=\n");
  EXPECT_EQ(mixed.Exports, "/a");
  EXPECT_EQ(mixed.Reports, "");
  // A path with a line break is not written, so it cannot plant a line.
  TLastFolders planted;
  planted.Exports = "/a\nreports=/etc";
  planted.Drawings = std::string("/x\0y", 4);
  EXPECT_EQ(FormatLastFolders(planted), "Trellane folders 1\n");
}
