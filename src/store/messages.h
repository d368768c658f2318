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
};

// The sink in use; by default the texts go to standard error.
TMessageSink& MessageSink();
// Sets the sink (nullptr: back to the default); returns the previous one.
TMessageSink* SetMessageSink(TMessageSink* sink);
