#include <string_view>

#include "fuzz_plan.h"
#include "schedule/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const TScheduleTable table = ReadXlsx(std::string_view(reinterpret_cast<const char*>(data), size));
    fuzzschedule::PlanBoth(table);
    // A chosen sheet that may or may not be there.
    if (!table.SheetNames.empty()) ReadXlsx(std::string_view(reinterpret_cast<const char*>(data), size), table.SheetNames.back());
  } catch (const TError&) {
  }
  return 0;
}
