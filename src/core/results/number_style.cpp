#include "core/results/number_style.h"

#include <cmath>

#include "core/text/number_format.h"

namespace nodewise {

double ShownPower(const NumberStyle& style, double perUnit) {
    return style.megawatts ? perUnit * style.basePower : perUnit;
}

const char* ActivePowerUnit(const NumberStyle& style) {
    return style.megawatts ? "MW" : "pu";
}

const char* ReactivePowerUnit(const NumberStyle& style) {
    return style.megawatts ? "Mvar" : "pu";
}

const char* PowerUnits(const NumberStyle& style) {
    return style.megawatts ? "MW/Mvar" : "pu";
}

std::string ShownNumber(const NumberStyle& style, double value, char decimalSeparator) {
    return FormatSignificant(value, style.digits, decimalSeparator);
}

bool IsDefaultStyle(const NumberStyle& style) {
    return style.digits == FullDigits && !style.megawatts;
}

bool ValidBasePower(double basePower) {
    return std::isfinite(basePower) && basePower > 0.0;
}

} // namespace nodewise
