// Reading and grouping a 5 000-cable schedule over 300 transits (.xlsx and
// .csv), and the whole import into the tables, without and with "Resize to
// fit" on every new transit.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#include "core/resize.h"
#include "schedule/schedule.h"
#include "store/tables.h"

namespace {

struct TFiles {
  TFiles() {
    char pattern[] = "/tmp/trellane-schedule-bench-XXXXXX";
    Dir = mkdtemp(pattern);
    const std::string command = "/usr/bin/python3 '" + std::string(SCHEDULE_MAKER) + "' generate '" +
                                (Dir / "g.xlsx").string() + "' '" + (Dir / "g.csv").string() + "' '" +
                                (Dir / "g.json").string() + "'";
    if (std::system(command.c_str()) != 0) std::abort();
  }
  ~TFiles() {
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  std::string Path(const char* name) const { return (Dir / name).string(); }
  std::filesystem::path Dir;
};

const TFiles& Files() {
  static TFiles files;
  return files;
}

int32_t EmptyProject() {
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
  return Projects.Items(Projects.Add())->ID;
}

TSchedulePlan ReadAndPlan(const std::string& path, int32_t projectId) {
  const TScheduleTable table = ReadScheduleFile(path);
  TScheduleOptions options;
  options.Columns = SuggestScheduleColumns(ScheduleHeader(table));
  options.Decimal = table.DecimalSeparator;
  options.ProjectID = projectId;
  return PlanSchedule(table, options);
}

void BM_ReadAndGroupXlsx(benchmark::State& state) {
  const std::string path = Files().Path("g.xlsx");
  const int32_t project = EmptyProject();
  for (auto _ : state) benchmark::DoNotOptimize(ReadAndPlan(path, project).Transits.size());
}
BENCHMARK(BM_ReadAndGroupXlsx)->Unit(benchmark::kMillisecond);

void BM_ReadAndGroupCsv(benchmark::State& state) {
  const std::string path = Files().Path("g.csv");
  const int32_t project = EmptyProject();
  for (auto _ : state) benchmark::DoNotOptimize(ReadAndPlan(path, project).Transits.size());
}
BENCHMARK(BM_ReadAndGroupCsv)->Unit(benchmark::kMillisecond);

void BM_WholeImportXlsxNoResize(benchmark::State& state) {
  const std::string path = Files().Path("g.xlsx");
  for (auto _ : state) {
    const int32_t project = EmptyProject();
    const TApplyResult result = ApplySchedulePlan(ReadAndPlan(path, project), project, {});
    benchmark::DoNotOptimize(result.Transits.size());
  }
}
BENCHMARK(BM_WholeImportXlsxNoResize)->Unit(benchmark::kMillisecond);

void BM_WholeImportXlsxWithResize(benchmark::State& state) {
  const std::string path = Files().Path("g.xlsx");
  TApplyOptions options;
  options.Threads = static_cast<int>(state.range(0));
  options.Resize = [](TTransit& t) {
    if (t.ConduitArea() == 0) return true;
    TTransit saved = t;
    if (ResizeSearch(t)) return true;
    t = saved;
    return false;
  };
  for (auto _ : state) {
    const int32_t project = EmptyProject();
    const TApplyResult result = ApplySchedulePlan(ReadAndPlan(path, project), project, options);
    benchmark::DoNotOptimize(result.Transits.size());
  }
}
// On one thread and on two: the argument is the number of threads.
BENCHMARK(BM_WholeImportXlsxWithResize)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Arg(1)->Arg(2);

}  // namespace
