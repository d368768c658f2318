#pragma once
#include "platform/dialogs.h"
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "update/description.h"
#include "update/transfer.h"

enum TctTempDirOption : uint8_t { toWindowsTempDir, toApplicationPath };  // the first: the system's temporary folder
enum TctUpdateOption : uint8_t { uoAutomatic, uoManual };
enum TctUpdateScheme : uint8_t { usHTTP, usFILE };
enum TctCheckingMethod : uint8_t { useNumber, useDate };

struct TEZProxy {
  int ProxyPort = 8080;
  std::string ProxyServer;
  std::string ProxyBypass = "127.0.0.1";
  bool UseProxy = false;
  std::string Username, Password;
};

struct TDownloadProgress {
  int64_t TimeLeft = 0, TimeElapse = 0, ServerFileSize = 0, NumberOfByteRead = 0;
  int PercentageRead = 0;  // 0 to 100
  std::string ServerFileName;
  double TransferRate = 0;  // KB per second
};

// What failed: reaching the server for the description, the description
// itself (signature, version, files), or a download after the user agreed.
enum TUpdateErrorKind : uint8_t { ekConnect, ekDescription, ekDownload };

// Checks the update server for a newer version and, in automatic mode,
// downloads the files the signed description lists, checks each against its
// SHA-256 and starts the execute file. Transfers run on threads of their
// own; their progress and ends are queued and handled on the thread that
// calls ProcessEvents (the interface thread), where every event fires. The
// destructor cancels and joins every transfer.
class TEZUpdate {
public:
  // programDir: the folder of the program, with or without a trailing "/".
  explicit TEZUpdate(const std::string& programDir);
  ~TEZUpdate();
  TEZUpdate(const TEZUpdate&) = delete;
  TEZUpdate& operator=(const TEZUpdate&) = delete;

  bool Active = true;
  std::string UpdateFileURL;
  std::string Username, Password;
  TctTempDirOption TempDirOption = toApplicationPath;
  std::string TempDir = "_eztemp";
  std::string TempFileName = "_7608484.sam";
  TctUpdateOption UpdateOption = uoAutomatic;
  TctUpdateScheme UpdateScheme = usHTTP;
  TctCheckingMethod VersionCheck = useNumber;
  std::string VersionNumber = "1.0";
  std::string VersionDate;  // mm/dd/yyyy, today at creation
  TEZProxy Proxy;
  // The minisign public key the description must be signed with. Without a
  // usable one a check asks nothing of the server and ends in OnError.
  std::string PublicKey;
  // Extra certificate authorities for the server (empty: the system's).
  std::string CaFile;
  long ConnectTimeoutSeconds = 20;
  long StallTimeoutSeconds = 30;
  // Each download must end within this floor plus its size at this rate; a
  // server that trickles fails with a clear reason.
  long DownloadDeadlineFloorSeconds = 60;
  int64_t DownloadDeadlineBytesPerSecond = 20 * 1024;
  // False for a copy the user cannot replace (a system install): a newer
  // version is only told through OnNewVersionElsewhere, nothing is fetched.
  bool SelfInstallAllowed = true;

  // Events, fired on the thread that calls ProcessEvents.
  std::function<void(const TDownloadProgress&)> OnDownload;
  std::function<void(int64_t fileSize)> OnFinish;
  std::function<void()> OnAbort, OnUpdateFileMissing, OnCheckUpdateDone, OnRedirectToURL, OnNoUpdate;
  std::function<void(TUpdateErrorKind kind, const std::string& reason)> OnError;
  std::function<void(const std::string& version, const std::string& message, const std::string& webPage)>
      OnNewVersionElsewhere;

  // The desktop: the update question (the description's message under its
  // caption), the question before a redirect address is opened, the opener
  // and the start of the downloaded program. Null: the program's dialogs.
  TUserDialogs* Dialogs = nullptr;
  // The normal close of the program before the installer starts (editors
  // asked, everything saved); false when the user keeps it open.
  std::function<bool()> CloseApplication;
  std::function<void()> TerminateApplication;
  // Called from a transfer thread when events wait: the owner arranges for
  // ProcessEvents to run on its own thread soon.
  std::function<void()> Wake;

  // Starts a check unless one is running (then false).
  bool CheckForUpdate();
  void Abort();
  void AbortSilently();
  // Handles the queued events; re-entrant calls return at once.
  void ProcessEvents();
  // For owners without an event loop: waits up to ms for an event, then
  // handles what is queued. False when nothing came.
  bool WaitAndProcessEvents(int ms);

  // A check or download is running or its end is not handled yet.
  bool Busy() const;
  bool UpdateAvailable() const { return UpdateAvailableFlag; }
  bool Aborted() const { return AbortedFlag; }
  const std::string& DownloadFolder() const { return Folder; }
  const TUpdateDescription& Description() const { return Values; }
  const std::string& LastDescriptionText() const { return DescriptionText; }

private:
  struct TTransfer;
  struct TEvent {
    enum TKind : uint8_t { Progress, Ended, Failure } Kind = Progress;
    uint64_t Serial = 0;
    int64_t Read = 0, Total = -1;
    TUpdateErrorKind ErrorKind = ekConnect;
    std::string Reason;
  };
  void Post(TEvent event);
  void StartTransfer(std::unique_ptr<TTransfer>& slot, bool check, const std::string& url, const std::string& file);
  TTransferRequest MakeRequest(const std::string& url, int64_t maxBytes, const std::string& file) const;
  void PrepareDownloadFolder();
  void CheckDone(TTransfer& transfer);
  void DownloadDone(TTransfer& transfer);
  void DownloadNext();
  void StartExecuteFile();
  void Fail(TUpdateErrorKind kind, const std::string& reason);
  void Progress(const TEvent& event);

  std::string ProgramDir;
  std::string Folder;
  TUpdateDescription Values;
  std::string DescriptionText;
  bool UpdateAvailableFlag = false;
  bool AbortedFlag = false;
  bool LastFile = false;
  bool Dispatching = false;
  std::deque<TUpdateFile> Queue;
  TUpdateFile Current;
  std::unique_ptr<TTransfer> CheckTransfer, DownloadTransfer;
  uint64_t Serial = 0;

  mutable std::mutex Lock;
  std::condition_variable Signal;
  std::deque<TEvent> Events;  // guarded by Lock
};
