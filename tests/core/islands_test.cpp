// Nodes cut off from the slack node: found on the acquired network, named in one sentence.
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "core/input/acquisition.h"
#include "core/input/islands.h"

namespace nodewise {
namespace {

// Four nodes, Ed where `types` says E, PQ elsewhere, with branches of 1 - j5 between the pairs
// given (1-based) and a small shunt at every node.
CellTexts Network(const std::vector<std::pair<int, int>>& branches, const char* types = "EPPP") {
    CellTexts cells;
    for (const auto& [a, b] : branches) {
        cells.Admittance[b - 1][a - 1] = "-1+5j";
    }
    for (int i = 0; i < 4; ++i) {
        cells.Admittance[i][i] = "2-10,1j";
        const bool ed = types[i] == 'E';
        cells.Data[ed ? 0 : 2][i] = ed ? "1" : "-0,1";
        cells.Data[ed ? 1 : 3][i] = ed ? "0" : "-0,05";
    }
    return cells;
}

TEST(IslandsTest, NodesWithoutAPathToAnEdNodeAreCutOff) {
    const struct {
        CellTexts cells;
        const char* message; // empty: nothing to report
    } cases[] = {
        {Network({{1, 2}, {2, 3}, {3, 4}}), ""},
        {Network({{1, 2}, {2, 3}}), "Il nodo 4 non \xC3\xA8 collegato al nodo di saldo 1."},
        {Network({{1, 2}, {3, 4}}), "I nodi 3, 4 non sono collegati al nodo di saldo 1."},
        {Network({{2, 3}, {3, 4}}), "I nodi 2, 3, 4 non sono collegati al nodo di saldo 1."},
        {Network({{2, 3}, {3, 4}}, "PEPE"), "Il nodo 1 non \xC3\xA8 collegato al nodo di saldo 2."},
        {Network({{1, 2}, {3, 4}}, "EPEP"), ""}, // each group has its Ed node
    };
    for (const auto& c : cases) {
        const Acquisition acquisition = Acquire("5", c.cells);
        ASSERT_EQ(acquisition.warning, std::nullopt) << c.message;
        const std::optional<CutOffNodes> found = FindCutOffNodes(acquisition.network);
        EXPECT_EQ(found ? CutOffMessage(*found) : "", c.message);
    }
}

} // namespace
} // namespace nodewise
