#pragma once
#include <string>

#include "core/draw/bitmap.h"

// PNG files of 24-bit pictures; failures raise TError.
void WritePng(const TBitmap& bitmap, const std::string& path);
// Reads any 8-bit RGB or RGBA PNG (alpha dropped) into a bitmap.
TBitmap ReadPng(const std::string& path);
