#include "reports/tempreport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "core/errors.h"

namespace {
bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

std::string WriteNewReportFile(const std::string& folder, const std::string& bytes, uint64_t tick) {
  std::string dir = folder.empty() ? std::string(".") : folder;
  if (dir.back() != '/') dir += '/';
  const std::string stem = dir + "$Transitreport_" + std::to_string(tick);
  for (int attempt = 1; attempt <= 1000; ++attempt) {
    std::string path = stem;
    if (attempt > 1) path.append("_").append(std::to_string(attempt));
    path += ".rtf";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST || errno == ELOOP) continue;  // taken (a file or a link): the next name
      throw TError("Cannot create the report file " + path + ": " + std::strerror(errno));
    }
    const bool written = WriteAll(fd, bytes);
    const int error = errno;
    if (::close(fd) != 0 || !written) {
      ::unlink(path.c_str());
      throw TError("Cannot write the report file " + path + ": " + std::strerror(written ? errno : error));
    }
    return path;
  }
  throw TError("Cannot create the report file " + stem + ".rtf: every name is taken");
}

uint64_t TickCountMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
}
