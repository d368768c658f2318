// The transit editor window and the conduit dialog, driven offscreen inside a
// stand-in frame on real tables.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTemporaryDir>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QRegularExpression>
#include <QLayout>
#include <list>
#include <memory>

#include "core/sample_transits.h"
#include "core/units.h"
#include "editor/stored_transits.h"
#include "core/draw/export.h"
#include "editor/gui/drawingexport.h"
#include "editor/gui/editconduit.h"
#include "editor/gui/editorwindows.h"
#include "editor/gui/spinfield.h"
#include "editor/gui/transitdetail.h"
#include "editor/gui/transitpicture.h"
#include "guitest.h"
#include "platform/gui/host.h"
#include "platform/gui/qtservices.h"
#include "platform/gui/qtext.h"
#include "store/changes.h"
#include "store/settings.h"
#include "store/tables.h"
#include "store/transitrecord.h"
#include "testframe.h"
#include "platform/gui/textguard.h"

using guitest::ModalAnswer;
using guitest::ProcessEvents;

namespace {

using TAnswer = std::function<void(QWidget*)>;

// Answers the modal dialogs that come up one after another, in order.
class TDialogScript {
public:
  explicit TDialogScript(std::vector<TAnswer> answers) : Answers(std::move(answers)) { Next(); }
  int Answered() const { return Count; }

private:
  void Next() {
    if (Index >= Answers.size()) return;
    TAnswer answer = Answers[Index++];
    Pending.push_back(std::make_unique<ModalAnswer>([this, answer](QWidget* dialog) {
      ++Count;
      answer(dialog);
      Next();
    }));
  }
  std::vector<TAnswer> Answers;
  size_t Index = 0;
  int Count = 0;
  std::list<std::unique_ptr<ModalAnswer>> Pending;
};

TAnswer Click(int button) {
  return [button](QWidget* box) { guitest::ClickMessageBoxButton(box, button); };
}

// Types amount and diameter into the conduit dialog and confirms each with Enter.
TAnswer TypeConduit(const char* amount, const char* diameter) {
  return [amount, diameter](QWidget* dialog) {
    auto* d = dynamic_cast<TfrmEditConduit*>(dialog);
    ASSERT_NE(d, nullptr);
    d->edsAmount->selectAll();
    QTest::keyClicks(d->edsAmount, QString::fromLatin1(amount));
    QTest::keyClick(d->edsAmount, Qt::Key_Return);
    d->edsOuterDiameter->selectAll();
    QTest::keyClicks(d->edsOuterDiameter, QString::fromLatin1(diameter));
    QTest::keyClick(d->edsOuterDiameter, Qt::Key_Return);
  };
}

TAnswer Escape() {
  return [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); };
}

// Types text of any characters, as a keyboard would send it.
void TypeText(QWidget* field, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(field, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(field, &release);
  }
}

// Types a value into a number field and presses Enter.
void Enter(TSpinField* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, text);
  QTest::keyClick(field, Qt::Key_Return);
}

void Choose(QComboBox* list, const QString& text) {
  const int index = list->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  list->setCurrentIndex(index);
  emit list->activated(index);
}

QStringList Rows(QTreeWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    rows << list->topLevelItem(i)->text(1) + QLatin1Char('x') + list->topLevelItem(i)->text(2);
  return rows;
}

}  // namespace

class EditorWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    Transits.Clear();
    Conduits.Clear();
    SetDefaultSettings();
    CurrentLengthUnit = luMillimetre;
    SetDecimalSeparator('.');
    CurrentUserName = "tester";
    Settings.AntiAliasing = false;
    RegisterEditorWindows();
    Frame = std::make_unique<TTestFrame>();
    Frame->show();
    Frame->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(Frame.get()));
  }
  void TearDown() override {
    Frame.reset();
    WindowHooks() = {};
    SetTablesChangedListener({});
    CurrentLengthUnit = luMillimetre;
    ProcessEvents();
  }

  TfrmTransitDetail* Open(int32_t id) {
    auto* editor = dynamic_cast<TfrmTransitDetail*>(Frame->ShowTransitDetail(id));
    EXPECT_NE(editor, nullptr);
    ProcessEvents();
    return editor;
  }
  QMdiSubWindow* Sub(TfrmTransitDetail* editor) { return qobject_cast<QMdiSubWindow*>(editor->parentWidget()); }
  const TTransit& Model(TfrmTransitDetail* editor) { return editor->Presenter()->Model(); }
  bool IsOpen(int32_t id) {
    for (QWidget* w : Frame->Children("TfrmTransitDetail"))
      if (dynamic_cast<TfrmTransitDetail*>(w)->ViewID() == id) return true;
    return false;
  }
  // Waits until the editor's drawing is redrawn at its present size: no
  // redraw pending, the picture shown and one image pixel per screen pixel.
  void Settle(TfrmTransitDetail* e) {
    EXPECT_TRUE(QTest::qWaitFor(
        [e] {
          return !e->tmrRedrawTransitAfterResize->isActive() && !e->tmrRedrawTransitAfterChange->isActive() &&
                 e->imgTransit->isVisible() && e->imgTransit->Image().size() == e->imgTransit->DeviceSize();
        },
        10000))
        << "the drawing is not redrawn";
    ProcessEvents();
  }

  std::unique_ptr<TTestFrame> Frame;
};

TEST_F(EditorWindowTest, DesigningATransitFromScratchAndSavingItUnderANewName) {
  int changes = 0;
  SetTablesChangedListener([&] { ++changes; });
  const int32_t id = StoreTransit(MakeTransit(fsKova, ctCables, clA, 100, 100, 10, 180), "");
  TfrmTransitDetail* e = Open(id);
  NotifyAll(nkTransitCreated, id);
  EXPECT_TRUE(e->btnSave->isEnabled());
  EXPECT_EQ(e->windowTitle(), QStringLiteral("Transit ''"));
  EXPECT_EQ(e->ClassName(), "TfrmTransitDetail");
  EXPECT_EQ(e->TfrmMDIchild::ViewID, id);

  // Size and shape.
  Enter(e->edsWidth, QStringLiteral("300"));
  Enter(e->edsHeight, QStringLiteral("200"));
  EXPECT_DOUBLE_EQ(Model(e).Width, 300000);
  EXPECT_DOUBLE_EQ(Model(e).Height, 200000);
  EXPECT_EQ(e->Presenter()->HistoryIndex(), 2);
  e->rdoRound->click();
  EXPECT_TRUE(Model(e).IsRound());
  EXPECT_EQ(e->lblWidth->text(), QStringLiteral("Diameter:"));
  EXPECT_FALSE(e->edsHeight->isVisibleTo(e));
  e->rdoRectangular->click();
  EXPECT_TRUE(e->edsHeight->isVisibleTo(e));

  // System choices: GRENTAX with metal pipes, class H. The depth goes to its
  // default with a notice, shown once in the window's life.
  ModalAnswer notice(Click(QMessageBox::Ok));
  Choose(e->cboFillSystem, QStringLiteral("GRENTAX"));
  EXPECT_EQ(Model(e).FillSystem, fsGrentax);
  Choose(e->cboDefaultConduitType, Q(ConduitTypeToText(ctPipesMetal)));
  EXPECT_EQ(Model(e).DefaultConduitType, ctPipesMetal);
  EXPECT_EQ(e->pgcTransitdata->tabText(1), QStringLiteral("Pipes"));
  Choose(e->cboClassification, Q(ClassificationToText(clH)));
  EXPECT_TRUE(notice.Ran());
  EXPECT_TRUE(notice.Text().startsWith(QStringLiteral("Depth of transit changed to default (")));
  EXPECT_FALSE(e->DepthAlertArmed());
  EXPECT_EQ(Model(e).Classification, clH);

  // Conduits through the dialog: two groups, the third dialog cancelled.
  {
    TDialogScript script({TypeConduit("3", "50"), TypeConduit("5", "30"), Escape()});
    QTest::mouseClick(e->btnAdd, Qt::LeftButton);
    EXPECT_EQ(script.Answered(), 3);
  }
  EXPECT_EQ(Rows(e->lvwConduits), (QStringList{"5x30.00", "3x50.00"}));
  EXPECT_EQ(e->lblStatConduits->text(), QStringLiteral("8"));
  EXPECT_EQ(e->lblStatODs->text(), QStringLiteral("(OD's: 2)"));

  // Undo takes the last group away, redo brings it back.
  const int steps = e->Presenter()->HistoryIndex();
  QTest::mouseClick(e->btnUndo, Qt::LeftButton);
  EXPECT_EQ(Rows(e->lvwConduits), QStringList{"3x50.00"});
  EXPECT_TRUE(e->btnRedo->isEnabled());
  QTest::mouseClick(e->btnRedo, Qt::LeftButton);
  EXPECT_EQ(Rows(e->lvwConduits).size(), 2);
  EXPECT_EQ(e->Presenter()->HistoryIndex(), steps);

  // Save as: the name prompt; then the history starts afresh.
  {
    TDialogScript script({[](QWidget* dialog) {
      auto* edit = dialog->findChild<QLineEdit*>();
      ASSERT_NE(edit, nullptr);
      QTest::keyClicks(edit, QStringLiteral("Deck 4 pipes"));
      QTest::keyClick(edit, Qt::Key_Return);
    }});
    QTest::mouseClick(e->btnSaveAs, Qt::LeftButton);
    EXPECT_EQ(script.Answered(), 1);
  }
  EXPECT_EQ(Record(id).Name, "Deck 4 pipes");
  EXPECT_EQ(Conduits.IndexesOfTransit(id).size(), 2u);
  EXPECT_EQ(Record(id).FillSystem, fsGrentax);
  EXPECT_FALSE(e->btnSave->isEnabled());
  EXPECT_FALSE(e->btnUndo->isEnabled());
  EXPECT_EQ(e->windowTitle(), QStringLiteral("Transit 'Deck 4 pipes'"));
  EXPECT_EQ(changes, 1);
  Settle(e);
  guitest::SaveScreenshot(Sub(e), QStringLiteral("editor_grentax_metal_pipes"));
}

TEST_F(EditorWindowTest, HoldingAnArrowPreviewsAndEnterRecordsOneStep) {
  Settings.AntiAliasing = true;
  TfrmTransitDetail* e = Open(StoreTransit(CableTransit(), "A"));
  e->edsWidth->setFocus();
  for (int i = 0; i < 3; ++i) QTest::keyClick(e->edsWidth, Qt::Key_Up);
  EXPECT_DOUBLE_EQ(Model(e).Width, 203000);
  EXPECT_EQ(e->Presenter()->HistoryIndex(), 0);
  EXPECT_TRUE(e->btnUndo->isEnabled());
  EXPECT_TRUE(e->tmrRedrawTransitAfterChange->isActive());  // the smooth picture follows
  QTest::keyClick(e->edsWidth, Qt::Key_PageUp);
  EXPECT_DOUBLE_EQ(Model(e).Width, 213000);
  e->edsWidth->stepBy(-1);  // the arrow buttons and the wheel step the same way
  EXPECT_DOUBLE_EQ(Model(e).Width, 212000);
  QTest::keyClick(e->edsWidth, Qt::Key_Return);
  EXPECT_EQ(e->Presenter()->HistoryIndex(), 1);
  QTest::keyClick(e->edsWidth, Qt::Key_Return);  // nothing new: nothing recorded
  EXPECT_EQ(e->Presenter()->HistoryIndex(), 1);

  // A toolbar action commits the pending spin first: Undo then takes back just that.
  e->edsDepth->setFocus();
  QTest::keyClick(e->edsDepth, Qt::Key_Up);
  EXPECT_EQ(e->Presenter()->HistoryIndex(), 1);
  e->btnUndo->click();
  EXPECT_EQ(e->Presenter()->HistoryIndex(), 1);
  EXPECT_DOUBLE_EQ(Model(e).Depth, 200000);
  EXPECT_TRUE(e->btnRedo->isEnabled());

  // Typing and leaving the field is one step too.
  e->edsHeight->setFocus();
  e->edsHeight->selectAll();
  QTest::keyClicks(e->edsHeight, QStringLiteral("160"));
  e->edtTransitName->setFocus();
  EXPECT_DOUBLE_EQ(Model(e).Height, 160000);
  EXPECT_EQ(e->Presenter()->HistoryIndex(), 2);
  EXPECT_FALSE(e->btnRedo->isEnabled());
}

TEST_F(EditorWindowTest, TheCloseQuestion) {
  struct Case {
    const char* name;
    std::vector<TAnswer> answers;
    bool closed;
    double storedDepth;
  };
  const std::vector<Case> cases = {
      {"Yes", {Click(QMessageBox::Yes)}, true, 240000},
      {"No", {Click(QMessageBox::No)}, true, 200000},
      {"Cancel", {Click(QMessageBox::Cancel)}, false, 200000},
      {"", {Click(QMessageBox::Yes), Escape()}, false, 200000},  // Yes, then the name prompt cancelled
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t id = StoreTransit(CableTransit(), c.name);
    TfrmTransitDetail* e = Open(id);
    Enter(e->edsDepth, QStringLiteral("240"));
    TDialogScript script(c.answers);
    Sub(e)->close();
    ProcessEvents();
    EXPECT_EQ(script.Answered(), int(c.answers.size()));
    EXPECT_EQ(IsOpen(id), !c.closed);
    EXPECT_DOUBLE_EQ(Record(id).Depth, c.storedDepth);
    if (!c.closed) {
      e->btnUndo->click();  // unchanged again: closes without a question
      Sub(e)->close();
      ProcessEvents();
      EXPECT_FALSE(IsOpen(id));
    }
  }

  // A name typed just before closing is committed first and asked about.
  const int32_t id = StoreTransit(CableTransit(), "Old");
  TfrmTransitDetail* e = Open(id);
  e->edtTransitName->setFocus();
  e->edtTransitName->selectAll();
  QTest::keyClicks(e->edtTransitName, QStringLiteral("New"));
  TDialogScript script({Click(QMessageBox::Yes), Click(QMessageBox::No)});  // save; rename in place
  Sub(e)->close();
  ProcessEvents();
  EXPECT_EQ(script.Answered(), 2);
  EXPECT_EQ(Record(id).Name, "New");
  EXPECT_FALSE(IsOpen(id));
}

TEST_F(EditorWindowTest, DeletingTheTransitOrItsProjectClosesWithoutAQuestion) {
  for (uint8_t code : {uint8_t(nkTransitDeleted), uint8_t(nkProjectDeleting)}) {
    const int32_t id = StoreTransit(CableTransit(), "A", 7);
    TfrmTransitDetail* e = Open(id);
    Enter(e->edsDepth, QStringLiteral("240"));  // unsaved changes
    e->edsWidth->setFocus();
    QTest::keyClick(e->edsWidth, Qt::Key_Up);  // and a pending spin
    Conduits.DeleteOfTransit(id);
    Transits.Delete(Transits.IndexOfID(id));
    ModalAnswer none(Click(QMessageBox::No), 300);
    NotifyAll(code, code == nkTransitDeleted ? id : 7);
    ProcessEvents();
    EXPECT_FALSE(none.Ran());
    EXPECT_FALSE(IsOpen(id));
    EXPECT_EQ(Transits.IndexOfID(id), -1);  // never written back
    EXPECT_TRUE(Conduits.IndexesOfTransit(id).empty());
  }
}

TEST_F(EditorWindowTest, TemplatesGiveTheirSizesAndOpenWithoutTheCablesPage) {
  const int32_t tpl = StoreTransit(MakeTransit(fsKova, ctCables, clA, 300, 300, 150, 200), "R300", TemplateProjectID);
  Record(tpl).SparePercentage = 10;
  TfrmTransitDetail* e = Open(StoreTransit(CableTransit(), "A"));
  int asked = 0;
  WindowHooks().ChooseTemplate = [&] {
    ++asked;
    return tpl;
  };
  e->btnTemplate->click();
  EXPECT_EQ(asked, 1);
  EXPECT_DOUBLE_EQ(Model(e).Width, 300000);
  EXPECT_TRUE(e->rdoRound->isChecked());
  EXPECT_DOUBLE_EQ(e->edsSparePerc->value(), 10);
  EXPECT_TRUE(e->imgSpareMessage->isVisibleTo(e));
  EXPECT_EQ(e->Presenter()->HistoryIndex(), 1);

  // The materials button opens the report dialog of the transit being edited.
  std::string reported;
  WindowHooks().ShowTransitReport = [&](const TTransit& transit) { reported = transit.Name; };
  e->btnMaterialReport->click();
  EXPECT_EQ(reported, "A");

  TfrmTransitDetail* t = Open(tpl);
  EXPECT_EQ(Open(tpl), t);  // one window per transit
  EXPECT_EQ(Frame->Children("TfrmTransitDetail").size(), 2);
  EXPECT_EQ(t->windowTitle(), QStringLiteral("Template 'R300'"));
  EXPECT_FALSE(t->pgcTransitdata->isTabVisible(1));
  EXPECT_FALSE(t->pgcTransitdata->isTabVisible(3));
  EXPECT_FALSE(t->btnMaterialReport->isVisibleTo(t));
  EXPECT_FALSE(t->edsDepth->isVisibleTo(t));
  EXPECT_TRUE(t->edsWidth->isVisibleTo(t));
}

TEST_F(EditorWindowTest, ConduitListThroughTheClipboard) {
  TfrmTransitDetail* e = Open(StoreTransit(CableTransit(), "A"));
  e->mnuExportClipboard->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Amount\tDiameter\r\n2\t12.00\r\n4\t20.00\r\n"));

  // A spreadsheet's text: line feeds only, no ending on the last line.
  QApplication::clipboard()->setText(QStringLiteral("Amount\tDiameter\n3\t25\n\n5\t10.5\n3\t25"));
  e->mnuImportClipboard->trigger();
  EXPECT_EQ(Rows(e->lvwConduits), (QStringList{"5x10.50", "6x25.00"}));
  EXPECT_EQ(e->Presenter()->HistoryIndex(), 1);

  QApplication::clipboard()->setText(QStringLiteral("Amount\tdiameter\r\n1\t2\r\n"));
  ModalAnswer refused(Click(QMessageBox::Ok));
  e->mnuImportClipboard->trigger();
  EXPECT_TRUE(refused.Ran());
  EXPECT_EQ(refused.Text(), QStringLiteral("Can't import from clipboard, data is not in the right format"));
  EXPECT_EQ(Rows(e->lvwConduits).size(), 2);

  // Insert, Enter and Delete in the list.
  e->SelectItemInConduitlist(0);
  {
    TDialogScript script({TypeConduit("7", "11")});
    QTest::keyClick(e->lvwConduits, Qt::Key_Return);
    EXPECT_EQ(script.Answered(), 1);
  }
  EXPECT_EQ(Rows(e->lvwConduits), (QStringList{"7x11.00", "6x25.00"}));
  e->SelectItemInConduitlist(1);
  {
    TDialogScript script({Click(QMessageBox::Yes)});
    QTest::keyClick(e->lvwConduits, Qt::Key_Delete);
    EXPECT_EQ(script.Answered(), 1);
  }
  EXPECT_EQ(Rows(e->lvwConduits), QStringList{"7x11.00"});
}

// "Export drawing..." writes the editor's filled transit in the format of the
// chosen file; an unknown type is refused with a message and writes nothing.
TEST_F(EditorWindowTest, ExportDrawingByTheChosenFileType) {
  TfrmTransitDetail* e = Open(StoreTransit(CableTransit(), "Deck/3"));
  QTemporaryDir dir;
  QString chosen, suggested;
  SetDrawingFileChooser([&](QWidget*, const QString& name) {
    suggested = name;
    return chosen;
  });
  auto* button = guitest::Child<QPushButton>(e, "btnExportDrawing");
  const auto read = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  for (const char* name : {"a.dxf", "b.SVG", "c.png"}) {
    SCOPED_TRACE(name);
    chosen = dir.filePath(QString::fromLatin1(name));
    button->click();
    const QByteArray written = read(chosen);
    ASSERT_FALSE(written.isEmpty());
    if (!chosen.endsWith(QLatin1String(".png"))) {
      const QString direct = dir.filePath(QStringLiteral("direct_") + QString::fromLatin1(name));
      ExportTransitDrawing(Model(e), S(direct), DrawingFormatForPath(S(direct)), 16, 16, false, true);
      EXPECT_EQ(written, read(direct));
    } else {
      EXPECT_TRUE(written.startsWith("\x89PNG"));
    }
  }
  EXPECT_TRUE(suggested.endsWith(QStringLiteral("Deck_3.png"))) << suggested.toStdString();

  chosen = dir.filePath(QStringLiteral("d.txt"));
  ModalAnswer refused(Click(QMessageBox::Ok));
  button->click();
  EXPECT_TRUE(refused.Ran());
  EXPECT_TRUE(refused.Text().startsWith(QStringLiteral("Error writing drawing:"))) << refused.Text().toStdString();
  EXPECT_FALSE(QFile::exists(chosen));
  SetDrawingFileChooser({});
}

TEST_F(EditorWindowTest, ResizeToFitIsBusyWhileItSearches) {
  // Far more than 2 m x 2 m can hold: the failure message comes while the window is busy.
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 200);
  AddGroup(t, 600, 120);
  TfrmTransitDetail* e = Open(StoreTransit(t, "A"));
  bool busyDuringSearch = false;
  QString failure;
  TDialogScript script({Click(QMessageBox::No), [&](QWidget* box) {
                          busyDuringSearch = !e->isEnabled() && QApplication::overrideCursor() != nullptr;
                          failure = qobject_cast<QMessageBox*>(box)->text();
                          guitest::ClickMessageBoxButton(box, QMessageBox::Ok);
                        }});
  e->btnResize->click();
  EXPECT_EQ(script.Answered(), 2);
  EXPECT_TRUE(busyDuringSearch);
  EXPECT_EQ(failure, QStringLiteral("Unable to find appropiate size, please enter size manually"));
  EXPECT_TRUE(e->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_DOUBLE_EQ(Model(e).Width, 200000);

  TTransit fits = MakeTransit(fsKova, ctCables, clA, 100, 100, 50, 200);
  AddGroup(fits, 30, 20);
  TfrmTransitDetail* f = Open(StoreTransit(fits, "B"));
  TDialogScript depth({Click(QMessageBox::Yes)});
  f->btnResize->click();
  EXPECT_EQ(depth.Answered(), 1);
  EXPECT_GT(Model(f).Width, 100000);
  EXPECT_TRUE(f->lblWarning->text().isEmpty());
  EXPECT_TRUE(f->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(f->Presenter()->HistoryIndex(), 1);
}

TEST_F(EditorWindowTest, TheWarningBlinksOnlyWhenWanted) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 100, 100, 10, 200);
  AddGroup(t, 1, 120);  // wider than the opening
  TfrmTransitDetail* e = Open(StoreTransit(t, "A"));
  EXPECT_EQ(e->lblWarning->text(), QStringLiteral("Transit too small!"));
  EXPECT_FALSE(e->btnMaterialReport->isEnabled());
  e->tmrBlinkWarning->stop();  // ticked by hand below
  auto ticks = [&] {
    QString seen;
    for (int i = 0; i < 6; ++i) {
      e->BlinkTick();
      seen += e->lblWarning->isVisibleTo(e) ? QLatin1Char('x') : QLatin1Char('-');
    }
    return seen;
  };
  Settings.BlinkWarning = true;
  const QString blinking = ticks();
  EXPECT_EQ(blinking.count(QLatin1Char('x')), 4);
  EXPECT_TRUE(blinking == QStringLiteral("xx-xx-") || blinking == QStringLiteral("x-xx-x") ||
              blinking == QStringLiteral("-xx-xx"))
      << blinking.toStdString();
  Settings.BlinkWarning = false;
  EXPECT_EQ(ticks(), QStringLiteral("xxxxxx"));
  Settings.AntiAliasing = true;
  e->Presenter()->Redraw();
  ProcessEvents();
  guitest::SaveScreenshot(Sub(e), QStringLiteral("editor_warning"));

  Enter(e->edsWidth, QStringLiteral("300"));  // fits now: the warning goes
  Enter(e->edsHeight, QStringLiteral("300"));
  EXPECT_TRUE(e->lblWarning->text().isEmpty());
  e->BlinkTick();
  EXPECT_FALSE(e->lblWarning->isVisibleTo(e));
  EXPECT_TRUE(e->btnMaterialReport->isEnabled());
}

TEST_F(EditorWindowTest, TheConduitDialogClampsRestoresAndConfirms) {
  TfrmTransitDetail* e = Open(StoreTransit(CableTransit(), "A"));
  e->SelectItemInConduitlist(0);
  struct Case {
    TLengthUnit unit;
    const char* typed;
    double stored;  // micrometres
  };
  for (Case c : {Case{luMillimetre, "2000", 1000000}, Case{luInch, "55", 40 * 25400.0}}) {
    CurrentLengthUnit = c.unit;
    NotifyAll(nkUnitChanged, 0);
    TDialogScript script({[&](QWidget* dialog) {
      auto* d = dynamic_cast<TfrmEditConduit*>(dialog);
      EXPECT_EQ(d->lblUnit->text(), Q(LengthUnitName()));
      guitest::SaveScreenshot(d, QStringLiteral("conduit_dialog_") + d->lblUnit->text());
      d->edsOuterDiameter->selectAll();
      QTest::keyClicks(d->edsOuterDiameter, QString::fromLatin1(c.typed));
      QTest::keyClick(d->edsOuterDiameter, Qt::Key_Return);
    }});
    e->SelectItemInConduitlist(0);
    QTest::keyClick(e->lvwConduits, Qt::Key_Return);
    EXPECT_EQ(script.Answered(), 1);
    EXPECT_DOUBLE_EQ(Model(e).MaxConduitDiameter(), c.stored);
    e->btnUndo->click();
  }
  CurrentLengthUnit = luMillimetre;
  NotifyAll(nkUnitChanged, 0);
  const TTransit before = Model(e);

  // OK with a diameter of 0 stays open with the focus on the amount; Escape
  // after several spins puts both values back; so does the title bar's close.
  bool stayed = false;
  TDialogScript script({[&](QWidget* dialog) {
                          auto* d = dynamic_cast<TfrmEditConduit*>(dialog);
                          d->edsOuterDiameter->selectAll();
                          QTest::keyClicks(d->edsOuterDiameter, QStringLiteral("0"));
                          d->btnOK->click();
                          stayed = d->isVisible() && d->focusWidget() == d->edsAmount;
                          for (int i = 0; i < 4; ++i) d->edsAmount->stepBy(1);
                          d->edsOuterDiameter->stepBy(5);
                          QTest::keyClick(d, Qt::Key_Escape);
                        },
                        [&](QWidget* dialog) {
                          auto* d = dynamic_cast<TfrmEditConduit*>(dialog);
                          d->edsAmount->stepBy(3);
                          d->close();
                        }});
  e->SelectItemInConduitlist(0);
  QTest::keyClick(e->lvwConduits, Qt::Key_Return);
  e->SelectItemInConduitlist(0);
  QTest::keyClick(e->lvwConduits, Qt::Key_Return);
  EXPECT_EQ(script.Answered(), 2);
  EXPECT_TRUE(stayed);
  EXPECT_TRUE(Model(e).IsEqual(before));
  EXPECT_EQ(Rows(e->lvwConduits), (QStringList{"2x12.00", "4x20.00"}));
}

TEST_F(EditorWindowTest, ADoubleClickOnAConduitEditsItsGroupAtEveryPixelRatio) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 200, 10, 200);
  AddGroup(t, 1, 60);
  TfrmTransitDetail* e = Open(StoreTransit(t, "A"));
  Settle(e);
  const qreal ratio = e->imgTransit->devicePixelRatioF();
  EXPECT_EQ(e->imgTransit->Image().size(), e->imgTransit->size() * ratio);  // one image pixel per screen pixel
  const TTransit& m = Model(e);
  ASSERT_EQ(m.FillItems.size(), 1u);
  const TPlacedPosition c = m.PlacedPositions[m.FillItems[0].FirstPlaced];
  const TPresenterTransitDetail& p = *e->Presenter();
  const QPointF device(p.ImageOriginX() + c.X * p.ImageScale(), p.ImageOriginY() + c.Y * p.ImageScale());
  TDialogScript script({TypeConduit("2", "50")});
  e->pgcTransitdata->setCurrentIndex(0);
  QTest::mouseDClick(e->imgTransit, Qt::LeftButton, {}, (device / ratio).toPoint());
  EXPECT_EQ(script.Answered(), 1);
  EXPECT_EQ(e->pgcTransitdata->currentIndex(), 1);
  EXPECT_EQ(Rows(e->lvwConduits), QStringList{"2x50.00"});
}

TEST_F(EditorWindowTest, FixedWindowSizeAndTextTheDataFileCannotHold) {
  Settings.FixedWindow = true;
  TfrmTransitDetail* e = Open(StoreTransit(CableTransit(), "A"));
  EXPECT_FALSE(Sub(e)->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(e->size(), e->minimumSize());
  EXPECT_EQ(Sub(e)->minimumSize(), Sub(e)->maximumSize());
  Settings.FixedWindow = false;
  NotifyAll(nkPreferencesChanged, 0);
  EXPECT_TRUE(Sub(e)->windowFlags() & Qt::WindowMaximizeButtonHint);
  Sub(e)->resize(Sub(e)->size() + QSize(100, 60));
  EXPECT_EQ(e->size(), e->minimumSize() + QSize(100, 60));

  static QString told;
  SetLeftOutNotifier([](QWidget*, const QString& message) { told = message; });
  e->edtTransitName->setFocus();
  e->edtTransitName->selectAll();
  TypeText(e->edtTransitName, QString::fromUtf8("Dek \xc5\x82 3"));
  QTest::keyClick(e->edtTransitName, Qt::Key_Return);
  EXPECT_EQ(Model(e).Name, "Dek  3");
  EXPECT_FALSE(told.isEmpty());
  told.clear();
  e->pgcTransitdata->setCurrentIndex(2);
  e->mmoComments->setFocus();
  TypeText(e->mmoComments, QString::fromUtf8("\xce\xa9 line"));
  e->edtTransitName->setFocus();
  EXPECT_EQ(Model(e).Comments, " line");
  EXPECT_FALSE(told.isEmpty());
  SetLeftOutNotifier(nullptr);
}

// A dense KOVA transit (both pages), a round GRENTAX one, and the same in
// inches: every text in the editor shows whole.
TEST_F(EditorWindowTest, EveryTextShowsWholeForDenseRoundAndInchTransits) {
  Settings.AntiAliasing = true;
  TTransit dense = DenseCableTransit();
  dense.SparePercentage = 10;
  TfrmTransitDetail* kova = Open(StoreTransit(dense, "KOVA cables"));
  Settle(kova);
  EXPECT_TRUE(guitest::TextsWhole(kova));
  guitest::SaveScreenshot(Sub(kova), QStringLiteral("editor_kova_cables"));
  kova->pgcTransitdata->setCurrentIndex(1);
  EXPECT_TRUE(guitest::TextsWhole(kova));
  guitest::SaveScreenshot(Sub(kova), QStringLiteral("editor_kova_cables_list"));
  Sub(kova)->close();

  TfrmTransitDetail* round = Open(StoreTransit(RoundGrentaxTransit(), "Round GRENTAX"));
  Settle(round);
  EXPECT_TRUE(guitest::TextsWhole(round));
  guitest::SaveScreenshot(Sub(round), QStringLiteral("editor_grentax_round"));
  CurrentLengthUnit = luInch;
  NotifyAll(nkUnitChanged, 0);
  Settle(round);
  EXPECT_EQ(round->lblWidthUnit->text(), QStringLiteral("inch"));
  EXPECT_EQ(round->edsWidth->decimals(), 4);
  EXPECT_TRUE(guitest::TextsWhole(round));
  guitest::SaveScreenshot(Sub(round), QStringLiteral("editor_inch"));
  ProcessEvents();
}

TEST_F(EditorWindowTest, ResizingHidesTheDrawingUntilItIsDrawnAtTheNewSize) {
  TfrmTransitDetail* e = Open(StoreTransit(CableTransit(), "A"));
  Settle(e);
  const QSize before = e->imgTransit->Image().size();
  Sub(e)->resize(Sub(e)->size() + QSize(120, 80));
  EXPECT_FALSE(e->imgTransit->isVisible());
  EXPECT_TRUE(e->tmrRedrawTransitAfterResize->isActive());
  EXPECT_EQ(e->btnSaveAs->x(), e->width() - 77);  // the buttons keep to the right edge
  EXPECT_EQ(e->grpDrawing->width(), e->width() - 280);
  Settle(e);
  EXPECT_TRUE(e->imgTransit->isVisible());
  EXPECT_EQ(e->imgTransit->Image().size(), e->imgTransit->DeviceSize());
  EXPECT_NE(e->imgTransit->Image().size(), before);
}

namespace {
// Answers whatever box comes: Yes to a question, OK to a notice.
TAnswer Agree() {
  return [](QWidget* box) {
    auto* b = qobject_cast<QMessageBox*>(box);
    ASSERT_NE(b, nullptr);
    guitest::ClickMessageBoxButton(box, b->button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok);
  };
}

QColor TextColour(const QLabel* label) { return label->palette().color(QPalette::Active, QPalette::WindowText); }
}  // namespace

// The figures are drawn as enabled text after "Resize to fit" (which keeps the
// window busy meanwhile); only a filling rate of "-" is shown disabled.
TEST_F(EditorWindowTest, ResizeToFitLeavesTheFiguresInTheirColours) {
  TTransit moxel = MakeTransit(fsKovaMoxel, ctPipesMetal, clA, 200, 200, 100, 200);
  AddGroup(moxel, 1, 60);
  TTransit small = CableTransit();
  small.SparePercentage = 10;
  const std::pair<const char*, TTransit> cases[] = {
      {"round GRENTAX", RoundGrentaxTransit()}, {"small KOVA", small}, {"dense", DenseCableTransit()}, {"MOXEL", moxel}};
  const QColor text = QApplication::palette().color(QPalette::Active, QPalette::WindowText);
  for (const auto& [name, model] : cases) {
    SCOPED_TRACE(name);
    TfrmTransitDetail* e = Open(StoreTransit(model, name));
    {
      TDialogScript script({Agree(), Agree(), Agree()});
      e->btnResize->click();
      ProcessEvents();
    }
    ASSERT_TRUE(e->isEnabled());
    for (QLabel* label : {e->lblAvailableArea, e->lblConduitArea, e->lblConduitSleeveArea, e->lblConduitAreaC,
                          e->lblConduitSleeveAreaC, e->lblConduitSleeveSpareArea, e->lblConduitSleeveSpareAreaC}) {
      SCOPED_TRACE(label->objectName().toStdString());
      EXPECT_TRUE(label->isEnabled());
      const QColor c = TextColour(label);
      EXPECT_TRUE(c == text || c == QColor(Qt::red)) << c.name().toStdString();
    }
    const bool none = e->lblFillingRate->text() == QStringLiteral("-");
    EXPECT_EQ(e->lblFillingRate->isEnabled(), !none);
    EXPECT_EQ(e->lblFillingRateC->isEnabled(), !none);
    if (!none) {
      const QColor c = TextColour(e->lblFillingRate);
      EXPECT_TRUE(c == text || c == QColor(Qt::red)) << c.name().toStdString();
      EXPECT_EQ(TextColour(e->lblFillingRateC), c);
    }
    e->ForceCloseForm();
    ProcessEvents();
  }
}

// A box the editor shows (the depth question of "Resize to fit", a notice)
// leaves the editor the frame's active window with the keyboard in it, also
// when the frame is activated again afterwards.
TEST_F(EditorWindowTest, TheEditorKeepsTheFrontAfterItsBoxes) {
  TfrmTransitDetail* older = Open(StoreTransit(CableTransit(), "Older"));
  TTransit fits = MakeTransit(fsKova, ctCables, clA, 100, 100, 50, 300);
  AddGroup(fits, 30, 20);
  TfrmTransitDetail* e = Open(StoreTransit(fits, "Front"));
  ASSERT_EQ(Frame->Area->activeSubWindow(), Sub(e));
  e->btnResize->setFocus();
  {
    TDialogScript script({Click(QMessageBox::Yes)});
    e->btnResize->click();
    EXPECT_EQ(script.Answered(), 1);
  }
  ProcessEvents();
  EXPECT_GT(Model(e).Width, 100000);
  EXPECT_EQ(Frame->Area->activeSubWindow(), Sub(e));
  ASSERT_NE(Frame->focusWidget(), nullptr);
  EXPECT_TRUE(Sub(e)->isAncestorOf(Frame->focusWidget())) << Frame->focusWidget()->objectName().toStdString();

  // Another program's window takes the keyboard, then the frame gets it back.
  QWidget elsewhere;
  elsewhere.setObjectName(QStringLiteral("elsewhere"));
  elsewhere.resize(200, 100);
  elsewhere.show();
  elsewhere.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
  elsewhere.close();
  Frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Frame.get()));
  ProcessEvents();
  EXPECT_EQ(Frame->Area->activeSubWindow(), Sub(e));
  EXPECT_NE(Frame->Area->activeSubWindow(), Sub(older));
  EXPECT_TRUE(QApplication::focusWidget() && Sub(e)->isAncestorOf(QApplication::focusWidget()));
}

// Every label and choice is whole at the editor's design size: the two-line
// spare warning, the stamps with their seconds beside a 30-character user
// name; lists without a choice are light grey; the conduit dialog's caption
// is exactly its own and fits its fixed border; a template's first page says
// what a template is.
TEST_F(EditorWindowTest, TextsAreWholeAndChoicesWithoutAChoiceAreGrey) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 100, 80, 10, 200);
  AddGroup(t, 4, 20);
  AddGroup(t, 2, 12);
  t.SparePercentage = 25;
  t.CreatedBy = "Alexandra Vandenberghe-Oosterh";  // the 30 characters a user name can have
  t.ModifiedBy = t.CreatedBy;
  CurrentUserName = t.CreatedBy;
  TfrmTransitDetail* e = Open(StoreTransit(t, "Spare"));
  CurrentUserName = "tester";
  Settle(e);
  ASSERT_EQ(e->size(), QSize(TfrmTransitDetail::DesignWidth, TfrmTransitDetail::DesignHeight));
  ASSERT_TRUE(e->lblWarning->text().contains(QStringLiteral("\nYou can only add more cables")))
      << e->lblWarning->text().toStdString() << " spare " << Model(e).SparePercentage << " rate "
      << Model(e).FillingRate();
  EXPECT_LE(e->lblWarning->heightForWidth(e->lblWarning->width()), e->lblWarning->height());
  EXPECT_GE(e->imgTransit->y(), e->lblWarning->geometry().bottom());
  guitest::SaveScreenshot(Sub(e), QStringLiteral("editor_spare_warning"));

  for (QLabel* label : {e->lblCreated, e->lblLastModified}) {
    EXPECT_TRUE(label->text().contains(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d"))))
        << label->text().toStdString();
    EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
  }
  for (QLabel* label : {e->lblCreatedBy, e->lblLastModifiedBy}) {
    EXPECT_EQ(label->text(), QStringLiteral("Alexandra Vandenberghe-Oosterh"));
    EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
  }
  EXPECT_LE(e->grpTransitLower->geometry().bottom(), e->tabTransit->height());
  EXPECT_GE(e->grpTransitUpper->height(), e->grpTransitUpper->layout()->minimumSize().height());
  guitest::SaveScreenshot(Sub(e), QStringLiteral("editor_stamps"));

  // Choice lists: light grey with fewer than two entries, the field colour otherwise.
  int grey = 0, white = 0;
  for (QComboBox* list : {e->cboFillSystem, e->cboDefaultConduitType, e->cboFillSubsystem, e->cboClassification,
                          e->cboSealantCartridge, e->cboSealantLayer}) {
    if (!list->isVisible()) continue;
    SCOPED_TRACE(list->objectName().toStdString());
    const QImage shot = list->grab().toImage();
    const QColor inside = shot.pixelColor(shot.width() - 28 * int(shot.devicePixelRatio()), shot.height() / 2);
    if (list->count() < 2) {
      ++grey;
      EXPECT_EQ(list->palette().color(QPalette::Button), QColor(0xE8, 0xE8, 0xE8));
      EXPECT_LE(inside.red(), 0xF2) << inside.name().toStdString();  // the style shades it a little
    } else {
      ++white;
      EXPECT_GE(inside.red(), 0xF8) << inside.name().toStdString();
    }
  }
  EXPECT_GT(grey, 0);
  EXPECT_GT(white, 0);

  // The conduit dialog: its own caption, a fixed border without minimise or maximise.
  e->pgcTransitdata->setCurrentIndex(1);
  e->SelectItemInConduitlist(0);
  TDialogScript script({[](QWidget* dialog) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Edit cables in transit"));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_GE(dialog->width(), CaptionWidth(dialog));
    EXPECT_FALSE(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    guitest::SaveScreenshot(dialog, QStringLiteral("conduit_dialog_fixed"));
    QTest::keyClick(dialog, Qt::Key_Escape);
  }});
  QTest::keyClick(e->lvwConduits, Qt::Key_Return);
  EXPECT_EQ(script.Answered(), 1);

  TfrmTransitDetail* tpl = Open(StoreTransit(MakeTransit(fsKova, ctCables, clA, 300, 300, 150, 200), "R300",
                                             TemplateProjectID));
  Settle(tpl);
  EXPECT_EQ(tpl->pgcTransitdata->currentIndex(), 0);
  EXPECT_TRUE(tpl->lblTemplateNote->isVisible());
  EXPECT_FALSE(e->lblTemplateNote->isVisibleTo(e));
  guitest::SaveScreenshot(Sub(tpl), QStringLiteral("editor_template"));
}
