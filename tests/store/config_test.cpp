#include "core/units.h"
#include "store/config.h"
#include "store/helpers.h"

using namespace storetest;

namespace {

class Config : public ::testing::Test {
protected:
  void SetUp() override { SetDefaultSettings(); }
  void TearDown() override { SetDefaultSettings(); }
  std::string Path() const { return Scratch.Path("Trellane.ini"); }
  void Load(const std::string& payload) {
    WriteFile(Path(), Compress(payload));
    LoadConfiguration(Path());
  }
  TScratch Scratch;
  TRecordingSink Sink;
};

// Items 1 to 8 of every version.
TBytes Common(const std::string& version, int32_t unit = 1) {
  TBytes b;
  b.Str(version).Int(2).Str("Firm").Str("Town").Int(1).Str("Dist").Int(0).Int(1).Int(unit).Int(1);
  return b.Str("layout");
}

}  // namespace

TEST_F(Config, NewestVersionRoundTrip) {
  Settings.CompanyLines = {"Ünited", "Berlin"};
  Settings.DistributorLines = {};
  Settings.AntiAliasing = false;
  Settings.ShowGrid = false;
  CurrentLengthUnit = luInch;
  Settings.SaveWindowPositionsOnExit = true;
  Settings.WindowLayout = WindowLayoutRecord({3, 400, 300, -4, 10, "TfrmTransitDetail"});
  Settings.ProjectListColumns = "+00260-00140";
  Settings.TransitListColumns = "+00080";
  Settings.TemplateListColumns = " 00080";
  Settings.AutoUpdate = true;
  Settings.ReservedText = "reserved";
  Settings.BlinkWarning = false;
  Settings.FixedWindow = true;
  ASSERT_TRUE(SaveConfiguration(Path()));

  TBytesReader r(Uncompress(ReadFile(Path())));
  EXPECT_EQ(r.Str(), "Version_1.04");
  EXPECT_EQ(r.Int(), 2);
  EXPECT_EQ(r.Str(), "\xDCnited");
  EXPECT_EQ(r.Str(), "Berlin");
  EXPECT_EQ(r.Int(), 0);
  EXPECT_EQ(r.Int(), 0);
  EXPECT_EQ(r.Int(), 0);
  EXPECT_EQ(r.Int(), 0);  // inch
  EXPECT_EQ(r.Int(), 1);
  EXPECT_EQ(r.Str().size(), 100u);
  EXPECT_EQ(r.Str(), "+00260-00140");
  EXPECT_EQ(r.Str(), "+00080");
  EXPECT_EQ(r.Str(), " 00080");
  EXPECT_EQ(r.Int(), 1);
  EXPECT_EQ(r.Str(), "reserved");
  EXPECT_EQ(r.Int(), 0);
  EXPECT_TRUE(r.AtEnd());

  const TSettings saved = Settings;
  SetDefaultSettings();
  LoadConfiguration(Path());
  EXPECT_TRUE(Sink.All.empty());
  EXPECT_EQ(Settings.CompanyLines, saved.CompanyLines);
  EXPECT_TRUE(Settings.DistributorLines.empty());
  EXPECT_FALSE(Settings.AntiAliasing);
  EXPECT_EQ(CurrentLengthUnit, luInch);
  EXPECT_EQ(Settings.WindowLayout, saved.WindowLayout);
  EXPECT_EQ(Settings.TemplateListColumns, " 00080");
  EXPECT_EQ(Settings.ReservedText, "reserved");
  EXPECT_FALSE(Settings.BlinkWarning);
  EXPECT_FALSE(Settings.FixedWindow);  // never stored
}

TEST_F(Config, AnyUnitValueButZeroIsMillimetre) {
  CurrentLengthUnit = luInch;
  Load(Common("Version_1.04", 7).Str("a").Str("b").Str("c").Int(0).Str("").Int(1).Data);
  EXPECT_EQ(CurrentLengthUnit, luMillimetre);
  Load(Common("Version_1.04", 0).Str("a").Str("b").Str("c").Int(0).Str("").Int(1).Data);
  EXPECT_EQ(CurrentLengthUnit, luInch);
}

TEST_F(Config, OlderVersionsFillWhatTheyDoNotHold) {
  Settings.BlinkWarning = false;
  Settings.ReservedText = "x";
  Settings.ProjectListColumns = "+00100";
  Load(Common("Version_1.00").Str("drop1").Str("drop2").Int(1).Data);
  EXPECT_TRUE(Sink.All.empty());
  EXPECT_TRUE(Settings.BlinkWarning);
  EXPECT_TRUE(Settings.AutoUpdate);
  EXPECT_EQ(Settings.ReservedText, "");
  EXPECT_EQ(Settings.ProjectListColumns, "");
  EXPECT_EQ(Settings.CompanyLines, (std::vector<std::string>{"Firm", "Town"}));
  EXPECT_EQ(Settings.WindowLayout, "layout");

  Settings.ProjectListColumns = "+00100";
  Load(Common("Version_1.01").Str("a").Str("b").Str("c").Int(0).Data);
  EXPECT_TRUE(Sink.All.empty());
  EXPECT_EQ(Settings.ProjectListColumns, "");
  EXPECT_EQ(Settings.TransitListColumns, "");
  EXPECT_FALSE(Settings.AutoUpdate);

  Settings.BlinkWarning = false;
  Load(Common("Version_1.02").Str("a").Str("b").Str("c").Int(0).Str("kept").Data);
  EXPECT_EQ(Settings.ReservedText, "kept");
  EXPECT_TRUE(Settings.BlinkWarning);

  Load(Common("Version_1.03").Str("a").Str("b").Str("c").Int(0).Str("r").Int(0).Data);
  EXPECT_FALSE(Settings.BlinkWarning);
  EXPECT_EQ(Settings.TemplateListColumns, "");
  EXPECT_TRUE(Sink.All.empty());
}

TEST_F(Config, UnreadableFilesGiveDefaults) {
  const std::string lead = "Error reading configurationfile (default values will be used):\r\r";
  Settings.CompanyLines = {"changed"};
  Settings.ShowGrid = false;
  CurrentLengthUnit = luInch;
  Load(Common("Version_1.05").Data);
  ASSERT_EQ(Sink.Errors.size(), 1u);
  EXPECT_EQ(Sink.Errors[0], lead + "Illegal config-file!");
  EXPECT_EQ(Settings.CompanyLines, DefaultCompanyLines());
  EXPECT_EQ(Settings.DistributorLines, DefaultDistributorLines());
  EXPECT_EQ(Settings.DistributorLines.at(0), "Harvant Engineering bv");
  EXPECT_TRUE(Settings.ShowGrid);
  EXPECT_EQ(CurrentLengthUnit, luMillimetre);

  Sink.Clear();
  Settings.ShowGrid = false;
  Load(Common("Version_1.04").Str("a").Data);  // ends early
  EXPECT_EQ(Sink.Errors.at(0), lead + "Stream read error");
  EXPECT_TRUE(Settings.ShowGrid);

  Sink.Clear();
  LoadConfiguration(Scratch.Path("none.ini"));  // the very first start
  EXPECT_EQ(Sink.Errors.size(), 1u);
}

TEST_F(Config, FailedSaveKeepsTheOldFileAndUnreadableOnesAreKeptAside) {
  WriteFile(Path(), "garbage");
  LoadConfiguration(Path());
  Sink.Clear();
  ASSERT_TRUE(SaveConfiguration(Path()));
  ASSERT_EQ(Sink.Messages.size(), 1u);
  EXPECT_NE(Sink.Messages[0].find(Path() + ".unreadable-"), std::string::npos);
  const std::string good = ReadFile(Path());
  ASSERT_TRUE(SaveConfiguration(Path()));
  EXPECT_EQ(ReadFile(Path() + ".bak"), good);

  Sink.Clear();
  EXPECT_FALSE(SaveConfiguration(Scratch.Path("no/such/folder/Trellane.ini")));
  ASSERT_EQ(Sink.Errors.size(), 1u);
  EXPECT_EQ(Sink.Errors[0].rfind("Error writing configurationfile (current settings will not be saved):\r\r", 0), 0u);
}

TEST_F(Config, WindowLayoutRecords) {
  const std::string rec = WindowLayoutRecord({12, 640, 480, -4, 7, "TfrmTransitList"});
  ASSERT_EQ(rec.size(), 100u);
  EXPECT_EQ(rec.substr(0, 40), "      12     640     480      -4       7");
  EXPECT_EQ(rec.substr(24, 8), "      -4");
  EXPECT_EQ(rec.substr(40), "TfrmTransitList" + std::string(45, ' '));
  // Over-long values are clamped so that the record keeps its length.
  EXPECT_EQ(WindowLayoutRecord({1234567890, 1, 1, -123456789, 1, std::string(70, 'n')}).size(), 100u);

  const std::string text = rec + WindowLayoutRecord({3, 1, 2, 3, 4, "TfrmProjectList"}) + std::string(50, '9');
  const auto entries = ParseWindowLayout(text);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].ViewID, 12);
  EXPECT_EQ(entries[0].Left, -4);
  EXPECT_EQ(entries[0].ClassName, "TfrmTransitList");
  EXPECT_EQ(entries[1].Top, 4);
  EXPECT_EQ(entries[1].ClassName, "TfrmProjectList");

  std::string bad = rec + rec;
  bad[100 + 20] = 'x';
  std::vector<TWindowLayoutEntry> partial;
  EXPECT_THROW(ParseWindowLayout(bad, partial), TError);
  EXPECT_EQ(partial.size(), 1u);
}

TEST_F(Config, ColumnLayoutTexts) {
  const std::vector<int> defaults = {80, 60, 52};
  std::string text;  // first start: all shown at default width
  EXPECT_EQ(ColumnWidthsFromLayout(text, defaults), defaults);
  EXPECT_EQ(text, std::string(18, ' '));

  text = "+00005 00008-00140";
  EXPECT_EQ(ColumnWidthsFromLayout(text, defaults), (std::vector<int>{80, 8, 0}));
  text = "+0x005+00100+00120";
  EXPECT_EQ(ColumnWidthsFromLayout(text, defaults), (std::vector<int>{80, 100, 120}));
  text = "+00100";  // another list's column count: reset
  EXPECT_EQ(ColumnWidthsFromLayout(text, defaults), defaults);

  // Hide the last column, store widths: it keeps its width and comes back with it.
  text = "+00080+00060+00140";
  SetShownColumnsInLayout(text, "++-");
  StoreColumnWidthsInLayout(text, {90, 0, 0});  // dragged to 0: not stored as hidden
  EXPECT_EQ(text, "+00090+00060-00140");
  SetShownColumnsInLayout(text, "+++");
  EXPECT_EQ(ColumnWidthsFromLayout(text, defaults), (std::vector<int>{90, 60, 140}));
  StoreColumnWidthsInLayout(text, {123456, 1, 2});
  EXPECT_EQ(text, "+99999+00001+00002");
}
