// Fast decoupled (Stott-Alsac) load flow: constant B' and B'' from the susceptances, inverted
// once per run; each iteration a Q-E half followed by a P-d half.
#pragma once

#include "core/model/calculation_options.h"
#include "core/model/network.h"
#include "core/model/run.h"

namespace nodewise {

// Runs `iterations` iterations of the network from its EData/dData and returns the run
// (phases in degrees), with how the inversions of B' and B'' ended. Callers ask DecideMethod
// (core/results/methods.h) first. Throws ArithmeticFault as GaussIterate does.
// With options: the run stops at the tolerance, and the PE nodes with reactive limits keep to
// them (B'' grows by the nodes held; the record holds the numbering in force).
[[nodiscard]] Run StottIterate(const Network& network, int iterations, SolverObserver& observer,
                               const CalculationOptions& options = {});

} // namespace nodewise
