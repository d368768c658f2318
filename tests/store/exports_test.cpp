#include "app/mdichild.h"
#include "store/exports.h"
#include "store/helpers.h"
#include "store/transitrecord.h"

using namespace storetest;

namespace {

class Exports : public ::testing::Test {
protected:
  void SetUp() override { ClearTables(); }
  void TearDown() override { ClearTables(); }
  TScratch Scratch;
};

// Records every notification while open.
class TRecorder : public TfrmMDIchild {
public:
  void Notify(uint8_t code, int32_t id) override { Calls.emplace_back(code, id); }
  std::vector<std::pair<int, int32_t>> Calls;
};

int NewProject(const std::string& name) {
  const int p = Projects.Add();
  Projects.Items(p)->Name = name;
  Projects.Items(p)->Modified = 100;
  return p;
}

int NewTransit(int32_t projectId, const std::string& name, int conduits) {
  const int t = Transits.Add();
  InitTransitRecord(t);
  Transits.Items(t)->ProjectID = projectId;
  Transits.Items(t)->Name = name;
  for (int i = 0; i < conduits; ++i) {
    TRecConduit* c = Conduits.Items(Conduits.Add());
    c->TransitID = Transits.Items(t)->ID;
    c->OuterDiameter = 10000 + i;
    c->Amount = i + 1;
  }
  return t;
}

}  // namespace

TEST_F(Exports, TransitFileLayoutAndImport) {
  const int p = NewProject("P");
  const int t = NewTransit(Projects.Items(p)->ID, "Door", 2);
  const std::string path = Scratch.Path("door.htf");
  ExportTransitFile(t, path);

  TBytesReader r(Uncompress(ReadFile(path)));
  EXPECT_EQ(r.Str(), "TransitExportFile_V100");
  EXPECT_EQ(r.Str(), "RecTransit_V102");
  EXPECT_EQ(r.Int(), Projects.Items(p)->ID);
  EXPECT_EQ(r.Str(), "Door");

  const int a = ImportTransitFile(path);
  const int b = ImportTransitFile(path);
  EXPECT_NE(Transits.Items(a)->ID, Transits.Items(b)->ID);
  EXPECT_EQ(Transits.Items(a)->Name, "Door");
  EXPECT_EQ(Transits.Items(b)->Name, "Door");
  EXPECT_EQ(Transits.Items(b)->ProjectID, Projects.Items(p)->ID);  // the caller replaces it
  EXPECT_EQ(Conduits.IndexesOfTransit(Transits.Items(b)->ID).size(), 2u);
  EXPECT_EQ(Conduits.Count(), 6);
}

TEST_F(Exports, OldTransitRecordsImportAndExportAsNewest) {
  TBytes b;
  b.Str("anything");  // the first text is not checked
  TTransitCodes c;
  c.Tag = "RecTransit_V100";
  c.Cartridge = 502;
  c.ProjectID = 77;
  AppendTransit(b, c);
  b.Int(1);
  AppendConduit(b, 555, 32000, 4, 102);
  const std::string path = Scratch.Path("old.htf");
  WriteFile(path, Compress(b.Data));
  std::string version;
  const int t = ImportTransitFile(path, &version);
  EXPECT_EQ(version, "anything");
  EXPECT_EQ(Transits.Items(t)->ProjectID, 77);
  EXPECT_EQ(Conduits.Items(0)->TransitID, Transits.Items(t)->ID);
  EXPECT_EQ(Conduits.Items(0)->ConduitType, ctPipesMetal);

  ExportTransitFile(t, Scratch.Path("new.htf"));
  TBytesReader r(Uncompress(ReadFile(Scratch.Path("new.htf"))));
  r.Str();
  EXPECT_EQ(r.Str(), "RecTransit_V102");
}

TEST_F(Exports, DamagedImportsKeepWhatWasCreated) {
  TBytes b;
  b.Str("TransitExportFile_V100");
  AppendTransit(b, TTransitCodes());
  b.Int(3);
  AppendConduit(b, 1, 1000, 1);
  const std::string path = Scratch.Path("cut.htf");
  WriteFile(path, Compress(b.Data));
  EXPECT_THROW(ImportTransitFile(path), TReadError);
  EXPECT_EQ(Transits.Count(), 1);
  EXPECT_EQ(Conduits.Count(), 2);  // the second one was added and then ran out of bytes

  TBytes bad;
  bad.Str("TransitExportFile_V100").Str("RecProject_V100");
  WriteFile(path, Compress(bad.Data));
  try {
    ImportTransitFile(path);
    FAIL();
  } catch (const TError& e) {
    EXPECT_STREQ(e.what(), "Illegal transit data-format!");
  }
  EXPECT_THROW(ImportTransitFile(Scratch.Path("missing.htf")), TOpenError);
}

TEST_F(Exports, ProjectFilesWithFilterAndCopies) {
  const int p = NewProject("Ship");
  const int32_t pid = Projects.Items(p)->ID;
  const int t1 = NewTransit(pid, "one", 1);
  NewTransit(TemplateProjectID, "template", 1);
  const int t3 = NewTransit(pid, "three", 3);
  const int32_t id3 = Transits.Items(t3)->ID;

  const std::string path = Scratch.Path("ship.hpf");
  ExportProjectFile(p, path, [&](int32_t id) { return id == id3; });
  TBytesReader r(Uncompress(ReadFile(path)));
  EXPECT_EQ(r.Str(), "ProjectExportFile_V100");
  EXPECT_EQ(r.Str(), "RecProject_V100");

  const int np = ImportProjectFile(path);
  const int32_t npid = Projects.Items(np)->ID;
  EXPECT_EQ(Projects.Items(np)->Name, "Ship");
  ASSERT_EQ(Transits.Count(), 4);
  EXPECT_EQ(Transits.Items(3)->Name, "three");
  EXPECT_EQ(Transits.Items(3)->ProjectID, npid);
  EXPECT_EQ(Conduits.IndexesOfTransit(Transits.Items(3)->ID).size(), 3u);

  // Nothing ticked: the project alone.
  ExportProjectFile(p, path, [](int32_t) { return false; });
  const int alone = ImportProjectFile(path);
  EXPECT_EQ(Transits.Count(), 4);
  EXPECT_EQ(Projects.Items(alone)->Name, "Ship");

  const int copy = CopyProject(p);
  EXPECT_EQ(Projects.Items(copy)->Name, "Copy of Ship");
  EXPECT_EQ(Projects.Items(copy)->Modified, Projects.Items(p)->Modified);
  EXPECT_EQ(Transits.Count(), 6);
  EXPECT_EQ(Transits.Items(4)->Name, "one");
  EXPECT_EQ(Transits.Items(4)->ProjectID, Projects.Items(copy)->ID);
  (void)t1;
}

TEST_F(Exports, TransitModelExchange) {
  const int p = NewProject("P");
  const int32_t pid = Projects.Items(p)->ID;
  const int t = NewTransit(pid, "T", 3);
  const int32_t tid = Transits.Items(t)->ID;
  NewTransit(pid, "other", 2);
  Transits.Items(t)->FillSystem = fsKovaMoxel;
  Transits.Items(t)->SealantLayer = slNone;
  Conduits.Items(1)->ConduitType = ctPipesPlastic;

  TTransit m;
  m.ConduitGroups.resize(9);
  LoadFromRecord(m, tid);
  EXPECT_EQ(m.Name, "T");
  EXPECT_EQ(m.FillSystem, fsKovaMoxel);
  EXPECT_EQ(m.SealantLayer, slNone);
  EXPECT_EQ(m.Width, 100000);
  ASSERT_EQ(m.ConduitGroupCount(), 3);
  EXPECT_EQ(m.ConduitGroup(1).OuterDiameter, 10001);
  EXPECT_EQ(m.ConduitGroup(1).Amount, 2);
  EXPECT_EQ(m.ConduitGroup(1).ConduitType, ctPipesPlastic);

  TTransit unchanged = m;
  LoadFromRecord(unchanged, 4242);  // unknown identifier: nothing changes
  EXPECT_TRUE(unchanged.IsEqual(m));

  TRecorder recorder;
  m.Name = "T2";
  m.Created = 1;
  m.CreatedBy = "nobody";
  m.Modified = 200;
  m.ModifiedBy = "editor";
  m.ConduitGroups.resize(2);
  m.ConduitGroups.push_back({50000, 0, ctCables});  // amount 0 is stored too
  SaveToRecord(m, tid);
  const TRecTransit* r = Transits.Items(Transits.IndexOfID(tid));
  EXPECT_EQ(r->Name, "T2");
  EXPECT_NE(r->Created, 1);
  EXPECT_NE(r->CreatedBy, "nobody");
  EXPECT_EQ(r->ModifiedBy, "editor");
  const auto& mine = Conduits.IndexesOfTransit(tid);
  ASSERT_EQ(mine.size(), 3u);
  EXPECT_EQ(Conduits.Items(mine[2])->OuterDiameter, 50000);
  EXPECT_EQ(Conduits.Items(mine[2])->Amount, 0);
  EXPECT_EQ(Conduits.Count(), 5);
  EXPECT_EQ(Projects.Items(p)->Modified, 200);
  EXPECT_EQ(Projects.Items(p)->ModifiedBy, "editor");
  EXPECT_EQ(recorder.Calls, (std::vector<std::pair<int, int32_t>>{{nkTransitChanged, tid}, {nkProjectChanged, pid}}));

  // An earlier stamp does not move the project back.
  m.Modified = 150;
  m.ModifiedBy = "late";
  SaveToRecord(m, tid);
  EXPECT_EQ(Projects.Items(p)->Modified, 200);
  EXPECT_EQ(Projects.Items(p)->ModifiedBy, "editor");

  TTransit back;
  LoadFromRecord(back, tid);
  EXPECT_EQ(back.ConduitGroupCount(), 3);
  EXPECT_EQ(back.Modified, 150);

  recorder.Calls.clear();
  SaveToRecord(m, 4242);
  EXPECT_TRUE(recorder.Calls.empty());
}
