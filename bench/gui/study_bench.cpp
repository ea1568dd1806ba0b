// The study of a seven-node network, from the network file to the written PDF: read, acquire,
// the three methods of 20 iterations, the document and its pages.
#include <QDir>
#include <QFile>
#include <QString>
#include <benchmark/benchmark.h>
#include <string>

#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/results/methods.h"
#include "gui/results/study_pages.h"

namespace {

using namespace nodewise;

// Seven nodes in a ring with chords, node 1 the slack, the others loads.
CellTexts SevenNodeCells() {
    CellTexts cells;
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r < c; ++r) {
            if (c - r == 1 || c - r == 3) {
                cells.Admittance[c][r] = "-2+8j";
            }
        }
    }
    for (int i = 0; i < MaxNodes; ++i) {
        int degree = 0;
        for (int j = 0; j < MaxNodes; ++j) {
            const int d = i > j ? i - j : j - i;
            degree += (d == 1 || d == 3) ? 1 : 0;
        }
        cells.Admittance[i][i] =
            std::to_string(2 * degree) + "-" + std::to_string(8 * degree) + ",02j";
        if (i == 0) {
            cells.Data[0][i] = "1,02";
            cells.Data[1][i] = "0";
        } else {
            cells.Data[2][i] = "-0,3";
            cells.Data[3][i] = "-0,1";
        }
    }
    return cells;
}

void BM_StudySevenNodesThreeMethods(benchmark::State& state) {
    const std::string network =
        QDir::temp().filePath(QStringLiteral("nodewise-bench.nwd")).toStdString();
    const QString pdf = QDir::temp().filePath(QStringLiteral("nodewise-bench.pdf"));
    if (!WriteNetworkFile(network, SevenNodeCells())) {
        state.SkipWithError("the network file could not be written");
        return;
    }
    for (auto _ : state) {
        CellTexts cells;
        if (!ReadNetworkFile(network, cells)) {
            state.SkipWithError("the network file could not be read");
            break;
        }
        const Acquisition acquisition = Acquire("20", cells);
        if (acquisition.warning) {
            state.SkipWithError("the network was refused");
            break;
        }
        SolverObserver quiet;
        RunSet runs;
        for (Method method : AllMethods) {
            runs.Store(Iterate(method, acquisition.network, quiet));
        }
        StudyChoices choices;
        choices.networkName = "rete.nwd";
        WriteStudyPdf(BuildStudy(acquisition.network, cells, runs, choices),
                      QStringLiteral("rete.nwd"), pdf);
    }
    QFile::remove(pdf);
    QFile::remove(QString::fromStdString(network));
}
BENCHMARK(BM_StudySevenNodesThreeMethods)->Unit(benchmark::kMillisecond);

} // namespace
