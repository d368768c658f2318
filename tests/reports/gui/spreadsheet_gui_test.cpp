// The spreadsheet outputs of the report dialogs and of the viewer: the file
// chosen, written whole, offered to the desktop's application; a failure
// told and nothing left behind.
#include <QAction>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "core/transit.h"
#include "guitest.h"
#include "report_gui_fixture.h"
#include "reports/gui/reportdelivery.h"
#include "reports/gui/reportdialogs.h"
#include "reports/report.h"
#include "reports/spreadsheet.h"
#include "store/transitrecord.h"

using namespace reportsgui;

namespace {

class SpreadsheetOutputs : public ReportWindows {
protected:
  void SetUp() override {
    ReportWindows::SetUp();
    ReadDataFileTables(DataPath("sample.tbs"));
    Project = ProjectNamed("Deck {3}");
    SavedOpener = ReportOpener();
    ReportOpener() = [this](const QString& path) {
      Opened.push_back(S(path));
      return true;
    };
    SavedChooser = SpreadsheetChooser();
    SpreadsheetChooser() = [this](QWidget*) {
      ++Asked;
      return Chosen;
    };
  }
  void TearDown() override {
    ReportOpener() = SavedOpener;
    SpreadsheetChooser() = SavedChooser;
    ReportWindows::TearDown();
  }
  TTransit CableTransit() const {
    TTransit t;
    LoadFromRecord(t, ProjectTransitIds(Project).at(0));
    t.Fill();
    return t;
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const QString& n : QDir(Dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) names.push_back(S(n));
    return names;
  }

  int32_t Project = 0;
  TReportOpener SavedOpener;
  TSpreadsheetChooser SavedChooser;
  std::vector<std::string> Opened;
  QString Chosen;
  int Asked = 0;
};

}  // namespace

TEST_F(SpreadsheetOutputs, ProjectDialogWritesTheWorkbookAndOffersToOpenIt) {
  TfrmProjectReport dialog(Project, Frame.get());
  dialog.show();
  auto* button = guitest::Child<QPushButton>(&dialog, "btnSpreadsheet");
  EXPECT_EQ(button->text(), QStringLiteral("Spreadsheet (.xlsx / .csv)..."));
  // Cancelled in the save dialog: nothing written, the dialog stays.
  button->click();
  EXPECT_EQ(Asked, 1);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(Files().empty());

  // Totals only: the workbook holds the totals sheet; opened when asked.
  guitest::Child<QRadioButton>(&dialog, "rdoOnlyTotals")->click();
  Chosen = Dir.filePath(QStringLiteral("deck.xlsx"));
  guitest::ModalAnswer open([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::Yes); });
  button->click();
  ASSERT_TRUE(open.Ran());
  EXPECT_NE(open.Text().indexOf(QStringLiteral("Open it now?")), -1) << S(open.Text());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(Opened.size(), 1u);
  EXPECT_EQ(Opened[0], S(Chosen));
  const std::string bytes = ReadWholeFile(S(Chosen));
  EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
  EXPECT_NE(bytes.find("xl/worksheets/sheet1.xml"), std::string::npos);
  EXPECT_EQ(bytes.find("xl/worksheets/sheet2.xml"), std::string::npos) << "totals only";
  EXPECT_EQ(Files(), std::vector<std::string>{"deck.xlsx"});
}

TEST_F(SpreadsheetOutputs, TransitDialogWritesTheCsvOfItsFigures) {
  TTransit transit = CableTransit();
  TfrmTransitReport dialog(transit, Frame.get());
  dialog.show();
  Chosen = Dir.filePath(QStringLiteral("main.csv"));
  guitest::ModalAnswer keep([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::No); });
  guitest::Child<QPushButton>(&dialog, "btnSpreadsheet")->click();
  EXPECT_TRUE(keep.Ran());
  EXPECT_TRUE(Opened.empty());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  TTransit copy = transit;
  TReportSheets expected;
  BuildTransitReport(copy, risNone, &expected);
  EXPECT_EQ(ReadWholeFile(S(Chosen)), SpreadsheetCsv(expected));
  EXPECT_NE(ReadWholeFile(S(Chosen)).find("Main {Deck 3}"), std::string::npos);
}

TEST_F(SpreadsheetOutputs, UnwritableTargetIsToldAndLeavesNothing) {
  TfrmProjectReport dialog(Project, Frame.get());
  dialog.show();
  QDir(Dir.path()).mkdir(QStringLiteral("taken.xlsx"));  // a folder in the way
  for (const char* target : {"missing/deck.xlsx", "taken.xlsx"}) {
    Chosen = Dir.filePath(QString::fromLatin1(target));
    guitest::ModalAnswer told([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::Ok); });
    guitest::Child<QPushButton>(&dialog, "btnSpreadsheet")->click();
    ASSERT_TRUE(told.Ran()) << target;
    EXPECT_NE(told.Text().indexOf(QStringLiteral("Error writing the spreadsheet:")), -1) << S(told.Text());
    EXPECT_NE(told.Text().indexOf(QStringLiteral("Cannot write ") + Chosen), -1) << S(told.Text());
    EXPECT_TRUE(dialog.isVisible()) << target;
  }
  EXPECT_TRUE(Opened.empty());
  EXPECT_EQ(Files(), std::vector<std::string>{"taken.xlsx"});
  EXPECT_TRUE(QDir(Dir.filePath(QStringLiteral("taken.xlsx"))).isEmpty());
}

TEST_F(SpreadsheetOutputs, ViewerSavesTheFiguresOfTheReportItShows) {
  TfrmProjectReport dialog(Project, Frame.get());
  dialog.show();
  guitest::Child<QRadioButton>(&dialog, "rdoNoImages")->click();
  guitest::Child<QPushButton>(&dialog, "btnShowReport")->click();
  TfrmRTFviewer* viewer = Viewer();
  ASSERT_NE(viewer, nullptr);
  ASSERT_NE(viewer->Sheets(), nullptr);
  auto* save = guitest::Child<QAction>(viewer, "actSaveSpreadsheet");
  EXPECT_EQ(save->text(), QStringLiteral("Save as spreadsheet"));
  EXPECT_TRUE(save->isEnabled());
  QString caption;
  viewer->ChooseSaveFile = [&](const QString& c, const QString&, const QString&) {
    caption = c;
    return Dir.filePath(QStringLiteral("shown"));  // no extension: a workbook
  };
  save->trigger();
  EXPECT_EQ(caption, QStringLiteral("Save as spreadsheet"));
  const std::string bytes = ReadWholeFile(Path("shown.xlsx"));
  EXPECT_EQ(bytes.substr(0, 2), "PK");
  EXPECT_NE(bytes.find("xl/worksheets/sheet3.xml"), std::string::npos);

  viewer->ChooseSaveFile = [&](const QString&, const QString&, const QString&) {
    return Dir.filePath(QStringLiteral("shown.csv"));
  };
  save->trigger();
  TReportSheets expected;
  BuildProjectReport(Project, ProjectTransitIds(Project), risNone, prcBoth, &expected);
  EXPECT_EQ(ReadWholeFile(Path("shown.csv")), SpreadsheetCsv(expected));

  // A report loaded without its figures cannot be saved as a spreadsheet.
  viewer->LoadReport(viewer->ReportBytes());
  EXPECT_EQ(viewer->Sheets(), nullptr);
  EXPECT_FALSE(save->isEnabled());
}
