#pragma once
// The rules of the program's lists (projects, customers, transits of a
// project, templates): their columns, the lines with their texts and sort
// keys, and the project window's edit. The lists add, delete, copy, export
// and import records through store/records.h. No toolkit here; the windows
// bind widgets to these.
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

// The project's name; empty when there is no such project.
std::string ProjectName(int32_t projectId);

// The project window's OK: whether the user is to be asked to add the
// customer (trimmed, not empty, other than the project's stored one, and no
// customer of that trimmed name yet).
bool ShouldOfferCustomer(int32_t projectId, const std::string& customer);
// Stores the project window's fields and stamps; tells the open windows.
void StoreProjectEdit(int32_t projectId, const std::string& name, const std::string& customer,
                      const std::string& comments);

// ---------------------------------------------------------------- customers

std::vector<std::string> CustomerNames();  // in table order

// ---------------------------------------------------------------- transits

// "Transits in project '" + name + "'", or "Transits in project" without one.
std::string TransitListCaption(int32_t projectId);
std::string TransitName(int32_t transitId);

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
