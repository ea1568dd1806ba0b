// The convergence chart with three methods of 1,000 points each, built and shown.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>

#include "core/model/workspace.h"
#include "gui/analysis/convergence_window.h"
#include "gui/shell/program_windows.h"

namespace {

using namespace nodewise;

// Two nodes joined by 1 - j5, and three made-up histories of 999 iterations that approach
// the solution at different speeds, as three finished runs leave them.
void FillThreeRuns() {
    NodeCount = 2;
    IterationCount = MaxIterations - 1;
    YComplex[0][0] = YComplex[1][1] = {1.0, -5.0};
    YComplex[0][1] = YComplex[1][0] = {-1.0, 5.0};
    NodeTypes[0] = Ed;
    NodeTypes[1] = PQ;
    PData[1] = -0.5;
    QData[1] = -0.2;
    HistoryRows* E[] = {&EHistoryGauss, &EHistoryNewton, &EHistoryStott};
    HistoryRows* d[] = {&dHistoryGauss, &dHistoryNewton, &dHistoryStott};
    const double rate[] = {0.99, 0.5, 0.8};
    for (int m = 0; m < 3; ++m) {
        for (int k = 0; k < MaxIterations; ++k) {
            const double away = std::pow(rate[m], k);
            (*E[m])[0][k] = 1.0;
            (*d[m])[0][k] = 0.0;
            (*E[m])[1][k] = 0.933714 + 0.066286 * away;
            (*d[m])[1][k] = -5.4364 * (1.0 - away);
        }
        RunEnded[m] = true;
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
