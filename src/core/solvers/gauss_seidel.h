// Gauss-Seidel load flow in polar form, one update rule per node type.
#pragma once

#include "core/model/network.h"
#include "core/model/run.h"

namespace nodewise {

// Runs `iterations` iterations of the network from its EData/dData and returns the run
// (phases in degrees), with the P or Q each rule computed in its PData/QData. Throws
// ArithmeticFault where a division by zero, an invalid operation or an overflow occurs.
[[nodiscard]] Run GaussIterate(const Network& network, int iterations, SolverObserver& observer);

} // namespace nodewise
