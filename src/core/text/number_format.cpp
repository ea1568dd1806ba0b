#include "core/text/number_format.h"

#include "core/numeric/c_locale.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace nodewise {

std::string FormatGeneral(double value, char decimalSeparator) {
    return FormatSignificant(value, 15, decimalSeparator);
}

std::string FormatSignificant(double value, int digitCount, char decimalSeparator) {
    digitCount = digitCount < 1 ? 1 : (digitCount > 17 ? 17 : digitCount);
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    if (value == 0.0) {
        return "0";
    }

    // Round to the significant digits: "d.ddde[+-]x" in the C locale.
    char buffer[48];
    {
        const CLocaleScope cLocale;
        std::snprintf(buffer, sizeof buffer, "%.*e", digitCount - 1, value);
    }

    const char* p = buffer;
    const bool negative = *p == '-';
    if (negative) {
        ++p;
    }
    std::string digits;
    for (; *p != 'e'; ++p) {
        if (*p != '.') {
            digits.push_back(*p);
        }
    }
    const int exponent = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }

    std::string text = negative ? "-" : "";
    if (exponent >= -4 && exponent < digitCount) {
        if (exponent >= 0) {
            const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= integerDigits) {
                text += digits;
                text.append(integerDigits - digits.size(), '0');
            } else {
                text += digits.substr(0, integerDigits);
                text += decimalSeparator;
                text += digits.substr(integerDigits);
            }
        } else {
            text += '0';
            text += decimalSeparator;
            text.append(static_cast<std::size_t>(-exponent - 1), '0');
            text += digits;
        }
    } else {
        text += digits[0];
        if (digits.size() > 1) {
            text += decimalSeparator;
            text += digits.substr(1);
        }
        text += 'E';
        text += std::to_string(exponent);
    }
    return text;
}

std::string FormatGeneral(double value, std::string_view decimalSeparator) {
    return FormatSignificant(value, 15, decimalSeparator);
}

std::string FormatSignificant(double value, int digitCount, std::string_view decimalSeparator) {
    if (decimalSeparator.size() == 1) {
        return FormatSignificant(value, digitCount, decimalSeparator[0]);
    }
    // The point is the only separator in the text.
    std::string text = FormatSignificant(value, digitCount, '.');
    const std::size_t point = text.find('.');
    if (point != std::string::npos) {
        text.replace(point, 1, decimalSeparator);
    }
    return text;
}

} // namespace nodewise
