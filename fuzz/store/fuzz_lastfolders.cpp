// The file dialogs' folders file: any text parses without failing, and what
// it gives formats to a text that parses back to the same folders.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/lastfolders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const TLastFolders folders = ParseLastFolders(text);
  const TLastFolders again = ParseLastFolders(FormatLastFolders(folders));
  if (again.Exports != folders.Exports || again.Reports != folders.Reports || again.Drawings != folders.Drawings)
    std::abort();
  return 0;
}
