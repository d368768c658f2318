#include "reports/render/qtwmfpainter.h"

#include <QtMath>
#include <cmath>

namespace {
QColor Colour(TColour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
QPointF Point(TWmfPoint p) { return {p.X, p.Y}; }
}  // namespace

TQtWmfPainter::TQtWmfPainter(QPainter& painter) : P(painter) {
  P.save();
  BaseClipped = P.hasClipping();
  if (BaseClipped) BaseClip = P.clipPath();
}

TQtWmfPainter::~TQtWmfPainter() { P.restore(); }

void TQtWmfPainter::UsePen(const TWmfPen& pen) {
  if (pen.Null) {
    P.setPen(Qt::NoPen);
    return;
  }
  // Lines cover both end points, as on the bitmap.
  QPen qpen(Colour(pen.Colour), pen.Width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
  if (pen.Width <= 0) qpen.setCosmetic(true);
  P.setPen(qpen);
}

QRectF TQtWmfPainter::Prepare(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) {
  UsePen(pen);
  P.setBrush(brush.Null ? QBrush(Qt::NoBrush) : QBrush(Colour(brush.Colour)));
  QRectF box = QRectF(QPointF(l, t), QPointF(r, b)).normalized();
  if (!pen.Null && pen.InsideFrame) {
    const double half = std::min({pen.Width / 2, box.width() / 2, box.height() / 2});
    box.adjust(half, half, -half, -half);
  }
  return box;
}

void TQtWmfPainter::Rectangle(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) {
  P.drawRect(Prepare(l, t, r, b, pen, brush));
}

void TQtWmfPainter::RoundRect(double l, double t, double r, double b, double rx, double ry, const TWmfPen& pen,
                              const TWmfBrush& brush) {
  const QRectF box = Prepare(l, t, r, b, pen, brush);
  const double shrink = pen.Null || !pen.InsideFrame ? 0 : pen.Width / 2;
  P.drawRoundedRect(box, std::max(0.0, rx / 2 - shrink), std::max(0.0, ry / 2 - shrink));
}

void TQtWmfPainter::Ellipse(double l, double t, double r, double b, const TWmfPen& pen, const TWmfBrush& brush) {
  P.drawEllipse(Prepare(l, t, r, b, pen, brush));
}

void TQtWmfPainter::Arc(TArcKind kind, double l, double t, double r, double b, TWmfPoint start, TWmfPoint end,
                        const TWmfPen& pen, const TWmfBrush& brush) {
  const QRectF box = QRectF(QPointF(l, t), QPointF(r, b)).normalized();
  const QPointF c = box.center();
  auto angle = [&](TWmfPoint p) { return qRadiansToDegrees(std::atan2(c.y() - p.Y, p.X - c.x())); };
  const double from = angle(start);
  double span = angle(end) - from;
  while (span <= 0) span += 360;
  UsePen(pen);
  P.setBrush(brush.Null || kind == akArc ? QBrush(Qt::NoBrush) : QBrush(Colour(brush.Colour)));
  const int a = qRound(from * 16), s = qRound(span * 16);
  if (kind == akArc) {
    QPen flat = P.pen();
    flat.setCapStyle(Qt::FlatCap);
    P.setPen(flat);
    P.drawArc(box, a, s);
  } else if (kind == akPie) {
    P.drawPie(box, a, s);
  } else {
    P.drawChord(box, a, s);
  }
}

// A line addresses pixel cells, as on a bitmap: an upright or level line
// covers the cells from end to end, both included, in a band of the pen
// width round the cells it runs through (the extra cell of an even width to
// the right or below), snapped to whole pixels. A slanted line is
// centred on the cells.
void TQtWmfPainter::Line(TWmfPoint from, TWmfPoint to, const TWmfPen& pen) {
  if (pen.Null) return;
  const QTransform t = P.worldTransform();  // snapped to the painter's logical pixels
  const bool upright = t.m12() == 0 && t.m21() == 0 && t.m11() != 0 && t.m22() != 0;
  if (upright && (from.X == to.X || from.Y == to.Y)) {
    const QPointF a = t.map(Point(from)), b = t.map(Point(to));
    const bool level = from.Y == to.Y;
    const double scale = std::abs(level ? t.m22() : t.m11());
    const double n = std::max(1.0, std::round(pen.Width * scale));
    const double across = std::floor(level ? a.y() : a.x()) - std::floor((n - 1) / 2);
    const double start = std::floor(level ? std::min(a.x(), b.x()) : std::min(a.y(), b.y()));
    const double end = std::floor(level ? std::max(a.x(), b.x()) : std::max(a.y(), b.y())) + 1;
    const QRectF band = level ? QRectF(start, across, end - start, n) : QRectF(across, start, n, end - start);
    // The band is filled in the painter's own coordinates, under the same
    // transform and without a saved state: a device that records the
    // drawing to play it back later at another scale (the print preview)
    // gets the same band as the printer. The next shape sets its own pen.
    P.setPen(Qt::NoPen);
    P.setBrush(Colour(pen.Colour));
    P.drawRect(t.inverted().mapRect(band));
    return;
  }
  UsePen(pen);
  const double dx = upright ? 0.5 / t.m11() : 0, dy = upright ? 0.5 / t.m22() : 0;
  P.drawLine(Point(from) + QPointF(dx, dy), Point(to) + QPointF(dx, dy));
}

void TQtWmfPainter::Polyline(const std::vector<TWmfPoint>& points, const TWmfPen& pen) {
  if (pen.Null || points.size() < 2) return;
  UsePen(pen);
  QPolygonF polygon;
  for (const TWmfPoint& p : points) polygon << Point(p);
  P.drawPolyline(polygon);  // a word processor's outlines: no cell rules
}

void TQtWmfPainter::Polygons(const std::vector<std::vector<TWmfPoint>>& polygons, bool winding, const TWmfPen& pen,
                             const TWmfBrush& brush) {
  QPainterPath path;
  path.setFillRule(winding ? Qt::WindingFill : Qt::OddEvenFill);
  for (const auto& points : polygons) {
    if (points.size() < 2) continue;
    QPolygonF polygon;
    for (const TWmfPoint& p : points) polygon << Point(p);
    path.addPolygon(polygon);
    path.closeSubpath();
  }
  UsePen(pen);
  P.setBrush(brush.Null ? QBrush(Qt::NoBrush) : QBrush(Colour(brush.Colour)));
  P.drawPath(path);
}

void TQtWmfPainter::SetClip(bool clip, double l, double t, double r, double b) {
  if (BaseClipped) P.setClipPath(BaseClip);
  else P.setClipping(false);
  if (clip) P.setClipRect(QRectF(QPointF(l, t), QPointF(r, b)), BaseClipped ? Qt::IntersectClip : Qt::ReplaceClip);
}

void PaintWmf(QPainter& painter, const TWmfFile& file, const QRectF& box) {
  painter.save();
  // Nothing outside the picture, as on a bitmap of its size. The clip is set
  // after the move: a device that records the drawing (the print preview)
  // takes the clip in the coordinates of the next shape drawn.
  painter.translate(box.topLeft());
  painter.setClipRect(QRectF(QPointF(0, 0), box.size()), Qt::IntersectClip);
  if (file.Records.empty()) {
    painter.setPen(QPen(Qt::gray, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0, 0, box.width(), box.height()));
  } else {
    TQtWmfPainter player(painter);
    PlayWmf(file, player, box.width(), box.height());
  }
  painter.restore();
}
