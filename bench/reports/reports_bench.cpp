// The material report of a large project, and the materials of one transit.
#include <benchmark/benchmark.h>

#include "core/transit.h"
#include "reports/materials.h"
#include "reports/report.h"
#include "reports/spreadsheet.h"
#include "store/settings.h"
#include "bench/reports/large_project.h"

namespace {

void BM_ProjectReport200TransitsMediumPictures(benchmark::State& state) {
  const int32_t projectId = reportsbench::FillLargeProject();
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

// The workbook of the large project as the report dialog writes it: the
// report's figures collected (no pictures) and the .xlsx written.
void BM_ProjectWorkbook200Transits(benchmark::State& state) {
  const int32_t projectId = reportsbench::FillLargeProject();
  const std::vector<int32_t> ids = ProjectTransitIds(projectId);
  size_t bytes = 0, lines = 0;
  for (auto _ : state) {
    TReportSheets sheets;
    BuildProjectReport(projectId, ids, risNone, prcBoth, &sheets);
    const std::string xlsx = SpreadsheetXlsx(sheets);
    bytes = xlsx.size();
    lines = 0;
    for (const TSheetTransit& t : sheets.Transits) lines += t.Materials.size();
    benchmark::DoNotOptimize(xlsx.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["material_lines"] = static_cast<double>(lines);
  reportstest::ClearTables();
}
BENCHMARK(BM_ProjectWorkbook200Transits)->Unit(benchmark::kMillisecond);

// The same figures as CSV.
void BM_ProjectCsv200Transits(benchmark::State& state) {
  const int32_t projectId = reportsbench::FillLargeProject();
  const std::vector<int32_t> ids = ProjectTransitIds(projectId);
  TReportSheets sheets;
  BuildProjectReport(projectId, ids, risNone, prcBoth, &sheets);
  for (auto _ : state) {
    const std::string csv = SpreadsheetCsv(sheets);
    benchmark::DoNotOptimize(csv.data());
  }
  reportstest::ClearTables();
}
BENCHMARK(BM_ProjectCsv200Transits)->Unit(benchmark::kMillisecond);

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
