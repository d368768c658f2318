#pragma once
#include <QObject>

// The keyboard of every dialog, installed on the application once:
// - Ctrl+Enter confirms the dialog the keyboard is in (its default button, or
//   OK), also from a memo, where Enter alone starts a new line;
// - Enter on a focused button presses it, as Space does.
// A child window of the frame with a default button (the project window)
// counts as a dialog.
class TDialogKeys : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
