#include "core/interop/entry_texts.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "core/input/entry_syntax.h"

namespace nodewise {

namespace {

constexpr int MaxSignificantDigits = 17;

// |value| in plain decimal notation rounded to `digits` significant digits, trailing zeros of
// the fraction dropped. `value` is finite and not zero.
std::string PlainMagnitude(double value, int digits) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, digits - 1);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    std::string mantissa; // the significant digits, without the point
    for (char c : text.substr(0, e)) {
        if (c != '.') {
            mantissa.push_back(c);
        }
    }
    while (mantissa.size() > 1 && mantissa.back() == '0') {
        mantissa.pop_back();
    }
    const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());

    std::string plain;
    if (exponent < 0) {
        plain = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
    } else {
        const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (mantissa.size() <= integerDigits) {
            plain = mantissa + std::string(integerDigits - mantissa.size(), '0');
        } else {
            plain = mantissa.substr(0, integerDigits) + "." + mantissa.substr(integerDigits);
        }
    }
    return plain;
}

// The shortest plain text of `value` (sign included) that `readBack` turns into a number within
// `tolerance` of `value` (0: exactly `value`).
template <class ReadBack>
std::optional<std::string> ShortestText(double value, ReadBack readBack, double tolerance = 0.0) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    if (value == 0.0) {
        return std::string("0");
    }
    for (int digits = 1; digits <= MaxSignificantDigits; ++digits) {
        std::string text = PlainMagnitude(value, digits);
        if (value < 0.0) {
            text.insert(text.begin(), '-');
        }
        if (std::fabs(readBack(text) - value) <= tolerance) {
            return text;
        }
    }
    return std::nullopt; // not reached: 17 digits identify every double
}

double ReadDataEntry(const std::string& text) {
    return DecimalConversion(FilterNumber(text));
}

double ReadRealPart(const std::string& text) {
    return ParseAdmittance(text).re;
}

double ReadImaginaryPart(const std::string& text) {
    return ParseAdmittance(text + "j").im;
}

} // namespace

std::optional<std::string> FormatDataEntry(double value) {
    std::optional<std::string> text = ShortestText(value, ReadDataEntry);
    if (!text || text->size() > MaxCellTextLength) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> FormatAdmittanceEntry(Complex y, bool diagonal) {
    return FormatAdmittanceNear(y, 0.0, diagonal);
}

std::optional<std::string> FormatAdmittanceNear(Complex y, double tolerance, bool diagonal) {
    const std::optional<std::string> re = ShortestText(y.re, ReadRealPart, tolerance);
    const std::optional<std::string> im = ShortestText(y.im, ReadImaginaryPart, tolerance);
    if (!re || !im) {
        return std::nullopt;
    }
    // A part that reads back as 0 is left out, as a part that is 0.
    const bool reZero = ReadRealPart(*re) == 0.0;
    const bool imZero = ReadImaginaryPart(*im) == 0.0;
    std::string text;
    if (imZero) {
        text = (reZero && !diagonal) ? std::string() : *re;
    } else if (reZero) {
        text = *im + "j";
    } else {
        text = *re + (im->front() == '-' ? "" : "+") + *im + "j";
    }
    // The whole text must read back as it was meant, not only each part on its own.
    const Complex back = text.empty() ? Complex{0.0, 0.0} : ParseAdmittance(text);
    if (text.size() > MaxCellTextLength || !(std::fabs(back.re - y.re) <= tolerance) ||
        !(std::fabs(back.im - y.im) <= tolerance)) {
        return std::nullopt;
    }
    return text;
}

} // namespace nodewise
