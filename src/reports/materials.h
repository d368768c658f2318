#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TTransit;
class TSleeveCatalogue;

// What a material line is; decides the report section and takes part in
// merging.
enum TMaterialKind : uint8_t {
  mkKovaCableSleeve = 1,
  mkKovaPipeSleeve = 2,
  mkPravenSleeve = 3,
  mkMoxelCrusher = 4,
  mkKovaFillerSleeve = 5,
  mkPravenFillerSleeve = 6,
  mkGrentaxFillerSleeve = 7,
  mkVeskamorSheet = 8,
  mkTisoSealant = 9,
  mkHorlanSealant = 10,
  mkGrentaxSealant = 11,
  mkStrip = 12,
  mkWrap = 13,
};

// One line of a bill of materials. Lengths in micrometres.
struct TMaterialItem {
  uint8_t Kind = 0;          // a TMaterialKind
  std::string Code;          // article code; orders the list
  std::string Description;   // product description
  double Size1 = 0;          // sleeve outer diameter, cartridge ml, strip width, sheet length
  double Size2 = 0;          // sleeve inner diameter, sheet thickness
  double Length = 0;         // piece length, sheet width
  double Amount = 0;         // pieces, sheets, metres or (fractional) cartridges
  // Calculate: the amount for one transit, before it is multiplied by the
  // times the transit is used. Lines merged by AddFrom keep the first one's.
  double AmountPerTransit = 0;
  bool NonStandard = false;  // must be cut by hand: the piece is more than 1 mm longer than the depth
};

// The bill of materials of one filled transit, or the sum of several.
class TMaterialsUsedForTransit {
public:
  // Fills the list for a transit after its Fill. Raises TError on a fill
  // system, filling kind or sealant that has no materials.
  void Calculate(const TTransit& transit);

  int Count() const { return static_cast<int>(Items.size()); }
  TMaterialItem GetItem(int index) const { return Items.at(index); }
  const std::vector<TMaterialItem>& Lines() const { return Items; }
  bool HasKind(uint8_t kind) const;

  void AddMaterial(uint8_t kind, const std::string& description, double size1, double size2, double length,
                   double amount, const std::string& code, bool nonStandard);
  // Appends all lines of another list, then merges and sorts (project totals).
  void AddFrom(const TMaterialsUsedForTransit& other);

private:
  struct TLengthChoice {
    double Length;
    int Pieces;
    bool NonStandard;
  };
  TLengthChoice LengthFor(const TSleeveCatalogue& catalogue) const;
  void AddConduitMaterials(const TTransit& transit);
  void AddFillerSleeves(const TTransit& transit);
  void AddSheets(const TTransit& transit);
  void AddSealant(const TTransit& transit);
  void MergeAndSort();

  std::vector<TMaterialItem> Items;

  // Working values of one calculation.
  double SealingDepth = 0;
  double StandardLength = 0;
  int Pieces = 1;
  bool NonStandard = false;
  double FillerArea = 0;
};

// A number as article codes spell it: shortest general form with up to 15
// significant digits, no decimal point when integral.
std::string MaterialNumberText(double value);

// Integer part, plus 1 when the fractional part is above 0.
double MaterialCeiling(double value);
