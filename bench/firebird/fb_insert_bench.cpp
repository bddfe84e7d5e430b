// 100,000 PCPFTOF rows into Firebird, embedded and through the server on 127.0.0.1:
//   arrays25   Execute with parameter arrays of 25 elements (a typical technical sheet), one EXECUTE BLOCK each
//   row_by_row one prepared INSERT executed per row
//   server_side one INSERT ... SELECT making the same rows on the server: the physical limit
// Each case runs once on a fresh table, in one transaction; afterwards the ratios arrays25/server_side and
// row_by_row/arrays25 per target and the process's peak memory are printed.

#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "db/errors.h"
#include "pcpftof_load.h"
#include "timing_reporter.h"

namespace zr::bench {
namespace {

constexpr int kRows = 100000;
constexpr int kArraySize = 25;

using Load = std::function<void(db::TFDConnection&)>;

void RunLoad(benchmark::State& state, bool server, const Load& load) {
  try {
    ScratchDatabase database(server);
    for (auto _ : state) {
      state.PauseTiming();
      database.Clear();
      state.ResumeTiming();
      load(database.Connection());
    }
    const int64_t stored = database.RowCount();
    if (stored != kRows) {
      state.SkipWithError(("stored " + std::to_string(stored) + " rows instead of 100000").c_str());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
  } catch (const db::EDatabaseError& e) {
    state.SkipWithError(e.what());
  }
}

void PrintRatios(const TimingReporter& reporter, const char* target) {
  const auto time = [&](const char* load) {
    return reporter.Seconds(std::string("insert_100k/") + target + "/" + load);
  };
  const double a = time("arrays25"), b = time("row_by_row"), c = time("server_side");
  if (a > 0 && b > 0 && c > 0) {
    std::printf(
        "%-9s a=%.3f s  b=%.3f s  c=%.3f s   a/c = %.2f (target <= 2)   b/a = %.2f (target >= 5 "
        "over loopback)\n",
        target, a, b, c, a / c, b / a);
  }
}

}  // namespace
}  // namespace zr::bench

int main(int argc, char** argv) {
  using namespace zr::bench;
  const char* serverSwitch = std::getenv("ZR_FB_SERVER");
  const bool withServer = serverSwitch == nullptr || std::string(serverSwitch) != "0";
  const std::pair<const char*, Load> loads[] = {
      {"arrays25", [](zr::db::TFDConnection& c) { InsertWithArrays(c, "PCPFTOF", kRows, kArraySize); }},
      {"row_by_row", [](zr::db::TFDConnection& c) { InsertRowByRow(c, "PCPFTOF", kRows); }},
      {"server_side", [](zr::db::TFDConnection& c) { InsertServerSide(c, kRows); }},
  };
  for (const bool server : {false, true}) {
    if (server && !withServer) {
      continue;
    }
    for (const auto& [name, load] : loads) {
      const std::string title = std::string("insert_100k/") + (server ? "loopback" : "embedded") + "/" + name;
      benchmark::RegisterBenchmark(
          title.c_str(), [server, load = load](benchmark::State& state) { RunLoad(state, server, load); })
          ->Iterations(1)
          ->UseRealTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  TimingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  PrintRatios(reporter, "embedded");
  PrintRatios(reporter, "loopback");
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory: %ld MB\n", usage.ru_maxrss / 1024);
  benchmark::Shutdown();
  return 0;
}
