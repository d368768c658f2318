#pragma once
#include <QPointer>
#include <QWidget>
#include <exception>

#include "platform/dialogs.h"
#include "platform/lastfolders.h"

// The program's dialogs as the desktop's boxes, input box, clipboard and
// opener. Boxes are owned by the given window (or the main window) and show
// a lone carriage return as a line break.
class TQtDialogs : public TUserDialogs {
public:
  explicit TQtDialogs(QWidget* owner = nullptr) : Owner(owner) {}
  void ShowMessage(const std::string& text, const std::string& caption = {}) override;
  void ShowError(const std::string& text) override;
  TModalResult AskYesNo(const std::string& text, const std::string& caption) override;
  TModalResult AskYesNoCancel(const std::string& text, const std::string& caption) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
  bool AskRetry(const std::string& text) override;
  bool HasClipboardText() override;
  std::string ClipboardText() override;
  void SetClipboardText(const std::string& text) override;
  bool OpenWithDesktop(const std::string& fileOrAddress) override;
  bool StartProgram(const std::string& path, const std::vector<std::string>& arguments = {}) override;

protected:
  QWidget* OwnerWidget() const { return Owner; }

private:
  QPointer<QWidget> Owner;
};

// The owner a dialog should get: the given widget's window, else the main
// window, else none.
QWidget* DialogOwner(QWidget* preferred);

// The system's error boxes: the fixed lead text, two line breaks, the message.
void ShowErrorBox(QWidget* owner, const std::string& lead, const std::string& message);
// The general error box of a failed action: the failure's message alone.
void ShowFailure(QWidget* owner, const std::string& message);
inline void ShowFailure(QWidget* owner, const std::exception& failure) { ShowFailure(owner, failure.what()); }

// The width a window needs for its whole caption in the desktop's title bar
// (the caption in bold, with room for the bar's icon and buttons).
int CaptionWidth(const QWidget* window);

// The folder a file dialog of this kind opens in: the one a file was last
// chosen in (kept in the folders file beside the configuration), else the
// given fallback, else the home folder.
QString LastFolder(TFolderKind kind, const QString& fallback = {});
// Remembers the folder of a file just chosen in a dialog of this kind and
// writes the folders file at once (a failure to write is only noted on
// standard error: nothing the user made depends on it).
void RememberFolder(TFolderKind kind, const QString& chosenFile);
