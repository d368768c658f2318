#pragma once
#include <cstdint>

#include "core/enums.h"

enum TCoverCode : uint8_t {
  ccNone = 0,
  ccKovaCableSleeve = 1,
  ccKovaPlasticPipeSleeve = 2,
  ccKovaPipeSleeve = 3,
  ccPravenSleeve = 4,
  ccClearanceRing = 5,
  ccOversizeCable = 6,
  ccOversizePlasticPipe = 7,
  ccOversizePipe = 8,
  ccSingleCrusher = 9,
  ccMultiCrusher = 10,
  ccWrap = 11,
  ccWrapNoCrusher = 12,
};

// One per conduit group with an amount above 0; lengths in micrometres.
struct TFillItem {
  int32_t GroupIndex = 0;
  double ConduitDiameter = 0;
  int32_t Amount = 0;
  TConduitType ConduitType = ctCables;
  TCoverCode CoverCode = ccNone;
  double OuterRadius = 0;
  double InnerRadius = 0;
  double ConduitRadius = 0;
  double CrusherOuterDiameter = 0;
  double Ring = 0;
  int32_t FirstPlaced = 0;
  int32_t PlacedCount = 0;
};

TCoverCode SelectCoverCode(TFillSystem fillSystem, TFillSubsystem subsystem, TClassification classification,
                           bool single, double width, double effectiveDepth, double diameter,
                           TConduitType conduitType);
void ApplyCover(TFillSystem fillSystem, TFillSubsystem subsystem, TFillItem& item, double effectiveDepth,
                double width);
double WrapThickness(double diameter);

class TTransit;
class TSpaceFiller;

// Scales a transit to a raster of 1800 pixels on its longer side, packs its
// fill items with the space filler and converts the centres back.
class TTransitfiller {
public:
  explicit TTransitfiller(TTransit& transit);
  ~TTransitfiller();
  void Fill();
  void ScaleBack();

  TTransit& Transit;
  TSpaceFiller* SpaceFiller;
  double Scale;
  int64_t PlacedTotal = 0;
  int64_t NotPlaced = 0;
};
