#include "fuzz_input.h"
#include "store/config.h"
#include "store/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto payload = fuzzstore::Payload(data, size);
  if (!payload) return 0;
  try {
    ReadConfigurationPayload(*payload);
    // The layout texts of a file that read well go to the windows and lists.
    std::vector<TWindowLayoutEntry> entries;
    try {
      ParseWindowLayout(Settings.WindowLayout, entries);
    } catch (const TError&) {
    }
    ParseColumnLayout(Settings.ProjectListColumns);
    TMemoryStream out;
    WriteConfigurationPayload(out);
  } catch (const TError&) {
  }
  SetDefaultSettings();
  return 0;
}
