#pragma once
// Scratch folders, the schedule maker (Debian's python3 with openpyxl) and
// the command-line tool as a real process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace scheduletest {

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

inline void Spit(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct TRun {
  int Status = -1;
  std::string Out, Err;
};

// Runs a shell command line, capturing both outputs.
inline TRun Run(const std::string& command, const std::string& scratch) {
  const std::string out = scratch + "/run.out", err = scratch + "/run.err";
  const int raw = std::system((command + " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null").c_str());
  TRun r;
  r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.Out = Slurp(out);
  r.Err = Slurp(err);
  return r;
}

// A folder of its own per test, removed afterwards.
class TScratch {
public:
  TScratch() {
    static int counter = 0;
    Dir = (std::filesystem::temp_directory_path() /
           ("trellane-schedule-" + std::to_string(getpid()) + "-" + std::to_string(counter++)))
              .string();
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
  }
  ~TScratch() { std::filesystem::remove_all(Dir); }
  std::string Path(const std::string& name) const { return Dir + "/" + name; }

  // Runs make_schedules.py with these arguments; fails the test when it fails.
  void Make(const std::string& arguments) const {
    const TRun r = Run("/usr/bin/python3 " + Quote(SCHEDULE_MAKER) + " " + arguments, Dir);
    ASSERT_EQ(r.Status, 0) << r.Err;
  }

  std::string Dir;
};

}  // namespace scheduletest
