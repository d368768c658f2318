#pragma once
#include <cstdint>
#include <string>

// The domain enumerations, one byte each. Unscoped so that a stored byte with
// an out-of-range value can still be held and reported.
enum TConduitType : uint8_t { ctCables = 0, ctPipesMetal = 1, ctPipesGRP = 2, ctPipesPlastic = 3 };
enum TFillSystem : uint8_t { fsKova = 0, fsGrentax = 1, fsDusmera = 2, fsPraven = 3, fsKovaMoxel = 4 };
enum TFillSubsystem : uint8_t { fssNone = 0, fssCFitCrusher = 1, fssWrapCrusher = 2 };
enum TClassification : uint8_t { clA = 0, clH = 1, clB = 2, clWatertight = 3 };
enum TSealantCartridge : uint8_t { scTiso = 0, scGrentax = 1, scHorlan = 2 };
enum TSealantLayer : uint8_t { slDouble20 = 0, slSingle20 = 1, slDouble5 = 2, slNone = 3 };

constexpr int ConduitTypeCount = 4;
constexpr int FillSystemCount = 5;
constexpr int FillSubsystemCount = 3;
constexpr int ClassificationCount = 4;
constexpr int SealantCartridgeCount = 3;
constexpr int SealantLayerCount_ = 4;

// Text to value: the text must equal a display text exactly.
TConduitType ParseConduitType(const std::string& text);
TFillSystem ParseFillSystem(const std::string& text);
TFillSubsystem ParseFillSubsystem(const std::string& text);  // never fails
TClassification ParseClassification(const std::string& text);
TSealantCartridge ParseSealantCartridge(const std::string& text);
TSealantLayer ParseSealantLayer(const std::string& text);

// Value to display text.
std::string ConduitTypeToText(TConduitType value);
std::string FillSystemToText(TFillSystem value);
std::string FillSubsystemToText(TFillSubsystem value);
std::string ClassificationToText(TClassification value);
std::string SealantCartridgeToText(TSealantCartridge value);
std::string SealantLayerToText(TSealantLayer value);

// Word forms of a conduit type ("Cable", "cable", "Cables", "cables").
std::string ConduitSingular(TConduitType value);
std::string ConduitSingularLower(TConduitType value);
std::string ConduitPlural(TConduitType value);
std::string ConduitPluralLower(TConduitType value);
// The caption of the conduit kind in reports.
std::string ConduitDescription(TConduitType value, bool singlePipe);

// A group of identical conduits in one transit.
struct TConduitGroup {
  double OuterDiameter = 0;  // micrometres
  int32_t Amount = 0;
  TConduitType ConduitType = ctCables;
};
