// The entry syntax against its documented steps. What follows states the rules again, step by
// step and independently of the program's code: the admittance text, the filter of the data
// cells, the decimal and integer conversions and the polar angle. Any input on which the two
// disagree, to the last bit, is a finding.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <string_view>

#include "core/input/entry_syntax.h"
#include "core/numeric/arithmetic_fault.h"

namespace {

using nodewise::Complex;

// strtod with a full stop, as the rules say: the longest valid prefix, 0 without one.
double Strtod(const std::string& text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return strtod_l(text.c_str(), nullptr, c);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The admittance text, in the ten documented steps.
Complex Admittance(std::string_view text) {
    // 1. every blank removed; a test past the end fails
    std::string s;
    for (char c : text) {
        if (c != ' ') {
            s += c;
        }
    }
    std::size_t at = 0;
    const auto is = [&](char c) { return at < s.size() && s[at] == c; };
    const auto sign = [&] {
        double value = 1.0;
        if (is('+')) {
            ++at;
        }
        if (is('-')) {
            value = -1.0;
            ++at;
        }
        return value;
    };
    const auto number = [&] {
        std::string digits;
        while (at < s.size() && (IsDigit(s[at]) || s[at] == '.' || s[at] == ',')) {
            digits += s[at] == ',' ? '.' : s[at];
            ++at;
        }
        return Strtod(digits);
    };
    const double first = sign(); // 2.
    if (is('j')) {               // 3.
        return {0.0, first * 1.0};
    }
    const double a = number(); // 4.
    if (is('j')) {             // 5.
        return {0.0, first * a};
    }
    const double re = first * a; // 6.
    if (at >= s.size()) {
        return {re, 0.0};
    }
    const double second = sign(); // 7.
    if (is('j')) {                // 8.
        return {re, second * 1.0};
    }
    const double b = number(); // 9.
    if (is('j')) {             // 10.
        return {re, second * b};
    }
    return {re, 0.0};
}

std::string Filter(std::string_view text) {
    std::string kept;
    for (char c : text) {
        if (IsDigit(c) || c == '+' || c == '-' || c == '.') {
            kept += c;
        } else if (c == ',') {
            kept += '.';
        }
    }
    return kept;
}

// atoi rules, saturating outside the range of an int.
int Integer(const std::string& text) {
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// The angle by its table of cases.
double Angle(double re, double im) {
    if (re > 0) {
        return std::atan(im / re);
    }
    if (re < 0) {
        return std::atan(im / re) + 3.141592653589793;
    }
    if (im > 0) {
        return 1.5707963267948966;
    }
    return im < 0 ? 4.71238898038469 : 0.0;
}

bool Same(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

void Require(bool holds, const char* what, std::string_view text) {
    if (!holds) {
        std::fprintf(stderr, "%s differs from the documented steps for a text of %zu bytes\n", what,
                     text.size());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const Complex program = nodewise::ParseAdmittance(text);
    const Complex steps = Admittance(text);
    Require(Same(program.re, steps.re), "the real part", text);
    Require(Same(program.im, steps.im), "the imaginary part", text);

    const std::string filtered = nodewise::FilterNumber(text);
    Require(filtered == Filter(text), "the filtered number", text);
    Require(Same(nodewise::DecimalConversion(filtered), Strtod(filtered)), "a data cell", text);
    Require(nodewise::IntegerConversion(filtered) == Integer(filtered), "the iteration count",
            text);

    try {
        Require(Same(nodewise::ComplexAngle(steps.re, steps.im), Angle(steps.re, steps.im)),
                "the polar angle", text);
        Require(Same(nodewise::ComplexModulus(steps.re, steps.im),
                     std::sqrt(steps.re * steps.re + steps.im * steps.im)),
                "the modulus", text);
    } catch (const nodewise::ArithmeticFault&) {
        // an overflowing number: the program stops there, as with the trap
    }
    return 0;
}
