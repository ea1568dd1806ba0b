#include "core/model/reactive_limit_rules.h"

#include <cmath>

namespace nodewise {

namespace {

bool IsFiniteOrUnset(const std::optional<double>& bound) {
    return !bound || std::isfinite(*bound);
}

} // namespace

bool AreUsableLimits(const ReactiveLimits& limits) {
    if (!IsFiniteOrUnset(limits.qmin) || !IsFiniteOrUnset(limits.qmax)) {
        return false;
    }
    return !(limits.qmin && limits.qmax && *limits.qmin > *limits.qmax);
}

std::string UnusableLimitsText(int node, const ReactiveLimits& limits) {
    const std::string head =
        "Limiti di potenza reattiva del nodo " + std::to_string(node + 1) + ": ";
    if (!IsFiniteOrUnset(limits.qmin) || !IsFiniteOrUnset(limits.qmax)) {
        return head + "Qmin e Qmax devono essere numeri finiti.";
    }
    return head + "Qmin \xC3\xA8 maggiore di Qmax.";
}

} // namespace nodewise
