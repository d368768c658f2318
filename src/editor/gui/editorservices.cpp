#include "editorservices.h"

#include <QApplication>
#include <QMdiSubWindow>

#include "editconduit.h"
#include "host.h"

namespace {
// The normal cursor while a box is up over a busy window.
struct TNormalCursor {
  bool Overridden = QApplication::overrideCursor() != nullptr;
  TNormalCursor() {
    if (Overridden) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~TNormalCursor() {
    if (Overridden) QApplication::restoreOverrideCursor();
  }
};
}  // namespace

void TEditorMessageBoxes::ShowMessage(const std::string& text, const std::string& caption) {
  TNormalCursor cursor;
  TQtMessageBoxes::ShowMessage(text, caption);
}

TModalResult TEditorMessageBoxes::AskYesNo(const std::string& text, const std::string& caption) {
  TNormalCursor cursor;
  return TQtMessageBoxes::AskYesNo(text, caption);
}

TModalResult TEditorMessageBoxes::AskYesNoCancel(const std::string& text, const std::string& caption) {
  TNormalCursor cursor;
  return TQtMessageBoxes::AskYesNoCancel(text, caption);
}

TModalResult TEditorConduitDialog::Execute(TPresenterTransitDetail& presenter, const std::string& caption,
                                           TPoint topLeft) {
  TfrmEditConduit dialog(DialogOwner(Owner));
  return dialog.Execute(presenter, caption, topLeft);
}

int32_t TEditorTemplateChooser::Execute() {
  return WindowHooks().ChooseTemplate ? WindowHooks().ChooseTemplate() : -1;
}

void TEditorReportDialog::ShowTransitReport(const TTransit& transit) {
  if (WindowHooks().ShowTransitReport) WindowHooks().ShowTransitReport(transit);
}

void TEditorWindowFrame::SetFixedSize(bool fixed) {
  if (!Editor) return;
  QWidget* editor = Editor;
  const QSize minimum = editor->minimumSize();
  auto* sub = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
  if (!sub) {
    if (fixed) editor->resize(minimum);
    return;
  }
  Qt::WindowFlags flags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
  if (!fixed) flags |= Qt::WindowMaximizeButtonHint;
  if (sub->windowFlags() != flags) sub->setWindowFlags(flags);
  if (fixed) {
    if (sub->isMaximized()) sub->showNormal();
    const QSize frame = sub->size() - editor->size();
    sub->setFixedSize(minimum + frame);
    editor->resize(minimum);
  } else {
    sub->setMinimumSize(0, 0);
    sub->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
}
