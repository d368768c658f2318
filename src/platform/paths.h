#pragma once
#include <cstdlib>
#include <functional>
#include <string>

// Where the program keeps its data file and configuration. Normally the
// desktop's per-user folders; when the program's own folder already holds a
// data file, both files stay beside the program (a portable install, which
// the self-update uses too).
struct TFilePlaces {
  std::string ProgramFolder;  // the folder of the running program, no trailing "/"
  std::string DataFile;
  std::string ConfigFile;
  bool Portable = false;
  // $XDG_STATE_HOME/trellane/recovery (else ~/.local/state/...): the transit
  // editors' recovery copies of unsaved work.
  std::string RecoveryFolder;
};

// Looks up an environment variable; null when unset.
using TEnvironment = std::function<const char*(const char* name)>;

// $XDG_DATA_HOME/trellane/Trellane.tbs and $XDG_CONFIG_HOME/trellane/Trellane.ini
// (a missing or relative variable gives ~/.local/share and ~/.config), or both
// beside the program when programFolder holds Trellane.tbs.
TFilePlaces FindFilePlaces(const std::string& programFolder, const TEnvironment& environment = ::getenv);

// Creates the folders of both files where missing. Returns false with the
// reason in `error` when one cannot be created.
bool CreateFileFolders(const TFilePlaces& places, std::string& error);

// The folder of the running executable (no trailing "/").
std::string RunningProgramFolder();

// The places in use, set once at start (the preferences save the configuration there).
const TFilePlaces& ProgramFiles();
void SetProgramFiles(const TFilePlaces& places);
