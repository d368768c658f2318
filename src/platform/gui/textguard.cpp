#include "platform/gui/textguard.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QToolTip>
#include <QValidator>

#include "core/cp1252.h"

namespace {

// The tooltip's top-left corner comes this far from the point it is given.
#ifdef Q_OS_WIN
const QPoint TipOffset(2, 21);
#else
const QPoint TipOffset(2, 16);
#endif

void DefaultNotifier(QWidget* field, const QString& message) {
  QApplication::beep();
  QToolTip::showText(LeftOutHintPlace(field, message) - TipOffset, message, field);
}

TLeftOutNotifier notifier = DefaultNotifier;

// Strips in validate(), so typing, pasting and setText-free edits all pass
// through it; the cursor stays where the user was.
class TWindows1252Validator : public QValidator {
public:
  TWindows1252Validator(QWidget* field) : QValidator(field), Field(field) {}
  State validate(QString& input, int& pos) const override {
    QString removed;
    const QString before = input.left(pos);
    const QString kept = StripNonWindows1252(input, &removed);
    if (removed.isEmpty()) return Acceptable;
    pos = StripNonWindows1252(before).size();
    input = kept;
    notifier(Field, LeftOutMessage(removed));
    return Acceptable;
  }

private:
  QWidget* Field;
};

}  // namespace

QString StripNonWindows1252(const QString& text, QString* removed) {
  QString kept;
  kept.reserve(text.size());
  for (char32_t c : text.toUcs4()) {
    const QString piece = QString::fromUcs4(&c, 1);
    if (FitsCp1252(c)) kept += piece;
    else if (removed && !removed->contains(piece)) *removed += piece;
  }
  return kept;
}

QString LeftOutMessage(const QString& removed) {
  return QStringLiteral("The data file cannot store %1; left out.").arg(removed);
}

QPoint LeftOutHintPlace(const QWidget* field, const QString& message) {
  // Beside the field on its right, where a dialog's buttons never are (they
  // sit below it); above it when the screen has no room on the right.
  const QFontMetrics metrics(QToolTip::font());
  const QSize tip(metrics.horizontalAdvance(message) + 16, metrics.height() + 8);
  const QPoint right = field->mapToGlobal(QPoint(field->width() + 6, (field->height() - tip.height()) / 2));
  const QScreen* screen = field->screen();
  if (!screen || screen->availableGeometry().contains(QRect(right, tip))) return right;
  return field->mapToGlobal(QPoint(0, -tip.height() - 4));
}

void SetLeftOutNotifier(TLeftOutNotifier n) { notifier = n ? n : DefaultNotifier; }

void GuardWindows1252(QLineEdit* edit) { edit->setValidator(new TWindows1252Validator(edit)); }

void GuardWindows1252(QComboBox* combo) {
  if (combo->lineEdit()) GuardWindows1252(combo->lineEdit());
}

void GuardWindows1252(QPlainTextEdit* edit) {
  QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit] {
    const QString text = edit->toPlainText();
    QString removed;
    const QString kept = StripNonWindows1252(text, &removed);
    if (removed.isEmpty()) return;
    QTextCursor cursor = edit->textCursor();
    const int pos = int(StripNonWindows1252(text.left(cursor.position())).size());
    edit->setPlainText(kept);
    cursor = edit->textCursor();
    cursor.setPosition(pos);
    edit->setTextCursor(cursor);
    notifier(edit, LeftOutMessage(removed));
  });
}
