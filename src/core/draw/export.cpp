#include "core/draw/export.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/draw/dxf.h"
#include "core/draw/picture.h"
#include "core/draw/png.h"
#include "core/draw/svg.h"
#include "core/errors.h"

namespace {

std::string SystemError(const std::string& path) { return "Cannot write " + path + ": " + std::strerror(errno); }

// Flushes a written file to the disk.
void SyncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || ::fsync(fd) != 0) {
    const std::string message = SystemError(path);
    if (fd >= 0) ::close(fd);
    throw TError(message);
  }
  ::close(fd);
}

// Runs write(tmp), then flushes tmp and renames it over path; on any failure
// tmp is removed and path left alone.
template <class F>
void ReplaceFile(const std::string& path, F&& write) {
  const std::string tmp = path + ".tmp";
  try {
    write(tmp);
    SyncFile(tmp);
    if (std::rename(tmp.c_str(), path.c_str()) != 0) throw TError(SystemError(path));
  } catch (...) {
    std::remove(tmp.c_str());
    throw;
  }
}

}  // namespace

TDrawingFormat DrawingFormatForPath(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".png") return TDrawingFormat::Png;
  if (ext == ".svg") return TDrawingFormat::Svg;
  if (ext == ".dxf") return TDrawingFormat::Dxf;
  throw TError("Unknown drawing file type of " + path + ": use .png, .svg or .dxf");
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  ReplaceFile(path, [&](const std::string& tmp) {
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw TError(SystemError(path));
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        const std::string message = SystemError(path);
        ::close(fd);
        throw TError(message);
      }
      done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) throw TError(SystemError(path));
  });
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
      ReplaceFile(path, [&](const std::string& tmp) {
        try {
          WritePng(picture, tmp);
        } catch (const TError& e) {
          // Name the file the user chose, not the one beside it.
          std::string message = e.what();
          if (const size_t at = message.find(tmp); at != std::string::npos) message.replace(at, tmp.size(), path);
          throw TError(message);
        }
      });
      return;
    }
    case TDrawingFormat::Svg: WriteFileAtomically(path, TransitSvg(transit, grid)); return;
    case TDrawingFormat::Dxf: WriteFileAtomically(path, TransitDxf(transit, grid)); return;
  }
  throw TError("Unknown drawing format");
}
