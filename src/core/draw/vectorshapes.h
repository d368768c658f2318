#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/transit.h"

// The drawing of a filled transit as true shapes for the vector formats,
// in micrometres and in the transit's own coordinates: x to the right and y
// downward from the top-left corner of the opening's bounding box. It is the
// picture the transit drawer paints, with the drawer's wall and margin.

enum class TCircleKind : uint8_t {
  SleeveOuter,    // catalogue sleeve or crusher
  SleeveInner,
  PravenOuter,
  PravenInner,
  ClearanceRing,  // an outline only
  CoverLayer,     // one layer of an oversize cover or a wrap
  Conduit,
};

struct TDrawnCircle {
  double X, Y, Radius;
  TCircleKind Kind;
};

// Calls visit(circle) for every circle of the placed conduits, in drawing
// order: each conduit's covers from the outside in, then the conduit itself.
// The one walk over the fill items and their cover codes, for the painted
// picture and the vector formats alike.
template <class TVisit>
void ForEachDrawnCircle(const TTransit& transit, TVisit&& visit) {
  const int positions = static_cast<int>(transit.PlacedPositions.size());
  for (const TFillItem& item : transit.FillItems) {
    const int code = item.CoverCode;
    if (code > ccWrapNoCrusher) continue;
    for (int k = 0; k < item.PlacedCount; ++k) {
      const int index = item.FirstPlaced + k;
      if (index < 0 || index >= positions) break;
      const TPlacedPosition& pos = transit.PlacedPositions[index];
      auto add = [&](double radius, TCircleKind kind) { visit(TDrawnCircle{pos.X, pos.Y, radius, kind}); };
      switch (code) {
        case ccKovaCableSleeve:
        case ccKovaPlasticPipeSleeve:
        case ccKovaPipeSleeve:
        case ccSingleCrusher:
        case ccMultiCrusher:
          add(item.OuterRadius, TCircleKind::SleeveOuter);
          add(item.InnerRadius, TCircleKind::SleeveInner);
          break;
        case ccPravenSleeve:
          add(item.OuterRadius, TCircleKind::PravenOuter);
          add(item.InnerRadius, TCircleKind::PravenInner);
          break;
        case ccClearanceRing: add(item.OuterRadius + item.Ring, TCircleKind::ClearanceRing); break;
        case ccOversizeCable:
        case ccOversizePlasticPipe:
        case ccOversizePipe:
        case ccWrap:
        case ccWrapNoCrusher:
          // One layer every 2.5 mm, from the outside in.
          for (double r = item.OuterRadius; r >= item.ConduitRadius; r -= 2500) add(r, TCircleKind::CoverLayer);
          break;
        default: break;
      }
      add(item.ConduitRadius, TCircleKind::Conduit);
    }
  }
}

// The same circles as a list.
std::vector<TDrawnCircle> DrawnCircles(const TTransit& transit);

struct TVectorLayout {
  double Wall = 0, Margin = 0;
  // The opening's corner radius, at most half its smaller side.
  double CornerRadius = 0;
  // A round opening: a circle of half the width about the centre.
  bool Round = false;
  // The picture: the opening with the wall and the margin round it.
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
};
TVectorLayout VectorLayout(const TTransit& transit);

struct TGridLine {
  bool Vertical;
  double Position;  // x of a vertical line, y of a horizontal one
  bool Major;
};
// The measuring grid across the whole picture, centred on the middle of the
// opening as on the screen.
std::vector<TGridLine> GridLines(const TTransit& transit, const TVectorLayout& layout);

// The transit's size as a line of text: "600.00 x 400.00 mm, R 20.00 mm" or
// "Ø 400.00 mm", in the current length unit (UTF-8).
std::string TransitSizeText(const TTransit& transit);

// Shortest decimal text that reads back as the same double, without an
// exponent: "12.5", "0.30000000000000004", "-3".
void AppendNumber(std::string& out, double value);
