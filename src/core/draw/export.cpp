#include "core/draw/export.h"

#include <cctype>
#include <filesystem>

#include "core/draw/dxf.h"
#include "core/draw/picture.h"
#include "core/draw/png.h"
#include "core/draw/svg.h"
#include "core/atomicfile.h"
#include "core/errors.h"

TDrawingFormat DrawingFormatForPath(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".png") return TDrawingFormat::Png;
  if (ext == ".svg") return TDrawingFormat::Svg;
  if (ext == ".dxf") return TDrawingFormat::Dxf;
  throw TError("Unknown drawing file type of " + path + ": use .png, .svg or .dxf");
}

void ExportTransitDrawing(const TTransit& transit, const std::string& path, TDrawingFormat format, int pngWidth,
                          int pngHeight, bool smooth, bool grid) {
  switch (format) {
    case TDrawingFormat::Png: {
      if (pngWidth < 1 || pngHeight < 1) throw TError("Cannot write an empty picture to " + path);
      TPictureOptions options;
      options.Smooth = smooth;
      options.Grid = grid;
      const TBitmap picture = RenderTransitPicture(transit, pngWidth, pngHeight, options);
      WriteFileAtomically(path, PngBytes(picture, path));
      return;
    }
    case TDrawingFormat::Svg: WriteFileAtomically(path, TransitSvg(transit, grid)); return;
    case TDrawingFormat::Dxf: WriteFileAtomically(path, TransitDxf(transit, grid)); return;
  }
  throw TError("Unknown drawing format");
}
