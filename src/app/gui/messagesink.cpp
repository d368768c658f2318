#include "app/gui/messagesink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <cstdio>

#include "app/gui/mainwindow.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "app/gui/splash.h"

namespace {

void ToStderr(const std::string& text) {
  std::string line = "trellane: " + text;
  for (char& c : line)
    if (c == '\r') c = '\n';
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

// Enter, Escape, and Space or Select on a button: the keys that answer a dialog.
bool IsAnswerKey(QObject* target, int key) {
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return true;
  return (key == Qt::Key_Space || key == Qt::Key_Select) && qobject_cast<QAbstractButton*>(target);
}

// Keeps a dialog from being answered by keys the user did not press for it:
// the repeats of a key held down since before the dialog came (the Enter
// that started the program, or that answered the box before), and the
// release of a key pressed before it showed.
class TAnswerKeyGuard : public QObject {
public:
  explicit TAnswerKeyGuard(QDialog* dialog) : QObject(dialog) {
    dialog->installEventFilter(this);
    for (QWidget* child : dialog->findChildren<QWidget*>()) child->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::ShortcutOverride: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!IsAnswerKey(target, key->key())) return false;
        if (key->isAutoRepeat() && !Pressed.contains(key->key())) {
          event->accept();
          return true;
        }
        if (event->type() == QEvent::KeyPress) Pressed.insert(key->key());
        return false;
      }
      case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!IsAnswerKey(target, key->key())) return false;
        if (key->isAutoRepeat() || !Pressed.contains(key->key())) {
          event->accept();
          return true;
        }
        Pressed.remove(key->key());
        return false;
      }
      default:
        return false;
    }
  }

private:
  QSet<int> Pressed;  // answer keys pressed while the dialog was up
};

void Show(QMessageBox::Icon icon, const std::string& text) {
  ToStderr(text);
  QWidget* owner = DialogOwner(nullptr);
  // Before the main window the splash, which stays on top of everything,
  // would cover the box: it goes away while the box shows.
  TfrmSplash* splash = owner ? nullptr : SplashWindow();
  if (splash) splash->hide();
  QMessageBox box(icon, QApplication::applicationDisplayName(), MessageText(text), QMessageBox::Ok, owner);
  box.setObjectName(icon == QMessageBox::Critical ? QStringLiteral("msgError") : QStringLiteral("msgMessage"));
  box.setTextFormat(Qt::PlainText);
  GuardAnswerKeys(&box);
  if (!owner) {
    // Centred on the screen once it has its final size, which the box only
    // takes when it shows.
    box.setWindowModality(Qt::ApplicationModal);
    QTimer::singleShot(0, &box, [&box] {
      if (QScreen* screen = QGuiApplication::primaryScreen())
        box.move(screen->availableGeometry().center() - box.rect().center());
    });
  }
  box.exec();
  if (splash && SplashWindow() == nullptr) ShowSplash(true);
}

}  // namespace

void GuardAnswerKeys(QDialog* dialog) { new TAnswerKeyGuard(dialog); }

void TQtMessageSink::ShowMessage(const std::string& text, const std::string&) { Show(QMessageBox::NoIcon, text); }
void TQtMessageSink::ShowError(const std::string& text) { Show(QMessageBox::Critical, text); }
void TQtMessageSink::ShowNotice(const std::string& text) {
  ToStderr(text);
  if (TfrmMain* frame = MainFrame(); frame && frame->ShowNotice(text, false)) return;
  Show(QMessageBox::NoIcon, text);
}
void TStderrMessageSink::ShowMessage(const std::string& text, const std::string&) { ToStderr(text); }
void TStderrMessageSink::ShowError(const std::string& text) { ToStderr(text); }
void TStderrMessageSink::ShowNotice(const std::string& text) { ToStderr(text); }
