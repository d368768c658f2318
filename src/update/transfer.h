#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// One HTTPS GET through libcurl, run on the calling (transfer) thread:
// certificate checks on, no redirects followed, status 200 required, the
// body bounded, stalls and slow connects ended by time-outs.

struct TTransferRequest {
  std::string URL;
  int64_t MaxBytes = 0;
  std::string TargetFile;  // empty: the body is kept in memory
  std::string CaFile;      // extra certificate authorities (empty: the system's)
  std::string Username, Password;
  bool UseProxy = false;
  std::string ProxyServer;
  int ProxyPort = 8080;
  std::string ProxyBypass;
  std::string ProxyUsername, ProxyPassword;
  long ConnectTimeoutSeconds = 20;
  long StallTimeoutSeconds = 30;  // less than 100 bytes a second for this long ends it
  long TotalTimeoutSeconds = 0;   // 0: none
  // An overall deadline that grows with the file: DeadlineFloorSeconds plus
  // its size (the Content-Length, else the bytes read so far) at
  // DeadlineBytesPerSecond. 0 bytes a second: no such deadline.
  long DeadlineFloorSeconds = 60;
  int64_t DeadlineBytesPerSecond = 0;
};

struct TTransferResult {
  bool Success = false;
  bool Cancelled = false;
  std::string Error;           // why it failed, for the log of tests and details
  long Status = 0;             // HTTP status
  int64_t ContentLength = -1;  // -1: not given
  int64_t BytesRead = 0;
  std::string Content;  // the body, when kept in memory
  std::string Sha256;   // of the body, lower-case hex
};

// progress(read, total) runs on the transfer thread; total is -1 when the
// server gave no length.
using TTransferProgress = std::function<void(int64_t read, int64_t total)>;
TTransferResult RunHttpsTransfer(const TTransferRequest& request, const std::atomic<bool>& cancelled,
                                 const TTransferProgress& progress);

// Reads a local file of at most maxBytes into result.Content.
TTransferResult ReadLocalFile(const std::string& path, int64_t maxBytes);
