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
    int types[MaxNodes] = {};
    for (int i = 0; i < n; ++i) {
        types[i] = held[i] != HeldLimit::None ? static_cast<int>(PQ) : network.NodeTypes[i];
    }
    NumberSystem(types, n, numbering);
    numbering.QEquationCount = numbering.UnknownCount - numbering.PEquationCount;
    numbering.dUnknownCount = numbering.UnknownCount - numbering.EUnknownCount;
    return numbering;
}

} // namespace nodewise
