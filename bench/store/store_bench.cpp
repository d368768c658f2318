// Load and save of a full data file (2 000 projects, 20 000 transits, 200 000
// conduit records) and loading one transit model from the tables.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "store/datafile.h"
#include "platform/dialogs.h"
#include "store/repeated_zlib.h"
#include "store/large_datafile.h"
#include "store/transitrecord.h"

namespace {

class TQuietSink : public TCollectingDialogs {
public:
  void ShowMessage(const std::string&, const std::string& = {}) override { ++Count; }
  void ShowError(const std::string&) override { ++Count; }
  int Count = 0;
};

struct TFixture {
  TFixture() {
    char pattern[] = "/tmp/trellane-bench-XXXXXX";
    Dir = mkdtemp(pattern);
    Path = (Dir / "Trellane.tbs").string();
    SetUserDialogs(&Sink);
    FillLargeTables();
    SaveDataFile(Path);
  }
  ~TFixture() {
    CloseDataFile();
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  std::filesystem::path Dir;
  std::string Path;
  TQuietSink Sink;
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

void BM_SaveDataFile(benchmark::State& state) {
  TFixture& f = Fixture();
  for (auto _ : state) benchmark::DoNotOptimize(SaveDataFile(f.Path));
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(f.Path));
}
BENCHMARK(BM_SaveDataFile)->Unit(benchmark::kMillisecond);

void BM_LoadDataFile(benchmark::State& state) {
  TFixture& f = Fixture();
  for (auto _ : state) benchmark::DoNotOptimize(LoadDataFile(f.Path));
  if (f.Sink.Count || Conduits.Count() != 200000) state.SkipWithError("load failed");
}
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond);

void BM_LoadFromRecord(benchmark::State& state) {
  TFixture& f = Fixture();
  LoadDataFile(f.Path);
  TTransit transit;
  int32_t id = 1;
  for (auto _ : state) {
    LoadFromRecord(transit, id);
    id = (id + 7919) % 20000 + 1;
    benchmark::DoNotOptimize(transit.ConduitGroups.data());
  }
  if (transit.ConduitGroupCount() != 10) state.SkipWithError("transit not found");
}
BENCHMARK(BM_LoadFromRecord)->Unit(benchmark::kMicrosecond);

// The first look-up after the conduit table changed pays for the index.
void BM_LoadFromRecordAfterChange(benchmark::State& state) {
  TFixture& f = Fixture();
  LoadDataFile(f.Path);
  TTransit transit;
  for (auto _ : state) {
    Conduits.Delete(Conduits.Add());
    LoadFromRecord(transit, 777);
    benchmark::DoNotOptimize(transit.ConduitGroups.data());
  }
}
BENCHMARK(BM_LoadFromRecordAfterChange)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A data file whose one customer name claims 1 GiB and really holds it
// (about 1 MiB compressed).
std::string HugeTextDataFile() {
  auto put = [](std::string& s, int32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); };
  std::string prefix;
  put(prefix, 12);
  prefix += "Version_1.00";
  put(prefix, 1);
  put(prefix, 1);
  put(prefix, 16);
  prefix += "RecCustomer_V100";
  put(prefix, 1 << 30);
  return storetest::RepeatedZlib(prefix, std::string(1 << 20, 'x'), 1024, std::string(12, '\0'));
}

}  // namespace

// How long a 1 GiB text claimed by a data file takes to be refused.
void BM_LoadRefusesHugeText(benchmark::State& state) {
  TFixture& f = Fixture();
  const std::string path = (f.Dir / "huge.tbs").string();
  std::ofstream(path, std::ios::binary) << HugeTextDataFile();
  for (auto _ : state) {
    f.Sink.Count = 0;
    benchmark::DoNotOptimize(LoadDataFile(path));
    CloseDataFile();
  }
  if (f.Sink.Count != 2 || Customers.Count() != 0) state.SkipWithError("not refused");
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_LoadRefusesHugeText)->Unit(benchmark::kMillisecond);
