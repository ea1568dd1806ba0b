// The three load-flow methods on a seven-node network: one iteration, and a whole run of the
// largest iteration count the iteration box can hold.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>

#include "core/analysis/iteration_step.h"
#include "core/input/acquisition.h"
#include "core/model/workspace.h"
#include "core/solvers/gauss_seidel.h"
#include "core/solvers/matrix_inversion.h"
#include "core/solvers/newton_raphson.h"
#include "core/solvers/stott_alsac.h"
#include <cmath>

namespace nodewise {
namespace {

// Reference node 1, generator node 4 (PE), loads elsewhere; a ring with two chords.
void AcquireSevenNodes(const char* iterations) {
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
    if (Acquire(iterations, cells).has_value()) {
        std::fprintf(stderr, "the seven-node network was not accepted\n");
    }
}

void GaussOneIteration(benchmark::State& state) {
    SolverMatrices matrices;
    AcquireSevenNodes("1");
    GaussIterate();
    IterGauss = 0;
    for (auto _ : state) {
        for (int i = 0; i < NodeCount; ++i) {
            GaussRules[NodeTypes[i]](i);
        }
        benchmark::DoNotOptimize(EHistoryGauss[6][1]);
    }
}
BENCHMARK(GaussOneIteration);

void NewtonOneIteration(benchmark::State& state) {
    SolverMatrices matrices;
    AcquireSevenNodes("1");
    NewtonIterate();
    IterNewton = 0;
    for (auto _ : state) {
        NewtonMismatch();
        NewtonJacobian();
        NewtonInvert();
        NewtonCorrection();
        benchmark::DoNotOptimize(CorrectionNewton[0]);
    }
}
BENCHMARK(NewtonOneIteration);

// Building and inverting B' and B'' plus one iteration.
void StottOneIterationRun(benchmark::State& state) {
    SolverMatrices matrices;
    AcquireSevenNodes("1");
    for (auto _ : state) {
        StottIterate();
        benchmark::DoNotOptimize(EHistoryStott[6][1]);
    }
}
BENCHMARK(StottOneIterationRun);

// A strictly diagonally dominant matrix of the largest order.
void InvMatrOrder14(benchmark::State& state) {
    SolverMatrices matrices;
    for (int i = 0; i < MaxOrder; ++i) {
        for (int j = 0; j < MaxOrder; ++j) {
            Jacobian[i][j] = i == j ? 40.0 : std::sin(1.0 + i * MaxOrder + j);
        }
    }
    for (auto _ : state) {
        InvMatr(Jacobian, JacobianInverse, MaxOrder);
        benchmark::DoNotOptimize(JacobianInverse[0][0]);
    }
}
BENCHMARK(InvMatrOrder14);

template <void (*Iterate)()> void WholeRun(benchmark::State& state) {
    SolverMatrices matrices;
    AcquireSevenNodes("999");
    for (auto _ : state) {
        Iterate();
    }
}
BENCHMARK(WholeRun<GaussIterate>)->Name("Gauss999Iterations")->Unit(benchmark::kMillisecond);
BENCHMARK(WholeRun<NewtonIterate>)->Name("Newton999Iterations")->Unit(benchmark::kMillisecond);
BENCHMARK(WholeRun<StottIterate>)->Name("Stott999Iterations")->Unit(benchmark::kMillisecond);

// The step of the last iteration the iteration box allows: the method run up to it, its
// matrices and vectors read, the workspace put back.
template <Method M> void StepOfIteration999(benchmark::State& state) {
    SolverMatrices matrices;
    AcquireSevenNodes("999");
    for (auto _ : state) {
        const IterationStep step = ComputeStep(M, LastStepIteration);
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
