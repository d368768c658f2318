// The transit editor window on the dense 500-cable transit, offscreen:
// Enter on a new width up to the smooth picture painted, and the quick
// previews of a held width arrow.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include "core/sample_transits.h"
#include "core/units.h"
#include "editor/gui/spinfield.h"
#include "editor/gui/transitdetail.h"
#include "editor/gui/transitpicture.h"
#include "store/settings.h"
#include "store/tables.h"
#include "store/transitrecord.h"

namespace {

std::unique_ptr<TfrmTransitDetail> OpenDense() {
  Transits.Clear();
  Conduits.Clear();
  SetDefaultSettings();
  CurrentLengthUnit = luMillimetre;
  Settings.AntiAliasing = true;
  Settings.ShowGrid = true;
  const int index = Transits.Add();
  InitTransitRecord(index);
  TTransit dense = DenseCableTransit();
  SaveToRecord(dense, Transits.Items(index)->ID);
  auto editor = std::make_unique<TfrmTransitDetail>();
  editor->Init(Transits.Items(index)->ID);
  editor->resize(1000, 700);
  editor->show();
  // The drawing at the new size.
  (void)QTest::qWaitFor(
      [&] {
        return !editor->tmrRedrawTransitAfterResize->isActive() && editor->imgTransit->isVisible() &&
               editor->imgTransit->Image().size() == editor->imgTransit->DeviceSize();
      },
      10000);
  QApplication::processEvents();
  return editor;
}

// Typing a width and pressing Enter: refresh, smooth picture, screen image, paint.
void BM_EnterNewWidth(benchmark::State& state) {
  auto editor = OpenDense();
  TSpinField* width = editor->edsWidth;
  width->setFocus();
  int step = 0;
  for (auto _ : state) {
    width->selectAll();
    QTest::keyClicks(width, QString::number(600 + (step++ % 2)));
    QTest::keyClick(width, Qt::Key_Return);
    editor->imgTransit->repaint();
  }
  state.counters["history"] = editor->Presenter()->HistoryIndex();
}
BENCHMARK(BM_EnterNewWidth)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// One step of a held width arrow: quick refresh, quick picture, screen image, paint.
void BM_SpinWidthPreview(benchmark::State& state) {
  auto editor = OpenDense();
  TSpinField* width = editor->edsWidth;
  width->setFocus();
  int step = 0;
  for (auto _ : state) {
    QTest::keyClick(width, (step++ / 20) % 2 ? Qt::Key_Down : Qt::Key_Up);
    editor->imgTransit->repaint();
  }
  state.counters["previews_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SpinWidthPreview)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
