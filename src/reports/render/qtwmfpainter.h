#pragma once
#include <QPainter>
#include <QPainterPath>

#include "reports/wmfplayer.h"

// Plays metafile pictures as vectors on a QPainter, so that they stay sharp
// at every zoom and in PDF files. The painter's state is kept as it was.
class TQtWmfPainter : public TWmfPainter {
public:
  explicit TQtWmfPainter(QPainter& painter);
  ~TQtWmfPainter() override;
  TQtWmfPainter(const TQtWmfPainter&) = delete;
  TQtWmfPainter& operator=(const TQtWmfPainter&) = delete;

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
  void SetClip(bool clip, double l, double t, double r, double b) override;

private:
  // The box of a closed shape, shrunk for an inside-frame outline, with the
  // painter's pen and brush set.
  QRectF Prepare(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush);
  void UsePen(const TWmfPen& pen);

  QPainter& P;
  bool BaseClipped;
  QPainterPath BaseClip;
};

// Plays a metafile (bytes without placeable header, as an RTF picture holds
// them, or with one) into the box; a picture that cannot be read is drawn
// as a grey frame. Drawing is clipped to the box.
void PaintWmf(QPainter& painter, const TWmfFile& file, const QRectF& box);
