// A second program using the store, for the tests that need two processes.
//   store_probe load PATH          load; exit 0, or 3 when the file is held elsewhere
//   store_probe save PATH COUNT    load, add COUNT conduit records, save
//   store_probe hold PATH          load, print "ready", wait for a line on stdin
//   store_probe race PATH          wait for a line on stdin (the start), load, print
//                                  "running" and wait for another line (exit 3 when refused)
//   store_probe peak PROGRAM ARG...  run the program, print "status S peak KIB": its exit
//                                  status and peak memory (a process started by a small
//                                  one, so that no big parent's pages count)
// Messages meant for the user are printed on stdout, one per line.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <string>

#include "store/datafile.h"
#include "platform/dialogs.h"

struct TPrintSink : TCollectingDialogs {
  void ShowMessage(const std::string& text, const std::string& = {}) override { std::cout << "message: " << text << std::endl; }
  void ShowError(const std::string& text) override { std::cout << "error: " << text << std::endl; }
  void ShowNotice(const std::string& text) override { ShowMessage(text); }
};

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  if (std::string(argv[1]) == "peak") {
    const pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
      execv(argv[2], argv + 2);
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return 2;
    std::cout << "status " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1) << " peak " << usage.ru_maxrss
              << std::endl;
    return 0;
  }
  TPrintSink sink;
  SetUserDialogs(&sink);
  const std::string command = argv[1], path = argv[2];
  std::string line;
  if (command == "race") std::getline(std::cin, line);
  if (!LoadDataFile(path)) return 3;
  if (command == "save" && argc > 3) {
    const int count = std::stoi(argv[3]);
    for (int i = 0; i < count; ++i) {
      TRecConduit* c = Conduits.Items(Conduits.Add());
      c->TransitID = i;
      c->OuterDiameter = i * 0.5;
      c->Amount = i;
    }
    if (!SaveDataFile(path)) return 4;
  } else if (command == "hold" || command == "race") {
    std::cout << (command == "hold" ? "ready" : "running") << std::endl;
    std::getline(std::cin, line);
  }
  return 0;
}
