#pragma once
#include <memory>
#include <ostream>
#include <string>

#include "core/draw/wmf.h"

// A picture for the material report: the caller draws on Canvas(), then
// WriteTo appends it to the RTF text as an embedded Windows metafile picture
// group, so the report needs no image files.
class TRTFimage {
public:
  // Width and Height in pixels of the reference screen.
  TRTFimage(int width, int height);

  TCanvas& Canvas() { return *Recorder; }

  // Completes the recording and appends "{\pict\wmetafile8...}" to the stream:
  // the size head, then the metafile without its 22-byte placeable header as
  // upper-case hexadecimal, 39 bytes to a line; line ends are single CR bytes.
  // Called once.
  void WriteTo(std::string& stream, int width, int height);
  void WriteTo(std::ostream& stream, int width, int height);

  // The whole metafile, placeable header included (completes the recording).
  const std::string& Metafile() { return Recorder->Finish(); }

  const int Width, Height;

private:
  std::unique_ptr<TWmfCanvas> Recorder;
};

// The picture group for the given metafile bytes (placeable header included).
std::string RtfPictureGroup(const std::string& metafile, int width, int height);
