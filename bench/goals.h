// The goals a benchmark program is held to, printed after its report from
// the medians of the same run's repetitions.
#pragma once

#include <benchmark/benchmark.h>

#include <vector>

// Repeats a benchmark and reports its mean, median and spread only: a goal
// reads the median, which one slow repetition on a shared machine leaves be.
void repeated(benchmark::internal::Benchmark* benchmark);

enum class Bound { None, AtMost, AtLeast };

// One number to print: the median time of `measured`, alone in milliseconds
// or divided by the median time of `against`, and the goal it is held to.
struct BenchGoal {
    const char* what;      // what the number says, e.g. "psdraw's lines per second over cairo's"
    const char* measured;  // a benchmark's function name
    const char* against;   // another's, or nullptr: the time itself, in ms
    bool cpuTime;          // compare CPU time, else wall-clock time
    Bound bound = Bound::None;
    double limit = 0;
};

// Runs the benchmarks as BENCHMARK_MAIN does, then prints one line a goal:
// its number, the bound and whether the number meets it. A goal whose
// benchmarks did not run (filtered out, or run without repetitions) says so.
int runBenchmarksWithGoals(int argc, char** argv, const std::vector<BenchGoal>& goals);
