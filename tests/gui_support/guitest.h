#pragma once
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace guitest {

// Fails a test that leaves a visible top-level window behind, then closes and
// deletes what is left so that the next test starts clean.
class NoWindowsLeftListener : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo& info) override;
};

// Runs pending events, deferred deletes included.
void ProcessEvents();

// Answers the next modal dialog when it shows (polled from a timer, up to
// timeoutMs): the function gets the dialog and clicks or types in it. Returns
// a handle to check that it ran.
class ModalAnswer {
public:
  ModalAnswer(std::function<void(QWidget*)> answer, int timeoutMs = 5000);
  ~ModalAnswer();
  bool Ran() const;
  // The text of a message box it answered (empty for other dialogs).
  QString Text() const;

private:
  struct State;
  State* state;
};

// Clicks the message box button with this standard role (QMessageBox::Yes...)
// or, for other dialogs, the button with this text.
void ClickMessageBoxButton(QWidget* box, int standardButton);
void ClickButtonWithText(QWidget* dialog, const QString& text);

// The visible labels, push buttons, check boxes and radio buttons in root
// (itself included) whose text does not show whole, each as "name: text".
// Empty when every text fits the room its widget gives it.
QStringList CutTexts(QWidget* root);
// For EXPECT_TRUE: every text in root shows whole; the failure names those cut.
::testing::AssertionResult TextsWhole(QWidget* root);

// Saves widget->grab() as SCREENSHOT_DIR/name.png (the suffix of
// TRELLANE_SCREENSHOT_SUFFIX appended), for review; not an assertion.
void SaveScreenshot(QWidget* widget, const QString& name);

// A child by object name, failing the test when it is missing.
template <class T>
T* Child(QObject* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << "no child " << name;
  return child;
}

}  // namespace guitest
