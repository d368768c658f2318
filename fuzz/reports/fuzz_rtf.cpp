// Any bytes into the RTF reader: a document model or an error, nothing else;
// every picture it finds is played as the viewer would.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/errors.h"
#include "reports/rtfreader.h"
#include "reports/wmfplayer.h"

namespace {
class TNullPainter : public TWmfPainter {
  void Rectangle(double, double, double, double, const TWmfPen&, const TWmfBrush&) override {}
  void RoundRect(double, double, double, double, double, double, const TWmfPen&, const TWmfBrush&) override {}
  void Ellipse(double, double, double, double, const TWmfPen&, const TWmfBrush&) override {}
  void Arc(TArcKind, double, double, double, double, TWmfPoint, TWmfPoint, const TWmfPen&, const TWmfBrush&) override {}
  void Line(TWmfPoint, TWmfPoint, const TWmfPen&) override {}
  void Polyline(const std::vector<TWmfPoint>&, const TWmfPen&) override {}
  void Polygons(const std::vector<std::vector<TWmfPoint>>&, bool, const TWmfPen&, const TWmfBrush&) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    const TRtfDocument d = ReadRtf(bytes);
    (void)d.PlainText();
    TNullPainter painter;
    for (const TRtfPicture& p : d.Pictures) {
      (void)p.WidthTwips();
      if (p.Kind == rpkWmf) PlayWmf(ReadWmf(p.Data, false), painter, 100, 100);
    }
  } catch (const TError&) {
  }
  return 0;
}
