// The 200-transit project report with medium pictures (about 2.8 MB of RTF)
// in the viewer: opening it, a zoom step's repaint, the memory at the
// largest zoom; and its PDF through the command line's path.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTemporaryDir>
#include <memory>

#include "bench/reports/large_project.h"
#include "reports/render/reportpdf.h"
#include "reports/gui/rtfviewer.h"
#include "reports/report.h"

namespace {

const std::string& LargeReport() {
  static const std::string rtf = [] {
    const int32_t id = reportsbench::FillLargeProject();
    std::string r = BuildProjectReport(id, ProjectTransitIds(id), risMedium, prcBoth);
    reportstest::ClearTables();
    return r;
  }();
  return rtf;
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// A viewer window of a usual size, shown offscreen.
std::unique_ptr<TfrmRTFviewer> ShownViewer() {
  auto viewer = std::make_unique<TfrmRTFviewer>();
  viewer->resize(1000, 760);
  viewer->show();
  QApplication::processEvents();
  return viewer;
}

// Loading the report and painting the first page as the window shows it.
void BM_OpenLargeReportInViewer(benchmark::State& state) {
  const std::string& rtf = LargeReport();
  auto viewer = ShownViewer();
  int pages = 0;
  for (auto _ : state) {
    viewer->LoadReport(rtf);
    pages = viewer->Report()->PageCount();
    viewer->View()->viewport()->repaint();
  }
  state.counters["rtf_MB"] = rtf.size() / 1e6;
  state.counters["pages"] = pages;
}
BENCHMARK(BM_OpenLargeReportInViewer)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

// One zoom step and the repaint of the visible part of a page with pictures,
// in the middle of the report, stepping between zoom steps N and N + 1 (the
// argument: 0 for 100 and 120 %, 9 for the two largest).
void BM_ZoomStepRepaint(benchmark::State& state) {
  auto viewer = ShownViewer();
  viewer->LoadReport(LargeReport());
  for (int i = 0; i < state.range(0); ++i) viewer->ZoomIn();
  TReportPageView* view = viewer->View();
  // A transit's page: its picture below the heading fills the view.
  auto showPicture = [&] { view->verticalScrollBar()->setValue(int(view->PageRect(60).top() + 150 * view->Zoom())); };
  showPicture();
  view->viewport()->repaint();
  bool in = true;
  for (auto _ : state) {
    if (in) viewer->ZoomIn();
    else viewer->ZoomOut();
    in = !in;
    showPicture();
    view->viewport()->repaint();
  }
}
BENCHMARK(BM_ZoomStepRepaint)->Arg(0)->Arg(9)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

// The process's peak memory after painting forty screens at the largest zoom.
void BM_MemoryAtLargestZoom(benchmark::State& state) {
  auto viewer = ShownViewer();
  viewer->LoadReport(LargeReport());
  for (int i = 0; i < 10; ++i) viewer->ZoomIn();
  TReportPageView* view = viewer->View();
  for (auto _ : state) {
    for (int i = 0; i < 40; ++i) {
      view->verticalScrollBar()->setValue(int(view->PageRect(i * 3).top() + 150 * view->Zoom()));
      view->viewport()->repaint();
    }
  }
  state.counters["peak_rss_MB"] = PeakRssMb();
  state.counters["zoom_percent"] = viewer->ZoomPercent();
}
BENCHMARK(BM_MemoryAtLargestZoom)->Unit(benchmark::kMillisecond)->Iterations(1);

// What trellane-cli report ... -o OUT.pdf does after building the report.
void BM_PdfOfLargeReport(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("large.pdf")).toStdString();
  for (auto _ : state) WriteReportPdfFile(LargeReport(), path);
  state.counters["pdf_MB"] = QFileInfo(QString::fromStdString(path)).size() / 1e6;
}
BENCHMARK(BM_PdfOfLargeReport)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
