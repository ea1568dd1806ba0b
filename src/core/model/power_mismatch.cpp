#include "core/model/power_mismatch.h"

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

Phasor Voltage(double E, double dDegrees) {
    const double angle = dDegrees * DegreesToRadians;
    return {E * std::cos(angle), E * std::sin(angle)};
}

// Keeps the larger of two deviations; a NaN is larger than anything, so it is never hidden.
bool Exceeds(double candidate, const std::optional<double>& best) {
    return !best || !(candidate <= *best);
}

// How far Q lies outside the limits of a PE node that is not held (0 within; NaN stays NaN).
double OutsideLimits(const ReactiveLimits& limits, double Q) {
    if (std::isnan(Q)) {
        return Q;
    }
    if (limits.qmax && Q > *limits.qmax) {
        return Q - *limits.qmax;
    }
    if (limits.qmin && Q < *limits.qmin) {
        return *limits.qmin - Q;
    }
    return 0.0;
}

// The Q deviation of node i, if the node has a Q to judge: its given Q, or with limits in force
// the limit that holds it or the limits it must keep to.
std::optional<double> QDeviation(const Network& network, int i, double Q,
                                 const CalculationOptions* options, const HeldNodes* held) {
    const int type = network.NodeTypes[i];
    if (QGiven(type)) {
        return std::abs(network.QData[i] - Q);
    }
    if (options == nullptr || type != PE) {
        return std::nullopt;
    }
    const ReactiveLimits& limits = options->reactiveLimits[i];
    const HeldLimit limit = (*held)[i];
    if (limit == HeldLimit::Max && limits.qmax) {
        return std::abs(*limits.qmax - Q);
    }
    if (limit == HeldLimit::Min && limits.qmin) {
        return std::abs(*limits.qmin - Q);
    }
    if (limits.qmin || limits.qmax) {
        return OutsideLimits(limits, Q);
    }
    return std::nullopt;
}

MismatchEntry Judge(const Network& network, const NodePhasors& V, int nodes,
                    const CalculationOptions* options, const HeldNodes* held) {
    const auto& [NodeTypes, PData] = std::tie(network.NodeTypes, network.PData);
    const int n = Clamp(nodes, 0, MaxNodes);
    const NodePhasors S = NodeInjections(network, V, n);
    MismatchEntry entry;
    int nodeP = -1;
    int nodeQ = -1;
    for (int i = 0; i < n; ++i) {
        if (PGiven(NodeTypes[i])) {
            const double dP = std::abs(PData[i] - S[i].real());
            if (Exceeds(dP, entry.maxDP)) {
                entry.maxDP = dP;
                nodeP = i;
            }
        }
        const std::optional<double> dQ = QDeviation(network, i, S[i].imag(), options, held);
        if (dQ && Exceeds(*dQ, entry.maxDQ)) {
            entry.maxDQ = dQ;
            nodeQ = i;
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

} // namespace

NodePhasors EntryVoltages(const HistoryRows& E, const HistoryRows& dDegrees, int entry, int nodes) {
    NodePhasors V{};
    const int k = Clamp(entry, 0, MaxIterations - 1);
    const int n = Clamp(nodes, 0, MaxNodes);
    for (int i = 0; i < n; ++i) {
        V[i] = Voltage(E[i][k], dDegrees[i][k]);
    }
    return V;
}

NodePhasors StateVoltages(const double (&E)[MaxNodes], const double (&dDegrees)[MaxNodes],
                          int nodes) {
    NodePhasors V{};
    const int n = Clamp(nodes, 0, MaxNodes);
    for (int i = 0; i < n; ++i) {
        V[i] = Voltage(E[i], dDegrees[i]);
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
    return Judge(network, V, nodes, nullptr, nullptr);
}

MismatchEntry Mismatch(const Network& network, const NodePhasors& V, int nodes,
                       const CalculationOptions& options, const HeldNodes& held) {
    return Judge(network, V, nodes, &options, &held);
}

} // namespace nodewise
