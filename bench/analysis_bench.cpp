// The analysis of the longest history: the mismatch of each of 1,000 iterates and the power
// balance of the last one, on seven nodes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <tuple>

#include "core/analysis/mismatch_trace.h"
#include "core/analysis/power_balance.h"

namespace nodewise {
namespace {

// A ring of seven nodes with line charging, node 1 Ed, the others PQ; a made-up history of
// 999 iterations in degrees, as a run leaves it.
struct SevenNodes {
    Network network;
    Run run;
};

void FillSevenNodes(SevenNodes& seven) {
    Network& net = seven.network;
    auto [NodeCount, IterationCount, YComplex, NodeTypes, PData, QData] = std::tie(
        net.NodeCount, net.IterationCount, net.YComplex, net.NodeTypes, net.PData, net.QData);
    History& EHistoryNewton = seven.run.EHistory;
    History& dHistoryNewton = seven.run.dHistory;
    seven.run.method = Method::Newton;
    seven.run.NodeCount = MaxNodes;
    seven.run.IterationCount = MaxIterations - 1;
    NodeCount = MaxNodes;
    IterationCount = MaxIterations - 1;
    for (int i = 0; i < MaxNodes; ++i) {
        for (int j = 0; j < MaxNodes; ++j) {
            YComplex[i][j] = {0.0, 0.0};
        }
    }
    for (int i = 0; i < MaxNodes; ++i) {
        const int j = (i + 1) % MaxNodes;
        YComplex[i][j] = YComplex[j][i] = {-1.0 - 0.1 * i, 5.0 + 0.3 * i};
    }
    for (int i = 0; i < MaxNodes; ++i) {
        double re = 0.0, im = 0.02;
        for (int j = 0; j < MaxNodes; ++j) {
            if (j != i) {
                re -= YComplex[i][j].re;
                im -= YComplex[i][j].im;
            }
        }
        YComplex[i][i] = {re, im};
        NodeTypes[i] = i == 0 ? Ed : PQ;
        PData[i] = i == 0 ? 0.0 : -0.3;
        QData[i] = i == 0 ? 0.0 : -0.1;
    }
    for (int i = 0; i < MaxNodes; ++i) {
        for (int k = 0; k < MaxIterations; ++k) {
            EHistoryNewton[i][k] = 1.0 - 0.01 * i - 0.05 / (1.0 + k);
            dHistoryNewton[i][k] = -2.0 * i + std::cos(k * 0.11) * 1e-5;
        }
    }
}

void TraceAndBalance999Iterations(benchmark::State& state) {
    static SevenNodes seven;
    FillSevenNodes(seven);
    for (auto _ : state) {
        const std::vector<MismatchEntry> trace = MismatchTrace(seven.network, seven.run);
        const PowerBalance balance = ComputePowerBalance(seven.network, seven.run);
        benchmark::DoNotOptimize(trace.data());
        benchmark::DoNotOptimize(balance.losses);
    }
}
BENCHMARK(TraceAndBalance999Iterations)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace nodewise
