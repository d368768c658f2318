#pragma once
#include <QPointer>
#include <QWidget>

#include "editor/services.h"
#include "platform/gui/qtservices.h"

// The desktop's side of the editor's dialogs and services.

// The editor's dialogs: while the window shows its busy cursor, a box gets
// the normal one, so it can be answered. After a box or the name prompt of
// "Save as" the editor is again the active window of the frame, with the
// keyboard where it was.
class TEditorDialogs : public TQtDialogs {
public:
  explicit TEditorDialogs(QWidget* owner) : TQtDialogs(owner), Editor(owner) {}
  void ShowMessage(const std::string& text, const std::string& caption = {}) override;
  TModalResult AskYesNo(const std::string& text, const std::string& caption) override;
  TModalResult AskYesNoCancel(const std::string& text, const std::string& caption) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;

private:
  QPointer<QWidget> Editor;
};

// While it lives, a box or dialog is up over the editor; when it ends, the
// editor's frame window is made the active one again (when it was before)
// and the keyboard goes back where it was.
class TKeepEditorInFront {
public:
  explicit TKeepEditorInFront(QWidget* editor);
  ~TKeepEditorInFront();

private:
  QPointer<QWidget> Editor;
  QPointer<QWidget> Focus;
  bool WasActive = false;
};

// The conduit dialog, created for each edit and owned by the editor window.
class TEditorConduitDialog : public TConduitDialog {
public:
  explicit TEditorConduitDialog(QWidget* owner) : Owner(owner) {}
  TModalResult Execute(TPresenterTransitDetail& presenter, const std::string& caption, TPoint topLeft) override;

private:
  QPointer<QWidget> Owner;
};

// The template picker of the program's lists (-1 when there is none).
class TEditorTemplateChooser : public TTemplateChooser {
public:
  int32_t Execute() override;
};

// The material report dialog of the report windows.
class TEditorReportDialog : public TReportDialog {
public:
  void ShowTransitReport(const TTransit& transit) override;
};

// The frame the program puts the editor in: fixed means a border that cannot
// be sized, no maximise button and the editor's minimum size.
class TEditorWindowFrame : public TWindowFrame {
public:
  explicit TEditorWindowFrame(QWidget* editor) : Editor(editor) {}
  void SetFixedSize(bool fixed) override;

private:
  QPointer<QWidget> Editor;
};
