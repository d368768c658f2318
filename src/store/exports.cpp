#include "store/exports.h"

#include <memory>
#include <new>
#include <vector>

#include "store/filesave.h"

namespace {

// The first text of each kind of export file.
constexpr const char* TransitFileVersion = "TransitExportFile_V100";
constexpr const char* ProjectFileVersion = "ProjectExportFile_V100";

// A transit block read into records that belong to no table yet, so that a
// file that fails halfway adds nothing.
struct TStagedTransit {
  std::unique_ptr<TRecTransit> Transit = std::make_unique<TRecTransit>();
  std::vector<std::unique_ptr<TRecConduit>> Conduits;
};

TStagedTransit ReadStagedTransit(TStreamReader& r) {
  TStagedTransit staged;
  staged.Transit->ReadFrom(r);
  const int32_t count = r.ReadInteger();
  // Each record needs bytes of the file, so a false count runs out of them
  // long before memory does.
  for (int32_t i = 0; i < count; ++i) {
    auto conduit = std::make_unique<TRecConduit>();
    conduit->ReadFrom(r);
    staged.Conduits.push_back(std::move(conduit));
  }
  return staged;
}

// Adds the transit and its conduits to the tables; returns the transit's index.
int AddStagedTransit(TStagedTransit& staged) {
  const int index = Transits.AddRecord(std::move(staged.Transit));
  const int32_t id = Transits.Items(index)->ID;
  for (auto& conduit : staged.Conduits) {
    conduit->TransitID = id;
    Conduits.AddRecord(std::move(conduit));
  }
  return index;
}

// The first text is not checked, but a file of the other kind is refused.
std::string ReadVersion(TStreamReader& r, const char* otherKind, const char* wrongKindMessage) {
  std::string first = r.ReadString();
  if (first == otherKind) throw TError(wrongKindMessage);
  return first;
}

}  // namespace

void ExportTransitFile(int transitIndex, const std::string& path) {
  ReplaceFileCompressed(
      path,
      [&](TStream& s) {
        TStreamWriter w(s);
        w.WriteString(TransitFileVersion);
        WriteTransitTo(transitIndex, w);
      },
      TReplaceOptions());
}

int ReadTransitExport(TStream& payload, std::string* version) {
  TStreamReader r(payload);
  std::string first = ReadVersion(r, ProjectFileVersion, "Illegal transit data-format!");
  TStagedTransit staged = ReadStagedTransit(r);
  if (version) *version = std::move(first);
  return AddStagedTransit(staged);
}

int ImportTransitFile(const std::string& path, std::string* version) {
  TZlibReadStream z(ReadWholeFile(path));
  return ReadTransitExport(z, version);
}

void ExportProjectFile(int projectIndex, const std::string& path, const TTransitFilter& filter) {
  ReplaceFileCompressed(
      path,
      [&](TStream& s) {
        TStreamWriter w(s);
        w.WriteString(ProjectFileVersion);
        WriteProjectTo(projectIndex, w, filter);
      },
      TReplaceOptions());
}

int ReadProjectExport(TStream& payload, std::string* version) {
  TStreamReader r(payload);
  std::string first = ReadVersion(r, TransitFileVersion, "Illegal project data-format!");
  auto project = std::make_unique<TRecProject>();
  project->ReadFrom(r);
  const int32_t count = r.ReadInteger();
  std::vector<TStagedTransit> transits;
  for (int32_t i = 0; i < count; ++i) transits.push_back(ReadStagedTransit(r));

  // All was read: now the records go into the tables.
  if (version) *version = std::move(first);
  const int index = Projects.AddRecord(std::move(project));
  const int32_t id = Projects.Items(index)->ID;
  for (TStagedTransit& staged : transits) Transits.Items(AddStagedTransit(staged))->ProjectID = id;
  return index;
}

int ImportProjectFile(const std::string& path, std::string* version) {
  TZlibReadStream z(ReadWholeFile(path));
  return ReadProjectExport(z, version);
}

int CopyProject(int projectIndex) {
  TMemoryStream memory;
  TStreamWriter w(memory);
  WriteProjectTo(projectIndex, w);
  memory.Position = 0;
  TStreamReader r(memory);
  const int copy = ReadProjectFrom(r);
  Projects.Items(copy)->Name = "Copy of " + Projects.Items(projectIndex)->Name;
  return copy;
}

std::string ImportFailureMessage(const std::string& kind, const std::string& path, const std::exception& e) {
  std::string reason;
  const std::string detail = e.what();
  if (dynamic_cast<const TReadError*>(&e)) {
    reason = "The file ends too early: it is incomplete or damaged.";
  } else if (dynamic_cast<const TDecompressionError*>(&e)) {
    reason = "The file is damaged, or it is not a " + kind + " file of this program.\r\rDetails: " + detail;
  } else if (dynamic_cast<const TOpenError*>(&e)) {
    reason = "The file cannot be opened or read.\r\rDetails: " + detail;
  } else if (dynamic_cast<const std::bad_alloc*>(&e)) {
    reason = "There is not enough memory to read it.";
  } else {
    reason = detail;  // the program's own words, a too-large file included
  }
  return "The " + kind + " file\r" + path + "\rcould not be imported.\r\r" + reason;
}
