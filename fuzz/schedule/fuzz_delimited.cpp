#include <string_view>

#include "fuzz_plan.h"
#include "schedule/reader.h"

// The first byte chooses the overrides: none, or a delimiter and a decimal
// separator.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static constexpr char delimiters[] = {0, ';', ',', '\t'};
  static constexpr char decimals[] = {0, '.', ','};
  TDelimitedOptions options;
  options.Delimiter = delimiters[data[0] & 3];
  options.Decimal = decimals[(data[0] >> 2) % 3];
  try {
    fuzzschedule::PlanBoth(ReadDelimitedText(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), options));
  } catch (const TError&) {
  }
  return 0;
}
