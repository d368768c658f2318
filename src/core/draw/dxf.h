#pragma once
#include <string>
#include <string_view>

#include "core/transit.h"

// Group-code writer for ASCII DXF: each group is its code right-aligned in
// three columns on one line and its value on the next; reals are written so
// that they read back exactly.
class TDxfWriter {
public:
  void Group(int code, std::string_view value);
  void Real(int code, double value);
  void Int(int code, long value);
  // A new entity handle (hexadecimal), counting up from 1.
  std::string NewHandle();
  // The next handle that NewHandle would give, for $HANDSEED.
  std::string NextHandle() const;
  // Text (UTF-8) as the value of a text group in the drawing's code page:
  // Windows-1252 bytes, characters outside it as \U+XXXX, line breaks and
  // other control characters as spaces.
  static std::string TextValue(std::string_view utf8);

  std::string Out;

private:
  unsigned long Handles = 1;
};

// The DXF layers of the transit drawing.
namespace dxf {
constexpr const char* LayerOpening = "OPENING";
constexpr const char* LayerWall = "WALL";
constexpr const char* LayerCovers = "COVERS";
constexpr const char* LayerConduits = "CONDUITS";
constexpr const char* LayerGrid = "GRID";
constexpr const char* LayerText = "TEXT";
}  // namespace dxf

// The filled transit as an AutoCAD 2000 ASCII drawing in millimetres: origin
// at the bottom-left corner of the opening's bounding box, y upwards.
// - OPENING: the opening's outline, LINE entities joined by quarter ARCs of
//   the corner radius, or a circle for a round transit;
// - WALL: the outer edge of the wall band drawn round the opening;
// - COVERS: every cover circle the picture shows (sleeves and crushers
//   outside and inside, rings, the layers of oversize covers and wraps);
// - CONDUITS: one circle per placed conduit, centre and radius as placed;
// - GRID: the measuring grid over the whole picture when `grid` is set;
// - TEXT: the transit's name and size below the picture.
std::string TransitDxf(const TTransit& transit, bool grid);
