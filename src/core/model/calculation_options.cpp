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

std::optional<std::string> LimitsProblem(const Network& network,
                                         const CalculationOptions& options) {
    for (int i = 0; i < MaxNodes; ++i) {
        const ReactiveLimits& limits = options.reactiveLimits[i];
        if (!limits.qmin && !limits.qmax) {
            continue;
        }
        const std::string node = "Nodo " + std::to_string(i + 1) + ": ";
        if (i >= network.ActiveNodeCount() || network.NodeTypes[i] != PE) {
            return node + "i limiti di potenza reattiva valgono solo per un nodo PE (E e P dati).";
        }
        if ((limits.qmin && !std::isfinite(*limits.qmin)) ||
            (limits.qmax && !std::isfinite(*limits.qmax))) {
            return node + "un limite di potenza reattiva deve essere un numero finito.";
        }
        if (limits.qmin && limits.qmax && *limits.qmin > *limits.qmax) {
            return node + "Qmin è maggiore di Qmax.";
        }
    }
    return std::nullopt;
}

} // namespace nodewise
