#include "reports/materials.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/catalogue.h"
#include "core/errors.h"
#include "core/transit.h"
#include "core/units.h"

namespace {

const char* const kFillSystemUndefined = "FillSystem niet gedefinieerd!";
const char* const kSealantUndefined = "Sealant niet gedefinieerd!";
const char* const kUnknownMaterial = "Unknown material for cable/pipe";

// A sealing depth may be up to this much longer than the standard piece.
constexpr double kLengthTolerance = 3500;
// Pieces longer than the depth by more than this must be cut by hand.
constexpr double kCutTolerance = 1000;
constexpr double kStripThickness = 2500;
constexpr double kCartridgeMl = 310;

const TSleeveCatalogue& StandardLengthCatalogue(TFillSystem fillSystem) {
  switch (fillSystem) {
    case fsKova: return KovaCableSleeves();
    case fsGrentax:
    case fsKovaMoxel: return GrentaxSleeves();
    case fsDusmera: return VeskamorStrips();
    case fsPraven: return PravenSleeves();
  }
  throw TError(kFillSystemUndefined);
}

std::string WithSeparator(std::string text) {
  for (char& c : text)
    if (c == '.') c = DecimalSeparator();
  return text;
}

}  // namespace

std::string MaterialNumberText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  const double magnitude = std::fabs(value);
  char buffer[64];
  if (magnitude >= 0.00001 && magnitude < 1e15) {
    // Fixed notation with 15 significant digits, trailing zeros dropped.
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    if (!std::strchr(buffer, 'e')) return WithSeparator(buffer);
    const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    int decimals = 14 - exponent;
    if (decimals < 0) decimals = 0;
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text.find('.') != std::string::npos) {
      while (text.back() == '0') text.pop_back();
      if (text.back() == '.') text.pop_back();
    }
    return WithSeparator(text);
  }
  // Scientific notation: mantissa, "E", the exponent without padding or plus sign.
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  std::string text = buffer;
  const size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  const int exponent = std::atoi(text.c_str() + e + 1);
  if (mantissa.find('.') != std::string::npos) {
    while (mantissa.back() == '0') mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
  }
  return WithSeparator(mantissa) + "E" + std::to_string(exponent);
}

double MaterialCeiling(double value) {
  const double whole = std::trunc(value);
  return value - whole > 0 ? whole + 1 : whole;
}

bool TMaterialsUsedForTransit::HasKind(uint8_t kind) const {
  for (const TMaterialItem& item : Items)
    if (item.Kind == kind) return true;
  return false;
}

void TMaterialsUsedForTransit::AddMaterial(uint8_t kind, const std::string& description, double size1,
                                           double size2, double length, double amount, const std::string& code,
                                           bool nonStandard) {
  // The list grows by ten lines at a time.
  if (Items.size() == Items.capacity()) Items.reserve(Items.size() + 10);
  TMaterialItem item;
  item.Kind = kind;
  item.Description = description;
  item.Size1 = size1;
  item.Size2 = size2;
  item.Length = length;
  item.Amount = amount;
  item.Code = code;
  item.NonStandard = nonStandard;
  Items.push_back(std::move(item));
}

void TMaterialsUsedForTransit::AddFrom(const TMaterialsUsedForTransit& other) {
  const std::vector<TMaterialItem> copies = other.Items;  // other may be this list
  for (const TMaterialItem& item : copies)
    AddMaterial(item.Kind, item.Description, item.Size1, item.Size2, item.Length, item.Amount, item.Code,
                item.NonStandard);
  MergeAndSort();
}

TMaterialsUsedForTransit::TLengthChoice TMaterialsUsedForTransit::LengthFor(
    const TSleeveCatalogue& catalogue) const {
  TLengthChoice choice;
  const int index = catalogue.FindLength(SealingDepth - kLengthTolerance);
  if (index >= 0) {
    choice.Length = catalogue.LengthAt(index);
    choice.Pieces = 1;
  } else {
    choice.Length = 140000;
    choice.Pieces = 2;
  }
  choice.NonStandard = choice.Pieces * choice.Length - SealingDepth > kCutTolerance;
  return choice;
}

void TMaterialsUsedForTransit::Calculate(const TTransit& transit) {
  Items.clear();
  FillerArea = 0;

  // 1. The standard length of the fill system's own catalogue.
  SealingDepth = transit.EffectiveDepth();
  const TLengthChoice standard = LengthFor(StandardLengthCatalogue(transit.FillSystem));
  StandardLength = standard.Length;
  Pieces = standard.Pieces;
  NonStandard = standard.NonStandard;

  // 2. What holds each conduit.
  AddConduitMaterials(transit);

  // 3. What fills the rest of the opening.
  switch (transit.MaterialsKind) {
    case 0: break;
    case 1: AddFillerSleeves(transit); break;
    case 2: AddSheets(transit); break;
    default: throw TError(kFillSystemUndefined);
  }

  // 4. The sealant on the faces.
  AddSealant(transit);

  // 5. One line per article; whole sheets and metres; times the transits of this kind.
  MergeAndSort();
  for (TMaterialItem& item : Items)
    if (item.Kind == mkVeskamorSheet || item.Kind == mkStrip || item.Kind == mkWrap)
      item.Amount = MaterialCeiling(item.Amount);
  for (TMaterialItem& item : Items) {
    item.AmountPerTransit = item.Amount;
    item.Amount = item.Amount * transit.TransitsInProject;
  }
}

void TMaterialsUsedForTransit::AddConduitMaterials(const TTransit& transit) {
  for (const TFillItem& fillItem : transit.FillItems) {
    const TSleeveCatalogue* catalogue = nullptr;
    uint8_t kind = 0;
    const char* prefix = "";
    TLengthChoice choice{0, 1, false};
    bool strip = false, wrap = false;
    switch (fillItem.CoverCode) {
      case ccNone:
      case ccClearanceRing: continue;
      case ccKovaCableSleeve:
        catalogue = &KovaCableSleeves();
        kind = mkKovaCableSleeve;
        prefix = "101_";
        choice = LengthFor(*catalogue);
        break;
      case ccKovaPlasticPipeSleeve:
        catalogue = &KovaPipeSleeves();
        kind = mkKovaPipeSleeve;
        prefix = "102_";
        choice = LengthFor(*catalogue);
        break;
      case ccKovaPipeSleeve:
        catalogue = &KovaPipeSleeves();
        kind = mkKovaPipeSleeve;
        prefix = "102_";
        choice = {80000, 2, 2 * 80000 - SealingDepth > kCutTolerance};
        break;
      case ccPravenSleeve:
        catalogue = &PravenSleeves();
        kind = mkPravenSleeve;
        prefix = "103_";
        choice = LengthFor(*catalogue);
        break;
      case ccSingleCrusher:
        catalogue = &SingleCrushers();
        kind = mkMoxelCrusher;
        prefix = "104_";
        choice = LengthFor(*catalogue);
        // Crushers for the largest pipes come longer.
        if (fillItem.ConduitDiameter > 135000) choice.Length = 190000;
        break;
      case ccMultiCrusher:
        catalogue = &MultiCrushers();
        kind = mkMoxelCrusher;
        prefix = "104_";
        choice = LengthFor(*catalogue);
        break;
      case ccOversizeCable:
      case ccOversizePlasticPipe:
        strip = true;
        choice = LengthFor(KovaCableSleeves());
        break;
      case ccOversizePipe:
        strip = true;
        choice = {80000, 2, false};
        break;
      case ccWrapNoCrusher:
        wrap = true;
        choice = LengthFor(MultiCrushers());
        break;
      case ccWrap:
        wrap = true;
        choice = LengthFor(SingleCrushers());
        break;
      default: throw TError(kUnknownMaterial);
    }

    if (strip || wrap) {
      // Layers of 2.5 mm strip wound round the conduit up to its cover radius.
      const double ru = fillItem.OuterRadius, rc = fillItem.ConduitRadius;
      const double layers = std::trunc((ru - rc) / kStripThickness + 0.1);
      const double metres = layers * TransitPi * (2 * rc + (layers + 1) * kStripThickness) * 0.000001;
      const double amount = fillItem.Amount * metres * choice.Pieces;
      if (strip)
        AddMaterial(mkStrip, "Strip FRR/EHF (2,5mm)", choice.Length, 0, 0, amount,
                    "201" + MaterialNumberText(1000000 + choice.Length), choice.NonStandard);
      else
        AddMaterial(mkWrap, "KOVA/MOXEL Wrap", choice.Length, 0, 0, amount,
                    "202" + MaterialNumberText(1000000 + choice.Length), choice.NonStandard);
      continue;
    }

    const double limit = fillItem.CoverCode == ccSingleCrusher ? transit.Width : NoOuterLimit;
    const int index = catalogue->Find(fillItem.ConduitDiameter, 0, limit);
    // The filler chose the cover by this same lookup, so a row is always
    // found for a filled transit; without one there is no article to order.
    if (index < 0) throw TError(kUnknownMaterial);
    const TCatalogueRow& row = catalogue->Row(index);
    AddMaterial(kind, row.ProductText, row.OuterDiameter, row.InnerDiameter, choice.Length,
                static_cast<double>(fillItem.Amount) * choice.Pieces,
                prefix + MaterialNumberText(row.OuterDiameter + 1000000) + MaterialNumberText(1000000 + choice.Length),
                choice.NonStandard);
  }
}

void TMaterialsUsedForTransit::AddFillerSleeves(const TTransit& transit) {
  double free = 0.90972 * (transit.TransitArea() - transit.ConduitSleeveArea()) / 1000000;  // mm²
  double big = 0, small = 0;  // 27/19 and 18/12 sleeves
  if (!(free < 50)) {
    double largest = 0;
    for (const TFillItem& item : transit.FillItems)
      if (item.Amount > 0 && item.OuterRadius > largest) largest = item.OuterRadius;
    if (transit.IsRound() && transit.Width - 2 * largest < 27000) {
      big = 0;
    } else {
      big = MaterialCeiling(free / 699.79);
      if (big < 0) big = 0;
    }
    free = free - big * 572.555;
    small = MaterialCeiling(free / 254.469);
    if (small < 0) small = 0;
  }

  uint8_t kind;
  std::string prefix, name;
  switch (transit.FillSystem) {
    case fsKova:
      kind = mkKovaFillerSleeve;
      prefix = "301_";
      name = "KOVA ";
      break;
    case fsPraven:
      kind = mkPravenFillerSleeve;
      prefix = "302_";
      name = "PRAVEN ";
      break;
    case fsGrentax:
    case fsKovaMoxel:
      kind = mkGrentaxFillerSleeve;
      prefix = "303_";
      name = "GRENTAX ";
      break;
    default: throw TError(kFillSystemUndefined);
  }
  const std::string lengthText = MaterialNumberText(1000000 + StandardLength);
  AddMaterial(kind, name + "fillersleeve 27/19", 27000, 19000, StandardLength, big * Pieces,
              prefix + "27" + lengthText, NonStandard);
  AddMaterial(kind, name + "fillersleeve 18/12", 18000, 12000, StandardLength, small * Pieces,
              prefix + "18" + lengthText, NonStandard);
  // The walls of the sleeves: 27² - 19² = 368 and 18² - 12² = 180 mm².
  FillerArea = (big * 368 + small * 180) * 0.25 * 1000 * 1000 * TransitPi;
}

void TMaterialsUsedForTransit::AddSheets(const TTransit& transit) {
  const double free = 1.1 * (transit.TransitArea() - transit.ConduitSleeveArea()) / 1000000;  // mm²
  double thick = 0;  // 25 mm strips
  if (!(free < 0)) thick = std::trunc(free / 675);
  double thin = std::trunc((free - 625 * thick) / 100);  // 10 mm strips
  if (thin < 0) thin = 0;
  AddMaterial(mkVeskamorSheet, "VESKAMOR sheet 600x140x25", 600000, 25000, StandardLength, thick / 24 * Pieces,
              "304_600", NonStandard);
  AddMaterial(mkVeskamorSheet, "VESKAMOR sheet 300x140x10", 300000, 10000, StandardLength, thin / 30 * Pieces,
              "304_300", NonStandard);
  FillerArea = transit.TransitArea() - transit.ConduitSleeveArea();
}

void TMaterialsUsedForTransit::AddSealant(const TTransit& transit) {
  const double open = transit.TransitArea() - transit.ConduitArea();
  double gaps = transit.TransitArea() - transit.ConduitSleeveArea() - FillerArea;
  if (!(gaps >= 0)) gaps = 0;
  const int layers = transit.SealantLayerCount();
  const double sides = layers < 2 ? layers : 2;
  const double volume = sides * gaps * 16000 + transit.SealantLayerThickness() * open;  // µm³
  const double ml = 0.000000000001 * volume * 1.1;  // 10 % overfill
  switch (transit.SealantCartridge) {
    case scTiso: AddMaterial(mkTisoSealant, "TISO sealant", kCartridgeMl, 0, 0, ml / kCartridgeMl, "401_0310", false); break;
    case scGrentax:
      AddMaterial(mkGrentaxSealant, "GRENTAX sealant", kCartridgeMl, 0, 0, ml / kCartridgeMl, "403_0310", false);
      break;
    case scHorlan:
      AddMaterial(mkHorlanSealant, "HORLAN sealant", kCartridgeMl, 0, 0, ml / kCartridgeMl, "402_0310", false);
      break;
    default: throw TError(kSealantUndefined);
  }
}

void TMaterialsUsedForTransit::MergeAndSort() {
  // Lines of the same article become one; the first keeps its texts.
  size_t count = Items.size();
  for (size_t i = 0; i < count; ++i) {
    size_t j = i + 1;
    while (j < count) {
      const TMaterialItem& a = Items[i];
      const TMaterialItem& b = Items[j];
      if (a.Kind == b.Kind && a.Size1 == b.Size1 && a.Size2 == b.Size2 && a.Length == b.Length) {
        Items[i].Amount = Items[i].Amount + Items[j].Amount;
        if (j != count - 1) Items[j] = Items[count - 1];
        --count;
      } else {
        ++j;
      }
    }
  }
  Items.resize(count);
  // Ascending article code, byte by byte.
  for (size_t i = 0; i + 1 < count; ++i)
    for (size_t j = i + 1; j < count; ++j)
      if (Items[i].Code.compare(Items[j].Code) > 0) std::swap(Items[i], Items[j]);
}
