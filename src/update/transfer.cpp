#include "update/transfer.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <mutex>

#include "update/signature.h"

namespace {

void InitCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TBody {
  const TTransferRequest* Request = nullptr;
  const std::atomic<bool>* Cancelled = nullptr;
  const TTransferProgress* Progress = nullptr;
  TTransferResult* Result = nullptr;
  CURL* Curl = nullptr;
  int File = -1;
  bool StatusChecked = false;
  bool TooLarge = false;
  bool WrongStatus = false;
  bool WriteFailed = false;
  bool TooSlow = false;
  std::chrono::steady_clock::time_point Start = std::chrono::steady_clock::now();
  TSha256 Sha;
};

// Past the deadline of a file of this size (the Content-Length, or the bytes
// read when the server gave none).
bool PastDeadline(const TBody& body, int64_t total, int64_t read) {
  const TTransferRequest& r = *body.Request;
  if (r.DeadlineBytesPerSecond <= 0) return false;
  const int64_t size = total > 0 ? total : read;
  const double allowed = double(r.DeadlineFloorSeconds) + double(size) / double(r.DeadlineBytesPerSecond);
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - body.Start).count();
  return elapsed > allowed;
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto& body = *static_cast<TBody*>(user);
  const size_t bytes = size * count;
  if (body.Cancelled->load()) return 0;
  if (!body.StatusChecked) {
    body.StatusChecked = true;
    long status = 0;
    curl_easy_getinfo(body.Curl, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
      body.WrongStatus = true;
      body.Result->Status = status;
      return 0;
    }
  }
  if (body.Result->BytesRead + int64_t(bytes) > body.Request->MaxBytes) {
    body.TooLarge = true;
    return 0;
  }
  if (body.File >= 0) {
    size_t done = 0;
    while (done < bytes) {
      const ssize_t n = ::write(body.File, data + done, bytes - done);
      if (n <= 0) {
        body.WriteFailed = true;
        return 0;
      }
      done += size_t(n);
    }
  } else {
    body.Result->Content.append(data, bytes);
  }
  body.Sha.Add(data, bytes);
  body.Result->BytesRead += int64_t(bytes);
  return bytes;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
  auto& body = *static_cast<TBody*>(user);
  if (body.Cancelled->load()) return 1;
  if (PastDeadline(body, int64_t(total), int64_t(now))) {
    body.TooSlow = true;
    return 1;
  }
  if (*body.Progress && now > 0) (*body.Progress)(int64_t(now), total > 0 ? int64_t(total) : -1);
  return 0;
}

}  // namespace

TTransferResult RunHttpsTransfer(const TTransferRequest& request, const std::atomic<bool>& cancelled,
                                 const TTransferProgress& progress) {
  InitCurl();
  TTransferResult result;
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) {
    result.Error = "The transfer cannot start.";
    return result;
  }
  TBody body;
  body.Request = &request;
  body.Cancelled = &cancelled;
  body.Progress = &progress;
  body.Result = &result;
  body.Curl = curl.get();
  if (!request.TargetFile.empty()) {
    body.File = ::open(request.TargetFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (body.File < 0) {
      result.Error = "The download file cannot be written.";
      return result;
    }
  }

  CURL* c = curl.get();
  char errorText[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(c, CURLOPT_URL, request.URL.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!request.CaFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, request.CaFile.c_str());
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, "InetURL/1.0");
  curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, request.ConnectTimeoutSeconds);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 100L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, request.StallTimeoutSeconds);
  if (request.TotalTimeoutSeconds > 0) curl_easy_setopt(c, CURLOPT_TIMEOUT, request.TotalTimeoutSeconds);
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(request.MaxBytes));
  if (!request.Username.empty()) curl_easy_setopt(c, CURLOPT_USERNAME, request.Username.c_str());
  if (!request.Password.empty()) curl_easy_setopt(c, CURLOPT_PASSWORD, request.Password.c_str());
  if (request.UseProxy && !request.ProxyServer.empty()) {
    const std::string proxy = request.ProxyServer + ":" + std::to_string(request.ProxyPort);
    curl_easy_setopt(c, CURLOPT_PROXY, proxy.c_str());
    if (!request.ProxyUsername.empty()) curl_easy_setopt(c, CURLOPT_PROXYUSERNAME, request.ProxyUsername.c_str());
    if (!request.ProxyPassword.empty()) curl_easy_setopt(c, CURLOPT_PROXYPASSWORD, request.ProxyPassword.c_str());
  }
  // The bypass list also overrides a no_proxy of the environment.
  if (!request.ProxyBypass.empty()) curl_easy_setopt(c, CURLOPT_NOPROXY, request.ProxyBypass.c_str());
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &WriteBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &body);

  const CURLcode code = curl_easy_perform(c);
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  curl_off_t length = -1;
  curl_easy_getinfo(c, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  result.Status = status;
  result.ContentLength = length >= 0 ? int64_t(length) : -1;

  bool fileOk = true;
  if (body.File >= 0) {
    fileOk = ::fsync(body.File) == 0;
    fileOk = ::close(body.File) == 0 && fileOk;
  }
  if (cancelled.load()) {
    result.Cancelled = true;
    result.Error = "The transfer was cancelled.";
  } else if (body.TooSlow) {
    const long seconds = long(std::chrono::duration<double>(std::chrono::steady_clock::now() - body.Start).count());
    result.Error = "The server sent the file too slowly: " + std::to_string(result.BytesRead) + " bytes" +
                   (result.ContentLength >= 0 ? " of " + std::to_string(result.ContentLength) : std::string()) +
                   " in " + std::to_string(seconds) + " seconds.";
  } else if (body.WrongStatus || (code == CURLE_OK && status != 200)) {
    result.Error = "The server answered with status " + std::to_string(status) + ".";
  } else if (body.TooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    result.Error = "The server sent more than " + std::to_string(request.MaxBytes) + " bytes.";
  } else if (body.WriteFailed || !fileOk) {
    result.Error = "The download file cannot be written.";
  } else if (code != CURLE_OK) {
    result.Error = errorText[0] ? std::string(errorText) : std::string(curl_easy_strerror(code));
  } else if (result.ContentLength >= 0 && result.ContentLength != result.BytesRead) {
    result.Error = "The server sent " + std::to_string(result.BytesRead) + " bytes of " +
                   std::to_string(result.ContentLength) + ".";
  } else {
    result.Success = true;
    result.Sha256 = body.Sha.HexDigest();
  }
  if (!result.Success && !request.TargetFile.empty()) ::unlink(request.TargetFile.c_str());
  return result;
}

TTransferResult ReadLocalFile(const std::string& path, int64_t maxBytes) {
  TTransferResult result;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    result.Error = "The File: " + path + " is Missing!";
    return result;
  }
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      result.Error = "The File: " + path + " cannot be read.";
      break;
    }
    if (n == 0) {
      result.Success = true;
      break;
    }
    if (int64_t(result.Content.size()) + n > maxBytes) {
      result.Error = "The File: " + path + " is too large.";
      break;
    }
    result.Content.append(buffer, size_t(n));
  }
  ::close(fd);
  result.BytesRead = int64_t(result.Content.size());
  if (result.Success) result.Sha256 = Sha256Hex(result.Content);
  else result.Content.clear();
  return result;
}
