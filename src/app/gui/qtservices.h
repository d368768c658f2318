#pragma once
#include <QPointer>
#include <QWidget>
#include <exception>

#include "app/lastfolders.h"
#include "editor/services.h"

// The desktop's message boxes, input box and clipboard behind the toolkit-free
// interfaces. Boxes are owned by the given window (or the main window) and
// show a lone carriage return as a line break.
class TQtMessageBoxes : public TMessageBoxes {
public:
  explicit TQtMessageBoxes(QWidget* owner = nullptr) : Owner(owner) {}
  void ShowMessage(const std::string& text, const std::string& caption) override;
  TModalResult AskYesNo(const std::string& text, const std::string& caption) override;
  TModalResult AskYesNoCancel(const std::string& text, const std::string& caption) override;

private:
  QPointer<QWidget> Owner;
};

class TQtInputBox : public TInputBox {
public:
  explicit TQtInputBox(QWidget* owner = nullptr) : Owner(owner) {}
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;

private:
  QPointer<QWidget> Owner;
};

class TQtClipboard : public TClipboard {
public:
  bool HasText() override;
  std::string GetText() override;
  void SetText(const std::string& text) override;
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
