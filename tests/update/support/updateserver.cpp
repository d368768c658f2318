#include "updateserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "update/signature.h"

extern char** environ;

namespace updatetest {

int RunProgram(const std::vector<std::string>& argv, const std::string& cwd, const std::string& outputFile) {
  std::vector<std::string> copy = argv;
  std::vector<char*> args;
  for (std::string& a : copy) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.empty() ? "/dev/null" : outputFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  const int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& content, unsigned mode) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path);
  }
  ::chmod(path.c_str(), mode);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

TTempFolder::TTempFolder() {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/trellane-update-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
  Folder = pattern;
}

TTempFolder::~TTempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Folder, ignored);
}

TTestKeys::TTestKeys(const std::string& folder) {
  CaFile = folder + "/ca.pem";
  CertFile = folder + "/server.pem";
  KeyFile = folder + "/server.key";
  const std::string caKey = folder + "/ca.key", csr = folder + "/server.csr", ext = folder + "/server.ext";
  WriteFile(ext, "subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n");
  const bool made =
      RunProgram({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                  "-keyout", caKey, "-out", CaFile, "-days", "2", "-subj", "/CN=Trellane Test Authority", "-addext",
                  "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign"}) == 0 &&
      RunProgram({"openssl", "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                  KeyFile, "-out", csr, "-subj", "/CN=127.0.0.1"}) == 0 &&
      RunProgram({"openssl", "x509", "-req", "-in", csr, "-CA", CaFile, "-CAkey", caKey, "-CAcreateserial", "-out",
                  CertFile, "-days", "2", "-extfile", ext}) == 0;
  if (!made) throw std::runtime_error("openssl could not make the test certificates");
  PublicKeyFile = folder + "/minisign.pub";
  SecretKeyFile = folder + "/minisign.key";
  if (RunProgram({"minisign", "-G", "-f", "-W", "-p", PublicKeyFile, "-s", SecretKeyFile}) != 0)
    throw std::runtime_error("minisign could not make the test key");
  std::istringstream lines(ReadFile(PublicKeyFile));
  std::string line;
  while (std::getline(lines, line))
    if (!line.empty() && line.rfind("untrusted comment:", 0) != 0) PublicKey = line;
}

bool TTestKeys::Sign(const std::string& file) const {
  return RunProgram({"minisign", "-S", "-s", SecretKeyFile, "-m", file, "-x", file + ".minisig", "-t",
                     "trellane test"}) == 0;
}

namespace {

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

bool CanConnect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(uint16_t(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

TWebServer::TWebServer(const TTestKeys& keys, const std::string& root) {
  for (int tries = 0; tries < 5 && Pid < 0; ++tries) {
    PortNumber = FreePort();
    std::vector<std::string> argv = {"openssl", "s_server", "-WWW", "-quiet", "-naccept", "1000000",
                                     "-accept", "127.0.0.1:" + std::to_string(PortNumber),
                                     "-cert", keys.CertFile, "-key", keys.KeyFile};
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, root.c_str());
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, "openssl", &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) throw std::runtime_error("openssl s_server cannot start");
    bool up = false;
    for (int i = 0; i < 200 && !up; ++i) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) break;  // the port was taken
      up = CanConnect(PortNumber);
      if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (up) Pid = pid;
    else {
      ::kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  if (Pid < 0) throw std::runtime_error("openssl s_server did not listen");
}

TWebServer::~TWebServer() {
  if (Pid > 0) {
    ::kill(Pid, SIGTERM);
    waitpid(Pid, nullptr, 0);
  }
}

std::string TWebServer::URL(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(PortNumber) + "/" + path;
}

TRawServer::TRawServer(const TTestKeys& keys, TAnswer answer) : Answer(std::move(answer)) {
  ::signal(SIGPIPE, SIG_IGN);
  Listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  ::setsockopt(Listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(Listener, 8) != 0)
    throw std::runtime_error("the test server cannot listen");
  socklen_t length = sizeof address;
  ::getsockname(Listener, reinterpret_cast<sockaddr*>(&address), &length);
  PortNumber = ntohs(address.sin_port);
  Thread = std::thread([this, cert = keys.CertFile, key = keys.KeyFile] { Run(cert, key); });
}

TRawServer::~TRawServer() {
  Stop = true;
  Thread.join();
  ::close(Listener);
}

std::string TRawServer::URL(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(PortNumber) + "/" + path;
}

void TRawServer::Run(const std::string& cert, const std::string& key) {
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  SSL_CTX_use_certificate_file(context, cert.c_str(), SSL_FILETYPE_PEM);
  SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM);
  while (!Stop) {
    pollfd p{Listener, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const int fd = ::accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    timeval timeout{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    SSL* ssl = SSL_new(context);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) == 1) {
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const int n = SSL_read(ssl, buffer, sizeof buffer);
        if (n <= 0) break;
        request.append(buffer, size_t(n));
      }
      ++RequestCount;
      std::string path;
      const size_t space = request.find(' ');
      if (space != std::string::npos) path = request.substr(space + 1, request.find(' ', space + 1) - space - 1);
      TConnection connection;
      connection.Send = [ssl](const std::string& bytes) {
        return bytes.empty() || SSL_write(ssl, bytes.data(), int(bytes.size())) == int(bytes.size());
      };
      connection.Wait = [this](int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!Stop && std::chrono::steady_clock::now() < end)
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
      };
      Answer(path, connection);
      SSL_shutdown(ssl);
    }
    SSL_free(ssl);
    ::close(fd);
  }
  SSL_CTX_free(context);
}

TPlainServer::TPlainServer(TAnswer answer) : Answer(std::move(answer)) {
  ::signal(SIGPIPE, SIG_IGN);
  Listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(Listener, 8) != 0)
    throw std::runtime_error("the plain test server cannot listen");
  socklen_t length = sizeof address;
  ::getsockname(Listener, reinterpret_cast<sockaddr*>(&address), &length);
  PortNumber = ntohs(address.sin_port);
  Thread = std::thread([this] {
    while (!Stop) {
      pollfd p{Listener, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      ++ConnectionCount;
      timeval timeout{2, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, size_t(n));
      }
      std::string path;
      const size_t space = request.find(' ');
      if (space != std::string::npos) path = request.substr(space + 1, request.find(' ', space + 1) - space - 1);
      const std::string answer = Answer(path);
      for (size_t done = 0; done < answer.size();) {
        const ssize_t n = ::send(fd, answer.data() + done, answer.size() - done, MSG_NOSIGNAL);
        if (n <= 0) break;
        done += size_t(n);
      }
      ::close(fd);
    }
  });
}

TPlainServer::~TPlainServer() {
  Stop = true;
  Thread.join();
  ::close(Listener);
}

std::string TPlainServer::URL(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(PortNumber) + "/" + path;
}

std::string HttpAnswer(int status, const std::string& body, const std::string& extraHeaders) {
  return "HTTP/1.0 " + std::to_string(status) + " Answer\r\nContent-Type: text/plain\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
}

std::string FileLines(int n, const std::string& base, const std::string& name, const std::string& content) {
  return "#file" + std::to_string(n) + "=" + base + name + "\r\n#sha256_" + std::to_string(n) + "=" +
         Sha256Hex(content) + "\r\n";
}

}  // namespace updatetest
