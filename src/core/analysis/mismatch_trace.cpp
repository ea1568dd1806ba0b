#include "core/analysis/mismatch_trace.h"

namespace nodewise {

namespace {

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

} // namespace

std::vector<MismatchEntry> MismatchTrace(const Network& network, const HistoryRows& E,
                                         const HistoryRows& dDegrees, int lastEntry, int nodes) {
    const int last = Clamp(lastEntry, -1, MaxIterations - 1);
    std::vector<MismatchEntry> trace;
    trace.reserve(static_cast<std::size_t>(last) + 1);
    for (int k = 0; k <= last; ++k) {
        trace.push_back(Mismatch(network, EntryVoltages(E, dDegrees, k, nodes), nodes));
    }
    return trace;
}

std::vector<MismatchEntry> MismatchTrace(const Network& network, const Run& run) {
    if (run.heldLimits.empty()) {
        return MismatchTrace(network, run.EHistory.rows(), run.dHistory.rows(), run.IterationCount,
                             run.NodeCount);
    }
    const int last = Clamp(run.IterationCount, -1, static_cast<int>(run.heldLimits.size()) - 1);
    std::vector<MismatchEntry> trace;
    trace.reserve(static_cast<std::size_t>(last) + 1);
    for (int k = 0; k <= last; ++k) {
        const NodePhasors V =
            EntryVoltages(run.EHistory.rows(), run.dHistory.rows(), k, run.NodeCount);
        trace.push_back(Mismatch(network, V, run.NodeCount, run.options,
                                 run.heldLimits[static_cast<std::size_t>(k)]));
    }
    return trace;
}

std::optional<int> ConvergedAt(const std::vector<MismatchEntry>& trace, double tolerance) {
    for (std::size_t k = 0; k < trace.size(); ++k) {
        if (WithinTolerance(trace[k].mismatch, tolerance)) {
            return static_cast<int>(k);
        }
    }
    return std::nullopt;
}

} // namespace nodewise
