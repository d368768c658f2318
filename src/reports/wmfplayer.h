#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/draw/canvas.h"

// Reading and playing Windows metafiles: the records our metafile recorder
// writes, and those a word processor writes when it saves such a picture
// again (polygons, polylines, saved and restored states, clip rectangles,
// comments). Records it does not know are passed over.

struct TWmfRecord {
  uint16_t Function = 0;
  std::vector<int16_t> Params;
};

struct TWmfFile {
  bool Placeable = false;  // the file began with the 22-byte placeable header
  int16_t Left = 0, Top = 0, Right = 0, Bottom = 0;  // placeable bounding box
  uint16_t Inch = 0;                                 // placeable units per inch
  uint16_t ObjectCount = 0;
  uint32_t MaxRecord = 0;
  std::vector<TWmfRecord> Records;  // the end record included when present
};

// Splits a metafile, with or without its placeable header, into records.
// Strict: any departure from the format (checksum, sizes, largest record,
// missing end record) raises TError. Lenient: reads the records up to the
// end record or the first damaged one.
TWmfFile ReadWmf(const std::string& bytes, bool strict = true);

struct TWmfPoint {
  double X = 0, Y = 0;
};

struct TWmfPen {
  bool Null = false;
  bool InsideFrame = false;  // closed shapes keep the outline inside their box
  double Width = 1;          // in target units; 0 is the thinnest line
  TColour Colour = 0;
};

struct TWmfBrush {
  bool Null = false;
  TColour Colour = 0xFFFFFF;
};

// What a metafile is played onto. Coordinates are target units (the box the
// picture is played into); the player keeps the device state (mapping, pen,
// brush, saved states) and hands every shape its pen and brush.
class TWmfPainter {
public:
  virtual ~TWmfPainter() = default;
  // Boxes are left, top, right, bottom.
  virtual void Rectangle(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) = 0;
  // rx, ry: width and height of the corner ellipse.
  virtual void RoundRect(double l, double t, double r, double b, double rx, double ry, const TWmfPen& pen,
                         const TWmfBrush& brush) = 0;
  virtual void Ellipse(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) = 0;
  // Counter-clockwise on the ellipse of the box, from the ray through start
  // to the ray through end. Pie closes it through the centre and Chord with a
  // straight line; both are brushed.
  enum TArcKind { akArc, akPie, akChord };
  virtual void Arc(TArcKind kind, double l, double t, double r, double b, TWmfPoint start, TWmfPoint end,
                   const TWmfPen& pen, const TWmfBrush& brush) = 0;
  virtual void Line(TWmfPoint from, TWmfPoint to, const TWmfPen& pen) = 0;
  virtual void Polyline(const std::vector<TWmfPoint>& points, const TWmfPen& pen) = 0;
  // One or more closed outlines filled together (winding or alternate rule).
  virtual void Polygons(const std::vector<std::vector<TWmfPoint>>& polygons, bool winding, const TWmfPen& pen,
                        const TWmfBrush& brush) = 0;
  // Drawing is clipped to the box, or not clipped at all when clip is false.
  virtual void SetClip(bool clip, double l, double t, double r, double b) {
    (void)clip, (void)l, (void)t, (void)r, (void)b;
  }
};

// Plays the records into a box of width x height target units: the
// metafile's window (its last SetWindowOrg/SetWindowExt, or without one the
// placeable box, or else the target size itself) is mapped onto the box.
// Strict: a reference to a missing object, a full object table or an
// unknown record raises TError; lenient: they are passed over.
void PlayWmf(const TWmfFile& file, TWmfPainter& painter, double width, double height, bool strict = false);

// A painter that draws on a canvas in whole pixels (coordinates truncated as
// a metafile player on a bitmap does), for playing pictures onto bitmaps.
class TCanvasWmfPainter : public TWmfPainter {
public:
  explicit TCanvasWmfPainter(TCanvas& canvas) : Canvas(canvas) {}
  void Rectangle(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) override;
  void RoundRect(double l, double t, double r, double b, double rx, double ry, const TWmfPen& pen,
                 const TWmfBrush& brush) override;
  void Ellipse(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) override;
  void Arc(TArcKind kind, double l, double t, double r, double b, TWmfPoint start, TWmfPoint end, const TWmfPen& pen,
           const TWmfBrush& brush) override;
  void Line(TWmfPoint from, TWmfPoint to, const TWmfPen& pen) override;
  void Polyline(const std::vector<TWmfPoint>& points, const TWmfPen& pen) override;
  void Polygons(const std::vector<std::vector<TWmfPoint>>& polygons, bool winding, const TWmfPen& pen,
                const TWmfBrush& brush) override;

private:
  void Use(const TWmfPen& pen, const TWmfBrush& brush);
  TCanvas& Canvas;
};
