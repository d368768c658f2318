#include "core/resize.h"

#include <algorithm>
#include <cmath>

namespace {
// The parts of the judgement that need only the fill items' sizes, not where
// the filler puts them.
bool TooSmallByAreas(const TTransit& t) {
  if (t.TransitArea() < t.ConduitSleeveSpareArea()) return true;
  if (t.IsSpareApplicable() && t.FillingRate() + t.SparePercentage >= 40) return true;
  if (t.FillSystem == fsKovaMoxel && t.FillSubsystem == fssCFitCrusher)
    for (const TFillItem& item : t.FillItems)
      if (item.Amount > 0 && item.CoverCode == ccNone) return true;
  return false;
}
}  // namespace

bool NeedsGrow(TTransit& t) {
  // The sums alone settle most sizes the search tries; the filler, by far
  // the dearest part, runs only where they leave the answer open.
  t.PrepareFillItems();
  if (TooSmallByAreas(t)) return true;
  t.Fill();
  return t.NotPlacedCount > 0;
}

bool ResizeSearch(TTransit& t, std::chrono::steady_clock::time_point deadline) {
  constexpr double kLimit = 2000000;
  double f;
  if (t.TotalConduitCount() == 1)
    f = t.ConduitArea() / t.TransitArea();
  else
    f = std::sqrt(t.ConduitArea() * 1.07 / t.TransitArea());
  if (t.Width * f > kLimit) f = kLimit / t.Width;
  if (t.Height * f > kLimit) f = kLimit / t.Height;
  t.Width = t.Width * f;
  t.Height = t.Height * f;
  t.CornerRadius = t.CornerRadius * f;

  while (NeedsGrow(t)) {
    const double g = 1000 / std::max(t.Width, t.Height) + 1;
    t.Width = t.Width * g;
    t.Height = t.Height * g;
    t.CornerRadius = t.CornerRadius * g;
    if (t.Width > kLimit || t.Height > kLimit || std::chrono::steady_clock::now() > deadline) return false;
    // A size that is no number any more can never fit.
    if (!std::isfinite(t.Width) || !std::isfinite(t.Height) || !(t.Width > 0)) return false;
  }
  return true;
}

bool ResizeSearch(TTransit& t) { return ResizeSearch(t, std::chrono::steady_clock::now() + std::chrono::seconds(15)); }
