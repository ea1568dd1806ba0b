// How far each stored iterate of a method is from satisfying the given injections.
#pragma once

#include <array>
#include <complex>
#include <optional>
#include <vector>

#include "core/model/network.h"
#include "core/model/run.h"

namespace nodewise {

// The tolerance the convergence is judged by unless the user chooses another, per unit.
inline constexpr double DefaultTolerance = 1e-8;

using Phasor = std::complex<double>;
using NodePhasors = std::array<Phasor, MaxNodes>;

// V_i = E_i e^(j d_i) of entry `entry` of a history whose phases are in degrees (as after a
// run), for nodes 0..nodes-1.
NodePhasors EntryVoltages(const HistoryRows& E, const HistoryRows& dDegrees, int entry, int nodes);

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

// The mismatch of entries 0..lastEntry of a history (phases in degrees).
std::vector<MismatchEntry> MismatchTrace(const Network& network, const HistoryRows& E,
                                         const HistoryRows& dDegrees, int lastEntry, int nodes);

// The trace of a run: entries 0..IterationCount of its nodes.
std::vector<MismatchEntry> MismatchTrace(const Network& network, const Run& run);

// The first entry whose mismatch is within the tolerance; none when no entry is.
std::optional<int> ConvergedAt(const std::vector<MismatchEntry>& trace, double tolerance);

} // namespace nodewise
