// The tolerance rule: what reads as a tolerance, in the convergence window (the user's decimal
// separator) and in nodewise-cli report (a full stop only), and what it refuses.
#include <gtest/gtest.h>
#include <limits>
#include <optional>

#include "core/analysis/tolerance.h"

namespace nodewise {
namespace {

TEST(ToleranceTest, OnlyPositiveFiniteNumbersAreTolerances) {
    struct Case {
        const char* text;
        char separator;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"1e-8", '.', 1e-8},
        {"0.001", '.', 0.001},
        {" 2.5E-6 ", '.', 2.5e-6},
        {"+1e-3", '.', 1e-3},
        {"3", '.', 3.0},
        {".5", '.', 0.5},
        {"0,001", ',', 0.001}, // the user's separator
        {"0.001", ',', 0.001}, // a full stop is a decimal point even where it groups thousands
        {"1e300", '.', 1e300}, // large but finite
        {"0,001", '.', std::nullopt}, // a full stop only, unless the user's separator is a comma
        {"0", '.', std::nullopt},     // zero: nothing would ever converge
        {"0.0e5", '.', std::nullopt},
        {"-1e-8", '.', std::nullopt},
        {"-0", '.', std::nullopt},
        {"1e-400", '.', std::nullopt}, // underflows to zero
        {"1e400", '.', std::nullopt},  // overflows
        {"inf", '.', std::nullopt},
        {"nan", '.', std::nullopt},
        {"", '.', std::nullopt},
        {"   ", '.', std::nullopt},
        {"abc", '.', std::nullopt},
        {"1e-8x", '.', std::nullopt},
        {"1.000,5", ',', std::nullopt}, // no group separators
        {"1..5", '.', std::nullopt},
        {"0x1p-3", '.', std::nullopt},
        {"1e", '.', std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadTolerance(c.text, c.separator), c.expected)
            << "'" << c.text << "' with '" << c.separator << "'";
        if (c.expected) {
            EXPECT_TRUE(IsValidTolerance(*c.expected)) << c.text;
        }
    }
    EXPECT_FALSE(IsValidTolerance(0.0));
    EXPECT_FALSE(IsValidTolerance(-1e-8));
    EXPECT_FALSE(IsValidTolerance(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(IsValidTolerance(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(IsValidTolerance(std::numeric_limits<double>::denorm_min()));
}

} // namespace
} // namespace nodewise
