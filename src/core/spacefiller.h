#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

// Packs circles into a rectangle with rounded corners on a raster, bottom row
// first, leftmost first. For every circle size the map of allowed centres is
// rebuilt; a circle goes to the lowest allowed row and, within it, the
// leftmost allowed column.
//
// The map is held as one bit per cell (set = forbidden) together with the run
// of cells of each row that lies inside the region of possible centres, so
// preparing a size costs a pass over the rows plus the placed discs, instead
// of painting every cell.
class TSpaceFiller {
public:
  struct TPlaced {
    int X, Y, Outer, Ring;
  };

  TSpaceFiller(int width, int height, int cornerRadius);

  void Prepare(int radius, int ring, bool shadowBelow);
  bool FindNext();

  int PlacedX(int index) const { return Placed[index].X; }
  int PlacedY(int index) const { return Placed[index].Y; }
  int PlacedCount() const { return static_cast<int>(Placed.size()); }
  int CentreX() const { return Width / 2; }
  int CentreY() const { return Height / 2; }

  // Whether a centre may lie in cell (x, y) of the map as now prepared; rows
  // below SearchRow are not kept up to date.
  bool Allowed(int x, int y) const;

  int Width, Height, CornerRadius;
  int CurrentOuter = -1, CurrentRing = -1;
  int SearchRow = -1;
  std::vector<TPlaced> Placed;

private:
  void SetRun(uint64_t* row, int64_t x0, int64_t x1) const;
  bool Covered(const uint64_t* row, int64_t x0, int64_t x1) const;
  void PaintDiscRows(int64_t cx, int64_t cy, int64_t d, int64_t fromRow, int64_t toRow);
  const std::vector<int64_t>& HalfWidths(int64_t d);

  int Words;                     // 64-bit words per row
  std::vector<uint64_t> Bits;    // Height rows of Words words; set = forbidden
  int64_t ZeroAbove = 0;         // rows above this one were never written
  std::vector<int> RowFrom, RowTo;  // run of the region of possible centres, [from, to)
  std::vector<uint64_t> Sweep;
  std::vector<int> Order, ByTop;
  std::vector<uint8_t> Buried;
  // Row half-widths of a disc with box (X - d, Y - d, X + d + 1, Y + d + 1),
  // one table per d.
  std::unordered_map<int64_t, std::vector<int64_t>> DiscTables;
};
