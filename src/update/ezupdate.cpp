#include "update/ezupdate.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "core/text.h"
#include "update/selfinstall.h"
#include "update/signature.h"

namespace fs = std::filesystem;

namespace {

std::string WithSlash(const std::string& dir) {
  if (dir.empty() || dir.back() == '/') return dir;
  return dir + "/";
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[48];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
  return text;
}

// The file scheme's description text: every line after a "#MyWay" line,
// each behind an LF and a CR.
std::string FileSchemeText(const std::string& raw) {
  std::string text = "#MyWay\n\r";
  size_t start = 0;
  while (start < raw.size()) {
    size_t end = raw.find('\n', start);
    if (end == std::string::npos) end = raw.size();
    std::string line = raw.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text += "\n\r" + line;
    start = end + 1;
  }
  return text;
}

using TClock = std::chrono::steady_clock;

}  // namespace

struct TEZUpdate::TTransfer {
  bool Check = false;
  std::string URL;
  std::string File;  // the download's temporary file
  uint64_t Serial = 0;
  TClock::time_point Start = TClock::now();
  std::atomic<bool> Cancelled{false};
  TTransferResult Result;
  TTransferResult Signature;  // of a check
  std::thread Thread;
  ~TTransfer() {
    Cancelled = true;
    if (Thread.joinable()) Thread.join();
  }
};

TEZUpdate::TEZUpdate(const std::string& programDir) : VersionDate(Today()), ProgramDir(WithSlash(programDir)) {}

TEZUpdate::~TEZUpdate() {
  OnAbort = nullptr;
  AbortSilently();
  CheckTransfer.reset();
  DownloadTransfer.reset();
}

void TEZUpdate::Post(TEvent event) {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Events.push_back(std::move(event));
  }
  Signal.notify_all();
  // Wake is set before any thread starts and only cleared once all are joined.
  if (Wake) Wake();
}

bool TEZUpdate::Busy() const {
  if (CheckTransfer || DownloadTransfer) return true;
  std::lock_guard<std::mutex> guard(Lock);
  return !Events.empty();
}

TTransferRequest TEZUpdate::MakeRequest(const std::string& url, int64_t maxBytes, const std::string& file) const {
  TTransferRequest r;
  r.URL = url;
  r.MaxBytes = maxBytes;
  r.TargetFile = file;
  r.CaFile = CaFile;
  r.Username = Username;
  r.Password = Password;
  r.UseProxy = Proxy.UseProxy;
  r.ProxyServer = TrimBlanks(Proxy.ProxyServer);
  r.ProxyPort = Proxy.ProxyPort;
  r.ProxyBypass = TrimBlanks(Proxy.ProxyBypass);
  r.ProxyUsername = TrimBlanks(Proxy.Username);
  r.ProxyPassword = TrimBlanks(Proxy.Password);
  r.ConnectTimeoutSeconds = ConnectTimeoutSeconds;
  r.StallTimeoutSeconds = StallTimeoutSeconds;
  return r;
}

void TEZUpdate::StartTransfer(std::unique_ptr<TTransfer>& slot, bool check, const std::string& url,
                              const std::string& file) {
  slot = std::make_unique<TTransfer>();
  TTransfer* t = slot.get();
  t->Check = check;
  t->URL = url;
  t->File = file;
  t->Serial = ++Serial;
  const bool fileScheme = UpdateScheme == usFILE;
  TTransferRequest request = MakeRequest(url, check ? int64_t(MaxDescriptionBytes) : MaxUpdateFileBytes, file);
  if (check) {
    request.TotalTimeoutSeconds = ConnectTimeoutSeconds + 2 * StallTimeoutSeconds;
  } else {
    request.DeadlineFloorSeconds = DownloadDeadlineFloorSeconds;
    request.DeadlineBytesPerSecond = DownloadDeadlineBytesPerSecond;
  }
  t->Thread = std::thread([this, t, request, fileScheme] {
    // A server that closes early must not end the program with SIGPIPE.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    auto lastReport = TClock::now() - std::chrono::seconds(1);
    int lastPercent = -1;
    TTransferProgress progress;
    if (!t->Check)
      progress = [&](int64_t read, int64_t total) {
        const int percent = total > 0 ? int(read * 100 / total) : 0;
        const auto now = TClock::now();
        if (percent == lastPercent && now - lastReport < std::chrono::milliseconds(200)) return;
        lastPercent = percent;
        lastReport = now;
        TEvent e;
        e.Kind = TEvent::Progress;
        e.Serial = t->Serial;
        e.Read = read;
        e.Total = total;
        Post(std::move(e));
      };
    if (fileScheme) {
      t->Result = ReadLocalFile(request.URL, int64_t(MaxDescriptionBytes));
      if (t->Result.Success) t->Signature = ReadLocalFile(request.URL + ".minisig", int64_t(MaxSignatureBytes));
    } else {
      t->Result = RunHttpsTransfer(request, t->Cancelled, progress);
      if (t->Check && t->Result.Success && !t->Cancelled) {
        TTransferRequest sig = request;
        sig.URL = request.URL + ".minisig";
        sig.MaxBytes = int64_t(MaxSignatureBytes);
        t->Signature = RunHttpsTransfer(sig, t->Cancelled, {});
      }
    }
    TEvent e;
    e.Kind = TEvent::Ended;
    e.Serial = t->Serial;
    Post(std::move(e));
  });
}

void TEZUpdate::PrepareDownloadFolder() {
  Folder.clear();
  std::string folder;
  if (TempDirOption == toWindowsTempDir) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = WithSlash(tmp && *tmp ? tmp : "/tmp") + TempDir + ".XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("The download folder cannot be created.");
    folder = pattern;
  } else {
    folder = ProgramDir + TempDir;
    struct stat st {};
    if (::lstat(folder.c_str(), &st) == 0) {
      // A folder of an earlier check: ours, made fresh.
      if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        std::error_code ignored;
        fs::remove(folder, ignored);
      } else {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
      }
    }
    if (::mkdir(folder.c_str(), 0700) != 0) throw std::runtime_error("The download folder cannot be created.");
  }
  if (::chmod(folder.c_str(), 0700) != 0) throw std::runtime_error("The download folder cannot be made private.");
  Folder = folder;
}

bool TEZUpdate::CheckForUpdate() {
  if (CheckTransfer || DownloadTransfer) return false;
  Values = {};
  DescriptionText.clear();
  UpdateAvailableFlag = false;
  AbortedFlag = false;
  LastFile = false;
  Queue.clear();
  // Without a key no description could ever be trusted: nothing is asked of
  // the server and no download folder is made.
  if (std::string problem = CheckMinisignKey(PublicKey); !problem.empty()) {
    TEvent event;
    event.Kind = TEvent::Failure;
    event.ErrorKind = ekDescription;
    event.Reason = problem;
    Post(std::move(event));
    return true;
  }
  if (SelfInstallAllowed) {
    try {
      PrepareDownloadFolder();
    } catch (const std::exception& e) {
      TEvent event;
      event.Kind = TEvent::Failure;
      event.ErrorKind = ekConnect;
      event.Reason = e.what();
      Post(std::move(event));
      return true;
    }
  }
  StartTransfer(CheckTransfer, true, UpdateFileURL, {});
  return true;
}

void TEZUpdate::AbortSilently() {
  AbortedFlag = true;
  if (CheckTransfer) CheckTransfer->Cancelled = true;
  if (DownloadTransfer) DownloadTransfer->Cancelled = true;
  Queue.clear();
}

void TEZUpdate::Abort() {
  AbortSilently();
  if (OnAbort) OnAbort();
}

void TEZUpdate::Fail(TUpdateErrorKind kind, const std::string& reason) {
  if (!AbortedFlag && OnError) OnError(kind, reason);
  AbortSilently();
}

bool TEZUpdate::WaitAndProcessEvents(int ms) {
  {
    std::unique_lock<std::mutex> guard(Lock);
    if (!Signal.wait_for(guard, std::chrono::milliseconds(ms), [&] { return !Events.empty(); })) return false;
  }
  ProcessEvents();
  return true;
}

void TEZUpdate::ProcessEvents() {
  if (Dispatching) return;
  Dispatching = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{Dispatching};
  for (;;) {
    TEvent event;
    {
      std::lock_guard<std::mutex> guard(Lock);
      if (Events.empty()) return;
      event = std::move(Events.front());
      Events.pop_front();
    }
    if (event.Kind == TEvent::Failure) {
      Fail(event.ErrorKind, event.Reason);
    } else if (event.Kind == TEvent::Progress) {
      Progress(event);
    } else if (CheckTransfer && CheckTransfer->Serial == event.Serial) {
      std::unique_ptr<TTransfer> done = std::move(CheckTransfer);
      done->Thread.join();
      CheckDone(*done);
    } else if (DownloadTransfer && DownloadTransfer->Serial == event.Serial) {
      std::unique_ptr<TTransfer> done = std::move(DownloadTransfer);
      done->Thread.join();
      DownloadDone(*done);
    }
  }
}

void TEZUpdate::Progress(const TEvent& event) {
  if (!DownloadTransfer || DownloadTransfer->Serial != event.Serial || DownloadTransfer->Cancelled || !OnDownload)
    return;
  TDownloadProgress p;
  const int64_t elapsed =
      std::chrono::duration_cast<std::chrono::seconds>(TClock::now() - DownloadTransfer->Start).count();
  p.TimeElapse = elapsed;
  p.NumberOfByteRead = event.Read;
  p.ServerFileSize = event.Total > 0 ? event.Total : 0;
  p.TransferRate = double(event.Read) / 1024.0 / double(elapsed > 0 ? elapsed : 1);
  if (event.Total > 0 && event.Read > 0) {
    p.TimeLeft = std::llround(double(event.Total) / double(event.Read) * double(elapsed) - double(elapsed));
    if (p.TimeLeft < 0) p.TimeLeft = 0;
    const double percent = std::round(double(event.Read) * 100.0 / double(event.Total));
    p.PercentageRead = int(std::clamp(percent, 0.0, 100.0));
  }
  p.ServerFileName = Current.Name;
  OnDownload(p);
}

void TEZUpdate::CheckDone(TTransfer& t) {
  UpdateAvailableFlag = false;
  if (!t.Result.Success || t.Cancelled) {
    Fail(ekConnect, t.Result.Error);
    return;
  }
  if (!t.Signature.Success) {
    Fail(ekDescription, "The signature of the update description cannot be fetched: " + t.Signature.Error);
    return;
  }
  const std::string verdict = VerifyMinisignSignature(t.Result.Content, t.Signature.Content, PublicKey);
  if (!verdict.empty()) {
    Fail(ekDescription, verdict);
    return;
  }
  const bool fileScheme = UpdateScheme == usFILE;
  DescriptionText = fileScheme ? FileSchemeText(t.Result.Content) : t.Result.Content;
  Values = ReadUpdateDescription(DescriptionText, fileScheme);

  // The version comes first: an old signed description, replayed, must not
  // send the user anywhere.
  const bool hasVersion = VersionCheck == useNumber ? !VersionNumbers(Values.Version).empty()
                                                    : !DateKey(Values.Date).empty();
  if (!hasVersion) {
    if (OnUpdateFileMissing) OnUpdateFileMissing();
    return;
  }
  const bool newer = VersionCheck == useNumber ? IsNewerVersion(Values.Version, VersionNumber)
                                               : IsNewerDate(Values.Date, VersionDate);
  if (!newer) {
    if (OnNoUpdate) OnNoUpdate();
    return;
  }
  if (!Values.RedirectToURL.empty()) {
    if (!IsWebAddress(Values.RedirectToURL) || LowerText(Values.RedirectToURL).rfind("https://", 0) != 0) {
      Fail(ekDescription, "The update description refers to an address that is not an https address.");
      return;
    }
    TUserDialogs& dialogs = Dialogs ? *Dialogs : UserDialogs();
    if (dialogs.AskYesNo("The update server refers to this page:\r" + Values.RedirectToURL +
                             "\r\rOpen it in the web browser?",
                         "Trellane") == mrYes)
      dialogs.OpenWithDesktop(Values.RedirectToURL);
    if (OnRedirectToURL) OnRedirectToURL();
    return;
  }
  UpdateAvailableFlag = true;
  if (TrimBlanks(Values.Message).empty() && TrimBlanks(Values.FormCaption).empty()) {
    if (OnUpdateFileMissing) OnUpdateFileMissing();
    return;
  }
  std::string problem = CheckUpdateFiles(Values, fileScheme);
  for (const TUpdateFile& f : Values.Files)
    if (f.Name == TempFileName) problem = "The update description names a file " + f.Name + ".";
  if (!problem.empty()) {
    Fail(ekDescription, problem);
    return;
  }
  if (!SelfInstallAllowed) {
    if (OnNewVersionElsewhere) OnNewVersionElsewhere(TrimBlanks(Values.Version), Values.Message, Values.WebPage);
    return;
  }
  if (UpdateOption == uoManual) {
    if (OnCheckUpdateDone) OnCheckUpdateDone();
    return;
  }
  if (Values.Files.empty()) {
    Fail(ekDescription, "The update description lists no files.");
    return;
  }
  if ((Dialogs ? *Dialogs : UserDialogs()).AskYesNo(Values.Message, Values.FormCaption) != mrYes) return;
  if (AbortedFlag) return;
  Queue.assign(Values.Files.begin(), Values.Files.end());

  if (fileScheme) {
    // The first file is copied from its path.
    const TUpdateFile file = Queue.front();
    Queue.clear();
    const TTransferResult read = ReadLocalFile(file.Address, MaxUpdateFileBytes);
    if (!read.Success) {
      Fail(ekDownload, read.Error);
      return;
    }
    if (read.Sha256 != file.Sha256) {
      Fail(ekDownload, "The file " + file.Name + " does not match its SHA-256.");
      return;
    }
    Current = file;
    const std::string target = Folder + "/" + file.Name;
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    const bool written = fd >= 0 && ::write(fd, read.Content.data(), read.Content.size()) == ssize_t(read.Content.size()) &&
                         ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!written) {
      Fail(ekDownload, "The file " + file.Name + " cannot be written.");
      return;
    }
    if (file.Name == Values.ExecuteFile) ::chmod(target.c_str(), 0700);
    LastFile = true;
    if (OnCheckUpdateDone) OnCheckUpdateDone();
    if (OnFinish) OnFinish(read.BytesRead);
    if (!AbortedFlag) StartExecuteFile();
    return;
  }
  if (OnCheckUpdateDone) OnCheckUpdateDone();
  if (!AbortedFlag) DownloadNext();
}

void TEZUpdate::DownloadNext() {
  LastFile = false;
  AbortedFlag = false;
  if (Queue.empty()) {
    LastFile = true;
    return;
  }
  Current = Queue.front();
  Queue.pop_front();
  StartTransfer(DownloadTransfer, false, Current.Address, Folder + "/" + TempFileName);
  if (Queue.empty()) LastFile = true;
}

void TEZUpdate::DownloadDone(TTransfer& t) {
  if (!t.Result.Success || t.Cancelled) {
    Fail(ekDownload, t.Result.Error);
    return;
  }
  if (t.Result.Sha256 != Current.Sha256) {
    ::unlink(t.File.c_str());
    Fail(ekDownload, "The file " + Current.Name + " does not match its SHA-256.");
    return;
  }
  const std::string target = Folder + "/" + Current.Name;
  if (::rename(t.File.c_str(), target.c_str()) != 0) {
    ::unlink(t.File.c_str());
    Fail(ekDownload, "The file " + Current.Name + " cannot be stored.");
    return;
  }
  if (Current.Name == Values.ExecuteFile) ::chmod(target.c_str(), 0700);
  if (LastFile && OnFinish) OnFinish(t.Result.BytesRead);
  if (!AbortedFlag && !LastFile) {
    DownloadNext();
    return;
  }
  if (!AbortedFlag) StartExecuteFile();
}

void TEZUpdate::StartExecuteFile() {
  if (UpdateOption != uoAutomatic || Values.ExecuteFile.empty()) return;
  const std::string path = Folder + "/" + Values.ExecuteFile;
  // Checked once more: nothing that differs from the signed description runs.
  const auto file = std::find_if(Values.Files.begin(), Values.Files.end(),
                                 [&](const TUpdateFile& f) { return f.Name == Values.ExecuteFile; });
  if (file == Values.Files.end() || Sha256OfFile(path) != file->Sha256) {
    Fail(ekDownload, "The file to start does not match its SHA-256.");
    return;
  }
  if (Values.ApplicationTerminate && CloseApplication && !CloseApplication()) return;
  const bool started = (Dialogs ? *Dialogs : UserDialogs()).StartProgram(path);
  if (!started) {
    Fail(ekDownload, "The file " + Values.ExecuteFile + " cannot be started.");
    return;
  }
  if (Values.ApplicationTerminate && TerminateApplication) TerminateApplication();
}
