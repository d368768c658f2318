#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/enums.h"
#include "core/transit.h"
#include "core/units.h"
#include "schedule/reader.h"

// Import of a cable schedule: one row per cable with the transits of its
// route and its outer diameter. Columns are mapped, a plan is made that
// shows what would change, and the plan is applied to the tables as one
// change.

// Column indexes (0-based) of the mapped columns; -1 when not mapped.
struct TScheduleColumns {
  int Transit = -1;   // required: one transit or several separated by ";" "," "/"
  int Diameter = -1;  // required: outer diameter
  int Amount = -1;    // optional, 1 when not mapped or empty
  int Tag = -1;       // optional, shown in refusals
  int Type = -1;      // optional: cable or pipe
};

// Index of the header row: the first row with any text; -1 when none.
int ScheduleHeaderRow(const TScheduleTable& table);
// The texts of the header row (empty when there is none).
std::vector<std::string> ScheduleHeader(const TScheduleTable& table);
// Columns suggested from the header's words (diameter, OD, Ø; transit,
// penetration, hole, MCT; qty, amount; tag, cable; type).
TScheduleColumns SuggestScheduleColumns(const std::vector<std::string>& header);
// The column whose header text equals name (case and surrounding blanks
// ignored); -1 when none.
int FindScheduleColumn(const std::vector<std::string>& header, const std::string& name);

struct TScheduleOptions {
  TScheduleColumns Columns;
  TLengthUnit Unit = luMillimetre;  // of the diameters
  char Decimal = '.';               // of diameters and amounts written as text
  int32_t ProjectID = 0;            // the project the transits belong to
  TConduitType DefaultType = ctCables;  // of rows without a type
};

struct TPlannedGroup {
  double OuterDiameter = 0;  // micrometres
  int32_t Amount = 0;
  TConduitType ConduitType = ctCables;
};

struct TPlannedTransit {
  std::string Name;
  int32_t ExistingID = 0;  // the project's transit of that name; 0: a new one
  std::vector<TPlannedGroup> Groups;  // ascending diameter, equal diameters and types merged
  int64_t CableCount = 0;
};

struct TRefusedRow {
  int Row = 0;  // 1-based, as the spreadsheet numbers it
  std::string Tag;
  std::string Reason;
};

struct TSchedulePlan {
  std::vector<TPlannedTransit> Transits;  // in order of first appearance
  std::vector<TRefusedRow> Refused;
  int CablesRead = 0;       // data rows with any text
  int CablesImported = 0;   // of those, the rows taken
  int RowsRefused = 0;
};

// Reads the rows below the header into the plan. Throws TError when the
// required columns are not mapped. Text that the data file cannot hold
// (outside Windows-1252) in a transit name refuses the row.
TSchedulePlan PlanSchedule(const TScheduleTable& table, const TScheduleOptions& options);

struct TApplyOptions {
  // Existing transits: true replaces their conduit groups, false adds the
  // planned groups to theirs.
  bool ReplaceGroups = true;
  // A new transit starts from this template (a transit identifier), or from
  // the new-transit defaults when 0.
  int32_t TemplateID = 0;
  // Called on each new transit's filled model after its groups are set (for
  // "Resize to fit"); returns false when it could not resize (and then puts
  // the sizes back), which the result reports as a warning. With Threads
  // above 1 it runs on several threads at once, each on its own model.
  std::function<bool(TTransit&)> Resize;
  int Threads = 1;
  // Polled between transits, always on the calling thread; true cancels the
  // whole import.
  std::function<bool()> Cancelled;
  // Told on the calling thread as the work goes on: done, total (the
  // transits, then the transits to resize).
  std::function<void(int, int)> Progress;
};

struct TAppliedTransit {
  int32_t ID = 0;
  std::string Name;
  bool Created = false;
  // Created, or an existing transit whose conduit groups differ now.
  bool Changed = false;
  double FillingRate = 0;
  int NotPlaced = 0;
  std::vector<std::string> Warnings;
};

struct TApplyResult {
  bool Cancelled = false;
  std::vector<TAppliedTransit> Transits;  // in plan order
};

// Applies the plan to the tables as one change: every transit's new state is
// worked out first (cancellable between transits), and only then are the
// records written. A cancelled import changes nothing.
TApplyResult ApplySchedulePlan(const TSchedulePlan& plan, int32_t projectId, const TApplyOptions& options);

// The conduit type written in a type cell: "cable(s)" or "pipe(s)" (metal),
// "GRP", "plastic"; false when the text is none of them.
bool ParseScheduleConduitType(const std::string& text, TConduitType& type);

// The filling-rate limit above which a transit gets a warning.
constexpr double ScheduleFillingRateLimit = 40;
