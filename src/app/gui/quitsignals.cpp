#include "app/gui/quitsignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int Pipe[2] = {-1, -1};
QSocketNotifier* Notifier = nullptr;
std::function<void(int)> Action;
constexpr int Signals[] = {SIGTERM, SIGHUP, SIGINT};

void Handler(int signal) {
  const unsigned char byte = static_cast<unsigned char>(signal);
  const int saved = errno;
  [[maybe_unused]] const ssize_t n = ::write(Pipe[0], &byte, 1);
  errno = saved;
}

}  // namespace

bool InstallQuitSignals(std::function<void(int)> action) {
  RemoveQuitSignals();
  // The pair first: a signal may come as soon as the handler is set.
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, Pipe) != 0) return false;
  Action = std::move(action);
  Notifier = new QSocketNotifier(Pipe[1], QSocketNotifier::Read);
  QObject::connect(Notifier, &QSocketNotifier::activated, [] {
    Notifier->setEnabled(false);
    unsigned char byte = 0;
    if (::read(Pipe[1], &byte, 1) != 1) byte = 0;
    if (Action) Action(byte);
    if (Notifier) Notifier->setEnabled(true);
  });
  struct sigaction sa = {};
  sa.sa_handler = Handler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  bool ok = true;
  for (int s : Signals) ok = ::sigaction(s, &sa, nullptr) == 0 && ok;
  return ok;
}

void RemoveQuitSignals() {
  for (int s : Signals) std::signal(s, SIG_DFL);
  delete Notifier;
  Notifier = nullptr;
  for (int& fd : Pipe) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  Action = nullptr;
}
