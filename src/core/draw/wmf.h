#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/draw/canvas.h"

// Record functions of the Windows metafile format that the recorder writes.
namespace wmf {
constexpr uint16_t RecEof = 0x0000;
constexpr uint16_t RecSetWindowOrg = 0x020B;
constexpr uint16_t RecSetWindowExt = 0x020C;
constexpr uint16_t RecCreatePenIndirect = 0x02FA;
constexpr uint16_t RecCreateBrushIndirect = 0x02FC;
constexpr uint16_t RecSelectObject = 0x012D;
constexpr uint16_t RecDeleteObject = 0x01F0;
constexpr uint16_t RecRectangle = 0x041B;
constexpr uint16_t RecRoundRect = 0x061C;
constexpr uint16_t RecEllipse = 0x0418;
constexpr uint16_t RecArc = 0x0817;
constexpr uint16_t RecMoveTo = 0x0214;
constexpr uint16_t RecLineTo = 0x0213;

constexpr uint16_t PenSolid = 0;
constexpr uint16_t PenInsideFrame = 6;
constexpr uint16_t BrushSolid = 0;
constexpr uint16_t BrushNull = 1;

constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr int PlaceableHeaderSize = 22;
// Logical units per pixel, so that the half pixels of arcs stay exact.
constexpr int UnitsPerPixel = 2;
// Logical units per inch written in the placeable header: a reference screen
// of 96 pixels per inch.
constexpr int UnitsPerInch = 96 * UnitsPerPixel;
}  // namespace wmf

// Records the canvas calls as a placeable Windows metafile of Width x Height
// pixels: window origin and extent first, then pens and brushes created,
// selected and deleted as the drawing needs them, and one rectangle, rounded
// rectangle, ellipse, arc, move-to or line-to record per call. Closed shapes
// use inside-frame pens so that outlines stay within the box as on the bitmap;
// a filled box is a rectangle whose pen has the brush colour.
class TWmfCanvas : public TCanvas {
public:
  TWmfCanvas(int width, int height);

  void FillRect(int l, int t, int r, int b) override;
  void Rectangle(int l, int t, int r, int b) override;
  void RoundRect(int l, int t, int r, int b, int c) override;
  void Ellipse(int l, int t, int r, int b) override;
  void Arc(double l, double t, double r, double b, double x1, double y1, double x2, double y2) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;

  // Completes the recording (once) and gives the whole file, placeable header
  // included. Drawing after that is ignored.
  const std::string& Finish();
  bool Finished() const { return Done; }

  const int Width, Height;

private:
  struct TPenKey {
    uint16_t Style;
    int Width;
    TColour Colour;
    bool operator==(const TPenKey&) const = default;
  };
  struct TBrushKey {
    bool Clear;
    TColour Colour;
    bool operator==(const TBrushKey&) const = default;
  };
  void Record(uint16_t function, std::initializer_list<int> params);
  int NewObject();
  void UsePen(const TPenKey& pen);
  void UseBrush(const TBrushKey& brush);
  void BoxRecord(uint16_t function, int l, int t, int r, int b);

  std::vector<uint16_t> Words;  // the records
  uint32_t MaxRecord = 0;
  std::vector<bool> Objects;    // object table slots in use
  int PenIndex = -1, BrushIndex = -1;
  TPenKey Pen{};
  TBrushKey Brush{};
  bool Done = false;
  std::string Bytes;
};
