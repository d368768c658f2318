#include "store/datafile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/filesave.h"
#include "store/messages.h"

namespace {

int DataFileLock = -1;
// The data file could not be read at load time: keep it before the next save.
bool DataFileUnreadable = false;

template <typename Table>
void ReadTable(TStreamReader& r, Table& table) {
  table.Clear();
  const int32_t count = r.ReadInteger();
  for (int32_t i = 0; i < count; ++i) {
    const int32_t id = r.ReadInteger();
    auto* record = table.Items(table.Add());
    record->ReadFrom(r);
    record->ID = id;
  }
  table.RecalcLastID();
}

template <typename Table>
void WriteTable(TStreamWriter& w, const Table& table) {
  w.WriteInteger(table.Count());
  for (int i = 0; i < table.Count(); ++i) {
    const auto* record = table.Items(i);
    w.WriteInteger(record->ID);
    record->WriteTo(w);
  }
}

void ReportReadFailure(const std::exception& e) {
  MessageSink().ShowMessage(ErrorKindName(e));
  MessageSink().ShowError(std::string("Error reading datafile:\r\r") + e.what());
}

bool SameFile(int fd, const std::string& path) {
  struct stat a, b;
  return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string ReadDataPayload(TStream& stream) {
  TStreamReader r(stream);
  std::string version = r.ReadString();
  if (version != "Version_1.00") throw TError("Illegal config-file!");
  ReadTable(r, Customers);
  ReadTable(r, Projects);
  ReadTable(r, Transits);
  ReadTable(r, Conduits);
  return version;
}

void WriteDataPayload(TStream& stream) {
  TStreamWriter w(stream);
  w.WriteString("Version_1.00");
  WriteTable(w, Customers);
  WriteTable(w, Projects);
  WriteTable(w, Transits);
  WriteTable(w, Conduits);
}

bool LoadDataFile(const std::string& path) {
  CloseDataFile();
  DataFileUnreadable = false;
  try {
    // Open and lock; a save of another process may swap the file between the
    // two steps, so the lock must end up on the file that has the name.
    int fd = -1;
    for (int attempt = 0;; ++attempt) {
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) throw TOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
      if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        ::close(fd);
        if (e == EWOULDBLOCK) {
          MessageSink().ShowError("Can't open datafile, Trellane is already running?");
          return false;
        }
        throw TOpenError("Cannot open file \"" + path + "\". " + std::strerror(e));
      }
      if (SameFile(fd, path) || attempt >= 20) break;
      ::close(fd);
    }
    DataFileLock = fd;
    DataFileUnreadable = true;
    TZlibReadStream z(ReadWholeFd(fd, path));
    ReadDataPayload(z);
    DataFileUnreadable = false;
  } catch (const std::exception& e) {
    ReportReadFailure(e);
  }
  return true;
}

bool SaveDataFile(const std::string& path) {
  std::string aside;
  try {
    TReplaceOptions options;
    options.KeepBackup = true;
    options.Lock = true;
    if (DataFileUnreadable && FileExists(path)) options.KeepAsideAs = aside = UnreadableFileName(path);
    const int fd = ReplaceFileCompressed(path, WriteDataPayload, options);
    CloseDataFile();
    DataFileLock = fd;
  } catch (const std::exception& e) {
    MessageSink().ShowError(std::string("Error writing datafile (current changes will not be saved):\r\r") + e.what());
    return false;
  }
  if (DataFileUnreadable) {
    DataFileUnreadable = false;
    ReportKeptAside("data file", aside);
  }
  return true;
}

void CloseDataFile() {
  if (DataFileLock >= 0) ::close(DataFileLock);
  DataFileLock = -1;
}

bool DataFileLocked() { return DataFileLock >= 0; }

void WriteTransitTo(int transitIndex, TStreamWriter& w) {
  const TRecTransit* transit = Transits.Items(transitIndex);
  const std::span<const int> conduits = Conduits.IndexesOfTransit(transit->ID);
  transit->WriteTo(w);
  w.WriteInteger(static_cast<int32_t>(conduits.size()));
  for (int index : conduits) Conduits.Items(index)->WriteTo(w);
}

int ReadTransitFrom(TStreamReader& r) {
  const int index = Transits.Add();
  TRecTransit* transit = Transits.Items(index);
  transit->ReadFrom(r);
  const int32_t count = r.ReadInteger();
  for (int32_t i = 0; i < count; ++i) {
    TRecConduit* conduit = Conduits.Items(Conduits.Add());
    conduit->ReadFrom(r);
    conduit->TransitID = transit->ID;
  }
  return index;
}

void WriteProjectTo(int projectIndex, TStreamWriter& w, const TTransitFilter& filter) {
  const TRecProject* project = Projects.Items(projectIndex);
  project->WriteTo(w);
  std::vector<int> chosen;
  for (int i = 0; i < Transits.Count(); ++i) {
    const TRecTransit* t = Transits.Items(i);
    if (t->ProjectID == project->ID && filter(t->ID)) chosen.push_back(i);
  }
  w.WriteInteger(static_cast<int32_t>(chosen.size()));
  for (int i : chosen) WriteTransitTo(i, w);
}

int ReadProjectFrom(TStreamReader& r) {
  const int index = Projects.Add();
  TRecProject* project = Projects.Items(index);
  project->ReadFrom(r);
  const int32_t count = r.ReadInteger();
  for (int32_t i = 0; i < count; ++i) {
    const int t = ReadTransitFrom(r);
    Transits.Items(t)->ProjectID = project->ID;
  }
  return index;
}

int CopyTransit(int transitIndex) {
  TMemoryStream memory;
  TStreamWriter w(memory);
  WriteTransitTo(transitIndex, w);
  memory.Position = 0;
  TStreamReader r(memory);
  return ReadTransitFrom(r);
}
