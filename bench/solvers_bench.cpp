// The three load-flow methods on a seven-node network: one iteration, and a whole run of the
// largest iteration count the iteration box can hold.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>

#include "core/analysis/iteration_step.h"
#include "core/input/acquisition.h"
#include "core/model/calculation_options.h"
#include "core/model/network.h"
#include "core/solvers/gauss_seidel.h"
#include "core/solvers/matrix_inversion.h"
#include "core/solvers/newton_raphson.h"
#include "core/solvers/stott_alsac.h"
#include <cmath>

namespace nodewise {
namespace {

// Reference node 1, generator node 4 (PE), loads elsewhere; a ring with two chords.
Network AcquireSevenNodes(const char* iterations) {
    struct Line {
        int a, b;
        double g, b_;
    };
    const Line lines[] = {{0, 1, 4, -12}, {1, 2, 3, -9}, {2, 3, 5, -15},
                          {3, 4, 4, -10}, {4, 5, 2, -8}, {5, 6, 3, -12},
                          {6, 0, 4, -16}, {1, 4, 2, -6}, {2, 5, 3, -9}};
    double G[MaxNodes][MaxNodes] = {};
    double B[MaxNodes][MaxNodes] = {};
    for (const Line& l : lines) {
        G[l.a][l.a] += l.g;
        G[l.b][l.b] += l.g;
        B[l.a][l.a] += l.b_;
        B[l.b][l.b] += l.b_;
        G[l.a][l.b] -= l.g;
        G[l.b][l.a] -= l.g;
        B[l.a][l.b] -= l.b_;
        B[l.b][l.a] -= l.b_;
    }
    CellTexts cells;
    for (int r = 0; r < MaxNodes; ++r) {
        for (int c = r; c < MaxNodes; ++c) {
            char text[64];
            std::snprintf(text, sizeof text, "%g%+gj", G[r][c], B[r][c]);
            cells.Admittance[c][r] = text;
        }
    }
    cells.Data[0][0] = "1,05";
    cells.Data[1][0] = "0";
    for (int i = 1; i < MaxNodes; ++i) {
        if (i == 3) {
            cells.Data[0][i] = "1,02";
            cells.Data[2][i] = "0,8";
        } else {
            cells.Data[2][i] = "-0,4";
            cells.Data[3][i] = "-0,15";
        }
    }
    const Acquisition acquisition = Acquire(iterations, cells);
    if (acquisition.warning) {
        std::fprintf(stderr, "the seven-node network was not accepted\n");
    }
    return acquisition.network;
}

// A whole run of one iteration: the run's storage, the starting point, the iteration and the
// phases in degrees.
template <Run (*Iterate)(const Network&, int, SolverObserver&, const CalculationOptions&)>
void OneIterationRun(benchmark::State& state) {
    const Network network = AcquireSevenNodes("1");
    SolverObserver observer;
    for (auto _ : state) {
        const Run run = Iterate(network, 1, observer, {});
        benchmark::DoNotOptimize(run.EHistory[6][1]);
    }
}
BENCHMARK(OneIterationRun<GaussIterate>)->Name("GaussOneIterationRun");
BENCHMARK(OneIterationRun<NewtonIterate>)->Name("NewtonOneIterationRun");
BENCHMARK(OneIterationRun<StottIterate>)->Name("StottOneIterationRun");

// A strictly diagonally dominant matrix of the largest order.
void InvMatrOrder14(benchmark::State& state) {
    double A[MaxOrder][MaxOrder], B[MaxOrder][MaxOrder];
    double* Arows[MaxOrder];
    double* Brows[MaxOrder];
    for (int i = 0; i < MaxOrder; ++i) {
        Arows[i] = A[i];
        Brows[i] = B[i];
        for (int j = 0; j < MaxOrder; ++j) {
            A[i][j] = i == j ? 40.0 : std::sin(1.0 + i * MaxOrder + j);
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(InvMatr(Arows, Brows, MaxOrder));
        benchmark::DoNotOptimize(B[0][0]);
    }
}
BENCHMARK(InvMatrOrder14);

template <Run (*Iterate)(const Network&, int, SolverObserver&, const CalculationOptions&)>
void WholeRun(benchmark::State& state) {
    const Network network = AcquireSevenNodes("999");
    SolverObserver observer;
    for (auto _ : state) {
        const Run run = Iterate(network, network.LastHistoryEntry(), observer, {});
        benchmark::DoNotOptimize(run.EHistory[6][999]);
    }
}
BENCHMARK(WholeRun<GaussIterate>)->Name("Gauss999Iterations")->Unit(benchmark::kMillisecond);
BENCHMARK(WholeRun<NewtonIterate>)->Name("Newton999Iterations")->Unit(benchmark::kMillisecond);
BENCHMARK(WholeRun<StottIterate>)->Name("Stott999Iterations")->Unit(benchmark::kMillisecond);

// The same with the generator node held at its Qmax: the grown system in every iteration.
void Newton999IterationsWithLimits(benchmark::State& state) {
    const Network network = AcquireSevenNodes("999");
    CalculationOptions options;
    options.reactiveLimits[3].qmax = 0.1;
    SolverObserver observer;
    if (NewtonIterate(network, 999, observer, options).heldLimits.back()[3] != HeldLimit::Max) {
        std::fprintf(stderr, "the generator node is not held at its limit\n");
    }
    for (auto _ : state) {
        const Run run = NewtonIterate(network, network.LastHistoryEntry(), observer, options);
        benchmark::DoNotOptimize(run.EHistory[6][999]);
    }
}
BENCHMARK(Newton999IterationsWithLimits)->Unit(benchmark::kMillisecond);

// The step of the last iteration the iteration box allows: the method run up to it, recording
// its matrices and vectors there.
template <Method M> void StepOfIteration999(benchmark::State& state) {
    const Network network = AcquireSevenNodes("999");
    for (auto _ : state) {
        const IterationStep step = ComputeStep(network, M, LastStepIteration);
        benchmark::DoNotOptimize(step.EAfter.data());
    }
}
BENCHMARK(StepOfIteration999<Method::Gauss>)
    ->Name("GaussStepOfIteration999")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(StepOfIteration999<Method::Newton>)
    ->Name("NewtonStepOfIteration999")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(StepOfIteration999<Method::Stott>)
    ->Name("StottStepOfIteration999")
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace nodewise

BENCHMARK_MAIN();
