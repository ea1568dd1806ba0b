// How the analysis shows its numbers: how many significant digits, and powers per unit or in
// MW and Mvar on a base power. The default style is the full 15-digit general format per unit,
// which every export wrote before a style could be chosen.
#pragma once

#include <string>

namespace nodewise {

inline constexpr int FullDigits = 15;
inline constexpr int DefaultShownDigits = 6;      // what the analysis windows start with
inline constexpr double DefaultBasePower = 100.0; // MVA

struct NumberStyle {
    int digits = FullDigits;
    bool megawatts = false;              // powers in MW / Mvar instead of pu
    double basePower = DefaultBasePower; // MVA, used when megawatts
};

// A power (P, Q, a flow, a loss, a mismatch) given per unit, in the style's unit.
double ShownPower(const NumberStyle& style, double perUnit);

// "pu" or "MW" / "Mvar".
const char* ActivePowerUnit(const NumberStyle& style);
const char* ReactivePowerUnit(const NumberStyle& style);
// "pu" or "MW/Mvar": the unit of a quantity that is active or reactive (a mismatch).
const char* PowerUnits(const NumberStyle& style);

// The number with the style's significant digits (general format, number_format.h).
std::string ShownNumber(const NumberStyle& style, double value, char decimalSeparator = '.');

// True when the style is the default one, whose texts are those of the full-digit exports.
bool IsDefaultStyle(const NumberStyle& style);

// A base power that can be used: finite and positive.
bool ValidBasePower(double basePower);

} // namespace nodewise
