#include "reports/gui/qtwmfpainter.h"

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

void TQtWmfPainter::Line(TWmfPoint from, TWmfPoint to, const TWmfPen& pen) {
  if (pen.Null) return;
  UsePen(pen);
  P.drawLine(Point(from), Point(to));
}

void TQtWmfPainter::Polyline(const std::vector<TWmfPoint>& points, const TWmfPen& pen) {
  if (pen.Null || points.size() < 2) return;
  UsePen(pen);
  QPolygonF polygon;
  for (const TWmfPoint& p : points) polygon << Point(p);
  P.drawPolyline(polygon);
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
  painter.translate(box.topLeft());
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
