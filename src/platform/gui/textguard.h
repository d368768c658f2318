#pragma once
#include <QPoint>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QComboBox;
class QWidget;

// The data file keeps Windows-1252 text. A guarded field takes out every
// character the code page cannot hold as soon as it is typed or pasted, and
// tells the user so beside the field, so nothing is changed behind the
// user's back on saving.
void GuardWindows1252(QLineEdit* edit);
void GuardWindows1252(QPlainTextEdit* edit);
void GuardWindows1252(QComboBox* editableCombo);

// The text without the characters the code page cannot hold; removed gets
// them (each once, in order).
QString StripNonWindows1252(const QString& text, QString* removed = nullptr);

// The message shown when characters were left out.
QString LeftOutMessage(const QString& removed);

// Where the hint's top-left corner goes on the screen: beside the field,
// away from a dialog's buttons.
QPoint LeftOutHintPlace(const QWidget* field, const QString& message);

// Called with the field and the message whenever a guard took characters out
// (tests listen here; the default shows a tooltip at the field and beeps).
using TLeftOutNotifier = void (*)(QWidget* field, const QString& message);
void SetLeftOutNotifier(TLeftOutNotifier notifier);
