// A network as the nodal description the grid holds: the admittance matrix, and for every node
// its type and the two quantities given for it. The form both interchange directions meet in.
#pragma once

#include <array>

#include "core/model/calculation_options.h"
#include "core/model/network.h"

namespace nodewise {

struct NodalNetwork {
    int nodeCount = 0;
    Complex Y[MaxNodes][MaxNodes] = {}; // pu, symmetric
    int types[MaxNodes] = {};           // NodeType
    // The given quantities (the others are left at 0): E in pu, d in degrees, P and Q in pu.
    double E[MaxNodes] = {};
    double dDegrees[MaxNodes] = {};
    double P[MaxNodes] = {};
    double Q[MaxNodes] = {};
    // The reactive power a PE node's generators may give, pu; other nodes have none.
    std::array<ReactiveLimits, MaxNodes> reactiveLimits{};
};

} // namespace nodewise
