#include "platform/lastfolders.h"

#include <fstream>
#include <iterator>

#include "core/draw/export.h"

namespace {

const char* const Header = "Trellane folders 1";
constexpr std::streamsize MaxFileBytes = 64 * 1024;

struct TKey {
  const char* name;
  TFolderKind kind;
};
const TKey Keys[] = {{"exports", TFolderKind::Exports},
                     {"reports", TFolderKind::Reports},
                     {"drawings", TFolderKind::Drawings},
                   {"schedules", TFolderKind::Schedules}};

bool Storable(const std::string& path) {
  return !path.empty() && path.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

}  // namespace

std::string& TLastFolders::Of(TFolderKind kind) {
  switch (kind) {
    case TFolderKind::Exports: return Exports;
    case TFolderKind::Reports: return Reports;
    case TFolderKind::Drawings: return Drawings;
    case TFolderKind::Schedules: return Schedules;
  }
  return Exports;
}

const std::string& TLastFolders::Of(TFolderKind kind) const {
  return const_cast<TLastFolders*>(this)->Of(kind);
}

std::string LastFoldersPath(const std::string& configFile) {
  const size_t slash = configFile.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : configFile.substr(0, slash + 1);
  return folder + "Trellane.folders";
}

TLastFolders ParseLastFolders(const std::string& text) {
  TLastFolders folders;
  size_t start = 0;
  bool first = true;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first) {
      if (line != Header) return {};
      first = false;
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    const std::string path = line.substr(equals + 1);
    for (const TKey& key : Keys)
      if (name == key.name && Storable(path)) folders.Of(key.kind) = path;
  }
  return folders;
}

std::string FormatLastFolders(const TLastFolders& folders) {
  std::string text = std::string(Header) + "\n";
  for (const TKey& key : Keys)
    if (Storable(folders.Of(key.kind))) text += std::string(key.name) + "=" + folders.Of(key.kind) + "\n";
  return text;
}

TLastFolders ReadLastFolders(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::string text(static_cast<size_t>(MaxFileBytes), '\0');
  file.read(text.data(), MaxFileBytes);
  text.resize(static_cast<size_t>(file.gcount()));
  return ParseLastFolders(text);
}

void WriteLastFolders(const std::string& path, const TLastFolders& folders) {
  WriteFileAtomically(path, FormatLastFolders(folders));
}
