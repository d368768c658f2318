#include "fuzz_input.h"
#include "store/datafile.h"
#include "store/transitrecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto payload = fuzzstore::Payload(data, size);
  if (!payload) return 0;
  try {
    ReadDataPayload(*payload);
  } catch (const TError&) {
  }
  // Whatever was read must be usable: write it back and load every transit model.
  try {
    TMemoryStream out;
    WriteDataPayload(out);
  } catch (const TError&) {
  }
  for (int i = 0; i < Transits.Count() && i < 64; ++i) {
    TTransit t;
    LoadFromRecord(t, Transits.Items(i)->ID);
  }
  fuzzstore::ClearTables();
  return 0;
}
