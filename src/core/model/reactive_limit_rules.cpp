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

std::optional<int> NodeWithUnusableLimits(const CalculationOptions& options) {
    for (int node = 0; node < MaxNodes; ++node) {
        if (!AreUsableLimits(options.reactiveLimits[node])) {
            return node;
        }
    }
    return std::nullopt;
}

std::string UnusableLimitsText(int node, const ReactiveLimits& limits) {
    const std::string head =
        "Limiti di potenza reattiva del nodo " + std::to_string(node + 1) + ": ";
    if (!IsFiniteOrUnset(limits.qmin) || !IsFiniteOrUnset(limits.qmax)) {
        return head + "Qmin e Qmax devono essere numeri finiti.";
    }
    return head + "Qmin \xC3\xA8 maggiore di Qmax.";
}

std::optional<std::string> CompleteOptionsProblem(const CalculationOptions& options) {
    if (std::optional<std::string> problem = OptionsProblem(options)) {
        return problem;
    }
    if (const std::optional<int> node = NodeWithUnusableLimits(options)) {
        return UnusableLimitsText(*node, options.reactiveLimits[*node]);
    }
    return std::nullopt;
}

} // namespace nodewise
