#pragma once
#include <string>

#include "core/atomicfile.h"
#include "core/transit.h"

// "Export drawing...": the transit's drawing as a picture or as CAD geometry.

enum class TDrawingFormat { Png, Svg, Dxf };

// The format by the file's extension (.png, .svg, .dxf in any case); any
// other raises TError.
TDrawingFormat DrawingFormatForPath(const std::string& path);

// Writes the drawing of a filled transit (Validate, SortConduitGroups and
// Fill done) to path: PNG as the editor shows it, fitted into pngWidth x
// pngHeight pixels (smooth: the supersampled picture); SVG in the screen
// colours and DXF as geometry in millimetres, both at true size. grid: the
// measuring grid. The file is written under a fresh name of its own beside
// path, flushed to disk and renamed over path (core/atomicfile.h), so a
// failure leaves an existing file as it was.
void ExportTransitDrawing(const TTransit& transit, const std::string& path, TDrawingFormat format, int pngWidth,
                          int pngHeight, bool smooth, bool grid);

// Writes bytes to path the same way (defined in core/atomicfile.cpp).
void WriteFileAtomically(const std::string& path, const std::string& bytes);
