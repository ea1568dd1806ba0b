// The convergence chart with three methods of 1,000 points each, built and shown.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>

#include "core/model/network.h"
#include "gui/analysis/convergence_window.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"

namespace {

using namespace nodewise;

// Two nodes joined by 1 - j5, and three made-up histories of 999 iterations that approach
// the solution at different speeds, as three finished runs leave them.
void FillThreeRuns() {
    Network network;
    network.NodeCount = 2;
    network.IterationCount = MaxIterations - 1;
    network.YComplex[0][0] = network.YComplex[1][1] = {1.0, -5.0};
    network.YComplex[0][1] = network.YComplex[1][0] = {-1.0, 5.0};
    network.NodeTypes[0] = Ed;
    network.NodeTypes[1] = PQ;
    network.PData[1] = -0.5;
    network.QData[1] = -0.2;
    ProgramRuns().Adopt(network, CellTexts());
    const double rate[] = {0.99, 0.5, 0.8};
    for (int m = 0; m < 3; ++m) {
        Run run;
        run.method = AllMethods[m];
        run.NodeCount = 2;
        run.IterationCount = MaxIterations - 1;
        for (int k = 0; k < MaxIterations; ++k) {
            const double away = std::pow(rate[m], k);
            run.EHistory[0][k] = 1.0;
            run.dHistory[0][k] = 0.0;
            run.EHistory[1][k] = 0.933714 + 0.066286 * away;
            run.dHistory[1][k] = -5.4364 * (1.0 - away);
        }
        ProgramRuns().Store(run);
    }
}

void BuildAndShowChart3x1000(benchmark::State& state) {
    FillThreeRuns();
    for (auto _ : state) {
        ShowConvergenceWindow();       // computes the three traces and fills the chart
        QApplication::processEvents(); // layout and paint
        state.PauseTiming();
        frmConvergence->hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BuildAndShowChart3x1000)->Unit(benchmark::kMillisecond);

} // namespace
