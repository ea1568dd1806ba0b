#include "core/analysis/tolerance.h"

#include <charconv>
#include <cmath>
#include <string>

namespace nodewise {

std::optional<double> ReadTolerance(std::string_view text, char decimalSeparator) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    // Digits, one separator, an exponent: nothing else (from_chars alone would also take "inf",
    // "nan" and a leading minus, which the rule refuses anyway).
    std::string number;
    bool separatorSeen = false;
    for (char c : text) {
        if (c == '.' || c == decimalSeparator) {
            if (separatorSeen) {
                return std::nullopt;
            }
            separatorSeen = true;
            number.push_back('.');
        } else if ((c >= '0' && c <= '9') || c == 'e' || c == 'E' || c == '+' || c == '-') {
            number.push_back(c);
        } else {
            return std::nullopt;
        }
    }
    double value = 0.0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value);
    if (number.empty() || error != std::errc() || stop != end || !IsValidTolerance(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace nodewise
