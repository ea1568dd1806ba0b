// Full Newton-Raphson load flow in polar form on the reduced system of the given P and Q
// equations and the unknown E and d.
#pragma once

#include "core/model/calculation_options.h"
#include "core/model/network.h"
#include "core/model/run.h"

namespace nodewise {

// Runs `iterations` iterations of the network from its EData/dData and returns the run
// (phases in degrees). Throws ArithmeticFault as GaussIterate does; an inversion that fails is
// told to the observer and does not stop the run.
// With options: the run stops at the tolerance, and the PE nodes with reactive limits keep to
// them (the system grows by the nodes held; the record holds the numbering in force).
[[nodiscard]] Run NewtonIterate(const Network& network, int iterations, SolverObserver& observer,
                                const CalculationOptions& options = {});

// The Jacobian elements at entry `entry` of a history whose phases are in radians: i the node
// of the equation, j the node of the unknown.
struct NewtonPartials {
    double dPdE, dPdd, dQdE, dQdd;
};
[[nodiscard]] NewtonPartials NewtonPartialsAt(const Network& network, const HistoryRows& E,
                                              const HistoryRows& dRadians, int entry, int i, int j);

} // namespace nodewise
