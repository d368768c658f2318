#pragma once
#include <chrono>

#include "core/transit.h"

// True while the opening of the transit is too small for its conduits. The
// fill items are always prepared; the transit is filled only when its areas
// alone do not show it too small, so a false answer leaves it filled.
bool NeedsGrow(TTransit& transit);

// The size search of "Resize to fit" on a filled transit: jump to an estimate
// from the areas, then grow the larger side 1 mm at a time, keeping the
// proportions, until the conduits fit. False when 2 m per side or the
// deadline is passed; the transit is then left at its last tried size, its
// fill results not those of that size, and the caller puts back its own copy.
bool ResizeSearch(TTransit& transit, std::chrono::steady_clock::time_point deadline);

// The whole search with the usual 15-second deadline.
bool ResizeSearch(TTransit& transit);
