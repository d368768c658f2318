#include "reports/report.h"

#include "core/errors.h"
#include "core/transit.h"
#include "core/units.h"
#include "reports/rtfwriter.h"
#include "reports/spreadsheet.h"
#include "store/settings.h"
#include "store/tables.h"
#include "store/transitrecord.h"

#include "core/draw/rtfimage.h"
#include "core/draw/transitdrawer.h"

namespace {

const char* const kTabs = "\\tx0\\tx3000\\tx4500\\tx6200\\tx7500";

std::string Amount0(double amount) { return FormatFloat("%.0f", amount); }

std::string LengthWithUnit(double micrometres) { return FormatLength(micrometres) + " " + LengthUnitName(); }

// The part of a description after its last space: a sleeve's size.
std::string SizeOf(const std::string& description) {
  const size_t space = description.rfind(' ');
  return space == std::string::npos ? description : description.substr(space + 1);
}

std::string Mark(const TMaterialItem& item, bool summary) { return item.NonStandard && !summary ? "*" : ""; }

void WriteComments(std::string& s, const std::string& comments) {
  const std::vector<std::string> lines = TextLines(comments);
  for (size_t i = 0; i < lines.size(); ++i)
    WriteLine(s, (i == 0 ? "\\par Comments:\\tab " : "\\par\\tab ") + RtfText(lines[i]));
}

void WritePicture(std::string& s, const TTransit& transit, int imageWidth, int imageHeight) {
  WriteText(s, "\\par \\fs16");
  WriteLine(s, "\\par ");
  TTransitDrawer drawer(transit);
  drawer.SetSize(imageWidth, imageHeight);
  const int w = drawer.ImageWidth, h = drawer.ImageHeight;
  TRTFimage image(w, h);
  drawer.SetColourScheme(true);
  drawer.GridInFront = false;
  drawer.GridLineWidth = Settings.ShowGrid ? 6 : 0;
  TCanvas& canvas = image.Canvas();
  drawer.Draw(canvas);
  // A black frame round the picture.
  canvas.SetPen(0x000000, 6);
  canvas.MoveTo(0, 0);
  canvas.LineTo(w - 10, 0);
  canvas.LineTo(w - 10, h - 10);
  canvas.LineTo(0, h - 10);
  canvas.LineTo(0, 0);
  image.WriteTo(s, w, h);
}

void WriteHeading(std::string& s, const char* heading, bool withPriceColumns) {
  WriteLine(s, std::string(heading) + (withPriceColumns ? "\\tab\\tab\\tab Price\\tab Total" : "") + "\\b0");
}

void WriteSleeveTable(std::string& s, const TMaterialsUsedForTransit& m, uint8_t kind, bool summary) {
  if (!m.HasKind(kind)) return;
  const char* title = kind <= mkPravenSleeve ? "Insert sleeves" : kind == mkMoxelCrusher ? "MOXEL Crushers" : "Filler sleeves";
  WriteLine(s, std::string("\\par \\b0 ") + title + "\\tab Amount\\tab Length");
  for (const TMaterialItem& item : m.Lines())
    if (item.Kind == kind)
      WriteLine(s, "\\par " + RtfText(SizeOf(item.Description)) + "\\tab " + PadAmount(12, Amount0(item.Amount)) +
                       "\\tab " + LengthWithUnit(item.Length) + Mark(item, summary));
  WriteLine(s, "\\par ");
}

void WriteSealantTable(std::string& s, const TMaterialsUsedForTransit& m, uint8_t kind, bool summary) {
  if (!m.HasKind(kind)) return;
  const char* name = kind == mkTisoSealant ? "TISO" : kind == mkHorlanSealant ? "HORLAN" : "GRENTAX";
  WriteLine(s, std::string("\\par ") + name + " sealant");
  for (const TMaterialItem& item : m.Lines()) {
    if (item.Kind != kind) continue;
    const double ml = item.Size1 * item.Amount;
    const double cartridges = MaterialCeiling(item.Amount);
    std::string text = Amount0(ml) + " ml (" + FormatFloat("%.0f", cartridges) + " cartridges";
    if (summary) text += " of " + Amount0(item.Size1) + "ml";
    WriteLine(s, "\\par (incl. overfill)\\tab " + text + ")");
  }
  WriteLine(s, "\\par ");
}

void WriteStripTable(std::string& s, const TMaterialsUsedForTransit& m, uint8_t kind, bool summary) {
  WriteLine(s, kind == mkStrip ? "\\par Strips\\tab Amount\\tab Width" : "\\par MOXEL Wraps\\tab Amount\\tab Width");
  const char* lead = kind == mkStrip ? "\\par FRR/EHF (2.5mm)\\tab " : "\\par 1000x2.5mm\\tab ";
  for (const TMaterialItem& item : m.Lines())
    if (item.Kind == kind)
      WriteLine(s, lead + PadAmount(12, Amount0(item.Amount)) + " meter" + "\\tab " + LengthWithUnit(item.Size1) +
                       Mark(item, summary));
  WriteLine(s, "\\par ");
}

}  // namespace

void WriteReportHeader(std::string& s) {
  WriteLine(s,
            "{\\rtf1\\ansi\\ansicpg1252\\paperw11906\\paperh16838\\deff0\\deflang2057"
            "{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}");
  std::string line = std::string("\\viewkind4\\uc1\\pard") + kTabs + "\\f0\\fs16 ";
  for (const std::string& company : Settings.CompanyLines) line += RtfText(company) + "\\par ";
  WriteLine(s, line);
  line = "\\par ";
  for (const std::string& distributor : Settings.DistributorLines) line += RtfText(distributor) + "\\par ";
  WriteLine(s, line);
  WriteLine(s, std::string("\\par \\par {\\b\\f36\\fs19\\insrsid8486129\\charrsid8486129 Program-version of Trellane: ") +
                   RtfText(ReportVersionText) + "  \\par }");
  WriteLine(s,
            "{\\i\\f36\\fs14\\insrsid8486129\\charrsid8486129 Always use the most recent version when creating a new "
            "material-list!}\\par \\par ");
}

void WriteTransitSection(std::string& s, TTransit& t, const TMaterialsUsedForTransit& m, int imageWidth,
                         int imageHeight) {
  WriteLine(s, "\\par \\pard\\b Material list for transit '" + RtfText(t.Name) + "' \\b0");
  if (imageWidth >= 1 && imageHeight >= 1) WritePicture(s, t, imageWidth, imageHeight);
  WriteLine(s, std::string("\\par \\pard") + kTabs);
  WriteLine(s, "\\par Created on:\\tab " + RtfText(FormatTimestamp(t.Created)));
  WriteLine(s, "\\par Created by:\\tab " + RtfText(t.CreatedBy));
  WriteLine(s, "\\par Last modified:\\tab " + RtfText(FormatTimestamp(t.Modified)));
  WriteLine(s, "\\par Modified by:\\tab " + RtfText(t.ModifiedBy));
  WriteComments(s, t.Comments);
  WriteLine(s, "\\par ");

  WriteLine(s, "\\par \\b Transit specifications:\\tab\\b0 (All dimensions in " + LengthUnitName() + ")");
  if (t.IsRound()) {
    WriteLine(s, "\\par Diameter:\\tab " + FormatLength(t.Width));
  } else {
    WriteLine(s, "\\par Width:\\tab " + FormatLength(t.Width));
    WriteLine(s, "\\par Height:\\tab " + FormatLength(t.Height));
    WriteLine(s, "\\par Corner radius:\\tab " + FormatLength(t.CornerRadius));
  }
  WriteLine(s, "\\par Depth:\\tab " + FormatLength(t.Depth));
  WriteLine(s, "\\par Transit type:\\tab " + RtfText(t.ConduitDescription()));
  if (t.TransitsInProject == 1)
    WriteLine(s, "\\par Transit used in this project:\\tab 1 time");
  else
    WriteLine(s, "\\par Transit used in this project:\\tab " + std::to_string(t.TransitsInProject) + " times");
  if (t.IsSpareApplicable()) {
    WriteLine(s, "\\par Filling rate:\\tab " + FormatFloat("%.1f", t.FillingRate()) + "%");
    WriteLine(s, "\\par Spare on " + t.ConduitSingularLower() + " set:\\tab " + FormatFloat("%.1f", t.SparePercentage) +
                     "%");
  }
  switch (t.Classification) {
    case clA: WriteLine(s, "\\par Class:\\tab A-class"); break;
    case clH: WriteLine(s, "\\par Class:\\tab H-class"); break;
    case clB: WriteLine(s, "\\par Class:\\tab B-class"); break;
    case clWatertight: WriteLine(s, "\\par Class:\\tab Watertight"); break;
    default: break;
  }
  switch (t.SealantLayer) {
    case slDouble20: WriteLine(s, "\\par Sealant:\\tab 20mm (both sides)"); break;
    case slSingle20: WriteLine(s, "\\par Sealant:\\tab 20mm (single side)"); break;
    case slDouble5: WriteLine(s, "\\par Sealant:\\tab 5mm (both sides)"); break;
    default: WriteLine(s, "\\par Sealant:\\tab None"); break;
  }
  WriteLine(s, "\\par ");
  if (t.Classification == clWatertight)
    WriteLine(s, "\\par {\\i Check the disclaimer for the watertightness ratings.}");
  else
    WriteLine(s, "\\par {\\i Check the Type Approval Certificates for limitations in sizes !}");
  WriteLine(s, "\\par ");
  WriteLine(s, "\\par ");

  WriteLine(s, "\\par \\b Material specifications:");
  WriteLine(s, "\\par \\b0 Type of filler sleeves:\\tab standard");
  if (m.HasKind(mkTisoSealant)) {
    if (t.SealantCartridge != scTiso) throw TError("Unknown cartridge-size!");
    WriteLine(s, "\\par TISO sealant:\\tab cartridges 310 ml");
  }
  if (m.HasKind(mkHorlanSealant)) WriteLine(s, "\\par HORLAN sealant:\\tab cartridges 310 ml");
  if (m.HasKind(mkGrentaxSealant)) {
    if (t.SealantCartridge != scGrentax) throw TError("Unknown cartridge-size!");
    WriteLine(s, "\\par GRENTAX sealant:\\tab cartridges 310 ml");
  }
  WriteLine(s, "\\par ");

  if (!t.Messages.empty()) {
    WriteLine(s, "\\par \\b Warning:\\b0");
    for (const std::string& message : t.Messages) WriteLine(s, "\\par " + RtfText(message));
    WriteLine(s, "\\par ");
  }

  int64_t total = 0;
  for (const TConduitGroup& g : t.ConduitGroups) total += g.Amount;
  if (total == 0) {
    WriteLine(s, "\\par No " + t.ConduitPlural() + " \\b0");
  } else {
    t.SortConduitGroups();
    WriteLine(s, "\\par \\b " + t.ConduitSingular() + " specifications:");
    WriteLine(s, "\\par \\b0 " + t.ConduitPlural() + " (OD)\\tab Amount");
    for (const TConduitGroup& g : t.ConduitGroups)
      WriteLine(s, "\\par " + FormatLength(g.OuterDiameter) + "\\tab " + PadAmount(12, std::to_string(g.Amount)));
    WriteLine(s, "\\par ");
    WriteLine(s, "\\par Total amount of " + t.ConduitPluralLower() + ": " + std::to_string(total));
  }
  WriteLine(s, "\\par ");
}

void WriteMaterialList(std::string& s, const TMaterialsUsedForTransit& m, bool withPriceColumns, bool summary) {
  if (m.HasKind(mkGrentaxFillerSleeve) || m.HasKind(mkGrentaxSealant)) {
    WriteHeading(s, "\\par \\b GRENTAX materials needed: ", withPriceColumns);
    WriteSleeveTable(s, m, mkGrentaxFillerSleeve, summary);
    WriteSealantTable(s, m, mkGrentaxSealant, summary);
    WriteLine(s, "\\par ");
  }
  if (m.HasKind(mkPravenFillerSleeve) || m.HasKind(mkPravenSleeve) || m.HasKind(mkHorlanSealant)) {
    WriteHeading(s, "\\par \\b PRAVEN materials needed: ", withPriceColumns);
    WriteSleeveTable(s, m, mkPravenSleeve, summary);
    WriteSleeveTable(s, m, mkPravenFillerSleeve, summary);
    WriteSealantTable(s, m, mkHorlanSealant, summary);
    WriteLine(s, "\\par ");
  }
  if (m.HasKind(mkTisoSealant) || m.HasKind(mkKovaFillerSleeve) || m.HasKind(mkKovaCableSleeve) ||
      m.HasKind(mkStrip) || m.HasKind(mkKovaPipeSleeve) || m.HasKind(mkMoxelCrusher) || m.HasKind(mkWrap)) {
    WriteHeading(s, "\\par \\b KOVA materials needed: ", withPriceColumns);
    WriteSleeveTable(s, m, mkKovaCableSleeve, summary);
    WriteSleeveTable(s, m, mkKovaPipeSleeve, summary);
    WriteSleeveTable(s, m, mkMoxelCrusher, summary);
    if (m.HasKind(mkStrip)) WriteStripTable(s, m, mkStrip, summary);
    if (m.HasKind(mkWrap)) WriteStripTable(s, m, mkWrap, summary);
    WriteSleeveTable(s, m, mkKovaFillerSleeve, summary);
    WriteSealantTable(s, m, mkTisoSealant, summary);
    WriteLine(s, "\\par ");
  }
  if (m.HasKind(mkVeskamorSheet)) {
    WriteHeading(s, "\\par \\b VESKAMOR materials needed: ", withPriceColumns);
    WriteLine(s, "\\par Pre-slit sheets (size)\\tab Amount");
    for (const TMaterialItem& item : m.Lines()) {
      if (item.Kind != mkVeskamorSheet) continue;
      const std::string size = FormatFloat("%.0f", item.Size1 / 1000) + "x" + FormatFloat("%.0f", item.Length / 1000) +
                               "x" + FormatFloat("%.0f", item.Size2 / 1000) + "mm";
      WriteLine(s, "\\par " + size + Mark(item, summary) + "\\tab " + PadAmount(12, Amount0(item.Amount)));
    }
    WriteLine(s, "\\par ");
  }
  bool nonStandard = false;
  for (const TMaterialItem& item : m.Lines()) nonStandard = nonStandard || item.NonStandard;
  if (nonStandard && !summary) {
    WriteLine(s, "\\par * non-standard transit-depth, some materials will have to be cut by hand to the correct size!");
    WriteLine(s, "\\par ");
  }
}

void WritePageBreak(std::string& s) { WriteLine(s, "\\page"); }

void WriteReportFooter(std::string& s) { WriteLine(s, "\\par }"); }

std::string BuildTransitReport(TTransit& transit, int imageSize, TReportSheets* sheets, const std::string& project) {
  TMaterialsUsedForTransit materials;
  materials.Calculate(transit);
  if (sheets) {
    *sheets = TReportSheets();
    sheets->Transits.push_back(SheetTransit(transit, project, materials));
    sheets->Totals = materials.Lines();
  }
  std::string s;
  WriteReportHeader(s);
  WriteTransitSection(s, transit, materials, imageSize, imageSize);
  WriteMaterialList(s, materials, false, false);
  WriteReportFooter(s);
  return s;
}

std::vector<int32_t> ProjectTransitIds(int32_t projectId) {
  std::vector<int32_t> ids;
  for (int i = 0; i < Transits.Count(); ++i)
    if (Transits.Items(i)->ProjectID == projectId) ids.push_back(Transits.Items(i)->ID);
  return ids;
}

std::string BuildProjectReport(int32_t projectId, const std::vector<int32_t>& checked, int imageSize,
                               TProjectReportContents contents, TReportSheets* sheets) {
  const int projectIndex = Projects.IndexOfID(projectId);
  if (projectIndex < 0) throw TError("Project not found");
  const TRecProject& project = *Projects.Items(projectIndex);
  const bool withTotals = contents != prcTransits;
  const bool withTransits = contents != prcTotals;
  if (sheets) {
    *sheets = TReportSheets();
    sheets->WithTotals = withTotals;
    sheets->WithTransits = withTransits;
  }

  // The transit sections come first: they calculate what the totals add up.
  TMaterialsUsedForTransit totals;
  std::string transitPart;
  std::string names;
  for (const int32_t id : checked) {
    TTransit transit;
    LoadFromRecord(transit, id);
    transit.Fill();
    TMaterialsUsedForTransit materials;
    materials.Calculate(transit);
    totals.AddFrom(materials);
    if (sheets && withTransits) sheets->Transits.push_back(SheetTransit(transit, project.Name, materials));
    WritePageBreak(transitPart);
    WriteTransitSection(transitPart, transit, materials, imageSize, imageSize);
    WriteMaterialList(transitPart, materials, true, false);
    names += (names.empty() ? "" : ", ") + transit.Name;
  }
  const size_t listed = ProjectTransitIds(projectId).size();

  std::string s;
  WriteReportHeader(s);
  WriteLine(s, "\\par ");
  WriteLine(s, "\\par Project customer:\\tab " + RtfText(project.Customer));
  WriteLine(s, "\\par Project name:\\tab " + RtfText(project.Name));
  WriteLine(s, "\\par Project created on:\\tab " + RtfText(FormatTimestamp(project.Created)));
  WriteLine(s, "\\par Project created by:\\tab " + RtfText(project.CreatedBy));
  WriteLine(s, "\\par Project last modified:\\tab " + RtfText(FormatTimestamp(project.Modified)));
  WriteLine(s, "\\par Project modified by:\\tab " + RtfText(project.ModifiedBy));
  WriteLine(s, "\\par Transits amount:\\tab " + std::to_string(checked.size()));
  WriteComments(s, project.Comments);
  WriteLine(s, "\\par ");
  if (withTotals) {
    WriteLine(s, "\\par \\b Materials needed for project '" + RtfText(project.Name) + "':\\b0 ");
    if (checked.size() != listed) WriteLine(s, "\\par note: only calculated for transits " + RtfText(names));
    WriteLine(s, "\\par ");
    WriteMaterialList(s, totals, true, true);
  }
  if (withTransits) s += transitPart;
  if (sheets && withTotals) sheets->Totals = totals.Lines();
  WriteReportFooter(s);
  return s;
}
