// Random canvas calls on a small bitmap and on the metafile recorder: any
// coordinates, pen widths and corner sizes must paint within the bitmap and
// record a complete metafile.
#include <cstdint>
#include <cstring>

#include "core/draw/bitmap.h"
#include "core/draw/wmf.h"

namespace {
struct TInput {
  const uint8_t* Data;
  size_t Size;
  int32_t Int() {
    int32_t v = 0;
    const size_t n = Size < 4 ? Size : 4;
    std::memcpy(&v, Data, n);
    Data += n;
    Size -= n;
    return v;
  }
  // Mostly near the bitmap, sometimes anywhere.
  int32_t Coord() {
    const int32_t v = Int();
    return (v & 1) ? v : (v >> 1) % 200 - 60;
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBitmap bitmap(61, 47);
  bitmap.Fill(0);
  TBitmapCanvas canvas(bitmap);
  TWmfCanvas wmfCanvas(61, 47);
  TInput in{data, size};
  while (in.Size > 0) {
    const int op = in.Int() & 7;
    const int a = in.Coord(), b = in.Coord(), c = in.Coord(), d = in.Coord();
    for (TCanvas* target : {static_cast<TCanvas*>(&canvas), static_cast<TCanvas*>(&wmfCanvas)}) {
      switch (op) {
        case 0: target->SetPen(static_cast<TColour>(a), b % 64); break;
        case 1: if (a & 1) target->ClearBrush(); else target->SetBrush(static_cast<TColour>(b)); break;
        case 2: target->FillRect(a, b, c, d); break;
        case 3: target->Rectangle(a, b, c, d); break;
        case 4: target->RoundRect(a, b, c, d, a ^ b); break;
        case 5: target->Ellipse(a, b, c, d); break;
        case 6: target->Arc(a / 2.0, b / 2.0, c / 2.0, d / 2.0, a, d, c, b); break;
        case 7: target->MoveTo(a, b); target->LineTo(c, d); break;
      }
    }
  }
  wmfCanvas.Finish();
  return 0;
}
