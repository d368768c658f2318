#include "core/draw/png.h"

#include <png.h>

#include <cstring>

#include "core/atomicfile.h"
#include "core/errors.h"

std::string PngBytes(const TBitmap& bitmap, const std::string& path) {
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0) throw TError("Cannot write an empty picture to " + path);
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(bitmap.Width());
  image.height = static_cast<png_uint_32>(bitmap.Height());
  image.format = PNG_FORMAT_RGB;
  const auto stride = static_cast<png_int_32>(bitmap.RowBytes());
  // First the size, then the bytes.
  png_alloc_size_t size = 0;
  std::string bytes;
  bool written = png_image_write_to_memory(&image, nullptr, &size, 0, bitmap.Row(0), stride, nullptr);
  if (written) {
    bytes.resize(size);
    written = png_image_write_to_memory(&image, bytes.data(), &size, 0, bitmap.Row(0), stride, nullptr);
    bytes.resize(size);
  }
  if (!written) {
    const std::string message = image.message;
    png_image_free(&image);
    throw TError("Cannot write " + path + ": " + message);
  }
  return bytes;
}

void WritePng(const TBitmap& bitmap, const std::string& path) { WriteFileAtomically(path, PngBytes(bitmap, path)); }

TBitmap ReadPng(const std::string& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    const std::string message = image.message;
    png_image_free(&image);
    throw TError("Cannot read " + path + ": " + message);
  }
  image.format = PNG_FORMAT_RGB;
  TBitmap bitmap(static_cast<int>(image.width), static_cast<int>(image.height));
  if (!png_image_finish_read(&image, nullptr, bitmap.Row(0), static_cast<png_int_32>(bitmap.RowBytes()), nullptr)) {
    const std::string message = image.message;
    png_image_free(&image);
    throw TError("Cannot read " + path + ": " + message);
  }
  return bitmap;
}
