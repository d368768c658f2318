#include <chrono>

#include "store/datafile.h"
#include "store/helpers.h"

using namespace storetest;

namespace {

class DataFile : public ::testing::Test {
protected:
  void SetUp() override { ClearTables(); }
  void TearDown() override {
    CloseDataFile();
    ClearTables();
  }
  // Loads a payload (compressed by zlib itself) as the program loads its data file.
  void LoadPayload(const std::string& payload) {
    WriteFile(Scratch.Path("Trellane.tbs"), Compress(payload));
    EXPECT_TRUE(LoadDataFile(Scratch.Path("Trellane.tbs")));
  }
  std::string SavedPayload() {
    EXPECT_TRUE(SaveDataFile(Scratch.Path("Trellane.tbs")));
    return Uncompress(ReadFile(Scratch.Path("Trellane.tbs")));
  }
  TScratch Scratch;
  TRecordingSink Sink;
};

TBytes Header() { return TBytes().Str("Version_1.00"); }

// A payload with one transit (and nothing else) made of those codes.
std::string OneTransit(const TTransitCodes& codes) {
  TBytes b = Header().Int(0).Int(0).Int(1).Int(1);
  AppendTransit(b, codes);
  return b.Int(0).Data;
}

}  // namespace

TEST_F(DataFile, EmptyTablesLoad) {
  Customers.Add();
  LoadPayload(Header().Int(0).Int(0).Int(0).Int(0).Data);
  EXPECT_TRUE(Sink.All.empty());
  EXPECT_EQ(Customers.Count() + Projects.Count() + Transits.Count() + Conduits.Count(), 0);
  EXPECT_EQ(Customers.LastID + Projects.LastID + Transits.LastID + Conduits.LastID, 0);
  EXPECT_TRUE(DataFileLocked());
}

TEST_F(DataFile, StoredIdentifiersAndOrderAreKept) {
  TBytes b = Header().Int(3);
  for (int id : {5, 2, 9}) b.Int(id).Str("RecCustomer_V100").Str("c" + std::to_string(id));
  b.Int(1).Int(4).Str("any tag").Str("Proj").Dbl(45000.5).Str("an").Dbl(45100.75).Str("piet").Str("ACME");
  b.Str("first\r\nsecond");
  b.Int(0).Int(0);
  LoadPayload(b.Data);
  ASSERT_EQ(Customers.Count(), 3);
  EXPECT_EQ(Customers.Items(0)->ID, 5);
  EXPECT_EQ(Customers.Items(1)->ID, 2);
  EXPECT_EQ(Customers.Items(2)->ID, 9);
  EXPECT_EQ(Customers.Items(2)->Name, "c9");
  EXPECT_EQ(Customers.Items(Customers.Add())->ID, 10);
  const TRecProject* p = Projects.Items(0);
  EXPECT_EQ(p->ID, 4);
  EXPECT_EQ(p->Name, "Proj");
  EXPECT_EQ(p->Created, 45000.5);
  EXPECT_EQ(p->CreatedBy, "an");
  EXPECT_EQ(p->Modified, 45100.75);
  EXPECT_EQ(p->ModifiedBy, "piet");
  EXPECT_EQ(p->Customer, "ACME");
  EXPECT_EQ(p->Comments, "first\r\nsecond");
  EXPECT_EQ(Projects.IndexOfID(4), 0);
}

TEST_F(DataFile, EveryTransitFieldOfTheNewestVersion) {
  TTransitCodes c;
  c.Name = "Kabel \xE9\xE9n";  // Windows-1252 on disk
  c.ConduitType = 103;
  c.FillSystem = 205;
  c.Classification = 301;
  c.Cartridge = 506;
  c.Layer = 604;
  c.Subsystem = 701;
  TBytes b = Header().Int(0).Int(0).Int(1).Int(7);
  AppendTransit(b, c);
  b.Int(2).Int(11);
  AppendConduit(b, 7, 25000, 3, 104);
  b.Int(12);
  AppendConduit(b, 99, 40000, 1, 102);  // an orphan loads like any other
  LoadPayload(b.Data);
  const TRecTransit* t = Transits.Items(0);
  EXPECT_EQ(t->ID, 7);
  EXPECT_EQ(t->ProjectID, 1);
  EXPECT_EQ(t->Name, "Kabel één");
  EXPECT_EQ(t->TransitsInProject, 2);
  EXPECT_EQ(t->Created, 45000.5);
  EXPECT_EQ(t->CreatedBy, "creator");
  EXPECT_EQ(t->Modified, 45001.25);
  EXPECT_EQ(t->ModifiedBy, "modifier");
  EXPECT_EQ(t->Comments, "line 1\r\nline 2");
  EXPECT_EQ(t->Depth, 180000);
  EXPECT_EQ(t->Width, 300000);
  EXPECT_EQ(t->Height, 200000);
  EXPECT_EQ(t->CornerRadius, 10000);
  EXPECT_EQ(t->SparePercentage, 5);
  EXPECT_EQ(t->DefaultConduitType, ctPipesGRP);
  EXPECT_EQ(t->FillSystem, fsKovaMoxel);
  EXPECT_EQ(t->Classification, clA);
  EXPECT_EQ(t->SealantCartridge, scGrentax);
  EXPECT_EQ(t->SealantLayer, slDouble5);
  EXPECT_EQ(t->FillSubsystem, fssCFitCrusher);
  ASSERT_EQ(Conduits.Count(), 2);
  EXPECT_EQ(Conduits.Items(0)->ID, 11);
  EXPECT_EQ(Conduits.Items(0)->TransitID, 7);
  EXPECT_EQ(Conduits.Items(0)->OuterDiameter, 25000);
  EXPECT_EQ(Conduits.Items(0)->Amount, 3);
  EXPECT_EQ(Conduits.Items(0)->ConduitType, ctPipesPlastic);
  EXPECT_EQ(Conduits.Items(1)->TransitID, 99);
  EXPECT_EQ(Conduits.Items(1)->ConduitType, ctPipesMetal);
}

TEST_F(DataFile, OldestVersionDerivesCartridgeAndIsWrittenAsNewest) {
  TTransitCodes c;
  c.Tag = "RecTransit_V100";
  c.FillSystem = 202;
  c.Cartridge = 501;
  LoadPayload(OneTransit(c));
  const TRecTransit* t = Transits.Items(0);
  EXPECT_EQ(t->SealantCartridge, scGrentax);
  EXPECT_EQ(t->SealantLayer, slDouble20);
  EXPECT_EQ(t->FillSubsystem, fssNone);

  TBytesReader r(SavedPayload());
  EXPECT_EQ(r.Str(), "Version_1.00");
  EXPECT_EQ(r.Int(), 0);
  EXPECT_EQ(r.Int(), 0);
  EXPECT_EQ(r.Int(), 1);
  EXPECT_EQ(r.Int(), 1);  // ID
  EXPECT_EQ(r.Str(), "RecTransit_V102");
  EXPECT_EQ(r.Int(), 1);
  EXPECT_EQ(r.Str(), "T");
  EXPECT_EQ(r.Int(), 2);
  EXPECT_EQ(r.Dbl(), 45000.5);
  EXPECT_EQ(r.Str(), "creator");
  EXPECT_EQ(r.Dbl(), 45001.25);
  EXPECT_EQ(r.Str(), "modifier");
  EXPECT_EQ(r.Str(), "line 1\r\nline 2");
  for (double v : {180000.0, 300000.0, 200000.0, 10000.0, 5.0}) EXPECT_EQ(r.Dbl(), v);
  for (int code : {101, 202, 301, 401, 505, 602, 999, 999, 999, 999}) EXPECT_EQ(r.Int(), code);
  EXPECT_EQ(r.Int(), 0);
  EXPECT_TRUE(r.AtEnd());
}

TEST_F(DataFile, OldestVersionCartridgePerFillSystem) {
  const std::pair<int32_t, TSealantCartridge> cases[] = {{201, scTiso}, {203, scHorlan}, {204, scGrentax}};
  for (auto [fs, cartridge] : cases) {
    TTransitCodes c;
    c.Tag = "RecTransit_V100";
    c.FillSystem = fs;
    c.Cartridge = 502;
    LoadPayload(OneTransit(c));
    EXPECT_EQ(Transits.Items(0)->SealantCartridge, cartridge) << fs;
    CloseDataFile();
  }
}

TEST_F(DataFile, MiddleVersionSingleLayerClassification) {
  TTransitCodes c;
  c.Tag = "RecTransit_V101";
  c.Classification = 305;
  c.Cartridge = 507;
  LoadPayload(OneTransit(c));
  EXPECT_EQ(Transits.Items(0)->Classification, clB);
  EXPECT_EQ(Transits.Items(0)->SealantLayer, slSingle20);
  EXPECT_EQ(Transits.Items(0)->SealantCartridge, scHorlan);
  CloseDataFile();
  c.Classification = 303;
  LoadPayload(OneTransit(c));
  EXPECT_EQ(Transits.Items(0)->SealantLayer, slDouble20);
}

TEST_F(DataFile, DusmeraNeverKeepsHOrBClass) {
  for (const char* tag : {"RecTransit_V100", "RecTransit_V101", "RecTransit_V102"}) {
    for (int32_t cl : {302, 303}) {
      TTransitCodes c;
      c.Tag = tag;
      c.FillSystem = 204;
      c.Classification = cl;
      c.Cartridge = std::string(tag) == "RecTransit_V100" ? 501 : 503;
      LoadPayload(OneTransit(c));
      EXPECT_EQ(Transits.Items(0)->FillSystem, fsDusmera);
      EXPECT_EQ(Transits.Items(0)->Classification, clA) << tag << " " << cl;
      CloseDataFile();
    }
  }
}

TEST_F(DataFile, CodesNotAcceptedForTheVersionFailTheLoad) {
  struct TCase {
    std::string Tag;
    void (*Set)(TTransitCodes&);
    std::string Message;
  };
  const TCase cases[] = {
      {"RecTransit_V100", [](TTransitCodes& c) { c.FillSystem = 205; c.Cartridge = 501; }, "unknown value for FillSystem"},
      {"RecTransit_V101", [](TTransitCodes& c) { c.FillSystem = 205; }, "unknown value for FillSystem"},
      {"RecTransit_V100", [](TTransitCodes& c) { c.Cartridge = 503; }, "unknown value for SealantCartridge"},
      {"RecTransit_V101", [](TTransitCodes& c) { c.Cartridge = 501; }, "unknown value for SealantCartridge"},
      {"RecTransit_V102", [](TTransitCodes& c) { c.Classification = 305; }, "unknown value for Classification"},
      {"RecTransit_V102", [](TTransitCodes& c) { c.ConduitType = 105; }, "unknown value for DefaultConduitType"},
      {"RecTransit_V102", [](TTransitCodes& c) { c.Layer = 600; }, "unknown value for SealantLayer"},
      {"RecTransit_V102", [](TTransitCodes& c) { c.Subsystem = 0; }, "unknown value for FillSubsystem"},
      {"RecTransit_V102", [](TTransitCodes& c) { c.Misc2 = 0; }, "unknown value for MiscPar2"},
      {"RecTransit_V102", [](TTransitCodes& c) { c.Misc3 = 1; }, "unknown value for MiscPar3"},
      {"RecTransit_V102", [](TTransitCodes& c) { c.Misc4 = 998; }, "unknown value for MiscPar4"},
      {"RecTransit_V103", [](TTransitCodes&) {}, "Illegal transit data-format!"},
  };
  for (const TCase& k : cases) {
    Sink.Clear();
    TTransitCodes c;
    c.Tag = k.Tag;
    if (k.Tag != "RecTransit_V102") c.Cartridge = 503;
    k.Set(c);
    LoadPayload(OneTransit(c));
    ASSERT_EQ(Sink.All.size(), 2u) << k.Message;
    EXPECT_EQ(Sink.All[0], "msg:Exception");
    EXPECT_EQ(Sink.All[1], "err:Error reading datafile:\r\r" + k.Message);
    CloseDataFile();
  }
  // A conduit with an unknown type.
  Sink.Clear();
  TBytes b = Header().Int(0).Int(0).Int(0).Int(1).Int(1);
  AppendConduit(b, 1, 1000, 1, 100);
  LoadPayload(b.Data);
  EXPECT_EQ(Sink.All.back(), "err:Error reading datafile:\r\runknown value for ConduitType");
}

TEST_F(DataFile, FailedLoadKeepsWhatWasReadBefore) {
  TBytes b = Header().Int(1).Int(1).Str("RecCustomer_V100").Str("kept").Int(0).Int(2).Int(3);
  AppendTransit(b, TTransitCodes());
  b.Int(4).Str("RecTransit_V099");
  LoadPayload(b.Data);
  EXPECT_EQ(Sink.Errors.back(), "Error reading datafile:\r\rIllegal transit data-format!");
  EXPECT_EQ(Customers.Count(), 1);
  EXPECT_EQ(Customers.Items(0)->Name, "kept");
  ASSERT_GE(Transits.Count(), 1);
  EXPECT_EQ(Transits.Items(0)->ID, 3);
}

TEST_F(DataFile, WrongFileVersionAndMissingOrDamagedFiles) {
  LoadPayload(TBytes().Str("Version_1.01").Int(0).Int(0).Int(0).Int(0).Data);
  EXPECT_EQ(Sink.Errors.back(), "Error reading datafile:\r\rIllegal config-file!");
  CloseDataFile();

  Sink.Clear();
  EXPECT_TRUE(LoadDataFile(Scratch.Path("missing.tbs")));
  ASSERT_EQ(Sink.All.size(), 2u);
  EXPECT_EQ(Sink.All[0], "msg:EFOpenError");
  EXPECT_EQ(Sink.All[1].rfind("err:Error reading datafile:\r\rCannot open file", 0), 0u);
  EXPECT_FALSE(DataFileLocked());

  Sink.Clear();
  WriteFile(Scratch.Path("Trellane.tbs"), "this is not zlib");
  EXPECT_TRUE(LoadDataFile(Scratch.Path("Trellane.tbs")));
  EXPECT_EQ(Sink.All[0], "msg:EZDecompressionError");
  CloseDataFile();

  Sink.Clear();
  const std::string whole = Compress(Header().Int(1).Int(1).Str("RecCustomer_V100").Str("x").Data);
  WriteFile(Scratch.Path("Trellane.tbs"), whole.substr(0, whole.size() - 6));
  EXPECT_TRUE(LoadDataFile(Scratch.Path("Trellane.tbs")));
  EXPECT_EQ(Sink.All[0], "msg:EReadError");
  EXPECT_EQ(Sink.All[1], "err:Error reading datafile:\r\rStream read error");
}

TEST_F(DataFile, HostileCountsAndLengthsFailQuickly) {
  const auto start = std::chrono::steady_clock::now();
  LoadPayload(Header().Int(2000000000).Int(1).Str("RecCustomer_V100").Str("a").Data);
  EXPECT_EQ(Sink.Errors.back(), "Error reading datafile:\r\rStream read error");
  CloseDataFile();
  TBytes b = Header().Int(0).Int(0).Int(0).Int(2000000000);
  b.Int(1).Str("RecConduit_V100").Int(1);
  LoadPayload(b.Data);
  CloseDataFile();
  LoadPayload(Header().Int(1).Int(1).Str("RecCustomer_V100").Int(1 << 30).Raw(std::string(150, 'x')).Data);
  EXPECT_EQ(Sink.Errors.back(), "Error reading datafile:\r\rStream read error");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(DataFile, SaveAndLoadRoundTripEveryField) {
  Customers.Items(Customers.Add())->Name = "Müller & Zoon";
  const int p = Projects.Add();
  Projects.Items(p)->Name = "Deck 3 – aft";  // en dash exists in Windows-1252
  Projects.Items(p)->Comments = "a\r\nb";
  Projects.Items(p)->Created = 45123.5;
  const int t = Transits.Add();
  InitTransitRecord(t);
  TRecTransit* tr = Transits.Items(t);
  tr->ProjectID = Projects.Items(p)->ID;
  tr->FillSystem = fsPraven;
  tr->Classification = clWatertight;
  tr->SealantCartridge = scHorlan;
  tr->Name = "π pipe";  // π is not in the code page
  TRecConduit* c = Conduits.Items(Conduits.Add());
  c->TransitID = tr->ID;
  c->OuterDiameter = 12345.5;
  c->Amount = 7;
  c->ConduitType = ctPipesGRP;
  Transits.Delete(Transits.Add());  // LastID 2, highest stored ID 1

  const std::string payload = SavedPayload();
  EXPECT_TRUE(Sink.All.empty());
  EXPECT_NE(payload.find(std::string("\xCB\x00\x00\x00", 4)), std::string::npos);  // Praven as 203
  EXPECT_NE(payload.find("M\xFCller"), std::string::npos);
  EXPECT_NE(payload.find("Deck 3 \x96 aft"), std::string::npos);
  ClearTables();
  ASSERT_TRUE(LoadDataFile(Scratch.Path("Trellane.tbs")));
  EXPECT_TRUE(Sink.All.empty());
  EXPECT_EQ(Customers.Items(0)->Name, "Müller & Zoon");
  EXPECT_EQ(Projects.Items(0)->Name, "Deck 3 – aft");
  EXPECT_EQ(Projects.Items(0)->Comments, "a\r\nb");
  EXPECT_EQ(Projects.Items(0)->Created, 45123.5);
  EXPECT_EQ(Transits.Items(0)->Name, "? pipe");
  EXPECT_EQ(Transits.Items(0)->FillSystem, fsPraven);
  EXPECT_EQ(Transits.Items(0)->Classification, clWatertight);
  EXPECT_EQ(Transits.Items(0)->SealantCartridge, scHorlan);
  EXPECT_EQ(Transits.LastID, 1);
  EXPECT_EQ(Conduits.Items(0)->OuterDiameter, 12345.5);
  EXPECT_EQ(Conduits.Items(0)->ConduitType, ctPipesGRP);
}

TEST_F(DataFile, FillSystemCodesAreNotOrdinals) {
  const int t = Transits.Add();
  InitTransitRecord(t);
  Transits.Items(t)->FillSystem = fsDusmera;
  const std::string payload = SavedPayload();
  // 101 (cables), then 204 (Dusmera), 301 (A-class), 401.
  EXPECT_NE(payload.find(TBytes().Int(101).Int(204).Int(301).Int(401).Data), std::string::npos);
}

TEST_F(DataFile, ValuesThatCannotBeStoredFailTheSaveAndKeepTheOldFile) {
  LoadPayload(Header().Int(1).Int(1).Str("RecCustomer_V100").Str("old").Int(0).Int(0).Int(0).Data);
  const std::string before = ReadFile(Scratch.Path("Trellane.tbs"));
  const struct {
    void (*Set)(TRecTransit&);
    const char* Message;
  } cases[] = {
      {[](TRecTransit& t) { t.FillSubsystem = static_cast<TFillSubsystem>(3); }, "unknown value for FillSubsystems"},
      {[](TRecTransit& t) { t.FillSystem = static_cast<TFillSystem>(5); }, "unknown value for FillSystem"},
      {[](TRecTransit& t) { t.DefaultConduitType = static_cast<TConduitType>(4); }, "unknown value for DefaultConduitType"},
      {[](TRecTransit& t) { t.Classification = static_cast<TClassification>(9); }, "unknown value for Classification"},
      {[](TRecTransit& t) { t.SealantCartridge = static_cast<TSealantCartridge>(3); }, "unknown value for SealantCartridge"},
      {[](TRecTransit& t) { t.SealantLayer = static_cast<TSealantLayer>(4); }, "unknown value for SealantLayer"},
      {[](TRecTransit& t) { t.MiscPar3 = 1; }, "unknown value for MiscPar3"},
  };
  for (const auto& k : cases) {
    Transits.Clear();
    InitTransitRecord(Transits.Add());
    k.Set(*Transits.Items(0));
    Sink.Clear();
    EXPECT_FALSE(SaveDataFile(Scratch.Path("Trellane.tbs")));
    ASSERT_EQ(Sink.Errors.size(), 1u);
    EXPECT_EQ(Sink.Errors[0], std::string("Error writing datafile (current changes will not be saved):\r\r") + k.Message);
    EXPECT_EQ(ReadFile(Scratch.Path("Trellane.tbs")), before);
    EXPECT_FALSE(std::filesystem::exists(Scratch.Path("Trellane.tbs.tmp")));
    EXPECT_TRUE(DataFileLocked());
  }
  Transits.Clear();
  TRecConduit* c = Conduits.Items(Conduits.Add());
  c->ConduitType = static_cast<TConduitType>(4);
  Sink.Clear();
  EXPECT_FALSE(SaveDataFile(Scratch.Path("Trellane.tbs")));
  EXPECT_EQ(Sink.Errors.at(0), "Error writing datafile (current changes will not be saved):\r\runknown value for ConduitType");
  EXPECT_EQ(Customers.Items(0)->Name, "old");
}

TEST_F(DataFile, SaveKeepsThePreviousFileAsBackup) {
  Customers.Items(Customers.Add())->Name = "first";
  ASSERT_TRUE(SaveDataFile(Scratch.Path("Trellane.tbs")));
  EXPECT_FALSE(std::filesystem::exists(Scratch.Path("Trellane.tbs.bak")));
  const std::string first = ReadFile(Scratch.Path("Trellane.tbs"));
  Customers.Items(0)->Name = "second";
  ASSERT_TRUE(SaveDataFile(Scratch.Path("Trellane.tbs")));
  EXPECT_EQ(ReadFile(Scratch.Path("Trellane.tbs.bak")), first);
  EXPECT_NE(ReadFile(Scratch.Path("Trellane.tbs")), first);
  EXPECT_TRUE(DataFileLocked());
  EXPECT_TRUE(Sink.All.empty());
}

TEST_F(DataFile, UnreadableFileIsKeptAsideAtTheNextSave) {
  const std::string damaged = Compress(Header().Int(1).Int(1).Str("RecCustomer_V100").Str("x").Int(1).Data);
  WriteFile(Scratch.Path("Trellane.tbs"), damaged);
  ASSERT_TRUE(LoadDataFile(Scratch.Path("Trellane.tbs")));
  ASSERT_EQ(Sink.Errors.size(), 1u);
  Sink.Clear();
  ASSERT_TRUE(SaveDataFile(Scratch.Path("Trellane.tbs")));
  ASSERT_EQ(Sink.Messages.size(), 1u);
  std::string aside;
  for (const auto& entry : std::filesystem::directory_iterator(Scratch.Dir))
    if (entry.path().filename().string().rfind("Trellane.tbs.unreadable-", 0) == 0) aside = entry.path().string();
  ASSERT_FALSE(aside.empty());
  EXPECT_NE(Sink.Messages[0].find(aside), std::string::npos);
  EXPECT_EQ(ReadFile(aside), damaged);
  // Only once: the next save replaces the file as usual.
  Sink.Clear();
  ASSERT_TRUE(SaveDataFile(Scratch.Path("Trellane.tbs")));
  EXPECT_TRUE(Sink.All.empty());
  EXPECT_EQ(ReadFile(aside), damaged);
}

TEST_F(DataFile, StreamRoutinesCopyTransitsAndProjects) {
  const int p = Projects.Add();
  Projects.Items(p)->Name = "P";
  const int32_t pid = Projects.Items(p)->ID;
  const int t = Transits.Add();
  InitTransitRecord(t);
  Transits.Items(t)->ProjectID = pid;
  Transits.Items(t)->Name = "source";
  const int32_t tid = Transits.Items(t)->ID;
  for (int i = 1; i <= 3; ++i) {
    TRecConduit* c = Conduits.Items(Conduits.Add());
    c->TransitID = tid;
    c->OuterDiameter = 1000.0 * i;
    c->Amount = i;
  }
  const int copy = CopyTransit(t);
  const TRecTransit* ct = Transits.Items(copy);
  EXPECT_NE(ct->ID, tid);
  EXPECT_EQ(ct->ProjectID, pid);
  EXPECT_EQ(ct->Name, "source");
  EXPECT_EQ(ct->Created, Transits.Items(t)->Created);
  ASSERT_EQ(Conduits.Count(), 6);
  for (int i = 3; i < 6; ++i) {
    EXPECT_EQ(Conduits.Items(i)->TransitID, ct->ID);
    EXPECT_EQ(Conduits.Items(i)->OuterDiameter, 1000.0 * (i - 2));
  }

  TMemoryStream m;
  TStreamWriter w(m);
  WriteProjectTo(p, w, [&](int32_t id) { return id == tid; });
  m.Position = 0;
  TStreamReader r(m);
  const int np = ReadProjectFrom(r);
  const int32_t npid = Projects.Items(np)->ID;
  EXPECT_EQ(Projects.Items(np)->Name, "P");
  ASSERT_EQ(Transits.Count(), 3);
  EXPECT_EQ(Transits.Items(2)->ProjectID, npid);
  EXPECT_EQ(Conduits.IndexesOfTransit(Transits.Items(2)->ID).size(), 3u);
}

TEST_F(DataFile, SaveThroughALinkAndWithoutRoomForABackup) {
  std::filesystem::create_directory(Scratch.Dir / "real");
  const std::string real = Scratch.Path("real/Trellane.tbs");
  Customers.Items(Customers.Add())->Name = "one";
  ASSERT_TRUE(SaveDataFile(real));
  CloseDataFile();
  std::filesystem::create_symlink(real, Scratch.Dir / "Trellane.tbs");
  std::filesystem::create_directory(real + ".bak");  // the backup cannot be made
  Customers.Items(0)->Name = "two";
  ASSERT_TRUE(SaveDataFile(Scratch.Path("Trellane.tbs")));
  EXPECT_TRUE(Sink.All.empty());
  EXPECT_TRUE(std::filesystem::is_symlink(Scratch.Dir / "Trellane.tbs"));
  CloseDataFile();
  ClearTables();
  ASSERT_TRUE(LoadDataFile(real));
  EXPECT_EQ(Customers.Items(0)->Name, "two");
}
