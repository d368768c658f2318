#include "core/spacefiller.h"

#include <algorithm>
#include <cstring>

#include "core/raster.h"

namespace {
// Sets the bits x0..x1 (inclusive, already clipped to the row) of one row.
inline void SetBits(uint64_t* row, int64_t x0, int64_t x1) {
  const int64_t w0 = x0 >> 6, w1 = x1 >> 6;
  const uint64_t first = ~0ULL << (x0 & 63);
  const uint64_t last = ~0ULL >> (63 - (x1 & 63));
  if (w0 == w1) {
    row[w0] |= first & last;
    return;
  }
  row[w0] |= first;
  for (int64_t w = w0 + 1; w < w1; ++w) row[w] = ~0ULL;
  row[w1] |= last;
}
}  // namespace

void TSpaceFiller::SetRun(uint64_t* row, int64_t x0, int64_t x1) const {
  if (x0 < 0) x0 = 0;
  if (x1 >= Width) x1 = Width - 1;
  if (x0 <= x1) SetBits(row, x0, x1);
}

TSpaceFiller::TSpaceFiller(int width, int height, int cornerRadius)
    : Width(std::max(width, -1) + 1), Height(std::max(height, -1) + 1), CornerRadius(cornerRadius) {
  Words = (Width + 63) / 64;
  Bits.assign(static_cast<size_t>(Words) * Height, 0);
  ZeroAbove = Height;
  RowFrom.assign(Height, 0);
  RowTo.assign(Height, 0);
  Sweep.assign(Words, 0);
  Placed.reserve(100);
}

bool TSpaceFiller::Allowed(int x, int y) const {
  if (y < 0 || y >= Height || x < RowFrom[y] || x >= RowTo[y]) return false;
  return !(Bits[static_cast<size_t>(y) * Words + (x >> 6)] >> (x & 63) & 1);
}

const std::vector<int64_t>& TSpaceFiller::HalfWidths(int64_t d) {
  auto found = DiscTables.find(d);
  if (found != DiscTables.end()) return found->second;
  // The disc covers the cells with u^2 + v^2 <= d^2 + d around its centre.
  std::vector<int64_t> table(static_cast<size_t>(d) + 1);
  for (int64_t v = 0; v <= d; ++v) table[v] = raster::ISqrt(d * d + d - v * v);
  return DiscTables.emplace(d, std::move(table)).first->second;
}

void TSpaceFiller::PaintDiscRows(int64_t cx, int64_t cy, int64_t d, int64_t fromRow, int64_t toRow) {
  if (d < 0) return;
  fromRow = std::max<int64_t>({fromRow, cy - d, 0});
  toRow = std::min<int64_t>({toRow, cy + d, Height - 1});
  if (fromRow > toRow || cx + d < 0 || cx - d >= Width) return;
  const std::vector<int64_t>& half = HalfWidths(d);
  ZeroAbove = std::min(ZeroAbove, fromRow);
  for (int64_t y = fromRow; y <= toRow; ++y) {
    if (RowFrom[y] >= RowTo[y]) continue;  // nothing allowed in this row anyway
    // Only the run of possible centres of the row matters.
    const int64_t h = half[y > cy ? y - cy : cy - y];
    const int64_t x0 = std::max<int64_t>(cx - h, RowFrom[y]), x1 = std::min<int64_t>(cx + h, RowTo[y] - 1);
    if (x0 <= x1) SetBits(&Bits[static_cast<size_t>(y) * Words], x0, x1);
  }
}

void TSpaceFiller::Prepare(int radius, int ring, bool shadowBelow) {
  const int64_t S = static_cast<int64_t>(radius) + ring;
  CurrentOuter = radius + ring;
  CurrentRing = ring;
  SearchRow = Height - 1;

  std::fill(RowFrom.begin(), RowFrom.end(), 0);
  std::fill(RowTo.begin(), RowTo.end(), 0);
  bool anyRow = false;
  if (Width - S > S && S < Height - S) {
    const int64_t l = S, t = S, r = Width - S, b = Height - S;
    const int64_t corner = S < CornerRadius ? 2 * (CornerRadius - S) : 0;
    for (int64_t y = t; y < b; ++y) {
      // The region is symmetric top to bottom: the lower half mirrors the upper.
      const int64_t mirror = t + b - 1 - y;
      if (mirror < y) {
        RowFrom[y] = RowFrom[mirror];
        RowTo[y] = RowTo[mirror];
        continue;
      }
      int64_t x0, x1;
      if (raster::RoundRectRowSpan(l, t, r, b, corner, y, x0, x1)) {
        RowFrom[y] = static_cast<int>(x0);
        RowTo[y] = static_cast<int>(x1 + 1);
        anyRow = true;
      }
    }
  }
  if (!anyRow) return;  // a circle of this size fits nowhere: the map stays forbidden

  // Only the rows with a run of possible centres are ever read, so only they
  // are written: cleared, or given the shadows gathered above them.
  // Rows above ZeroAbove were never written and are clear already.
  auto clearRow = [&](int64_t y) {
    if (y >= ZeroAbove && RowFrom[y] < RowTo[y]) std::memset(&Bits[static_cast<size_t>(y) * Words], 0, Words * sizeof(uint64_t));
  };
  const int64_t n = static_cast<int64_t>(Placed.size());
  auto distance = [&](const TPlaced& p) {
    return static_cast<int64_t>(p.Outer - p.Ring) + radius + std::max(p.Ring, ring) - 1;
  };

  Buried.assign(n, 0);
  if (shadowBelow && n > 0) {
    // Shadows reach from the row below each circle to the bottom, so a row's
    // shadows are those of the rows above it: sweep down, collecting them.
    // A circle whose whole disc already lies in the shadows gathered by its
    // top row is buried: its disc adds nothing and is not painted.
    Order.resize(n);
    ByTop.resize(n);
    for (int64_t k = 0; k < n; ++k) Order[k] = ByTop[k] = static_cast<int>(k);
    std::sort(Order.begin(), Order.end(), [&](int a, int b) { return Placed[a].Y < Placed[b].Y; });
    std::sort(ByTop.begin(), ByTop.end(),
              [&](int a, int b) { return Placed[a].Y - distance(Placed[a]) < Placed[b].Y - distance(Placed[b]); });
    std::fill(Sweep.begin(), Sweep.end(), 0);
    size_t next = 0, nextTop = 0;
    bool any = false;
    for (int64_t y = 0; y < Height; ++y) {
      while (next < Order.size() && static_cast<int64_t>(Placed[Order[next]].Y) + 1 <= y) {
        const TPlaced& p = Placed[Order[next]];
        int64_t d = distance(p);
        SetRun(Sweep.data(), static_cast<int64_t>(p.X) - d, static_cast<int64_t>(p.X) + d);
        any = true;
        ++next;
      }
      while (nextTop < ByTop.size() && std::max<int64_t>(Placed[ByTop[nextTop]].Y - distance(Placed[ByTop[nextTop]]), 0) <= y) {
        const int k = ByTop[nextTop++];
        const int64_t d = distance(Placed[k]);
        if (any && Covered(Sweep.data(), static_cast<int64_t>(Placed[k].X) - d, static_cast<int64_t>(Placed[k].X) + d))
          Buried[k] = 1;
      }
      if (!any) clearRow(y);
      else if (RowFrom[y] < RowTo[y]) {
        std::memcpy(&Bits[static_cast<size_t>(y) * Words], Sweep.data(), Words * sizeof(uint64_t));
        ZeroAbove = std::min<int64_t>(ZeroAbove, y);
      }
    }
  } else {
    for (int64_t y = 0; y < Height; ++y) clearRow(y);
  }
  for (int64_t k = 0; k < n; ++k) {
    if (Buried[k]) continue;
    const TPlaced& p = Placed[k];
    int64_t d = distance(p);
    // Below its centre a circle's disc lies inside its own shadow.
    PaintDiscRows(p.X, p.Y, d, p.Y - d, shadowBelow ? p.Y : p.Y + d);
  }
}

bool TSpaceFiller::Covered(const uint64_t* row, int64_t x0, int64_t x1) const {
  if (x0 < 0) x0 = 0;
  if (x1 >= Width) x1 = Width - 1;
  if (x0 > x1) return true;
  int64_t w0 = x0 >> 6, w1 = x1 >> 6;
  uint64_t first = ~0ULL << (x0 & 63);
  uint64_t last = ~0ULL >> (63 - (x1 & 63));
  if (w0 == w1) return (row[w0] & first & last) == (first & last);
  if ((row[w0] & first) != first || (row[w1] & last) != last) return false;
  for (int64_t w = w0 + 1; w < w1; ++w)
    if (row[w] != ~0ULL) return false;
  return true;
}

bool TSpaceFiller::FindNext() {
  while (SearchRow >= 0) {
    const int y = SearchRow;
    const int from = RowFrom[y], to = RowTo[y];
    if (from < to) {
      const uint64_t* row = &Bits[static_cast<size_t>(y) * Words];
      int w = from >> 6;
      uint64_t free = ~row[w] & (~0ULL << (from & 63));
      for (;;) {
        if (free) {
          int x = (w << 6) + __builtin_ctzll(free);
          if (x >= to) break;
          Placed.push_back({x, y, CurrentOuter, CurrentRing});
          // The search never returns below this row before the next Prepare,
          // so only the rows at and above it need the new disc.
          int64_t d = 2 * static_cast<int64_t>(CurrentOuter) - 1 - CurrentRing;
          PaintDiscRows(x, y, d, y - d, y);
          return true;
        }
        if (++w >= Words || (w << 6) >= to) break;
        free = ~row[w];
      }
    }
    --SearchRow;
  }
  return false;
}
