#include "guitest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

namespace guitest {

void ProcessEvents() {
  for (int i = 0; i < 3; ++i) {
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
  }
}

void NoWindowsLeftListener::OnTestEnd(const ::testing::TestInfo&) {
  ProcessEvents();
  QStringList left;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) left << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                           : w->objectName());
  if (!left.isEmpty()) ADD_FAILURE() << "windows left open: " << left.join(QStringLiteral(", ")).toStdString();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    w->close();
    w->deleteLater();
  }
  ProcessEvents();
}

struct ModalAnswer::State {
  std::function<void(QWidget*)> answer;
  QTimer timer;
  bool ran = false;
  QString text;
  int left = 0;
};

ModalAnswer::ModalAnswer(std::function<void(QWidget*)> answer, int timeoutMs) : state(new State) {
  state->answer = std::move(answer);
  state->left = timeoutMs / 10;
  state->timer.setInterval(10);
  State* s = state;
  QObject::connect(&state->timer, &QTimer::timeout, [s] {
    if (--s->left < 0) {
      s->timer.stop();
      return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    s->timer.stop();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) s->text = box->text();
    s->ran = true;
    s->answer(modal);
  });
  state->timer.start();
}

ModalAnswer::~ModalAnswer() { delete state; }
bool ModalAnswer::Ran() const { return state->ran; }
QString ModalAnswer::Text() const { return state->text; }

void ClickMessageBoxButton(QWidget* box, int standardButton) {
  auto* messageBox = qobject_cast<QMessageBox*>(box);
  ASSERT_NE(messageBox, nullptr) << "not a message box: " << box->metaObject()->className();
  QAbstractButton* button = messageBox->button(QMessageBox::StandardButton(standardButton));
  ASSERT_NE(button, nullptr) << "no such button";
  button->click();
}

void ClickButtonWithText(QWidget* dialog, const QString& text) {
  for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
    if (button->text().remove(QLatin1Char('&')) == QString(text).remove(QLatin1Char('&'))) {
      button->click();
      return;
    }
  ADD_FAILURE() << "no button " << text.toStdString();
}

namespace {

QString Describe(const QWidget* widget, const QString& text) {
  const QString name =
      widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className()) : widget->objectName();
  return name + QStringLiteral(": ") + text;
}

// The widest line of a text as drawn in this font (mnemonic marks dropped).
int TextWidth(const QFontMetrics& metrics, QString text, bool mnemonic) {
  if (mnemonic) {
    text.replace(QStringLiteral("&&"), QString(QChar(1)));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(1), QLatin1Char('&'));
  }
  int widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

bool LabelFits(const QLabel* label) {
  if (label->wordWrap()) return label->heightForWidth(label->width()) <= label->height();
  const QSize need = label->sizeHint();
  return label->width() >= need.width() && label->height() >= need.height();
}

// The room a button's style gives its text: the contents rectangle, less the
// icon and its gap.
bool ButtonFits(const QAbstractButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  option.icon = button->icon();
  option.iconSize = button->iconSize();
  QStyle::SubElement contents = QStyle::SE_PushButtonContents;
  if (qobject_cast<const QCheckBox*>(button)) contents = QStyle::SE_CheckBoxContents;
  if (qobject_cast<const QRadioButton*>(button)) contents = QStyle::SE_RadioButtonContents;
  int room = button->style()->subElementRect(contents, &option, button).width();
  if (!button->icon().isNull()) room -= button->iconSize().width() + 4;
  return TextWidth(button->fontMetrics(), button->text(), true) <= room;
}

}  // namespace

QStringList CutTexts(QWidget* root) {
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  QStringList cut;
  for (QWidget* w : widgets) {
    if (!w->isVisible()) continue;
    if (auto* label = qobject_cast<QLabel*>(w)) {
      if (!label->text().isEmpty() && !LabelFits(label)) cut << Describe(label, label->text());
    } else if (qobject_cast<QPushButton*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
      auto* button = static_cast<QAbstractButton*>(w);
      if (!button->text().isEmpty() && !ButtonFits(button)) cut << Describe(button, button->text());
    }
  }
  return cut;
}

::testing::AssertionResult TextsWhole(QWidget* root) {
  const QStringList cut = CutTexts(root);
  if (cut.isEmpty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "texts cut: " << cut.join(QStringLiteral(" | ")).toStdString();
}

void SaveScreenshot(QWidget* widget, const QString& name) {
  QString dir = qEnvironmentVariable("TRELLANE_SCREENSHOTS", QStringLiteral(TRELLANE_SCREENSHOT_DIR));
  QDir().mkpath(dir);
  widget->grab().save(dir + QLatin1Char('/') + name + qEnvironmentVariable("TRELLANE_SCREENSHOT_SUFFIX") +
                      QStringLiteral(".png"));
}

}  // namespace guitest
