#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "core/draw/dxf.h"
#include "core/draw/export.h"
#include "core/draw/picture.h"
#include "core/draw/svg.h"
#include "sample_transits.h"

namespace {

TTransit FilledDenseCables() {
  TTransit t = DenseCableTransit();
  t.Validate();
  t.SortConduitGroups();
  t.Fill();
  return t;
}

// The editor's pictures of the dense cable transit at 1000 x 700 pixels, with
// the bitmaps kept between drawings as the editor keeps them.
void BM_SmoothPicture(benchmark::State& state) {
  const TTransit t = FilledDenseCables();
  TPictureOptions options;
  options.Smooth = true;
  TBitmap picture, work;
  for (auto _ : state) {
    RenderTransitPicture(t, 1000, 700, options, picture, work);
    benchmark::DoNotOptimize(picture.Row(0));
  }
}
BENCHMARK(BM_SmoothPicture)->Unit(benchmark::kMillisecond);

void BM_FastPicture(benchmark::State& state) {
  const TTransit t = FilledDenseCables();
  TPictureOptions options;
  TBitmap picture, work;
  for (auto _ : state) {
    RenderTransitPicture(t, 1000, 700, options, picture, work);
    benchmark::DoNotOptimize(picture.Row(0));
  }
}
BENCHMARK(BM_FastPicture)->Unit(benchmark::kMillisecond);

// The parts of the smooth picture: drawing at four times the size, and the reduction.
void BM_DrawFourTimes(benchmark::State& state) {
  const TTransit t = FilledDenseCables();
  TTransitDrawer d(t);
  d.SetSize(1000, 700);
  d.Zoom(4);
  TBitmap large(d.ImageWidth, d.ImageHeight);
  TBitmapCanvas canvas(large);
  for (auto _ : state) {
    large.Fill(TTransitDrawer::FillSystemBackground(t.FillSystem));
    d.Draw(canvas);
    benchmark::DoNotOptimize(large.Row(0));
  }
}
BENCHMARK(BM_DrawFourTimes)->Unit(benchmark::kMillisecond);

void BM_ReduceFourTimes(benchmark::State& state) {
  TBitmap large(4000, 2800), small;
  large.Fill(0x336699);
  for (auto _ : state) {
    ReduceBitmap(large, small, 4);
    benchmark::DoNotOptimize(small.Row(0));
  }
}
BENCHMARK(BM_ReduceFourTimes)->Unit(benchmark::kMillisecond);

// The report's metafile picture of the same transit.
void BM_ReportMetafile(benchmark::State& state) {
  const TTransit t = FilledDenseCables();
  for (auto _ : state) {
    auto image = MakeReportPicture(t, 5000, 5000, true);
    benchmark::DoNotOptimize(image->Metafile().data());
  }
}
BENCHMARK(BM_ReportMetafile)->Unit(benchmark::kMillisecond);

// The CAD drawings of the same transit: the DXF and SVG text, and the whole
// export of the DXF file (written beside, flushed to disk, renamed).
void BM_DxfDrawing(benchmark::State& state) {
  const TTransit t = FilledDenseCables();
  for (auto _ : state) {
    const std::string dxf = TransitDxf(t, true);
    benchmark::DoNotOptimize(dxf.data());
  }
}
BENCHMARK(BM_DxfDrawing)->Unit(benchmark::kMillisecond);

void BM_SvgDrawing(benchmark::State& state) {
  const TTransit t = FilledDenseCables();
  for (auto _ : state) {
    const std::string svg = TransitSvg(t, true);
    benchmark::DoNotOptimize(svg.data());
  }
}
BENCHMARK(BM_SvgDrawing)->Unit(benchmark::kMillisecond);

void BM_ExportDxfFile(benchmark::State& state) {
  const TTransit t = FilledDenseCables();
  const std::string path =
      (std::filesystem::temp_directory_path() / ("trellane_bench_" + std::to_string(::getpid()) + ".dxf")).string();
  for (auto _ : state) ExportTransitDrawing(t, path, TDrawingFormat::Dxf, 0, 0, false, true);
  std::filesystem::remove(path);
}
BENCHMARK(BM_ExportDxfFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
