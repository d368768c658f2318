#pragma once
#include <string>

// How the persistence functions talk to the user. The program shows message
// boxes; tests record the texts. Line breaks inside a text are a single "\r".
class TMessageSink {
public:
  virtual ~TMessageSink() = default;
  // A plain message box.
  virtual void ShowMessage(const std::string& text) = 0;
  // A message box with the error icon and an OK button.
  virtual void ShowError(const std::string& text) = 0;
  // A notice that must not interrupt the user (something done in the
  // background, e.g. a damaged file kept aside on a save): the program shows
  // it in its main window without a modal box. By default a plain message.
  virtual void ShowNotice(const std::string& text) { ShowMessage(text); }
};

// Collects every text instead of showing it: for work done in the
// background, whose failures the caller shows without taking the keyboard.
class TCollectingMessageSink : public TMessageSink {
public:
  void ShowMessage(const std::string& text) override { Add(Messages, text); }
  void ShowError(const std::string& text) override { Add(Errors, text); }
  void ShowNotice(const std::string& text) override { Add(Notices, text); }
  std::string Messages, Errors, Notices;  // texts joined by "\r\r"

private:
  static void Add(std::string& to, const std::string& text) { to += (to.empty() ? "" : "\r\r") + text; }
};

// Puts a sink in place for the life of the scope and puts the previous one back.
class TMessageSinkScope {
public:
  explicit TMessageSinkScope(TMessageSink& sink);
  ~TMessageSinkScope();
  TMessageSinkScope(const TMessageSinkScope&) = delete;
  TMessageSinkScope& operator=(const TMessageSinkScope&) = delete;

private:
  TMessageSink* Previous;
};

// The sink in use; by default the texts go to standard error.
TMessageSink& MessageSink();
// Sets the sink (nullptr: back to the default); returns the previous one.
TMessageSink* SetMessageSink(TMessageSink* sink);
