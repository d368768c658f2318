#include "core/draw/picture.h"

namespace {
void DrawFrame(TBitmap& bitmap) {
  TBitmapCanvas canvas(bitmap);
  canvas.SetPen(PictureFrameColour, 1);
  canvas.ClearBrush();
  canvas.Rectangle(0, 0, bitmap.Width(), bitmap.Height());
}
}  // namespace

TPictureGeometry RenderTransitPicture(const TTransit& transit, int availableWidth, int availableHeight,
                                      const TPictureOptions& options, TBitmap& picture, TBitmap& work) {
  TTransitDrawer drawer(transit);
  drawer.SetSize(availableWidth, availableHeight);
  TPictureGeometry geometry{drawer.Scale, drawer.MarginPx, drawer.OriginOffset()};
  drawer.GridLineWidth = options.Grid ? 1 : 0;
  if (options.Warning) drawer.OutlineColour = WarningOutlineColour;
  const TColour background = TTransitDrawer::FillSystemBackground(transit.FillSystem);
  // The smooth picture is drawn four times as large in the fine scheme with
  // the grid on top, then reduced; the fast one is drawn as it is shown.
  if (options.Smooth) drawer.Zoom(PictureSupersampling);
  drawer.SetColourScheme(!options.Smooth);
  drawer.GridInFront = options.Smooth;
  TBitmap& target = options.Smooth ? work : picture;
  target.SetSize(drawer.ImageWidth, drawer.ImageHeight);
  target.Fill(background);
  {
    TBitmapCanvas canvas(target);
    drawer.Draw(canvas);
  }
  if (options.Smooth) ReduceBitmap(work, picture, PictureSupersampling);
  if (options.Frame) DrawFrame(picture);
  return geometry;
}

TBitmap RenderTransitPicture(const TTransit& transit, int availableWidth, int availableHeight,
                             const TPictureOptions& options) {
  TBitmap picture, work;
  RenderTransitPicture(transit, availableWidth, availableHeight, options, picture, work);
  return picture;
}

std::unique_ptr<TRTFimage> MakeReportPicture(const TTransit& transit, int requestedWidth, int requestedHeight,
                                             bool grid) {
  TTransitDrawer drawer(transit);
  drawer.SetSize(requestedWidth, requestedHeight);
  const int w = drawer.ImageWidth, h = drawer.ImageHeight;
  auto image = std::make_unique<TRTFimage>(w, h);
  drawer.SetColourScheme(true);
  drawer.GridInFront = false;
  drawer.GridLineWidth = grid ? ReportGridLineWidth : 0;
  TCanvas& canvas = image->Canvas();
  drawer.Draw(canvas);
  canvas.SetPen(0x000000, ReportFrameWidth);
  canvas.MoveTo(0, 0);
  canvas.LineTo(w - 10, 0);
  canvas.LineTo(w - 10, h - 10);
  canvas.LineTo(0, h - 10);
  canvas.LineTo(0, 0);
  return image;
}
