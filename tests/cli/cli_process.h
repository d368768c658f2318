#pragma once
// Runs the real command-line tool and captures what it prints.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct TCliResult {
  int Status = -1;
  std::string Out, Err;
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// Arguments are passed through the shell, single-quoted.
inline TCliResult RunCli(const std::string& arguments, const std::string& environment = "LC_ALL=C") {
  static int counter = 0;
  const std::string base = (std::filesystem::temp_directory_path() /
                            ("trellane-cli-" + std::to_string(getpid()) + "-" + std::to_string(counter++)))
                               .string();
  const std::string command = environment + " " + TRELLANE_CLI + std::string(" ") + arguments + " >" + base +
                              ".out 2>" + base + ".err </dev/null";
  const int raw = std::system(command.c_str());
  TCliResult result;
  result.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.Out = ReadWholeFile(base + ".out");
  result.Err = ReadWholeFile(base + ".err");
  std::filesystem::remove(base + ".out");
  std::filesystem::remove(base + ".err");
  return result;
}

inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A scratch file that is removed again.
struct TScratchFile {
  explicit TScratchFile(const std::string& content, const std::string& extension = ".json") {
    static int counter = 0;
    Path = (std::filesystem::temp_directory_path() /
            ("trellane-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + extension))
               .string();
    std::ofstream(Path, std::ios::binary) << content;
  }
  ~TScratchFile() { std::filesystem::remove(Path); }
  std::string Path;
};
