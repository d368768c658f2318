// Any clipboard text: read without fault; what is accepted holds only valid
// groups and reads back the same after writing it out again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/units.h"
#include "editor/presenter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the unit and the decimal separator.
  CurrentLengthUnit = (data[0] & 1) ? luInch : luMillimetre;
  SetDecimalSeparator((data[0] & 2) ? ',' : '.');
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<TImportedGroup> groups;
  if (!ParseConduitListText(text, groups)) return 0;
  std::vector<TConduitGroup> list;
  for (const TImportedGroup& g : groups) {
    if (g.Amount < 1 || g.Amount > 9999 || !(g.OuterDiameter > 0) || !(g.OuterDiameter <= 1000000)) std::abort();
    list.push_back(TConduitGroup{g.OuterDiameter, g.Amount, ctCables});
  }
  std::vector<TImportedGroup> again;
  // Written with the shown decimals, a tiny diameter may round to 0 and be refused.
  if (ParseConduitListText(ConduitListToText(list), again) && again.size() != groups.size()) std::abort();
  return 0;
}
