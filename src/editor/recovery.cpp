#include "editor/recovery.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/draw/export.h"
#include "core/errors.h"
#include "store/streams.h"
#include "store/tables.h"
#include "store/valuestream.h"

namespace {

constexpr const char* Tag = "TrellaneRecovery_V1";
constexpr const char* Prefix = "transit-";
constexpr const char* Suffix = ".recovery";
constexpr size_t MaxCopySize = 16 * 1024 * 1024;
constexpr int32_t MaxGroups = 100000;

std::string& Folder() {
  static std::string folder;
  return folder;
}

std::vector<TRecoveryKeeper*>& Keepers() {
  static std::vector<TRecoveryKeeper*> keepers;
  return keepers;
}

void MakeFolders(const std::string& folder) {
  if (folder.empty()) return;
  const auto slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0) MakeFolders(folder.substr(0, slash));
  ::mkdir(folder.c_str(), 0700);
}

bool ReadSmallFile(const std::string& path, std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && size_t(st.st_size) <= MaxCopySize;
  if (ok) {
    bytes.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += size_t(n);
    }
    ok = done == bytes.size();
  }
  ::close(fd);
  return ok;
}

}  // namespace

void SetRecoveryFolder(const std::string& folder) { Folder() = folder; }
const std::string& RecoveryFolder() { return Folder(); }

std::string RecoveryCopyPath(const std::string& folder, int32_t transitId) {
  return folder + "/" + Prefix + std::to_string(transitId) + Suffix;
}

std::string EncodeRecoveryCopy(const TRecoveryCopy& copy) {
  // The fields of the transit and conduit records, in their stored form.
  TRecTransit record;
  const TTransit& t = copy.Model;
  record.ProjectID = copy.ProjectID;
  record.Name = t.Name;
  record.TransitsInProject = t.TransitsInProject;
  record.Created = t.Created;
  record.CreatedBy = t.CreatedBy;
  record.Modified = t.Modified;
  record.ModifiedBy = t.ModifiedBy;
  record.Comments = t.Comments;
  record.Depth = t.Depth;
  record.Width = t.Width;
  record.Height = t.Height;
  record.CornerRadius = t.CornerRadius;
  record.SparePercentage = t.SparePercentage;
  record.DefaultConduitType = t.DefaultConduitType;
  record.FillSystem = t.FillSystem;
  record.FillSubsystem = t.FillSubsystem;
  record.Classification = t.Classification;
  record.SealantCartridge = t.SealantCartridge;
  record.SealantLayer = t.SealantLayer;
  record.MiscPar2 = t.MiscPar2;
  record.MiscPar3 = t.MiscPar3;
  record.MiscPar4 = t.MiscPar4;
  TMemoryStream out;
  TStreamWriter w(out);
  w.WriteString(Tag);
  w.WriteBoolean(copy.IsNew);
  w.WriteInteger(copy.TransitID);
  record.WriteTo(w);
  w.WriteInteger(static_cast<int32_t>(t.ConduitGroups.size()));
  for (const TConduitGroup& g : t.ConduitGroups) {
    TRecConduit c;
    c.TransitID = copy.TransitID;
    c.OuterDiameter = g.OuterDiameter;
    c.Amount = g.Amount;
    c.ConduitType = g.ConduitType;
    c.WriteTo(w);
  }
  w.WriteString("end");
  return out.Data;
}

TRecoveryCopy DecodeRecoveryCopy(const std::string& bytes) {
  if (bytes.size() > MaxCopySize) throw TError("Recovery copy too large");
  TMemoryStream in(bytes);
  TStreamReader r(in);
  if (r.ReadString() != Tag) throw TError("Not a recovery copy");
  TRecoveryCopy copy;
  copy.IsNew = r.ReadBoolean();
  copy.TransitID = r.ReadInteger();
  TRecTransit record;
  record.ReadFrom(r);
  copy.ProjectID = record.ProjectID;
  TTransit& t = copy.Model;
  t.Name = record.Name;
  t.TransitsInProject = record.TransitsInProject;
  t.Created = record.Created;
  t.CreatedBy = record.CreatedBy;
  t.Modified = record.Modified;
  t.ModifiedBy = record.ModifiedBy;
  t.Comments = record.Comments;
  t.Depth = record.Depth;
  t.Width = record.Width;
  t.Height = record.Height;
  t.CornerRadius = record.CornerRadius;
  t.SparePercentage = record.SparePercentage;
  t.DefaultConduitType = record.DefaultConduitType;
  t.FillSystem = record.FillSystem;
  t.FillSubsystem = record.FillSubsystem;
  t.Classification = record.Classification;
  t.SealantCartridge = record.SealantCartridge;
  t.SealantLayer = record.SealantLayer;
  t.MiscPar2 = record.MiscPar2;
  t.MiscPar3 = record.MiscPar3;
  t.MiscPar4 = record.MiscPar4;
  const int32_t count = r.ReadInteger();
  if (count < 0 || count > MaxGroups) throw TError("Recovery copy damaged");
  t.ConduitGroups.clear();
  for (int32_t i = 0; i < count; ++i) {
    TRecConduit c;
    c.ReadFrom(r);
    TConduitGroup g;
    g.OuterDiameter = c.OuterDiameter;
    g.Amount = c.Amount;
    g.ConduitType = c.ConduitType;
    t.ConduitGroups.push_back(g);
  }
  if (r.ReadString() != "end" || in.Position != in.Data.size()) throw TError("Recovery copy damaged");
  return copy;
}

std::vector<TRecoveryCopy> ReadRecoveryCopies(const std::string& folder) {
  std::vector<TRecoveryCopy> copies;
  if (folder.empty()) return copies;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return copies;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.rfind(Prefix, 0) != 0 || name.size() <= std::string(Suffix).size() ||
        name.compare(name.size() - std::string(Suffix).size(), std::string::npos, Suffix) != 0)
      continue;
    const std::string path = folder + "/" + name;
    std::string bytes;
    if (!ReadSmallFile(path, bytes)) continue;
    try {
      TRecoveryCopy copy = DecodeRecoveryCopy(bytes);
      copy.Path = path;
      if (path != RecoveryCopyPath(folder, copy.TransitID)) continue;  // renamed by hand: not ours
      copies.push_back(std::move(copy));
    } catch (const std::exception&) {
    }
  }
  ::closedir(dir);
  std::sort(copies.begin(), copies.end(),
            [](const TRecoveryCopy& a, const TRecoveryCopy& b) { return a.TransitID < b.TransitID; });
  return copies;
}

TRecoveryKeeper::TRecoveryKeeper() { Keepers().push_back(this); }

TRecoveryKeeper::~TRecoveryKeeper() {
  if (Transits.IndexOfID(Id) >= 0) Flush();
  else if (Id != 0 && !RecoveryFolder().empty()) ::unlink(RecoveryCopyPath(RecoveryFolder(), Id).c_str());
  auto& keepers = Keepers();
  keepers.erase(std::remove(keepers.begin(), keepers.end(), this), keepers.end());
}

void TRecoveryKeeper::SetTransit(int32_t transitId, bool isNew) {
  if (transitId != Id && Id != 0 && !RecoveryFolder().empty())
    ::unlink(RecoveryCopyPath(RecoveryFolder(), Id).c_str());
  Id = transitId;
  New = isNew;
}

void TRecoveryKeeper::Changed(const TRecoveryCopy& copy) {
  SetTransit(copy.TransitID, copy.IsNew);
  if (RecoveryFolder().empty()) return;
  try {
    Bytes = EncodeRecoveryCopy(copy);
    Pending = true;
  } catch (const std::exception&) {
    // A model the stored form cannot hold has no copy; saving it tells why.
  }
}

void TRecoveryKeeper::Clear(int32_t transitId) {
  Id = transitId;
  Pending = false;
  Bytes.clear();
  if (!RecoveryFolder().empty()) ::unlink(RecoveryCopyPath(RecoveryFolder(), transitId).c_str());
}

void TRecoveryKeeper::Flush() {
  if (!Pending || RecoveryFolder().empty()) return;
  try {
    MakeFolders(RecoveryFolder());
    WriteFileAtomically(RecoveryCopyPath(RecoveryFolder(), Id), Bytes);
    Pending = false;
  } catch (const std::exception&) {
  }
}

void FlushRecoveryCopies() {
  for (TRecoveryKeeper* keeper : Keepers()) keeper->Flush();
}

std::vector<TRecoveryKeeper*> RecoveryKeepers() { return Keepers(); }

TRecoveryKeeper* RecoveryKeeperOf(int32_t transitId) {
  for (TRecoveryKeeper* keeper : Keepers())
    if (keeper->TransitID() == transitId) return keeper;
  return nullptr;
}
