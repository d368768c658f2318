#include "core/draw/rtfimage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

TRTFimage::TRTFimage(int width, int height)
    : Width(width), Height(height), Recorder(std::make_unique<TWmfCanvas>(width, height)) {}

namespace {
// "%.0f" of a size in hundredths of a millimetre, halves rounded away from zero.
std::string HundredthsMm(int pixels) {
  const double v = static_cast<double>(pixels) * 127.0 / 36.0;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.0f", v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5));
  return buffer;
}
}  // namespace

std::string RtfPictureGroup(const std::string& metafile, int width, int height) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out = "{\\pict\\wmetafile8\\picw" + HundredthsMm(width) + "\\pich" + HundredthsMm(height) +
                    "\\picwgoal" + std::to_string(width) + "\\pichgoal" + std::to_string(height) + "\r";
  const size_t skip = std::min<size_t>(wmf::PlaceableHeaderSize, metafile.size());
  out.reserve(out.size() + (metafile.size() - skip) * 2 + (metafile.size() - skip) / 39 + 4);
  int count = 0;
  for (size_t i = skip; i < metafile.size(); ++i) {
    const auto byte = static_cast<uint8_t>(metafile[i]);
    out.push_back(hex[byte >> 4]);
    out.push_back(hex[byte & 15]);
    if (++count == 39) {
      out.push_back('\r');
      count = 0;
    }
  }
  out += "}\r";
  return out;
}

void TRTFimage::WriteTo(std::string& stream, int width, int height) {
  stream += RtfPictureGroup(Recorder->Finish(), width, height);
}

void TRTFimage::WriteTo(std::ostream& stream, int width, int height) {
  stream << RtfPictureGroup(Recorder->Finish(), width, height);
}
