#include "messagesink.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "qtext.h"
#include "qtservices.h"
#include "splash.h"

namespace {

void ToStderr(const std::string& text) {
  std::string line = "trellane: " + text;
  for (char& c : line)
    if (c == '\r') c = '\n';
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

void Show(QMessageBox::Icon icon, const std::string& text) {
  ToStderr(text);
  QWidget* owner = DialogOwner(nullptr);
  if (!owner) owner = SplashWindow();
  QMessageBox box(icon, QApplication::applicationDisplayName(), MessageText(text), QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

void TQtMessageSink::ShowMessage(const std::string& text) { Show(QMessageBox::NoIcon, text); }
void TQtMessageSink::ShowError(const std::string& text) { Show(QMessageBox::Critical, text); }
void TStderrMessageSink::ShowMessage(const std::string& text) { ToStderr(text); }
void TStderrMessageSink::ShowError(const std::string& text) { ToStderr(text); }
