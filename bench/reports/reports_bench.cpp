// The material report of a large project, and the materials of one transit.
#include <benchmark/benchmark.h>

#include "core/transit.h"
#include "reports/materials.h"
#include "reports/report.h"
#include "store/settings.h"
#include "tests/reports/sample_project.h"

namespace {

// A project of 200 transits of the four systems with up to twelve conduit
// groups each; returns its identifier.
int32_t FillLargeProject() {
  reportstest::ClearTables();
  SetDefaultSettings();
  TRecProject& project = *Projects.Items(Projects.Add());
  project.Name = "Large";
  for (int i = 0; i < 200; ++i) {
    TRecTransit& t = reportstest::AddTransit(project.ID, "Transit " + std::to_string(i + 1));
    t.Width = 200000 + 10000 * (i % 30);
    t.Height = 150000 + 10000 * (i % 20);
    t.CornerRadius = 10000;
    t.Depth = 180000 + 20000 * (i % 3);
    t.TransitsInProject = 1 + i % 4;
    switch (i % 4) {
      case 0: t.FillSystem = fsKova; break;
      case 1: t.FillSystem = fsGrentax; t.SealantCartridge = scGrentax; break;
      case 2: t.FillSystem = fsDusmera; break;
      case 3: t.FillSystem = fsPraven; t.Classification = clWatertight; t.SealantCartridge = scHorlan; break;
    }
    for (int g = 0; g < 2 + i % 11; ++g) reportstest::AddConduit(t.ID, 8000 + 5500.0 * g, 1 + (i + g) % 5);
  }
  return project.ID;
}

void BM_ProjectReport200TransitsMediumPictures(benchmark::State& state) {
  const int32_t projectId = FillLargeProject();
  const std::vector<int32_t> ids = ProjectTransitIds(projectId);
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string rtf = BuildProjectReport(projectId, ids, risMedium, prcBoth);
    bytes = rtf.size();
    benchmark::DoNotOptimize(rtf.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  reportstest::ClearTables();
}
BENCHMARK(BM_ProjectReport200TransitsMediumPictures)->Unit(benchmark::kMillisecond);

void BM_MaterialsOfOneTransit(benchmark::State& state) {
  TTransit t;
  t.Width = 400000;
  t.Height = 300000;
  t.CornerRadius = 10000;
  t.Depth = 200000;
  t.TransitsInProject = 2;
  for (int g = 0; g < 12; ++g) {
    TConduitGroup& group = t.AddConduitGroup();
    group.OuterDiameter = 8000 + 5500.0 * g;
    group.Amount = 1 + g % 5;
  }
  t.Fill();
  for (auto _ : state) {
    TMaterialsUsedForTransit m;
    m.Calculate(t);
    benchmark::DoNotOptimize(m.Count());
  }
}
BENCHMARK(BM_MaterialsOfOneTransit)->Unit(benchmark::kMicrosecond);

}  // namespace
