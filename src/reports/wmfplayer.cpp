#include "reports/wmfplayer.h"

#include <algorithm>
#include <cmath>

#include "core/draw/wmf.h"
#include "core/errors.h"

namespace {

// Record functions beyond those the recorder writes.
constexpr uint16_t RecSaveDC = 0x001E;
constexpr uint16_t RecRestoreDC = 0x0127;
constexpr uint16_t RecOffsetWindowOrg = 0x020F;
constexpr uint16_t RecScaleWindowExt = 0x0410;
constexpr uint16_t RecPolygon = 0x0324;
constexpr uint16_t RecPolyline = 0x0325;
constexpr uint16_t RecPolyPolygon = 0x0538;
constexpr uint16_t RecPie = 0x081A;
constexpr uint16_t RecChord = 0x0830;
constexpr uint16_t RecSetPolyFillMode = 0x0106;
constexpr uint16_t RecIntersectClipRect = 0x0416;
constexpr uint16_t RecSelectClipRegion = 0x012C;
// Records that make objects: each takes a slot of the object table.
constexpr uint16_t RecCreateFontIndirect = 0x02FB;
constexpr uint16_t RecCreatePalette = 0x00F7;
constexpr uint16_t RecCreatePatternBrush = 0x01F9;
constexpr uint16_t RecDibCreatePatternBrush = 0x0142;
constexpr uint16_t RecCreateRegion = 0x06FF;
// Records known to change nothing that these pictures show: modes, colours
// of text and background, text, bitmaps, palettes, comments and escapes,
// viewport settings (the box the picture goes into is the viewport).
constexpr uint16_t kPassedOver[] = {
    0x0102, 0x0201, 0x0209, 0x0104, 0x012E, 0x0107, 0x0103, 0x020D, 0x020E, 0x0211, 0x0412, 0x0626,
    0x0234, 0x0035, 0x0105, 0x0108, 0x0231, 0x0415, 0x0220, 0x0A32, 0x0521, 0x0B41, 0x0F43, 0x0940,
    0x0922, 0x041F, 0x0D33, 0x0228, 0x0139, 0x0436, 0x0419, 0x0548, 0x0149, 0x0037, 0x0232, 0x012A,
    0x0128, 0x0429, 0x012B};

uint16_t Word(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}
uint32_t Dword(const std::string& s, size_t at) { return Word(s, at) | (uint32_t{Word(s, at + 2)} << 16); }

// COLORREF words: red in the low byte of the first, blue in the low byte of the second.
TColour ColourOf(int16_t lo, int16_t hi) { return MakeColour(lo & 0xFF, (lo >> 8) & 0xFF, hi & 0xFF); }

}  // namespace

TWmfFile ReadWmf(const std::string& bytes, bool strict) {
  TWmfFile f;
  auto fail = [&](const char* what) -> bool {
    if (strict) throw TError(std::string("Damaged metafile: ") + what);
    return false;
  };
  size_t h = 0;
  if (bytes.size() >= 4 && Dword(bytes, 0) == wmf::PlaceableKey) {
    if (bytes.size() < static_cast<size_t>(wmf::PlaceableHeaderSize)) return fail("cut short"), f;
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= Word(bytes, i);
    if (sum != Word(bytes, 20)) fail("placeable checksum");
    f.Placeable = true;
    f.Left = static_cast<int16_t>(Word(bytes, 6));
    f.Top = static_cast<int16_t>(Word(bytes, 8));
    f.Right = static_cast<int16_t>(Word(bytes, 10));
    f.Bottom = static_cast<int16_t>(Word(bytes, 12));
    f.Inch = Word(bytes, 14);
    h = wmf::PlaceableHeaderSize;
  }
  if (bytes.size() < h + 18) return fail("cut short"), f;
  const uint16_t type = Word(bytes, h), headerWords = Word(bytes, h + 2), version = Word(bytes, h + 4);
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0300 && version != 0x0100))
    return fail("header"), f;
  if (strict && size_t{Dword(bytes, h + 6)} * 2 + h != bytes.size()) fail("size");
  f.ObjectCount = Word(bytes, h + 10);
  f.MaxRecord = Dword(bytes, h + 12);
  size_t at = h + 18;
  uint32_t largest = 0;
  bool ended = false;
  while (at + 6 <= bytes.size()) {
    const uint32_t size = Dword(bytes, at);
    if (size < 3 || size > (bytes.size() - at) / 2) {
      fail("record size");
      break;
    }
    largest = std::max(largest, size);
    TWmfRecord r;
    r.Function = Word(bytes, at + 4);
    r.Params.resize(size - 3);
    for (uint32_t i = 3; i < size; ++i) r.Params[i - 3] = static_cast<int16_t>(Word(bytes, at + 2 * i));
    at += size_t{size} * 2;
    f.Records.push_back(std::move(r));
    if (f.Records.back().Function == wmf::RecEof) {
      ended = true;
      break;
    }
  }
  if (strict) {
    if (!ended || at != bytes.size()) fail("no end record");
    if (largest != f.MaxRecord) fail("largest record");
  }
  return f;
}

namespace {

class TPlayer {
public:
  TPlayer(const TWmfFile& f, TWmfPainter& painter, double width, double height, bool strict)
      : File(f), Painter(painter), Width(width), Height(height), Strict(strict) {
    Objects.resize(f.ObjectCount);
    if (f.Placeable && f.Right != f.Left && f.Bottom != f.Top) {
      Dc.OrgX = f.Left, Dc.OrgY = f.Top;
      Dc.ExtX = f.Right - f.Left, Dc.ExtY = f.Bottom - f.Top;
    } else {
      Dc.ExtX = width, Dc.ExtY = height;
    }
  }

  void Play() {
    for (const TWmfRecord& r : File.Records) {
      if (r.Function == wmf::RecEof) break;
      Record(r);
    }
    if (Dc.Clip) Painter.SetClip(false, 0, 0, 0, 0);
  }

private:
  struct TObject {
    enum TKind { okFree, okPen, okBrush, okOther } Kind = okFree;
    TWmfPen Pen;
    TWmfBrush Brush;
  };
  struct TDc {
    double OrgX = 0, OrgY = 0, ExtX = 1, ExtY = 1;
    TWmfPen Pen;
    TWmfBrush Brush;
    double PosX = 0, PosY = 0;
    bool Winding = false;
    bool Clip = false;
    double ClipL = 0, ClipT = 0, ClipR = 0, ClipB = 0;
  };

  double X(double v) const { return (v - Dc.OrgX) * Width / Dc.ExtX; }
  double Y(double v) const { return (v - Dc.OrgY) * Height / Dc.ExtY; }
  double SizeX(double v) const { return X(v) - X(0); }
  double SizeY(double v) const { return Y(v) - Y(0); }

  void Problem(const std::string& what) {
    if (Strict) throw TError("Damaged metafile: " + what);
  }

  void Add(const TObject& o) {
    auto slot = std::find_if(Objects.begin(), Objects.end(), [](const TObject& t) { return t.Kind == TObject::okFree; });
    if (slot != Objects.end()) {
      *slot = o;
      return;
    }
    if (Strict) throw TError("Damaged metafile: object table full");
    if (Objects.size() < 65535) Objects.push_back(o);
  }

  TObject* Object(int16_t index) {
    if (index < 0 || static_cast<size_t>(index) >= Objects.size() || Objects[index].Kind == TObject::okFree) {
      Problem("no object " + std::to_string(index));
      return nullptr;
    }
    return &Objects[static_cast<size_t>(index)];
  }

  void SendClip() {
    Painter.SetClip(Dc.Clip, Dc.ClipL, Dc.ClipT, Dc.ClipR, Dc.ClipB);
  }

  std::vector<TWmfPoint> Points(const std::vector<int16_t>& p, size_t first, size_t count) const {
    std::vector<TWmfPoint> points;
    count = std::min(count, (p.size() - std::min(first, p.size())) / 2);
    points.reserve(count);
    for (size_t i = 0; i < count; ++i) points.push_back({X(p[first + 2 * i]), Y(p[first + 2 * i + 1])});
    return points;
  }

  void Record(const TWmfRecord& r) {
    const auto& p = r.Params;
    auto need = [&](size_t n) {
      if (p.size() >= n) return true;
      Problem("record " + std::to_string(r.Function) + " cut short");
      return false;
    };
    switch (r.Function) {
      case wmf::RecSetWindowOrg:
        if (need(2)) Dc.OrgY = p[0], Dc.OrgX = p[1];
        return;
      case wmf::RecSetWindowExt:
        if (need(2) && p[0] != 0 && p[1] != 0) Dc.ExtY = p[0], Dc.ExtX = p[1];
        return;
      case RecOffsetWindowOrg:
        if (need(2)) Dc.OrgY += p[0], Dc.OrgX += p[1];
        return;
      case RecScaleWindowExt:
        if (need(4) && p[0] && p[2] && p[1] && p[3]) {
          Dc.ExtY = Dc.ExtY * p[1] / p[0];
          Dc.ExtX = Dc.ExtX * p[3] / p[2];
        }
        return;
      case RecSaveDC:
        if (Saved.size() < 1000) Saved.push_back(Dc);
        return;
      case RecRestoreDC: {
        if (!need(1)) return;
        const int n = p[0];
        size_t keep;  // the saved states left after restoring
        if (n < 0 && static_cast<size_t>(-n) <= Saved.size()) keep = Saved.size() + n;
        else if (n > 0 && static_cast<size_t>(n) <= Saved.size()) keep = static_cast<size_t>(n) - 1;
        else return Problem("no saved state");
        const bool clipped = Dc.Clip;
        Dc = Saved[keep];
        Saved.resize(keep);
        if (clipped || Dc.Clip) SendClip();
        return;
      }
      case wmf::RecCreatePenIndirect: {
        if (!need(5)) return Add({TObject::okOther, {}, {}});
        TObject o;
        o.Kind = TObject::okPen;
        const int style = p[0] & 0x0F;
        o.Pen.Null = style == 5;
        o.Pen.InsideFrame = style == wmf::PenInsideFrame;
        o.Pen.Width = std::abs(SizeX(p[1]));
        o.Pen.Colour = ColourOf(p[3], p[4]);
        return Add(o);
      }
      case wmf::RecCreateBrushIndirect: {
        if (!need(3)) return Add({TObject::okOther, {}, {}});
        TObject o;
        o.Kind = TObject::okBrush;
        o.Brush.Null = p[0] == static_cast<int16_t>(wmf::BrushNull);
        o.Brush.Colour = ColourOf(p[1], p[2]);
        return Add(o);
      }
      case RecCreateFontIndirect:
      case RecCreatePalette:
      case RecCreatePatternBrush:
      case RecDibCreatePatternBrush:
      case RecCreateRegion:
        return Add({TObject::okOther, {}, {}});
      case wmf::RecSelectObject:
        if (!need(1)) return;
        if (TObject* o = Object(p[0])) {
          if (o->Kind == TObject::okPen) Dc.Pen = o->Pen;
          else if (o->Kind == TObject::okBrush) Dc.Brush = o->Brush;
        }
        return;
      case wmf::RecDeleteObject:
        if (!need(1)) return;
        if (TObject* o = Object(p[0])) o->Kind = TObject::okFree;
        return;
      case RecSetPolyFillMode:
        if (need(1)) Dc.Winding = p[0] == 2;
        return;
      case RecIntersectClipRect: {
        if (!need(4)) return;
        double l = X(p[3]), t = Y(p[2]), r = X(p[1]), b = Y(p[0]);
        if (Dc.Clip) {
          l = std::max(l, Dc.ClipL), t = std::max(t, Dc.ClipT);
          r = std::min(r, Dc.ClipR), b = std::min(b, Dc.ClipB);
        }
        Dc.Clip = true;
        Dc.ClipL = l, Dc.ClipT = t, Dc.ClipR = std::max(l, r), Dc.ClipB = std::max(t, b);
        return SendClip();
      }
      case RecSelectClipRegion:
        if (Dc.Clip) {
          Dc.Clip = false;
          SendClip();
        }
        return;
      case wmf::RecRectangle:
        if (need(4)) Painter.Rectangle(X(p[3]), Y(p[2]), X(p[1]), Y(p[0]), Dc.Pen, Dc.Brush);
        return;
      case wmf::RecEllipse:
        if (need(4)) Painter.Ellipse(X(p[3]), Y(p[2]), X(p[1]), Y(p[0]), Dc.Pen, Dc.Brush);
        return;
      case wmf::RecRoundRect:
        if (need(6))
          Painter.RoundRect(X(p[5]), Y(p[4]), X(p[3]), Y(p[2]), std::abs(SizeX(p[1])), std::abs(SizeY(p[0])), Dc.Pen,
                            Dc.Brush);
        return;
      case wmf::RecArc:
      case RecPie:
      case RecChord: {
        if (!need(8)) return;
        const auto kind = r.Function == wmf::RecArc ? TWmfPainter::akArc
                          : r.Function == RecPie    ? TWmfPainter::akPie
                                                    : TWmfPainter::akChord;
        Painter.Arc(kind, X(p[7]), Y(p[6]), X(p[5]), Y(p[4]), {X(p[3]), Y(p[2])}, {X(p[1]), Y(p[0])}, Dc.Pen,
                    Dc.Brush);
        return;
      }
      case wmf::RecMoveTo:
        if (need(2)) Dc.PosX = X(p[1]), Dc.PosY = Y(p[0]);
        return;
      case wmf::RecLineTo:
        if (need(2)) {
          const TWmfPoint to{X(p[1]), Y(p[0])};
          Painter.Line({Dc.PosX, Dc.PosY}, to, Dc.Pen);
          Dc.PosX = to.X, Dc.PosY = to.Y;
        }
        return;
      case RecPolyline:
      case RecPolygon: {
        if (!need(1) || p[0] <= 0) return;
        std::vector<TWmfPoint> points = Points(p, 1, static_cast<size_t>(p[0]));
        if (r.Function == RecPolyline) Painter.Polyline(points, Dc.Pen);
        else Painter.Polygons({std::move(points)}, Dc.Winding, Dc.Pen, Dc.Brush);
        return;
      }
      case RecPolyPolygon: {
        if (!need(1) || p[0] <= 0) return;
        const size_t count = static_cast<size_t>(p[0]);
        if (!need(1 + count)) return;
        std::vector<std::vector<TWmfPoint>> polygons;
        size_t at = 1 + count;
        for (size_t i = 0; i < count; ++i) {
          const size_t n = static_cast<size_t>(std::max<int16_t>(p[1 + i], 0));
          polygons.push_back(Points(p, at, n));
          at += 2 * n;
        }
        Painter.Polygons(polygons, Dc.Winding, Dc.Pen, Dc.Brush);
        return;
      }
      default:
        if (std::find(std::begin(kPassedOver), std::end(kPassedOver), r.Function) == std::end(kPassedOver))
          Problem("unexpected record " + std::to_string(r.Function));
        return;
    }
  }

  const TWmfFile& File;
  TWmfPainter& Painter;
  const double Width, Height;
  const bool Strict;
  std::vector<TObject> Objects;
  TDc Dc;
  std::vector<TDc> Saved;
};

int Int(double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); }

}  // namespace

void PlayWmf(const TWmfFile& file, TWmfPainter& painter, double width, double height, bool strict) {
  TPlayer(file, painter, width, height, strict).Play();
}

void TCanvasWmfPainter::Use(const TWmfPen& pen, const TWmfBrush& brush) {
  Canvas.SetPen(pen.Colour, Int(pen.Width));
  if (brush.Null) Canvas.ClearBrush();
  else Canvas.SetBrush(brush.Colour);
}

void TCanvasWmfPainter::Rectangle(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) {
  Use(pen, brush);
  Canvas.Rectangle(Int(l), Int(t), Int(r), Int(b));
}

void TCanvasWmfPainter::RoundRect(double l, double t, double r, double b, double rx, double, const TWmfPen& pen,
                                  const TWmfBrush& brush) {
  Use(pen, brush);
  Canvas.RoundRect(Int(l), Int(t), Int(r), Int(b), Int(rx));
}

void TCanvasWmfPainter::Ellipse(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) {
  Use(pen, brush);
  Canvas.Ellipse(Int(l), Int(t), Int(r), Int(b));
}

void TCanvasWmfPainter::Arc(TArcKind, double l, double t, double r, double b, TWmfPoint start, TWmfPoint end,
                            const TWmfPen& pen, const TWmfBrush& brush) {
  Use(pen, brush);
  Canvas.Arc(l, t, r, b, start.X, start.Y, end.X, end.Y);
}

void TCanvasWmfPainter::Line(TWmfPoint from, TWmfPoint to, const TWmfPen& pen) {
  Use(pen, {true, 0});
  Canvas.MoveTo(Int(from.X), Int(from.Y));
  Canvas.LineTo(Int(to.X), Int(to.Y));
}

void TCanvasWmfPainter::Polyline(const std::vector<TWmfPoint>& points, const TWmfPen& pen) {
  for (size_t i = 1; i < points.size(); ++i) Line(points[i - 1], points[i], pen);
}

// The canvas has no filled polygons: the outline only.
void TCanvasWmfPainter::Polygons(const std::vector<std::vector<TWmfPoint>>& polygons, bool, const TWmfPen& pen,
                                 const TWmfBrush&) {
  for (const auto& polygon : polygons) {
    Polyline(polygon, pen);
    if (polygon.size() > 2) Line(polygon.back(), polygon.front(), pen);
  }
}
