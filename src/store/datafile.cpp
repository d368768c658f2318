#include "store/datafile.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <type_traits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/filesave.h"
#include "platform/dialogs.h"

namespace {

int DataFileLock = -1;
// The data file could not be read at load time: keep it before the next save.
bool DataFileUnreadable = false;

// Reads the count and the records of one table. A record goes into the table
// only once it was read whole, so a file cut short keeps the records before
// the cut; and whatever happens, the next new identifier is above every
// identifier read.
template <typename Table>
void ReadTable(TStreamReader& r, Table& table) {
  using Record = std::remove_pointer_t<decltype(table.Items(0))>;
  table.Clear();
  int32_t highest = 0;
  try {
    const int32_t count = r.ReadInteger();
    for (int32_t i = 0; i < count; ++i) {
      const int32_t id = r.ReadInteger();
      highest = std::max(highest, id);
      auto record = std::make_unique<Record>();
      record->ReadFrom(r);
      const int index = table.AddRecord(std::move(record));
      table.Items(index)->ID = id;
      table.Changed();
    }
  } catch (...) {
    table.RecalcLastID();
    table.LastID = std::max(table.LastID, highest);
    throw;
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
  UserDialogs().ShowMessage(ErrorKindName(e));
  UserDialogs().ShowError(std::string("Error reading datafile:\r\r") + e.what());
}

bool SameFile(int fd, const std::string& path) {
  struct stat a, b;
  return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string ReadDataPayload(TStream& stream) {
  // Tables not reached because of a failure stay empty.
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
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

namespace {

// Opens the data file for reading, or creates it empty when there is none
// (two copies starting together open the same new file). A name that is a
// symbolic link to nowhere is not created through, and only a regular file
// is taken.
int OpenOrCreateDataFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0 && errno == ENOENT)
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) throw TOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw TOpenError("Cannot open file \"" + path + "\". It is not a regular file.");
  }
  return fd;
}

}  // namespace

bool LoadDataFile(const std::string& path) {
  CloseDataFile();
  DataFileUnreadable = false;
  try {
    // Open (or create) and lock before anything is read or written. A save
    // of another process may swap the file between the two steps, so the
    // lock must end up on the file that has the name.
    int fd = -1;
    for (int attempt = 0;; ++attempt) {
      fd = OpenOrCreateDataFile(path);
      if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        ::close(fd);
        if (e == EWOULDBLOCK) {
          UserDialogs().ShowError("Can't open datafile, Trellane is already running?");
          return false;
        }
        throw TOpenError("Cannot open file \"" + path + "\". " + std::strerror(e));
      }
      if (SameFile(fd, path) || attempt >= 20) break;
      ::close(fd);
    }
    DataFileLock = fd;
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size == 0) {
      // A new data file: made just now, or left empty by a first start that
      // ended before writing it. It holds nothing to lose; the empty tables
      // are written into it at once, under the lock.
      Customers.Clear();
      Projects.Clear();
      Transits.Clear();
      Conduits.Clear();
      try {
        TReplaceOptions options;
        options.Lock = true;
        const int written = ReplaceFileCompressed(path, WriteDataPayload, options);
        CloseDataFile();
        DataFileLock = written;
      } catch (const std::exception& e) {
        UserDialogs().ShowError(std::string("Error writing datafile (current changes will not be saved):\r\r") +
                                e.what());
      }
      return true;
    }
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
    UserDialogs().ShowError(std::string("Error writing datafile (current changes will not be saved):\r\r") + e.what());
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
