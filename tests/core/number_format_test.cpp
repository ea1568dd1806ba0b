#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "core/input/entry_syntax.h"
#include "core/model/units.h"
#include "core/text/number_format.h"

namespace nodewise {
namespace {

TEST(FormatGeneralTest, FifteenSignificantDigitsWithoutTrailingZeros) {
    EXPECT_EQ(FormatGeneral(0.00001234), "1.234E-5");
    EXPECT_EQ(FormatGeneral(0.0), "0");
    EXPECT_EQ(FormatGeneral(-0.0), "0");
    EXPECT_EQ(FormatGeneral(1.0), "1");
    EXPECT_EQ(FormatGeneral(-0.5), "-0.5");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatGeneral(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatGeneral(200.0 / 3.0), "66.6666666666667");
    EXPECT_EQ(FormatGeneral(-5.363069274), "-5.363069274");
    EXPECT_EQ(FormatGeneral(1234567.0), "1234567");
    EXPECT_EQ(FormatGeneral(0.0001), "0.0001");
    EXPECT_EQ(FormatGeneral(0.00012345), "0.00012345");
    EXPECT_EQ(FormatGeneral(0.000099999), "9.9999E-5");
    EXPECT_EQ(FormatGeneral(999999999999999.0), "999999999999999");
    EXPECT_EQ(FormatGeneral(1e15), "1E15");
    EXPECT_EQ(FormatGeneral(-123456789012345678.0), "-1.23456789012346E17");
    EXPECT_EQ(FormatGeneral(1e-300), "1E-300");
    EXPECT_EQ(FormatGeneral(2.5e-7), "2.5E-7");
    // rounding to 15 digits can carry into the next decade
    EXPECT_EQ(FormatGeneral(0.99999999999999999), "1");
    EXPECT_EQ(FormatGeneral(999999999999999.9), "1E15");
}

TEST(FormatGeneralTest, SeparatorIsAParameter) {
    EXPECT_EQ(FormatGeneral(-0.25, ','), "-0,25");
    EXPECT_EQ(FormatGeneral(0.00001234, ','), "1,234E-5");
    EXPECT_EQ(FormatGeneral(42.0, ','), "42");
    // a locale's separator of more than one byte (U+066B in UTF-8) replaces the point whole
    EXPECT_EQ(FormatGeneral(-0.25, "\xd9\xab"), "-0\xd9\xab"
                                                "25");
    EXPECT_EQ(FormatGeneral(0.00001234, "\xd9\xab"), "1\xd9\xab"
                                                     "234E-5");
    EXPECT_EQ(FormatGeneral(42.0, "\xd9\xab"), "42");
    EXPECT_EQ(FormatGeneral(-0.25, ","), "-0,25");
}

TEST(FormatGeneralTest, NonFiniteValuesHaveAText) {
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity()), "-INF");
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(FormatGeneralTest, PhaseThereAndBackShowsTheTypedDegrees) {
    EXPECT_EQ(FormatGeneral(30.0 * DegreesToRadians * RadiansToDegrees), "30");
    EXPECT_EQ(FormatGeneral(-12.5 * DegreesToRadians * RadiansToDegrees), "-12.5");
}

// The toolkit switches the C locale to the user's; nothing in the core may follow it.
TEST(LocaleTest, ItalianLocaleChangesNothing) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "it_IT.UTF-8") == nullptr) {
        GTEST_SKIP() << "it_IT.UTF-8 is not installed";
    }
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    const std::string italian = probe;
    const double parsed = DecimalConversion("1.25");
    const std::string formatted = FormatGeneral(-0.25);
    std::setlocale(LC_ALL, saved.c_str());

    EXPECT_EQ(italian, "1,5") << "the locale did not take effect";
    EXPECT_EQ(parsed, 1.25);
    EXPECT_EQ(formatted, "-0.25");
}

} // namespace
} // namespace nodewise
