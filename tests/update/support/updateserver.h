#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// What the update tests serve from: a temporary folder, a certificate
// authority and a server certificate for 127.0.0.1 made with openssl, a
// minisign key, "openssl s_server -WWW" over a web folder, and a TLS server
// of our own for answers that misbehave. Only 127.0.0.1 is ever used.

namespace updatetest {

// Runs a program (searched in PATH), waits; its exit code, -1 when it could
// not run. Output goes to /dev/null unless outputFile is given.
int RunProgram(const std::vector<std::string>& argv, const std::string& cwd = {},
               const std::string& outputFile = {});

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content, unsigned mode = 0644);
bool Exists(const std::string& path);

class TTempFolder {
public:
  TTempFolder();
  ~TTempFolder();
  const std::string& Path() const { return Folder; }
  std::string operator/(const std::string& name) const { return Folder + "/" + name; }

private:
  std::string Folder;
};

// The test authority, the server certificate and key, the minisign keys.
struct TTestKeys {
  explicit TTestKeys(const std::string& folder);
  std::string CaFile, CertFile, KeyFile;
  std::string PublicKeyFile, SecretKeyFile;
  std::string PublicKey;  // the base64 line
  // Writes file.minisig; false when minisign failed.
  bool Sign(const std::string& file) const;
};

// openssl s_server -WWW serving Root on a free port of 127.0.0.1.
class TWebServer {
public:
  TWebServer(const TTestKeys& keys, const std::string& root);
  ~TWebServer();
  int Port() const { return PortNumber; }
  std::string URL(const std::string& path = {}) const;

private:
  int Pid = -1;
  int PortNumber = 0;
};

// A TLS server of our own on 127.0.0.1, one connection at a time: the answer
// function gets the request path and sends what it likes (Send), possibly
// waiting (Wait returns early when the server stops).
class TRawServer {
public:
  struct TConnection {
    std::function<bool(const std::string& bytes)> Send;
    std::function<void(int ms)> Wait;
  };
  using TAnswer = std::function<void(const std::string& path, TConnection& connection)>;
  TRawServer(const TTestKeys& keys, TAnswer answer);
  ~TRawServer();
  int Port() const { return PortNumber; }
  std::string URL(const std::string& path = {}) const;
  int Requests() const { return RequestCount; }

private:
  void Run(const std::string& cert, const std::string& key);
  TAnswer Answer;
  int Listener = -1;
  int PortNumber = 0;
  std::atomic<bool> Stop{false};
  std::atomic<int> RequestCount{0};
  std::thread Thread;
};

// A plain-text HTTP server on 127.0.0.1, one connection at a time: answers
// each request path with what answer returns, and counts the connections
// that reached it.
class TPlainServer {
public:
  using TAnswer = std::function<std::string(const std::string& path)>;
  explicit TPlainServer(TAnswer answer);
  ~TPlainServer();
  std::string URL(const std::string& path = {}) const;
  int Connections() const { return ConnectionCount; }

private:
  TAnswer Answer;
  int Listener = -1;
  int PortNumber = 0;
  std::atomic<bool> Stop{false};
  std::atomic<int> ConnectionCount{0};
  std::thread Thread;
};

// A full HTTP/1.0 answer with a Content-Length.
std::string HttpAnswer(int status, const std::string& body, const std::string& extraHeaders = {});

// Description lines for files: "#file<n>=<base><name>" and its SHA-256.
std::string FileLines(int n, const std::string& base, const std::string& name, const std::string& content);

}  // namespace updatetest
