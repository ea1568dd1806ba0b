#include "core/input/entry_syntax.h"

#include "core/numeric/c_locale.h"
#include "core/numeric/trapping_double.h" // the polar formulas, shared with the solvers

#include <climits>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace nodewise {

namespace {

// strtod in the "C" locale, whatever the process locale is (the toolkit switches it to the
// user's, where the decimal separator may be a comma).
double StrtodC(const char* text) {
    return strtod_l(text, nullptr, CLocale());
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Where the plain decimal strtod would read from `pos` ends: an optional sign, digits, an
// optional point and digits. `digits` tells whether there was any digit.
std::size_t DecimalEnd(std::string_view text, std::size_t pos, bool& digits) {
    digits = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
    }
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
        digits = true;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) {
            ++pos;
            digits = true;
        }
    }
    return pos;
}

// Past the leading white space, as strtod and atoi skip it.
std::size_t SkipSpace(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) {
        ++pos;
    }
    return pos;
}

// The digit string of an admittance part: digits and points, commas read as points.
std::string CollectDigits(std::string_view s, std::size_t& pos) {
    std::string digits;
    while (pos < s.size() && (IsDigit(s[pos]) || s[pos] == '.' || s[pos] == ',')) {
        digits.push_back(s[pos] == ',' ? '.' : s[pos]);
        ++pos;
    }
    return digits;
}

// How many leading characters of a digit string the decimal conversion reads: up to its
// second point; none when it holds no digit there.
std::size_t UsedDigits(const std::string& digits) {
    const std::size_t firstPoint = digits.find('.');
    const std::size_t secondPoint =
        firstPoint == std::string::npos ? std::string::npos : digits.find('.', firstPoint + 1);
    const std::size_t used = secondPoint == std::string::npos ? digits.size() : secondPoint;
    for (std::size_t i = 0; i < used; ++i) {
        if (IsDigit(digits[i])) {
            return used;
        }
    }
    return 0;
}

int ReadSign(std::string_view s, std::size_t& pos) {
    int sign = 1;
    if (pos < s.size() && s[pos] == '+') {
        ++pos;
    }
    if (pos < s.size() && s[pos] == '-') {
        sign = -1;
        ++pos;
    }
    return sign;
}

bool At(std::string_view s, std::size_t pos, char c) {
    return pos < s.size() && s[pos] == c;
}

} // namespace

Complex ParseAdmittance(std::string_view text) {
    return ReadAdmittance(text).value;
}

AdmittanceReading ReadAdmittance(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (c != ' ') {
            s.push_back(c);
        }
    }
    std::size_t pos = 0;
    std::string unused;
    auto leave = [&unused, &s](std::size_t from, std::size_t to) {
        if (from < to && from < s.size()) {
            if (!unused.empty()) {
                unused.push_back(' ');
            }
            unused.append(s, from, to - from);
        }
    };
    // A digit string read up to its second point: the rest of it is not part of the number.
    auto number = [&](std::size_t start) {
        const std::string digits = CollectDigits(s, pos);
        leave(start + UsedDigits(digits), pos);
        return DecimalConversion(digits);
    };
    auto afterMarker = [&](Complex value) {
        leave(pos + 1, s.size()); // anything after the j is ignored
        return AdmittanceReading{value, unused};
    };

    int sign = ReadSign(s, pos);
    if (At(s, pos, 'j')) {
        return afterMarker({0.0, sign * 1.0});
    }
    const double first = number(pos);
    if (At(s, pos, 'j')) {
        return afterMarker({0.0, sign * first});
    }
    const double re = sign * first;
    if (pos >= s.size()) {
        return {{re, 0.0}, unused};
    }

    const std::size_t secondStart = pos;
    sign = ReadSign(s, pos);
    if (At(s, pos, 'j')) {
        return afterMarker({re, sign * 1.0});
    }
    const std::size_t unusedBefore = unused.size();
    const double second = number(pos);
    if (At(s, pos, 'j')) {
        return afterMarker({re, sign * second});
    }
    // A second number without the marker is dropped, and with it the rest of the text.
    unused.resize(unusedBefore);
    leave(secondStart, s.size());
    return {{re, 0.0}, unused};
}

std::string FilterNumber(std::string_view text) {
    std::string filtered;
    filtered.reserve(text.size());
    for (char c : text) {
        if (c == ',') {
            filtered.push_back('.');
        } else if (IsDigit(c) || c == '+' || c == '-' || c == '.') {
            filtered.push_back(c);
        }
    }
    return filtered;
}

DataReading ReadData(std::string_view text) {
    const std::string filtered = FilterNumber(text);
    // What the conversion reads of the filtered text: sign, digits, one point, digits.
    bool digits = false;
    const std::size_t used = DecimalEnd(filtered, 0, digits);
    // Walk the text without its blanks: a character is used when the filter keeps it and it
    // lies within what the conversion read.
    std::string unused;
    std::size_t kept = 0;
    bool inStretch = false;
    for (char c : text) {
        if (c == ' ') {
            continue;
        }
        const bool keptByFilter = IsDigit(c) || c == '+' || c == '-' || c == '.' || c == ',';
        const bool isUsed = keptByFilter && kept++ < used;
        if (isUsed) {
            inStretch = false;
            continue;
        }
        if (!inStretch && !unused.empty()) {
            unused.push_back(' ');
        }
        unused.push_back(c);
        inStretch = true;
    }
    const bool given = !filtered.empty();
    return {given, given ? DecimalConversion(filtered) : 0.0, unused};
}

double ComplexModulus(double re, double im) {
    return PolarModulus(re, im);
}

double ComplexAngle(double re, double im) {
    return PolarAngle(re, im);
}

double DecimalConversion(std::string_view text) {
    const std::size_t pos = SkipSpace(text);
    // Only the longest prefix strtod would read, restricted to plain decimal notation, so that
    // hexadecimal, exponents, "inf" and "nan" are never taken from the text.
    bool digits = false;
    const std::size_t end = DecimalEnd(text, pos, digits);
    if (!digits) {
        return 0.0;
    }
    return StrtodC(std::string(text.substr(pos, end - pos)).c_str());
}

int IntegerConversion(std::string_view text) {
    std::size_t pos = SkipSpace(text);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    long long value = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    while (pos < text.size() && IsDigit(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        if (value > limit) {
            return negative ? INT_MIN : INT_MAX;
        }
        ++pos;
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace nodewise
