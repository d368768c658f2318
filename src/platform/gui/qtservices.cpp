#include "platform/gui/qtservices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QInputDialog>
#include <QMessageBox>

#include "platform/paths.h"
#include "platform/gui/host.h"
#include "platform/gui/qtext.h"

#include <cstdio>

int CaptionWidth(const QWidget* window) {
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  return QFontMetrics(font).horizontalAdvance(window->windowTitle()) + 112;
}

QWidget* DialogOwner(QWidget* preferred) {
  if (preferred) return preferred->window();
  if (MdiHost()) return MdiHost()->MainWindow();
  return nullptr;
}

namespace {
QMessageBox::StandardButton Ask(QWidget* owner, QMessageBox::Icon icon, const std::string& text,
                                const std::string& caption, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, Q(caption), MessageText(text), buttons, DialogOwner(owner));
  box.setDefaultButton(defaultButton);
  box.setTextFormat(Qt::PlainText);
  return QMessageBox::StandardButton(box.exec());
}
}  // namespace

void TQtDialogs::ShowMessage(const std::string& text, const std::string& caption) {
  Ask(Owner, QMessageBox::NoIcon, text, caption.empty() ? S(QApplication::applicationDisplayName()) : caption,
      QMessageBox::Ok, QMessageBox::Ok);
}

void TQtDialogs::ShowError(const std::string& text) {
  Ask(Owner, QMessageBox::Critical, text, S(QApplication::applicationDisplayName()), QMessageBox::Ok,
      QMessageBox::Ok);
}

TModalResult TQtDialogs::AskYesNo(const std::string& text, const std::string& caption) {
  return Ask(Owner, QMessageBox::Question, text, caption, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
                 QMessageBox::Yes
             ? mrYes
             : mrNo;
}

TModalResult TQtDialogs::AskYesNoCancel(const std::string& text, const std::string& caption) {
  switch (Ask(Owner, QMessageBox::Question, text, caption, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
              QMessageBox::Yes)) {
    case QMessageBox::Yes:
      return mrYes;
    case QMessageBox::No:
      return mrNo;
    default:
      return mrCancel;
  }
}

bool TQtDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(DialogOwner(Owner), Q(caption), MessageText(prompt), QLineEdit::Normal, Q(value), &ok);
  if (ok) value = S(answer);
  return ok;
}

bool TQtDialogs::AskRetry(const std::string& text) {
  return Ask(Owner, QMessageBox::Critical, text, S(QApplication::applicationDisplayName()),
             QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry) == QMessageBox::Retry;
}

bool TQtDialogs::HasClipboardText() { return !QApplication::clipboard()->text().isEmpty(); }
std::string TQtDialogs::ClipboardText() { return S(QApplication::clipboard()->text()); }
void TQtDialogs::SetClipboardText(const std::string& text) { QApplication::clipboard()->setText(Q(text)); }

bool TQtDialogs::OpenWithDesktop(const std::string& fileOrAddress) {
  const QString target = Q(fileOrAddress);
  const QUrl url = target.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(target) : QUrl(target, QUrl::StrictMode);
  return url.isValid() && QDesktopServices::openUrl(url);
}

bool TQtDialogs::StartProgram(const std::string& path, const std::vector<std::string>& arguments) {
  return StartDetachedProgram(path, arguments);
}

void ShowErrorBox(QWidget* owner, const std::string& lead, const std::string& message) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                  MessageText(lead) + QStringLiteral("\n\n") + MessageText(message), QMessageBox::Ok,
                  DialogOwner(owner));
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void ShowFailure(QWidget* owner, const std::string& message) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), MessageText(message),
                  QMessageBox::Ok, DialogOwner(owner));
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

namespace {
// The folders in use; read from the file once, when first asked.
struct TFolderMemory {
  std::string File;  // the folders file they came from
  TLastFolders Folders;
};
TFolderMemory& FolderMemory() {
  static TFolderMemory memory;
  const std::string& config = ProgramFiles().ConfigFile;
  const std::string file = config.empty() ? std::string() : LastFoldersPath(config);
  if (file != memory.File) {
    memory.File = file;
    memory.Folders = file.empty() ? TLastFolders{} : ReadLastFolders(file);
  }
  return memory;
}
}  // namespace

QString LastFolder(TFolderKind kind, const QString& fallback) {
  const QString last = Q(FolderMemory().Folders.Of(kind));
  if (!last.isEmpty() && QDir(last).exists()) return last;
  if (!fallback.isEmpty() && QDir(fallback).exists()) return fallback;
  return QDir::homePath();
}

void RememberFolder(TFolderKind kind, const QString& chosenFile) {
  if (chosenFile.isEmpty()) return;
  TFolderMemory& memory = FolderMemory();
  const std::string folder = S(QFileInfo(chosenFile).absolutePath());
  if (memory.Folders.Of(kind) == folder) return;
  memory.Folders.Of(kind) = folder;
  if (memory.File.empty()) return;
  try {
    WriteLastFolders(memory.File, memory.Folders);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  }
}
