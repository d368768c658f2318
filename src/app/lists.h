#pragma once
// The rules of the program's lists (projects, customers, transits of a
// project, templates): their columns, the lines with their texts and sort
// keys, and the changes made from them (add, delete with its cascade, copy,
// export and import). No toolkit here; the windows bind widgets to these.
#include <cstdint>
#include <string>
#include <vector>

#include "core/text.h"
#include "store/datafile.h"

enum TListKind : uint8_t { lkProjects, lkCustomers, lkTransits, lkTemplates };

struct TListColumn {
  std::string Caption;
  int DefaultWidth = 0;
  bool Numeric = false;  // shown right-aligned
};

// One line: the record, its texts per column (UTF-8) and the sort key of the
// list's sort column (Windows-1252 bytes, compared byte by byte).
struct TListRow {
  int32_t ID = 0;
  std::vector<std::string> Texts;
  std::string SortKey;
};

const std::vector<TListColumn>& ListColumns(TListKind kind);

// The configuration's column layout text of a list; null for the customer
// list, which has none.
std::string* ColumnLayoutText(TListKind kind);

// The lines of a list in table order, with the sort keys of sortColumn. For
// the transit list projectId selects the project.
std::vector<TListRow> ListRows(TListKind kind, int sortColumn, int32_t projectId = 0);

// Sorts by the keys as plain bytes; direction -1 reverses. Lines with equal
// keys keep their table order.
void SortListRows(std::vector<TListRow>& rows, int direction);

// A click on a column header: the same column again turns the direction over,
// another one sorts ascending by it.
void ClickListColumn(int column, int& sortColumn, int& sortDirection);

// Sort key helpers: a number's shown text right-aligned in 20 characters, and
// a date-time as "yyyymmddhhnnss".
std::string RightAlignedKey(const std::string& shown);
std::string TimestampKey(double dateTime);

// Memo lines as stored (CR LF) and as the widgets give them (LF).
std::string StoredLines(const std::string& editText);
std::string EditLines(const std::string& storedText);

// ---------------------------------------------------------------- projects

// "New project " + (the largest N of the projects named "New project N") + 1.
std::string NextProjectName();
// A new project with the next free name, stamped now by the current user; its identifier.
int32_t AddProject();
// Deletes the project with its transits and their conduits; tells the open
// windows of each transit and then of the project (deleting, deleted).
void DeleteProject(int32_t projectId);
// A copy named "Copy of " + the name, with copies of all transits; its identifier.
int32_t CopyProjectRecord(int32_t projectId);
// The project's name; empty when there is no such project.
std::string ProjectName(int32_t projectId);

// Writes the project with the transits passing the filter to a project file.
void ExportProject(int32_t projectId, const std::string& path, const TTransitFilter& filter = AllTransits);
// Reads a project file into a new project; its identifier. A failing file adds
// nothing and raises TError with ImportFailureMessage (the file and the reason).
int32_t ImportProject(const std::string& path);

// The project window's OK: whether the user is to be asked to add the
// customer (trimmed, not empty, other than the project's stored one, and no
// customer of that trimmed name yet).
bool ShouldOfferCustomer(int32_t projectId, const std::string& customer);
// Stores the project window's fields and stamps; tells the open windows.
void StoreProjectEdit(int32_t projectId, const std::string& name, const std::string& customer,
                      const std::string& comments);

// ---------------------------------------------------------------- customers

int32_t AddCustomer(const std::string& name);
void DeleteCustomer(int32_t customerId);
std::vector<std::string> CustomerNames();  // in table order

// ---------------------------------------------------------------- transits

// "Transits in project '" + name + "'", or "Transits in project" without one.
std::string TransitListCaption(int32_t projectId);
// A new transit with the defaults in the project; its identifier.
int32_t AddTransit(int32_t projectId);
// A new template "New template N+1" with a depth of 200 mm; its identifier.
int32_t AddTemplate();
std::string NextTemplateName();
// Deletes the transit and its conduits and tells the open windows.
void DeleteTransit(int32_t transitId);
// A copy named "Copy of " + the name in the project (stamps unchanged); the
// open lists are told. Its identifier.
int32_t CopyTransitToProject(int32_t transitId, int32_t projectId);
std::string TransitName(int32_t transitId);

void ExportTransit(int32_t transitId, const std::string& path);
// Reads a transit file into a new transit of the project (or template list);
// its identifier. A failing file adds nothing and raises TError with
// ImportFailureMessage.
int32_t ImportTransit(const std::string& path, int32_t projectId);

// ---------------------------------------------------------------- column chooser

// The column chooser's state: one shown flag per column.
class TColumnChoice {
public:
  void Init(const std::vector<std::string>& captions, const std::vector<int>& widths);
  // Turns over every column with exactly that caption.
  void Toggle(const std::string& caption);
  std::vector<std::string> ShownCaptions() const;
  std::vector<std::string> HiddenCaptions() const;
  // One "+" (shown) or "-" (hidden) per column.
  std::string Result() const;

  std::vector<std::string> Captions;
  std::vector<bool> Shown;
};
