#include "update/gui/updateform.h"

#include <unistd.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "update/selfinstall.h"

namespace {

QPointer<TfrmUpdate> RunningCheck;

const char* DownloadErrorText =
    "There was an error while downloading new updates.\rPlease try again later or contact your supplier.";
const char* ConnectErrorText =
    "Can't connect to the update-server, please check that this\rcomputer is connected to the Internet or try "
    "again later.";
const char* InformationErrorText =
    "There was an error while retrieving information about available new updates.\rPlease try again later or "
    "contact your supplier.";


}  // namespace

bool IsSystemInstall(const std::string& programDir) {
  if (programDir.rfind("/usr/", 0) == 0) return true;
  return ::access(programDir.c_str(), W_OK) != 0;
}

TUpdateConfig DefaultUpdateConfig(const std::string& versionText) {
  TUpdateConfig config;
  config.ServerURL = TRELLANE_UPDATE_URL;
  if (!config.ServerURL.empty() && config.ServerURL.back() != '/') config.ServerURL += '/';
  config.PublicKey = TRELLANE_UPDATE_PUBLIC_KEY;
  config.WebPage = TRELLANE_UPDATE_WEB_PAGE;
  config.VersionText = versionText;
  config.ProgramDir = FolderOf(RunningExecutablePath());
  config.SystemInstall = config.ProgramDir.empty() || IsSystemInstall(config.ProgramDir);
  return config;
}

TfrmUpdate* TfrmUpdate::Running() { return RunningCheck.data(); }

TfrmUpdate* TfrmUpdate::StartUpdateCheck(bool silent, const TUpdateConfig& config, QWidget* owner) {
  if (RunningCheck) {
    if (RunningCheck->isVisible()) RunningCheck->raise();
    return RunningCheck;
  }
  auto* form = new TfrmUpdate(config, owner);
  RunningCheck = form;
  form->CheckDone = false;
  form->Silent = silent;
  TEZUpdate& u = *form->Update;
  u.UpdateFileURL = config.ServerURL + "update.txt";
  u.VersionNumber = config.VersionText;
  u.CheckForUpdate();
  return form;
}

TfrmUpdate::TfrmUpdate(const TUpdateConfig& config, QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::CustomizeWindowHint),
      Config(config),
      Update(std::make_unique<TEZUpdate>(config.ProgramDir)) {
  setObjectName(QStringLiteral("frmUpdate"));
  setWindowTitle(QStringLiteral("Downloading new version"));
  setModal(false);
  pbProgress = new QProgressBar(this);
  pbProgress->setObjectName(QStringLiteral("pbProgress"));
  pbProgress->setRange(0, 100);
  pbProgress->setValue(0);
  pbProgress->setFormat(QStringLiteral("%p%"));
  btnAbort = new QPushButton(QStringLiteral("Abort"), this);
  btnAbort->setObjectName(QStringLiteral("btnAbort"));
  btnAbort->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnAbort);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pbProgress);
  layout->addLayout(buttons);
  setFixedWidth(360);
  setFixedHeight(sizeHint().height());
  connect(btnAbort, &QPushButton::clicked, this, [this] { Update->Abort(); });

  TEZUpdate& u = *Update;
  u.TempDirOption = toApplicationPath;
  u.TempDir = DownloadFolderName;
  u.TempFileName = "_7608484.sam";
  u.UpdateOption = uoAutomatic;
  u.UpdateScheme = usHTTP;
  u.VersionCheck = useNumber;
  u.Proxy.ProxyPort = 8080;
  u.Proxy.ProxyBypass = "127.0.0.1";
  u.PublicKey = config.PublicKey;
  u.CaFile = config.CaFile;
  u.ConnectTimeoutSeconds = config.ConnectTimeoutSeconds;
  u.StallTimeoutSeconds = config.StallTimeoutSeconds;
  u.SelfInstallAllowed = !config.SystemInstall;
  Connect();
}

TfrmUpdate::~TfrmUpdate() {
  // Joins the transfer threads while this object can still take their wake-ups.
  Update.reset();
}

void TfrmUpdate::Connect() {
  TEZUpdate& u = *Update;
  QWidget* owner = parentWidget();
  u.Wake = [this] { QMetaObject::invokeMethod(this, [this] { Pump(); }, Qt::QueuedConnection); };
  u.OnDownload = [this](const TDownloadProgress& p) {
    if (!isVisible()) ShowCentred();
    pbProgress->setValue(p.PercentageRead);
  };
  u.OnCheckUpdateDone = [this] { CheckDone = true; };
  u.OnFinish = [this](int64_t) {
    hide();
    ShowMessage("Updates have been downloaded.\rPlease press OK to restart Trellane.");
  };
  u.OnError = [this](TUpdateErrorKind kind, const std::string&) {
    hide();
    if (Silent) return;
    if (CheckDone || kind == ekDownload)
      ShowMessage(DownloadErrorText);
    else if (kind == ekDescription)
      ShowMessage(InformationErrorText);
    else
      ShowMessage(ConnectErrorText);
  };
  u.OnUpdateFileMissing = [this] {
    if (!Silent) ShowMessage(InformationErrorText);
    Update->Abort();
  };
  u.OnNoUpdate = [this] {
    RemoveDownloadFolder(Config.ProgramDir);
    if (!Silent) ShowMessage("No new updates available.");
  };
  u.OnAbort = [this] {
    Ending = true;
    hide();
  };
  u.OnNewVersionElsewhere = [this, owner](const std::string& version, const std::string&, const std::string& page) {
    const std::string address = IsWebAddress(page) ? page : Config.WebPage;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Trellane"),
                    MessageText("Version " + version + " of Trellane is available.\r" +
                                "This copy is installed for all users of this computer; the system's package "
                                "manager updates it.\r\rOpen the web page of the new version?"),
                    QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() == QMessageBox::Yes && IsWebAddress(address))
      Component().Dialogs->OpenWithDesktop(address);
  };
  if (!Config.Dialogs) OwnDialogs = std::make_unique<TQtDialogs>(owner);
  u.Dialogs = Config.Dialogs ? Config.Dialogs : OwnDialogs.get();
  u.CloseApplication = [this] { return Config.CloseApplication ? Config.CloseApplication() : true; };
  u.TerminateApplication = [this] {
    if (Config.TerminateApplication)
      Config.TerminateApplication();
    else
      QCoreApplication::quit();
  };
}

void TfrmUpdate::Pump() {
  if (Pumping) return;
  Pumping = true;
  Update->ProcessEvents();
  Pumping = false;
  if (!Update->Busy()) {
    // The check is over: nothing more will come.
    hide();
    if (RunningCheck == this) RunningCheck = nullptr;
    deleteLater();
  }
}

void TfrmUpdate::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Trellane"), MessageText(text), QMessageBox::Ok,
                  parentWidget());
  box.exec();
}

void TfrmUpdate::ShowCentred() {
  QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (screen) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  show();
}

void TfrmUpdate::closeEvent(QCloseEvent* event) {
  // Closing the progress window ends the download.
  if (!Ending && Update->Busy()) Update->Abort();
  QDialog::closeEvent(event);
}

void TfrmUpdate::reject() { close(); }
