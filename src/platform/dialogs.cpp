#include "platform/dialogs.h"

#include <spawn.h>
#include <sys/wait.h>

#include <iostream>

extern char** environ;

bool StartDetachedProgram(const std::string& path, const std::vector<std::string>& arguments) {
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return false;
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  std::vector<std::string> words{path};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int result = posix_spawn(&pid, path.c_str(), nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  return result == 0;
}

namespace {
// Without a desktop: texts to standard error, questions answered No, the
// desktop's opener through xdg-open on PATH.
class TStderrDialogs : public TUserDialogs {
public:
  void ShowMessage(const std::string& text, const std::string&) override { std::cerr << text << "\n"; }
  void ShowError(const std::string& text) override { std::cerr << text << "\n"; }
  TModalResult AskYesNo(const std::string& text, const std::string&) override {
    std::cerr << text << "\n";
    return mrNo;
  }
  TModalResult AskYesNoCancel(const std::string& text, const std::string&) override {
    std::cerr << text << "\n";
    return mrCancel;
  }
  bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
  bool AskRetry(const std::string& text) override {
    std::cerr << text << "\n";
    return false;
  }
  bool HasClipboardText() override { return false; }
  std::string ClipboardText() override { return {}; }
  void SetClipboardText(const std::string&) override {}
  bool OpenWithDesktop(const std::string& fileOrAddress) override {
    std::vector<std::string> words{"xdg-open", fileOrAddress};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  bool StartProgram(const std::string& path, const std::vector<std::string>& arguments) override {
    return StartDetachedProgram(path, arguments);
  }
};

TStderrDialogs DefaultDialogs;
TUserDialogs* CurrentDialogs = &DefaultDialogs;
}  // namespace

TUserDialogs& UserDialogs() { return *CurrentDialogs; }

TUserDialogs* SetUserDialogs(TUserDialogs* dialogs) {
  TUserDialogs* previous = CurrentDialogs == &DefaultDialogs ? nullptr : CurrentDialogs;
  CurrentDialogs = dialogs ? dialogs : &DefaultDialogs;
  return previous;
}

TUserDialogsScope::TUserDialogsScope(TUserDialogs& dialogs) : Previous(SetUserDialogs(&dialogs)) {}
TUserDialogsScope::~TUserDialogsScope() { SetUserDialogs(Previous); }

void TCollectingDialogs::ShowMessage(const std::string& text, const std::string& caption) {
  Add(Messages, text);
  Log.push_back(caption + "|" + text);
}

TModalResult TCollectingDialogs::Next(bool withCancel) {
  TModalResult answer = DefaultAnswer;
  if (!Answers.empty()) {
    answer = Answers.front();
    Answers.pop_front();
  }
  if (!withCancel && answer != mrYes) answer = mrNo;
  return answer;
}

TModalResult TCollectingDialogs::AskYesNo(const std::string& text, const std::string& caption) {
  Log.push_back(caption + "|" + text);
  return Next(false);
}

TModalResult TCollectingDialogs::AskYesNoCancel(const std::string& text, const std::string& caption) {
  Log.push_back(caption + "|" + text);
  return Next(true);
}

bool TCollectingDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
  Log.push_back(caption + "|" + prompt);
  if (Inputs.empty()) return false;
  value = Inputs.front();
  Inputs.pop_front();
  return true;
}

bool TCollectingDialogs::AskRetry(const std::string& text) {
  Log.push_back("|" + text);
  if (RetryAnswers <= 0) return false;
  --RetryAnswers;
  return true;
}

bool TCollectingDialogs::OpenWithDesktop(const std::string& fileOrAddress) {
  Opened.push_back(fileOrAddress);
  return OpenResult;
}

bool TCollectingDialogs::StartProgram(const std::string& path, const std::vector<std::string>&) {
  Started.push_back(path);
  return StartResult;
}
