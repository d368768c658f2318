// The metafile player on pictures of our recorder and on a word processor's
// way of writing them, into a painter that notes every call.
#include "reports/wmfplayer.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/draw/rtfimage.h"
#include "core/errors.h"
#include "tests/reports/wmf_sample.h"

namespace {

std::string Num(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}

// Every call as a line of text: what, where, with which pen and brush.
class TNotingPainter : public TWmfPainter {
public:
  std::vector<std::string> Calls;

  static std::string Pen(const TWmfPen& p) {
    return p.Null ? "nopen" : "pen " + Num(p.Width) + " " + Hex(p.Colour) + (p.InsideFrame ? " inside" : "");
  }
  static std::string Brush(const TWmfBrush& b) { return b.Null ? "nobrush" : "brush " + Hex(b.Colour); }
  static std::string Hex(TColour c) {
    char b[16];
    std::snprintf(b, sizeof b, "%06X", c);
    return b;
  }
  static std::string Box(double l, double t, double r, double b) {
    return Num(l) + "," + Num(t) + "," + Num(r) + "," + Num(b);
  }
  static std::string Points(const std::vector<TWmfPoint>& points) {
    std::string s;
    for (const TWmfPoint& p : points) s.append(" ").append(Num(p.X)).append(",").append(Num(p.Y));
    return s;
  }

  void Rectangle(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) override {
    Calls.push_back("rect " + Box(l, t, r, b) + " " + Pen(pen) + " " + Brush(brush));
  }
  void RoundRect(double l, double t, double r, double b, double rx, double ry, const TWmfPen& pen,
                 const TWmfBrush& brush) override {
    Calls.push_back("roundrect " + Box(l, t, r, b) + " " + Num(rx) + "," + Num(ry) + " " + Pen(pen) + " " + Brush(brush));
  }
  void Ellipse(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) override {
    Calls.push_back("ellipse " + Box(l, t, r, b) + " " + Pen(pen) + " " + Brush(brush));
  }
  void Arc(TArcKind kind, double l, double t, double r, double b, TWmfPoint s, TWmfPoint e, const TWmfPen& pen,
           const TWmfBrush&) override {
    Calls.push_back(std::string(kind == akArc ? "arc " : kind == akPie ? "pie " : "chord ") + Box(l, t, r, b) + " " +
                    Box(s.X, s.Y, e.X, e.Y) + " " + Pen(pen));
  }
  void Line(TWmfPoint from, TWmfPoint to, const TWmfPen& pen) override {
    Calls.push_back("line " + Box(from.X, from.Y, to.X, to.Y) + " " + Pen(pen));
  }
  void Polyline(const std::vector<TWmfPoint>& points, const TWmfPen& pen) override {
    Calls.push_back("polyline" + Points(points) + " " + Pen(pen));
  }
  void Polygons(const std::vector<std::vector<TWmfPoint>>& polygons, bool winding, const TWmfPen& pen,
                const TWmfBrush& brush) override {
    std::string s = winding ? "polygons winding" : "polygons alternate";
    for (const auto& p : polygons) s += " [" + Points(p) + " ]";
    Calls.push_back(s + " " + Pen(pen) + " " + Brush(brush));
  }
  void SetClip(bool clip, double l, double t, double r, double b) override {
    Calls.push_back(clip ? "clip " + Box(l, t, r, b) : "noclip");
  }
};

}  // namespace

TEST(WmfPlayer, RecorderPictureMappedOntoTheBox) {
  TRTFimage image(100, 50);
  TCanvas& c = image.Canvas();
  c.SetBrush(0x336699);
  c.FillRect(0, 0, 10, 10);
  c.SetPen(0xFF0000, 3);
  c.ClearBrush();
  c.RoundRect(10, 10, 30, 40, 8);
  c.Ellipse(40, 0, 60, 20);
  c.Arc(60, 10, 80, 30, 80, 20, 70, 10);
  c.MoveTo(0, 49);
  c.LineTo(99, 49);
  // Played twice the size: every coordinate doubles.
  TNotingPainter p;
  PlayWmf(ReadWmf(image.Metafile()), p, 200, 100, true);
  const std::vector<std::string> expected = {
      "rect 0,0,20,20 pen 2 336699 inside brush 336699",
      "roundrect 20,20,60,80 16,16 pen 6 FF0000 inside nobrush",
      "ellipse 80,0,120,40 pen 6 FF0000 inside nobrush",
      "arc 120,20,160,60 160,40,140,20 pen 6 FF0000",
      "line 0,98,198,98 pen 6 FF0000",
  };
  EXPECT_EQ(p.Calls, expected);
  // The picture group's bytes (no placeable header) read the same.
  const std::string group = image.Metafile().substr(wmf::PlaceableHeaderSize);
  TNotingPainter q;
  PlayWmf(ReadWmf(group, false), q, 200, 100, true);
  EXPECT_EQ(q.Calls, expected);
}

TEST(WmfPlayer, WordProcessorRecordsAndRecordsPassedOver) {
  const std::string bytes = wmftest::WordProcessorSample();
  const TWmfFile f = ReadWmf(bytes);
  EXPECT_FALSE(f.Placeable);
  EXPECT_EQ(f.Records.size(), 25u);
  TNotingPainter p;
  PlayWmf(f, p, 200, 100);  // a fifth of the window
  const std::vector<std::string> expected = {
      "polygons alternate [ 20,20 100,20 60,80 ] pen 2 0000FF brush FF0000",
      "polyline 120,10 140,30 160,10 pen 0 00FF00",
      "clip 110,10,190,90",
      "polygons alternate [ 120,40 180,40 180,80 120,80 ] [ 140,50 160,50 150,70 ] pen 0 00FF00 brush FF0000",
      "noclip",
      // After the restored state: the default black pen and white brush.
      "ellipse 20,80,40,100 pen 1 000000 brush FFFFFF",
  };
  EXPECT_EQ(p.Calls, expected);
  // Strict playing (our own pictures) refuses records it does not know.
  EXPECT_THROW(PlayWmf(f, p, 200, 100, true), TError);
}

TEST(WmfPlayer, DamagedFilesReadAsFarAsTheyGo) {
  const std::string good = wmftest::WordProcessorSample();
  struct TCase {
    const char* Name;
    std::string Bytes;
    size_t LenientRecords;
  };
  std::string badSize = good;
  badSize[18 + 4 * 2] = '\x7F';  // the second record claims more than the file holds
  const TCase cases[] = {
      {"cut in the middle", good.substr(0, good.size() / 2), 10},
      {"record too large", badSize, 0},
      {"no header", "\x01\x00\x05\x00", 0},
      {"empty", "", 0},
      {"placeable key only", "\xD7\xCD\xC6\x9A", 0},
  };
  for (const TCase& c : cases) {
    EXPECT_THROW(ReadWmf(c.Bytes, true), TError) << c.Name;
    const TWmfFile f = ReadWmf(c.Bytes, false);
    if (c.LenientRecords) {
      EXPECT_GE(f.Records.size(), c.LenientRecords) << c.Name;
    }
    TNotingPainter p;
    PlayWmf(f, p, 10, 10);  // whatever was read plays without harm
  }
  // Selecting and deleting objects that are not there.
  wmftest::TWmfBuilder b;
  b.Rec(0x012D, {5}).Rec(0x01F0, {-1}).Rec(0x02FA, {0, 1, 0, 0, 0}).Rec(0x02FA, {0, 1, 0, 0, 0});
  b.Rec(0x0127, {-3}).Rec(0x041B, {1, 1, 0, 0}).Rec(0x0000, {});
  const TWmfFile odd = ReadWmf(b.Bytes(1));
  TNotingPainter p;
  PlayWmf(odd, p, 10, 10);
  EXPECT_EQ(p.Calls.size(), 1u);
  EXPECT_THROW(PlayWmf(odd, p, 10, 10, true), TError);
}
