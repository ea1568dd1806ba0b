// Gauss-Seidel load flow in polar form, one update rule per node type.
#pragma once

#include "core/model/calculation_options.h"
#include "core/model/network.h"
#include "core/model/run.h"

namespace nodewise {

// Runs `iterations` iterations of the network from its EData/dData and returns the run
// (phases in degrees), with the P or Q each rule computed in its PData/QData. Throws
// ArithmeticFault where a division by zero, an invalid operation or an overflow occurs. With
// options: the run stops at the tolerance, each update moves alpha times as far, and the PE
// nodes with reactive limits keep to them (a held node's QData is its limit).
[[nodiscard]] Run GaussIterate(const Network& network, int iterations, SolverObserver& observer,
                               const CalculationOptions& options = {});

} // namespace nodewise
