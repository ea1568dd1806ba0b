// How far one state of the network is from satisfying its equations: the voltages of a history
// entry, the injections they give, and the largest deviation from the given powers. One
// computation for the convergence trace and for a run that stops at a tolerance.
#pragma once

#include <array>
#include <complex>
#include <optional>

#include "core/model/calculation_options.h"
#include "core/model/network.h"
#include "core/model/run.h"

namespace nodewise {

using Phasor = std::complex<double>;
using NodePhasors = std::array<Phasor, MaxNodes>;

// V_i = E_i e^(j d_i) of entry `entry` of a history whose phases are in degrees (as after a
// run), for nodes 0..nodes-1.
NodePhasors EntryVoltages(const HistoryRows& E, const HistoryRows& dDegrees, int entry, int nodes);

// The same from one state, node-indexed, phases in degrees.
NodePhasors StateVoltages(const double (&E)[MaxNodes], const double (&dDegrees)[MaxNodes],
                          int nodes);

// S_i = V_i conj(sum over j = 0..nodes-1 of Y_ij V_j), with the network's YComplex.
NodePhasors NodeInjections(const Network& network, const NodePhasors& V, int nodes);

struct MismatchEntry {
    std::optional<double> maxDP; // max |P given - Re S_i| over PQ, PE, Pd nodes; none without
    std::optional<double> maxDQ; // max |Q given - Im S_i| over PQ, QE, Qd nodes; none without
    double mismatch = 0.0;       // the larger of the two; 0 when the network has no equation
    int node = -1;               // 0-based node where it occurs; -1 when there is none
};

// The mismatch of one state against the given PData/QData of the network.
MismatchEntry Mismatch(const Network& network, const NodePhasors& V, int nodes);

// The same with reactive limits in force: a PE node held at a limit is judged by its Q against
// that limit, and a PE node with limits that is not held by how far its Q lies outside them
// (0 within), so that no state breaking a limit passes for a solution.
MismatchEntry Mismatch(const Network& network, const NodePhasors& V, int nodes,
                       const CalculationOptions& options, const HeldNodes& held);

// The comparison every convergence judgement uses: a NaN is never within.
inline bool WithinTolerance(double mismatch, double tolerance) {
    return mismatch <= tolerance;
}

} // namespace nodewise
