#pragma once
#include <cstdint>

// Colours are RGB values 0xRRGGBB.
using TColour = uint32_t;

constexpr TColour MakeColour(uint8_t r, uint8_t g, uint8_t b) {
  return (static_cast<TColour>(r) << 16) | (static_cast<TColour>(g) << 8) | b;
}
constexpr uint8_t RedOf(TColour c) { return static_cast<uint8_t>(c >> 16); }
constexpr uint8_t GreenOf(TColour c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t BlueOf(TColour c) { return static_cast<uint8_t>(c); }

// The drawing surface the transit drawer and the report paint on. Pen and
// brush are state, as on a desktop canvas; every shape is given by its
// bounding box (l, t, r, b) in pixels with r and b exclusive, so a box of
// w x h pixels covers exactly w x h cells. Outlines lie inside the box.
class TCanvas {
public:
  virtual ~TCanvas() = default;

  // Pen for outlines, arcs and lines; widths below 1 count as 1.
  void SetPen(TColour colour, int width) {
    PenColour = colour;
    PenWidth = width < 1 ? 1 : width;
  }
  // Brush for the inside of closed shapes; ClearBrush leaves insides unpainted.
  void SetBrush(TColour colour) {
    BrushColour = colour;
    BrushClear = false;
  }
  void ClearBrush() { BrushClear = true; }

  // The box painted with the brush colour only (no outline).
  virtual void FillRect(int l, int t, int r, int b) = 0;
  // Brush inside, pen outline.
  virtual void Rectangle(int l, int t, int r, int b) = 0;
  // Corner size c is the diameter of the corner circles.
  virtual void RoundRect(int l, int t, int r, int b, int c) = 0;
  virtual void Ellipse(int l, int t, int r, int b) = 0;
  // A circular arc on the circle inscribed in the box (whose width gives the
  // diameter of the pen's centre line), running counter-clockwise from the ray
  // through (x1, y1) to the ray through (x2, y2). Coordinates may be halves of
  // a pixel so that a band can hug a pixel edge with an odd pen width.
  virtual void Arc(double l, double t, double r, double b, double x1, double y1, double x2, double y2) = 0;
  virtual void MoveTo(int x, int y) = 0;
  // A line from the current position to (x, y), both ends included; the
  // current position moves to (x, y).
  virtual void LineTo(int x, int y) = 0;

  TColour PenColour = 0;
  int PenWidth = 1;
  TColour BrushColour = 0xFFFFFF;
  bool BrushClear = false;
};
