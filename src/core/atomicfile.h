#pragma once
#include <cstddef>
#include <functional>
#include <string>

#include "core/errors.h"

// Safe replacement of files. A new file is written under a name of its own
// beside its target ("TARGET.tmp-" and eight random characters), created with
// O_CREAT | O_EXCL | O_NOFOLLOW so that nothing found at that name (a file, a
// symbolic link someone planted) is ever opened, followed or truncated. It is
// flushed to disk and renamed over the target in one step: the target then is
// a regular file holding the complete new contents, and until then it holds
// the complete old ones. Nothing removes or truncates a name it did not
// create itself.

// A failure of one of the steps; the message names the target:
// "Cannot write TARGET: <the system's reason>".
class TFileError : public TError {
public:
  enum TStep { Create, Write, Rename };
  TFileError(TStep step, const std::string& path, int error);
  TStep Step;
  std::string Path;
  int Errno;
};

// One replacement in progress. The destructor removes the temporary when
// Commit was not reached (or failed), and closes the descriptor unless it
// was released.
class TAtomicFile {
public:
  // Creates the temporary beside path; TFileError(Create) when it cannot.
  explicit TAtomicFile(const std::string& path);
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // The open descriptor of the temporary (read and write).
  int Fd() const { return FileFd; }
  const std::string& TargetPath() const { return Target; }
  const std::string& TempPath() const { return Temp; }

  // Writes all bytes at the current position; TFileError(Write).
  void Write(const void* data, size_t size);
  void Write(const std::string& bytes) { Write(bytes.data(), bytes.size()); }

  // Flushes the contents to disk (TFileError(Write)), renames the temporary
  // over the target (TFileError(Rename)) and flushes the folder.
  void Commit();

  // After Commit: hands over the open descriptor of the file that now has
  // the target's name; the caller closes it.
  int ReleaseFd();

private:
  void RemoveTemp();
  std::string Target, Temp;
  int FileFd = -1;
  bool Committed = false;
};

// Replaces path with bytes as above.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

// Makes `to` a second name of the file `from` (a hard link where the file
// system allows it, else a flushed copy), put in place by a rename of a fresh
// name of its own, so that whatever was at `to` (a file, a planted link) is
// replaced and never written through. TFileError on failure; `to` then
// stays as it was. Without mayLink always a flushed copy.
void KeepCopyAtomically(const std::string& from, const std::string& to, bool mayLink = true);

// For tests: the source of the random part of temporary names (nullptr:
// back to the system's random numbers). Lets a test plant something at the
// very name the next replacement tries first.
void SetTempNameSourceForTesting(std::function<std::string()> source);
