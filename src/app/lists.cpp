#include "app/lists.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "platform/mdichild.h"
#include "core/cp1252.h"
#include "core/errors.h"
#include "core/transit.h"
#include "core/units.h"
#include "store/changes.h"
#include "store/exports.h"
#include "store/settings.h"
#include "store/transitrecord.h"

namespace {

const std::vector<TListColumn> ProjectColumns = {
    {"Name", 260}, {"Last modification", 140}, {"Created", 120}};
const std::vector<TListColumn> CustomerColumns = {{"Name", 228}};
const std::vector<TListColumn> TransitColumns = {
    {"Name", 80},          {"In project", 60, true}, {"Type", 80},        {"Fillingrate", 60, true},
    {"Class", 70},         {"Width", 52, true},      {"Height", 52, true}, {"Radius", 52, true},
    {"Depth", 52, true},   {"Spare%", 58, true},     {"Created", 115},    {"Last modification", 115}};
const std::vector<TListColumn> TemplateColumns = {{"Name", 80},         {"Width", 52, true},
                                                  {"Height", 52, true}, {"Radius", 52, true},
                                                  {"Spare%", 58, true}, {"Created", 115},
                                                  {"Last modification", 115}};

std::string TypeText(TConduitType type) {
  switch (type) {
    case ctCables: return "Cables";
    case ctPipesMetal: return "Pipes (metal)";
    case ctPipesGRP: return "Pipes (GRP)";
    case ctPipesPlastic: return "Pipes (plastic)";
  }
  return "???";
}

std::string ClassText(TClassification value) {
  switch (value) {
    case clA: return "A-class";
    case clH: return "H-class";
    case clB: return "B-class";
    case clWatertight: return "Watertight";
  }
  return "?";
}

// Names as the files keep them, so that the order is that of the stored bytes.
std::string NameKey(const std::string& name) { return Utf8ToCp1252(name); }

void AddTransitRow(std::vector<TListRow>& rows, const TRecTransit& record, int sortColumn, bool templateList) {
  TTransit model;
  LoadFromRecord(model, record.ID);
  TListRow row;
  row.ID = record.ID;
  const std::string width = FormatLength(model.Width), height = FormatLength(model.Height),
                    radius = FormatLength(model.CornerRadius), spare = FormatFloat("%.0f", model.SparePercentage);
  const std::string created = FormatTimestamp(record.Created), modified = FormatTimestamp(record.Modified);
  if (templateList) {
    row.Texts = {record.Name, width, height, radius, spare, created, modified};
    switch (sortColumn) {
      case 0: row.SortKey = NameKey(record.Name); break;
      case 5: row.SortKey = TimestampKey(record.Created); break;
      case 6: row.SortKey = TimestampKey(record.Modified); break;
      default:
        if (sortColumn > 0 && sortColumn < 5) row.SortKey = RightAlignedKey(row.Texts[size_t(sortColumn)]);
    }
  } else {
    row.Texts = {TrimBlanks(record.Name).empty() ? "<no name>" : record.Name,
                 std::to_string(record.TransitsInProject) + "x",
                 TypeText(record.DefaultConduitType),
                 model.IsSpareApplicable() ? FormatFloat("%.0f", model.GroupFillingRate()) : "-",
                 ClassText(record.Classification),
                 width,
                 height,
                 radius,
                 FormatLength(model.Depth),
                 spare,
                 created,
                 modified};
    switch (sortColumn) {
      case 0: row.SortKey = NameKey(record.Name); break;
      case 2:
      case 4: row.SortKey = NameKey(row.Texts[size_t(sortColumn)]); break;
      case 10: row.SortKey = TimestampKey(record.Created); break;
      case 11: row.SortKey = TimestampKey(record.Modified); break;
      default:
        if (sortColumn > 0 && sortColumn < 10) row.SortKey = RightAlignedKey(row.Texts[size_t(sortColumn)]);
    }
  }
  rows.push_back(std::move(row));
}

}  // namespace

const std::vector<TListColumn>& ListColumns(TListKind kind) {
  switch (kind) {
    case lkProjects: return ProjectColumns;
    case lkCustomers: return CustomerColumns;
    case lkTransits: return TransitColumns;
    case lkTemplates: return TemplateColumns;
  }
  return CustomerColumns;
}

std::string* ColumnLayoutText(TListKind kind) {
  switch (kind) {
    case lkProjects: return &Settings.ProjectListColumns;
    case lkTransits: return &Settings.TransitListColumns;
    case lkTemplates: return &Settings.TemplateListColumns;
    case lkCustomers: return nullptr;
  }
  return nullptr;
}

std::vector<TListRow> ListRows(TListKind kind, int sortColumn, int32_t projectId) {
  std::vector<TListRow> rows;
  switch (kind) {
    case lkProjects:
      rows.reserve(size_t(Projects.Count()));
      for (int i = 0; i < Projects.Count(); ++i) {
        const TRecProject* p = Projects.Items(i);
        TListRow row{p->ID, {p->Name, FormatTimestamp(p->Modified), FormatTimestamp(p->Created)}, {}};
        row.SortKey = sortColumn == 1   ? TimestampKey(p->Modified)
                      : sortColumn == 2 ? TimestampKey(p->Created)
                                        : NameKey(p->Name);
        rows.push_back(std::move(row));
      }
      break;
    case lkCustomers:
      rows.reserve(size_t(Customers.Count()));
      for (int i = 0; i < Customers.Count(); ++i) {
        const TRecCustomer* c = Customers.Items(i);
        rows.push_back({c->ID, {c->Name}, NameKey(c->Name)});
      }
      break;
    case lkTransits:
    case lkTemplates: {
      const int32_t owner = kind == lkTemplates ? TemplateProjectID : projectId;
      for (int i = 0; i < Transits.Count(); ++i) {
        const TRecTransit* t = Transits.Items(i);
        if (t->ProjectID == owner) AddTransitRow(rows, *t, sortColumn, kind == lkTemplates);
      }
      break;
    }
  }
  return rows;
}

void SortListRows(std::vector<TListRow>& rows, int direction) {
  if (direction < 0)
    std::stable_sort(rows.begin(), rows.end(), [](const TListRow& a, const TListRow& b) { return b.SortKey < a.SortKey; });
  else
    std::stable_sort(rows.begin(), rows.end(), [](const TListRow& a, const TListRow& b) { return a.SortKey < b.SortKey; });
}

void ClickListColumn(int column, int& sortColumn, int& sortDirection) {
  if (column == sortColumn) {
    sortDirection = -sortDirection;
  } else {
    sortColumn = column;
    sortDirection = 1;
  }
}

std::string RightAlignedKey(const std::string& shown) {
  const std::string padded = std::string(20, ' ') + shown;
  return padded.substr(padded.size() - 20);
}

std::string TimestampKey(double dateTime) {
  if (!std::isfinite(dateTime)) return {};
  // Rounded to the second as the shown stamp is, so both agree.
  const double seconds = std::round((dateTime - 25569.0) * 86400.0);
  if (seconds < -6e16 || seconds > 6e16) return {};
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (!gmtime_r(&t, &parts)) return {};
  char buffer[64];
  const size_t n = std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &parts);
  return std::string(buffer, n);
}

std::string StoredLines(const std::string& editText) {
  std::string result;
  result.reserve(editText.size());
  for (size_t i = 0; i < editText.size(); ++i) {
    if (editText[i] == '\n' && (i == 0 || editText[i - 1] != '\r')) result += '\r';
    result += editText[i];
  }
  return result;
}

std::string EditLines(const std::string& storedText) {
  std::string result;
  result.reserve(storedText.size());
  for (size_t i = 0; i < storedText.size(); ++i) {
    if (storedText[i] == '\r') {
      result += '\n';
      if (i + 1 < storedText.size() && storedText[i + 1] == '\n') ++i;
    } else {
      result += storedText[i];
    }
  }
  return result;
}

// ---------------------------------------------------------------- projects

std::string ProjectName(int32_t projectId) {
  const int index = Projects.IndexOfID(projectId);
  return index < 0 ? std::string() : Projects.Items(index)->Name;
}

bool ShouldOfferCustomer(int32_t projectId, const std::string& customer) {
  const std::string trimmed = TrimBlanks(customer);
  const int index = Projects.IndexOfID(projectId);
  if (trimmed.empty() || index < 0 || trimmed == TrimBlanks(Projects.Items(index)->Customer)) return false;
  for (int i = 0; i < Customers.Count(); ++i)
    if (TrimBlanks(Customers.Items(i)->Name) == trimmed) return false;
  return true;
}

void StoreProjectEdit(int32_t projectId, const std::string& name, const std::string& customer,
                      const std::string& comments) {
  const int index = Projects.IndexOfID(projectId);
  if (index < 0) return;
  TRecProject* p = Projects.Items(index);
  p->Name = name;
  p->Modified = NowDateTime();
  p->ModifiedBy = CurrentUserName;
  p->Customer = TrimBlanks(customer);
  p->Comments = StoredLines(comments);
  TablesChanged();
  NotifyAll(nkProjectChanged, projectId);
}

// ---------------------------------------------------------------- customers

std::vector<std::string> CustomerNames() {
  std::vector<std::string> names;
  for (int i = 0; i < Customers.Count(); ++i) names.push_back(Customers.Items(i)->Name);
  return names;
}

// ---------------------------------------------------------------- transits

std::string TransitListCaption(int32_t projectId) {
  const int index = Projects.IndexOfID(projectId);
  if (index < 0) return "Transits in project";
  return "Transits in project '" + Projects.Items(index)->Name + "'";
}

std::string TransitName(int32_t transitId) {
  const int index = Transits.IndexOfID(transitId);
  return index < 0 ? std::string() : Transits.Items(index)->Name;
}

// ---------------------------------------------------------------- column chooser

void TColumnChoice::Init(const std::vector<std::string>& captions, const std::vector<int>& widths) {
  Captions = captions;
  Shown.assign(captions.size(), true);
  for (size_t i = 0; i < captions.size() && i < widths.size(); ++i) Shown[i] = widths[i] > 0;
}

void TColumnChoice::Toggle(const std::string& caption) {
  for (size_t i = 0; i < Captions.size(); ++i)
    if (Captions[i] == caption) Shown[i] = !Shown[i];
}

std::vector<std::string> TColumnChoice::ShownCaptions() const {
  std::vector<std::string> result;
  for (size_t i = 0; i < Captions.size(); ++i)
    if (Shown[i]) result.push_back(Captions[i]);
  return result;
}

std::vector<std::string> TColumnChoice::HiddenCaptions() const {
  std::vector<std::string> result;
  for (size_t i = 0; i < Captions.size(); ++i)
    if (!Shown[i]) result.push_back(Captions[i]);
  return result;
}

std::string TColumnChoice::Result() const {
  std::string result;
  for (bool shown : Shown) result += shown ? '+' : '-';
  return result;
}
