#include "editor/gui/editorservices.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "editor/gui/editconduit.h"
#include "platform/gui/host.h"

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

QMdiSubWindow* FrameOf(QWidget* editor) { return editor ? qobject_cast<QMdiSubWindow*>(editor->parentWidget()) : nullptr; }
}  // namespace

TKeepEditorInFront::TKeepEditorInFront(QWidget* editor) : Editor(editor) {
  QMdiSubWindow* sub = FrameOf(editor);
  if (!sub || !sub->mdiArea()) return;
  WasActive = sub->mdiArea()->activeSubWindow() == sub;
  QWidget* focus = QApplication::focusWidget();
  if (!focus || !sub->isAncestorOf(focus)) focus = editor->window()->focusWidget();
  if (focus && sub->isAncestorOf(focus)) Focus = focus;
}

TKeepEditorInFront::~TKeepEditorInFront() {
  QMdiSubWindow* sub = FrameOf(Editor);
  if (!sub || !WasActive || !sub->isVisible()) return;
  if (QMdiArea* area = sub->mdiArea(); area && area->activeSubWindow() != sub) area->setActiveSubWindow(sub);
  // The frame gives the keyboard to its focus widget when it is activated
  // again: that must be one of the editor's.
  if (Focus && Focus->isEnabled() && Focus->isVisible())
    Focus->setFocus(Qt::OtherFocusReason);
  else if (QWidget* now = sub->window()->focusWidget(); !now || !sub->isAncestorOf(now))
    sub->setFocus(Qt::OtherFocusReason);
}

void TEditorDialogs::ShowMessage(const std::string& text, const std::string& caption) {
  TKeepEditorInFront front(Editor);
  TNormalCursor cursor;
  TQtDialogs::ShowMessage(text, caption);
}

TModalResult TEditorDialogs::AskYesNo(const std::string& text, const std::string& caption) {
  TKeepEditorInFront front(Editor);
  TNormalCursor cursor;
  return TQtDialogs::AskYesNo(text, caption);
}

TModalResult TEditorDialogs::AskYesNoCancel(const std::string& text, const std::string& caption) {
  TKeepEditorInFront front(Editor);
  TNormalCursor cursor;
  return TQtDialogs::AskYesNoCancel(text, caption);
}

bool TEditorDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
  TKeepEditorInFront front(Editor);
  return TQtDialogs::InputQuery(caption, prompt, value);
}

TModalResult TEditorConduitDialog::Execute(TPresenterTransitDetail& presenter, const std::string& caption,
                                           TPoint topLeft) {
  TKeepEditorInFront front(Owner);
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
