#include "editor/gui/transitpicture.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

TTransitPicture::TTransitPicture(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize TTransitPicture::DeviceSize() const {
  const qreal ratio = devicePixelRatioF();
  return QSize(int(std::lround(width() * ratio)), int(std::lround(height() * ratio)));
}

void TTransitPicture::Present() {
  if (Bitmap.Width() <= 0 || Bitmap.Height() <= 0) {
    Screen = QImage();
  } else {
    const QImage rows(Bitmap.Row(0), Bitmap.Width(), Bitmap.Height(), qsizetype(Bitmap.RowBytes()),
                      QImage::Format_RGB888);
    Screen = rows.convertToFormat(QImage::Format_RGB32);
    Screen.setDevicePixelRatio(devicePixelRatioF());
  }
  update();
}

void TTransitPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor background = palette().color(QPalette::Window);
  if (Screen.isNull()) {
    painter.fillRect(rect(), background);
    return;
  }
  painter.drawImage(QPointF(0, 0), Screen);
  const QSizeF shown = Screen.deviceIndependentSize();
  if (shown.width() < width()) painter.fillRect(QRectF(shown.width(), 0, width() - shown.width(), height()), background);
  if (shown.height() < height())
    painter.fillRect(QRectF(0, shown.height(), shown.width(), height() - shown.height()), background);
  if (OnStale && !qFuzzyCompare(Screen.devicePixelRatio(), devicePixelRatioF())) OnStale();
}

void TTransitPicture::mouseDoubleClickEvent(QMouseEvent* event) {
  const qreal ratio = devicePixelRatioF();
  const QPointF at = event->position() * ratio;
  if (OnDoubleClick) OnDoubleClick(QPoint(int(std::floor(at.x())), int(std::floor(at.y()))));
}

void TTransitPicture::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (OnStale) OnStale();
}
