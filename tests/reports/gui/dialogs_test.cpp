// The report dialogs: their choices, the transit list, and the delivery of
// the report to the viewer or to the desktop's RTF application.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "platform/gui/host.h"
#include "core/transit.h"
#include "guitest.h"
#include "report_gui_fixture.h"
#include "tests/reports/fake_desktop.h"
#include "reports/gui/reportdelivery.h"
#include "reports/gui/reportdialogs.h"
#include "reports/report.h"
#include "store/transitrecord.h"

using namespace reportsgui;

namespace {

class ReportDialogs : public ReportWindows {
protected:
  void SetUp() override {
    ReportWindows::SetUp();
    ReadDataFileTables(DataPath("sample.tbs"));
    Project = ProjectNamed("Deck {3}");
    ReportTempFolder() = Dir.path();
    // A desktop with an application for RTF files.
    Desktop = std::make_unique<reportstest::TFakeDesktop>(S(Dir.filePath(QStringLiteral("desktop"))));
    Desktop->XdgMime("echo writer.desktop");
    Desktop->Install("writer.desktop");
    SavedOpener = ReportOpener();
    ReportOpener() = [this](const QString& path) {
      Opened.push_back(S(path));
      return OpenerWorks;
    };
  }
  void TearDown() override {
    ReportOpener() = SavedOpener;
    ReportTempFolder().clear();
    Desktop.reset();
    ReportWindows::TearDown();
  }

  TTransit CableTransit() {
    TTransit t;
    LoadFromRecord(t, ProjectTransitIds(Project).at(0));
    t.Fill();
    return t;
  }
  // The report the viewer shows, or empty.
  std::string Shown() {
    const QList<QWidget*> viewers = Frame->Children("TfrmRTFviewer");
    return viewers.isEmpty() ? std::string() : dynamic_cast<TfrmRTFviewer*>(viewers.first())->ReportBytes();
  }
  std::vector<std::string> TempFiles() const {
    std::vector<std::string> names;
    for (const QString& n : QDir(Dir.path()).entryList(QDir::Files)) names.push_back(S(n));
    return names;
  }

  int32_t Project = 0;
  std::unique_ptr<reportstest::TFakeDesktop> Desktop;
  TReportOpener SavedOpener;
  std::vector<std::string> Opened;
  bool OpenerWorks = true;
};

}  // namespace

TEST_F(ReportDialogs, TransitReportChoicesAndInternalViewer) {
  TTransit transit = CableTransit();
  TfrmTransitReport dialog(transit, Frame.get());
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Material-report for transit"));
  EXPECT_TRUE(guitest::Child<QRadioButton>(&dialog, "rdoMedium")->isChecked());
  EXPECT_TRUE(guitest::Child<QRadioButton>(&dialog, "rdoInternalViewer")->isChecked());
  EXPECT_EQ(dialog.ImageSize(), risMedium);
  dialog.show();
  guitest::SaveScreenshot(&dialog, QStringLiteral("transitreport"));
  const std::pair<const char*, int> sizes[] = {{"rdoNoImages", 0}, {"rdoSmall", 2500}, {"rdoLarge", 7500}, {"rdoMedium", 5000}};
  for (auto [name, size] : sizes) {
    guitest::Child<QRadioButton>(&dialog, name)->click();
    EXPECT_EQ(dialog.ImageSize(), size) << name;
  }
  guitest::Child<QRadioButton>(&dialog, "rdoNoImages")->click();
  guitest::Child<QPushButton>(&dialog, "btnShowReport")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  TTransit copy = transit;
  EXPECT_EQ(Shown(), BuildTransitReport(copy, risNone));
  EXPECT_EQ(Shown().find("\\pict"), std::string::npos);
  EXPECT_TRUE(Opened.empty());
  // Close ends it without a report.
  TfrmTransitReport second(transit, Frame.get());
  second.show();
  guitest::Child<QPushButton>(&second, "btnClose")->click();
  EXPECT_EQ(second.result(), QDialog::Rejected);
}

TEST_F(ReportDialogs, ProjectReportListAndContents) {
  TfrmProjectReport dialog(Project, Frame.get());
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Material-report for project"));
  auto* list = guitest::Child<QTreeWidget>(&dialog, "lvwTransits");
  ASSERT_EQ(list->topLevelItemCount(), 3);
  EXPECT_TRUE(list->isHeaderHidden());
  EXPECT_TRUE(list->isColumnHidden(1));
  const std::vector<int32_t> ids = ProjectTransitIds(Project);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list->topLevelItem(i)->checkState(0), Qt::Checked);
    EXPECT_EQ(list->topLevelItem(i)->text(1).toInt(), ids[size_t(i)]);
  }
  EXPECT_EQ(S(list->topLevelItem(0)->text(0)), "Main {Deck 3}");
  EXPECT_TRUE(guitest::Child<QRadioButton>(&dialog, "rdoTotalsAndTransits")->isChecked());
  dialog.show();
  guitest::SaveScreenshot(&dialog, QStringLiteral("projectreport"));
  // All checked: all off; some checked: all on.
  auto* selectAll = guitest::Child<QPushButton>(&dialog, "btnSelectAll");
  EXPECT_EQ(selectAll->text(), QStringLiteral("Select/deselect all transits"));
  selectAll->click();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list->topLevelItem(i)->checkState(0), Qt::Unchecked);
  list->topLevelItem(1)->setCheckState(0, Qt::Checked);
  selectAll->click();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list->topLevelItem(i)->checkState(0), Qt::Checked);
  // The second transit left out, totals only, small pictures.
  list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
  guitest::Child<QRadioButton>(&dialog, "rdoOnlyTotals")->click();
  guitest::Child<QRadioButton>(&dialog, "rdoSmall")->click();
  guitest::Child<QPushButton>(&dialog, "btnShowReport")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Shown(), BuildProjectReport(Project, {ids[0], ids[2]}, risSmall, prcTotals));
  reportstest::ExpectParts(Shown(), {"\\par Transits amount:\\tab 2\r\n", "!\\page"});

  // Nothing checked, transits only: the project header with 0 transits.
  TfrmProjectReport none(Project, Frame.get());
  none.show();
  guitest::Child<QPushButton>(&none, "btnSelectAll")->click();
  guitest::Child<QRadioButton>(&none, "rdoOnlyTransits")->click();
  guitest::Child<QPushButton>(&none, "btnShowReport")->click();
  reportstest::ExpectParts(Shown(), {"\\par Transits amount:\\tab 0\r\n", "!Materials needed for project"});
  // A project without transits: an empty list that stays empty.
  TRecProject& empty = *Projects.Items(Projects.Add());
  TfrmProjectReport nothing(empty.ID, Frame.get());
  auto* emptyList = guitest::Child<QTreeWidget>(&nothing, "lvwTransits");
  guitest::Child<QPushButton>(&nothing, "btnSelectAll")->click();
  EXPECT_EQ(emptyList->topLevelItemCount(), 0);
}

TEST_F(ReportDialogs, ExternalApplicationGetsANewFileOfItsOwn) {
  TTransit transit = CableTransit();
  TfrmTransitReport dialog(transit, Frame.get());
  dialog.show();
  guitest::Child<QRadioButton>(&dialog, "rdoExternalViewer")->click();
  guitest::Child<QPushButton>(&dialog, "btnShowReport")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(Opened.size(), 1u);
  const std::string name = Opened[0].substr(Opened[0].rfind('/') + 1);
  EXPECT_EQ(name.rfind("$Transitreport_", 0), 0u) << name;
  EXPECT_TRUE(name.ends_with(".rtf")) << name;
  TTransit copy = transit;
  EXPECT_EQ(ReadWholeFile(Opened[0]), BuildTransitReport(copy, risMedium));
  struct stat st{};
  ASSERT_EQ(::stat(Opened[0].c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(Shown(), "") << "no viewer opened";
  // Twice in a row: two files, neither overwritten.
  TfrmTransitReport again(transit, Frame.get());
  again.show();
  guitest::Child<QRadioButton>(&again, "rdoExternalViewer")->click();
  guitest::Child<QPushButton>(&again, "btnShowReport")->click();
  ASSERT_EQ(Opened.size(), 2u);
  EXPECT_NE(Opened[0], Opened[1]);
  EXPECT_EQ(TempFiles().size(), 2u);
}

TEST_F(ReportDialogs, FailingOpenerOrWriteOffersTheViewer) {
  OpenerWorks = false;
  TfrmProjectReport dialog(Project, Frame.get());
  dialog.show();
  guitest::Child<QRadioButton>(&dialog, "rdoExternalViewer")->click();
  // Declined: nothing shown, the dialog stays open for another choice.
  guitest::ModalAnswer no([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::No); });
  guitest::Child<QPushButton>(&dialog, "btnShowReport")->click();
  EXPECT_TRUE(no.Ran());
  EXPECT_NE(no.Text().indexOf(QStringLiteral("No application could open the report file")), -1) << S(no.Text());
  EXPECT_NE(no.Text().indexOf(QStringLiteral("internal report viewer")), -1);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(Shown(), "");
  // Accepted: the internal viewer shows it.
  guitest::ModalAnswer yes([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::Yes); });
  guitest::Child<QPushButton>(&dialog, "btnShowReport")->click();
  EXPECT_TRUE(yes.Ran());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_NE(Shown().find("Project name:\\tab Deck \\{3\\}"), std::string::npos);
  EXPECT_EQ(Opened.size(), 2u);

  // A temporary folder that cannot be written: told, and offered the viewer.
  OpenerWorks = true;
  ReportTempFolder() = Dir.filePath(QStringLiteral("missing"));
  TfrmProjectReport unwritable(Project, Frame.get());
  unwritable.show();
  guitest::Child<QRadioButton>(&unwritable, "rdoExternalViewer")->click();
  guitest::ModalAnswer told([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::No); });
  guitest::Child<QPushButton>(&unwritable, "btnShowReport")->click();
  EXPECT_NE(told.Text().indexOf(QStringLiteral("Cannot create the report file")), -1) << S(told.Text());
  EXPECT_EQ(Opened.size(), 2u);
}

// A desktop without an application for RTF files is not handed the report
// (its opener would show the raw RTF in a text editor): the user is told
// and offered the viewer, and no file is written.
TEST_F(ReportDialogs, NoRtfApplicationOnTheDesktopOffersTheViewer) {
  for (const char* answer : {"true", "echo removed.desktop"}) {
    SCOPED_TRACE(answer);
    Desktop->XdgMime(answer);
    TfrmTransitReport dialog(CableTransit(), Frame.get());
    dialog.show();
    guitest::Child<QRadioButton>(&dialog, "rdoExternalViewer")->click();
    guitest::ModalAnswer no([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::No); });
    guitest::Child<QPushButton>(&dialog, "btnShowReport")->click();
    EXPECT_TRUE(no.Ran());
    EXPECT_NE(no.Text().indexOf(QStringLiteral("The desktop has no application for RTF files")), -1) << S(no.Text());
    EXPECT_NE(no.Text().indexOf(QStringLiteral("internal report viewer")), -1);
    EXPECT_TRUE(dialog.isVisible());
    guitest::ModalAnswer yes([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::Yes); });
    guitest::Child<QPushButton>(&dialog, "btnShowReport")->click();
    EXPECT_TRUE(yes.Ran());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_NE(Shown().find("Material list for transit"), std::string::npos);
  }
  EXPECT_TRUE(Opened.empty());
  EXPECT_TRUE(TempFiles().empty());
  std::stringstream args;
  args << std::ifstream(Desktop->Args()).rdbuf();
  EXPECT_EQ(args.str(), "query default application/rtf\n");
}

TEST_F(ReportDialogs, HooksOpenTheDialogsModally) {
  ASSERT_TRUE(WindowHooks().ShowTransitReport);
  ASSERT_TRUE(WindowHooks().ShowProjectReport);
  guitest::ModalAnswer show([](QWidget* dialog) {
    EXPECT_EQ(dialog->objectName(), QStringLiteral("TfrmProjectReport"));
    guitest::ClickButtonWithText(dialog, QStringLiteral("Show report"));
  });
  WindowHooks().ShowProjectReport(Project);
  EXPECT_TRUE(show.Ran());
  EXPECT_NE(Shown().find("Transits amount:\\tab 3"), std::string::npos);
  guitest::ModalAnswer close([](QWidget* dialog) {
    EXPECT_EQ(dialog->objectName(), QStringLiteral("TfrmTransitReport"));
    guitest::ClickButtonWithText(dialog, QStringLiteral("Close"));
  });
  WindowHooks().ShowTransitReport(CableTransit());
  EXPECT_TRUE(close.Ran());
}
