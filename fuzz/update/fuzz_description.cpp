// The update description as a server might send it: every key read, both
// version checks, the file entries checked for both schemes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "update/description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > MaxDescriptionBytes) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (bool fileScheme : {false, true}) {
    const TUpdateDescription d = ReadUpdateDescription(text, fileScheme);
    CheckUpdateFiles(d, fileScheme);
    IsNewerVersion(d.Version, "3.16.1 (22 Aug 2012)");
    IsNewerVersion("3.16.1", d.Version);
    IsNewerDate(d.Date, "03/27/2008");
    IsWebAddress(d.RedirectToURL);
    for (const TUpdateFile& f : d.Files) {
      IsSafeHttpsAddress(f.Address);
      std::string host, path;
      SplitURL(f.Address, host, path);
      ExtractURLFileName(path);
    }
  }
  GetValue("#message=[", text, "]");
  GetValue("#version=", text, EndOfLine);
  return 0;
}
