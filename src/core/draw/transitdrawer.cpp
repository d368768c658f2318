#include "core/draw/transitdrawer.h"

#include <cmath>
#include <vector>

#include "core/draw/vectorshapes.h"
#include "core/errors.h"
#include "core/units.h"

namespace {
int Trunc(double v) { return static_cast<int>(std::trunc(v)); }
}  // namespace

TTransitDrawer::TTransitDrawer(const TTransit& transit) : Transit(transit) { SetColourScheme(false); }

void TTransitDrawer::SetColourScheme(bool direct) {
  if (direct) {
    ConduitPenWidth = 1;
    ConduitOutlineColour = 0x428358;
    MajorGridColour = 0xBEBEBE;
    MinorGridColour = 0xD6D6D6;
    SleeveOutlineColour = 0x4B4B4B;
    PravenOutlineColour = 0x3D49FF;
    ClearanceRingColour = 0xE0E0E0;
  } else {
    ConduitPenWidth = 2;
    ConduitOutlineColour = 0x004000;
    MajorGridColour = 0x404040;
    MinorGridColour = 0xA0A0A0;
    SleeveOutlineColour = 0x000000;
    PravenOutlineColour = 0x0000FF;
    ClearanceRingColour = 0xD0D0D0;
  }
}

TColour TTransitDrawer::FillSystemBackground(TFillSystem fillSystem) {
  switch (fillSystem) {
    case fsKova: return 0xE8E8E8;
    case fsGrentax:
    case fsKovaMoxel: return 0xFFDCCC;
    case fsDusmera: return 0xD4EBF3;
    case fsPraven: return 0xCBE4FF;
  }
  return 0xFFFFFF;
}

void TTransitDrawer::SetSize(int availableWidth, int availableHeight) {
  const double extra = 2 * (WallThickness + Margin);
  ImageWidth = availableWidth;
  Scale = availableWidth / (Transit.Width + extra);
  ImageHeight = Trunc((Transit.Height + extra) * Scale + 0.5);
  if (availableHeight < ImageHeight) {
    ImageHeight = availableHeight;
    Scale = availableHeight / (Transit.Height + extra);
    ImageWidth = Trunc((Transit.Width + extra) * Scale + 0.5);
  }
  WallPx = Trunc(WallThickness * Scale + 0.5);
  MarginPx = Trunc(Margin * Scale + 0.5);
}

void TTransitDrawer::Zoom(int k) {
  ImageWidth *= k;
  ImageHeight *= k;
  WallPx *= k;
  MarginPx *= k;
  Scale *= k;
}

TTransitDrawer::TGridSpacing TTransitDrawer::GridSpacing(const TTransit& transit) {
  const double unitsPerInch = 25400;
  const bool small = transit.Width <= 2500000 && transit.Height <= 2500000;
  switch (CurrentLengthUnit) {
    case luMillimetre: return {small ? 10000.0 : 100000.0, 10};
    case luInch: return {small ? unitsPerInch : 12 * unitsPerInch, small ? 12 : 3};
    default: throw TError("Unknown length-unit");
  }
}

void TTransitDrawer::DrawGrid(TCanvas& canvas) const {
  const TGridSpacing spacing = GridSpacing(Transit);
  const double s = spacing.Step;
  const int m = spacing.MajorEvery;
  const int origin = OriginOffset();
  auto line = [&](int i, int x0, int y0, int x1, int y1) {
    canvas.SetPen(i % m == 0 ? MajorGridColour : MinorGridColour, GridLineWidth);
    canvas.MoveTo(x0, y0);
    canvas.LineTo(x1, y1);
  };
  const int nx = static_cast<int>(std::ceil(ImageWidth / (2 * s * Scale)));
  for (int i = -nx; i <= nx; ++i) {
    const int x = Trunc((Transit.Width / 2 + i * s) * Scale) + origin;
    line(i, x, 0, x, ImageHeight);
  }
  const int ny = static_cast<int>(std::ceil(ImageHeight / (2 * s * Scale)));
  for (int i = -ny; i <= ny; ++i) {
    const int y = Trunc((Transit.Height / 2 + i * s) * Scale) + origin;
    line(i, 0, y, ImageWidth, y);
  }
}

void TTransitDrawer::DrawWall(TCanvas& canvas) const {
  const int o = OriginOffset(), w = WallPx;
  const int ow = Trunc(Transit.Width * Scale), oh = Trunc(Transit.Height * Scale);
  int rad = Trunc(Transit.CornerRadius * Scale);
  if (rad > ow / 2) rad = ow / 2;
  if (rad > oh / 2) rad = oh / 2;
  canvas.SetBrush(OutlineColour);
  if (rad <= 0) {
    canvas.FillRect(o - w, o - w, o + ow + w, o);
    canvas.FillRect(o - w, o + oh, o + ow + w, o + oh + w);
    canvas.FillRect(o - w, o, o, o + oh);
    canvas.FillRect(o + ow, o, o + ow + w, o + oh);
    return;
  }
  canvas.FillRect(o + rad, o - w, o + ow - rad, o);
  canvas.FillRect(o + rad, o + oh, o + ow - rad, o + oh + w);
  canvas.FillRect(o - w, o + rad, o, o + oh - rad);
  canvas.FillRect(o + ow, o + rad, o + ow + w, o + oh - rad);
  if (w <= 0) return;
  // Quarter arcs whose band hugs the rounded corner of the opening: centre
  // line half the wall thickness outside it.
  canvas.SetPen(OutlineColour, w);
  const double q = rad + w / 2.0;
  auto corner = [&](double cx, double cy, double x1, double y1, double x2, double y2) {
    canvas.Arc(cx - q, cy - q, cx + q, cy + q, cx + x1, cy + y1, cx + x2, cy + y2);
  };
  const double l = o + rad, t = o + rad, r = o + ow - rad, b = o + oh - rad;
  corner(r, t, q, 0, 0, -q);  // top right: from east to north
  corner(l, t, 0, -q, -q, 0);  // top left: north to west
  corner(l, b, -q, 0, 0, q);  // bottom left: west to south
  corner(r, b, 0, q, q, 0);  // bottom right: south to east
}

void TTransitDrawer::DrawCircle(TCanvas& canvas, int cx, int cy, double radius, TColour fill, bool filled,
                                TColour outline) const {
  const int p = Trunc(radius * Scale + 0.5);
  canvas.SetPen(outline, ConduitPenWidth);
  if (filled) canvas.SetBrush(fill);
  else canvas.ClearBrush();
  canvas.Ellipse(cx - p, cy - p, cx + p + 1, cy + p + 1);
}

void TTransitDrawer::Draw(TCanvas& canvas) const {
  if (!GridInFront && GridLineWidth >= 1) DrawGrid(canvas);
  DrawWall(canvas);
  const int origin = OriginOffset();
  ForEachDrawnCircle(Transit, [&](const TDrawnCircle& circle) {
    const int cx = Trunc(circle.X * Scale) + origin, cy = Trunc(circle.Y * Scale) + origin;
    switch (circle.Kind) {
      case TCircleKind::SleeveOuter:
      case TCircleKind::CoverLayer:
        DrawCircle(canvas, cx, cy, circle.Radius, SleeveOuterFillColour, true, SleeveOutlineColour);
        break;
      case TCircleKind::SleeveInner:
        DrawCircle(canvas, cx, cy, circle.Radius, SleeveInnerFillColour, true, SleeveOutlineColour);
        break;
      case TCircleKind::PravenOuter:
        DrawCircle(canvas, cx, cy, circle.Radius, PravenOuterFillColour, true, PravenOutlineColour);
        break;
      case TCircleKind::PravenInner:
        DrawCircle(canvas, cx, cy, circle.Radius, PravenInnerFillColour, true, PravenOutlineColour);
        break;
      case TCircleKind::ClearanceRing:
        DrawCircle(canvas, cx, cy, circle.Radius, 0, false, ClearanceRingColour);
        break;
      case TCircleKind::Conduit:
        DrawCircle(canvas, cx, cy, circle.Radius, ConduitFillColour, true, ConduitOutlineColour);
        break;
    }
  });
  if (GridInFront && GridLineWidth >= 1) DrawGrid(canvas);
}

void ReduceBitmap(const TBitmap& sourceBitmap, TBitmap& destination, int k) {
  if (k < 1) k = 1;
  // Reducing a bitmap into itself works on a copy of it.
  TBitmap copy;
  if (&sourceBitmap == &destination) copy = sourceBitmap;
  const TBitmap& source = &sourceBitmap == &destination ? copy : sourceBitmap;
  const int w = source.Width() / k, h = source.Height() / k;
  destination.SetSize(w, h);
  if (w == 0 || h == 0) return;
  const uint32_t area = static_cast<uint32_t>(k) * k, half = area / 2;
  int shift = -1;
  for (int s = 0; s < 31; ++s)
    if ((1u << s) == area) shift = s;
  // Column sums of the k rows of a block row (at most 255 k, so 16 bits hold
  // them for k up to 257), then the k columns of each block.
  const size_t used = static_cast<size_t>(w) * k * 3;
  std::vector<uint32_t> wide;
  std::vector<uint16_t> narrow;
  if (k <= 257) narrow.resize(used);
  else wide.resize(used);
  auto reduce = [&](auto* columns) {
    for (int y = 0; y < h; ++y) {
      const uint8_t* first = source.Row(y * k);
      for (size_t i = 0; i < used; ++i) columns[i] = first[i];
      for (int j = 1; j < k; ++j) {
        const uint8_t* row = source.Row(y * k + j);
        for (size_t i = 0; i < used; ++i) columns[i] = static_cast<decltype(+columns[0])>(columns[i] + row[i]);
      }
      uint8_t* out = destination.Row(y);
      const auto* c = columns;
      for (int x = 0; x < w; ++x, out += 3) {
        uint32_t r = 0, g = 0, b = 0;
        for (int i = 0; i < k; ++i, c += 3) {
          r += c[0];
          g += c[1];
          b += c[2];
        }
        if (shift >= 0) {
          out[0] = static_cast<uint8_t>((r + half) >> shift);
          out[1] = static_cast<uint8_t>((g + half) >> shift);
          out[2] = static_cast<uint8_t>((b + half) >> shift);
        } else {
          out[0] = static_cast<uint8_t>((r + half) / area);
          out[1] = static_cast<uint8_t>((g + half) / area);
          out[2] = static_cast<uint8_t>((b + half) / area);
        }
      }
    }
  };
  if (k <= 257) reduce(narrow.data());
  else reduce(wide.data());
}
