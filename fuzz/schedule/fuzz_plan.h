#pragma once
// Makes the import plan of a table that a reader produced, with the
// suggested columns and with the first columns taken as they come.
#include "core/errors.h"
#include "schedule/schedule.h"

namespace fuzzschedule {

inline void PlanBoth(const TScheduleTable& table) {
  TScheduleOptions options;
  options.Columns = SuggestScheduleColumns(ScheduleHeader(table));
  options.Decimal = table.DecimalSeparator;
  try {
    PlanSchedule(table, options);
  } catch (const TError&) {
  }
  options.Columns = {0, 1, 2, 3, 4};
  options.Unit = luInch;
  PlanSchedule(table, options);
}

}  // namespace fuzzschedule
