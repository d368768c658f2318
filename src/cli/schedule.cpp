#include <algorithm>
#include <filesystem>
#include <thread>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/transit_json.h"
#include "core/errors.h"
#include "core/resize.h"
#include "core/units.h"
#include "schedule/schedule.h"
#include "store/exports.h"
#include "store/settings.h"
#include "store/tables.h"

namespace {

using json = nlohmann::ordered_json;

struct TScheduleArgs {
  std::string File, Output, Template, ProjectName, Sheet;
  std::string TransitColumn, DiameterColumn, AmountColumn, TagColumn, TypeColumn;
  TLengthUnit Unit = luMillimetre;
  char Decimal = 0, Delimiter = 0;
  bool Resize = false;
};

TScheduleArgs ParseScheduleArgs(const TArgs& args) {
  TScheduleArgs a;
  auto value = [&](size_t& i) -> const std::string& {
    if (i + 1 >= args.size()) throw TError(args[i] + " needs a value");
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--transit-column") a.TransitColumn = value(i);
    else if (arg == "--diameter-column") a.DiameterColumn = value(i);
    else if (arg == "--amount-column") a.AmountColumn = value(i);
    else if (arg == "--tag-column") a.TagColumn = value(i);
    else if (arg == "--type-column") a.TypeColumn = value(i);
    else if (arg == "--sheet") a.Sheet = value(i);
    else if (arg == "--template") a.Template = value(i);
    else if (arg == "--project-name") a.ProjectName = value(i);
    else if (arg == "-o") a.Output = value(i);
    else if (arg == "--resize") a.Resize = true;
    else if (arg == "--unit") {
      const std::string& unit = value(i);
      if (unit == "mm") a.Unit = luMillimetre;
      else if (unit == "inch") a.Unit = luInch;
      else throw TError("Unknown length-unit");
    } else if (arg == "--decimal") {
      const std::string& d = value(i);
      if (d != "." && d != ",") throw TError("--decimal needs . or ,");
      a.Decimal = d[0];
    } else if (arg == "--delimiter") {
      const std::string& d = value(i);
      if (d == "tab" || d == "\\t") a.Delimiter = '\t';
      else if (d.size() == 1 && d[0] != '"' && d[0] != '\r' && d[0] != '\n') a.Delimiter = d[0];
      else throw TError("--delimiter needs one character (or tab)");
    } else if (a.File.empty() && (arg.empty() || arg[0] != '-')) {
      a.File = arg;
    } else {
      throw TError("unexpected argument '" + arg + "'");
    }
  }
  if (a.File.empty()) throw TError("no FILE given");
  if (a.Output.empty()) throw TError("no output file given (-o OUT.hpf)");
  return a;
}

// The column named on the command line, else the suggested one.
int ChooseColumn(const std::vector<std::string>& header, const std::string& name, int suggested,
                 const char* what, bool required) {
  if (!name.empty()) {
    const int column = FindScheduleColumn(header, name);
    if (column < 0) throw TError("The header row has no column '" + name + "'");
    return column;
  }
  if (suggested < 0 && required)
    throw TError(std::string("No ") + what + " column found in the header row; name it with --" + what + "-column");
  return suggested;
}

json ColumnJson(const std::vector<std::string>& header, int column) {
  return column < 0 ? json(nullptr) : json(header[static_cast<size_t>(column)]);
}

std::string DelimiterText(char c) {
  if (c == 0) return "";
  if (c == '\t') return "tab";
  return std::string(1, c);
}

}  // namespace

int RunSchedule(const TArgs& args) {
  const TScheduleArgs a = ParseScheduleArgs(args);
  TScheduleReadOptions read;
  read.Text.Delimiter = a.Delimiter;
  read.Text.Decimal = a.Decimal;
  read.Sheet = a.Sheet;
  const TScheduleTable table = ReadScheduleFile(a.File, read);
  const std::vector<std::string> header = ScheduleHeader(table);
  if (header.empty()) throw TError("The schedule is empty");
  const TScheduleColumns suggested = SuggestScheduleColumns(header);

  TScheduleOptions options;
  options.Columns.Transit = ChooseColumn(header, a.TransitColumn, suggested.Transit, "transit", true);
  options.Columns.Diameter = ChooseColumn(header, a.DiameterColumn, suggested.Diameter, "diameter", true);
  options.Columns.Amount = ChooseColumn(header, a.AmountColumn, suggested.Amount, "amount", false);
  options.Columns.Tag = ChooseColumn(header, a.TagColumn, suggested.Tag, "tag", false);
  options.Columns.Type = ChooseColumn(header, a.TypeColumn, suggested.Type, "type", false);
  options.Unit = a.Unit;
  options.Decimal = table.DecimalSeparator;

  // A project of its own in empty tables: the CLI never writes into a data
  // file; the program imports the export file.
  ClearTables();
  const int projectIndex = Projects.Add();
  TRecProject* project = Projects.Items(projectIndex);
  project->Name = a.ProjectName.empty() ? std::filesystem::path(a.File).stem().string() : a.ProjectName;
  project->Created = project->Modified = NowDateTime();
  project->CreatedBy = project->ModifiedBy = CurrentUserName;
  const int32_t projectId = project->ID;
  options.ProjectID = projectId;

  TApplyOptions apply;
  if (!a.Template.empty()) {
    const int index = ImportTransitFile(a.Template);
    Transits.Items(index)->ProjectID = TemplateProjectID;
    apply.TemplateID = Transits.Items(index)->ID;
  }
  if (a.Resize) {
    // As the resize command does: a transit the search cannot fit keeps its size.
    apply.Resize = [](TTransit& t) {
      if (t.ConduitArea() == 0) return true;
      TTransit saved = t;
      if (ResizeSearch(t)) return true;
      t = saved;
      return false;
    };
    // Transits are independent: each is resized on its own model.
    apply.Threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  }

  const TSchedulePlan plan = PlanSchedule(table, options);
  const TApplyResult result = ApplySchedulePlan(plan, projectId, apply);
  ExportProjectFile(projectIndex, a.Output);

  json out = json::object();
  out["file"] = a.File;
  out["encoding"] = table.Encoding;
  if (!table.SheetName.empty()) out["sheet"] = table.SheetName;
  if (table.Delimiter) out["delimiter"] = DelimiterText(table.Delimiter);
  out["decimal"] = std::string(1, table.DecimalSeparator);
  out["unit"] = a.Unit == luInch ? "inch" : "mm";
  out["header_row"] = ScheduleHeaderRow(table) + 1;
  out["columns"] = {{"transit", ColumnJson(header, options.Columns.Transit)},
                    {"diameter", ColumnJson(header, options.Columns.Diameter)},
                    {"amount", ColumnJson(header, options.Columns.Amount)},
                    {"tag", ColumnJson(header, options.Columns.Tag)},
                    {"type", ColumnJson(header, options.Columns.Type)}};
  out["cables_read"] = plan.CablesRead;
  out["cables_imported"] = plan.CablesImported;
  out["rows_refused"] = plan.RowsRefused;
  json transits = json::array();
  for (size_t i = 0; i < plan.Transits.size(); ++i) {
    const TPlannedTransit& p = plan.Transits[i];
    const TAppliedTransit& r = result.Transits[i];
    const TRecTransit* record = Transits.Items(Transits.IndexOfID(r.ID));
    json groups = json::array();
    for (const TPlannedGroup& g : p.Groups)
      groups.push_back({{"diameter", g.OuterDiameter}, {"amount", g.Amount}, {"type", ConduitTypeToText(g.ConduitType)}});
    transits.push_back({{"name", p.Name},
                        {"created", r.Created},
                        {"groups", groups},
                        {"cables", p.CableCount},
                        {"width", record->Width},
                        {"height", record->Height},
                        {"corner_radius", record->CornerRadius},
                        {"depth", record->Depth},
                        {"filling_rate", r.FillingRate},
                        {"not_placed", r.NotPlaced},
                        {"warnings", r.Warnings}});
  }
  out["transits"] = transits;
  json refused = json::array();
  for (const TRefusedRow& row : plan.Refused)
    refused.push_back({{"row", row.Row}, {"tag", row.Tag}, {"reason", row.Reason}});
  out["refused"] = refused;
  out["output"] = a.Output;
  std::cout << out.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  return ExitOk;
}
