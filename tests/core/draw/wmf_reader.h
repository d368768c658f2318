#pragma once
// A small reader of the metafiles the recorder writes, for the tests: it
// checks the headers, splits the records and plays them onto a canvas.
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/draw/canvas.h"
#include "core/draw/wmf.h"

struct TWmfRecord {
  uint16_t Function = 0;
  std::vector<int16_t> Params;
};

struct TWmfFile {
  int16_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  uint16_t Inch = 0, ObjectCount = 0;
  uint32_t MaxRecord = 0;
  std::vector<TWmfRecord> Records;  // EOF included
};

inline uint16_t WmfWord(const std::string& s, size_t at) {
  if (at + 2 > s.size()) throw std::runtime_error("metafile cut short");
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}
inline uint32_t WmfDword(const std::string& s, size_t at) {
  return WmfWord(s, at) | (uint32_t{WmfWord(s, at + 2)} << 16);
}

inline TWmfFile ReadWmf(const std::string& bytes) {
  TWmfFile f;
  if (WmfDword(bytes, 0) != 0x9AC6CDD7) throw std::runtime_error("no placeable key");
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= WmfWord(bytes, i);
  if (sum != WmfWord(bytes, 20)) throw std::runtime_error("placeable checksum");
  const auto box = [&](size_t at) { return static_cast<int16_t>(WmfWord(bytes, at)); };
  f.Left = box(6), f.Top = box(8), f.Right = box(10), f.Bottom = box(12);
  f.Inch = WmfWord(bytes, 14);
  const size_t h = wmf::PlaceableHeaderSize;
  if (WmfWord(bytes, h) != 1 || WmfWord(bytes, h + 2) != 9 || WmfWord(bytes, h + 4) != 0x0300)
    throw std::runtime_error("metafile header");
  if (WmfDword(bytes, h + 6) * 2 + h != bytes.size()) throw std::runtime_error("metafile size");
  f.ObjectCount = WmfWord(bytes, h + 10);
  f.MaxRecord = WmfDword(bytes, h + 12);
  size_t at = h + 18;
  uint32_t largest = 0;
  while (at < bytes.size()) {
    const uint32_t size = WmfDword(bytes, at);
    if (size < 3 || at + size * 2 > bytes.size()) throw std::runtime_error("record size");
    largest = std::max(largest, size);
    TWmfRecord r;
    r.Function = WmfWord(bytes, at + 4);
    for (uint32_t i = 3; i < size; ++i) r.Params.push_back(static_cast<int16_t>(WmfWord(bytes, at + 2 * i)));
    f.Records.push_back(r);
    at += size * 2;
    if (r.Function == wmf::RecEof) break;
  }
  if (at != bytes.size() || f.Records.empty() || f.Records.back().Function != wmf::RecEof)
    throw std::runtime_error("no end record");
  if (largest != f.MaxRecord) throw std::runtime_error("largest record");
  return f;
}

// Plays the records onto a canvas of the picture's pixel size, mapping the
// window onto it. Pens and brushes go through an object table, as a player
// of metafiles keeps them; a deleted or never created object is an error.
inline void PlayWmf(const TWmfFile& f, TCanvas& canvas, int pixelWidth, int pixelHeight) {
  struct TObject {
    bool Used = false, IsPen = false, Clear = false;
    int Width = 0;
    TColour Colour = 0;
  };
  std::vector<TObject> table(f.ObjectCount);
  double orgX = 0, orgY = 0, extX = 1, extY = 1;
  auto px = [&](double v) { return (v - orgX) * pixelWidth / extX; };
  auto py = [&](double v) { return (v - orgY) * pixelHeight / extY; };
  auto ix = [&](int16_t v) { return static_cast<int>(px(v)); };
  auto iy = [&](int16_t v) { return static_cast<int>(py(v)); };
  // COLORREF words: red in the low byte of the first, blue in the low byte of the second.
  auto colour = [](int16_t lo, int16_t hi) { return MakeColour(lo & 0xFF, (lo >> 8) & 0xFF, hi & 0xFF); };
  auto add = [&](const TObject& o) {  // into the lowest free slot
    auto slot = std::find_if(table.begin(), table.end(), [](const TObject& t) { return !t.Used; });
    if (slot == table.end()) throw std::runtime_error("object table full");
    *slot = o;
  };
  for (const TWmfRecord& r : f.Records) {
    const auto& p = r.Params;
    switch (r.Function) {
      case wmf::RecSetWindowOrg: orgY = p.at(0), orgX = p.at(1); break;
      case wmf::RecSetWindowExt: extY = p.at(0), extX = p.at(1); break;
      case wmf::RecCreatePenIndirect:
        add({true, true, false, static_cast<int>(px(p.at(1)) - px(0)), colour(p.at(3), p.at(4))});
        break;
      case wmf::RecCreateBrushIndirect:
        add({true, false, p.at(0) == static_cast<int16_t>(wmf::BrushNull), 0, colour(p.at(1), p.at(2))});
        break;
      case wmf::RecSelectObject: {
        const TObject& o = table.at(static_cast<size_t>(p.at(0)));
        if (!o.Used) throw std::runtime_error("selecting a free object");
        if (o.IsPen) canvas.SetPen(o.Colour, o.Width);
        else if (o.Clear) canvas.ClearBrush();
        else canvas.SetBrush(o.Colour);
        break;
      }
      case wmf::RecDeleteObject: {
        TObject& o = table.at(static_cast<size_t>(p.at(0)));
        if (!o.Used) throw std::runtime_error("deleting a free object");
        o.Used = false;
        break;
      }
      case wmf::RecRectangle: canvas.Rectangle(ix(p.at(3)), iy(p.at(2)), ix(p.at(1)), iy(p.at(0))); break;
      case wmf::RecEllipse: canvas.Ellipse(ix(p.at(3)), iy(p.at(2)), ix(p.at(1)), iy(p.at(0))); break;
      case wmf::RecRoundRect:
        canvas.RoundRect(ix(p.at(5)), iy(p.at(4)), ix(p.at(3)), iy(p.at(2)), int(px(p.at(1)) - px(0)));
        break;
      case wmf::RecArc:
        canvas.Arc(px(p.at(7)), py(p.at(6)), px(p.at(5)), py(p.at(4)), px(p.at(3)), py(p.at(2)), px(p.at(1)),
                   py(p.at(0)));
        break;
      case wmf::RecMoveTo: canvas.MoveTo(ix(p.at(1)), iy(p.at(0))); break;
      case wmf::RecLineTo: canvas.LineTo(ix(p.at(1)), iy(p.at(0))); break;
      case wmf::RecEof: return;
      default: throw std::runtime_error("unexpected record " + std::to_string(r.Function));
    }
  }
}
