// Cost per call of the polynomial range evaluation and of the one-variable
// narrowing step, for 2 to 4 variables and total degree 2 to 6.
#include "Search/BRIX_DistPoly.h"
#include "Search/BRIX_Narrowing.h"
#include "System/SAL.h"

#include <random>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

using Itvl = Iv_Itvl<double>;

// A fixed pseudo-random polynomial with about two terms per degree, every
// variable occurring, and interval coefficients.
DistPoly MakePolynomial(int variables, int degree) {
    std::mt19937_64 g(static_cast<std::uint64_t>(variables * 100 + degree));
    DistPoly p(variables);
    std::vector<int> e(static_cast<std::size_t>(variables));
    for (int d = 0; d <= degree; ++d) {
        for (int copy = 0; copy < 2; ++copy) {
            std::fill(e.begin(), e.end(), 0);
            for (int k = 0; k < d; ++k) {
                e[static_cast<std::size_t>((k + copy + static_cast<int>(g() % 2)) % variables)] +=
                    1;
            }
            double c = static_cast<double>(static_cast<int>(g() % 17) - 8) / 4.0;
            p.AppendTerm(Itvl(c, c + 0.125), e.data());
        }
    }
    p.Normalize();
    return p;
}

Box MakeBox(int variables) {
    Box box(variables);
    for (int i = 0; i < variables; ++i) {
        box.Set(i, Itvl(-0.5 - 0.1 * i, 1.0 + 0.2 * i));
    }
    return box;
}

void BM_Evaluate(benchmark::State& state) {
    DistPoly p = MakePolynomial(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    Box box = MakeBox(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Evaluate(p, box));
    }
    state.counters["terms"] = p.TermCount();
}

void BM_BicenteredRange(benchmark::State& state) {
    DistPoly p = MakePolynomial(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    Box box = MakeBox(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(BicenteredRange(p, box));
    }
    state.counters["terms"] = p.TermCount();
}

void BM_NarrowVariable(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    DistPoly p = MakePolynomial(n, static_cast<int>(state.range(1)));
    Box box = MakeBox(n);
    UnivData data;
    PrepareUnivData(p, data);
    int var = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NarrowVariable(p, 1, box, var, data));
        var = (var + 1) % n;
    }
    state.counters["terms"] = p.TermCount();
}

void Shapes(benchmark::internal::Benchmark* b) {
    for (int variables = 2; variables <= 4; ++variables) {
        for (int degree = 2; degree <= 6; degree += 2) {
            b->Args({variables, degree});
        }
    }
}

BENCHMARK(BM_Evaluate)->Apply(Shapes);
BENCHMARK(BM_BicenteredRange)->Apply(Shapes);
BENCHMARK(BM_NarrowVariable)->Apply(Shapes);

}  // namespace

int main(int argc, char** argv) {
    int* count = &argc;
    (void)SAL_Interface::StartUp(count, &argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
