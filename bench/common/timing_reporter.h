#pragma once
// A console reporter that also keeps each benchmark's wall-clock seconds per iteration (the median under
// --benchmark_repetitions), by registered name, for the ratios printed after the run.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace zr::bench {

class TimingReporter : public benchmark::ConsoleReporter {
 public:
  TimingReporter() : ConsoleReporter(OO_None) {}  // plain text: the figures go into reports

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      // With repetitions, the median stands for the benchmark; the mean and deviation rows do not.
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      seconds_[run.run_name.function_name] =
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Seconds of the benchmark registered as `name`; 0 when it did not run or failed.
  double Seconds(const std::string& name) const {
    const auto found = seconds_.find(name);
    return found == seconds_.end() ? 0.0 : found->second;
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace zr::bench
