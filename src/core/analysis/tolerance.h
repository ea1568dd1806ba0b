// The one rule for the tolerance the convergence is judged by, shared by the convergence window
// and nodewise-cli report: a positive, finite number of per unit.
#pragma once

#include <optional>
#include <string_view>

#include "core/model/calculation_options.h" // the rule itself, IsValidTolerance

namespace nodewise {

// Reads a tolerance typed as a decimal number, plain or with an exponent ("0.001", "1e-3",
// "+2.5E-6"), blanks around it ignored. The decimal separator is a full stop, or
// `decimalSeparator` when another one is given (the user's, in the desktop program); no group
// separators. Nothing when the text is not such a number or the number breaks the rule.
std::optional<double> ReadTolerance(std::string_view text, char decimalSeparator = '.');

} // namespace nodewise
