// The one rule for the tolerance the convergence is judged by, shared by the convergence window
// and nodewise-cli report: a positive, finite number of per unit.
#pragma once

#include <optional>
#include <string_view>

namespace nodewise {

// What the user is told when a tolerance breaks the rule, in a box with this caption.
inline constexpr const char* ToleranceRuleCaption = "Attenzione:";
inline constexpr const char* ToleranceRuleText =
    "La tolleranza deve essere un numero positivo e finito, per esempio 1e-8.";

// True for a positive, finite value.
bool IsValidTolerance(double value);

// Reads a tolerance typed as a decimal number, plain or with an exponent ("0.001", "1e-3",
// "+2.5E-6"), blanks around it ignored. The decimal separator is a full stop, or
// `decimalSeparator` when another one is given (the user's, in the desktop program); no group
// separators. Nothing when the text is not such a number or the number breaks the rule.
std::optional<double> ReadTolerance(std::string_view text, char decimalSeparator = '.');

} // namespace nodewise
