// Preferences, user name, splash and about box.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QKeyEvent>
#include <QTest>
#include <QToolButton>

#include "core/units.h"
#include "guitest.h"
#include "app/gui/mainwindow.h"
#include "mainwindow_fixture.h"
#include "app/gui/preferences.h"
#include "app/gui/splash.h"
#include "store/config.h"
#include "store/filesave.h"
#include "store/settings.h"
#include "app/gui/username.h"

using Dialogs = TProgramFilesTest;

TEST_F(Dialogs, PreferencesShowTheSettingsAndOkStoresAndTellsEveryWindow) {
  Settings.CompanyLines = {"Acme", "Delft"};
  Settings.AutoUpdate = false;
  CurrentLengthUnit = luMillimetre;
  TDummyChild list("TfrmTransitList");
  {
    TfrmPreferences dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Preferences"));
    EXPECT_EQ(dialog.mmoCompany->toPlainText(), QStringLiteral("Acme\nDelft"));
    EXPECT_TRUE(dialog.rdoMetric->isChecked());
    EXPECT_FALSE(dialog.rdoImperial->isChecked());
    EXPECT_TRUE(dialog.chkAntiAliasing->isChecked());
    EXPECT_TRUE(dialog.chkAutoUpdate->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.chkAutoUpdate->text(), QStringLiteral("Check automatically for updates"));
    EXPECT_EQ(dialog.chkSaveWindowPositionsOnExit->text(), QStringLiteral("Reopen windows from last session"));
    dialog.show();
    guitest::SaveScreenshot(&dialog, QStringLiteral("preferences"));
    // Cancel changes nothing and writes nothing.
    dialog.chkShowGrid->setChecked(false);
    QTest::mouseClick(guitest::Child<QPushButton>(&dialog, "btnCancel"), Qt::LeftButton);
  }
  EXPECT_TRUE(Settings.ShowGrid);
  EXPECT_FALSE(FileExists(Places.ConfigFile));
  EXPECT_TRUE(list.Notes.empty());

  TfrmPreferences dialog;
  dialog.show();
  dialog.mmoDistributor->selectAll();
  QTest::keyClicks(dialog.mmoDistributor, QStringLiteral("Line one"));
  QTest::keyClick(dialog.mmoDistributor, Qt::Key_Return);
  QTest::keyClicks(dialog.mmoDistributor, QStringLiteral("Line two"));
  QTest::keyClick(dialog.mmoDistributor, Qt::Key_Return);
  QTest::keyClick(dialog.chkShowGrid, Qt::Key_Space);
  QTest::keyClick(dialog.chkAutoUpdate, Qt::Key_Space);
  QTest::keyClick(dialog.chkFixedWindow, Qt::Key_Space);
  dialog.rdoImperial->setChecked(true);
  QTest::mouseClick(guitest::Child<QPushButton>(&dialog, "btnOK"), Qt::LeftButton);
  EXPECT_EQ(Settings.DistributorLines, (std::vector<std::string>{"Line one", "Line two"}));
  EXPECT_EQ(Settings.CompanyLines, (std::vector<std::string>{"Acme", "Delft"}));
  EXPECT_FALSE(Settings.ShowGrid);
  EXPECT_TRUE(Settings.AutoUpdate);
  EXPECT_TRUE(Settings.FixedWindow);
  EXPECT_EQ(CurrentLengthUnit, luInch);
  const std::vector<std::pair<int, int>> told = {{nkPreferencesChanged, 0}, {nkUnitChanged, 0}};
  EXPECT_EQ(list.Notes, told);
  // The configuration was written: it reads back the same.
  SetDefaultSettings();
  LoadConfiguration(Places.ConfigFile);
  EXPECT_EQ(Settings.DistributorLines, (std::vector<std::string>{"Line one", "Line two"}));
  EXPECT_TRUE(Settings.AutoUpdate);
  EXPECT_EQ(CurrentLengthUnit, luInch);
  EXPECT_FALSE(Settings.FixedWindow) << "never stored";
}

TEST_F(Dialogs, PreferencesWithoutChangesStillWriteAndTell) {
  TDummyChild editor("TfrmTransitDetail");
  TfrmPreferences dialog;
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Return);
  EXPECT_TRUE(FileExists(Places.ConfigFile));
  EXPECT_EQ(editor.Notes.size(), 2u);
  EXPECT_EQ(Settings.CompanyLines, DefaultCompanyLines());
}

TEST_F(Dialogs, UserNameTakesTheTextAsTypedAndClosingKeepsTheOldName) {
  struct TCase {
    const char* typed;
    bool confirm;
    std::string expected;
  };
  for (const TCase& c : {TCase{"Piet", true, "Piet"}, TCase{"", true, ""}, TCase{"Klaas", false, "tester"}}) {
    CurrentUserName = "tester";
    TfrmUsername dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Enter username"));
    EXPECT_EQ(dialog.edtUsername->maxLength(), 30);
    dialog.show();
    EXPECT_EQ(dialog.edtUsername->selectedText(), QStringLiteral("tester"));
    QTest::keyClick(dialog.edtUsername, Qt::Key_Backspace);
    QTest::keyClicks(dialog.edtUsername, QString::fromUtf8(c.typed));
    if (c.confirm) QTest::keyClick(dialog.edtUsername, Qt::Key_Return);
    else dialog.close();
    EXPECT_EQ(CurrentUserName, c.expected) << c.typed;
    EXPECT_FALSE(dialog.isVisible());
  }
  EXPECT_EQ(TfrmUsername().findChildren<QPushButton*>().size(), 1) << "OK only, no Cancel";
}

TEST_F(Dialogs, UserNameIsAnsweredOnlyByAKeyPressedForIt) {
  CurrentUserName = "tester";
  TfrmUsername dialog;
  dialog.show();
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(dialog.edtUsername, &repeat);  // held down since before the dialog came
  EXPECT_TRUE(dialog.isVisible());
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(dialog.edtUsername, &release);
  EXPECT_TRUE(dialog.isVisible());
  QTest::keyClicks(dialog.edtUsername, QStringLiteral(" x"));
  QTest::keyClick(dialog.edtUsername, Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(CurrentUserName, " x");
}

TEST_F(Dialogs, UserNameTakesOnlyWhatTheDataFileCanHold) {
  CurrentUserName = "";
  TfrmUsername dialog;
  dialog.show();
  dialog.edtUsername->insert(QString::fromUtf8("Łukasz Öz"));
  QTest::keyClick(dialog.edtUsername, Qt::Key_Return);
  EXPECT_EQ(CurrentUserName, "ukasz Öz");
}

TEST_F(Dialogs, UserNameDialogOfATestBuildConfirmsItselfForQX) {
  CurrentUserName = "QX";
  TfrmUsername dialog(nullptr, true);
  dialog.show();
  QTest::keyClicks(dialog.edtUsername, QStringLiteral("ignored"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 2000));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(CurrentUserName, "ignored");
}

// A full name shows whole in the field, and so do the label and the button.
TEST_F(Dialogs, UserNameDialogShowsAFullNameWhole) {
  CurrentUserName = "Pieter van den Broek";
  TfrmUsername dialog;
  dialog.show();
  guitest::ProcessEvents();
  QStyleOptionFrame option;
  option.initFrom(dialog.edtUsername);
  const QRect room = dialog.style()->subElementRect(QStyle::SE_LineEditContents, &option, dialog.edtUsername);
  EXPECT_LE(dialog.edtUsername->fontMetrics().horizontalAdvance(dialog.edtUsername->text()), room.width() - 4);
  EXPECT_TRUE(guitest::TextsWhole(&dialog));
  guitest::SaveScreenshot(&dialog, QStringLiteral("username"));
}

TEST_F(Dialogs, SplashAndAboutBoxWithItsUpdateButton) {
  ShowSplash(true);
  TfrmSplash* splash = SplashWindow();
  ASSERT_NE(splash, nullptr);
  EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(splash->btnCheckForUpdates->isVisible());
  EXPECT_EQ(splash->lblVersion->text(),
            QStringLiteral("KOVA / GRENTAX / PRAVEN Trellane\nVersion 3.16.1 (22 Aug 2012)"));
  guitest::SaveScreenshot(splash, QStringLiteral("splash"));
  ShowSplash(false);
  EXPECT_EQ(SplashWindow(), nullptr);

  std::vector<bool> checks;
  WindowHooks().StartUpdateCheck = [&](bool silent) { checks.push_back(silent); };
  {
    TfrmMain frame(false);
    frame.findChild<QTimer*>(QStringLiteral("tmrFinishInitializing"))->stop();
    frame.show();
    TModalAnswers answers({[&](QWidget* about) {
      EXPECT_EQ(about->size(), TfrmSplash::PictureSize() + QSize(8, 8));
      EXPECT_TRUE(FileExists(Places.ConfigFile)) << "everything saved before the about box";
      EXPECT_TRUE(FileExists(Places.DataFile));
      guitest::SaveScreenshot(about, QStringLiteral("about"));
      auto* button = guitest::Child<QPushButton>(about, "btnCheckForUpdates");
      EXPECT_TRUE(button->isVisible());
      QTest::mouseClick(button, Qt::LeftButton);
      about->close();
    }});
    QTest::mouseClick(guitest::Child<QToolButton>(&frame, "btnVersion"), Qt::LeftButton);
    EXPECT_TRUE(answers.AllRan());
  }
  EXPECT_EQ(checks, std::vector<bool>{false});
  WindowHooks().StartUpdateCheck = nullptr;
  TfrmSplash about(true);
  EXPECT_FALSE(about.btnCheckForUpdates->isVisibleTo(&about)) << "no update check to call";
}
