#include "bench/goals.h"

#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// The console report, keeping each benchmark's median seconds an iteration.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    // in colour on a terminal only, as the library's own report
    MedianReporter() : ConsoleReporter(isatty(1) ? OO_Color : OO_None) {}

    struct Median {
        double real, cpu;
    };
    std::map<std::string, Median> medians;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                medians[run.run_name.function_name] = {run.GetAdjustedRealTime() / unit,
                                                       run.GetAdjustedCPUTime() / unit};
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

void printGoal(const BenchGoal& goal, const std::map<std::string, MedianReporter::Median>& medians)
{
    const auto seconds = [&](const char* name, double* out) {
        const auto it = medians.find(name);
        if (it == medians.end())
            return false;
        *out = goal.cpuTime ? it->second.cpu : it->second.real;
        return true;
    };
    double measured = 0, against = 1;
    if (!seconds(goal.measured, &measured) || (goal.against && !seconds(goal.against, &against))) {
        std::printf("%s: not measured (no median of %s%s%s)\n", goal.what, goal.measured,
                    goal.against ? " and " : "", goal.against ? goal.against : "");
        return;
    }
    const double number = goal.against ? measured / against : measured * 1e3;
    std::printf("%s: %.2f%s (medians of %s time)", goal.what, number, goal.against ? "x" : " ms",
                goal.cpuTime ? "CPU" : "wall-clock");
    if (goal.bound != Bound::None) {
        const bool atMost = goal.bound == Bound::AtMost;
        const bool met = atMost ? number <= goal.limit : number >= goal.limit;
        std::printf(", goal %s %g: %s", atMost ? "<=" : ">=", goal.limit, met ? "met" : "NOT MET");
    }
    std::printf("\n");
}

}  // namespace

void repeated(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Repetitions(7)->ReportAggregatesOnly(true);
}

int runBenchmarksWithGoals(int argc, char** argv, const std::vector<BenchGoal>& goals)
{
    // Repetitions of the benchmarks in turn rather than each one's all at
    // once: a build starting on the machine slows both sides of a ratio, not
    // one. A flag on the command line still overrides it.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + (argc > 0 ? 1 : 0), interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::fflush(stdout);
    for (const BenchGoal& goal : goals)
        printGoal(goal, reporter.medians);
    benchmark::Shutdown();
    return 0;
}
