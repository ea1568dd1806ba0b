// The layout of the network drawing on seven nodes: the complete network (not planar, the
// hardest search), a maximal planar one, a sparse ring, and the whole drawing of a run.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/drawing/network_diagram.h"
#include "core/drawing/network_diagram_svg.h"
#include "core/drawing/network_layout.h"

namespace nodewise {
namespace {

std::vector<NodePair> Complete(int n) {
    std::vector<NodePair> edges;
    for (int a = 0; a < n; ++a) {
        for (int b = a + 1; b < n; ++b) {
            edges.emplace_back(a, b);
        }
    }
    return edges;
}

void LayOut(benchmark::State& state, const std::vector<NodePair>& branches) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayOutNetwork(MaxNodes, branches, 0));
    }
}

void BM_LayoutComplete7(benchmark::State& state) {
    LayOut(state, Complete(7));
}
BENCHMARK(BM_LayoutComplete7)->Unit(benchmark::kMillisecond);

// The complete network without two disjoint branches: no two nodes are alike any more but the
// pairs, so the search cannot take them in one order only.
void BM_LayoutComplete7LessTwo(benchmark::State& state) {
    std::vector<NodePair> edges = Complete(7);
    std::erase(edges, NodePair{1, 2});
    std::erase(edges, NodePair{3, 5});
    LayOut(state, edges);
}
BENCHMARK(BM_LayoutComplete7LessTwo)->Unit(benchmark::kMillisecond);

// A maximal planar network: a hexagon around a hub, every other corner joined.
void BM_LayoutMaximalPlanar7(benchmark::State& state) {
    LayOut(state, {{0, 1},
                   {0, 2},
                   {0, 3},
                   {0, 4},
                   {0, 5},
                   {0, 6},
                   {1, 2},
                   {2, 3},
                   {3, 4},
                   {4, 5},
                   {5, 6},
                   {1, 6},
                   {1, 3},
                   {3, 5},
                   {1, 5}});
}
BENCHMARK(BM_LayoutMaximalPlanar7)->Unit(benchmark::kMillisecond);

// The slowest of the maximal planar networks tried (a sample of 816 of the 5,712 numberings of
// the five on seven nodes, each with some reference): it needs the five by five grid.
void BM_LayoutSlowestPlanarFound7(benchmark::State& state) {
    const unsigned mask = 0x07ee7d; // bit k: the k-th pair of Complete(7)
    std::vector<NodePair> edges;
    const std::vector<NodePair> all = Complete(7);
    for (std::size_t k = 0; k < all.size(); ++k) {
        if (((mask >> k) & 1u) != 0) {
            edges.push_back(all[k]);
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayOutNetwork(MaxNodes, edges, static_cast<int>(mask % 7)));
    }
}
BENCHMARK(BM_LayoutSlowestPlanarFound7)->Unit(benchmark::kMillisecond);

void BM_LayoutRing7(benchmark::State& state) {
    LayOut(state, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {0, 6}});
}
BENCHMARK(BM_LayoutRing7)->Unit(benchmark::kMillisecond);

// The drawing of one iterate and its SVG, once the layout is known (what a new iterate costs).
void BM_DiagramSvg7(benchmark::State& state) {
    PowerBalance balance;
    for (int i = 0; i < MaxNodes; ++i) {
        balance.nodes.push_back({i, i == 0 ? Ed : PQ, 1.0 - 0.01 * i, -2.0 * i, -0.3, -0.1});
    }
    for (const auto& [a, b] : Complete(7)) {
        balance.branches.push_back({a, b, {0.1, 0.02}, {-0.099, -0.018}, {0.001, 0.002}});
    }
    const std::vector<DiagramPoint> centres =
        LayoutCentres(LayOutNetwork(MaxNodes, Complete(7), 0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            NetworkDiagramSvg(BuildNetworkDiagram(balance, centres, ".", "prova")));
    }
}
BENCHMARK(BM_DiagramSvg7)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace nodewise
