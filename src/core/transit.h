#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/enums.h"
#include "core/transitfiller.h"

using TDateTime = double;  // days since 30 December 1899

struct TPlacedPosition {
  double X = 0, Y = 0;  // micrometres from the top-left corner of the opening's bounding box
};

// Pi as the system computes every area with it.
constexpr double TransitPi = 3.1415926539;

// Rules and defaults of the sealing systems.
bool IsConduitTypeAllowed(TFillSystem fs, TConduitType ct);
bool IsFillSubsystemAllowed(TFillSystem fs, TFillSubsystem fss);
bool IsClassificationAllowed(TFillSystem fs, TConduitType ct, TClassification cl);
bool IsSealantCartridgeAllowed(TFillSystem fs, TSealantCartridge sc);
bool IsSealantLayerAllowed(TFillSystem fs, TFillSubsystem fss, TClassification cl, TSealantLayer sl);
TConduitType DefaultConduitTypeFor(TFillSystem fs);
TFillSubsystem DefaultFillSubsystemFor(TFillSystem fs);
TClassification DefaultClassificationFor(TFillSystem fs, TConduitType ct);
TSealantCartridge DefaultSealantCartridgeFor(TFillSystem fs);
TSealantLayer DefaultSealantLayerFor(TFillSystem fs, TFillSubsystem fss, TClassification cl);
double CertificationMinDepth(TFillSystem fs, TConduitType ct, TClassification cl, double maxDiameter);
double MinDepth(TFillSystem fs, TConduitType ct, TClassification cl, double maxDiameter);
double MaxDepth(TFillSystem fs, TConduitType ct, TClassification cl, double maxDiameter);
double DefaultDepth(TFillSystem fs, TConduitType ct, TClassification cl);
// The largest conduit diameter that can be certified; 0 when there is no limit.
double CertificationMaxDiameter(TConduitType ct, TClassification cl);

// The model of one transit.
class TTransit {
public:
  std::string Name;
  TDateTime Created = 0;
  std::string CreatedBy;
  TDateTime Modified = 0;
  std::string ModifiedBy;
  std::string Comments;
  double Width = 0, Height = 0, CornerRadius = 0, Depth = 0;
  TClassification Classification = clA;
  TConduitType DefaultConduitType = ctCables;
  int32_t TransitsInProject = 0;
  double SparePercentage = 0;
  TFillSystem FillSystem = fsKova;
  TFillSubsystem FillSubsystem = fssNone;
  TSealantCartridge SealantCartridge = scTiso;
  TSealantLayer SealantLayer = slDouble20;
  uint8_t MiscPar2 = 0, MiscPar3 = 0, MiscPar4 = 0;
  std::vector<TConduitGroup> ConduitGroups;

  // Results of the last Validate and Fill.
  std::vector<std::string> Messages;
  int64_t NotPlacedCount = 0;
  std::vector<TFillItem> FillItems;
  uint8_t MaterialsKind = 0;
  std::vector<TPlacedPosition> PlacedPositions;

  // Conduit groups.
  TConduitGroup& AddConduitGroup();
  void DeleteConduitGroup(int index);
  TConduitGroup& ConduitGroup(int index) { return ConduitGroups.at(index); }
  const TConduitGroup& ConduitGroup(int index) const { return ConduitGroups.at(index); }
  int ConduitGroupCount() const { return static_cast<int>(ConduitGroups.size()); }
  void ChangeConduitType(TConduitType type);
  void SortConduitGroups();
  bool MergeEqualDiameters();
  int64_t TotalConduitCount() const;
  double MaxConduitDiameter() const;
  bool IsSinglePipe() const;
  bool IsSpareApplicable() const;
  bool IsRound() const;

  // Word forms of the transit's conduit type.
  std::string ConduitSingular() const;
  std::string ConduitSingularLower() const;
  std::string ConduitPlural() const;
  std::string ConduitPluralLower() const;
  std::string ConduitDescription() const;

  void Assign(const TTransit& source);
  bool IsEqual(const TTransit& other) const;

  // Calculation.
  void Validate();
  void Fill();
  void PrepareFillItems();
  double TransitArea() const;
  double ConduitArea() const;
  double ConduitSleeveArea() const;
  double ConduitSleeveSpareArea() const;
  double FillingRate() const;
  double GroupFillingRate() const;
  double SealantLayerThickness() const;
  int SealantLayerCount() const;
  double EffectiveDepth() const;
};
