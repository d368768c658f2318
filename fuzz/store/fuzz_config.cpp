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
    ColumnWidthsFromLayout(Settings.ProjectListColumns, {80, 60, 80, 60, 70, 52, 52, 52, 52, 58, 115, 115});
    StoreColumnWidthsInLayout(Settings.TransitListColumns, {100, 0, 7});
    TMemoryStream out;
    WriteConfigurationPayload(out);
  } catch (const TError&) {
  }
  SetDefaultSettings();
  return 0;
}
