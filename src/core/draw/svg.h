#pragma once
#include <string>

#include "core/transit.h"

// The filled transit as an SVG picture in the colours of the quick screen
// drawing: background of the fill system, the grid under the conduits when
// `grid` is set, the wall band, then every cover and conduit as circles.
// Sizes and the viewBox are in millimetres; the picture runs from the outer
// edge of the margin, with the opening's top-left corner at (wall + margin)
// in both directions and y downwards. The circles sit in a group shifted by
// that offset, so their centres and radii are those of the fill.
std::string TransitSvg(const TTransit& transit, bool grid);
