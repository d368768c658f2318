#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "app/lists.h"
#include "platform/mdichild.h"
#include "core/errors.h"
#include "core/units.h"
#include "store/changes.h"
#include "store/config.h"
#include "store/settings.h"
#include "store/recordcommands.h"
#include "store/streams.h"

namespace {

// Records every notification while open.
class TRecorder : public TfrmMDIchild {
public:
  void Notify(uint8_t code, int32_t id) override { Calls.emplace_back(code, id); }
  std::vector<std::pair<int, int32_t>> Calls;
};

class Lists : public ::testing::Test {
protected:
  Lists() {
    Clear();
    SetDefaultSettings();
    SetTablesChangedListener([this] { ++Changes; });
    char pattern[] = "/tmp/trellane-lists-XXXXXX";
    Dir = mkdtemp(pattern);
  }
  ~Lists() override {
    SetTablesChangedListener({});
    Clear();
    SetDefaultSettings();
    std::filesystem::remove_all(Dir);
  }
  static void Clear() {
    Customers.Clear();
    Projects.Clear();
    Transits.Clear();
    Conduits.Clear();
  }
  std::string Path(const std::string& name) const { return (Dir / name).string(); }
  static int32_t Project(const std::string& name, double modified = 45000) {
    TRecProject* p = Projects.Items(Projects.Add());
    p->Name = name;
    p->Created = 44000;
    p->Modified = modified;
    return p->ID;
  }
  static int32_t Transit(int32_t projectId, const std::string& name, int conduits = 0) {
    const int index = Transits.Add();
    InitTransitRecord(index);
    TRecTransit* t = Transits.Items(index);
    t->ProjectID = projectId;
    t->Name = name;
    for (int i = 0; i < conduits; ++i) {
      TRecConduit* c = Conduits.Items(Conduits.Add());
      c->TransitID = t->ID;
      c->OuterDiameter = 20000;
      c->Amount = 2;
    }
    return t->ID;
  }
  static std::vector<std::string> Column(const std::vector<TListRow>& rows, size_t column) {
    std::vector<std::string> texts;
    for (const TListRow& row : rows) texts.push_back(row.Texts[column]);
    return texts;
  }
  std::filesystem::path Dir;
  int Changes = 0;
};

}  // namespace

TEST_F(Lists, TransitLineTextsAndUnits) {
  const int32_t p = Project("Ship");
  const int32_t t = Transit(p, "  ", 3);
  TRecTransit* r = Transits.Items(Transits.IndexOfID(t));
  r->TransitsInProject = 3;
  r->DefaultConduitType = ctPipesGRP;
  r->Classification = clWatertight;
  r->SparePercentage = 12.6;
  Transit(p, "cables", 1);
  Transit(TemplateProjectID, "template");
  Transit(p + 1, "elsewhere");

  auto rows = ListRows(lkTransits, 0, p);
  ASSERT_EQ(rows.size(), 2u);
  const std::vector<std::string> first = {"<no name>", "3x",     "Pipes (GRP)", "-",       "Watertight",
                                          "100.00",    "100.00", "10.00",       "180.00",  "13"};
  EXPECT_EQ(std::vector<std::string>(rows[0].Texts.begin(), rows[0].Texts.begin() + 10), first);
  EXPECT_EQ(rows[0].SortKey, "  ");  // the stored name, not the shown text
  // Two conduits of 20 mm in a 100 x 100 mm opening with 10 mm corners.
  EXPECT_EQ(rows[1].Texts[3], "6");
  EXPECT_EQ(rows[1].Texts[2], "Cables");

  CurrentLengthUnit = luInch;
  rows = ListRows(lkTransits, 5, p);
  EXPECT_EQ(rows[0].Texts[5], "3.9370");
  EXPECT_EQ(rows[0].SortKey, "              3.9370");

  const auto templates = ListRows(lkTemplates, 0);
  ASSERT_EQ(templates.size(), 1u);
  EXPECT_EQ(templates[0].Texts.size(), ListColumns(lkTemplates).size());
  EXPECT_EQ(templates[0].Texts[0], "template");
}

// Each kind of column sorts by its own key: names by stored bytes, numbers
// right-aligned, dates by time rather than by the shown text.
TEST_F(Lists, SortKeysPerKindOfColumn) {
  const int32_t p = Project("P");
  struct Line {
    std::string name;
    double width;
    double created;
    TConduitType type;
  };
  const Line lines[] = {{"alpha", 10000, 44000.5, ctPipesMetal},
                        {"Zeta", 9500, 45000.25, ctCables},
                        {"\xc3\xa9t\xc3\xa9", 100000, 43000, ctPipesPlastic},  // é sorts after z in Windows-1252
                        {"", 9500, 44000.75, ctPipesGRP}};
  for (const Line& l : lines) {
    TRecTransit* t = Transits.Items(Transits.IndexOfID(Transit(p, l.name)));
    t->Width = l.width;
    t->Created = l.created;
    t->DefaultConduitType = l.type;
  }
  struct Case {
    TListKind kind;
    int column, direction;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {lkTransits, 0, 1, {"<no name>", "Zeta", "alpha", "\xc3\xa9t\xc3\xa9"}},
      {lkTransits, 0, -1, {"\xc3\xa9t\xc3\xa9", "alpha", "Zeta", "<no name>"}},
      {lkTransits, 5, 1, {"Zeta", "<no name>", "alpha", "\xc3\xa9t\xc3\xa9"}},  // 9.5 before 10.0; equal keys keep order
      {lkTransits, 2, 1, {"Zeta", "<no name>", "alpha", "\xc3\xa9t\xc3\xa9"}},  // by the shown type text
      {lkTransits, 10, 1, {"\xc3\xa9t\xc3\xa9", "alpha", "<no name>", "Zeta"}},
      {lkTemplates, 0, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    auto rows = ListRows(c.kind, c.column, p);
    SortListRows(rows, c.direction);
    EXPECT_EQ(Column(rows, 0), c.names);
  }

  // Projects: by name bytes, and by the time of the last modification.
  Project("alpha", 45000.9);
  Project("Beta", 44999.1);
  auto rows = ListRows(lkProjects, 0);
  SortListRows(rows, 1);
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"Beta", "P", "alpha"}));
  rows = ListRows(lkProjects, 1);
  SortListRows(rows, -1);
  EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"alpha", "P", "Beta"}));
  EXPECT_EQ(rows[0].SortKey, TimestampKey(45000.9));

  int column = 0, direction = 1;
  ClickListColumn(0, column, direction);
  EXPECT_EQ(std::tuple(column, direction), std::tuple(0, -1));
  ClickListColumn(3, column, direction);
  EXPECT_EQ(std::tuple(column, direction), std::tuple(3, 1));
}

TEST_F(Lists, KeyAndTextHelpers) {
  EXPECT_EQ(RightAlignedKey("9.50"), std::string(16, ' ') + "9.50");
  EXPECT_EQ(RightAlignedKey(std::string(25, '7')), std::string(20, '7'));
  EXPECT_EQ(TimestampKey(36526.5), "20000101120000");  // 1 January 2000, noon
  EXPECT_EQ(TimestampKey(2.0 / 3), "18991230160000");
  EXPECT_EQ(TrimBlanks("  Smith \t"), "Smith");
  EXPECT_EQ(StoredLines("a\nb\r\nc"), "a\r\nb\r\nc");
  EXPECT_EQ(EditLines("a\r\nb\rc"), "a\nb\nc");
}

TEST_F(Lists, ProjectEditAndCustomers) {
  const int32_t p = Project("Ship");
  Projects.Items(0)->Customer = " Acme ";
  AddCustomer(" Smith");
  struct Case {
    std::string typed;
    bool offer;
  };
  for (const Case& c : {Case{"  Smith  ", false}, Case{"Acme", false}, Case{"   ", false}, Case{" Jones ", true}})
    EXPECT_EQ(ShouldOfferCustomer(p, c.typed), c.offer) << c.typed;
  CurrentUserName = "bob";
  TRecorder recorder;
  StoreProjectEdit(p, "Ship 2", "  Jones ", "line 1\nline 2");
  const TRecProject* r = Projects.Items(0);
  EXPECT_EQ(std::tuple(r->Name, r->Customer, r->Comments, r->ModifiedBy),
            std::tuple("Ship 2", "Jones", "line 1\r\nline 2", "bob"));
  EXPECT_GT(r->Modified, 45000);
  EXPECT_EQ(recorder.Calls, (std::vector<std::pair<int, int32_t>>{{nkProjectChanged, p}}));
  EXPECT_EQ(Changes, 2);  // the customer and the edit
  CurrentUserName.clear();
  EXPECT_EQ(TransitListCaption(p), "Transits in project 'Ship 2'");
  EXPECT_EQ(TransitListCaption(p + 10), "Transits in project");
}

// The chooser turns over the columns of a caption; the result goes into the
// layout text, and hidden columns keep their stored width for later.
TEST_F(Lists, ColumnChooserAndLayout) {
  std::string& layout = *ColumnLayoutText(lkTransits);
  std::vector<int> defaults;
  std::vector<std::string> captions;
  for (const TListColumn& c : ListColumns(lkTransits)) {
    defaults.push_back(c.DefaultWidth);
    captions.push_back(c.Caption);
  }
  std::vector<int> widths = ColumnWidthsFromLayout(layout, defaults);
  EXPECT_EQ(widths, defaults);
  widths[8] = 77;
  StoreColumnWidthsInLayout(layout, widths);

  TColumnChoice choice;
  choice.Init(captions, widths);
  choice.Toggle("Depth");
  choice.Toggle("No such column");
  EXPECT_EQ(choice.HiddenCaptions(), (std::vector<std::string>{"Depth"}));
  EXPECT_EQ(choice.ShownCaptions().size(), 11u);
  EXPECT_EQ(choice.Result(), "++++++++-+++");
  SetShownColumnsInLayout(layout, choice.Result());
  EXPECT_EQ(ColumnWidthsFromLayout(layout, defaults)[8], 0);
  EXPECT_EQ(layout.substr(48, 6), "-00077");

  // The layout survives the configuration file.
  const std::string path = Path("Trellane.ini");
  ASSERT_TRUE(SaveConfiguration(path));
  layout.clear();
  LoadConfiguration(path);
  EXPECT_EQ(ColumnWidthsFromLayout(*ColumnLayoutText(lkTransits), defaults)[8], 0);
  choice.Init(captions, ColumnWidthsFromLayout(*ColumnLayoutText(lkTransits), defaults));
  choice.Toggle("Depth");
  SetShownColumnsInLayout(*ColumnLayoutText(lkTransits), choice.Result());
  EXPECT_EQ(ColumnWidthsFromLayout(*ColumnLayoutText(lkTransits), defaults)[8], 77);
  EXPECT_EQ(ColumnLayoutText(lkCustomers), nullptr);
}
