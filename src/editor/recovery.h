#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/transit.h"

// Recovery copies of the transit editors' unsaved work. Each editor with
// changes that are not in its transit record yet keeps a copy of its model in
// a folder of its own (one file per transit), written atomically a moment
// after the change and removed when the editor saves or its changes are
// dropped on purpose. After a crash, a termination signal or the end of the
// desktop session the next start offers the copies back.

struct TRecoveryCopy {
  int32_t TransitID = 0;
  int32_t ProjectID = 0;
  // The transit was new (never saved): it comes back as a new transit.
  bool IsNew = false;
  TTransit Model;
  std::string Path;  // where it was read from
};

// The folder the copies go to; empty (the default) keeps no copies.
void SetRecoveryFolder(const std::string& folder);
const std::string& RecoveryFolder();

// The file contents of a copy and back. Decoding raises TError on anything
// that is not a whole copy.
std::string EncodeRecoveryCopy(const TRecoveryCopy& copy);
TRecoveryCopy DecodeRecoveryCopy(const std::string& bytes);

// The copies in the folder, by transit identifier; files that cannot be read
// are left alone and skipped.
std::vector<TRecoveryCopy> ReadRecoveryCopies(const std::string& folder);
// The file of the copy of a transit.
std::string RecoveryCopyPath(const std::string& folder, int32_t transitId);

// One editor's copy. The editor tells it after every change whether there is
// unsaved work; Flush (called a moment later by the program's timer, and when
// the editor goes) writes what is pending.
class TRecoveryKeeper {
public:
  TRecoveryKeeper();
  // Writes what is still pending; when the transit is no longer in the
  // table (deleted with the editor open) its copy goes instead.
  ~TRecoveryKeeper();
  TRecoveryKeeper(const TRecoveryKeeper&) = delete;
  TRecoveryKeeper& operator=(const TRecoveryKeeper&) = delete;

  // Which transit the editor shows and whether it is new (never saved).
  void SetTransit(int32_t transitId, bool isNew);
  // Unsaved work of that transit: the copy to write at the next flush.
  void Changed(const TRecoveryCopy& copy);
  // Nothing unsaved (saved, or dropped on purpose): the copy goes at once.
  void Clear(int32_t transitId);
  void Flush();

  int32_t TransitID() const { return Id; }
  bool IsNewTransit() const { return New; }
  // Puts a recovered model into the editor; set by the editor.
  std::function<void(const TTransit&)> Restore;

private:
  int32_t Id = 0;
  bool New = false;
  bool Pending = false;
  std::string Bytes;
};

// Writes every editor's pending copy; failures are ignored (the copy is a
// courtesy and is tried again at the next change).
void FlushRecoveryCopies();
// The editors' keepers, in the order they were made.
std::vector<TRecoveryKeeper*> RecoveryKeepers();
// The keeper of the editor of that transit, or null.
TRecoveryKeeper* RecoveryKeeperOf(int32_t transitId);
