#pragma once
#include <QMainWindow>
#include <QPointer>
#include <string>
#include <vector>

#include "app/placement.h"
#include "platform/title.h"
#include "app/gui/dialogkeys.h"
#include "platform/gui/host.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QTimer;
class QToolBar;
class QToolButton;

// The main window: a multiple-document frame that holds every list, project
// window and transit editor, with the toolbar and the status bar. It is the
// frame the other windows see through MdiHost().
class TfrmMain : public QMainWindow, public TMdiHost {
  Q_OBJECT
public:
  // testBuild: the pale green look without logo and the TEST caption, no
  // update check at start.
  explicit TfrmMain(bool testBuild = IsTestVersion());
  ~TfrmMain() override;

  // TMdiHost
  void AddChild(QWidget* window) override;
  QWidget* ShowProjectList() override { return ShowChild("TfrmProjectList", 0, false); }
  QWidget* ShowCustomerList() override { return ShowChild("TfrmCustomerList", 0, false); }
  QWidget* ShowTemplateList() override { return ShowChild("TfrmTemplateList", 0, false); }
  QWidget* ShowProjectDetail(int32_t id) override { return ShowChild("TfrmProjectDetail", id, true); }
  QWidget* ShowTransitList(int32_t id) override { return ShowChild("TfrmTransitList", id, true); }
  QWidget* ShowTransitDetail(int32_t id) override;
  QWidget* ShowRTFViewer() override { return ShowChild("TfrmRTFviewer", 0, false); }
  void SaveAll() override { SaveEverything(); }
  void StartUpdateCheck(bool silent) override;
  QWidget* MainWindow() override { return this; }

  // The window layout, then the data file and the configuration. False when
  // one of the files could not be written (the user was told).
  bool SaveEverything();
  // The end without questions (a termination signal, the desktop session
  // ending): the transit editors go without asking (their unsaved changes are
  // dropped), the other children close, then everything is saved; failures
  // only go to standard error.
  void EndWithoutQuestions();
  // Writes the data file and the configuration without touching the windows
  // or asking anything (the session manager's checkpoint).
  void SaveQuietly();

  // Shows a text in the notice bar of the status bar, without a box and
  // without taking the keyboard: in red with "Try again" for a failed
  // background save (kept until a save succeeds), else as a plain notice
  // with a button to put it away. False while the frame is closing.
  bool ShowNotice(const std::string& text, bool saveFailure);
  // The failure of the last background save, or empty.
  std::string SaveFailure() const { return FailedSave; }

  // The toolbar's actions.
  void SwitchUnit();
  void ShowPreferences();
  void ShowAbout();

  // The window layout text of the open children, back-most first.
  // normalise: set each to its normal state first.
  std::string BuildWindowLayout(bool normalise);
  // Opens the windows of the last run (or the project list).
  void RestoreWindows();
  // 200 ms after creation: maximise, the update check, the user name, then
  // the offer of the unsaved editor work of the last run.
  void FinishInitializing();
  // Asks for each recovery copy left by the last run whether to restore it
  // into its editor ("Restore") or drop it ("Discard").
  void OfferRecoveredWork();

  QMdiArea* Area() const { return MdiArea; }
  bool TestBuild() const { return IsTest; }
  TCascade Cascade;

  // The child window that was used last before the active one went (none
  // when no other is open).
  QMdiSubWindow* LastUsedChild() const;

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* ShowChild(const std::string& className, int32_t id, bool perRecord);
  static QMdiSubWindow* SubWindowOf(QWidget* child);
  bool SaveFiles();
  void SaveSoon();
  void SaveNow();
  void ClearNotice();
  void ShowUnit();
  void ShowClock();
  QSize RestoreAreaSize() const;
  void ChildUsed(QMdiSubWindow* sub);
  void ActivateLastUsed();

  bool IsTest;
  bool Shown = false;
  bool Ending = false;
  bool Saving = false;
  QMdiArea* MdiArea = nullptr;
  QToolBar* ToolBar = nullptr;
  QLabel* lblUser = nullptr;
  QLabel* lblEmpty = nullptr;
  QLabel* lblUnit = nullptr;
  QLabel* lblDate = nullptr;
  QLabel* lblTime = nullptr;
  QLabel* lblNotice = nullptr;
  QToolButton* btnNotice = nullptr;
  std::string FailedSave;
  bool Closing = false;
  QTimer* tmrFinishInitializing = nullptr;
  QTimer* tmrSaveSoon = nullptr;
  QTimer* tmrClock = nullptr;
  QTimer* tmrRetrySave = nullptr;
  QTimer* tmrRecovery = nullptr;
  TDialogKeys DialogKeys;
  // The child windows in the order they were last used, the latest last.
  std::vector<QPointer<QMdiSubWindow>> UsedChildren;
  // A child window going away: what the frame activates meanwhile is not a use.
  QPointer<QMdiSubWindow> Leaving;
};

// The main window while it exists, else null.
TfrmMain* MainFrame();
