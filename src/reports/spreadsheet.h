#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "reports/materials.h"

class TTransit;

// The bill of materials as a spreadsheet: the figures a material report was
// built from, written as an .xlsx workbook or as CSV.

// One transit of a report, as its row of the "Transits" sheet and its lines
// of the "Materials" sheet show it. Lengths in micrometres.
struct TSheetTransit {
  std::string Project, Name;
  int32_t TimesUsed = 0;
  bool Round = false;
  double Width = 0, Height = 0, CornerRadius = 0, Depth = 0;
  std::string FillSystem, FillSubsystem, Classification, ConduitType, SealantCartridge, SealantLayer;
  int64_t Conduits = 0, NotPlaced = 0;
  double FillingRate = 0, Spare = 0;  // per cent
  std::string Warning;                // empty when none
  // The transit's bill of materials as the report printed it: Amount is
  // AmountPerTransit times TimesUsed.
  std::vector<TMaterialItem> Materials;
};

// The figures of one report. A transit report has one transit and its own
// materials as totals; a project report the checked transits and the
// project totals, as far as the report holds them.
struct TReportSheets {
  bool WithTransits = true;  // the "Transits" and "Materials" sheets
  bool WithTotals = true;    // the "Totals" sheet
  std::vector<TSheetTransit> Transits;
  std::vector<TMaterialItem> Totals;
};

// The warning line a transit's row carries. By default the report's own
// warnings (the transit's messages); the program and the command-line tool
// put in the editor's warning line.
using TSheetWarningText = std::function<std::string(const TTransit& transit)>;
TSheetWarningText& SheetWarningText();
// A warning line followed by the transit's messages, the non-empty ones
// joined by "; ".
std::string WarningAndMessages(const std::string& warningLine, const TTransit& transit);

// A filled transit and its calculated materials as a row of the sheets.
TSheetTransit SheetTransit(const TTransit& transit, const std::string& project,
                           const TMaterialsUsedForTransit& materials);

// What a material line is called in the sheets: the report's section and
// table ("KOVA Insert sleeves"), and the unit of its amount ("pieces",
// "sheets", "m", "cartridges").
std::string MaterialKindText(uint8_t kind);
std::string MaterialAmountUnit(uint8_t kind);
// TISO, HORLAN or GRENTAX sealant: amounts in (fractional) cartridges.
bool IsSealantKind(uint8_t kind);

enum class TSpreadsheetFormat { Xlsx, Csv };

// The format by the file's extension (.xlsx or .csv in any case); any other
// raises TError.
TSpreadsheetFormat SpreadsheetFormatForPath(const std::string& path);
// True when the path ends in .xlsx or .csv.
bool IsSpreadsheetPath(const std::string& path);

// The workbook's bytes: "Transits", "Materials" and "Totals" (the sheets the
// report holds), lengths in the current unit, bold frozen headers with an
// autofilter, the program version in the document properties.
std::string SpreadsheetXlsx(const TReportSheets& sheets);
// CSV (RFC 4180, UTF-8 with a byte-order mark, comma, decimal point, CR LF)
// of the "Materials" sheet; of the "Totals" sheet when the report holds no
// transits.
std::string SpreadsheetCsv(const TReportSheets& sheets);

// Writes the spreadsheet in the path's format atomically: a failure leaves
// no partial file and an existing file as it was. Raises TError with a
// message that names the file.
void WriteSpreadsheetFile(const std::string& path, const TReportSheets& sheets);
