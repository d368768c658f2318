#pragma once
#include <QPointer>
#include <QWidget>

#include "editor/services.h"
#include "qtservices.h"

// The desktop's side of the editor's dialogs and services.

// Message boxes of the editor: while the window shows its busy cursor, the
// box gets the normal one, so it can be answered.
class TEditorMessageBoxes : public TQtMessageBoxes {
public:
  explicit TEditorMessageBoxes(QWidget* owner) : TQtMessageBoxes(owner) {}
  void ShowMessage(const std::string& text, const std::string& caption) override;
  TModalResult AskYesNo(const std::string& text, const std::string& caption) override;
  TModalResult AskYesNoCancel(const std::string& text, const std::string& caption) override;
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
