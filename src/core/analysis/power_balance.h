// Where the power goes at the last iterate of a run: every node's injection, the flow through
// every series element, the shunt elements and the network losses.
#pragma once

#include <vector>

#include "core/analysis/mismatch_trace.h"

namespace nodewise {

struct NodeBalance {
    int node = 0; // 0-based
    int type = Ed;
    double E = 0.0;
    double dDegrees = 0.0;
    double P = 0.0; // computed from the state, whether given or not
    double Q = 0.0;
};

// The series element between nodes i < j, of admittance -Y_ij.
struct BranchFlow {
    int from = 0;   // i, 0-based
    int to = 0;     // j
    Phasor fromEnd; // S_ij = V_i conj(-Y_ij (V_i - V_j)), leaving node i into the element
    Phasor toEnd;   // S_ji = V_j conj(-Y_ji (V_j - V_i))
    Phasor loss;    // S_ij + S_ji
};

// The element from a node to the reference, of admittance y_i = sum over j of Y_ij (rounding
// noise is no element: core/model/shunts.h).
struct ShuntFlow {
    int node = 0;
    Phasor admittance;
    Phasor power; // |V_i|^2 conj(y_i), drawn by the element
};

struct PowerBalance {
    std::vector<NodeBalance> nodes;
    std::vector<BranchFlow> branches; // every pair i < j with Y_ij != 0, i then j ascending
    std::vector<ShuntFlow> shunts;    // every node with an element to ground
    Phasor losses;                    // sum of the node injections
};

// The balance of entry `entry` of a history (phases in degrees) on the network.
PowerBalance ComputePowerBalance(const Network& network, const HistoryRows& E,
                                 const HistoryRows& dDegrees, int entry, int nodes);

// The balance at the last entry of a run.
PowerBalance ComputePowerBalance(const Network& network, const Run& run);

} // namespace nodewise
