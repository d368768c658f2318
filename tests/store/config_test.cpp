#include <chrono>

#include "core/units.h"
#include "store/config.h"
#include "store/helpers.h"

using namespace storetest;

namespace {

class Config : public TStoreTest {
protected:
  std::string File() const { return Path("Trellane.ini"); }
  void Load(const std::string& payload) {
    WriteFile(File(), Compress(payload));
    LoadConfiguration(File());
  }
};

// Items 1 to 8 of every version.
TBytes Common(const std::string& version, int32_t unit = 1) {
  return TBytes().Str(version).Int(2).Str("Firm").Str("Town").Int(1).Str("Dist").Int(0).Int(1).Int(unit).Int(1)
      .Str("layout");
}

}  // namespace

TEST_F(Config, NewestVersionLayoutAndRoundTrip) {
  Settings = {.CompanyLines = {"Ünited", "Berlin"}, .DistributorLines = {}, .AntiAliasing = false,
              .ShowGrid = false, .SaveWindowPositionsOnExit = true,
              .WindowLayout = WindowLayoutRecord({3, 400, 300, -4, 10, "TfrmTransitDetail"}),
              .ProjectListColumns = "+00260-00140", .TransitListColumns = "+00080",
              .TemplateListColumns = " 00080", .AutoUpdate = true, .ReservedText = "reserved",
              .BlinkWarning = false, .FixedWindow = true};
  CurrentLengthUnit = luInch;
  ASSERT_TRUE(SaveConfiguration(File()));
  const std::string saved = Uncompress(ReadFile(File()));
  EXPECT_EQ(saved, TBytes().Str("Version_1.04").Int(2).Str("\xDCnited").Str("Berlin").Int(0).Int(0).Int(0).Int(0)
                       .Int(1).Str(Settings.WindowLayout).Str("+00260-00140").Str("+00080").Str(" 00080").Int(1)
                       .Str("reserved").Int(0).Data);
  // Read back, everything is written again as it was.
  SetDefaultSettings();
  LoadConfiguration(File());
  EXPECT_EQ(CurrentLengthUnit, luInch);
  EXPECT_FALSE(Settings.FixedWindow);  // never stored
  ASSERT_TRUE(SaveConfiguration(File()));
  EXPECT_EQ(Uncompress(ReadFile(File())), saved);
  EXPECT_TRUE(Shown.empty());
}

TEST_F(Config, OlderVersionsFillWhatTheyDoNotHold) {
  const struct {
    std::string Payload, Columns, Reserved;
    bool AutoUpdate, Blink;
    TLengthUnit Unit = luMillimetre;
  } cases[] = {
      {Common("Version_1.00").Str("drop1").Str("drop2").Int(1).Data, "", "", true, true},
      {Common("Version_1.01").Str("a").Str("b").Str("c").Int(0).Data, "", "", false, true},
      {Common("Version_1.02").Str("a").Str("b").Str("c").Int(0).Str("kept").Data, "", "kept", false, true},
      {Common("Version_1.03").Str("a").Str("b").Str("c").Int(1).Str("r").Int(0).Data, "", "r", true, false},
      // Any unit value but 0 is millimetre.
      {Common("Version_1.04", 7).Str("a").Str("b").Str("c").Int(0).Str("").Int(1).Data, "a", "", false, true},
      {Common("Version_1.04", 0).Str("a").Str("b").Str("c").Int(0).Str("").Int(1).Data, "a", "", false, true,
       luInch},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Payload.substr(4, 12));
    Settings.ProjectListColumns = Settings.TransitListColumns = Settings.TemplateListColumns = "+00100";
    Settings.ReservedText = "x";
    Settings.BlinkWarning = !k.Blink;
    Settings.AutoUpdate = !k.AutoUpdate;
    CurrentLengthUnit = k.Unit == luInch ? luMillimetre : luInch;
    Load(k.Payload);
    EXPECT_TRUE(Shown.empty());
    EXPECT_EQ(Settings.CompanyLines, (std::vector<std::string>{"Firm", "Town"}));
    EXPECT_EQ(Settings.WindowLayout, "layout");
    EXPECT_EQ(std::tie(Settings.ProjectListColumns, Settings.TemplateListColumns, Settings.ReservedText),
              std::tuple(k.Columns, std::string(k.Columns.empty() ? "" : "c"), k.Reserved));
    EXPECT_EQ(std::tuple(Settings.AutoUpdate, Settings.BlinkWarning, CurrentLengthUnit),
              std::tuple(k.AutoUpdate, k.Blink, k.Unit));
  }
}

TEST_F(Config, UnreadableFilesGiveDefaultsAndAreKeptAside) {
  const std::string lead = "err:Error reading configurationfile (default values will be used):\r\r";
  const std::pair<std::string, std::string> cases[] = {
      {Compress(Common("Version_1.05").Data), "Illegal config-file!"},
      {Compress(Common("Version_1.04").Str("a").Data), "Stream read error"},  // ends early
      {"", "Stream read error"},
      // Two thousand million company lines, or a text of a thousand million bytes, in a few bytes.
      {Compress(TBytes().Str("Version_1.04").Int(2000000000).Str("a").Str("b").Data),
       "The file holds a list of 2000000000 lines"},
      {Compress(TBytes().Str("Version_1.04").Int(1).Int(1 << 30).Raw(std::string(99, 'a')).Data),
       "The file holds a text of 1073741824 bytes"},
  };
  const auto start = std::chrono::steady_clock::now();
  for (const auto& [file, error] : cases) {
    Settings.CompanyLines = {"changed"};
    Settings.ShowGrid = false;
    CurrentLengthUnit = luInch;
    WriteFile(File(), file);
    Shown.clear();
    LoadConfiguration(File());
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0].rfind(lead + error, 0), 0u) << Shown[0];
    EXPECT_EQ(Settings.CompanyLines, DefaultCompanyLines());
    EXPECT_EQ(Settings.DistributorLines, DefaultDistributorLines());
    EXPECT_TRUE(Settings.ShowGrid);
    EXPECT_EQ(CurrentLengthUnit, luMillimetre);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

  // The next save keeps the unreadable file aside, once, and leaves the good
  // backup alone; the save after that keeps a backup.
  WriteFile(File() + ".bak", "the last good one");
  Shown.clear();
  ASSERT_TRUE(SaveConfiguration(File()));
  EXPECT_EQ(ReadFile(File() + ".bak"), "the last good one");
  ASSERT_EQ(Shown.size(), 1u);
  const std::string& m = Shown[0];
  const size_t at = m.find('\r') + 1;
  const std::string aside = m.substr(at, m.find('\r', at) - at);
  EXPECT_EQ(aside.rfind(File() + ".unreadable-", 0), 0u);
  EXPECT_EQ(m, "msg:The configuration file could not be read when the program started. It has been kept as\r" +
                   aside + "\rand a new configuration file has been written.");
  EXPECT_EQ(ReadFile(aside), cases[std::size(cases) - 1].first);
  const std::string good = ReadFile(File());
  ASSERT_TRUE(SaveConfiguration(File()));
  EXPECT_EQ(ReadFile(File() + ".bak"), good);
  EXPECT_EQ(Shown.size(), 1u);

  EXPECT_FALSE(SaveConfiguration(Path("no/such/folder/Trellane.ini")));
  const std::string failed = "err:Error writing configurationfile (current settings will not be saved):\r\r";
  EXPECT_EQ(Shown.back().rfind(failed, 0), 0u);
}

TEST_F(Config, WindowAndColumnLayoutTexts) {
  const std::string rec = WindowLayoutRecord({12, 640, 480, -4, 7, "TfrmTransitList"});
  EXPECT_EQ(rec, "      12     640     480      -4       7TfrmTransitList" + std::string(45, ' '));
  // Over-long values are clamped so that the record keeps its length.
  EXPECT_EQ(WindowLayoutRecord({1234567890, 1, 1, -123456789, 1, std::string(70, 'n')}).size(), 100u);

  const auto entries = ParseWindowLayout(rec + WindowLayoutRecord({3, 1, 2, 3, 4, "TfrmProjectList"}) + "99999");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(std::tuple(entries[0].ViewID, entries[0].Left, entries[0].ClassName),
            std::tuple(12, -4, "TfrmTransitList"));
  EXPECT_EQ(std::tuple(entries[1].Top, entries[1].ClassName), std::tuple(4, "TfrmProjectList"));

  std::string bad = rec + rec;
  bad[100 + 20] = 'x';
  std::vector<TWindowLayoutEntry> partial;
  EXPECT_THROW(ParseWindowLayout(bad, partial), TError);
  EXPECT_EQ(partial.size(), 1u);

  // Column layouts: a sign (shown or hidden) and a width of five digits per column.
  const std::vector<int> defaults = {80, 60, 52};
  const std::pair<std::string, std::vector<int>> cases[] = {
      {"", defaults},  // first start: all shown at default width
      {"+00005 00008-00140", {80, 8, 0}},
      {"+0x005+00100+00120", {80, 100, 120}},
      {"+00100", defaults},  // another list's column count: reset
  };
  for (auto [text, widths] : cases) {
    EXPECT_EQ(ColumnWidthsFromLayout(text, defaults), widths) << text;
    if (widths == defaults) {
      EXPECT_EQ(text, std::string(18, ' '));
    }
  }
  // Hide the last column, store widths: it keeps its width and comes back with it.
  std::string columns = "+00080+00060+00140";
  SetShownColumnsInLayout(columns, "++-");
  StoreColumnWidthsInLayout(columns, {90, 0, 0});  // dragged to 0: not stored as hidden
  EXPECT_EQ(columns, "+00090+00060-00140");
  SetShownColumnsInLayout(columns, "+++");
  EXPECT_EQ(ColumnWidthsFromLayout(columns, defaults), (std::vector<int>{90, 60, 140}));
  StoreColumnWidthsInLayout(columns, {123456, 1, 2});
  EXPECT_EQ(columns, "+99999+00001+00002");
}
