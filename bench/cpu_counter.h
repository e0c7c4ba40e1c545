#pragma once

#include <benchmark/benchmark.h>

namespace vorn::bench {

// Adds the column "cpu_ms": processor time per iteration (of this process, or of the programs
// it ran), which a busy machine inflates less than elapsed time.
inline void ReportCpu(benchmark::State& state, double seconds) {
  state.counters["cpu_ms"] = benchmark::Counter(seconds * 1e3, benchmark::Counter::kAvgIterations);
}

}  // namespace vorn::bench
