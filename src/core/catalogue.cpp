#include "core/catalogue.h"

#include <cstdio>

int TSleeveCatalogue::Find(double conduitDiameter, double, double maxOuter) const {
  for (size_t i = 0; i < Rows.size(); ++i) {
    const TCatalogueRow& row = Rows[i];
    if (row.MinConduitDiameter <= conduitDiameter && conduitDiameter <= row.MaxConduitDiameter &&
        row.OuterDiameter <= maxOuter)
      return static_cast<int>(i);
  }
  return -1;
}

int TSleeveCatalogue::FindLength(double length) const {
  for (size_t i = 0; i < Lengths.size(); ++i)
    if (Lengths[i] >= length) return static_cast<int>(i);
  return -1;
}

void TSleeveCatalogue::AddRow(const std::string& text, double innerMm, double outerMm, double minMm,
                              double maxMm) {
  Rows.push_back({text, innerMm * 1000, outerMm * 1000, maxMm * 1000, minMm * 1000});
}

void TSleeveCatalogue::SetLengthsMm(std::initializer_list<double> lengthsMm) {
  Lengths.clear();
  for (double mm : lengthsMm) Lengths.push_back(mm * 1000);
}

void TSleeveCatalogue::AddCrusher(const std::string& text) {
  int outer = 0, inner = 0;
  std::sscanf(text.c_str() + text.rfind(' ') + 1, "%d/%d", &outer, &inner);
  double maxMm = inner == 16 ? 17.9 : inner == 18 ? 19.9 : inner + 2.0;
  AddRow(text, inner, outer, inner - 0.1, maxMm);
}

namespace {
// Inner, outer, min and max conduit diameter of the cable-sleeve sizes, in mm.
struct SleeveSize { const char* size; double inner, outer, min, max; };
const SleeveSize kCableSleeveSizes[] = {
    {" 12/6", 6, 12, 0, 7},     {" 14/8", 8, 14, 7, 9},     {"16/10", 10, 16, 9, 11},
    {"18/12", 12, 18, 11, 13},  {"20/14", 14, 20, 13, 15},  {"22/16", 16, 22, 15, 17},
    {"27/19", 19, 27, 17, 21},  {"31/23", 23, 31, 21, 25},  {"35/27", 27, 35, 25, 29},
    {"39/31", 31, 39, 29, 33},  {"46/36", 36, 46, 33, 39},  {"52/42", 42, 52, 39, 45},
    {"58/48", 48, 58, 45, 51},  {"64/54", 54, 64, 51, 57},  {"70/60", 60, 70, 57, 63.999},
};
}  // namespace

TKovaCableSleeveCatalogue::TKovaCableSleeveCatalogue() {
  for (const SleeveSize& s : kCableSleeveSizes)
    AddRow(std::string("KOVA cablesleeve ") + s.size, s.inner, s.outer, s.min, s.max);
  SetLengthsMm({60, 80, 110, 140, 160, 210, 1000});
}

TKovaPipeSleeveCatalogue::TKovaPipeSleeveCatalogue() {
  static const int kOuter[] = {27, 27, 31, 31, 35, 35, 39, 39, 46, 46, 46, 52, 52, 52, 58, 58, 58, 64, 64, 64};
  int previousInner = 0;
  for (int i = 0; i < 20; ++i) {
    int inner = 6 + 2 * i;
    char text[64];
    // "27/6" and "27/8" are padded with a second blank, like the cable sleeves.
    std::snprintf(text, sizeof text, "KOVA pipesleeve %s%d/%d", inner < 10 ? " " : "", kOuter[i], inner);
    AddRow(text, inner, kOuter[i], previousInner, inner);
    previousInner = inner;
  }
  SetLengthsMm({60, 80, 110, 140, 160, 210, 1000});
}

TPravenSleeveCatalogue::TPravenSleeveCatalogue() {
  for (const SleeveSize& s : kCableSleeveSizes)
    AddRow(std::string("PRAVEN sleeve ") + s.size, s.inner, s.outer, s.min, s.max);
  SetLengthsMm({60, 110, 160, 500, 1000});
}

TGrentaxSleeveCatalogue::TGrentaxSleeveCatalogue() { SetLengthsMm({110, 140, 160, 210}); }

TVeskamorStripCatalogue::TVeskamorStripCatalogue() { SetLengthsMm({40, 60, 80, 110, 120, 140, 160, 210}); }

TSingleCrusherCatalogue::TSingleCrusherCatalogue() {
  static const char* const kSizes[] = {
      "207/160", "202/160", "200/160", "207/140", "202/140", "200/140", "180/140", "160/125", "159/125",
      "154/125", "142/114", "159/110", "154/110", "150/110", "138/110", " 131/90", " 130/90", " 128/90",
      " 125/89", " 105/76", " 110/75", " 107/75", " 100/75", "  90/63", "  82/63", "  80/63", "  77/63",
      "  82/50", "  80/50", "  77/50", "  70/50", "  60/40", "  54/40", "  53/40", "  50/40", "  54/32",
      "  53/32", "  50/32", "  41/25", "  40/25", "  37/25", "  41/20", "  40/20", "  37/20", "  37/18",
      "  35/18", "  30/18", "  37/16", "  35/16", "  30/16"};
  for (const char* size : kSizes) AddCrusher(std::string("KOVA/MOXEL Crusher ") + size);
  SetLengthsMm({170});
}

TMultiCrusherCatalogue::TMultiCrusherCatalogue() {
  static const char* const kSizes[] = {"  30/16", "  30/18", "  37/20", "  37/25", "  50/32", "  50/40",
                                       "  70/50", "  77/63", " 100/75", " 105/76", " 125/89", " 128/90",
                                       "138/110", "142/114", "154/125", "180/140", "200/160"};
  for (const char* size : kSizes) AddCrusher(std::string("KOVA/MOXEL Crusher ") + size);
  SetLengthsMm({170});
}

const TSleeveCatalogue& KovaCableSleeves() { static const TKovaCableSleeveCatalogue c; return c; }
const TSleeveCatalogue& KovaPipeSleeves() { static const TKovaPipeSleeveCatalogue c; return c; }
const TSleeveCatalogue& PravenSleeves() { static const TPravenSleeveCatalogue c; return c; }
const TSleeveCatalogue& GrentaxSleeves() { static const TGrentaxSleeveCatalogue c; return c; }
const TSleeveCatalogue& VeskamorStrips() { static const TVeskamorStripCatalogue c; return c; }
const TSleeveCatalogue& SingleCrushers() { static const TSingleCrusherCatalogue c; return c; }
const TSleeveCatalogue& MultiCrushers() { static const TMultiCrusherCatalogue c; return c; }
