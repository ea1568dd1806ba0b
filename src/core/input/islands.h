// Nodes that the acquired network leaves without a path to a node of given voltage: no chain
// of non-zero off-diagonal admittances joins them to an Ed node, so no method can settle their
// voltages (singular matrices, a drift, or a voltage out of nothing).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/network.h"

namespace nodewise {

struct CutOffNodes {
    std::vector<int> nodes; // 0-based, ascending
    int slack;              // the first Ed node, 0-based
};

// The nodes of every group of an acquired network joined by non-zero off-diagonal admittances
// that holds no Ed node. Nothing when there are none, when the network has fewer than two nodes
// or no Ed node.
std::optional<CutOffNodes> FindCutOffNodes(const Network& network);

// "I nodi 4, 5 non sono collegati al nodo di saldo 1." (one node: "Il nodo 4 non è collegato
// al nodo di saldo 1."), numbered from 1.
std::string CutOffMessage(const CutOffNodes& cutOff);

} // namespace nodewise
