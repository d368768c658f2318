// Start-up of the program with a full data file (2 000 projects, 20 000
// transits, 200 000 conduit records) up to the main window shown, the
// splash's fixed wait left out; and the save that follows a change.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <stdlib.h>

#include "platform/paths.h"
#include "app/gui/mainwindow.h"
#include "app/gui/splash.h"
#include "app/gui/startup.h"
#include "store/config.h"
#include "store/datafile.h"
#include "platform/dialogs.h"
#include "store/tables.h"
#include "store/large_datafile.h"
#include "store/transitrecord.h"

namespace {

class TQuietSink : public TCollectingDialogs {
public:
  void ShowMessage(const std::string&, const std::string& = {}) override {}
  void ShowError(const std::string&) override {}
};

struct TFixture {
  TFixture() {
    char pattern[] = "/tmp/trellane-app-bench-XXXXXX";
    Dir = mkdtemp(pattern);
    Places.ProgramFolder = Dir.string();
    Places.DataFile = (Dir / "Trellane.tbs").string();
    Places.ConfigFile = (Dir / "Trellane.ini").string();
    SetProgramFiles(Places);
    SetUserDialogs(&Sink);
    FillLargeTables();
    SaveDataFile(Places.DataFile);
    SaveConfiguration(Places.ConfigFile);
    CloseDataFile();
  }
  ~TFixture() {
    CloseDataFile();
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  std::filesystem::path Dir;
  TFilePlaces Places;
  TQuietSink Sink;
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

void BM_StartUpToMainWindowShown(benchmark::State& state) {
  TFixture& f = Fixture();
  for (auto _ : state) {
    CloseDataFile();
    ShowSplash(true);
    PrepareProcessState();
    LoadProgramData(f.Places);
    LoadProgramConfiguration(f.Places);
    TfrmMain frame(false);
    frame.findChild<QTimer*>(QStringLiteral("tmrFinishInitializing"))->stop();
    frame.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(frame.isVisible());
    state.PauseTiming();  // closing the window is not start-up
    frame.hide();
    state.ResumeTiming();
  }
  state.counters["conduits"] = Conduits.Count();
}
BENCHMARK(BM_StartUpToMainWindowShown)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SaveAfterAChange(benchmark::State& state) {
  TFixture& f = Fixture();
  CloseDataFile();
  PrepareProcessState();
  LoadProgramData(f.Places);
  int n = 0;
  for (auto _ : state) {
    Projects.Items(n % Projects.Count())->Name = "Renamed " + std::to_string(n);
    ++n;
    benchmark::DoNotOptimize(SaveDataFile(f.Places.DataFile));
  }
}
BENCHMARK(BM_SaveAfterAChange)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SetUserDialogs(nullptr);
  return 0;
}
