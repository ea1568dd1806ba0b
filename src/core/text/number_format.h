// Number texts shown in the list views: the general format with 15 significant digits.
#pragma once

#include <string>
#include <string_view>

namespace nodewise {

// Rounded to 15 significant digits, trailing zeros dropped; fixed notation when the rounded
// magnitude is within [0.0001, 1e15), scientific otherwise ("1.234E-5", exponent without plus
// sign or leading zeros). Zero is "0"; infinities and NaN are "INF", "-INF" and "NAN".
std::string FormatGeneral(double value, char decimalSeparator = '.');

// The same with a separator of any length (a locale's, in UTF-8).
std::string FormatGeneral(double value, std::string_view decimalSeparator);

// The same rule with `digitCount` significant digits (1..17) instead of 15: fixed notation when
// the rounded magnitude is within [0.0001, 10^digitCount). FormatGeneral is digitCount 15.
std::string FormatSignificant(double value, int digitCount, char decimalSeparator = '.');
std::string FormatSignificant(double value, int digitCount, std::string_view decimalSeparator);

} // namespace nodewise
