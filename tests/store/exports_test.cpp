#include "platform/mdichild.h"
#include "store/exports.h"
#include "store/helpers.h"
#include "store/transitrecord.h"

using namespace storetest;

namespace {

using Exports = TStoreTest;

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

}  // namespace

TEST_F(Exports, TransitFilesImportExportAndCopy) {
  TBytes b;
  b.Str("anything");  // the first text is not checked
  AppendTransit(b, {.Tag = "RecTransit_V100", .ProjectID = 77, .Cartridge = 502});
  AppendConduit(b.Int(1), 555, 32000, 4, 102);
  WriteFile(Path("old.htf"), Compress(b.Data));
  std::string version;
  const int t = ImportTransitFile(Path("old.htf"), &version);
  const int32_t id = Transits.Items(t)->ID;
  EXPECT_EQ(version, "anything");
  EXPECT_EQ(Transits.Items(t)->ProjectID, 77);  // the caller replaces it
  EXPECT_EQ(Conduits.Items(0)->TransitID, id);
  EXPECT_NE(Transits.Items(ImportTransitFile(Path("old.htf")))->ID, id);
  EXPECT_EQ(Conduits.Count(), 2);

  // Written back as the newest version.
  ExportTransitFile(t, Path("new.htf"));
  TBytes want;
  AppendTransit(want.Str("TransitExportFile_V100"), {.ProjectID = 77});
  AppendConduit(want.Int(1), id, 32000, 4, 102);
  EXPECT_EQ(Uncompress(ReadFile(Path("new.htf"))), want.Data);

  const TRecTransit* copy = Transits.Items(CopyTransit(t));
  EXPECT_EQ(std::tuple(copy->ProjectID, copy->Name, copy->Created), std::tuple(77, std::string("T"), 45000.5));
  ASSERT_EQ(Conduits.Count(), 3);
  EXPECT_EQ(Conduits.Items(2)->TransitID, copy->ID);
  EXPECT_EQ(Conduits.Items(2)->OuterDiameter, 32000);

  // A file that fails anywhere adds nothing: cut short, damaged, an unknown
  // code, or a project file.
  TBytes cut;
  AppendTransit(cut.Str("TransitExportFile_V100"), {});
  AppendConduit(cut.Int(3), 1, 1000, 1);
  TBytes badCode;
  AppendTransit(badCode.Str("TransitExportFile_V100"), {});
  AppendConduit(badCode.Int(2), 1, 1000, 1);
  AppendConduit(badCode, 1, 1000, 1, 109);
  TBytes projectFile;
  projectFile.Str("ProjectExportFile_V100").Str("RecProject_V100").Str("P");
  std::string damaged = Compress(cut.Data);
  damaged[damaged.size() / 2] ^= 0x5A;
  const struct {
    const char* name;
    std::string bytes;
    std::string message;
  } refused[] = {{"cut.htf", Compress(cut.Data), "Stream read error"},
                 {"code.htf", Compress(badCode.Data), "unknown value for ConduitType"},
                 {"project.htf", Compress(projectFile.Data), "Illegal transit data-format!"},
                 {"damaged.htf", damaged, ""}};
  for (const auto& c : refused) {
    SCOPED_TRACE(c.name);
    WriteFile(Path(c.name), c.bytes);
    try {
      ImportTransitFile(Path(c.name));
      ADD_FAILURE() << "imported";
    } catch (const TError& e) {
      if (!c.message.empty()) {
        EXPECT_EQ(e.what(), c.message);
      }
    }
    EXPECT_EQ(std::tuple(Transits.Count(), Conduits.Count(), Transits.LastID), std::tuple(3, 3, 3));
  }
}

TEST_F(Exports, ProjectFilesWithFilterAndCopies) {
  const int p = NewProject("Ship");
  const int32_t pid = Projects.Items(p)->ID;
  NewTransit(pid, "one", 1);
  NewTransit(TemplateProjectID, "template", 1);
  const int32_t id3 = Transits.Items(NewTransit(pid, "three", 3))->ID;

  const std::string path = Path("ship.hpf");
  ExportProjectFile(p, path, [&](int32_t id) { return id == id3; });
  const std::string head = TBytes().Str("ProjectExportFile_V100").Str("RecProject_V100").Str("Ship").Data;
  EXPECT_EQ(Uncompress(ReadFile(path)).rfind(head, 0), 0u);
  const int np = ImportProjectFile(path);
  EXPECT_EQ(Projects.Items(np)->Name, "Ship");
  ASSERT_EQ(Transits.Count(), 4);
  EXPECT_EQ(std::tuple(Transits.Items(3)->Name, Transits.Items(3)->ProjectID),
            std::tuple("three", Projects.Items(np)->ID));
  EXPECT_EQ(Conduits.IndexesOfTransit(Transits.Items(3)->ID).size(), 3u);

  // Nothing ticked: the project alone.
  ExportProjectFile(p, path, [](int32_t) { return false; });
  EXPECT_EQ(Projects.Items(ImportProjectFile(path))->Name, "Ship");
  EXPECT_EQ(Transits.Count(), 4);

  const TRecProject* copy = Projects.Items(CopyProject(p));
  EXPECT_EQ(std::tuple(copy->Name, copy->Modified), std::tuple("Copy of Ship", 100));
  ASSERT_EQ(Transits.Count(), 6);
  EXPECT_EQ(std::tuple(Transits.Items(4)->Name, Transits.Items(4)->ProjectID), std::tuple("one", copy->ID));
}

TEST_F(Exports, TransitModelExchange) {
  Projects.Add();  // so that project and transit identifiers differ
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
  EXPECT_EQ(std::tuple(m.Name, m.FillSystem, m.SealantLayer, m.Width),
            std::tuple("T", fsKovaMoxel, slNone, 100000.0));
  ASSERT_EQ(m.ConduitGroupCount(), 3);
  const TConduitGroup& g = m.ConduitGroup(1);
  EXPECT_EQ(std::tuple(g.OuterDiameter, g.Amount, g.ConduitType), std::tuple(10001.0, 2, ctPipesPlastic));
  TTransit unchanged = m;
  LoadFromRecord(unchanged, 4242);  // unknown identifier: nothing changes
  EXPECT_TRUE(unchanged.IsEqual(m));

  TRecorder recorder;
  std::tie(m.Name, m.Created, m.CreatedBy) = std::tuple("T2", 1, "nobody");
  std::tie(m.Modified, m.ModifiedBy) = std::tuple(200, "editor");
  m.ConduitGroups.resize(2);
  m.ConduitGroups.push_back({50000, 0, ctCables});  // amount 0 is stored too
  SaveToRecord(m, tid);
  const TRecTransit* r = Transits.Items(Transits.IndexOfID(tid));
  EXPECT_EQ(std::tuple(r->Name, r->ModifiedBy), std::tuple("T2", "editor"));
  EXPECT_NE(r->Created, 1);  // Created and CreatedBy stay
  EXPECT_NE(r->CreatedBy, "nobody");
  const auto& mine = Conduits.IndexesOfTransit(tid);
  ASSERT_EQ(mine.size(), 3u);
  const TRecConduit* added = Conduits.Items(mine[2]);
  EXPECT_EQ(std::tuple(added->OuterDiameter, added->Amount), std::tuple(50000, 0));
  EXPECT_EQ(Conduits.Count(), 5);
  EXPECT_EQ(std::tuple(Projects.Items(p)->Modified, Projects.Items(p)->ModifiedBy), std::tuple(200, "editor"));
  EXPECT_TRUE(recorder.Calls.empty());  // the store tells no windows; its caller does

  // An earlier stamp does not move the project back.
  std::tie(m.Modified, m.ModifiedBy) = std::tuple(150, "late");
  SaveToRecord(m, tid);
  EXPECT_EQ(std::tuple(Projects.Items(p)->Modified, Projects.Items(p)->ModifiedBy), std::tuple(200, "editor"));
  TTransit back;
  LoadFromRecord(back, tid);
  EXPECT_EQ(std::tuple(back.ConduitGroupCount(), back.Modified), std::tuple(3, 150));

  SaveToRecord(m, 4242);
  EXPECT_EQ(Conduits.IndexesOfTransit(tid).size(), 3u);
  EXPECT_TRUE(recorder.Calls.empty());
}

TEST_F(Exports, RefusedProjectFilesAddNothing) {
  const int p = NewProject("Ship");
  NewTransit(Projects.Items(p)->ID, "one", 2);
  NewTransit(Projects.Items(p)->ID, "two", 1);
  ExportProjectFile(p, Path("ship.hpf"));
  ExportTransitFile(0, Path("one.htf"));
  // The second transit's conduit carries an unknown type code.
  std::string payload = Uncompress(ReadFile(Path("ship.hpf")));
  const std::string last = TBytes().Int(101).Data;
  payload.replace(payload.rfind(last), 4, TBytes().Int(177).Data);
  WriteFile(Path("code.hpf"), Compress(payload));
  const struct {
    std::string file, message;
  } refused[] = {{"code.hpf", "unknown value for ConduitType"}, {"one.htf", "Illegal project data-format!"}};
  for (const auto& c : refused) {
    SCOPED_TRACE(c.file);
    try {
      ImportProjectFile(Path(c.file));
      ADD_FAILURE() << "imported";
    } catch (const TError& e) {
      EXPECT_EQ(e.what(), c.message);
    }
    EXPECT_EQ(std::tuple(Projects.Count(), Transits.Count(), Conduits.Count()), std::tuple(1, 2, 3));
  }
}
