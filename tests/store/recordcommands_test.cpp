#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "store/changes.h"
#include "store/helpers.h"
#include "store/recordcommands.h"

using namespace storetest;

namespace {

using Event = std::pair<TRecordEvent, int32_t>;
using Events = std::vector<Event>;

// Counts the writes asked for and keeps what the windows would be told; the
// tables as they are when each event arrives are checked through OnEvent.
class Records : public TStoreTest {
protected:
  Records() {
    SetTablesChangedListener([this] { ++Changes; });
    SetRecordListener([this](TRecordEvent event, int32_t id) {
      Told.emplace_back(event, id);
      if (OnEvent) OnEvent(event, id);
    });
  }
  ~Records() override {
    CurrentUserName.clear();
    SetRecordListener({});
    SetTablesChangedListener({});
  }
  static int32_t Project(const std::string& name) {
    TRecProject* p = Projects.Items(Projects.Add());
    p->Name = name;
    p->Created = 44000;
    p->Modified = 45000;
    return p->ID;
  }
  static int32_t Transit(int32_t projectId, const std::string& name, int conduits = 0) {
    return Transits.Items(NewTransit(projectId, name, conduits))->ID;
  }
  static const TRecTransit& T(int32_t id) { return *Transits.Items(Transits.IndexOfID(id)); }
  static const TRecProject& P(int32_t id) { return *Projects.Items(Projects.IndexOfID(id)); }
  static size_t ConduitsOf(int32_t transitId) { return Conduits.IndexesOfTransit(transitId).size(); }
  static std::vector<int32_t> TransitsOf(int32_t projectId) {
    std::vector<int32_t> ids;
    for (int i = 0; i < Transits.Count(); ++i)
      if (Transits.Items(i)->ProjectID == projectId) ids.push_back(Transits.Items(i)->ID);
    return ids;
  }

  int Changes = 0;
  Events Told;
  std::function<void(TRecordEvent, int32_t)> OnEvent;
};

}  // namespace

TEST_F(Records, AddedRecordsAndTheirNextFreeNames) {
  EXPECT_EQ(NextProjectName(), "New project 1");
  for (const char* name : {"New project 1", "New project 7", "New project x", "new project 30", "New project -4",
                           "New project 99999999999"})
    Project(name);
  EXPECT_EQ(NextProjectName(), "New project 8");
  CurrentUserName = "ann";
  const TRecProject& p = P(AddProject());
  EXPECT_EQ(std::tuple(p.Name, p.CreatedBy, p.ModifiedBy), std::tuple("New project 8", "ann", "ann"));
  EXPECT_EQ(p.Created, p.Modified);
  EXPECT_GT(p.Created, 45000);  // now
  EXPECT_EQ(Changes, 1);

  // Template names count every transit, in any project.
  Transit(Project("other"), "New template 5");
  Transit(TemplateProjectID, "New template 2");
  Transit(TemplateProjectID, "New template 2b");
  const TRecTransit& t = T(AddTemplate());
  EXPECT_EQ(std::tuple(t.Name, t.ProjectID, t.Depth, t.Width, t.CornerRadius),
            std::tuple("New template 6", TemplateProjectID, 200000.0, 100000.0, 10000.0));
  const TRecTransit& added = T(AddTransit(p.ID));
  EXPECT_EQ(std::tuple(added.ProjectID, added.Width, ConduitsOf(added.ID)), std::tuple(p.ID, 100000.0, size_t(0)));
  const TRecCustomer* c = Customers.Items(Customers.IndexOfID(AddCustomer(" Smith")));
  EXPECT_EQ(c->Name, " Smith");
  EXPECT_EQ(Changes, 4);
  // Adding tells no window: the list that adds opens the record itself.
  EXPECT_TRUE(Told.empty());
  const int32_t customer = c->ID;
  DeleteCustomer(customer);
  DeleteCustomer(customer);  // gone already: nothing
  EXPECT_EQ(std::tuple(Customers.Count(), Changes), std::tuple(0, 5));
}

// A project goes with its transits and their conduits, each transit reported
// before its record goes, then the project; other projects keep theirs.
TEST_F(Records, DeletingAProjectCascades) {
  const int32_t keep = Project("keep");
  const int32_t p = Project("gone");
  const int32_t a = Transit(p, "a", 2);
  const int32_t other = Transit(keep, "other", 1);
  const int32_t b = Transit(p, "b", 3);
  OnEvent = [&](TRecordEvent event, int32_t id) {
    // Told of a transit: its conduits are gone, its record still there.
    if (event == TRecordEvent::TransitDeleted) {
      EXPECT_EQ(std::tuple(ConduitsOf(id), Transits.IndexOfID(id) >= 0), std::tuple(size_t(0), true));
    } else {
      EXPECT_EQ(std::tuple(TransitsOf(p).size(), Projects.IndexOfID(p) >= 0), std::tuple(size_t(0), true));
    }
  };
  DeleteProject(p);
  EXPECT_EQ(Told, (Events{{TRecordEvent::TransitDeleted, a},
                          {TRecordEvent::TransitDeleted, b},
                          {TRecordEvent::ProjectDeleting, p},
                          {TRecordEvent::ProjectDeleted, p}}));
  EXPECT_EQ(std::tuple(Projects.Count(), Transits.Count(), Conduits.Count()), std::tuple(1, 1, 1));
  EXPECT_EQ(Conduits.Items(0)->TransitID, other);
  EXPECT_EQ(Changes, 1);

  // A window told may itself delete records meanwhile: the walk goes on
  // with what is left, and every transit of the project is gone at the end.
  const int32_t q = Project("q");
  const int32_t c = Transit(q, "c", 1);
  const int32_t d = Transit(q, "d", 1);
  const int32_t e = Transit(q, "e", 1);
  Told.clear();
  OnEvent = [&](TRecordEvent event, int32_t id) {
    if (event == TRecordEvent::TransitDeleted && id == c) {
      Transits.Delete(Transits.IndexOfID(c));
      Transits.Delete(Transits.IndexOfID(d));
    }
  };
  DeleteProject(q);
  EXPECT_EQ(Told, (Events{{TRecordEvent::TransitDeleted, c},
                          {TRecordEvent::TransitDeleted, e},
                          {TRecordEvent::ProjectDeleting, q},
                          {TRecordEvent::ProjectDeleted, q}}));
  EXPECT_EQ(std::tuple(Projects.Count(), Transits.Count()), std::tuple(1, 1));
}

// One deletion for the lists and the editor alike: conduits and record go,
// then the transit is reported, so that its open windows close.
TEST_F(Records, DeletingATransit) {
  const int32_t p = Project("P");
  const int32_t t = Transit(p, "T", 2);
  const int32_t kept = Transit(p, "kept", 1);
  OnEvent = [&](TRecordEvent, int32_t id) {
    EXPECT_EQ(std::tuple(Transits.IndexOfID(id), ConduitsOf(id), Changes), std::tuple(-1, size_t(0), 1));
  };
  DeleteTransit(t);
  EXPECT_EQ(Told, (Events{{TRecordEvent::TransitDeleted, t}}));
  DeleteTransit(t);  // gone already: nothing, nobody told
  EXPECT_EQ(std::tuple(Told.size(), Changes, Transits.Count(), ConduitsOf(kept)), std::tuple(size_t(1), 1, 1, size_t(1)));
}

// The list's copy goes into a chosen project as "Copy of ..." and the lists
// are told; the editor's copy keeps the stored transit as it is, silently,
// before the editor saves over the original.
TEST_F(Records, CopiesOfTransitsAndProjects) {
  const int32_t p = Project("Ship");
  const int32_t t = Transit(p, "T1", 2);
  Transits.Items(Transits.IndexOfID(t))->CreatedBy = "ann";
  const int32_t target = Project("Dock");

  const int32_t copy = CopyTransitToProject(t, target);
  EXPECT_NE(copy, t);
  EXPECT_EQ(std::tuple(T(copy).Name, T(copy).ProjectID, T(copy).Created, T(copy).CreatedBy, ConduitsOf(copy)),
            std::tuple("Copy of T1", target, T(t).Created, "ann", size_t(2)));
  EXPECT_EQ(Told, (Events{{TRecordEvent::TransitsChanged, -1}}));
  EXPECT_EQ(Changes, 1);

  Told.clear();
  const int32_t kept = CopyTransitRecord(t);
  EXPECT_NE(kept, t);
  EXPECT_EQ(std::tuple(T(kept).Name, T(kept).ProjectID, T(kept).Created, T(kept).CreatedBy, ConduitsOf(kept)),
            std::tuple("T1", p, T(t).Created, "ann", size_t(2)));
  EXPECT_TRUE(Told.empty());
  EXPECT_EQ(Changes, 2);

  const int32_t pc = CopyProjectRecord(p);
  EXPECT_EQ(std::tuple(P(pc).Name, P(pc).Created, P(pc).Modified), std::tuple("Copy of Ship", 44000.0, 45000.0));
  ASSERT_EQ(TransitsOf(pc).size(), 2u);
  for (int32_t id : TransitsOf(pc)) EXPECT_EQ(ConduitsOf(id), 2u);
  EXPECT_EQ(Changes, 3);

  // Nothing to copy: the program's message, nothing added or written.
  for (auto copyGone : {std::function<void()>([] { CopyTransitRecord(-5); }),
                        std::function<void()>([&] { CopyTransitToProject(-5, p); })}) {
    try {
      copyGone();
      ADD_FAILURE() << "copied";
    } catch (const TError& e) {
      EXPECT_STREQ(e.what(), "Unknown TransitID!");
    }
  }
  EXPECT_THROW(CopyProjectRecord(-5), TError);
  EXPECT_EQ(std::tuple(Projects.Count(), Transits.Count(), Changes), std::tuple(3, 5, 3));
  EXPECT_TRUE(Told.empty());
}

// Round trips through real files; a file that fails adds nothing and asks
// for no write.
TEST_F(Records, ExportAndImport) {
  const int32_t p = Project("Ship");
  const int32_t t = Transit(p, "T1", 2);
  Transit(p, "T2", 1);
  const int32_t target = Project("Dock");

  ExportTransit(t, Path("t.htf"));
  const int32_t imported = ImportTransit(Path("t.htf"), target);
  EXPECT_EQ(std::tuple(T(imported).Name, T(imported).ProjectID, ConduitsOf(imported)),
            std::tuple("T1", target, size_t(2)));
  EXPECT_NE(ImportTransit(Path("t.htf"), TemplateProjectID), imported);  // twice: two transits
  ExportProject(p, Path("p.hpf"), [&](int32_t id) { return id == t; });
  const int32_t pi = ImportProject(Path("p.hpf"));
  EXPECT_EQ(P(pi).Name, "Ship");
  ASSERT_EQ(TransitsOf(pi).size(), 1u);
  EXPECT_EQ(T(TransitsOf(pi)[0]).Name, "T1");
  EXPECT_EQ(Changes, 3);
  EXPECT_TRUE(Told.empty());

  std::ofstream(Path("bad.hpf"), std::ios::binary) << "not a zlib stream";
  try {
    ImportProject(Path("bad.hpf"));
    ADD_FAILURE() << "imported";
  } catch (const TError& e) {
    // The file and the reason in words; the decompressor's own text only as a detail.
    EXPECT_EQ(std::string(e.what()).rfind("The project file\r" + Path("bad.hpf") + "\rcould not be imported.\r\r"
                                          "The file is damaged, or it is not a project file of this program.", 0),
              0u)
        << e.what();
  }
  EXPECT_THROW(ImportProject(Path("t.htf")), TError);
  EXPECT_THROW(ImportTransit(Path("p.hpf"), target), TError);
  EXPECT_THROW(ExportTransit(-5, Path("gone.htf")), TError);
  EXPECT_THROW(ExportProject(-5, Path("gone.hpf")), TError);
  EXPECT_EQ(std::tuple(Projects.Count(), Transits.Count(), Changes), std::tuple(3, 5, 3));
}
