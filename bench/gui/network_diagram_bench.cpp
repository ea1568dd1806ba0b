// The "Schema della rete" window on seven nodes, every pair joined: the layout of a new network
// and the redraw for another iterate (the iteration slider moved), each painted.
#include <QApplication>
#include <QSlider>
#include <benchmark/benchmark.h>
#include <cmath>

#include "core/model/network.h"
#include "gui/analysis/network_diagram_window.h"
#include "gui/shell/program_windows.h"
#include "gui/shell/run_store.h"

namespace {

using namespace nodewise;

// Seven nodes, every pair joined, with a made-up Gauss-Seidel history of 999 iterations.
void FillCompleteNetwork() {
    Network network;
    Run run;
    auto& YComplex = network.YComplex;
    auto& NodeTypes = network.NodeTypes;
    History& EHistoryGauss = run.EHistory;
    History& dHistoryGauss = run.dHistory;
    network.NodeCount = MaxNodes;
    network.IterationCount = MaxIterations - 1;
    run.NodeCount = MaxNodes;
    run.IterationCount = MaxIterations - 1;
    for (int i = 0; i < MaxNodes; ++i) {
        double re = 0.0;
        double im = 0.03;
        for (int j = 0; j < MaxNodes; ++j) {
            if (j != i) {
                YComplex[i][j] = {-1.0 - 0.1 * (i + j), 5.0 + 0.2 * (i + j)};
                re -= YComplex[i][j].re;
                im -= YComplex[i][j].im;
            }
        }
        YComplex[i][i] = {re, im};
        NodeTypes[i] = i == 0 ? Ed : PQ;
        for (int k = 0; k < MaxIterations; ++k) {
            EHistoryGauss[i][k] = i == 0 ? 1.0 : 0.95 + 0.05 / (1.0 + k) - 0.003 * i;
            dHistoryGauss[i][k] = i == 0 ? 0.0 : -1.5 * i * (1.0 - 1.0 / (1.0 + k));
        }
    }
    ProgramRuns().Adopt(network, CellTexts());
    ProgramRuns().Store(run);
}

void BM_DiagramLayoutAndDraw7(benchmark::State& state) {
    FillCompleteNetwork();
    ShowNetworkDiagramWindow();
    QApplication::processEvents();
    for (auto _ : state) {
        frmNetworkDiagram->Refresh(); // layout, drawing, fit
        QApplication::processEvents();
    }
    frmNetworkDiagram->hide();
}
BENCHMARK(BM_DiagramLayoutAndDraw7)->Unit(benchmark::kMillisecond);

void BM_DiagramRedrawIteration7(benchmark::State& state) {
    FillCompleteNetwork();
    ShowNetworkDiagramWindow();
    QApplication::processEvents();
    auto* slider = frmNetworkDiagram->findChild<QSlider*>(QStringLiteral("sldIteration"));
    int k = 0;
    for (auto _ : state) {
        slider->setValue(k); // the drawing of another iterate
        QApplication::processEvents();
        k = (k + 37) % MaxIterations;
    }
    frmNetworkDiagram->hide();
}
BENCHMARK(BM_DiagramRedrawIteration7)->Unit(benchmark::kMillisecond);

} // namespace
