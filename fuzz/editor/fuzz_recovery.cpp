// Any bytes as a recovery copy: read without fault, whole or not at all; a
// copy that is read writes out the same way every time.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/recovery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TRecoveryCopy copy;
  try {
    copy = DecodeRecoveryCopy(bytes);
  } catch (const std::exception&) {
    return 0;
  }
  std::string written;
  try {
    written = EncodeRecoveryCopy(copy);
  } catch (const std::exception&) {
    return 0;  // a value the stored form cannot hold is refused, not written half
  }
  const TRecoveryCopy again = DecodeRecoveryCopy(written);
  if (EncodeRecoveryCopy(again) != written) std::abort();
  if (again.TransitID != copy.TransitID || again.IsNew != copy.IsNew ||
      again.Model.ConduitGroups.size() != copy.Model.ConduitGroups.size())
    std::abort();
  return 0;
}
