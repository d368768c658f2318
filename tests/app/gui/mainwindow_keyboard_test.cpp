// The main window and its dialogs from the keyboard, the order in which child
// windows come forward, and where texts go: offscreen, in-process.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "core/units.h"
#include "platform/lastfolders.h"
#include "guitest.h"
#include "app/gui/listwindow.h"
#include "platform/gui/qtservices.h"
#include "app/gui/mainwindow.h"
#include "mainwindow_fixture.h"
#include "app/gui/preferences.h"
#include "platform/gui/qtext.h"
#include "store/settings.h"
#include "platform/gui/textguard.h"
#include "app/gui/username.h"

namespace {

struct TFrame {
  TFrame() { Frame.findChild<QTimer*>(QStringLiteral("tmrFinishInitializing"))->stop(); }
  TfrmMain Frame;
};

QMdiSubWindow* SubOf(QWidget* child) { return qobject_cast<QMdiSubWindow*>(child->parentWidget()); }

// A stand-in child with a field, so the keyboard has somewhere to be in it.
QWidget* WithField(QWidget* child) {
  auto* layout = new QVBoxLayout(child);
  auto* field = new QLineEdit(child);
  field->setObjectName(QStringLiteral("edtField"));
  layout->addWidget(field);
  field->setFocus();
  return child;
}

std::string ActiveName(TfrmMain& frame) {
  QMdiSubWindow* sub = frame.Area()->activeSubWindow();
  return sub ? dynamic_cast<TDummyChild*>(sub->widget())->Name : std::string();
}

}  // namespace

using MainWindowKeyboard = TProgramFilesTest;

// Closing a child window brings forward the one used before it, not the
// frame's oldest; Ctrl+F4 closes like Ctrl+W; with nothing left the keyboard
// is on the toolbar.
TEST_F(MainWindowKeyboard, ClosingAChildBringsTheLastUsedOneForward) {
  TFrame f;
  f.Frame.show();
  f.Frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f.Frame));
  guitest::ProcessEvents();
  for (QMdiSubWindow* sub : f.Frame.Area()->subWindowList()) sub->close();  // the project list of the start
  guitest::ProcessEvents();
  QWidget* projects = WithField(f.Frame.ShowProjectList());
  QWidget* customers = WithField(f.Frame.ShowCustomerList());
  QWidget* transits = WithField(f.Frame.ShowTransitList(4));
  QWidget* editor = WithField(f.Frame.ShowTransitDetail(9));
  // Used in this order: the customers, the transit list, the editor.
  for (QWidget* w : {customers, transits, editor}) {
    f.Frame.Area()->setActiveSubWindow(SubOf(w));
    w->findChild<QLineEdit*>()->setFocus();
    guitest::ProcessEvents();
  }
  ASSERT_EQ(ActiveName(f.Frame), "TfrmTransitDetail");

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
  guitest::ProcessEvents();
  EXPECT_EQ(f.Frame.Area()->subWindowList().size(), 3);
  EXPECT_EQ(ActiveName(f.Frame), "TfrmTransitList");
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  EXPECT_TRUE(transits->isAncestorOf(QApplication::focusWidget()));

  SubOf(transits)->close();
  guitest::ProcessEvents();
  EXPECT_EQ(ActiveName(f.Frame), "TfrmCustomerList");
  SubOf(customers)->close();
  guitest::ProcessEvents();
  EXPECT_EQ(ActiveName(f.Frame), "TfrmProjectList");
  SubOf(projects)->close();
  guitest::ProcessEvents();
  EXPECT_TRUE(f.Frame.Area()->subWindowList().isEmpty());
  EXPECT_EQ(QApplication::focusWidget(), f.Frame.findChild<QToolButton*>(QStringLiteral("btnShowProjects")));

  // From there the keyboard reaches everything: Tab along the toolbar, the
  // Alt letters open the lists.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), f.Frame.findChild<QToolButton*>(QStringLiteral("btnCustomers")));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // Enter presses the focused button
  EXPECT_EQ(ActiveName(f.Frame), "TfrmCustomerList");
  // (an Alt letter presses its button as a click would, a moment later)
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ActiveName(f.Frame) == "TfrmTemplateList"; }, 2000));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ActiveName(f.Frame) == "TfrmProjectList"; }, 2000));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
  guitest::ProcessEvents();
  EXPECT_EQ(ActiveName(f.Frame), "TfrmTemplateList");
}

// In the preferences Enter in a memo starts a new line, Ctrl+Enter confirms
// from anywhere, and Enter on a focused button presses it. The dialog has a
// fixed border without minimise and maximise.
TEST_F(MainWindowKeyboard, CtrlEnterConfirmsAndEnterOnAButtonPressesIt) {
  TFrame f;
  f.Frame.show();
  Settings.CompanyLines = {"Harvant"};
  Settings.ShowGrid = true;
  TModalAnswers answers({[](QWidget* dialog) {
                           auto* prefs = dynamic_cast<TfrmPreferences*>(dialog);
                           ASSERT_NE(prefs, nullptr);
                           EXPECT_EQ(prefs->windowTitle(), QStringLiteral("Preferences"));
                           EXPECT_FALSE(prefs->windowFlags() &
                                        (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
                           EXPECT_EQ(prefs->minimumSize(), prefs->maximumSize());
                           // The keys act where the keyboard is: in the active window.
                           if (!QTest::qWaitForWindowActive(prefs)) {
                             ADD_FAILURE() << "the preferences never became the active window";
                             prefs->reject();
                             return;
                           }
                           prefs->mmoCompany->setFocus();
                           prefs->mmoCompany->moveCursor(QTextCursor::End);
                           QTest::keyClick(prefs->mmoCompany, Qt::Key_Return);
                           QTest::keyClicks(prefs->mmoCompany, QStringLiteral("Delft"));
                           EXPECT_TRUE(prefs->isVisible()) << "Enter in a memo is a new line";
                           prefs->chkShowGrid->setChecked(false);
                           QTest::keyClick(prefs->mmoCompany, Qt::Key_Return, Qt::ControlModifier);
                         },
                         [](QWidget* dialog) {
                           auto* prefs = dynamic_cast<TfrmPreferences*>(dialog);
                           ASSERT_NE(prefs, nullptr);
                           prefs->chkShowGrid->setChecked(true);
                           if (!QTest::qWaitForWindowActive(prefs)) {
                             ADD_FAILURE() << "the preferences never became the active window";
                             prefs->reject();
                             return;
                           }
                           auto* cancel = prefs->findChild<QPushButton*>(QStringLiteral("btnCancel"));
                           cancel->setFocus();
                           QTest::keyClick(cancel, Qt::Key_Return);
                         }});
  f.Frame.ShowPreferences();
  EXPECT_EQ(Settings.CompanyLines, (std::vector<std::string>{"Harvant", "Delft"}));
  EXPECT_FALSE(Settings.ShowGrid);
  f.Frame.ShowPreferences();
  EXPECT_TRUE(answers.AllRan());
  EXPECT_FALSE(Settings.ShowGrid) << "cancelled";
}

// The status bar's date is written as the lists write theirs; the hint about
// characters the data file cannot hold sits beside its field, clear of the
// dialog's buttons.
TEST_F(MainWindowKeyboard, OneDateFormatAndTheLeftOutHintBesideItsField) {
  TFrame f;
  f.Frame.show();
  const QString date = f.Frame.findChild<QLabel*>(QStringLiteral("lblDate"))->text();
  EXPECT_FALSE(date.isEmpty());
  EXPECT_TRUE(Q(FormatTimestamp(NowDateTime())).startsWith(date + QLatin1Char(' ')))
      << date.toStdString() << " / " << FormatTimestamp(NowDateTime());

  TfrmUsername dialog(&f.Frame);
  dialog.show();
  guitest::ProcessEvents();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Enter username"));
  const QString message = LeftOutMessage(QString::fromUtf8("\xce\xa9"));
  const QFontMetrics metrics(QToolTip::font());
  const QRect hint(LeftOutHintPlace(dialog.edtUsername, message),
                   QSize(metrics.horizontalAdvance(message) + 16, metrics.height() + 8));
  const QRect ok(dialog.btnOK->mapToGlobal(QPoint(0, 0)), dialog.btnOK->size());
  const QRect field(dialog.edtUsername->mapToGlobal(QPoint(0, 0)), dialog.edtUsername->size());
  EXPECT_FALSE(hint.intersects(ok));
  EXPECT_FALSE(hint.intersects(field));
  // On the field's right, level with it; above it where the screen has no room on the right.
  const bool right = hint.left() > field.right() && std::abs(hint.center().y() - field.center().y()) <= field.height();
  const bool above = hint.bottom() < field.top() && hint.left() == field.left();
  EXPECT_TRUE(right || above);
  dialog.close();
}

// A file dialog opens in the folder where a file of its kind was last chosen,
// also after a new start: the folders file beside the configuration keeps it,
// one folder per kind.
TEST_F(MainWindowKeyboard, FileDialogsRememberTheLastFolderOfTheirKind) {
  const QString exports = Dir.filePath(QStringLiteral("exports"));
  ASSERT_TRUE(QDir().mkpath(exports));
  QString opened;
  TModalAnswers answers({[&](QWidget* dialog) {
                           auto* d = qobject_cast<QFileDialog*>(dialog);
                           ASSERT_NE(d, nullptr);
                           d->selectFile(exports + QStringLiteral("/Deck.hpf"));
                           QMetaObject::invokeMethod(d, "accept");
                         },
                         [&](QWidget* dialog) {
                           auto* d = qobject_cast<QFileDialog*>(dialog);
                           ASSERT_NE(d, nullptr);
                           opened = d->directory().absolutePath();
                           d->reject();
                         }});
  const QString chosen = ChooseFile(nullptr, true, QStringLiteral("Deck"), QStringLiteral("Project files (*.hpf)"),
                                    QStringLiteral("hpf"));
  EXPECT_EQ(chosen, exports + QStringLiteral("/Deck.hpf"));
  const std::string file = LastFoldersPath(Places.ConfigFile);
  EXPECT_EQ(ReadLastFolders(file).Exports, S(exports));
  EXPECT_EQ(ReadLastFolders(file).Drawings, "");

  // A new start reads the file again.
  SetProgramFiles({});
  EXPECT_EQ(LastFolder(TFolderKind::Exports), QDir::homePath());
  SetProgramFiles(Places);
  EXPECT_EQ(LastFolder(TFolderKind::Exports), exports);
  EXPECT_EQ(LastFolder(TFolderKind::Reports), QDir::homePath()) << "each kind its own";
  ChooseFile(nullptr, false, {}, QStringLiteral("Project files (*.hpf)"), QStringLiteral("hpf"));
  EXPECT_TRUE(answers.AllRan());
  EXPECT_EQ(opened, exports);
}
