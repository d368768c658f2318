#include <string>

#include "core/enums.h"
#include "core/transit.h"
#include "reports/spreadsheet.h"

bool IsSealantKind(uint8_t kind) { return kind == mkTisoSealant || kind == mkHorlanSealant || kind == mkGrentaxSealant; }

std::string WarningAndMessages(const std::string& warningLine, const TTransit& transit) {
  std::string out = warningLine;
  for (const std::string& message : transit.Messages) {
    if (message.empty()) continue;
    if (!out.empty()) out += "; ";
    out += message;
  }
  return out;
}

TSheetWarningText& SheetWarningText() {
  static TSheetWarningText text = [](const TTransit& transit) { return WarningAndMessages({}, transit); };
  return text;
}

TSheetTransit SheetTransit(const TTransit& t, const std::string& project, const TMaterialsUsedForTransit& materials) {
  TSheetTransit s;
  s.Project = project;
  s.Name = t.Name;
  s.TimesUsed = t.TransitsInProject;
  s.Round = t.IsRound();
  s.Width = t.Width;
  s.Height = t.Height;
  s.CornerRadius = t.CornerRadius;
  s.Depth = t.Depth;
  s.FillSystem = FillSystemToText(t.FillSystem);
  s.FillSubsystem = FillSubsystemToText(t.FillSubsystem);
  s.Classification = ClassificationToText(t.Classification);
  s.ConduitType = ConduitTypeToText(t.DefaultConduitType);
  s.SealantCartridge = SealantCartridgeToText(t.SealantCartridge);
  s.SealantLayer = SealantLayerToText(t.SealantLayer);
  s.Conduits = t.TotalConduitCount();
  s.NotPlaced = t.NotPlacedCount;
  s.FillingRate = t.FillingRate();
  s.Spare = t.SparePercentage;
  if (SheetWarningText()) s.Warning = SheetWarningText()(t);
  s.Materials = materials.Lines();
  return s;
}

std::string MaterialKindText(uint8_t kind) {
  switch (kind) {
    case mkKovaCableSleeve:
    case mkKovaPipeSleeve: return "KOVA Insert sleeves";
    case mkPravenSleeve: return "PRAVEN Insert sleeves";
    case mkMoxelCrusher: return "KOVA MOXEL Crushers";
    case mkKovaFillerSleeve: return "KOVA Filler sleeves";
    case mkPravenFillerSleeve: return "PRAVEN Filler sleeves";
    case mkGrentaxFillerSleeve: return "GRENTAX Filler sleeves";
    case mkVeskamorSheet: return "VESKAMOR Pre-slit sheets";
    case mkTisoSealant: return "KOVA TISO sealant";
    case mkHorlanSealant: return "PRAVEN HORLAN sealant";
    case mkGrentaxSealant: return "GRENTAX sealant";
    case mkStrip: return "KOVA Strips";
    case mkWrap: return "KOVA MOXEL Wraps";
    default: return "?";
  }
}

std::string MaterialAmountUnit(uint8_t kind) {
  if (kind == mkVeskamorSheet) return "sheets";
  if (kind == mkStrip || kind == mkWrap) return "m";
  if (IsSealantKind(kind)) return "cartridges";
  return "pieces";
}

