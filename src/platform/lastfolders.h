#pragma once
#include <string>

// The folders the file dialogs last opened, one per kind of file, kept in a
// small text file of their own beside the configuration ("Trellane.folders"),
// so the configuration's stored layout stays as it is.
//
// The file: the line "Trellane folders 1", then one line per kind that has a
// folder, "exports=", "reports=", "drawings=" or "schedules=" followed by the folder's path
// in UTF-8. Unknown lines are skipped; a path holding a line break or a NUL
// is never written.

enum class TFolderKind { Exports, Reports, Drawings, Schedules };

struct TLastFolders {
  std::string Exports, Reports, Drawings, Schedules;
  std::string& Of(TFolderKind kind);
  const std::string& Of(TFolderKind kind) const;
};

// The file beside the given configuration file.
std::string LastFoldersPath(const std::string& configFile);

// Reads the text of the file; anything it cannot make sense of gives no folder.
TLastFolders ParseLastFolders(const std::string& text);
std::string FormatLastFolders(const TLastFolders& folders);

// Reads the file (at most 64 KiB of it); a missing or damaged file gives no
// folders and never fails.
TLastFolders ReadLastFolders(const std::string& path);
// Writes the file through a temporary renamed over it; raises TError when it
// cannot be written.
void WriteLastFolders(const std::string& path, const TLastFolders& folders);
