#include "fuzz_input.h"
#include "store/exports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto payload = fuzzstore::Payload(data, size);
  if (!payload) return 0;
  try {
    const int p = ReadProjectExport(*payload);
    CopyProject(p);
  } catch (const TError&) {
  }
  fuzzstore::ClearTables();
  return 0;
}
