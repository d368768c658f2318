#pragma once
// Metafiles built record by record for the tests: as our recorder writes
// them, and as a word processor writes such a picture when it saves a report
// again (map mode, window, comment escapes, saved states, fonts, polygons,
// polylines, clip rectangles, text and records of its own).
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace wmftest {

class TWmfBuilder {
public:
  TWmfBuilder& Rec(uint16_t function, std::initializer_list<int> params) {
    const uint32_t size = 3 + static_cast<uint32_t>(params.size());
    Words.push_back(static_cast<uint16_t>(size & 0xFFFF));
    Words.push_back(static_cast<uint16_t>(size >> 16));
    Words.push_back(function);
    for (int p : params) Words.push_back(static_cast<uint16_t>(p));
    if (size > Max) Max = size;
    return *this;
  }
  // The file without placeable header, as an RTF picture group holds it.
  std::string Bytes(uint16_t objects) const {
    std::string out;
    auto put16 = [&](uint32_t v) {
      out += static_cast<char>(v & 0xFF);
      out += static_cast<char>((v >> 8) & 0xFF);
    };
    put16(1), put16(9), put16(0x0300);
    const uint32_t total = 9 + static_cast<uint32_t>(Words.size());
    put16(total & 0xFFFF), put16(total >> 16);
    put16(objects);
    put16(Max & 0xFFFF), put16(Max >> 16);
    put16(0);
    for (uint16_t w : Words) put16(w);
    return out;
  }

private:
  std::vector<uint16_t> Words;
  uint32_t Max = 0;
};

// COLORREF words of 0xRRGGBB.
inline int Lo(uint32_t rgb) { return static_cast<int>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00)); }
inline int Hi(uint32_t rgb) { return static_cast<int>(rgb & 0xFF); }

// A window of 1000 x 500 logical units: a red triangle with a blue outline
// of 10 units, a green polyline, a double polygon (alternate filling) inside
// a clip rectangle that a restored state removes again, with a font, a
// comment escape, text and an unknown record passed over.
inline std::string WordProcessorSample() {
  TWmfBuilder b;
  b.Rec(0x0103, {8})                                    // SETMAPMODE anisotropic
      .Rec(0x020B, {0, 0})                              // SETWINDOWORG
      .Rec(0x020C, {500, 1000})                         // SETWINDOWEXT
      .Rec(0x0626, {15, 14, 0x4F4C, 0x4C43, 0x5041, 0x5254, 0x2045, 0x4F43, 0})  // ESCAPE: a comment
      .Rec(0x0102, {1})                                 // SETBKMODE transparent
      .Rec(0x001E, {})                                  // SAVEDC
      .Rec(0x02FA, {0, 10, 0, Lo(0x0000FF), Hi(0x0000FF)})  // pen: blue, 10 units -> slot 0
      .Rec(0x012D, {0})
      .Rec(0x02FC, {0, Lo(0xFF0000), Hi(0xFF0000), 0})  // brush: red -> slot 1
      .Rec(0x012D, {1})
      .Rec(0x02FB, {-12, 0, 0, 0, 400, 0, 0, 0, 0x4944})  // a font -> slot 2
      .Rec(0x012D, {2})
      .Rec(0x0324, {3, 100, 100, 500, 100, 300, 400})   // POLYGON
      .Rec(0x02FA, {0, 0, 0, Lo(0x00FF00), Hi(0x00FF00)})  // pen: green, thinnest -> slot 3
      .Rec(0x012D, {3})
      .Rec(0x0325, {3, 600, 50, 700, 150, 800, 50})     // POLYLINE
      .Rec(0x0416, {450, 950, 50, 550})                 // INTERSECTCLIPRECT l 550 t 50 r 950 b 450
      .Rec(0x0106, {1})                                 // SETPOLYFILLMODE alternate
      .Rec(0x0538, {2, 4, 3, 600, 200, 900, 200, 900, 400, 600, 400, 700, 250, 800, 250, 750, 350})
      .Rec(0x0A32, {10, 20, 2, 0, 0x6948})              // EXTTEXTOUT "Hi"
      .Rec(0x0999, {1, 2, 3})                           // a record of nobody's
      .Rec(0x0127, {-1})                                // RESTOREDC
      .Rec(0x01F0, {0})                                 // DELETEOBJECT
      .Rec(0x0418, {500, 200, 400, 100})                // ELLIPSE with the state restored
      .Rec(0x0000, {});
  return b.Bytes(4);
}

}  // namespace wmftest
