#pragma once
// The space filler written straight from its algorithm: a byte per cell, the
// whole map cleared and every disc and shadow rectangle painted again on each
// preparation, rows scanned byte by byte. Kept as the reference that the fast
// filler must match placement for placement, and as the benchmark baseline.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/raster.h"
#include "core/transit.h"

class TLiteralSpaceFiller {
public:
  TLiteralSpaceFiller(int w, int h, int k) : Width(w + 1), Height(h + 1), CornerRadius(k) {
    Map.assign(static_cast<size_t>(Width) * Height, 0);
  }

  void Prepare(int radius, int ring, bool shadowBelow) {
    const int64_t S = static_cast<int64_t>(radius) + ring;
    CurrentOuter = radius + ring;
    CurrentRing = ring;
    std::fill(Map.begin(), Map.end(), 0);
    if (Width - S > S && S < Height - S) {
      const int64_t c = S < CornerRadius ? 2 * (CornerRadius - S) : 0;
      for (int64_t y = 0; y < Height; ++y) {
        int64_t x0, x1;
        if (raster::RoundRectRowSpan(S, S, Width - S, Height - S, c, y, x0, x1)) Run(y, x0, x1, 1);
      }
    }
    for (const auto& p : Placed) {
      const int64_t d = static_cast<int64_t>(p.Outer - p.Ring) + radius + std::max(p.Ring, ring) - 1;
      Disc(p.X, p.Y, d);
      if (shadowBelow)
        for (int64_t y = p.Y + 1; y < Height; ++y) Run(y, p.X - d, p.X + d, 0);
    }
    SearchRow = Height - 1;
  }

  bool FindNext() {
    while (SearchRow >= 0) {
      const uint8_t* row = &Map[static_cast<size_t>(SearchRow) * Width];
      for (int x = 0; x < Width; ++x)
        if (row[x]) {
          Placed.push_back({x, SearchRow, CurrentOuter, CurrentRing});
          Disc(x, SearchRow, 2 * static_cast<int64_t>(CurrentOuter) - 1 - CurrentRing);
          return true;
        }
      --SearchRow;
    }
    return false;
  }

  int PlacedX(int i) const { return Placed[i].X; }
  int PlacedY(int i) const { return Placed[i].Y; }
  int PlacedCount() const { return static_cast<int>(Placed.size()); }
  int CentreX() const { return Width / 2; }
  int CentreY() const { return Height / 2; }
  bool Allowed(int x, int y) const { return Map[static_cast<size_t>(y) * Width + x] != 0; }

  int Width, Height, CornerRadius;

private:
  struct TPlaced { int X, Y, Outer, Ring; };

  void Run(int64_t y, int64_t x0, int64_t x1, uint8_t value) {
    if (y < 0 || y >= Height) return;
    x0 = std::max<int64_t>(x0, 0);
    x1 = std::min<int64_t>(x1, Width - 1);
    if (x0 <= x1) std::memset(&Map[static_cast<size_t>(y) * Width + x0], value, x1 - x0 + 1);
  }
  void Disc(int64_t cx, int64_t cy, int64_t d) {
    for (int64_t y = std::max<int64_t>(cy - d, 0); y <= std::min<int64_t>(cy + d, Height - 1); ++y) {
      int64_t x0, x1;
      if (raster::DiscRowSpan(cx - d, cy - d, cx + d + 1, cy + d + 1, y, x0, x1)) Run(y, x0, x1, 0);
    }
  }

  int CurrentOuter = -1, CurrentRing = -1, SearchRow = -1;
  std::vector<TPlaced> Placed;
  std::vector<uint8_t> Map;
};

// The transit filler's packing loop over any space filler: the positions it
// records, in micrometres, as TTransit::Fill stores them.
template <class Filler>
std::vector<TPlacedPosition> PackWith(TTransit& t) {
  t.PrepareFillItems();
  const double scale = t.Width > t.Height ? 1800 / t.Width : 1800 / t.Height;
  Filler filler(static_cast<int>(t.Width * 1.001 * scale), static_cast<int>(t.Height * 1.001 * scale),
                static_cast<int>(t.CornerRadius * 1.001 * scale));
  std::vector<TPlacedPosition> positions;
  for (const TFillItem& item : t.FillItems) {
    filler.Prepare(static_cast<int>((item.OuterRadius + item.Ring) * scale), 0, true);
    for (int n = 0; n < item.Amount; ++n) {
      if (!filler.FindNext()) break;
      if (t.FillSystem == fsKovaMoxel && !positions.empty()) continue;
      if (t.FillSystem == fsKovaMoxel)
        positions.push_back({filler.CentreX() / scale, filler.CentreY() / scale});
      else
        positions.push_back({filler.PlacedX(filler.PlacedCount() - 1) / scale,
                             filler.PlacedY(filler.PlacedCount() - 1) / scale});
    }
  }
  return positions;
}
