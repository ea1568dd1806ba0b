// Nodes that the acquired network leaves without a path to a node of given voltage: no chain
// of non-zero off-diagonal admittances joins them to an Ed node, so no method can settle their
// voltages (singular matrices, a drift, or a voltage out of nothing).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nodewise {

struct CutOffNodes {
    std::vector<int> nodes; // 0-based, ascending
    int slack;              // the first Ed node, 0-based
};

// Read from the network in the workspace after a successful acquisition: the nodes of every
// group joined by non-zero off-diagonal admittances that holds no Ed node. Nothing when there
// are none, when no network is acquired, when it has fewer than two nodes or no Ed node.
std::optional<CutOffNodes> FindCutOffNodes();

// "I nodi 4, 5 non sono collegati al nodo di saldo 1." (one node: "Il nodo 4 non è collegato
// al nodo di saldo 1."), numbered from 1.
std::string CutOffMessage(const CutOffNodes& cutOff);

} // namespace nodewise
