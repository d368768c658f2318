// The editor's recovery copies on real files: written for unsaved work,
// removed on save and on a discarding close, kept when the editor goes
// without a question, and read back whole or not at all.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor/recovery.h"
#include "editor_fixture.h"

namespace {

class RecoveryTest : public EditorTest {
protected:
  void SetUp() override {
    EditorTest::SetUp();
    char pattern[] = "/tmp/trellane-recovery-XXXXXX";
    Dir = mkdtemp(pattern);
    Folder = (Dir / "state/trellane/recovery").string();
    SetRecoveryFolder(Folder);
  }
  void TearDown() override {
    EditorTest::TearDown();
    SetRecoveryFolder("");
    std::filesystem::remove_all(Dir);
  }
  bool HasCopy(int32_t id) const { return std::filesystem::exists(RecoveryCopyPath(Folder, id)); }
  std::filesystem::path Dir;
  std::string Folder;
};

}  // namespace

TEST_F(RecoveryTest, UnsavedWorkIsKeptUntilSavedOrDropped) {
  const int32_t id = StoreTransit(CableTransit(), "Deck 3");
  Open(id);
  FlushRecoveryCopies();
  EXPECT_FALSE(HasCopy(id)) << "nothing unsaved yet";
  P().SetWidth(false, false, 321);
  EXPECT_FALSE(HasCopy(id)) << "written a moment later, by the flush";
  FlushRecoveryCopies();
  ASSERT_TRUE(HasCopy(id));
  auto copies = ReadRecoveryCopies(Folder);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].TransitID, id);
  EXPECT_FALSE(copies[0].IsNew);
  EXPECT_EQ(copies[0].Model.Width, 321000);
  EXPECT_EQ(copies[0].Model.ConduitGroups.size(), 2u);
  // The record itself is untouched.
  EXPECT_NE(Transits.Items(Transits.IndexOfID(id))->Width, 321000);

  // Undone to the stored state: no copy needed.
  P().StepHistory(-1);
  EXPECT_FALSE(HasCopy(id));
  P().StepHistory(1);
  FlushRecoveryCopies();
  EXPECT_TRUE(HasCopy(id));
  P().Save();
  EXPECT_FALSE(HasCopy(id)) << "saved: the copy has served";

  // A close that drops the changes drops the copy.
  P().SetWidth(false, false, 400);
  FlushRecoveryCopies();
  ASSERT_TRUE(HasCopy(id));
  V().Answers = {mrNo};
  EXPECT_TRUE(P().AskSaveOnClose());
  View.reset();
  EXPECT_FALSE(HasCopy(id));
}

TEST_F(RecoveryTest, AnEditorThatGoesWithoutAQuestionLeavesItsCopy) {
  const int32_t id = StoreTransit(CableTransit(), "Deck 4");
  Open(id);
  P().SetName("Deck 4 changed");
  P().SetWidth(false, false, 250);
  View.reset();  // the end without questions: written at once, not removed
  auto copies = ReadRecoveryCopies(Folder);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].Model.Name, "Deck 4 changed");

  // Restored into a new editor, the work is unsaved again.
  Open(id);
  TRecoveryKeeper* keeper = RecoveryKeeperOf(id);
  ASSERT_NE(keeper, nullptr);
  keeper->Restore(copies[0].Model);
  EXPECT_EQ(V().Of("SetTransitname").back(), "SetTransitname(Deck 4 changed,0)");
  EXPECT_EQ(V().Of("EnableUndoRedoSave").back(), "EnableUndoRedoSave(1,0,1)");

  // A transit deleted while its editor is open leaves no copy behind.
  Transits.Delete(Transits.IndexOfID(id));
  View.reset();
  EXPECT_FALSE(HasCopy(id));
}

TEST_F(RecoveryTest, NewTransitsAndDamagedCopies) {
  const int32_t id = StoreTransit(CableTransit(), "");
  Open(id);
  P().HandleNotification(nkTransitCreated, id);
  EXPECT_TRUE(RecoveryKeeperOf(id)->IsNewTransit());
  P().SetDepth(false, 250);
  FlushRecoveryCopies();
  View.reset();
  auto copies = ReadRecoveryCopies(Folder);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_TRUE(copies[0].IsNew) << "a new transit comes back as new";

  // Cut at every length, or with bytes after it: never half a copy.
  std::ifstream in(RecoveryCopyPath(Folder, id), std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  const std::string bytes = all.str();
  EXPECT_EQ(DecodeRecoveryCopy(bytes).Model.Depth, copies[0].Model.Depth);
  for (size_t n = 0; n < bytes.size(); ++n) EXPECT_THROW(DecodeRecoveryCopy(bytes.substr(0, n)), std::exception) << n;
  EXPECT_THROW(DecodeRecoveryCopy(bytes + "x"), std::exception);
  // A damaged file, a file under another transit's name and a planted link are skipped.
  std::ofstream(RecoveryCopyPath(Folder, 77), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  std::filesystem::copy_file(RecoveryCopyPath(Folder, id), RecoveryCopyPath(Folder, 78));
  std::filesystem::create_symlink(RecoveryCopyPath(Folder, id), RecoveryCopyPath(Folder, 79));
  copies = ReadRecoveryCopies(Folder);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].TransitID, id);
}
