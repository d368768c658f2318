#pragma once
#include <string>
#include <vector>

struct TCatalogueRow {
  std::string ProductText;
  double InnerDiameter = 0;       // micrometres
  double OuterDiameter = 0;
  double MaxConduitDiameter = 0;  // largest conduit the row takes
  double MinConduitDiameter = 0;  // smallest conduit the row takes
};

// A read-only product catalogue: rows in catalogue order (lookups return the
// first match) and standard lengths, ascending.
class TSleeveCatalogue {
public:
  virtual ~TSleeveCatalogue() = default;

  // Index of the first row with Min <= D <= Max and Outer <= maxOuter, or -1.
  int Find(double conduitDiameter, double unused, double maxOuter) const;
  const TCatalogueRow& Row(int index) const { return Rows.at(index); }
  double CatalogueMaxDiameter() const { return Rows.back().MaxConduitDiameter; }
  // Index of the first standard length of at least `length`, or -1.
  int FindLength(double length) const;
  double LengthAt(int index) const { return Lengths.at(index); }
  int RowCount() const { return static_cast<int>(Rows.size()); }
  int LengthCount() const { return static_cast<int>(Lengths.size()); }

  std::vector<TCatalogueRow> Rows;
  std::vector<double> Lengths;

protected:
  TSleeveCatalogue() = default;
  void AddRow(const std::string& text, double innerMm, double outerMm, double minMm, double maxMm);
  void SetLengthsMm(std::initializer_list<double> lengthsMm);
  // A crusher row; diameters from the "outer/inner" ending of the text.
  void AddCrusher(const std::string& text);
};

class TKovaCableSleeveCatalogue : public TSleeveCatalogue { public: TKovaCableSleeveCatalogue(); };
class TKovaPipeSleeveCatalogue : public TSleeveCatalogue { public: TKovaPipeSleeveCatalogue(); };
class TPravenSleeveCatalogue : public TSleeveCatalogue { public: TPravenSleeveCatalogue(); };
class TGrentaxSleeveCatalogue : public TSleeveCatalogue { public: TGrentaxSleeveCatalogue(); };
class TVeskamorStripCatalogue : public TSleeveCatalogue { public: TVeskamorStripCatalogue(); };
class TSingleCrusherCatalogue : public TSleeveCatalogue { public: TSingleCrusherCatalogue(); };
class TMultiCrusherCatalogue : public TSleeveCatalogue { public: TMultiCrusherCatalogue(); };

// The seven process-wide catalogues, created on first use and never changed.
const TSleeveCatalogue& KovaCableSleeves();
const TSleeveCatalogue& KovaPipeSleeves();
const TSleeveCatalogue& PravenSleeves();
const TSleeveCatalogue& GrentaxSleeves();
const TSleeveCatalogue& VeskamorStrips();
const TSleeveCatalogue& SingleCrushers();
const TSleeveCatalogue& MultiCrushers();

// Used by callers with no limit on the outer diameter.
constexpr double NoOuterLimit = 1.7e308;
