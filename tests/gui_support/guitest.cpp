#include "guitest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
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

void SaveScreenshot(QWidget* widget, const QString& name) {
  QString dir = qEnvironmentVariable("TRELLANE_SCREENSHOTS", QStringLiteral(TRELLANE_SCREENSHOT_DIR));
  QDir().mkpath(dir);
  widget->grab().save(dir + QLatin1Char('/') + name + qEnvironmentVariable("TRELLANE_SCREENSHOT_SUFFIX") +
                      QStringLiteral(".png"));
}

}  // namespace guitest
