#include "core/solvers/reactive_limits.h"

namespace nodewise {

const ReactiveLimits* LimitsOf(const Network& network, const CalculationOptions& options, int i) {
    const ReactiveLimits& limits = options.reactiveLimits[i];
    if (i < network.ActiveNodeCount() && network.NodeTypes[i] == PE &&
        (limits.qmin || limits.qmax)) {
        return &limits;
    }
    return nullptr;
}

bool NodeLimits(const Network& network, const CalculationOptions& options,
                const ReactiveLimits* (&limits)[MaxNodes]) {
    bool limited = false;
    for (int i = 0; i < network.ActiveNodeCount(); ++i) {
        limits[i] = LimitsOf(network, options, i);
        limited = limited || limits[i] != nullptr;
    }
    return limited;
}

HeldLimit BrokenLimit(const ReactiveLimits& limits, double Q) {
    if (limits.qmax && Q > *limits.qmax) {
        return HeldLimit::Max;
    }
    if (limits.qmin && Q < *limits.qmin) {
        return HeldLimit::Min;
    }
    return HeldLimit::None;
}

double HeldQ(const ReactiveLimits& limits, HeldLimit limit) {
    return limit == HeldLimit::Max ? *limits.qmax : *limits.qmin;
}

bool LetGo(HeldLimit limit, double E, double EGiven) {
    return limit == HeldLimit::Max ? E >= EGiven : (limit == HeldLimit::Min && E <= EGiven);
}

Numbering HeldNumbering(const Network& network, const HeldNodes& held) {
    Numbering numbering = network.SystemNumbering();
    const int n = network.ActiveNodeCount();
    const auto type = [&](int i) {
        return held[i] != HeldLimit::None ? static_cast<int>(PQ) : network.NodeTypes[i];
    };
    // P equations and E unknowns first, then Q equations and d unknowns, as acquisition numbers
    // them.
    int equations = 0;
    int unknowns = 0;
    for (int i = 0; i < n; ++i) {
        if (PGiven(type(i))) {
            numbering.EquationNodes[equations++] = i;
        }
        if (!EGiven(type(i))) {
            numbering.UnknownNodes[unknowns++] = i;
        }
    }
    numbering.PEquationCount = equations;
    numbering.EUnknownCount = unknowns;
    for (int i = 0; i < n; ++i) {
        if (QGiven(type(i))) {
            numbering.EquationNodes[equations++] = i;
        }
        if (!dGiven(type(i))) {
            numbering.UnknownNodes[unknowns++] = i;
        }
    }
    numbering.UnknownCount = unknowns;
    numbering.QEquationCount = unknowns - numbering.PEquationCount;
    numbering.dUnknownCount = unknowns - numbering.EUnknownCount;
    return numbering;
}

} // namespace nodewise
