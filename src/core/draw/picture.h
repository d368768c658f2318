#pragma once
#include <memory>

#include "core/draw/bitmap.h"
#include "core/draw/rtfimage.h"
#include "core/draw/transitdrawer.h"

// The pictures of a filled transit that the editor, the command-line tool and
// the report show, made the same way everywhere.

constexpr TColour WarningOutlineColour = 0xFF0000;  // the wall while the editor warns
constexpr TColour PictureFrameColour = 0x808080;
constexpr int PictureSupersampling = 4;
constexpr int ReportGridLineWidth = 6;
constexpr int ReportFrameWidth = 6;

struct TPictureOptions {
  bool Smooth = false;   // drawn four times larger in the fine colours, grid in front, then reduced
  bool Grid = true;      // the user's grid setting
  bool Warning = false;  // the editor's warning state: the wall in red
  bool Frame = false;    // a 1-pixel grey frame round the picture's edge
};

// Where the drawing lies in the picture, at the picture's own size.
struct TPictureGeometry {
  double Scale = 0;      // pixels per micrometre
  int MarginPx = 0;
  int OriginOffset = 0;  // pixel position of the opening's top-left corner
};

// The editor's picture fitted into availableWidth x availableHeight pixels
// (the view's size less 8): the quick one, or the smooth one drawn into
// `work` at four times the size and reduced into `picture`. Both bitmaps may
// be kept and reused between calls.
TPictureGeometry RenderTransitPicture(const TTransit& transit, int availableWidth, int availableHeight,
                                      const TPictureOptions& options, TBitmap& picture, TBitmap& work);
TBitmap RenderTransitPicture(const TTransit& transit, int availableWidth, int availableHeight,
                             const TPictureOptions& options);

// The report's picture: the transit fitted into the requested size, direct
// colours, grid (6 pixels wide) under the conduits when wanted, and a black
// frame 6 pixels wide; the picture's Width and Height are the fitted size.
std::unique_ptr<TRTFimage> MakeReportPicture(const TTransit& transit, int requestedWidth, int requestedHeight,
                                             bool grid);
