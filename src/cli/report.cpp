// trellane-cli report FILE -o OUT.rtf: the RTF material report of a project
// (data file or project export) or of one transit (transit export); with
// -o OUT.pdf its pages as PDF, laid out as the viewer shows them; with
// -o OUT.xlsx or OUT.csv its bill of materials as a spreadsheet.
#include <algorithm>
#include <cstring>
#include <iostream>

#include "cli/commands.h"
#include "cli/transit_json.h"
#include "core/advice.h"
#include "core/atomicfile.h"
#include "core/errors.h"
#include "core/transit.h"
#include "core/units.h"
#include "reports/report.h"
#include "reports/spreadsheet.h"
#include "store/config.h"
#include "store/datafile.h"
#include "store/exports.h"
#include "store/settings.h"
#include "store/transitrecord.h"

#if TRELLANE_HAVE_REPORT_PDF
#include "reports/render/reportpdf.h"
#endif

namespace {

struct TReportArgs {
  std::string File, Output, Config, Project;
  bool HasProject = false;
  std::vector<std::string> TransitNames;
  int ImageSize = risMedium;
  TProjectReportContents Contents = prcBoth;
  std::string Unit;
};

const char* const kUsage =
    "usage: trellane-cli report FILE -o OUT.rtf|OUT.pdf|OUT.xlsx|OUT.csv [--project NAME] [--transit NAME]... "
    "[--images none|small|medium|large] [--contents totals|transits|both] [--unit mm|inch] [--config FILE.ini]";

TReportArgs ParseArgs(const TArgs& args) {
  TReportArgs r;
  auto value = [&](size_t& i) -> const std::string& {
    if (i + 1 >= args.size()) throw TError(args[i] + " needs a value; " + kUsage);
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-o") {
      r.Output = value(i);
    } else if (a == "--project") {
      r.Project = value(i);
      r.HasProject = true;
    } else if (a == "--transit") {
      r.TransitNames.push_back(value(i));
    } else if (a == "--images") {
      const std::string& v = value(i);
      if (v == "none") r.ImageSize = risNone;
      else if (v == "small") r.ImageSize = risSmall;
      else if (v == "medium") r.ImageSize = risMedium;
      else if (v == "large") r.ImageSize = risLarge;
      else throw TError("--images takes none, small, medium or large");
    } else if (a == "--contents") {
      const std::string& v = value(i);
      if (v == "totals") r.Contents = prcTotals;
      else if (v == "transits") r.Contents = prcTransits;
      else if (v == "both") r.Contents = prcBoth;
      else throw TError("--contents takes totals, transits or both");
    } else if (a == "--unit") {
      r.Unit = value(i);
      if (r.Unit != "mm" && r.Unit != "inch") throw TError("Unknown length-unit");
    } else if (a == "--config") {
      r.Config = value(i);
    } else if (r.File.empty() && !a.empty() && a[0] != '-') {
      r.File = a;
    } else {
      throw TError("unexpected argument '" + a + "'; " + kUsage);
    }
  }
  if (r.File.empty()) throw TError(std::string("no FILE given; ") + kUsage);
  if (r.Output.empty()) throw TError(std::string("no output file given (-o OUT.rtf); ") + kUsage);
#if !TRELLANE_HAVE_REPORT_PDF
  if (FileExtension(r.Output) == ".pdf")
    throw TError("this trellane-cli was built without the desktop libraries and cannot write PDF; write .rtf");
#endif
  return r;
}

// The project to report on: the one named, or the only one.
int ChooseProject(const TReportArgs& r) {
  if (r.HasProject) {
    for (int i = 0; i < Projects.Count(); ++i)
      if (Projects.Items(i)->Name == r.Project) return i;
    throw TError("no project named '" + r.Project + "'");
  }
  if (Projects.Count() == 1) return 0;
  if (Projects.Count() == 0) throw TError("the file holds no projects");
  return -1;
}

// The transits ticked for the report: all of the project's, or those named.
std::vector<int32_t> CheckedTransits(int32_t projectId, const std::vector<std::string>& names) {
  const std::vector<int32_t> all = ProjectTransitIds(projectId);
  if (names.empty()) return all;
  std::vector<int32_t> checked;
  for (const std::string& name : names) {
    bool found = false;
    for (const int32_t id : all)
      if (Transits.Items(Transits.IndexOfID(id))->Name == name) found = true;
    if (!found) throw TError("the project has no transit named '" + name + "'");
  }
  // In list order, as the report dialog ticks them.
  for (const int32_t id : all)
    if (std::find(names.begin(), names.end(), Transits.Items(Transits.IndexOfID(id))->Name) != names.end())
      checked.push_back(id);
  return checked;
}

void WriteOutput(const std::string& path, const std::string& bytes) {
  if (path == "-") {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
    return;
  }
  try {
    WriteFileAtomically(path, bytes);
  } catch (const TFileError& e) {
    throw TError("cannot write file '" + path + "': " + std::strerror(e.Errno));
  }
}

}  // namespace

int RunReport(const TArgs& args) {
  const TReportArgs r = ParseArgs(args);
  SetDefaultSettings();
  if (!r.Config.empty()) {
    TZlibReadStream z(ReadWholeFile(r.Config));
    ReadConfigurationPayload(z);
  }
  if (r.Unit == "mm") CurrentLengthUnit = luMillimetre;
  else if (r.Unit == "inch") CurrentLengthUnit = luInch;
  else if (r.Config.empty()) CurrentLengthUnit = luMillimetre;

  const std::string ext = FileExtension(r.File);
  // A spreadsheet holds the figures only: the report is built without pictures.
  const bool spreadsheet = IsSpreadsheetPath(r.Output);
  const int imageSize = spreadsheet ? risNone : r.ImageSize;
  TReportSheets sheets;
  SheetWarningText() = [](const TTransit& transit) {
    return WarningAndMessages(ComputeWarnings(transit).Warning, transit);
  };
  ClearTables();
  std::string report;
  if (ext == ".htf") {
    if (r.HasProject) throw TError("a transit file holds no project; leave out --project");
    const int index = ImportTransitFile(r.File);
    TTransit transit;
    LoadFromRecord(transit, Transits.Items(index)->ID);
    for (const std::string& name : r.TransitNames)
      if (name != transit.Name) throw TError("the file holds no transit named '" + name + "'");
    // As the transit editor has it when its report is asked for.
    ValidateSortFill(transit);
    report = BuildTransitReport(transit, imageSize, &sheets);
  } else if (ext == ".tbs" || ext == ".hpf") {
    int projectIndex;
    if (ext == ".tbs") {
      TZlibReadStream z(ReadWholeFile(r.File));
      ReadDataPayload(z);
      projectIndex = ChooseProject(r);
      if (projectIndex < 0) {
        std::cerr << "error: the data file holds " << Projects.Count()
                  << " projects; choose one with --project NAME:\n";
        for (int i = 0; i < Projects.Count(); ++i) std::cout << Projects.Items(i)->Name << "\n";
        return ExitBadInput;
      }
    } else {
      projectIndex = ImportProjectFile(r.File);
      if (r.HasProject && Projects.Items(projectIndex)->Name != r.Project)
        throw TError("no project named '" + r.Project + "'");
    }
    const int32_t projectId = Projects.Items(projectIndex)->ID;
    report = BuildProjectReport(projectId, CheckedTransits(projectId, r.TransitNames), imageSize, r.Contents, &sheets);
  } else {
    throw TError("unknown file kind '" + r.File + "': expected .tbs, .hpf or .htf");
  }
  if (spreadsheet) {
    WriteSpreadsheetFile(r.Output, sheets);
    return ExitOk;
  }
#if TRELLANE_HAVE_REPORT_PDF
  if (FileExtension(r.Output) == ".pdf") {
    WriteReportPdfFile(report, r.Output);
    return ExitOk;
  }
#endif
  WriteOutput(r.Output, report);
  return ExitOk;
}
