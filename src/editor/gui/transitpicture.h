#pragma once
#include <QImage>
#include <QWidget>
#include <functional>

#include "core/draw/bitmap.h"

// The transit drawing: the presenter draws into Bitmap at the widget's size
// in device pixels, Present() turns it into the screen image, which is
// painted at logical size so it stays sharp on high-density screens.
class TTransitPicture : public QWidget {
public:
  explicit TTransitPicture(QWidget* parent = nullptr);

  // The size the drawing should have, in device pixels.
  QSize DeviceSize() const;
  void Present();
  const QImage& Image() const { return Screen; }

  TBitmap Bitmap;
  // A double click, in device pixels of the drawing.
  std::function<void(QPoint)> OnDoubleClick;
  // The widget changed its size or device pixel ratio: the drawing is stale.
  std::function<void()> OnStale;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  QImage Screen;
};
