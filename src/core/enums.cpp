#include "core/enums.h"

#include "core/errors.h"

namespace {

template <typename E, int N>
E ParseText(const std::string& text, const char* const (&texts)[N], const char* message) {
  for (int i = 0; i < N; ++i)
    if (text == texts[i]) return static_cast<E>(i);
  throw TError(message);
}

template <int N>
std::string ValueText(int value, const char* const (&texts)[N], const char* message) {
  if (value < 0 || value >= N) throw TError(message);
  return texts[value];
}

const char* const kConduitTypeTexts[] = {"Cables", "Pipes (metal)", "Pipes (GRP)", "Pipes (plastic)"};
const char* const kFillSystemTexts[] = {"KOVA", "GRENTAX", "DUSMERA", "PRAVEN", "KOVA/MOXEL"};
const char* const kFillSubsystemTexts[] = {"-", "C_Fit_Crusher", "WRAP Crusher"};
const char* const kClassificationTexts[] = {"A-class", "H-class", "B-class", "Watertight"};
const char* const kSealantCartridgeTexts[] = {"TISO (310 ml)", "GRENTAX (310 ml)", "HORLAN (310 ml)"};
const char* const kSealantLayerTexts[] = {"20mm (double)", "20mm (single)", "5mm (double)", "None"};

const char* const kSingular[] = {"Cable", "Pipe", "Pipe", "Pipe"};
const char* const kSingularLower[] = {"cable", "pipe", "pipe", "pipe"};
const char* const kPlural[] = {"Cables", "Pipes", "Pipes", "Pipes"};
const char* const kPluralLower[] = {"cables", "pipes", "pipes", "pipes"};

constexpr const char* kUnknownConduitType = "Onbekend TConduitType!";

}  // namespace

TConduitType ParseConduitType(const std::string& text) {
  return ParseText<TConduitType>(text, kConduitTypeTexts, "Unknown conduit-type");
}
TFillSystem ParseFillSystem(const std::string& text) {
  return ParseText<TFillSystem>(text, kFillSystemTexts, "Unknown Fillsystem");
}
TFillSubsystem ParseFillSubsystem(const std::string& text) {
  if (text == kFillSubsystemTexts[fssCFitCrusher]) return fssCFitCrusher;
  if (text == kFillSubsystemTexts[fssWrapCrusher]) return fssWrapCrusher;
  return fssNone;
}
TClassification ParseClassification(const std::string& text) {
  return ParseText<TClassification>(text, kClassificationTexts, "Unknown class");
}
TSealantCartridge ParseSealantCartridge(const std::string& text) {
  return ParseText<TSealantCartridge>(text, kSealantCartridgeTexts, "Unknown sealant-cartridge");
}
TSealantLayer ParseSealantLayer(const std::string& text) {
  return ParseText<TSealantLayer>(text, kSealantLayerTexts, "Unknown sealant-layer");
}

std::string ConduitTypeToText(TConduitType value) {
  return ValueText(value, kConduitTypeTexts, "Unknown conduit-type string");
}
std::string FillSystemToText(TFillSystem value) {
  return ValueText(value, kFillSystemTexts, "Unknown Fillsystem string");
}
std::string FillSubsystemToText(TFillSubsystem value) {
  return ValueText(value, kFillSubsystemTexts, "Unknown fillSubsystem string");
}
std::string ClassificationToText(TClassification value) {
  return ValueText(value, kClassificationTexts, "Unknown class string string");
}
std::string SealantCartridgeToText(TSealantCartridge value) {
  return ValueText(value, kSealantCartridgeTexts, "Unknown sealant-cartridge string");
}
std::string SealantLayerToText(TSealantLayer value) {
  return ValueText(value, kSealantLayerTexts, "Unknown sealant-layer string");
}

std::string ConduitSingular(TConduitType value) { return ValueText(value, kSingular, kUnknownConduitType); }
std::string ConduitSingularLower(TConduitType value) { return ValueText(value, kSingularLower, kUnknownConduitType); }
std::string ConduitPlural(TConduitType value) { return ValueText(value, kPlural, kUnknownConduitType); }
std::string ConduitPluralLower(TConduitType value) { return ValueText(value, kPluralLower, kUnknownConduitType); }

std::string ConduitDescription(TConduitType value, bool singlePipe) {
  static const char* const kSingle[] = {"Cable", "Pipe (metal)", "Pipe (GRP)", "Pipe (plastic)"};
  static const char* const kMulti[] = {"Cable", "Multi-pipe (metal)", "Multi-pipe (GRP)", "Multi-pipe (plastic)"};
  if (singlePipe && value != ctCables) return ValueText(value, kSingle, kUnknownConduitType);
  return ValueText(value, kMulti, kUnknownConduitType);
}
