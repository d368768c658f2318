// The project list, the project window and the customer list, driven as a
// user drives them, offscreen.
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "app/gui/customerwindows.h"
#include "lists_fixture.h"
#include "app/gui/projectwindows.h"
#include "store/exports.h"
#include "app/gui/transitwindows.h"

using namespace liststest;
using guitest::Child;
using guitest::SaveScreenshot;

namespace {
using ProjectWindows = TListsTest;
}

TEST_F(ProjectWindows, NewProjectWithNewCustomerRenamed) {
  auto* list = Show<TfrmProjectList>(Frame->ShowProjectList());
  auto* customers = Show<TfrmCustomerList>(Frame->ShowCustomerList());
  NewProject("New project 4");
  list->Refresh(-1);
  Click(list, "btnAdd");
  guitest::ProcessEvents();
  auto* detail = dynamic_cast<TfrmProjectDetail*>(Frame->Children("TfrmProjectDetail").value(0));
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->windowTitle(), QStringLiteral("Project 'New project 5'"));
  EXPECT_EQ(detail->edtName->selectedText(), QStringLiteral("New project 5"));
  EXPECT_EQ(detail->lblCreatedBy->text(), QStringLiteral("tester"));
  EXPECT_EQ(list->SelectedID(), Projects.Items(1)->ID);

  // Typing replaces the selected name; the customer is typed with blanks.
  QTest::keyClicks(detail->edtName, QStringLiteral("Ferry deck"));
  detail->cboCustomer->setEditText(QStringLiteral("  Smith  "));
  detail->mmoComments->setPlainText(QStringLiteral("line 1\nline 2"));
  SaveScreenshot(detail, QStringLiteral("lists_project_detail"));
  SaveScreenshot(Frame.get(), QStringLiteral("lists_in_frame"));
  {
    TModalScript script({[](QWidget* box) {
      EXPECT_EQ(box->windowTitle(), QStringLiteral("New customer: Smith"));
      guitest::ClickMessageBoxButton(box, QMessageBox::Yes);
    }});
    Click(detail, "btnOK");
    EXPECT_EQ(script.Texts, QStringList{QStringLiteral("Do you want to add this customer to the list?")});
  }
  guitest::ProcessEvents();
  EXPECT_TRUE(Frame->Children("TfrmProjectDetail").isEmpty());
  const TRecProject* p = Projects.Items(1);
  EXPECT_EQ(std::tuple(p->Name, p->Customer, p->Comments, p->ModifiedBy),
            std::tuple("Ferry deck", "Smith", "line 1\r\nline 2", "tester"));
  ASSERT_EQ(Customers.Count(), 1);
  EXPECT_EQ(Customers.Items(0)->Name, "Smith");
  // The open lists follow: the project list keeps its selection.
  EXPECT_EQ(ColumnTexts(list, 0), (QStringList{QStringLiteral("Ferry deck"), QStringLiteral("New project 4")}));
  EXPECT_EQ(list->SelectedID(), p->ID);
  EXPECT_EQ(ColumnTexts(customers, 0), QStringList{QStringLiteral("Smith")});
  EXPECT_GE(Changes, 3);

  // Opened again, the same customer is not offered again, and Cancel keeps the name.
  auto* again = Show<TfrmProjectDetail>(Frame->ShowProjectDetail(p->ID));
  EXPECT_EQ(again->cboCustomer->count(), 1);
  again->edtName->setText(QStringLiteral("Renamed"));
  Click(again, "btnCancel");
  guitest::ProcessEvents();
  EXPECT_EQ(Projects.Items(1)->Name, "Ferry deck");
  SaveScreenshot(list, QStringLiteral("lists_project_list"));
  SaveScreenshot(customers, QStringLiteral("lists_customer_list"));
}

TEST_F(ProjectWindows, CustomerListAddCancelDelete) {
  auto* list = Show<TfrmCustomerList>(Frame->ShowCustomerList());
  {
    TModalScript script({[](QWidget* dialog) {
      auto* name = Child<QLineEdit>(dialog, "edtName");
      QTest::keyClicks(name, QStringLiteral("Kowalski "));
      name->insert(QString::fromUtf8("\xc5\x81\xc3\xb3"));  // Ł cannot be stored
      SaveScreenshot(dialog, QStringLiteral("lists_customer_detail"));
      guitest::ClickButtonWithText(dialog, QStringLiteral("OK"));
    }});
    Click(list, "btnAdd");
  }
  ASSERT_EQ(Customers.Count(), 1);
  EXPECT_EQ(Customers.Items(0)->Name, "Kowalski \xc3\xb3");
  EXPECT_EQ(list->SelectedID(), Customers.Items(0)->ID);
  {
    TModalScript script({[](QWidget* dialog) { guitest::ClickButtonWithText(dialog, QStringLiteral("Cancel")); }});
    Click(list, "btnAdd");
  }
  EXPECT_EQ(Customers.Count(), 1);
  EXPECT_EQ(list->Model->rowCount(), 1);

  list->SelectID(-1);
  Click(list, "btnDelete");  // nothing selected: nothing happens, no message
  list->SelectID(Customers.Items(0)->ID);
  {
    TModalScript script({Press(QMessageBox::Yes)});
    Click(list, "btnDelete");
    EXPECT_EQ(script.Texts, QStringList{QStringLiteral("Are you sure you want to delete this record?")});
  }
  EXPECT_EQ(std::tuple(Customers.Count(), list->Model->rowCount()), std::tuple(0, 0));
}

// Deleting a project closes its project window and transit list, and tells
// the open editors of its transits, which close themselves.
TEST_F(ProjectWindows, DeleteProjectWithItsWindowsOpen) {
  const int32_t keep = NewProject("Keep");
  const int32_t p = NewProject("Gone");
  const int32_t t1 = NewTransit(p, "T1", 100000, 2);
  const int32_t kept = NewTransit(keep, "K");
  const int32_t t2 = NewTransit(p, "T2", 100000, 1);
  auto* list = Show<TfrmProjectList>(Frame->ShowProjectList());
  Show<TfrmProjectDetail>(Frame->ShowProjectDetail(p));
  Show<TfrmTransitList>(Frame->ShowTransitList(p));
  Show<TfrmTransitList>(Frame->ShowTransitList(keep));
  Frame->ShowTransitDetail(t1);

  list->SelectID(-1);
  {
    TModalScript script({Press(QMessageBox::Ok)});
    Click(list, "btnDelete");
    EXPECT_EQ(script.Texts, QStringList{QStringLiteral("No project selected!")});
  }
  list->SelectID(p);
  {
    TModalScript script({Press(QMessageBox::No)});
    Click(list, "btnDelete");
  }
  EXPECT_EQ(Projects.Count(), 2);
  {
    TModalScript script({Press(QMessageBox::Yes)});
    Click(list, "btnDelete");
  }
  guitest::ProcessEvents();
  EXPECT_TRUE(Frame->Children("TfrmProjectDetail").isEmpty());
  ASSERT_EQ(Frame->Children("TfrmTransitList").size(), 1);
  EXPECT_EQ(dynamic_cast<TfrmMDIchild*>(Frame->Children("TfrmTransitList")[0])->ViewID, keep);
  const std::vector<std::pair<int, int32_t>> deleted = {{nkTransitDeleted, t1}, {nkTransitDeleted, t2}};
  std::vector<std::pair<int, int32_t>> told;
  for (const auto& call : TDummyEditor::Told())
    if (call.first == nkTransitDeleted) told.push_back(call);
  EXPECT_EQ(told, deleted);
  EXPECT_EQ(std::tuple(Projects.Count(), Transits.Count(), Conduits.Count()), std::tuple(1, 1, 1));
  EXPECT_EQ(Transits.Items(0)->ID, kept);
  EXPECT_EQ(ColumnTexts(list, 0), QStringList{QStringLiteral("Keep")});
  EXPECT_EQ(list->SelectedID(), -1);
}

TEST_F(ProjectWindows, CopyExportAndImportRoundTrip) {
  const int32_t p = NewProject("Ship");
  const int32_t a = NewTransit(p, "Aft", 100000, 2);
  NewTransit(p, "Bow", 100000, 1);
  auto* list = Show<TfrmProjectList>(Frame->ShowProjectList());
  list->SelectID(p);
  {
    TModalScript script({Press(QMessageBox::Ok)});
    Click(list, "btnCopy");
    EXPECT_EQ(script.Texts, QStringList{QStringLiteral("Project 'Ship' copied.")});
  }
  EXPECT_EQ(ColumnTexts(list, 0), (QStringList{QStringLiteral("Copy of Ship"), QStringLiteral("Ship")}));
  EXPECT_EQ(list->SelectedID(), p);
  EXPECT_EQ(Transits.Count(), 4);

  // Export with "Bow" unticked, into a real file.
  NextFile = Path("ship.hpf");
  {
    TModalScript script({[](QWidget* dialog) {
                           auto* lines = Child<QListWidget>(dialog, "lvwTransits");
                           ASSERT_EQ(lines->count(), 2);
                           guitest::ClickButtonWithText(dialog, QStringLiteral("Select/deselect all transits"));
                           EXPECT_EQ(lines->item(0)->checkState(), Qt::Unchecked);
                           lines->item(0)->setCheckState(Qt::Checked);
                           SaveScreenshot(dialog, QStringLiteral("lists_select_transits"));
                           guitest::ClickButtonWithText(dialog, QStringLiteral("OK"));
                         },
                         Press(QMessageBox::Ok)});
    Click(list, "btnExport");
    EXPECT_EQ(script.Texts, QStringList{QStringLiteral("Project 'Ship' exported to\n") + NextFile});
  }
  ASSERT_EQ(Asked.size(), 1u);
  EXPECT_EQ(std::tuple(Asked[0].save, Asked[0].proposed, Asked[0].filter, Asked[0].suffix),
            std::tuple(true, QStringLiteral("Ship"), QStringLiteral("Project files (*.hpf)"), QStringLiteral("hpf")));
  ASSERT_TRUE(std::filesystem::exists(NextFile.toStdString()));

  const int changes = Changes;
  {
    TModalScript script({Press(QMessageBox::Ok)});
    Click(list, "btnImport");
    EXPECT_EQ(script.Texts, QStringList{QStringLiteral("Project 'Ship' imported from\n") + NextFile});
  }
  EXPECT_GT(Changes, changes);
  ASSERT_EQ(Projects.Count(), 3);
  const int32_t imported = Projects.Items(2)->ID;
  EXPECT_EQ(list->SelectedID(), imported);
  const auto rows = ListRows(lkTransits, 0, imported);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Texts[0], "Aft");
  EXPECT_EQ(Conduits.IndexesOfTransit(rows[0].ID).size(), Conduits.IndexesOfTransit(a).size());

  // A double click opens the project's transit list.
  const QRect row = list->List->visualRect(list->Model->index(list->Model->RowOfID(p), 0));
  QTest::mouseClick(list->List->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseDClick(list->List->viewport(), Qt::LeftButton, {}, row.center());
  ASSERT_EQ(Frame->Children("TfrmTransitList").size(), 1);
  EXPECT_EQ(dynamic_cast<TfrmMDIchild*>(Frame->Children("TfrmTransitList")[0])->ViewID, p);

  // Cancel in the file dialog does nothing.
  NextFile.clear();
  Click(list, "btnImport");
  EXPECT_EQ(Projects.Count(), 3);
}

// A damaged file or a file of the other kind is refused with its message,
// and adds nothing.
TEST_F(ProjectWindows, RefusedImportAddsNothing) {
  const int32_t p = NewProject("Ship");
  const int32_t t = NewTransit(p, "Aft", 100000, 2);
  ExportProjectFile(0, Path("good.hpf").toStdString());
  ExportTransitFile(0, Path("aft.htf").toStdString());
  std::string bytes;
  {
    std::ifstream in(Path("good.hpf").toStdString(), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  bytes.resize(bytes.size() - 12);  // cut: the zlib stream ends early
  bytes[bytes.size() / 2] ^= 0x55;
  std::ofstream(Path("damaged.hpf").toStdString(), std::ios::binary) << bytes;

  auto* projects = Show<TfrmProjectList>(Frame->ShowProjectList());
  auto* transits = Show<TfrmTransitList>(Frame->ShowTransitList(p));
  struct Case {
    TListWindow* list;
    std::string file;
    QString message;  // empty: any message of a damaged stream
  };
  const Case cases[] = {{projects, "damaged.hpf", {}},
                        {projects, "aft.htf", QStringLiteral("Illegal project data-format!")},
                        {transits, "good.hpf", QStringLiteral("Illegal transit data-format!")},
                        {transits, "missing.htf", {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    NextFile = Path(c.file);
    TModalScript script({[&](QWidget* box) {
      EXPECT_EQ(qobject_cast<QMessageBox*>(box)->icon(), QMessageBox::Critical);
      guitest::ClickMessageBoxButton(box, QMessageBox::Ok);
    }});
    Click(c.list, "btnImport");
    ASSERT_EQ(script.Texts.size(), 1);
    // The file and the reason: the program's own text ends the message.
    EXPECT_TRUE(script.Texts[0].contains(Path(c.file))) << script.Texts[0].toStdString();
    if (!c.message.isEmpty()) EXPECT_TRUE(script.Texts[0].endsWith(c.message)) << script.Texts[0].toStdString();
    else EXPECT_FALSE(script.Texts[0].isEmpty());
    EXPECT_EQ(std::tuple(Projects.Count(), Transits.Count(), Conduits.Count()), std::tuple(1, 1, 2));
    EXPECT_EQ(c.list->Model->rowCount(), 1);
  }
  EXPECT_EQ(Changes, 0);
  EXPECT_EQ(transits->Model->IDOfRow(0), t);
}
