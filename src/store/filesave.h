#pragma once
#include <functional>
#include <string>

#include "store/streams.h"

// Safe replacement of a file (core/atomicfile.h): the new contents go to a
// temporary of their own beside PATH that nothing else can have made, are
// flushed to disk, and then take the place of PATH in one atomic rename. At
// every moment PATH holds either the complete old or the complete new file; a
// failure removes the temporary file and leaves PATH as it was. Nothing found
// at a temporary's name is ever opened or followed.
struct TReplaceOptions {
  bool KeepBackup = false;  // keep the previous file as PATH.bak (not when it is kept aside)
  bool Lock = false;        // return the new file open and exclusively locked
  // When not empty: keep the previous file under this name instead of as
  // PATH.bak, so that the backup stays the last good copy.
  std::string KeepAsideAs;
};

// Writes through write() and returns the open, locked descriptor of the new
// file when options.Lock, else -1. Raises TCreateError / TWriteError.
int ReplaceFile(const std::string& path, const std::function<void(TStream&)>& write, const TReplaceOptions& options);

// Writes a whole file as one zlib stream (level 1) of what write() puts on the stream.
int ReplaceFileCompressed(const std::string& path, const std::function<void(TStream&)>& write,
                          const TReplaceOptions& options);

bool FileExists(const std::string& path);
// The full path of a file in the folder of the running program
// (FileBesideProgram(DataFileName)).
std::string FileBesideProgram(const std::string& name);
// PATH.unreadable-YYYY-MM-DD (with -2, -3 ... added when taken): a free name
// to keep a file that could not be read.
std::string UnreadableFileName(const std::string& path);
// Tells the user that the file that could not be read was kept as `aside`
// (nothing when it was not kept); `kind` is "data file" or "configuration file".
void ReportKeptAside(const std::string& kind, const std::string& aside);
