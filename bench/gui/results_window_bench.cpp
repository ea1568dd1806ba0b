// Publishing a long history in a results window, and building the program's windows.
#include <QApplication>
#include <QCheckBox>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cmath>

#include "core/model/network.h"
#include "gui/input/data_entry_window.h"
#include "gui/results/results_window.h"
#include "gui/results/run_drivers.h"
#include "gui/results/summary_window.h"
#include "gui/shell/error_guard.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"

namespace {

using namespace nodewise;

// A made-up history of 999 iterations on 7 nodes, every value with 15 significant digits.
void FillGaussHistory() {
    Network network;
    network.NodeCount = MaxNodes;
    network.IterationCount = MaxIterations - 1;
    ProgramRuns().Adopt(network, CellTexts());
    Run run;
    run.NodeCount = MaxNodes;
    run.IterationCount = MaxIterations - 1;
    for (int j = 0; j < MaxNodes; ++j) {
        for (int i = 0; i < MaxIterations; ++i) {
            run.EHistory[j][i] = 1.0 - 0.01 * j - 0.05 / (1.0 + i) + std::sin(i * 0.37) * 1e-7;
            run.dHistory[j][i] = -3.0 * j + std::cos(i * 0.11) * 1e-5;
        }
    }
    ProgramRuns().Store(run);
}

// From the end of the iteration to the window painted on screen with its list filled.
void BM_PublishAndShow999x7(benchmark::State& state) {
    FillGaussHistory();
    const bool fillList = state.range(0) != 0;
    for (auto _ : state) {
        PublishResults(Method::Gauss, fillList);
        QApplication::processEvents(); // layout and paint
        state.PauseTiming();
        GaussResultsWindow->hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = GaussResultsWindow->ListRowCount();
}
BENCHMARK(BM_PublishAndShow999x7)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Scrolling to the end of the filled list: the view asks only for the rows it shows.
void BM_ScrollToLastRow(benchmark::State& state) {
    FillGaussHistory();
    PublishResults(Method::Gauss, true);
    QApplication::processEvents();
    auto* list = GaussResultsWindow->findChild<QTreeView*>(QStringLiteral("ListView"));
    for (auto _ : state) {
        list->scrollToBottom();
        QApplication::processEvents();
        list->scrollToTop();
        QApplication::processEvents();
    }
    GaussResultsWindow->hide();
}
BENCHMARK(BM_ScrollToLastRow)->Unit(benchmark::kMillisecond);

// Start-up after the application object: every window created and the main one shown.
void BM_StartUpWindows(benchmark::State& state) {
    DestroyProgramWindows();
    for (auto _ : state) {
        CreateResultsWindows();
        CreateMainWindows();
        frmDataIn->show();
        QApplication::processEvents();
        state.PauseTiming();
        DestroyProgramWindows();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    CreateProgramWindows();
}
BENCHMARK(BM_StartUpWindows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    NodewiseApplication app(argc, argv);
    CreateProgramWindows();
    frmDataIn->show();
    frmDataOk->show();
    QApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    DestroyProgramWindows();
    return 0;
}
