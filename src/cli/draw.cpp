#include <string>

#include "cli/commands.h"
#include "cli/transit_json.h"
#include "core/advice.h"
#include "core/draw/export.h"
#include "core/draw/picture.h"
#include "core/draw/png.h"
#include "core/errors.h"
#include "core/units.h"

namespace {

struct TDrawArgs {
  std::string File, Png, Wmf, Svg, Dxf;
  int Width = 800, Height = 600;
  bool Smooth = false, Grid = true;
};

// "WxH" with both sizes from 1 to 4000 pixels (the smooth picture is drawn
// at four times that).
void ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  auto number = [&](const std::string& part) {
    if (part.empty() || part.size() > 5 || part.find_first_not_of("0123456789") != std::string::npos)
      throw TError("--size needs WIDTHxHEIGHT in pixels, e.g. 800x600");
    const int v = std::stoi(part);
    if (v < 1 || v > 4000) throw TError("--size: each size must lie between 1 and 4000 pixels");
    return v;
  };
  if (x == std::string::npos) number("");
  width = number(text.substr(0, x));
  height = number(text.substr(x + 1));
}

TDrawArgs ParseDrawArgs(const TArgs& args) {
  TDrawArgs result;
  auto value = [&](size_t& i) -> const std::string& {
    if (i + 1 >= args.size()) throw TError(args[i] + " needs a value");
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-o") result.Png = value(i);
    else if (a == "--wmf") result.Wmf = value(i);
    else if (a == "--svg") result.Svg = value(i);
    else if (a == "--dxf") result.Dxf = value(i);
    else if (a == "--size") ParseSize(value(i), result.Width, result.Height);
    else if (a == "--smooth") result.Smooth = true;
    else if (a == "--no-grid") result.Grid = false;
    else if (a == "--unit") {
      const std::string& unit = value(i);
      if (unit == "mm") CurrentLengthUnit = luMillimetre;
      else if (unit == "inch") CurrentLengthUnit = luInch;
      else throw TError("Unknown length-unit");
    } else if (result.File.empty() && (a.empty() || a[0] != '-')) {
      result.File = a;
    } else {
      throw TError("unexpected argument '" + a + "'");
    }
  }
  if (result.File.empty()) throw TError("no FILE given");
  if (result.Png.empty() && result.Svg.empty() && result.Dxf.empty() && result.Wmf.empty())
    throw TError("no output given (-o OUT.png, --svg OUT.svg or --dxf OUT.dxf)");
  return result;
}

// The report's medium picture size.
constexpr int WmfPictureSize = 5000;

}  // namespace

int RunDraw(const TArgs& args) {
  const TDrawArgs options = ParseDrawArgs(args);
  TTransit transit = ReadTransitFile(options.File);
  ValidateSortFill(transit);
  TPictureOptions picture;
  picture.Smooth = options.Smooth;
  picture.Grid = options.Grid;
  picture.Warning = !ComputeWarnings(transit).Warning.empty();
  picture.Frame = true;
  if (!options.Png.empty())
    WritePng(RenderTransitPicture(transit, options.Width, options.Height, picture), options.Png);
  // The CAD drawings at true size, whatever the file names end in.
  if (!options.Svg.empty())
    ExportTransitDrawing(transit, options.Svg, TDrawingFormat::Svg, options.Width, options.Height, options.Smooth,
                         options.Grid);
  if (!options.Dxf.empty())
    ExportTransitDrawing(transit, options.Dxf, TDrawingFormat::Dxf, options.Width, options.Height, options.Smooth,
                         options.Grid);
  if (!options.Wmf.empty()) {
    auto image = MakeReportPicture(transit, WmfPictureSize, WmfPictureSize, options.Grid);
    const std::string& bytes = image->Metafile();
    WriteFileAtomically(options.Wmf, bytes);
  }
  return ExitOk;
}
