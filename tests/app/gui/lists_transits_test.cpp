// The transit list, the template list with its picker, the column chooser
// and the unit switch, driven as a user drives them, offscreen.
#include <QListWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "lists_fixture.h"
#include "app/gui/projectwindows.h"
#include "store/config.h"
#include "app/gui/transitwindows.h"

using namespace liststest;
using guitest::Child;
using guitest::SaveScreenshot;

namespace {
using TransitWindows = TListsTest;
}

TEST_F(TransitWindows, AddOpenDeleteAndCaption) {
  const int32_t p = NewProject("Ship");
  auto* list = Show<TfrmTransitList>(Frame->ShowTransitList(p));
  EXPECT_EQ(list->windowTitle(), QStringLiteral("Transits in project 'Ship'"));
  EXPECT_EQ(list->Header->text(), list->windowTitle());

  Click(list, "btnAdd");
  guitest::ProcessEvents();
  ASSERT_EQ(Transits.Count(), 1);
  const int32_t t = Transits.Items(0)->ID;
  EXPECT_EQ(Transits.Items(0)->ProjectID, p);
  EXPECT_EQ(list->SelectedID(), t);
  ASSERT_EQ(Frame->Children("TfrmTransitDetail").size(), 1);
  EXPECT_EQ(Frame->Children()[0], Frame->Children("TfrmTransitDetail")[0]);  // in front
  EXPECT_EQ(TDummyEditor::Told().back(), std::make_pair(int(nkTransitCreated), t));
  EXPECT_EQ(ColumnTexts(list, 0), QStringList{QStringLiteral("<no name>")});
  EXPECT_GE(Changes, 1);

  // A changed project renames the list; a changed transit refreshes and selects it.
  Projects.Items(0)->Name = "Ferry";
  Transits.Items(0)->Name = "Aft";
  NotifyAll(nkProjectChanged, p);
  EXPECT_EQ(list->windowTitle(), QStringLiteral("Transits in project 'Ferry'"));
  NotifyAll(nkTransitChanged, t);
  EXPECT_EQ(ColumnTexts(list, 0), QStringList{QStringLiteral("Aft")});
  EXPECT_EQ(list->SelectedID(), t);

  Frame->ShowProjectList()->parentWidget()->close();  // the editor goes to the back
  guitest::ProcessEvents();
  list->SelectID(-1);
  {
    TModalScript script({Press(QMessageBox::Ok)});
    Click(list, "btnDelete");
    EXPECT_EQ(script.Texts, QStringList{QStringLiteral("No transit selected!")});
  }
  list->SelectID(t);
  {
    TModalScript script({Press(QMessageBox::Yes)});
    Click(list, "btnDelete");
    EXPECT_EQ(script.Texts, QStringList{QStringLiteral("Are you sure you want to delete this record?")});
  }
  EXPECT_EQ(TDummyEditor::Told().back(), std::make_pair(int(nkTransitDeleted), t));
  EXPECT_EQ(std::tuple(Transits.Count(), list->Model->rowCount()), std::tuple(0, 0));

  int32_t shown = -1;
  WindowHooks().ShowProjectReport = [&](int32_t id) { shown = id; };
  Click(list, "btnMaterials");
  WindowHooks().ShowProjectReport = nullptr;
  EXPECT_EQ(shown, p);
  Click(list, "btnProjectDetails");
  ASSERT_EQ(Frame->Children("TfrmProjectDetail").size(), 1);
  EXPECT_EQ(dynamic_cast<TfrmMDIchild*>(Frame->Children("TfrmProjectDetail")[0])->ViewID, p);
}

TEST_F(TransitWindows, CopyToAnotherProjectAndFileRoundTrip) {
  const int32_t ship = NewProject("Ship");
  const int32_t dock = NewProject("Dock");
  const int32_t t = NewTransit(ship, "Aft", 100000, 3);
  auto* list = Show<TfrmTransitList>(Frame->ShowTransitList(ship));
  auto* other = Show<TfrmTransitList>(Frame->ShowTransitList(dock));
  list->SelectID(t);
  {
    TModalScript script({[](QWidget* dialog) {
                           auto* projects = Child<QTreeWidget>(dialog, "lvwProjects");
                           ASSERT_EQ(projects->topLevelItemCount(), 2);
                           EXPECT_EQ(projects->topLevelItem(0)->text(0), QStringLiteral("Dock"));
                           SaveScreenshot(dialog, QStringLiteral("lists_select_project"));
                           projects->setCurrentItem(projects->topLevelItem(0));
                           guitest::ClickButtonWithText(dialog, QStringLiteral("OK"));
                         },
                         Press(QMessageBox::Ok)});
    Click(list, "btnCopy");
    EXPECT_EQ(script.Texts.value(0), QStringLiteral("Transit 'Copy of Aft' has been copied to project 'Dock'."));
  }
  EXPECT_EQ(ColumnTexts(other, 0), QStringList{QStringLiteral("Copy of Aft")});
  EXPECT_EQ(Conduits.Count(), 6);
  EXPECT_EQ(list->SelectedID(), -1);  // the lists were told of a new transit
  list->SelectID(t);
  {
    TModalScript script({[](QWidget* dialog) { guitest::ClickButtonWithText(dialog, QStringLiteral("Cancel")); }});
    Click(list, "btnCopy");
  }
  EXPECT_EQ(Transits.Count(), 2);

  NextFile = Path("aft.htf");
  list->SelectID(t);
  {
    TModalScript script({Press(QMessageBox::Ok)});
    Click(list, "btnExport");
    EXPECT_EQ(script.Texts, QStringList{QStringLiteral("Transit 'Aft' exported to\n") + NextFile});
  }
  EXPECT_EQ(std::tuple(Asked.back().proposed, Asked.back().filter),
            std::tuple(QStringLiteral("Aft"), QStringLiteral("Transit files (*.htf)")));
  for (int i = 0; i < 2; ++i) {
    TModalScript script({Press(QMessageBox::Ok)});
    Click(other, "btnImport");
    EXPECT_EQ(script.Texts, QStringList{QStringLiteral("Transit 'Aft' imported from\n") + NextFile});
  }
  EXPECT_EQ(ColumnTexts(other, 0),
            (QStringList{QStringLiteral("Aft"), QStringLiteral("Aft"), QStringLiteral("Copy of Aft")}));
  EXPECT_NE(other->Model->IDOfRow(0), other->Model->IDOfRow(1));
  EXPECT_EQ(Conduits.Count(), 12);
  SaveScreenshot(list, QStringLiteral("lists_transit_list"));
}

// A header click sorts by that column's key, a second click reverses.
TEST_F(TransitWindows, SortingByEachKindOfColumn) {
  const int32_t p = NewProject("P");
  NewTransit(p, "beta", 100000);
  NewTransit(p, "Alpha", 9500);
  NewTransit(p, "", 10000);
  Transits.Items(0)->DefaultConduitType = ctPipesMetal;
  Transits.Items(0)->Created = 45100;
  Transits.Items(1)->Created = 44000;
  Transits.Items(2)->Created = 44500.5;
  auto* list = Show<TfrmTransitList>(Frame->ShowTransitList(p));
  const QString none = QStringLiteral("<no name>"), a = QStringLiteral("Alpha"), b = QStringLiteral("beta");
  EXPECT_EQ(ColumnTexts(list, 0), (QStringList{none, a, b}));
  struct Case {
    int column;
    QStringList order;
  };
  const Case cases[] = {{0, {b, a, none}},   // again: descending
                        {5, {a, none, b}},   // width 9.50 < 10.00 < 100.00
                        {5, {b, none, a}},
                        {2, {a, none, b}},   // type text: Cables before Pipes (metal)
                        {10, {a, none, b}},  // created, by time
                        {0, {none, a, b}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    ClickHeader(list, c.column);
    EXPECT_EQ(ColumnTexts(list, 0), c.order);
    EXPECT_EQ(list->SelectedID(), -1);
  }
  EXPECT_EQ(list->List->header()->sortIndicatorSection(), 0);

  Projects.Items(0)->Modified = 45000;
  NewProject("alpha");
  NewProject("Zeta");
  auto* projects = Show<TfrmProjectList>(Frame->ShowProjectList());
  EXPECT_EQ(ColumnTexts(projects, 0), (QStringList{QStringLiteral("P"), QStringLiteral("Zeta"), QStringLiteral("alpha")}));
  Projects.Items(1)->Modified = 44000.5;
  Projects.Items(2)->Modified = 45000.5;
  projects->Refresh(-1);
  ClickHeader(projects, 1);
  EXPECT_EQ(ColumnTexts(projects, 0), (QStringList{QStringLiteral("alpha"), QStringLiteral("P"), QStringLiteral("Zeta")}));
}

// Hiding a column with the chooser lasts through closing the list and
// through the configuration file; shown again it has its last width.
TEST_F(TransitWindows, HideColumnAndReopen) {
  const int32_t p = NewProject("P");
  NewTransit(p, "T");
  auto* list = Show<TfrmTransitList>(Frame->ShowTransitList(p));
  list->List->header()->resizeSection(8, 77);
  {
    TModalScript script({[](QWidget* dialog) {
      auto* shown = Child<QListWidget>(dialog, "lstShown");
      ASSERT_EQ(shown->count(), 12);
      shown->setCurrentRow(8);
      EXPECT_EQ(shown->currentItem()->text(), QStringLiteral("Depth"));
      Child<QToolButton>(dialog, "btnHide")->click();
      EXPECT_EQ(Child<QListWidget>(dialog, "lstHidden")->count(), 1);
      SaveScreenshot(dialog, QStringLiteral("lists_column_chooser"));
      guitest::ClickButtonWithText(dialog, QStringLiteral("OK"));
    }});
    Click(list, "btnChooseColumns");
  }
  EXPECT_TRUE(list->List->header()->isSectionHidden(8));
  list->parentWidget()->close();
  guitest::ProcessEvents();
  EXPECT_EQ(Settings.TransitListColumns.substr(48, 6), "-00077");

  const std::string ini = Path("Trellane.ini").toStdString();
  ASSERT_TRUE(SaveConfiguration(ini));
  Settings.TransitListColumns.clear();
  LoadConfiguration(ini);
  list = Show<TfrmTransitList>(Frame->ShowTransitList(p));
  EXPECT_TRUE(list->List->header()->isSectionHidden(8));
  EXPECT_FALSE(list->List->header()->isSectionHidden(7));
  {
    TModalScript script({[](QWidget* dialog) {
      auto* hidden = Child<QListWidget>(dialog, "lstHidden");
      hidden->setCurrentRow(0);
      Child<QToolButton>(dialog, "btnShow")->click();
      guitest::ClickButtonWithText(dialog, QStringLiteral("OK"));
    }});
    Click(list, "btnChooseColumns");
  }
  EXPECT_FALSE(list->List->header()->isSectionHidden(8));
  EXPECT_EQ(list->List->header()->sectionSize(8), 77);
  {
    TModalScript script({[](QWidget* dialog) {
      Child<QListWidget>(dialog, "lstShown")->setCurrentRow(0);
      Child<QToolButton>(dialog, "btnHide")->click();
      guitest::ClickButtonWithText(dialog, QStringLiteral("Cancel"));
    }});
    Click(list, "btnChooseColumns");
  }
  EXPECT_FALSE(list->List->header()->isSectionHidden(0));
}

TEST_F(TransitWindows, UnitSwitchRefreshesEveryOpenList) {
  const int32_t p = NewProject("P");
  NewTransit(p, "T", 254000);
  NewTransit(TemplateProjectID, "Template", 127000);
  auto* a = Show<TfrmTransitList>(Frame->ShowTransitList(p));
  auto* templates = Show<TfrmTemplateList>(Frame->ShowTemplateList());
  EXPECT_EQ(ColumnTexts(a, 5), QStringList{QStringLiteral("254.00")});
  EXPECT_EQ(ColumnTexts(templates, 1), QStringList{QStringLiteral("127.00")});
  CurrentLengthUnit = luInch;
  NotifyAll(nkUnitChanged, 0);
  EXPECT_EQ(ColumnTexts(a, 5), QStringList{QStringLiteral("10.0000")});
  EXPECT_EQ(ColumnTexts(templates, 1), QStringList{QStringLiteral("5.0000")});
  CurrentLengthUnit = luMillimetre;
  NotifyAll(nkUnitChanged, 0);
  EXPECT_EQ(ColumnTexts(a, 8), QStringList{QStringLiteral("180.00")});
}

TEST_F(TransitWindows, TemplatesAndThePicker) {
  NewTransit(NewProject("P"), "New template 4");
  NewTransit(TemplateProjectID, "beta", 100000);
  auto* list = Show<TfrmTemplateList>(Frame->ShowTemplateList());
  EXPECT_EQ(list->windowTitle(), QStringLiteral("Templates"));
  Click(list, "btnAdd");
  guitest::ProcessEvents();
  const TRecTransit* added = Transits.Items(2);
  const int32_t addedId = added->ID;
  EXPECT_EQ(std::tuple(added->Name, added->ProjectID, added->Depth),
            std::tuple("New template 5", TemplateProjectID, 200000.0));
  EXPECT_EQ(list->SelectedID(), added->ID);
  auto* editor = dynamic_cast<TDummyEditor*>(Frame->Children("TfrmTransitDetail").value(0));
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->ViewID, added->ID);
  EXPECT_TRUE(editor->Name->hasSelectedText());
  for (const auto& call : TDummyEditor::Told()) EXPECT_NE(call.first, int(nkTransitCreated));
  SaveScreenshot(list, QStringLiteral("lists_template_list"));

  ASSERT_TRUE(WindowHooks().ChooseTemplate);
  {
    TModalScript script({[](QWidget* dialog) {
      auto* lines = Child<QTreeWidget>(dialog, "lvwTemplates");
      ASSERT_EQ(lines->topLevelItemCount(), 2);
      EXPECT_EQ(lines->topLevelItem(0)->text(0), QStringLiteral("beta"));
      SaveScreenshot(dialog, QStringLiteral("lists_select_template"));
      lines->setCurrentItem(lines->topLevelItem(1));
      guitest::ClickButtonWithText(dialog, QStringLiteral("OK"));
    }});
    EXPECT_EQ(WindowHooks().ChooseTemplate(), added->ID);
  }
  {
    TModalScript script({[](QWidget* dialog) { guitest::ClickButtonWithText(dialog, QStringLiteral("OK")); }});
    EXPECT_EQ(WindowHooks().ChooseTemplate(), -1);  // no line selected
  }

  list->SelectID(addedId);
  {
    TModalScript script({Press(QMessageBox::Yes)});
    Click(list, "btnDelete");
  }
  EXPECT_EQ(TDummyEditor::Told().back(), std::make_pair(int(nkTransitDeleted), addedId));
  EXPECT_EQ(list->Model->rowCount(), 1);
}

// Every column is wide enough for its caption and its longest text, in
// millimetres and in inches; a width the user set is kept, and a column that
// follows its texts stores no width of its own.
TEST_F(TransitWindows, ColumnsFitTheirCaptionsAndTexts) {
  const int32_t p = NewProject("P");
  const int32_t t = NewTransit(p, "Engine room bulkhead frame 112 port side", 1234567.8);
  Transits.Items(Transits.IndexOfID(t))->Created = 46363.999988;  // 7 Dec 2026 23:59:59
  auto* list = Show<TfrmTransitList>(Frame->ShowTransitList(p));
  auto check = [&](const char* unit) {
    SCOPED_TRACE(unit);
    QHeaderView* header = list->List->header();
    const QFontMetrics metrics(list->List->font());
    for (int i = 0; i < list->Model->columnCount(); ++i) {
      SCOPED_TRACE(list->Model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
      EXPECT_GE(header->sectionSize(i), header->sectionSizeHint(i)) << "the caption";
      for (const QString& text : ColumnTexts(list, i))
        EXPECT_GT(header->sectionSize(i), metrics.horizontalAdvance(text) + 6) << text.toStdString();
    }
  };
  check("mm");
  EXPECT_GT(list->List->header()->sectionSize(0), 80);
  CurrentLengthUnit = luInch;
  NotifyAll(nkUnitChanged, 0);
  check("inch");
  SaveScreenshot(list->parentWidget(), QStringLiteral("lists_transit_list_fitted"));
  CurrentLengthUnit = luMillimetre;
  list->List->header()->resizeSection(2, 140);  // the user's own width
  list->StoreColumnWidths();
  EXPECT_EQ(Settings.TransitListColumns.substr(12, 6).substr(1), "00140");
  EXPECT_EQ(Settings.TransitListColumns.substr(0, 6), "      ") << "follows its texts";
  NotifyAll(nkUnitChanged, 0);
  EXPECT_EQ(list->List->header()->sectionSize(2), 140);
}
