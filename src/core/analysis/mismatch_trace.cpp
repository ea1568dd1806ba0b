#include "core/analysis/mismatch_trace.h"

#include <cmath>
#include <tuple>

#include "core/model/units.h"

namespace nodewise {

namespace {

Phasor Admittance(const Network& network, int i, int j) {
    return {network.YComplex[i][j].re, network.YComplex[i][j].im};
}

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

// Keeps the larger of two deviations; a NaN is larger than anything, so it is never hidden.
bool Exceeds(double candidate, const std::optional<double>& best) {
    return !best || !(candidate <= *best);
}

} // namespace

NodePhasors EntryVoltages(const HistoryRows& E, const HistoryRows& dDegrees, int entry, int nodes) {
    NodePhasors V{};
    const int k = Clamp(entry, 0, MaxIterations - 1);
    const int n = Clamp(nodes, 0, MaxNodes);
    for (int i = 0; i < n; ++i) {
        const double angle = dDegrees[i][k] * DegreesToRadians;
        V[i] = Phasor(E[i][k] * std::cos(angle), E[i][k] * std::sin(angle));
    }
    return V;
}

NodePhasors NodeInjections(const Network& network, const NodePhasors& V, int nodes) {
    NodePhasors S{};
    const int n = Clamp(nodes, 0, MaxNodes);
    for (int i = 0; i < n; ++i) {
        Phasor current = 0.0;
        for (int j = 0; j < n; ++j) {
            current += Admittance(network, i, j) * V[j];
        }
        S[i] = V[i] * std::conj(current);
    }
    return S;
}

MismatchEntry Mismatch(const Network& network, const NodePhasors& V, int nodes) {
    const auto& [NodeTypes, PData, QData] =
        std::tie(network.NodeTypes, network.PData, network.QData);
    const int n = Clamp(nodes, 0, MaxNodes);
    const NodePhasors S = NodeInjections(network, V, n);
    MismatchEntry entry;
    int nodeP = -1;
    int nodeQ = -1;
    for (int i = 0; i < n; ++i) {
        const int type = NodeTypes[i];
        if (PGiven(type)) {
            const double dP = std::abs(PData[i] - S[i].real());
            if (Exceeds(dP, entry.maxDP)) {
                entry.maxDP = dP;
                nodeP = i;
            }
        }
        if (QGiven(type)) {
            const double dQ = std::abs(QData[i] - S[i].imag());
            if (Exceeds(dQ, entry.maxDQ)) {
                entry.maxDQ = dQ;
                nodeQ = i;
            }
        }
    }
    // The larger of the two; a NaN wins, so that a broken iterate never counts as converged.
    const bool takeP = entry.maxDP && (!entry.maxDQ || std::isnan(*entry.maxDP) ||
                                       (!std::isnan(*entry.maxDQ) && *entry.maxDP >= *entry.maxDQ));
    if (takeP) {
        entry.mismatch = *entry.maxDP;
        entry.node = nodeP;
    } else if (entry.maxDQ) {
        entry.mismatch = *entry.maxDQ;
        entry.node = nodeQ;
    }
    return entry;
}

std::vector<MismatchEntry> MismatchTrace(const Network& network, const HistoryRows& E,
                                         const HistoryRows& dDegrees, int lastEntry, int nodes) {
    const int last = Clamp(lastEntry, -1, MaxIterations - 1);
    std::vector<MismatchEntry> trace;
    trace.reserve(static_cast<std::size_t>(last + 1));
    for (int k = 0; k <= last; ++k) {
        trace.push_back(Mismatch(network, EntryVoltages(E, dDegrees, k, nodes), nodes));
    }
    return trace;
}

std::vector<MismatchEntry> MismatchTrace(const Network& network, const Run& run) {
    return MismatchTrace(network, run.EHistory.rows(), run.dHistory.rows(), run.IterationCount,
                         run.NodeCount);
}

std::optional<int> ConvergedAt(const std::vector<MismatchEntry>& trace, double tolerance) {
    for (std::size_t k = 0; k < trace.size(); ++k) {
        if (trace[k].mismatch <= tolerance) {
            return static_cast<int>(k);
        }
    }
    return std::nullopt;
}

} // namespace nodewise
