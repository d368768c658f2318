#pragma once
#include <chrono>

#include "core/transit.h"

// True while the opening of the transit is too small for its conduits; fills
// the transit.
bool NeedsGrow(TTransit& transit);

// The size search of "Resize to fit" on a filled transit: jump to an estimate
// from the areas, then grow the larger side 1 mm at a time, keeping the
// proportions, until the conduits fit. False when 2 m per side or the
// deadline is passed; the transit is then left at its last tried size and
// the caller puts back its own copy.
bool ResizeSearch(TTransit& transit, std::chrono::steady_clock::time_point deadline);

// The whole search with the usual 15-second deadline.
bool ResizeSearch(TTransit& transit);
