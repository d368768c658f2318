// The cable schedule import window offscreen on real tables, with real
// schedules: a Windows-1252 text file with semicolons and comma decimals,
// and workbooks written by openpyxl.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <map>
#include <memory>

#include "app/gui/dialogkeys.h"
#include "app/gui/listwindows.h"
#include "app/gui/transitwindows.h"
#include "platform/mdichild.h"
#include "core/units.h"
#include "editor/gui/editorwindows.h"
#include "guitest.h"
#include "helpers.h"
#include "platform/gui/host.h"
#include "schedule/gui/scheduleimport.h"
#include "schedule/gui/schedulesummary.h"
#include "store/changes.h"
#include "store/settings.h"
#include "store/tables.h"
#include "store/transitrecord.h"
#include "testframe.h"

using guitest::Child;
using guitest::ProcessEvents;
using guitest::SaveScreenshot;
using scheduletest::Spit;
using scheduletest::TScratch;

namespace {

// One cable per row; the header's "Ø" is one Windows-1252 byte. Rows 5 to 9
// are refused: no transit, a diameter that is no number, one out of range,
// an amount of 0, and "12.5" where the decimal separator is the comma.
const char* const CommaCsv =
    "Tag;Penetration;\xD8 mm;Qty;Type\r\n"
    "C-1;MCT-01;12,5;2;cable\r\n"
    "C-2;\"MCT-01; MCT-02\";12,5;;Cable\r\n"
    "C-3;MCT-02;20,5;1;\r\n"
    "C-4;;10;1;\r\n"
    "C-5;MCT-03;abc;1;\r\n"
    "C-6;MCT-03;2000;1;\r\n"
    "C-7;MCT-03;10;0;\r\n"
    "C-8;MCT-01;12.5;1;\r\n"
    "C-9;MCT-04;60;40;\r\n";

// Stands for any open window: records what it is told.
class TRecorder : public QWidget, public TfrmMDIchild {
public:
  void Notify(uint8_t code, int32_t id) override { Told.emplace_back(code, id); }
  std::string ClassName() const override { return "TRecorder"; }
  std::vector<std::pair<int, int32_t>> Told;
};

using TGroups = std::map<std::string, std::map<long, int>>;

class ScheduleWindow : public ::testing::Test {
protected:
  void SetUp() override {
    Clear();
    SetDefaultSettings();
    CurrentLengthUnit = luMillimetre;
    SetDecimalSeparator('.');
    CurrentUserName = "tester";
    RegisterListWindows();
    RegisterEditorWindows();
    SetTablesChangedListener([this] { ++Saves; });
    SetScheduleFileChooser([this](QWidget*) {
      ++Chosen;
      return NextFile;
    });
    qApp->installEventFilter(&Keys);
    Frame = std::make_unique<TTestFrame>();
    Frame->show();
    TRecProject* project = Projects.Items(Projects.Add());
    project->Name = "Deck";
    ProjectID = project->ID;
    Csv = QString::fromStdString(Scratch.Path("cables.csv"));
    Spit(Scratch.Path("cables.csv"), CommaCsv);
  }
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QLatin1String("TfrmScheduleSummary")) w->close();
    Frame.reset();
    ProcessEvents();
    qApp->removeEventFilter(&Keys);
    SetScheduleFileChooser({});
    SetTablesChangedListener({});
    CurrentLengthUnit = luMillimetre;
    Clear();
  }
  static void Clear() {
    Customers.Clear();
    Projects.Clear();
    Transits.Clear();
    Conduits.Clear();
  }

  std::unique_ptr<TfrmScheduleImport> NewDialog(TScheduleImportLinks links = {}) {
    auto dialog = std::make_unique<TfrmScheduleImport>(ProjectID, std::move(links), Frame.get());
    new QAbstractItemModelTester(Child<QTreeView>(dialog.get(), "lvwTransits")->model(),
                                 QAbstractItemModelTester::FailureReportingMode::Warning, dialog.get());
    new QAbstractItemModelTester(Child<QTreeView>(dialog.get(), "lvwRefused")->model(),
                                 QAbstractItemModelTester::FailureReportingMode::Warning, dialog.get());
    dialog->show();
    ProcessEvents();
    return dialog;
  }
  // Reads a file through "Browse...".
  void Browse(QWidget* dialog, const QString& path) {
    NextFile = path;
    Child<QPushButton>(dialog, "btnBrowse")->click();
    ProcessEvents();
  }

  int32_t AddTransit(const std::string& name, std::vector<std::pair<double, int>> groups, int32_t project = 0) {
    const int index = Transits.Add();
    InitTransitRecord(index);
    TRecTransit* t = Transits.Items(index);
    t->ProjectID = project ? project : ProjectID;
    t->Name = name;
    const int32_t id = t->ID;
    for (const auto& [diameter, amount] : groups) {
      TRecConduit* c = Conduits.Items(Conduits.Add());
      c->TransitID = id;
      c->OuterDiameter = diameter;
      c->Amount = amount;
    }
    return id;
  }
  // The conduit groups of the project's transits by name (diameter in µm).
  TGroups Groups() const {
    TGroups groups;
    for (int i = 0; i < Transits.Count(); ++i) {
      const TRecTransit* t = Transits.Items(i);
      if (t->ProjectID != ProjectID) continue;
      auto& of = groups[t->Name];
      for (int c : Conduits.IndexesOfTransit(t->ID))
        of[std::lround(Conduits.Items(c)->OuterDiameter)] += Conduits.Items(c)->Amount;
    }
    return groups;
  }
  int32_t IdOf(const std::string& name) const {
    for (int i = 0; i < Transits.Count(); ++i)
      if (Transits.Items(i)->ProjectID == ProjectID && Transits.Items(i)->Name == name) return Transits.Items(i)->ID;
    return 0;
  }

  static QStringList Lines(QTreeView* view, int column) {
    QStringList lines;
    for (int row = 0; row < view->model()->rowCount(); ++row) lines << view->model()->index(row, column).data().toString();
    return lines;
  }
  // "name | state | groups" per planned transit.
  static QStringList Preview(QWidget* dialog) {
    auto* view = Child<QTreeView>(dialog, "lvwTransits");
    QStringList lines;
    for (int row = 0; row < view->model()->rowCount(); ++row) {
      QStringList cells;
      for (int column : {0, 1, 3}) cells << view->model()->index(row, column).data().toString();
      lines << cells.join(QStringLiteral(" | "));
    }
    return lines;
  }
  // "row | tag | reason" per refused row.
  static QStringList Refused(QWidget* dialog) {
    auto* view = Child<QTreeView>(dialog, "lvwRefused");
    QStringList lines;
    for (int row = 0; row < view->model()->rowCount(); ++row) {
      QStringList cells;
      for (int column = 0; column < 3; ++column) cells << view->model()->index(row, column).data().toString();
      lines << cells.join(QStringLiteral(" | "));
    }
    return lines;
  }
  static QString Totals(QWidget* dialog) { return Child<QLabel>(dialog, "lblTotals")->text(); }
  static QString Current(QWidget* dialog, const char* combo) { return Child<QComboBox>(dialog, combo)->currentText(); }
  // Picks an item as the user does (the activated signal of a click).
  static void Choose(QWidget* dialog, const char* combo, const QString& startOfText) {
    auto* c = Child<QComboBox>(dialog, combo);
    for (int i = 0; i < c->count(); ++i)
      if (c->itemText(i).startsWith(startOfText)) {
        c->setCurrentIndex(i);
        emit c->activated(i);
        ProcessEvents();
        return;
      }
    ADD_FAILURE() << combo << " has no " << startOfText.toStdString();
  }

  TScratch Scratch;
  QString Csv, NextFile;
  int Saves = 0, Chosen = 0;
  int32_t ProjectID = 0;
  TDialogKeys Keys;
  std::unique_ptr<TTestFrame> Frame;
};

const QString Times = QStringLiteral(" \u00D7 ");

QTreeWidgetItem* SummaryItem(QTreeWidget* list, const QString& section, const QString& name) {
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* heading = list->topLevelItem(i);
    if (!heading->text(0).startsWith(section)) continue;
    for (int k = 0; k < heading->childCount(); ++k)
      if (heading->child(k)->text(0) == name) return heading->child(k);
  }
  return nullptr;
}

QStringList Headings(QTreeWidget* list) {
  QStringList headings;
  for (int i = 0; i < list->topLevelItemCount(); ++i) headings << list->topLevelItem(i)->text(0);
  return headings;
}

TfrmScheduleSummary* OpenSummary() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* summary = qobject_cast<TfrmScheduleSummary*>(w); summary && summary->isVisible()) return summary;
  return nullptr;
}

// Every caption, button and heading shows its whole text at the widget's
// present size.
void ExpectNoTextCut(QWidget* root) {
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root)) continue;
    const std::string name = (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                         : w->objectName())
                                 .toStdString();
    if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap() && !label->text().isEmpty()) {
      EXPECT_GE(label->width(), label->minimumSizeHint().width()) << name << ": " << label->text().toStdString();
    } else if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap() && !label->text().isEmpty()) {
      EXPECT_GE(label->height(), label->heightForWidth(label->width())) << name;
    } else if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w)) {
      EXPECT_GE(w->width(), w->minimumSizeHint().width()) << name;
      EXPECT_GE(w->height(), w->minimumSizeHint().height()) << name;
    } else if (auto* combo = qobject_cast<QComboBox*>(w); combo && !combo->currentText().isEmpty()) {
      QStyleOptionComboBox option;
      option.initFrom(combo);
      option.editable = combo->isEditable();
      const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, combo);
      EXPECT_GE(field.width(), combo->fontMetrics().horizontalAdvance(combo->currentText()))
          << name << ": " << combo->currentText().toStdString();
    } else if (auto* view = qobject_cast<QTreeView*>(w)) {
      QHeaderView* header = view->header();
      for (int i = 0; i < header->count(); ++i) {
        if (header->isSectionHidden(i) || (header->stretchLastSection() && i == header->count() - 1)) continue;
        EXPECT_GE(header->sectionSize(i), header->sectionSizeHint(i)) << name << " column " << i;
      }
    }
  }
}

}  // namespace

TEST_F(ScheduleWindow, CommaDecimalTextWithSemicolonsSuggestsColumnsAndPreviewsEveryRow) {
  auto dialog = NewDialog();
  auto* import = Child<QPushButton>(dialog.get(), "btnImport");
  EXPECT_FALSE(import->isEnabled()) << "nothing read yet";
  EXPECT_TRUE(Child<QPushButton>(dialog.get(), "btnBrowse")->hasFocus());
  Browse(dialog.get(), Csv);
  EXPECT_EQ(Child<QLineEdit>(dialog.get(), "edtFile")->text(), Csv);

  // What was found, shown and changeable.
  EXPECT_EQ(Current(dialog.get(), "cmbDelimiter"), QStringLiteral("Semicolon (;) - detected"));
  EXPECT_EQ(Current(dialog.get(), "cmbDecimal"), QStringLiteral("Comma (,) - detected"));
  EXPECT_EQ(Child<QLabel>(dialog.get(), "lblEncoding")->text(), QStringLiteral("Text in Windows-1252"));
  EXPECT_FALSE(Child<QComboBox>(dialog.get(), "cmbSheet")->isEnabled());
  EXPECT_EQ(Current(dialog.get(), "cmbTransit"), QStringLiteral("B: Penetration"));
  EXPECT_EQ(Current(dialog.get(), "cmbDiameter"), QStringLiteral("C: \u00D8 mm"));
  EXPECT_EQ(Current(dialog.get(), "cmbAmount"), QStringLiteral("D: Qty"));
  EXPECT_EQ(Current(dialog.get(), "cmbTag"), QStringLiteral("A: Tag"));
  EXPECT_EQ(Current(dialog.get(), "cmbType"), QStringLiteral("E: Type"));
  EXPECT_EQ(Current(dialog.get(), "cmbUnit"), QStringLiteral("mm"));
  EXPECT_EQ(Child<QComboBox>(dialog.get(), "cmbTransit")->itemText(0), QStringLiteral("(none)"));

  // "12,5" is twelve and a half; routes list several transits.
  const QStringList planned = {QStringLiteral("MCT-01 | New | 12.50 mm") + Times + QStringLiteral("3"),
                               QStringLiteral("MCT-02 | New | 12.50 mm") + Times + QStringLiteral("1, 20.50 mm") +
                                   Times + QStringLiteral("1"),
                               QStringLiteral("MCT-04 | New | 60.00 mm") + Times + QStringLiteral("40")};
  EXPECT_EQ(Preview(dialog.get()), planned);
  EXPECT_EQ(Lines(Child<QTreeView>(dialog.get(), "lvwTransits"), 2),
            (QStringList{QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("40")}));
  const QStringList refused = {
      QStringLiteral("5 | C-4 | no transit"), QStringLiteral("6 | C-5 | the diameter 'abc' is not a number"),
      QStringLiteral("7 | C-6 | the diameter 2000 mm is outside the range of the catalogues (above 0 up to 1000 mm)"),
      QStringLiteral("8 | C-7 | the amount '0' is not a whole number from 1 to 9999"),
      QStringLiteral("9 | C-8 | the diameter '12.5' is not a number with the decimal separator ','")};
  EXPECT_EQ(Refused(dialog.get()), refused);
  const QString totals = QStringLiteral("Cables read: 9     Cables imported: 4     Rows refused: 5");
  EXPECT_EQ(Totals(dialog.get()), totals);
  EXPECT_TRUE(import->isEnabled());

  // Every choice can be changed; the preview follows at once.
  Child<QComboBox>(dialog.get(), "cmbAmount")->setCurrentIndex(0);  // (none): one cable per row
  Child<QComboBox>(dialog.get(), "cmbTag")->setCurrentIndex(0);
  ProcessEvents();
  EXPECT_EQ(Preview(dialog.get()).value(0), QStringLiteral("MCT-01 | New | 12.50 mm") + Times + QStringLiteral("2"));
  EXPECT_EQ(Preview(dialog.get()).value(2), QStringLiteral("MCT-03 | New | 10.00 mm") + Times + QStringLiteral("1"));
  EXPECT_EQ(Refused(dialog.get()).value(0), QStringLiteral("5 |  | no transit"));
  EXPECT_EQ(Totals(dialog.get()), QStringLiteral("Cables read: 9     Cables imported: 5     Rows refused: 4"));
  Child<QComboBox>(dialog.get(), "cmbAmount")->setCurrentIndex(4);
  Child<QComboBox>(dialog.get(), "cmbTag")->setCurrentIndex(1);

  Choose(dialog.get(), "cmbUnit", QStringLiteral("inch"));
  EXPECT_EQ(Preview(dialog.get()).value(0), QStringLiteral("MCT-01 | New | 317.50 mm") + Times + QStringLiteral("3"));
  Choose(dialog.get(), "cmbUnit", QStringLiteral("mm"));

  // The decimal point instead: "12,5" is refused, never read as 125.
  Choose(dialog.get(), "cmbDecimal", QStringLiteral("Point"));
  EXPECT_EQ(Refused(dialog.get()).value(0),
            QStringLiteral("2 | C-1 | the diameter '12,5' is not a number with the decimal separator '.'"));
  EXPECT_EQ(Preview(dialog.get()).value(0), QStringLiteral("MCT-01 | New | 12.50 mm") + Times + QStringLiteral("1"));

  // Another delimiter reads the file again: one column, so nothing is mapped.
  Choose(dialog.get(), "cmbDelimiter", QStringLiteral("Vertical bar"));
  EXPECT_EQ(Child<QComboBox>(dialog.get(), "cmbTransit")->count(), 2);
  EXPECT_EQ(Current(dialog.get(), "cmbTransit"), QStringLiteral("(none)"));
  EXPECT_TRUE(Preview(dialog.get()).isEmpty());
  EXPECT_EQ(Child<QLabel>(dialog.get(), "lblStatus")->text(), QStringLiteral("No transit column is chosen."));
  EXPECT_FALSE(import->isEnabled());
  Choose(dialog.get(), "cmbDelimiter", QStringLiteral("Semicolon"));
  Choose(dialog.get(), "cmbDecimal", QStringLiteral("Comma"));
  EXPECT_EQ(Preview(dialog.get()), planned);
  EXPECT_EQ(Totals(dialog.get()), totals);
  EXPECT_EQ(Transits.Count(), 0) << "nothing is written before Import";

  // A damaged file says so and leaves the window as it was.
  Spit(Scratch.Path("broken.xlsx"), "PK not really");
  {
    guitest::ModalAnswer box([](QWidget* b) { guitest::ClickMessageBoxButton(b, QMessageBox::Ok); });
    Browse(dialog.get(), QString::fromStdString(Scratch.Path("broken.xlsx")));
    EXPECT_TRUE(box.Ran());
    EXPECT_TRUE(box.Text().contains(QStringLiteral("not an .xlsx workbook"))) << box.Text().toStdString();
  }
  EXPECT_EQ(Child<QLineEdit>(dialog.get(), "edtFile")->text(), Csv);
  EXPECT_EQ(Preview(dialog.get()), planned);

  // The unit starts as the program's.
  CurrentLengthUnit = luInch;
  auto inch = NewDialog();
  EXPECT_EQ(Current(inch.get(), "cmbUnit"), QStringLiteral("inch"));
  CurrentLengthUnit = luMillimetre;
}

TEST_F(ScheduleWindow, WorkbookSheetsAndTheirOwnColumns) {
  Scratch.Make("basic " + Scratch.Path("basic.xlsx"));
  auto dialog = NewDialog();
  Browse(dialog.get(), QString::fromStdString(Scratch.Path("basic.xlsx")));
  auto* sheets = Child<QComboBox>(dialog.get(), "cmbSheet");
  EXPECT_TRUE(sheets->isEnabled());
  ASSERT_EQ(sheets->count(), 2);
  EXPECT_EQ(sheets->currentText(), QStringLiteral("Cables"));
  EXPECT_FALSE(Child<QComboBox>(dialog.get(), "cmbDelimiter")->isEnabled());
  EXPECT_EQ(Child<QLabel>(dialog.get(), "lblEncoding")->text(), QStringLiteral("Excel workbook, 2 sheets"));
  // The header is the first row with text (row 2); a number typed as text
  // with a comma is read with the separator found in the text cells.
  EXPECT_EQ(Current(dialog.get(), "cmbDiameter"), QStringLiteral("C: \u00D8 mm"));
  EXPECT_EQ(Preview(dialog.get()),
            (QStringList{QStringLiteral("MCT-01 | New | 12.50 mm") + Times + QStringLiteral("3"),
                         QStringLiteral("MCT-02 | New | 12.50 mm") + Times + QStringLiteral("1, 20.50 mm") + Times +
                             QStringLiteral("1"),
                         QStringLiteral("MCT-03 | New | 48.26 mm") + Times + QStringLiteral("1 Pipes (metal)")}));
  EXPECT_EQ(Refused(dialog.get()),
            (QStringList{QStringLiteral("9 |  | no transit"), QStringLiteral("10 | C-5 | no transit")}));
  EXPECT_EQ(Totals(dialog.get()), QStringLiteral("Cables read: 6     Cables imported: 4     Rows refused: 2"));

  // The other sheet has other headers: its columns are suggested anew.
  Choose(dialog.get(), "cmbSheet", QStringLiteral("Pipes"));
  EXPECT_EQ(Current(dialog.get(), "cmbTransit"), QStringLiteral("A: Hole"));
  EXPECT_EQ(Current(dialog.get(), "cmbDiameter"), QStringLiteral("B: OD"));
  EXPECT_EQ(Current(dialog.get(), "cmbAmount"), QStringLiteral("C: Amount"));
  EXPECT_EQ(Current(dialog.get(), "cmbTag"), QStringLiteral("(none)"));
  EXPECT_EQ(Preview(dialog.get()), QStringList{QStringLiteral("H1 | New | 100.00 mm") + Times + QStringLiteral("3")});
  // A choice the user made survives reading the same sheet's columns again.
  Child<QComboBox>(dialog.get(), "cmbAmount")->setCurrentIndex(0);
  Choose(dialog.get(), "cmbSheet", QStringLiteral("Pipes"));
  EXPECT_EQ(Current(dialog.get(), "cmbAmount"), QStringLiteral("(none)"));
}

TEST_F(ScheduleWindow, ExistingTransitsReplacedOrAddedToAndNewOnesFromATemplate) {
  const int32_t existing = AddTransit("MCT-01", {{30000, 5}});
  const int32_t otherProject = Projects.Items(Projects.Add())->ID;
  AddTransit("MCT-02", {{8000, 1}}, otherProject);  // same name, other project: not touched
  const int32_t templateId = AddTransit("Wide frame", {}, TemplateProjectID);
  Transits.Items(Transits.IndexOfID(templateId))->Width = 400000;
  Transits.Items(Transits.IndexOfID(templateId))->Height = 300000;

  auto dialog = NewDialog();
  Browse(dialog.get(), Csv);
  EXPECT_EQ(Preview(dialog.get()).value(0),
            QStringLiteral("MCT-01 | Exists: groups replaced | 12.50 mm") + Times + QStringLiteral("3"));
  EXPECT_EQ(Preview(dialog.get()).value(1).section(QStringLiteral(" | "), 1, 1), QStringLiteral("New"));
  Child<QRadioButton>(dialog.get(), "rdoAdd")->click();
  EXPECT_EQ(Preview(dialog.get()).value(0),
            QStringLiteral("MCT-01 | Exists: groups added | 12.50 mm") + Times + QStringLiteral("3"));
  auto* templates = Child<QComboBox>(dialog.get(), "cmbTemplate");
  EXPECT_EQ(templates->itemText(0), QStringLiteral("(new-transit defaults)"));
  Choose(dialog.get(), "cmbTemplate", QStringLiteral("Wide frame"));
  Child<QPushButton>(dialog.get(), "btnImport")->click();
  ProcessEvents();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(Saves, 1);
  TGroups groups = Groups();
  EXPECT_EQ(groups["MCT-01"], (std::map<long, int>{{12500, 3}, {30000, 5}}));
  EXPECT_EQ(groups["MCT-02"], (std::map<long, int>{{12500, 1}, {20500, 1}}));
  EXPECT_EQ(IdOf("MCT-01"), existing);
  EXPECT_DOUBLE_EQ(Transits.Items(Transits.IndexOfID(IdOf("MCT-02")))->Width, 400000);
  EXPECT_EQ(Transits.Count(), 5);
  ASSERT_NE(OpenSummary(), nullptr);
  OpenSummary()->close();

  // Replace, with the new-transit defaults and "Resize new transits to fit"
  // for a new one.
  Spit(Scratch.Path("more.csv"), "Transit;OD;Qty\nMCT-01;12,5;2\nMCT-05;10,5;30\n");
  auto again = NewDialog();
  Browse(again.get(), QString::fromStdString(Scratch.Path("more.csv")));
  Child<QCheckBox>(again.get(), "chkResize")->setChecked(true);
  Child<QPushButton>(again.get(), "btnImport")->click();
  ProcessEvents();
  EXPECT_EQ(Saves, 2);
  groups = Groups();
  EXPECT_EQ(groups["MCT-01"], (std::map<long, int>{{12500, 2}}));
  EXPECT_EQ(groups["MCT-05"], (std::map<long, int>{{10500, 30}}));
  const TRecTransit* resized = Transits.Items(Transits.IndexOfID(IdOf("MCT-05")));
  EXPECT_NE(resized->Width, 100000) << "resized from the defaults' 100 mm";
  ASSERT_NE(OpenSummary(), nullptr);
  auto* list = Child<QTreeWidget>(OpenSummary(), "lvwTransits");
  EXPECT_EQ(Headings(list).mid(0, 2), (QStringList{QStringLiteral("Created (1)"), QStringLiteral("Updated (1)")}));
  OpenSummary()->close();

  // The same schedule again changes nothing, and nothing is saved.
  auto same = NewDialog();
  Browse(same.get(), QString::fromStdString(Scratch.Path("more.csv")));
  Child<QPushButton>(same.get(), "btnImport")->click();
  ProcessEvents();
  EXPECT_EQ(Saves, 2);
  EXPECT_EQ(Groups(), groups);
  ASSERT_NE(OpenSummary(), nullptr);
  EXPECT_EQ(Headings(Child<QTreeWidget>(OpenSummary(), "lvwTransits")), QStringList{QStringLiteral("Unchanged (2)")});
  OpenSummary()->close();
}

TEST_F(ScheduleWindow, CancelInTheProgressDialogAddsNothing) {
  Scratch.Make("generate " + Scratch.Path("g.xlsx") + " " + Scratch.Path("g.csv") + " " + Scratch.Path("g.json"));
  auto dialog = NewDialog();
  Browse(dialog.get(), QString::fromStdString(Scratch.Path("g.xlsx")));
  EXPECT_EQ(Totals(dialog.get()), QStringLiteral("Cables read: 5000     Cables imported: 5000     Rows refused: 0"));
  EXPECT_EQ(Child<QTreeView>(dialog.get(), "lvwTransits")->model()->rowCount(), 300);
  Child<QCheckBox>(dialog.get(), "chkResize")->setChecked(true);

  // Cancel as soon as the progress shows.
  bool cancelled = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* progress = dialog->findChild<QProgressDialog*>(QStringLiteral("dlgProgress"));
    if (cancelled || !progress || !progress->isVisible()) return;
    cancelled = true;
    SaveScreenshot(progress, QStringLiteral("schedule_progress"));
    guitest::ClickButtonWithText(progress, QStringLiteral("Cancel"));
  });
  poll.start(5);
  Child<QPushButton>(dialog.get(), "btnImport")->click();
  poll.stop();
  ProcessEvents();
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(Transits.Count(), 0);
  EXPECT_EQ(Conduits.Count(), 0);
  EXPECT_EQ(Saves, 0);
  EXPECT_EQ(OpenSummary(), nullptr);
  EXPECT_EQ(Child<QLabel>(dialog.get(), "lblStatus")->text(),
            QStringLiteral("The import was cancelled; nothing was changed."));

  // Without the resize, it runs to the end.
  Child<QCheckBox>(dialog.get(), "chkResize")->setChecked(false);
  Child<QPushButton>(dialog.get(), "btnImport")->click();
  ProcessEvents();
  EXPECT_EQ(Transits.Count(), 300);
  EXPECT_EQ(Saves, 1);
  ASSERT_NE(OpenSummary(), nullptr);
  EXPECT_EQ(Headings(Child<QTreeWidget>(OpenSummary(), "lvwTransits")).value(0), QStringLiteral("Created (300)"));
  OpenSummary()->close();
}

TEST_F(ScheduleWindow, FromTheTransitListWithTheKeyboardNotifyingAndSavingOnce) {
  const int32_t existing = AddTransit("MCT-01", {{30000, 5}});
  auto* list = dynamic_cast<TfrmTransitList*>(Frame->ShowTransitList(ProjectID));
  ASSERT_NE(list, nullptr);
  auto* recorder = new TRecorder;
  Frame->AddChild(recorder);
  ProcessEvents();
  auto* button = Child<QPushButton>(list, "btnImportSchedule");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), QStringLiteral("Import cable schedule..."));
  // The list at its narrowest still shows the button's whole caption.
  list->parentWidget()->resize(1, 1);
  ProcessEvents();
  EXPECT_GE(button->width(), button->sizeHint().width());
  list->parentWidget()->resize(900, 500);

  // An open editor of a transit to be changed: the import is refused.
  QWidget* editor = Frame->ShowTransitDetail(existing);
  ASSERT_NE(editor, nullptr);
  ProcessEvents();
  {
    QString refusal;
    guitest::ModalAnswer answer([&](QWidget* dialog) {
      EXPECT_EQ(dialog->objectName(), QStringLiteral("TfrmScheduleImport"));
      EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Import cable schedule into project 'Deck'"));
      Browse(dialog, Csv);
      guitest::ModalAnswer box([&](QWidget* b) {
        refusal = qobject_cast<QMessageBox*>(b)->text();
        guitest::ClickMessageBoxButton(b, QMessageBox::Ok);
      });
      Child<QPushButton>(dialog, "btnImport")->click();
      EXPECT_TRUE(box.Ran());
      Child<QPushButton>(dialog, "btnCancel")->click();
    });
    button->click();
    EXPECT_TRUE(answer.Ran());
    EXPECT_EQ(refusal, QStringLiteral("These transits are open in an editor. Close them before the import:\nMCT-01"));
  }
  EXPECT_EQ(Transits.Count(), 1);
  EXPECT_EQ(Saves, 0);
  EXPECT_TRUE(recorder->Told.empty());
  editor->parentWidget()->close();
  ProcessEvents();

  // Keyboard only: Alt+T goes to the transit column, Ctrl+Enter imports.
  {
    guitest::ModalAnswer answer([&](QWidget* dialog) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog; }, 5000));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
      EXPECT_EQ(QApplication::focusWidget(), Child<QPushButton>(dialog, "btnBrowse"));
      NextFile = Csv;
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
      ProcessEvents();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
      EXPECT_EQ(QApplication::focusWidget(), Child<QComboBox>(dialog, "cmbTransit"));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    });
    button->click();
    EXPECT_TRUE(answer.Ran());
  }
  EXPECT_EQ(Chosen, 2);
  ProcessEvents();

  // One save; every open window told of each new transit and once of the change.
  EXPECT_EQ(Saves, 1);
  const int32_t mct2 = IdOf("MCT-02"), mct4 = IdOf("MCT-04");
  ASSERT_NE(mct2, 0);
  ASSERT_NE(mct4, 0);
  EXPECT_EQ(recorder->Told, (std::vector<std::pair<int, int32_t>>{
                                {nkTransitCreated, mct2}, {nkTransitCreated, mct4}, {nkTransitChanged, -1}}));
  QStringList names;
  for (int row = 0; row < list->Model->rowCount(); ++row) names << list->Model->index(row, 0).data().toString();
  EXPECT_EQ(names, (QStringList{QStringLiteral("MCT-01"), QStringLiteral("MCT-02"), QStringLiteral("MCT-04")}));

  // The summary: created, updated and warned; a double click opens the editor.
  TfrmScheduleSummary* summary = OpenSummary();
  ASSERT_NE(summary, nullptr);
  auto* transits = Child<QTreeWidget>(summary, "lvwTransits");
  EXPECT_EQ(Headings(transits), (QStringList{QStringLiteral("Created (2)"), QStringLiteral("Updated (1)"),
                                             QStringLiteral("With a warning (1)")}));
  QTreeWidgetItem* warned = SummaryItem(transits, QStringLiteral("With a warning"), QStringLiteral("MCT-04"));
  ASSERT_NE(warned, nullptr);
  EXPECT_TRUE(warned->text(2).contains(QStringLiteral("not placed"))) << warned->text(2).toStdString();
  EXPECT_TRUE(Child<QLabel>(summary, "lblSummary")->text().startsWith(
      QStringLiteral("2 transits created, 1 updated, 0 unchanged; 1 with a warning.")));
  SaveScreenshot(summary, QStringLiteral("schedule_summary"));
  ExpectNoTextCut(summary);

  transits->scrollToItem(warned);
  const QRect place = transits->visualItemRect(warned);
  QTest::mouseClick(transits->viewport(), Qt::LeftButton, {}, place.center());
  QTest::mouseDClick(transits->viewport(), Qt::LeftButton, {}, place.center());
  ProcessEvents();
  auto isOpen = [&](int32_t id) {
    for (QWidget* w : Frame->Children("TfrmTransitDetail"))
      if (dynamic_cast<TfrmMDIchild*>(w)->ViewID == id) return true;
    return false;
  };
  EXPECT_TRUE(isOpen(mct4));
  EXPECT_TRUE(summary->isVisible()) << "stays up for the next one";
  // Enter on a line opens its transit too, without closing the summary.
  transits->setFocus();
  transits->setCurrentItem(SummaryItem(transits, QStringLiteral("Created"), QStringLiteral("MCT-02")));
  QTest::keyClick(transits, Qt::Key_Return);
  ProcessEvents();
  EXPECT_TRUE(isOpen(mct2));
  EXPECT_TRUE(summary->isVisible());
  summary->close();
}

TEST_F(ScheduleWindow, NoTextCutAtItsSmallestAndScreenshots) {
  AddTransit("MCT-01", {{30000, 5}});
  auto dialog = NewDialog();
  Browse(dialog.get(), Csv);
  // Tab goes down the window as it reads; a text file has no sheet to choose.
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  Child<QLineEdit>(dialog.get(), "edtFile")->setFocus();
  QStringList visited;
  for (int i = 0; i < 8; ++i) {
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
    visited << dialog->focusWidget()->objectName();
  }
  EXPECT_EQ(visited, (QStringList{QStringLiteral("btnBrowse"), QStringLiteral("cmbDelimiter"),
                                  QStringLiteral("cmbDecimal"), QStringLiteral("cmbTransit"),
                                  QStringLiteral("cmbDiameter"), QStringLiteral("cmbUnit"),
                                  QStringLiteral("cmbAmount"), QStringLiteral("cmbTag")}));
  SaveScreenshot(dialog.get(), QStringLiteral("schedule_import"));
  ExpectNoTextCut(dialog.get());
  EXPECT_LE(dialog->minimumSize().width(), 1000);
  EXPECT_LE(dialog->minimumSize().height(), 700);
  dialog->resize(dialog->minimumSize());
  ProcessEvents();
  SaveScreenshot(dialog.get(), QStringLiteral("schedule_import_smallest"));
  ExpectNoTextCut(dialog.get());

  // An empty window, before any file.
  auto empty = NewDialog();
  SaveScreenshot(empty.get(), QStringLiteral("schedule_import_empty"));
  ExpectNoTextCut(empty.get());
}
