#pragma once
#include <cstdint>

#include "core/transit.h"

class TRecTransit;

// Exchange between the transit model and its records in the process-wide
// tables. Both do nothing when there is no transit with that identifier.

// Copies the record's fields into the model and empties its conduit groups.
void LoadRecordFields(TTransit& transit, const TRecTransit& record);

// Copies the transit record's fields and one conduit group per conduit
// record of the transit, in table order.
void LoadFromRecord(TTransit& transit, int32_t transitId);

// Writes the model's fields (not Created and CreatedBy) into the record and
// replaces the transit's conduit records with one per group; the project
// takes over the transit's Modified stamp when that is later than its own.
// Telling the open windows is the caller's business.
void SaveToRecord(TTransit& transit, int32_t transitId);
