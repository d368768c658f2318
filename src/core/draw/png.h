#pragma once
#include <string>

#include "core/draw/bitmap.h"

// PNG files of 24-bit pictures; failures raise TError.
// The PNG file's bytes; `path` only names the file in a failure's message.
std::string PngBytes(const TBitmap& bitmap, const std::string& path);
// Writes the file safely: a fresh temporary beside path renamed over it.
void WritePng(const TBitmap& bitmap, const std::string& path);
// Reads any 8-bit RGB or RGBA PNG (alpha dropped) into a bitmap.
TBitmap ReadPng(const std::string& path);
