// Drawing the filled transit into the editor's picture.

#include <algorithm>
#include <cstring>

#include "core/draw/bitmap.h"
#include "core/draw/picture.h"
#include "editor/presenter.h"
#include "editor/storelink.h"

namespace {

constexpr TColour ShadowColour = 0x808080;
constexpr int ShadowDepth = 8;

// Copies source onto target with its top-left corner at (x, y), clipped.
void CopyBitmap(const TBitmap& source, TBitmap& target, int x, int y) {
  const int x0 = std::max(0, x), x1 = std::min(target.Width(), x + source.Width());
  const int y0 = std::max(0, y), y1 = std::min(target.Height(), y + source.Height());
  if (x0 >= x1) return;
  for (int row = y0; row < y1; ++row)
    std::memcpy(target.Row(row) + static_cast<size_t>(x0) * 3, source.Row(row - y) + static_cast<size_t>(x0 - x) * 3,
                static_cast<size_t>(x1 - x0) * 3);
}

}  // namespace

void TPresenterTransitDetail::Render(bool fast) {
  int w = 0, h = 0;
  FView.GetImageSize(w, h);
  TBitmap& canvas = FView.ImageCanvas();
  const int areaWidth = w - ShadowDepth, areaHeight = h - ShadowDepth;
  FView.PrepareTransitImageForDrawing(w, h);
  if (areaWidth < 1 || areaHeight < 1) {
    FView.ShowImage();
    return;
  }

  TPictureOptions options;
  options.Smooth = !fast;
  options.Grid = editorstore::ShowGrid();
  options.Warning = FHasWarning;
  options.Frame = true;
  TBitmap& picture = fast ? FFastBitmap : FReducedBitmap;
  const TPictureGeometry geometry =
      RenderTransitPicture(FModel, areaWidth, areaHeight, options, picture, FSmoothBitmap);
  FImageScale = geometry.Scale;
  FImageOriginX = FImageOriginY = geometry.OriginOffset;

  // Centred in the drawing area, halves rounded toward zero.
  const int x = (areaWidth - picture.Width()) / 2;
  const int y = (areaHeight - picture.Height()) / 2;
  FImageOriginX += x;
  FImageOriginY += y;
  CopyBitmap(picture, canvas, x, y);

  if (!fast) {
    TBitmapCanvas shadow(canvas);
    shadow.SetBrush(ShadowColour);
    const int right = x + picture.Width(), bottom = y + picture.Height();
    shadow.FillRect(right, y + ShadowDepth, right + ShadowDepth, bottom + ShadowDepth);
    shadow.FillRect(x + ShadowDepth, bottom, right, bottom + ShadowDepth);
  }
  FView.ShowImage();
}
