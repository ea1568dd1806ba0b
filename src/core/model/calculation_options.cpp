#include "core/model/calculation_options.h"

#include <cmath>

namespace nodewise {

bool IsValidTolerance(double value) {
    return std::isfinite(value) && value > 0.0;
}

bool AllOff(const CalculationOptions& options) {
    return !options.stopTolerance && options.acceleration == PlainAcceleration &&
           !HasReactiveLimits(options);
}

bool HasReactiveLimits(const CalculationOptions& options) {
    for (const ReactiveLimits& limits : options.reactiveLimits) {
        if (limits.qmin || limits.qmax) {
            return true;
        }
    }
    return false;
}

bool IsValidAcceleration(double alpha) {
    return alpha >= PlainAcceleration && alpha < AccelerationLimit;
}

std::optional<std::string> OptionsProblem(const CalculationOptions& options) {
    if (options.stopTolerance && !IsValidTolerance(*options.stopTolerance)) {
        return ToleranceRuleText;
    }
    if (!IsValidAcceleration(options.acceleration)) {
        return "Il fattore di accelerazione deve essere almeno 1 e minore di 2.";
    }
    return std::nullopt;
}

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

std::optional<std::string> LimitsProblem(const Network& network,
                                         const CalculationOptions& options) {
    for (int i = 0; i < MaxNodes; ++i) {
        const ReactiveLimits& limits = options.reactiveLimits[i];
        if (!limits.qmin && !limits.qmax) {
            continue;
        }
        if (i >= network.ActiveNodeCount() || network.NodeTypes[i] != PE) {
            return "Limiti di potenza reattiva del nodo " + std::to_string(i + 1) +
                   ": valgono solo per un nodo PE (E e P dati, Q incognita).";
        }
        if (!AreUsableLimits(limits)) {
            return UnusableLimitsText(i, limits);
        }
    }
    return std::nullopt;
}

} // namespace nodewise
