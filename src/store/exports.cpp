#include "store/exports.h"

#include "store/filesave.h"

void ExportTransitFile(int transitIndex, const std::string& path) {
  ReplaceFileCompressed(
      path,
      [&](TStream& s) {
        TStreamWriter w(s);
        w.WriteString("TransitExportFile_V100");
        WriteTransitTo(transitIndex, w);
      },
      TReplaceOptions());
}

int ReadTransitExport(TStream& payload, std::string* version) {
  TStreamReader r(payload);
  std::string first = r.ReadString();  // not checked
  if (version) *version = std::move(first);
  return ReadTransitFrom(r);
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
        w.WriteString("ProjectExportFile_V100");
        WriteProjectTo(projectIndex, w, filter);
      },
      TReplaceOptions());
}

int ReadProjectExport(TStream& payload, std::string* version) {
  TStreamReader r(payload);
  std::string first = r.ReadString();  // not checked
  if (version) *version = std::move(first);
  return ReadProjectFrom(r);
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
