#pragma once
#include "platform/dialogs.h"
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "update/ezupdate.h"

class QProgressBar;
class QPushButton;

// Where and how the dialog checks; the program takes DefaultUpdateConfig,
// tests their own server, key and folders.
struct TUpdateConfig {
  std::string ServerURL;  // the folder of update.txt, ending in "/"
  std::string PublicKey;
  std::string CaFile;
  std::string ProgramDir;
  std::string VersionText;
  std::string WebPage;  // offered to a system install when the description names none
  bool SystemInstall = false;
  long ConnectTimeoutSeconds = 20;
  long StallTimeoutSeconds = 30;
  // The normal close of the program (editors asked, everything saved);
  // false when the user keeps it open.
  std::function<bool()> CloseApplication;
  std::function<void()> TerminateApplication;
  // The questions, the desktop's opener and the start of the downloaded
  // program; null: the desktop's, owned by the update window's owner.
  TUserDialogs* Dialogs = nullptr;
};

// The build's server and key, the running program's folder; a system install
// when that folder cannot be written or lies under /usr.
TUpdateConfig DefaultUpdateConfig(const std::string& versionText);
bool IsSystemInstall(const std::string& programDir);

// The face of the update component: a small tool window with the download's
// progress and "Abort", hidden until the first progress; the component's
// events become messages (none but the update question when silent). It
// deletes itself when the check is over.
class TfrmUpdate : public QDialog {
public:
  // Starts a check; none while another runs (that one is returned, null
  // when it is silent and nothing shows).
  static TfrmUpdate* StartUpdateCheck(bool silent, const TUpdateConfig& config, QWidget* owner);
  // The dialog of the running check, or null.
  static TfrmUpdate* Running();
  ~TfrmUpdate() override;

  TEZUpdate& Component() { return *Update; }
  bool Silent = false;
  bool CheckDone = false;

protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

private:
  TfrmUpdate(const TUpdateConfig& config, QWidget* owner);
  void Connect();
  void Pump();
  void ShowMessage(const std::string& text);
  void ShowCentred();

  TUpdateConfig Config;
  std::unique_ptr<TUserDialogs> OwnDialogs;
  std::unique_ptr<TEZUpdate> Update;
  QProgressBar* pbProgress = nullptr;
  QPushButton* btnAbort = nullptr;
  bool Pumping = false;
  bool Ending = false;
};
