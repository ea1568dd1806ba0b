// "Passo per passo" filled for the largest system: seven PQ nodes, a 14 x 14 Jacobian.
#include <QApplication>
#include <QSpinBox>
#include <benchmark/benchmark.h>
#include <cstdio>

#include "core/input/acquisition.h"
#include "core/results/methods.h"
#include "gui/analysis/step_window.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"

namespace {

using namespace nodewise;

// A ring of seven loads, each branch 2 - j10 with line charging: no slack, so every node has
// both equations and both unknowns.
void AcquireSevenLoads() {
    CellTexts cells;
    for (int i = 0; i < MaxNodes; ++i) {
        cells.Admittance[i][i] = "4-19,9j";
        cells.Data[2][i] = "-0,1";
        cells.Data[3][i] = "-0,05";
    }
    for (int i = 0; i + 1 < MaxNodes; ++i) {
        cells.Admittance[i + 1][i] = "-2+10j";
    }
    cells.Admittance[MaxNodes - 1][0] = "-2+10j";
    if (ProgramRuns().Acquire("10", cells).has_value()) {
        std::fprintf(stderr, "the seven-load network was not accepted\n");
    }
}

// From a new iteration chosen to the window laid out and painted with its tables.
void BM_StepWindow14x14(benchmark::State& state) {
    AcquireSevenLoads();
    SolverObserver observer;
    ProgramRuns().Store(Iterate(Method::Newton, AcquiredNetwork(), observer));
    ShowStepWindow();
    QApplication::processEvents();
    auto* spin = frmStep->findChild<QSpinBox*>(QStringLiteral("spnIteration"));
    int k = 1;
    for (auto _ : state) {
        k = k % 10 + 1;
        spin->setValue(k); // computes the step and fills the tables
        QApplication::processEvents();
    }
    state.counters["order"] = static_cast<double>(frmStep->Step().jacobian.size());
    frmStep->hide();
}
BENCHMARK(BM_StepWindow14x14)->Unit(benchmark::kMillisecond);

} // namespace
