// Any bytes into the metafile reader, strict and lenient, and what the
// lenient one reads into the player, strict and lenient.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/errors.h"
#include "reports/wmfplayer.h"

namespace {
class TCheckingPainter : public TWmfPainter {
  void Rectangle(double l, double t, double r, double b, const TWmfPen&, const TWmfBrush&) override { Use(l + t + r + b); }
  void RoundRect(double l, double t, double r, double b, double x, double y, const TWmfPen&, const TWmfBrush&) override {
    Use(l + t + r + b + x + y);
  }
  void Ellipse(double l, double t, double r, double b, const TWmfPen&, const TWmfBrush&) override { Use(l + t + r + b); }
  void Arc(TArcKind, double l, double t, double r, double b, TWmfPoint s, TWmfPoint e, const TWmfPen&,
           const TWmfBrush&) override {
    Use(l + t + r + b + s.X + e.Y);
  }
  void Line(TWmfPoint a, TWmfPoint b, const TWmfPen& pen) override { Use(a.X + b.Y + pen.Width); }
  void Polyline(const std::vector<TWmfPoint>& points, const TWmfPen&) override {
    for (const TWmfPoint& p : points) Use(p.X + p.Y);
  }
  void Polygons(const std::vector<std::vector<TWmfPoint>>& polygons, bool, const TWmfPen&, const TWmfBrush&) override {
    for (const auto& polygon : polygons) Polyline(polygon, {});
  }
  void Use(double v) { Sum += v; }
  double Sum = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    (void)ReadWmf(bytes, true);
  } catch (const TError&) {
  }
  const TWmfFile f = ReadWmf(bytes, false);
  TCheckingPainter painter;
  PlayWmf(f, painter, 640, 480, false);
  try {
    PlayWmf(f, painter, 0, 0, true);
  } catch (const TError&) {
  }
  return 0;
}
