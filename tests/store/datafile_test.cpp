#include <chrono>
#include <optional>

#include "store/helpers.h"

using namespace storetest;
using namespace std::string_literals;

namespace {

const std::string kV100 = "RecTransit_V100", kV101 = "RecTransit_V101";

class DataFile : public TStoreTest {
protected:
  std::string File() const { return Path("Trellane.tbs"); }
  // Loads a payload (compressed by zlib itself) as the program loads its data file.
  void LoadPayload(const std::string& payload) {
    WriteFile(File(), Compress(payload));
    EXPECT_TRUE(LoadDataFile(File()));
  }
  std::string SavedPayload() {
    EXPECT_TRUE(SaveDataFile(File()));
    return Uncompress(ReadFile(File()));
  }
};

TBytes Header() { return TBytes().Str("Version_1.00"); }

// A payload with one customer and one transit (ID 1) of those codes.
std::string OneTransit(const TTransitCodes& codes) {
  TBytes b = Header().Int(1).Int(1).Str("RecCustomer_V100").Str("kept").Int(0).Int(1).Int(1);
  AppendTransit(b, codes);
  return b.Int(0).Data;
}

}  // namespace

TEST_F(DataFile, IdentifiersOrderAndEveryFieldAreKeptAndWrittenBack) {
  InitTransitRecord(Transits.Add());  // what the tables held before goes
  auto payload = [](const std::string& tag) {
    TBytes b = Header().Int(3);
    for (int id : {5, 2, 9}) b.Int(id).Str(tag + "Customer_V100").Str("c" + std::to_string(id));
    b.Int(1).Int(4).Str(tag + "Project_V100").Str("Deck 3 \x96 aft").Dbl(45000.5).Str("an").Dbl(45100.75);
    b.Str("piet").Str("ACME").Str("first\r\nsecond").Int(1).Int(7);
    AppendTransit(b, {.Name = "Kabel \xE9\xE9n"});  // Windows-1252 on disk
    AppendConduit(b.Int(2).Int(11), 7, 25000, 3, 104);
    AppendConduit(b.Int(12), 99, 40000, 1, 102);  // an orphan loads like any other
    return b.Data;
  };
  LoadPayload(payload("Any"));  // the tags of these records are not checked
  EXPECT_TRUE(Shown.empty());
  ASSERT_EQ(Customers.Count(), 3);
  EXPECT_EQ(std::tuple(Customers.Items(0)->ID, Customers.Items(1)->ID, Customers.Items(2)->ID),
            std::tuple(5, 2, 9));
  EXPECT_EQ(Customers.Items(2)->Name, "c9");
  const TRecProject* p = Projects.Items(0);
  EXPECT_EQ(std::tuple(p->ID, p->Name, p->Created, p->CreatedBy, p->Modified, p->ModifiedBy, p->Customer,
                       p->Comments),
            std::tuple(4, "Deck 3 – aft"s, 45000.5, "an"s, 45100.75, "piet"s, "ACME"s, "first\r\nsecond"s));
  // Transit and conduit fields are compared one by one in the dump of a transit file.
  ASSERT_EQ(Transits.Count(), 1);
  EXPECT_EQ(std::tuple(Transits.Items(0)->ID, Transits.Items(0)->Name), std::tuple(7, "Kabel één"));
  ASSERT_EQ(Conduits.Count(), 2);
  EXPECT_EQ(std::tuple(Conduits.Items(0)->ID, Conduits.Items(1)->ID, Conduits.Items(1)->TransitID),
            std::tuple(11, 12, 99));
  EXPECT_EQ(SavedPayload(), payload("Rec"));

  Transits.Items(0)->Name = "π pipe";  // π is not in the code page
  Transits.Delete(Transits.Add());  // LastID 8, highest stored ID 7
  ASSERT_TRUE(SaveDataFile(File()));
  ASSERT_TRUE(LoadDataFile(File()));
  EXPECT_EQ(Transits.Items(0)->Name, "? pipe");
  EXPECT_EQ(Transits.LastID, 7);
  EXPECT_EQ(Customers.Items(Customers.Add())->ID, 10);
}

// Each transit is loaded, checked, saved again and compared with the record as
// the newest version writes it.
TEST_F(DataFile, EveryStoredCodeOfEveryRecordVersion) {
  struct TCase {
    std::tuple<TConduitType, TFillSystem, TClassification, TSealantCartridge, TSealantLayer, TFillSubsystem> Want;
    TTransitCodes In;
    std::optional<TTransitCodes> Out;  // when not written back as read
  };
  const TCase cases[] = {
      {{ctCables, fsKova, clA, scTiso, slDouble20, fssNone}, {}, {}},
      {{ctPipesMetal, fsGrentax, clH, scGrentax, slNone, fssCFitCrusher},
       {.ConduitType = 102, .FillSystem = 202, .Classification = 302, .Cartridge = 505, .Layer = 601,
        .Subsystem = 701},
       {}},
      {{ctPipesGRP, fsPraven, clB, scHorlan, slSingle20, fssWrapCrusher},
       {.ConduitType = 103, .FillSystem = 203, .Classification = 303, .Cartridge = 507, .Layer = 603,
        .Subsystem = 702},
       {}},
      {{ctPipesPlastic, fsKovaMoxel, clWatertight, scTiso, slDouble5, fssNone},
       {.ConduitType = 104, .FillSystem = 205, .Classification = 304, .Cartridge = 504, .Layer = 604},
       TTransitCodes{.ConduitType = 104, .FillSystem = 205, .Classification = 304, .Layer = 604}},
      {{ctCables, fsGrentax, clA, scGrentax, slDouble20, fssNone}, {.FillSystem = 202, .Cartridge = 506},
       TTransitCodes{.FillSystem = 202, .Cartridge = 505}},
      // Dusmera never keeps H- or B-class, whatever the version.
      {{ctCables, fsDusmera, clA, scTiso, slDouble20, fssNone}, {.FillSystem = 204, .Classification = 302},
       TTransitCodes{.FillSystem = 204}},
      // Version 1.01 had its own code for B-class with a single sealant layer.
      {{ctCables, fsKova, clB, scHorlan, slSingle20, fssNone},
       {.Tag = kV101, .Classification = 305, .Cartridge = 507},
       TTransitCodes{.Classification = 303, .Cartridge = 507, .Layer = 603}},
      {{ctCables, fsKova, clB, scTiso, slDouble20, fssNone}, {.Tag = kV101, .Classification = 303},
       TTransitCodes{.Classification = 303}},
      // Version 1.00: the cartridge follows from the fill system.
      {{ctCables, fsKova, clA, scTiso, slDouble20, fssNone}, {.Tag = kV100, .Cartridge = 502}, TTransitCodes{}},
      {{ctCables, fsGrentax, clA, scGrentax, slDouble20, fssNone},
       {.Tag = kV100, .FillSystem = 202, .Cartridge = 501}, TTransitCodes{.FillSystem = 202, .Cartridge = 505}},
      {{ctCables, fsPraven, clA, scHorlan, slDouble20, fssNone},
       {.Tag = kV100, .FillSystem = 203, .Cartridge = 502}, TTransitCodes{.FillSystem = 203, .Cartridge = 507}},
      {{ctCables, fsDusmera, clA, scGrentax, slDouble20, fssNone},
       {.Tag = kV100, .FillSystem = 204, .Classification = 303, .Cartridge = 501},
       TTransitCodes{.FillSystem = 204, .Cartridge = 505}},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE("case " + std::to_string(&k - cases));
    LoadPayload(OneTransit(k.In));
    const TRecTransit* t = Transits.Items(0);
    EXPECT_EQ(std::tuple(t->DefaultConduitType, t->FillSystem, t->Classification, t->SealantCartridge,
                         t->SealantLayer, t->FillSubsystem), k.Want);
    EXPECT_EQ(SavedPayload(), OneTransit(k.Out.value_or(k.In)));
    EXPECT_TRUE(Shown.empty());
  }
}

TEST_F(DataFile, CodesNotAcceptedForTheVersionFailTheLoad) {
  TBytes conduit = Header().Int(1).Int(1).Str("RecCustomer_V100").Str("kept").Int(0).Int(0).Int(1).Int(1);
  AppendConduit(conduit, 1, 1000, 1, 100);
  const struct {
    std::string Payload, Message;
  } cases[] = {
      {OneTransit({.Tag = kV100, .FillSystem = 205, .Cartridge = 501}), "unknown value for FillSystem"},
      {OneTransit({.Tag = kV101, .FillSystem = 205}), "unknown value for FillSystem"},
      {OneTransit({.Tag = kV100, .Cartridge = 503}), "unknown value for SealantCartridge"},
      {OneTransit({.Tag = kV101, .Cartridge = 501}), "unknown value for SealantCartridge"},
      {OneTransit({.Classification = 305}), "unknown value for Classification"},
      {OneTransit({.ConduitType = 105}), "unknown value for DefaultConduitType"},
      {OneTransit({.Layer = 600}), "unknown value for SealantLayer"},
      {OneTransit({.Subsystem = 0}), "unknown value for FillSubsystem"},
      {OneTransit({.Misc2 = 0}), "unknown value for MiscPar2"},
      {OneTransit({.Misc3 = 1}), "unknown value for MiscPar3"},
      {OneTransit({.Misc4 = 998}), "unknown value for MiscPar4"},
      {OneTransit({.Tag = "RecTransit_V103"}), "Illegal transit data-format!"},
      {conduit.Data, "unknown value for ConduitType"},
  };
  for (const auto& k : cases) {
    Shown.clear();
    LoadPayload(k.Payload);
    const std::vector<std::string> shown = {"msg:Exception", "err:Error reading datafile:\r\r" + k.Message};
    EXPECT_EQ(Shown, shown);
    EXPECT_EQ(Customers.Items(0)->Name, "kept");  // what was read before stays
  }
}

TEST_F(DataFile, MissingDamagedAndHostileFilesFailFastAndAreKeptAside) {
  const std::string whole = Compress(Header().Int(1).Int(1).Str("RecCustomer_V100").Str("x").Data);
  const struct {
    std::string File, Kind, Error;
  } cases[] = {
      {"this is not zlib", "EZDecompressionError", ""},
      {whole.substr(0, whole.size() - 6), "EReadError", "Stream read error"},
      {Compress(TBytes().Str("Version_1.01").Int(0).Int(0).Int(0).Int(0).Data), "Exception",
       "Illegal config-file!"},
      // Two thousand million records, or a text of a thousand million bytes, in a few bytes.
      {Compress(Header().Int(2000000000).Int(1).Str("RecCustomer_V100").Str("a").Data), "EReadError",
       "Stream read error"},
      {Compress(Header().Int(0).Int(0).Int(0).Int(2000000000).Int(1).Str("RecConduit_V100").Int(1).Data),
       "EReadError", "Stream read error"},
      {Compress(Header().Int(1).Int(1).Str("RecCustomer_V100").Int(1 << 30).Raw(std::string(150, 'x')).Data),
       "EReadError", "The file holds a text of 1073741824 bytes, longer than the 1048576 allowed"},
  };
  const auto start = std::chrono::steady_clock::now();
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Kind + " " + k.File.substr(0, 16));
    WriteFile(File(), k.File);
    Shown.clear();
    EXPECT_TRUE(LoadDataFile(File()));
    ASSERT_EQ(Shown.size(), 2u);
    EXPECT_EQ(Shown[0], "msg:" + k.Kind);
    EXPECT_EQ(Shown[1].rfind("err:Error reading datafile:\r\r" + k.Error, 0), 0u) << Shown[1];
    EXPECT_TRUE(DataFileLocked());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

  // The next save keeps the unreadable file aside and leaves the good backup alone.
  const std::string damaged = ReadFile(File());
  WriteFile(File() + ".bak", "the last good one");
  Shown.clear();
  ASSERT_TRUE(SaveDataFile(File()));
  EXPECT_EQ(ReadFile(File() + ".bak"), "the last good one");
  std::string aside;
  for (const auto& entry : std::filesystem::directory_iterator(Dir))
    if (entry.path().filename().string().rfind("Trellane.tbs.unreadable-", 0) == 0) aside = entry.path().string();
  ASSERT_FALSE(aside.empty());
  EXPECT_EQ(Shown, std::vector<std::string>{"msg:The data file could not be read when the program started. "
                                               "It has been kept as\r" + aside +
                                               "\rand a new data file has been written."});
  EXPECT_EQ(ReadFile(aside), damaged);
  // Only once: the next save replaces the file as usual.
  const std::string first = ReadFile(File());
  Customers.Items(Customers.Add())->Name = "second";
  Shown.clear();
  ASSERT_TRUE(SaveDataFile(File()));
  EXPECT_TRUE(Shown.empty());
  EXPECT_EQ(ReadFile(File() + ".bak"), first);
  EXPECT_NE(ReadFile(File()), first);
  EXPECT_EQ(ReadFile(aside), damaged);
  EXPECT_TRUE(DataFileLocked());
}

TEST_F(DataFile, ValuesThatCannotBeStoredFailTheSaveAndKeepTheOldFile) {
  LoadPayload(Header().Int(1).Int(1).Str("RecCustomer_V100").Str("old").Int(0).Int(0).Int(0).Data);
  const std::string before = ReadFile(File());
  const struct {
    void (*Set)();
    std::string Message;
  } cases[] = {
      {[] { Transits.Items(0)->FillSubsystem = TFillSubsystem(3); }, "FillSubsystems"},
      {[] { Transits.Items(0)->FillSystem = TFillSystem(5); }, "FillSystem"},
      {[] { Transits.Items(0)->DefaultConduitType = TConduitType(4); }, "DefaultConduitType"},
      {[] { Transits.Items(0)->Classification = TClassification(9); }, "Classification"},
      {[] { Transits.Items(0)->SealantCartridge = TSealantCartridge(3); }, "SealantCartridge"},
      {[] { Transits.Items(0)->SealantLayer = TSealantLayer(4); }, "SealantLayer"},
      {[] { Transits.Items(0)->MiscPar3 = 1; }, "MiscPar3"},
      {[] { Conduits.Items(Conduits.Add())->ConduitType = TConduitType(4); }, "ConduitType"},
  };
  for (const auto& k : cases) {
    Transits.Clear();
    Conduits.Clear();
    InitTransitRecord(Transits.Add());
    k.Set();
    Shown.clear();
    EXPECT_FALSE(SaveDataFile(File()));
    EXPECT_EQ(Shown, std::vector<std::string>{"err:Error writing datafile (current changes will not be saved):"
                                                 "\r\runknown value for " + k.Message});
    EXPECT_EQ(ReadFile(File()), before);
    EXPECT_TRUE(TempFilesIn(Dir).empty());
    EXPECT_TRUE(DataFileLocked());
  }
  EXPECT_EQ(Customers.Items(0)->Name, "old");
}

TEST_F(DataFile, SaveThroughALinkAndWithoutRoomForABackup) {
  std::filesystem::create_directory(Dir / "real");
  const std::string real = Path("real/Trellane.tbs");
  Customers.Items(Customers.Add())->Name = "one";
  ASSERT_TRUE(SaveDataFile(real));
  std::filesystem::create_symlink(real, File());
  std::filesystem::create_directory(real + ".bak");  // the backup cannot be made
  Customers.Items(0)->Name = "two";
  ASSERT_TRUE(SaveDataFile(File()));
  EXPECT_TRUE(Shown.empty());
  EXPECT_TRUE(std::filesystem::is_symlink(File()));
  ClearTables();
  ASSERT_TRUE(LoadDataFile(real));
  EXPECT_EQ(Customers.Items(0)->Name, "two");
}
