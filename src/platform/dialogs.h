#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// How every part of the program talks to the user: message boxes, questions,
// the input box, the Retry/Cancel box, the clipboard's text, the desktop's
// opener and starting another program. The desktop program installs boxes;
// work done in the background and tests install a collecting stand-in. Line
// breaks inside a text are a single "\r".

enum TModalResult : uint8_t { mrCancel = 0, mrOk = 1, mrYes = 2, mrNo = 3, mrRetry = 4 };

class TUserDialogs {
public:
  virtual ~TUserDialogs() = default;
  // A plain message box with an OK button (an empty caption: the program's name).
  virtual void ShowMessage(const std::string& text, const std::string& caption = {}) = 0;
  // A message box with the error icon and an OK button.
  virtual void ShowError(const std::string& text) = 0;
  // A notice that must not interrupt the user (something done in the
  // background, e.g. a damaged file kept aside on a save): the program shows
  // it in its main window without a modal box. By default a plain message.
  virtual void ShowNotice(const std::string& text) { ShowMessage(text); }
  // Yes/No: mrYes or mrNo.
  virtual TModalResult AskYesNo(const std::string& text, const std::string& caption) = 0;
  // Yes/No/Cancel: mrYes, mrNo or mrCancel.
  virtual TModalResult AskYesNoCancel(const std::string& text, const std::string& caption) = 0;
  // The input box: false when it was cancelled; otherwise value holds the answer.
  virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
  // The Retry/Cancel error box: true for Retry.
  virtual bool AskRetry(const std::string& text) = 0;
  // The clipboard's text.
  virtual bool HasClipboardText() = 0;
  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  // Opens a file or a web address with the desktop's application for it;
  // false when nothing took it.
  virtual bool OpenWithDesktop(const std::string& fileOrAddress) = 0;
  // Starts a program detached from this one (its own session); false when
  // it could not start.
  virtual bool StartProgram(const std::string& path, const std::vector<std::string>& arguments = {}) = 0;
};

// The dialogs in use; by default the texts go to standard error, every
// question is answered No (Cancel where there is one), the clipboard is
// empty and the opener and programs are real.
TUserDialogs& UserDialogs();
// Sets the dialogs (nullptr: back to the default); returns the previous ones.
TUserDialogs* SetUserDialogs(TUserDialogs* dialogs);

// Puts dialogs in place for the life of the scope and puts the previous ones back.
class TUserDialogsScope {
public:
  explicit TUserDialogsScope(TUserDialogs& dialogs);
  ~TUserDialogsScope();
  TUserDialogsScope(const TUserDialogsScope&) = delete;
  TUserDialogsScope& operator=(const TUserDialogsScope&) = delete;

private:
  TUserDialogs* Previous;
};

// Starts a program in a session of its own, not waited for; false when it
// could not start.
bool StartDetachedProgram(const std::string& path, const std::vector<std::string>& arguments = {});

// Shows nothing: collects every text and answers from queues. For work done
// in the background, whose failures the caller shows without taking the
// keyboard, and for the tests of every part.
class TCollectingDialogs : public TUserDialogs {
public:
  void ShowMessage(const std::string& text, const std::string& caption = {}) override;
  void ShowError(const std::string& text) override { Add(Errors, text); }
  void ShowNotice(const std::string& text) override { Add(Notices, text); }
  TModalResult AskYesNo(const std::string& text, const std::string& caption) override;
  TModalResult AskYesNoCancel(const std::string& text, const std::string& caption) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
  bool AskRetry(const std::string& text) override;
  bool HasClipboardText() override { return !Clipboard.empty(); }
  std::string ClipboardText() override { return Clipboard; }
  void SetClipboardText(const std::string& text) override { Clipboard = text; }
  bool OpenWithDesktop(const std::string& fileOrAddress) override;
  bool StartProgram(const std::string& path, const std::vector<std::string>& arguments = {}) override;

  // Texts shown, joined by "\r\r".
  std::string Messages, Errors, Notices;
  // Every box in order as "caption|text" (messages and questions alike).
  std::vector<std::string> Log;
  // Answers to the questions in order; when empty Yes/No questions get
  // DefaultAnswer (mrCancel counts as No), input boxes are cancelled and
  // the Retry box is cancelled.
  std::deque<TModalResult> Answers;
  TModalResult DefaultAnswer = mrNo;
  std::deque<std::string> Inputs;  // answers of input boxes (each one "OK")
  std::string Clipboard;
  std::vector<std::string> Opened;   // files and addresses given to the opener
  std::vector<std::string> Started;  // programs started
  bool OpenResult = true, StartResult = true;
  int RetryAnswers = 0;  // Retry is answered this many times, then Cancel

private:
  static void Add(std::string& to, const std::string& text) { to += (to.empty() ? "" : "\r\r") + text; }
  TModalResult Next(bool withCancel);
};
