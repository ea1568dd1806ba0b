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

} // namespace nodewise
