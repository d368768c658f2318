#include "core/transit.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/errors.h"
#include "core/units.h"

namespace {
constexpr double mm = 1000.0;
}

// ---------------------------------------------------------------- rules

bool IsConduitTypeAllowed(TFillSystem fs, TConduitType ct) {
  switch (fs) {
    case fsKova:
    case fsGrentax:
    case fsPraven: return ct <= ctPipesPlastic;
    case fsDusmera: return ct == ctCables;
    case fsKovaMoxel: return ct == ctPipesPlastic;
  }
  return false;
}

bool IsFillSubsystemAllowed(TFillSystem fs, TFillSubsystem fss) {
  if (fs == fsKovaMoxel) return fss == fssCFitCrusher || fss == fssWrapCrusher;
  return fs <= fsKovaMoxel && fss == fssNone;
}

bool IsClassificationAllowed(TFillSystem fs, TConduitType ct, TClassification cl) {
  switch (fs) {
    case fsPraven: return cl == clWatertight;
    case fsKovaMoxel: return cl == clA;
    case fsDusmera: return ct == ctCables && (cl == clA || cl == clWatertight);
    case fsKova:
    case fsGrentax:
      if (cl == clA || cl == clWatertight) return true;
      if (cl == clH) return ct != ctPipesPlastic && ct <= ctPipesPlastic;
      if (cl == clB) return ct == ctCables;
      return false;
  }
  return false;
}

bool IsSealantCartridgeAllowed(TFillSystem fs, TSealantCartridge sc) {
  switch (fs) {
    case fsKova:
    case fsDusmera: return sc == scTiso || sc == scGrentax;
    case fsGrentax:
    case fsKovaMoxel: return sc == scGrentax;
    case fsPraven: return sc <= scHorlan;
  }
  throw TError("Unknown FillSystem");
}

bool IsSealantLayerAllowed(TFillSystem fs, TFillSubsystem fss, TClassification cl, TSealantLayer sl) {
  if (cl == clB) return sl == slDouble20 || sl == slSingle20;
  if (fs == fsKovaMoxel) {
    if (fss == fssCFitCrusher) return sl == slDouble20 || sl == slDouble5;
    return sl == slDouble20 || sl == slDouble5 || sl == slNone;
  }
  return sl == slDouble20;
}

TConduitType DefaultConduitTypeFor(TFillSystem fs) {
  for (int v = 0; v < ConduitTypeCount; ++v)
    if (IsConduitTypeAllowed(fs, static_cast<TConduitType>(v))) return static_cast<TConduitType>(v);
  throw TError("Default conduit-type not specified");
}

TFillSubsystem DefaultFillSubsystemFor(TFillSystem fs) {
  for (int v = 0; v < FillSubsystemCount; ++v)
    if (IsFillSubsystemAllowed(fs, static_cast<TFillSubsystem>(v))) return static_cast<TFillSubsystem>(v);
  throw TError("Default fillsubsystem not specified");
}

TClassification DefaultClassificationFor(TFillSystem fs, TConduitType ct) {
  for (int v = 0; v < ClassificationCount; ++v)
    if (IsClassificationAllowed(fs, ct, static_cast<TClassification>(v))) return static_cast<TClassification>(v);
  throw TError("Default classification not specified");
}

TSealantCartridge DefaultSealantCartridgeFor(TFillSystem fs) {
  for (int v = 0; v < SealantCartridgeCount; ++v)
    if (IsSealantCartridgeAllowed(fs, static_cast<TSealantCartridge>(v))) return static_cast<TSealantCartridge>(v);
  throw TError("Default sealantcartridge not specified");
}

TSealantLayer DefaultSealantLayerFor(TFillSystem fs, TFillSubsystem fss, TClassification cl) {
  for (int v = 0; v < SealantLayerCount_; ++v)
    if (IsSealantLayerAllowed(fs, fss, cl, static_cast<TSealantLayer>(v))) return static_cast<TSealantLayer>(v);
  throw TError("Default sealantlayer not specified");
}

double CertificationMinDepth(TFillSystem fs, TConduitType ct, TClassification cl, double maxDiameter) {
  switch (cl) {
    case clB: return 60 * mm;
    case clH: return fs == fsGrentax ? 250 * mm : 100 * mm;
    case clWatertight: return 100 * mm;
    case clA:
      switch (fs) {
        case fsGrentax:
          if (ct == ctPipesPlastic) return 180 * mm;
          [[fallthrough]];
        case fsDusmera:
        case fsKovaMoxel: return maxDiameter < 140 * mm ? 180 * mm : 200 * mm;
        case fsKova:
          if (ct == ctCables) return 180 * mm;
          if (ct == ctPipesMetal || ct == ctPipesGRP) return 200 * mm;
          return 100 * mm;
        case fsPraven: return 100 * mm;
      }
      break;
  }
  return 100 * mm;
}

double MinDepth(TFillSystem fs, TConduitType ct, TClassification cl, double maxDiameter) {
  return fs == fsKovaMoxel ? CertificationMinDepth(fs, ct, cl, maxDiameter) : 60 * mm;
}

double MaxDepth(TFillSystem fs, TConduitType ct, TClassification cl, double maxDiameter) {
  return fs == fsKovaMoxel ? CertificationMinDepth(fs, ct, cl, maxDiameter) : 2000 * mm;
}

double DefaultDepth(TFillSystem fs, TConduitType ct, TClassification cl) {
  switch (cl) {
    case clH: return 250 * mm;
    case clB:
    case clWatertight: return 100 * mm;
    case clA:
      if (fs == fsKova || fs == fsPraven) return ct == ctCables ? 180 * mm : ct == ctPipesMetal ? 200 * mm : 250 * mm;
      return 180 * mm;
  }
  return 180 * mm;
}

double CertificationMaxDiameter(TConduitType ct, TClassification cl) {
  switch (ct) {
    case ctCables: return cl != clWatertight ? 110 * mm : 0;
    case ctPipesPlastic: return cl == clA ? 160 * mm : 0;
    case ctPipesGRP: return cl == clA || cl == clH ? 222 * mm : 0;
    case ctPipesMetal: return cl == clA || cl == clH ? 420 * mm : 0;
  }
  return 0;
}

// ---------------------------------------------------------------- groups

TConduitGroup& TTransit::AddConduitGroup() {
  ConduitGroups.push_back(TConduitGroup{0, 0, DefaultConduitType});
  return ConduitGroups.back();
}

void TTransit::DeleteConduitGroup(int index) {
  if (index < 0 || index >= ConduitGroupCount()) return;
  // The last group moves into the gap; the order is not kept.
  ConduitGroups[index].OuterDiameter = ConduitGroups.back().OuterDiameter;
  ConduitGroups[index].Amount = ConduitGroups.back().Amount;
  ConduitGroups.pop_back();
}

void TTransit::ChangeConduitType(TConduitType type) {
  DefaultConduitType = type;
  for (TConduitGroup& group : ConduitGroups) group.ConduitType = type;
}

void TTransit::SortConduitGroups() {
  const size_t n = ConduitGroups.size();
  for (size_t i = 0; i + 1 < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      if (ConduitGroups[i].OuterDiameter > ConduitGroups[j].OuterDiameter)
        std::swap(ConduitGroups[i], ConduitGroups[j]);
}

bool TTransit::MergeEqualDiameters() {
  bool merged = false;
  for (int i = 0; i < ConduitGroupCount(); ++i) {
    int j = i + 1;
    while (j < ConduitGroupCount()) {
      if (std::fabs(ConduitGroups[j].OuterDiameter - ConduitGroups[i].OuterDiameter) < 10) {
        ConduitGroups[i].Amount += ConduitGroups[j].Amount;
        DeleteConduitGroup(j);
        merged = true;
      } else {
        ++j;
      }
    }
  }
  return merged;
}

int64_t TTransit::TotalConduitCount() const {
  int64_t total = 0;
  for (const TConduitGroup& group : ConduitGroups) total += group.Amount;
  return total;
}

double TTransit::MaxConduitDiameter() const {
  double result = 0;
  for (const TConduitGroup& group : ConduitGroups)
    if (group.OuterDiameter > result) result = group.OuterDiameter;
  return result;
}

bool TTransit::IsSinglePipe() const { return TotalConduitCount() == 1 && DefaultConduitType != ctCables; }
bool TTransit::IsSpareApplicable() const { return DefaultConduitType == ctCables && Classification != clWatertight; }
bool TTransit::IsRound() const { return Width == Height && 2 * CornerRadius == Width; }

std::string TTransit::ConduitSingular() const { return ::ConduitSingular(DefaultConduitType); }
std::string TTransit::ConduitSingularLower() const { return ::ConduitSingularLower(DefaultConduitType); }
std::string TTransit::ConduitPlural() const { return ::ConduitPlural(DefaultConduitType); }
std::string TTransit::ConduitPluralLower() const { return ::ConduitPluralLower(DefaultConduitType); }
std::string TTransit::ConduitDescription() const { return ::ConduitDescription(DefaultConduitType, IsSinglePipe()); }

// ---------------------------------------------------------------- copy and compare

void TTransit::Assign(const TTransit& s) {
  Name = s.Name;
  Created = s.Created;
  CreatedBy = s.CreatedBy;
  Modified = s.Modified;
  ModifiedBy = s.ModifiedBy;
  Comments = s.Comments;
  Width = s.Width;
  Height = s.Height;
  CornerRadius = s.CornerRadius;
  Depth = s.Depth;
  Classification = s.Classification;
  DefaultConduitType = s.DefaultConduitType;
  TransitsInProject = s.TransitsInProject;
  SparePercentage = s.SparePercentage;
  FillSystem = s.FillSystem;
  FillSubsystem = s.FillSubsystem;
  SealantCartridge = s.SealantCartridge;
  SealantLayer = s.SealantLayer;
  MiscPar2 = s.MiscPar2;
  MiscPar3 = s.MiscPar3;
  MiscPar4 = s.MiscPar4;
  ConduitGroups = s.ConduitGroups;
}

bool TTransit::IsEqual(const TTransit& o) const {
  if (Name != o.Name || CreatedBy != o.CreatedBy || ModifiedBy != o.ModifiedBy || Created != o.Created ||
      Modified != o.Modified || Comments != o.Comments || TransitsInProject != o.TransitsInProject ||
      Classification != o.Classification || Width != o.Width || Height != o.Height ||
      CornerRadius != o.CornerRadius || Depth != o.Depth || SparePercentage != o.SparePercentage ||
      FillSystem != o.FillSystem || SealantCartridge != o.SealantCartridge ||
      DefaultConduitType != o.DefaultConduitType || ConduitGroups.size() != o.ConduitGroups.size() ||
      SealantLayer != o.SealantLayer || FillSubsystem != o.FillSubsystem || MiscPar2 != o.MiscPar2 ||
      MiscPar3 != o.MiscPar3 || MiscPar4 != o.MiscPar4)
    return false;
  for (size_t i = 0; i < ConduitGroups.size(); ++i) {
    const TConduitGroup &a = ConduitGroups[i], &b = o.ConduitGroups[i];
    if (a.OuterDiameter != b.OuterDiameter || a.Amount != b.Amount || a.ConduitType != b.ConduitType) return false;
  }
  return true;
}

// ---------------------------------------------------------------- validation

void TTransit::Validate() {
  Messages.clear();
  if (!IsConduitTypeAllowed(FillSystem, DefaultConduitType)) ChangeConduitType(DefaultConduitTypeFor(FillSystem));
  if (!IsFillSubsystemAllowed(FillSystem, FillSubsystem)) FillSubsystem = DefaultFillSubsystemFor(FillSystem);
  if (!IsClassificationAllowed(FillSystem, DefaultConduitType, Classification))
    Classification = DefaultClassificationFor(FillSystem, DefaultConduitType);
  if (!IsSealantCartridgeAllowed(FillSystem, SealantCartridge))
    SealantCartridge = DefaultSealantCartridgeFor(FillSystem);
  if (!IsSealantLayerAllowed(FillSystem, FillSubsystem, Classification, SealantLayer))
    SealantLayer = DefaultSealantLayerFor(FillSystem, FillSubsystem, Classification);

  const double d = MaxConduitDiameter();
  const double minDepth = MinDepth(FillSystem, DefaultConduitType, Classification, d);
  const double maxDepth = MaxDepth(FillSystem, DefaultConduitType, Classification, d);
  if (Depth < minDepth) Depth = minDepth;
  if (Depth > maxDepth) Depth = maxDepth;
  if (std::isnan(Depth)) Depth = minDepth;
  const double certificationDepth = CertificationMinDepth(FillSystem, DefaultConduitType, Classification, d);
  if (Depth < certificationDepth)
    Messages.push_back("-Minimum transit-depth for certification is " + FormatLength(certificationDepth) + " " +
                       LengthUnitName());

  auto clampSize = [](double& v) {
    if (v < 10 * mm) v = 10 * mm;
    if (v > 2000 * mm) v = 2000 * mm;
    if (std::isnan(v)) v = 10 * mm;
  };
  clampSize(Width);
  clampSize(Height);
  if (FillSystem == fsKovaMoxel) {
    Height = Width;
    CornerRadius = Width / 2;
  }
  if (CornerRadius < 0 || std::isnan(CornerRadius)) CornerRadius = 0;
  if (2 * CornerRadius > Width) CornerRadius = Width / 2;
  if (2 * CornerRadius > Height) CornerRadius = Height / 2;

  const double maxDiameter = CertificationMaxDiameter(DefaultConduitType, Classification);
  if (maxDiameter > 0 && MaxConduitDiameter() > maxDiameter)
    Messages.push_back("-Maximum " + ::ConduitSingularLower(DefaultConduitType) + "-diameter for certification is " +
                       FormatLength(maxDiameter) + " " + LengthUnitName());

  if (SparePercentage < 0 || std::isnan(SparePercentage)) SparePercentage = 0;
  if (DefaultConduitType != ctCables || Classification == clWatertight) SparePercentage = 0;
  if (SparePercentage > 25) SparePercentage = 25;

  if (TransitsInProject < 0) TransitsInProject = 0;
  if (TransitsInProject > 100000) TransitsInProject = 100000;
}

// ---------------------------------------------------------------- figures

double TTransit::SealantLayerThickness() const {
  switch (SealantLayer) {
    case slDouble20: return 40 * mm;
    case slSingle20: return 20 * mm;
    case slDouble5: return 10 * mm;
    case slNone: return 0;
  }
  return 0;
}

int TTransit::SealantLayerCount() const {
  switch (SealantLayer) {
    case slDouble20: return 2;
    case slSingle20: return 1;
    case slDouble5: return 2;
    case slNone: return 0;
  }
  return 0;
}

double TTransit::EffectiveDepth() const {
  double depth = Depth - SealantLayerThickness();
  if (FillSystem == fsKovaMoxel && SealantLayer == slNone) depth = depth - 10 * mm;
  return depth;
}

double TTransit::TransitArea() const {
  return Width * Height - (4 - TransitPi) * (CornerRadius * CornerRadius);
}

double TTransit::ConduitArea() const {
  double sum = 0;
  for (const TFillItem& item : FillItems) sum = sum + item.Amount * (item.ConduitRadius * item.ConduitRadius);
  return TransitPi * sum;
}

double TTransit::ConduitSleeveArea() const {
  double sum = 0;
  for (const TFillItem& item : FillItems) sum = sum + item.Amount * (item.OuterRadius * item.OuterRadius);
  return TransitPi * sum;
}

double TTransit::FillingRate() const {
  const double area = TransitArea();
  if (area == 0) return 100;
  return 100 * ConduitArea() / area;
}

double TTransit::ConduitSleeveSpareArea() const {
  const double rate = FillingRate();
  if (rate == 0) return ConduitSleeveArea();
  return ConduitSleeveArea() * (1 + SparePercentage / rate);
}

double TTransit::GroupFillingRate() const {
  double sum = 0;
  for (const TConduitGroup& g : ConduitGroups) sum = sum + g.Amount * (g.OuterDiameter * g.OuterDiameter);
  const double a = TransitPi / 4 * sum;
  const double area = TransitArea();
  if (area != 0 && area >= a) return 100 * a / area;
  return 100;
}

// ---------------------------------------------------------------- filling

void TTransit::PrepareFillItems() {
  MaterialsKind = FillSystem == fsDusmera ? 2 : FillSystem == fsKovaMoxel ? 0 : 1;
  const double e = EffectiveDepth();
  const bool single = TotalConduitCount() == 1;
  FillItems.clear();
  for (int i = 0; i < ConduitGroupCount(); ++i) {
    const TConduitGroup& group = ConduitGroups[i];
    if (group.Amount <= 0) continue;
    TFillItem item;
    item.GroupIndex = i;
    item.ConduitDiameter = group.OuterDiameter;
    item.Amount = group.Amount;
    item.ConduitType = group.ConduitType;
    item.CoverCode = SelectCoverCode(FillSystem, FillSubsystem, Classification, single, Width, e,
                                     group.OuterDiameter, group.ConduitType);
    ApplyCover(FillSystem, FillSubsystem, item, e, Width);
    FillItems.push_back(item);
  }
  const size_t n = FillItems.size();
  for (size_t i = 0; i + 1 < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      if (FillItems[i].OuterRadius < FillItems[j].OuterRadius) std::swap(FillItems[i], FillItems[j]);
}

void TTransit::Fill() {
  PrepareFillItems();
  TTransitfiller filler(*this);
  filler.Fill();
  NotPlacedCount = filler.NotPlaced;
  filler.ScaleBack();
}
