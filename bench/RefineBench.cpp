// What the time-out check costs: the example problems solved through the
// library facade with no time-out and with one that never fires (the check
// runs between every two refinement steps either way, but only a set
// time-out compares the clock), and the cost of one check on its own; and
// the narrowing steps per second of a refinement.
#include "Driver/BRIX_Problem.h"
#include "Driver/BRIX_Solve.h"
#include "Driver/BRIX_Timeout.h"
#include "Search/BRIX_Narrowing.h"
#include "Search/BRIX_Progress.h"
#include "System/SAL.h"

#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

struct Example {
    const char* name;
    const char* constraint;
    std::vector<std::string> variables;
    brix::BoxBounds box;
    double errorBound;
};

// The problems of examples/, at their default error bound and a fine one.
const std::vector<Example>& Examples() {
    static const std::vector<Example> examples = {
        {"circle",
         "FORALL([t], [[0, 1]], x^2 + y^2 + t <= 2)",
         {"x", "y"},
         {{-1.5, 1.5}, {-1.5, 1.5}},
         0.5},
        {"circle-fine",
         "FORALL([t], [[0, 1]], x^2 + y^2 + t <= 2)",
         {"x", "y"},
         {{-1.5, 1.5}, {-1.5, 1.5}},
         0.01},
        {"robust-fine",
         "FORALL([k], [[1, 2]], k x^2 + y^2 <= 4)",
         {"x", "y"},
         {{-2.5, 2.5}, {-2.5, 2.5}},
         0.01},
        {"cubic-fine", "EXISTS([t], [[-1, 1]], x <= t^3 - t)", {"x"}, {{-1, 1}}, 0.001},
        {"sentence", "FORALL([x], [[0, 1]], x^3 - x <= 0.5)", {}, {}, 0.5},
    };
    return examples;
}

// Argument 0: the example; argument 1: the time-out in seconds (0: none).
void BM_Solve(benchmark::State& state) {
    const Example& example = Examples()[static_cast<std::size_t>(state.range(0))];
    brix::SolveOptions options;
    options.errorBound = example.errorBound;
    options.timeoutSeconds = static_cast<double>(state.range(1));
    for (auto _ : state) {
        brix::SolveResult result =
            brix::Solve(example.constraint, example.variables, example.box, options);
        if (!result.solved) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        benchmark::DoNotOptimize(result.complete);
    }
    state.SetLabel(example.name);
}
BENCHMARK(BM_Solve)->ArgsProduct({{0, 1, 2, 3, 4}, {0, 4000}})->Unit(benchmark::kMicrosecond);

// The refinement of a two-variable problem (the robust region at error bound
// 0.01): narrowing steps (one variable of one atom) per second of it.
void BM_NarrowingStepsPerSecond(benchmark::State& state) {
    const Example& example = Examples()[2];
    brix::SolveOptions options;
    options.errorBound = example.errorBound;
    const unsigned long long before = NarrowingStepCount();
    for (auto _ : state) {
        brix::SolveResult result =
            brix::Solve(example.constraint, example.variables, example.box, options);
        benchmark::DoNotOptimize(result.complete);
    }
    state.counters["steps"] = benchmark::Counter(
        static_cast<double>(NarrowingStepCount() - before), benchmark::Counter::kIsRate);
    state.SetLabel(example.name);
}
BENCHMARK(BM_NarrowingStepsPerSecond)->Unit(benchmark::kMillisecond);

// One check between two steps, with a time-out set.
void BM_ExpiredCheck(benchmark::State& state) {
    setTimeout(4000u * 1000000u);
    startTimeoutClock();
    BRIX_Problem problem;
    BRIX_RefineWatch watch(problem);
    for (auto _ : state) {
        benchmark::DoNotOptimize(watch.Expired());
    }
    setTimeout(0);
}
BENCHMARK(BM_ExpiredCheck);

// One reading of the processor-time clock (done every one to four
// milliseconds of refinement).
void BM_ProcessClock(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(timeoutClockMicroseconds());
    }
}
BENCHMARK(BM_ProcessClock);

}  // namespace

int main(int argc, char** argv) {
    int* count = &argc;
    (void)SAL_Interface::StartUp(count, &argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
