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
      for (const auto& [counter, value] : run.counters)
        counters_[run.run_name.function_name][counter] = value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Seconds of the benchmark registered as `name`; 0 when it did not run or failed.
  double Seconds(const std::string& name) const {
    const auto found = seconds_.find(name);
    return found == seconds_.end() ? 0.0 : found->second;
  }
  // The counter `counter` of the benchmark registered as `name`; 0 when it has none.
  double Counter(const std::string& name, const std::string& counter) const {
    const auto found = counters_.find(name);
    if (found == counters_.end()) return 0.0;
    const auto value = found->second.find(counter);
    return value == found->second.end() ? 0.0 : static_cast<double>(value->second);
  }

 private:
  std::map<std::string, double> seconds_;
  std::map<std::string, std::map<std::string, double>> counters_;
};

}  // namespace zr::bench
