// The list windows with long lists: a refresh and a re-sort (a header click)
// of the transit list of a project with 2 000 transits, and of the project
// list of 2 000 projects. Offscreen, the real widgets.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTreeView>

#include "app/gui/projectwindows.h"
#include "store/tables.h"
#include "app/gui/transitwindows.h"

namespace {

void FillTables() {
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
  int32_t first = 0;
  for (int i = 0; i < 2000; ++i) {
    TRecProject* p = Projects.Items(Projects.Add());
    p->Name = "Project " + std::to_string((i * 7919) % 2000);
    p->Created = 44000 + i * 0.37;
    p->Modified = 45000 - i * 0.21;
    if (i == 0) first = p->ID;
  }
  for (int i = 0; i < 2000; ++i) {
    const int index = Transits.Add();
    InitTransitRecord(index);
    TRecTransit* t = Transits.Items(index);
    t->ProjectID = first;
    t->Name = "Transit " + std::to_string((i * 104729) % 2000);
    t->Width = 50000 + (i % 300) * 1000;
    t->Height = 60000 + (i % 200) * 1000;
    t->DefaultConduitType = TConduitType(i % 4);
    for (int c = 0; c < 3; ++c) {
      TRecConduit* conduit = Conduits.Items(Conduits.Add());
      conduit->TransitID = t->ID;
      conduit->OuterDiameter = 10000 + 2000 * c;
      conduit->Amount = 1 + (i + c) % 5;
    }
  }
}

// One refresh keeping the selected line (sort: a header click on another
// column, alternating), each painted.
template <class W>
void Run(benchmark::State& state, int32_t viewId, int sortColumn, bool sort) {
  W window;
  window.Init(viewId);
  window.resize(900, 500);
  window.show();
  QApplication::processEvents();
  bool other = false;
  for (auto _ : state) {
    if (sort) {
      other = !other;
      window.ClickColumn(other ? sortColumn : 0);
    } else {
      window.Refresh(window.Model->IDOfRow(window.Model->rowCount() / 2));
    }
    QApplication::processEvents();
  }
  state.counters["lines"] = window.Model->rowCount();
}

void BM_TransitListRefresh(benchmark::State& state) { Run<TfrmTransitList>(state, Projects.Items(0)->ID, 5, false); }
void BM_TransitListSort(benchmark::State& state) { Run<TfrmTransitList>(state, Projects.Items(0)->ID, 5, true); }
void BM_ProjectListRefresh(benchmark::State& state) { Run<TfrmProjectList>(state, 0, 1, false); }
void BM_ProjectListSort(benchmark::State& state) { Run<TfrmProjectList>(state, 0, 1, true); }

BENCHMARK(BM_TransitListRefresh)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_TransitListSort)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_ProjectListRefresh)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_ProjectListSort)->Unit(benchmark::kMillisecond)->MinTime(1);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  FillTables();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
