#include "core/transitfiller.h"

#include <cmath>

#include "core/catalogue.h"
#include "core/errors.h"
#include "core/spacefiller.h"
#include "core/transit.h"

namespace {
constexpr double mm = 1000.0;

// Rounds toward zero into the pixel range the filler can handle; sizes far
// beyond the raster saturate, which places nothing, as any size that large.
int TruncPixels(double value) {
  constexpr double kLimit = 1 << 30;
  if (std::isnan(value)) return 0;
  if (value >= kLimit) return 1 << 30;
  if (value <= -kLimit) return -(1 << 30);
  return static_cast<int>(value);
}

const TSleeveCatalogue* CatalogueOf(TCoverCode code) {
  switch (code) {
    case ccKovaCableSleeve: return &KovaCableSleeves();
    case ccKovaPlasticPipeSleeve:
    case ccKovaPipeSleeve: return &KovaPipeSleeves();
    case ccPravenSleeve: return &PravenSleeves();
    case ccSingleCrusher: return &SingleCrushers();
    case ccMultiCrusher: return &MultiCrushers();
    default: return nullptr;
  }
}
}  // namespace

double WrapThickness(double d) {
  if (d <= 50 * mm) return 5 * mm;
  if (d <= 74 * mm) return 7.5 * mm;
  if (d < 109 * mm) return 10 * mm;
  if (d < 124 * mm) return 15 * mm;
  return 20 * mm;
}

TCoverCode SelectCoverCode(TFillSystem fs, TFillSubsystem fss, TClassification cl, bool single, double width,
                           double, double d, TConduitType ct) {
  const bool metalOrGrp = ct == ctPipesMetal || ct == ctPipesGRP;
  switch (fs) {
    case fsPraven:
      return ct == ctCables && d <= PravenSleeves().CatalogueMaxDiameter() ? ccPravenSleeve : ccClearanceRing;
    case fsDusmera:
      return d > KovaCableSleeves().CatalogueMaxDiameter() ? ccOversizeCable : ccKovaCableSleeve;
    case fsKova:
      if (ct == ctCables) return d > KovaCableSleeves().CatalogueMaxDiameter() ? ccOversizeCable : ccKovaCableSleeve;
      if (metalOrGrp) {
        if (cl == clH) return d > KovaPipeSleeves().CatalogueMaxDiameter() ? ccOversizePipe : ccKovaPipeSleeve;
        return ccClearanceRing;
      }
      if (ct == ctPipesPlastic) {
        if (cl == clWatertight) return ccClearanceRing;
        return d > KovaPipeSleeves().CatalogueMaxDiameter() ? ccOversizePlasticPipe : ccKovaPlasticPipeSleeve;
      }
      break;
    case fsGrentax:
      if (ct == ctCables) return d > KovaCableSleeves().CatalogueMaxDiameter() ? ccOversizeCable : ccKovaCableSleeve;
      if (metalOrGrp) return ccClearanceRing;
      if (ct == ctPipesPlastic) {
        if (cl == clWatertight) return ccClearanceRing;
        if (single) return SingleCrushers().Find(d, 0, width) >= 0 ? ccSingleCrusher : ccWrapNoCrusher;
        return MultiCrushers().Find(d, 0, NoOuterLimit) >= 0 ? ccMultiCrusher : ccWrapNoCrusher;
      }
      break;
    case fsKovaMoxel:
      if (fss == fssCFitCrusher) return SingleCrushers().Find(d, 0, width) >= 0 ? ccSingleCrusher : ccNone;
      if (fss == fssWrapCrusher) return width - d <= 50 * mm ? ccWrap : ccNone;
      return ccNone;
  }
  return ccNone;
}

void ApplyCover(TFillSystem fs, TFillSubsystem fss, TFillItem& item, double, double width) {
  const double d = item.ConduitDiameter;
  const double rc = d / 2;
  item.ConduitRadius = rc;
  switch (item.CoverCode) {
    case ccNone:
      item.InnerRadius = item.OuterRadius = rc;
      item.Ring = 0;
      return;
    case ccKovaCableSleeve:
    case ccKovaPlasticPipeSleeve:
    case ccKovaPipeSleeve:
    case ccPravenSleeve:
    case ccSingleCrusher:
    case ccMultiCrusher: {
      const TSleeveCatalogue& catalogue = *CatalogueOf(item.CoverCode);
      const int index = catalogue.Find(d, 0, item.CoverCode == ccSingleCrusher ? width : NoOuterLimit);
      // The code is only chosen when this lookup succeeds; a diameter no row
      // takes (a negative one) has no sizes.
      if (index < 0) throw TError("Geen afmetingen gedefinieerd voor conduitcovermaterial");
      const TCatalogueRow& row = catalogue.Row(index);
      if (item.CoverCode == ccSingleCrusher || item.CoverCode == ccMultiCrusher)
        item.CrusherOuterDiameter = row.OuterDiameter;
      const double ri = row.InnerDiameter / 2, ro = row.OuterDiameter / 2;
      if (rc > ri) {
        item.InnerRadius = rc;
        item.OuterRadius = rc + (ro - ri);
      } else {
        item.InnerRadius = ri;
        item.OuterRadius = ro;
      }
      item.Ring = 0;
      return;
    }
    case ccClearanceRing:
      item.InnerRadius = item.OuterRadius = rc;
      item.Ring = d < 100 * mm ? 10 * mm : d < 219 * mm ? 15 * mm : d < 400 * mm ? 20 * mm : 25 * mm;
      return;
    case ccOversizeCable:
      item.InnerRadius = rc;
      item.OuterRadius = rc + 10 * mm;
      item.Ring = 0;
      return;
    case ccOversizePlasticPipe:
    case ccOversizePipe: {
      item.InnerRadius = rc;
      item.OuterRadius = rc;
      // A quarter of the diameter, rounded down to a multiple of 2.5 mm; the
      // steps are counted first so that a huge diameter cannot loop for long.
      if (std::isfinite(d) && d / 10000 > 1e7) {
        item.OuterRadius = rc + std::floor(d / (10 * mm)) * 2.5 * mm;
      } else {
        while ((item.OuterRadius - rc + 2.5 * mm) * 4 <= d) item.OuterRadius = item.OuterRadius + 2.5 * mm;
      }
      item.Ring = 0;
      return;
    }
    case ccWrap:
    case ccWrapNoCrusher:
      item.InnerRadius = rc;
      item.OuterRadius = rc + WrapThickness(d);
      if (fs == fsKovaMoxel && fss == fssWrapCrusher) {
        // The width is a validated size (at most 2 m), so this ends quickly.
        if (std::isfinite(width))
          while ((item.OuterRadius + 2.6 * mm) * 2 < width) item.OuterRadius = item.OuterRadius + 2.5 * mm;
      }
      item.Ring = 0;
      return;
  }
  throw TError("Geen afmetingen gedefinieerd voor conduitcovermaterial");
}

TTransitfiller::TTransitfiller(TTransit& transit) : Transit(transit), SpaceFiller(nullptr) {
  Scale = transit.Width > transit.Height ? 1800 / transit.Width : 1800 / transit.Height;
  SpaceFiller = new TSpaceFiller(TruncPixels(transit.Width * 1.001 * Scale),
                                 TruncPixels(transit.Height * 1.001 * Scale),
                                 TruncPixels(transit.CornerRadius * 1.001 * Scale));
}

TTransitfiller::~TTransitfiller() { delete SpaceFiller; }

void TTransitfiller::Fill() {
  PlacedTotal = 0;
  NotPlaced = 0;
  const bool moxel = Transit.FillSystem == fsKovaMoxel;
  std::vector<TPlacedPosition>& positions = Transit.PlacedPositions;
  positions.clear();
  for (TFillItem& item : Transit.FillItems) {
    const int r = TruncPixels((item.OuterRadius + item.Ring) * Scale);
    SpaceFiller->Prepare(r, 0, true);
    item.FirstPlaced = static_cast<int32_t>(PlacedTotal);
    // Once a search fails, the rest of the item's conduits are not searched for.
    for (int64_t n = 0; n < item.Amount; ++n) {
      if (!SpaceFiller->FindNext()) break;
      if (moxel && PlacedTotal > 0) continue;  // only one conduit is ever placed
      ++PlacedTotal;
      if (moxel) {
        positions.push_back({static_cast<double>(SpaceFiller->CentreX()), static_cast<double>(SpaceFiller->CentreY())});
      } else {
        const int last = SpaceFiller->PlacedCount() - 1;
        positions.push_back({static_cast<double>(SpaceFiller->PlacedX(last)), static_cast<double>(SpaceFiller->PlacedY(last))});
      }
    }
    item.PlacedCount = static_cast<int32_t>(PlacedTotal - item.FirstPlaced);
    NotPlaced += static_cast<int64_t>(item.Amount) - item.PlacedCount;
  }
}

void TTransitfiller::ScaleBack() {
  for (const TFillItem& item : Transit.FillItems)
    for (int32_t i = item.FirstPlaced; i < item.FirstPlaced + item.PlacedCount; ++i) {
      Transit.PlacedPositions[i].X = Transit.PlacedPositions[i].X / Scale;
      Transit.PlacedPositions[i].Y = Transit.PlacedPositions[i].Y / Scale;
    }
}
