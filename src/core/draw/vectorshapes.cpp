#include "core/draw/vectorshapes.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/draw/transitdrawer.h"
#include "core/units.h"

std::vector<TDrawnCircle> DrawnCircles(const TTransit& transit) {
  std::vector<TDrawnCircle> circles;
  circles.reserve(transit.PlacedPositions.size() * 3);
  ForEachDrawnCircle(transit, [&](const TDrawnCircle& circle) { circles.push_back(circle); });
  return circles;
}

TVectorLayout VectorLayout(const TTransit& transit) {
  const TTransitDrawer drawer(transit);
  TVectorLayout layout;
  layout.Wall = drawer.WallThickness;
  layout.Margin = drawer.Margin;
  const double w = std::max(transit.Width, 0.0), h = std::max(transit.Height, 0.0);
  layout.CornerRadius = std::clamp(transit.CornerRadius, 0.0, std::min(w, h) / 2);
  layout.Round = w > 0 && w == h && layout.CornerRadius == w / 2;
  const double around = layout.Wall + layout.Margin;
  layout.Left = -around;
  layout.Top = -around;
  layout.Right = w + around;
  layout.Bottom = h + around;
  return layout;
}

std::vector<TGridLine> GridLines(const TTransit& transit, const TVectorLayout& layout) {
  const TTransitDrawer::TGridSpacing spacing = TTransitDrawer::GridSpacing(transit);
  std::vector<TGridLine> lines;
  auto run = [&](bool vertical, double middle, double lo, double hi) {
    const int n = static_cast<int>(std::ceil((hi - lo) / (2 * spacing.Step))) + 1;
    for (int i = -n; i <= n; ++i) {
      const double p = middle + i * spacing.Step;
      if (p >= lo && p <= hi) lines.push_back({vertical, p, i % spacing.MajorEvery == 0});
    }
  };
  run(true, transit.Width / 2, layout.Left, layout.Right);
  run(false, transit.Height / 2, layout.Top, layout.Bottom);
  return lines;
}

std::string TransitSizeText(const TTransit& transit) {
  std::string unit(" ");
  unit += LengthUnitName();
  const TVectorLayout layout = VectorLayout(transit);
  std::string text;
  if (layout.Round) {
    text = "\xC3\x98 ";  // the diameter sign
    text += FormatLength(transit.Width);
    text += unit;
    return text;
  }
  text = FormatLength(transit.Width) + " x " + FormatLength(transit.Height) + unit;
  if (layout.CornerRadius > 0) text += ", R " + FormatLength(layout.CornerRadius) + unit;
  return text;
}

void AppendNumber(std::string& out, double value) {
  if (!std::isfinite(value)) value = 0;
  if (value == 0) value = 0;  // no "-0"
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  out.append(buffer, result.ptr);
}
