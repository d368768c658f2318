#include "core/draw/wmf.h"

#include <algorithm>
#include <cmath>

namespace {
int16_t Clamp16(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767)); }
int16_t Logical(int v) { return Clamp16(static_cast<int64_t>(v) * wmf::UnitsPerPixel); }
int16_t Logical(double v) { return Clamp16(std::llround(v * wmf::UnitsPerPixel)); }
// COLORREF: red in the low byte.
uint32_t ColorRef(TColour c) { return RedOf(c) | (GreenOf(c) << 8) | (static_cast<uint32_t>(BlueOf(c)) << 16); }

void Put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<uint16_t>(v >> 16));
}
}  // namespace

TWmfCanvas::TWmfCanvas(int width, int height) : Width(width), Height(height) {
  Record(wmf::RecSetWindowOrg, {0, 0});
  Record(wmf::RecSetWindowExt, {Logical(height), Logical(width)});
}

void TWmfCanvas::Record(uint16_t function, std::initializer_list<int> params) {
  const uint32_t size = 3 + static_cast<uint32_t>(params.size());
  Words.push_back(static_cast<uint16_t>(size & 0xFFFF));
  Words.push_back(static_cast<uint16_t>(size >> 16));
  Words.push_back(function);
  for (int p : params) Words.push_back(static_cast<uint16_t>(p));
  MaxRecord = std::max(MaxRecord, size);
}

int TWmfCanvas::NewObject() {
  auto free = std::find(Objects.begin(), Objects.end(), false);
  if (free != Objects.end()) {
    *free = true;
    return static_cast<int>(free - Objects.begin());
  }
  Objects.push_back(true);
  return static_cast<int>(Objects.size()) - 1;
}

void TWmfCanvas::UsePen(const TPenKey& pen) {
  if (PenIndex >= 0 && pen == Pen) return;
  const uint32_t ref = ColorRef(pen.Colour);
  const int16_t width = Logical(pen.Width);
  Record(wmf::RecCreatePenIndirect, {pen.Style, width, 0, static_cast<int>(ref & 0xFFFF), static_cast<int>(ref >> 16)});
  const int index = NewObject();
  Record(wmf::RecSelectObject, {index});
  if (PenIndex >= 0) {
    Record(wmf::RecDeleteObject, {PenIndex});
    Objects[PenIndex] = false;
  }
  PenIndex = index;
  Pen = pen;
}

void TWmfCanvas::UseBrush(const TBrushKey& brush) {
  if (BrushIndex >= 0 && brush == Brush) return;
  const uint32_t ref = brush.Clear ? 0 : ColorRef(brush.Colour);
  Record(wmf::RecCreateBrushIndirect, {brush.Clear ? wmf::BrushNull : wmf::BrushSolid,
                                       static_cast<int>(ref & 0xFFFF), static_cast<int>(ref >> 16), 0});
  const int index = NewObject();
  Record(wmf::RecSelectObject, {index});
  if (BrushIndex >= 0) {
    Record(wmf::RecDeleteObject, {BrushIndex});
    Objects[BrushIndex] = false;
  }
  BrushIndex = index;
  Brush = brush;
}

void TWmfCanvas::BoxRecord(uint16_t function, int l, int t, int r, int b) {
  Record(function, {Logical(b), Logical(r), Logical(t), Logical(l)});
}

void TWmfCanvas::FillRect(int l, int t, int r, int b) {
  if (Done) return;
  UsePen({wmf::PenInsideFrame, 1, BrushColour});
  UseBrush({false, BrushColour});
  BoxRecord(wmf::RecRectangle, l, t, r, b);
}

void TWmfCanvas::Rectangle(int l, int t, int r, int b) {
  if (Done) return;
  UsePen({wmf::PenInsideFrame, PenWidth, PenColour});
  UseBrush({BrushClear, BrushClear ? 0 : BrushColour});
  BoxRecord(wmf::RecRectangle, l, t, r, b);
}

void TWmfCanvas::RoundRect(int l, int t, int r, int b, int c) {
  if (Done) return;
  UsePen({wmf::PenInsideFrame, PenWidth, PenColour});
  UseBrush({BrushClear, BrushClear ? 0 : BrushColour});
  Record(wmf::RecRoundRect, {Logical(c), Logical(c), Logical(b), Logical(r), Logical(t), Logical(l)});
}

void TWmfCanvas::Ellipse(int l, int t, int r, int b) {
  if (Done) return;
  UsePen({wmf::PenInsideFrame, PenWidth, PenColour});
  UseBrush({BrushClear, BrushClear ? 0 : BrushColour});
  BoxRecord(wmf::RecEllipse, l, t, r, b);
}

void TWmfCanvas::Arc(double l, double t, double r, double b, double x1, double y1, double x2, double y2) {
  if (Done) return;
  UsePen({wmf::PenSolid, PenWidth, PenColour});
  Record(wmf::RecArc, {Logical(y2), Logical(x2), Logical(y1), Logical(x1), Logical(b), Logical(r), Logical(t),
                       Logical(l)});
}

void TWmfCanvas::MoveTo(int x, int y) {
  if (Done) return;
  Record(wmf::RecMoveTo, {Logical(y), Logical(x)});
}

void TWmfCanvas::LineTo(int x, int y) {
  if (Done) return;
  UsePen({wmf::PenSolid, PenWidth, PenColour});
  Record(wmf::RecLineTo, {Logical(y), Logical(x)});
}

const std::string& TWmfCanvas::Finish() {
  if (Done) return Bytes;
  Done = true;
  Record(wmf::RecEof, {});
  // Placeable header: key, handle, bounding box, units per inch, reserved and
  // the XOR of its first ten words.
  std::string head;
  Put32(head, wmf::PlaceableKey);
  Put16(head, 0);
  Put16(head, 0);
  Put16(head, 0);
  Put16(head, static_cast<uint16_t>(Logical(Width)));
  Put16(head, static_cast<uint16_t>(Logical(Height)));
  Put16(head, wmf::UnitsPerInch);
  Put32(head, 0);
  uint16_t sum = 0;
  for (int i = 0; i < 20; i += 2)
    sum ^= static_cast<uint16_t>(static_cast<uint8_t>(head[i]) | (static_cast<uint8_t>(head[i + 1]) << 8));
  Put16(head, sum);
  // Metafile header: in memory, 9 words, version 3.0, size in words, object
  // table size, largest record, no parameters.
  const uint32_t totalWords = 9 + static_cast<uint32_t>(Words.size());
  Put16(head, 1);
  Put16(head, 9);
  Put16(head, 0x0300);
  Put32(head, totalWords);
  Put16(head, static_cast<uint16_t>(Objects.size()));
  Put32(head, MaxRecord);
  Put16(head, 0);
  Bytes = head;
  Bytes.reserve(head.size() + Words.size() * 2);
  for (uint16_t w : Words) Put16(Bytes, w);
  Words.clear();
  return Bytes;
}
