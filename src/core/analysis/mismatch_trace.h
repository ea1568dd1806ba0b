// How far each stored iterate of a method is from satisfying the given injections.
#pragma once

#include <optional>
#include <vector>

#include "core/model/network.h"
#include "core/model/power_mismatch.h"
#include "core/model/run.h"

namespace nodewise {

// The tolerance the convergence is judged by unless the user chooses another, per unit.
inline constexpr double DefaultTolerance = 1e-8;

// The mismatch of entries 0..lastEntry of a history (phases in degrees).
std::vector<MismatchEntry> MismatchTrace(const Network& network, const HistoryRows& E,
                                         const HistoryRows& dDegrees, int lastEntry, int nodes);

// The trace of a run: entries 0..IterationCount of its nodes; a run with reactive limits in
// force has each entry judged with the limits that held its nodes there.
std::vector<MismatchEntry> MismatchTrace(const Network& network, const Run& run);

// The first entry whose mismatch is within the tolerance; none when no entry is.
[[nodiscard]] std::optional<int> ConvergedAt(const std::vector<MismatchEntry>& trace,
                                             double tolerance);

} // namespace nodewise
