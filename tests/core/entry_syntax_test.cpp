#include <climits>
#include <cmath>
#include <gtest/gtest.h>

#include "core/input/entry_syntax.h"

namespace nodewise {
namespace {

struct AdmittanceCase {
    const char* text;
    double re;
    double im;
};

class ParseAdmittanceTest : public ::testing::TestWithParam<AdmittanceCase> {};

TEST_P(ParseAdmittanceTest, ReadsTheTypedText) {
    const AdmittanceCase& c = GetParam();
    const Complex y = ParseAdmittance(c.text);
    EXPECT_EQ(y.re, c.re) << "«" << c.text << "»";
    EXPECT_EQ(y.im, c.im) << "«" << c.text << "»";
}

INSTANTIATE_TEST_SUITE_P(
    CellTexts, ParseAdmittanceTest,
    ::testing::Values(AdmittanceCase{"1,23 + 0,37 j", 1.23, 0.37},
                      AdmittanceCase{"-3,21 - 2 j", -3.21, -2.0}, AdmittanceCase{"1", 1.0, 0.0},
                      AdmittanceCase{"+5", 5.0, 0.0}, AdmittanceCase{"- j", 0.0, -1.0},
                      AdmittanceCase{"j", 0.0, 1.0}, AdmittanceCase{"5j", 0.0, 5.0},
                      AdmittanceCase{"1+j", 1.0, 1.0}, AdmittanceCase{"1.5-0.25j", 1.5, -0.25},
                      AdmittanceCase{"+-2", -2.0, 0.0},
                      // a second number without the marker is dropped
                      AdmittanceCase{"1+2", 1.0, 0.0},
                      // only the lower-case j marks the imaginary part
                      AdmittanceCase{"1,23+0,37J", 1.23, 0.0}, AdmittanceCase{"2j3", 0.0, 2.0},
                      AdmittanceCase{"abc", 0.0, 0.0}, AdmittanceCase{"1e3", 1.0, 0.0},
                      // strtod stops at the second point
                      AdmittanceCase{"1,2,3", 1.2, 0.0},
                      // blanks only, or nothing to read, are 0 and never a fault
                      AdmittanceCase{"   ", 0.0, 0.0}, AdmittanceCase{"+", 0.0, 0.0},
                      AdmittanceCase{"-", -0.0, 0.0}, AdmittanceCase{".j", 0.0, 0.0},
                      AdmittanceCase{"1-5j", 1.0, -5.0}, AdmittanceCase{"-1+5j", -1.0, 5.0},
                      // tabs are not blanks: they end the part being read
                      AdmittanceCase{"1\t+2j", 1.0, 0.0}));

// What a cell reads and what it leaves unread: the value is the one ParseAdmittance gives,
// the unused text what played no part in it.
struct UnusedTextCase {
    const char* text;
    double re;
    double im;
    const char* unused;
};

TEST(ReadAdmittanceTest, ReportsTheTextItDidNotUse) {
    const UnusedTextCase cases[] = {
        {"-1+5J", -1.0, 0.0, "+5J"}, // a capital J is no marker: the part is dropped
        {"1,23 + 0,37 J", 1.23, 0.0, "+0,37J"},
        {"1-5j", 1.0, -5.0, ""},    // read whole
        {"3 - 4 j", 3.0, -4.0, ""}, // blanks are never unused
        {"j", 0.0, 1.0, ""},
        {"1+2", 1.0, 0.0, "+2"},
        {"2j3", 0.0, 2.0, "3"}, // after the marker
        {"1-5j x", 1.0, -5.0, "x"},
        {"abc", 0.0, 0.0, "abc"},
        {"1e3", 1.0, 0.0, "e3"},
        {"1,2,3", 1.2, 0.0, ",3"}, // the conversion stops at the second separator
        {"1..5-5j", 1.0, -5.0, ".5"},
        {"1,2,3+4,5,6j", 1.2, 4.5, ",3 ,6"}, // two unused stretches
        {".j", 0.0, 0.0, "."},
        {"\t1-5j", 0.0, 0.0, "\t1-5j"}, // a tab ends the first part at once
        {"   ", 0.0, 0.0, ""},
    };
    for (const UnusedTextCase& c : cases) {
        const AdmittanceReading reading = ReadAdmittance(c.text);
        EXPECT_EQ(reading.value.re, c.re) << "«" << c.text << "»";
        EXPECT_EQ(reading.value.im, c.im) << "«" << c.text << "»";
        EXPECT_EQ(reading.unused, c.unused) << "«" << c.text << "»";
        EXPECT_EQ(ParseAdmittance(c.text).re, c.re) << "«" << c.text << "»";
    }
}

TEST(FilterNumberTest, KeepsOnlyNumberCharacters) {
    EXPECT_EQ(FilterNumber("1,05 pu"), "1.05");
    EXPECT_EQ(FilterNumber("3e2"), "32");
    EXPECT_EQ(FilterNumber("abc"), "");
    EXPECT_EQ(FilterNumber("2.5"), "2.5");
    EXPECT_EQ(FilterNumber(" -0,5 "), "-0.5");
    EXPECT_EQ(FilterNumber(std::string("1\0002", 3)), "12");
}

TEST(ConversionTest, DecimalFollowsStrtodOnTheLongestPrefix) {
    EXPECT_EQ(DecimalConversion("1.05"), 1.05);
    EXPECT_EQ(DecimalConversion("-0.5"), -0.5);
    EXPECT_EQ(DecimalConversion("+.5"), 0.5);
    EXPECT_EQ(DecimalConversion("5."), 5.0);
    EXPECT_EQ(DecimalConversion("1.2.3"), 1.2);
    EXPECT_EQ(DecimalConversion("1-2"), 1.0);
    EXPECT_EQ(DecimalConversion("-"), 0.0);
    EXPECT_EQ(DecimalConversion("."), 0.0);
    EXPECT_EQ(DecimalConversion("+-1"), 0.0);
    EXPECT_EQ(DecimalConversion(""), 0.0);
    // nothing but plain decimals: no hexadecimal, exponent, inf or nan
    EXPECT_EQ(DecimalConversion("0x10"), 0.0);
    EXPECT_EQ(DecimalConversion("1e5"), 1.0);
    EXPECT_EQ(DecimalConversion("inf"), 0.0);
    EXPECT_EQ(DecimalConversion(std::string(400, '9')), HUGE_VAL);
}

TEST(ConversionTest, IntegerFollowsAtoiAndSaturates) {
    EXPECT_EQ(IntegerConversion("2.5"), 2);
    EXPECT_EQ(IntegerConversion("-5"), -5);
    EXPECT_EQ(IntegerConversion("+7x"), 7);
    EXPECT_EQ(IntegerConversion("+-5"), 0);
    EXPECT_EQ(IntegerConversion("."), 0);
    EXPECT_EQ(IntegerConversion("2147483647"), INT_MAX);
    EXPECT_EQ(IntegerConversion("2147483648"), INT_MAX);
    EXPECT_EQ(IntegerConversion("-2147483648"), INT_MIN);
    EXPECT_EQ(IntegerConversion("-99999999999999999999999"), INT_MIN);
    EXPECT_EQ(IntegerConversion(std::string(5000, '9')), INT_MAX);
}

TEST(PolarFormTest, AnglesLieBetweenMinusHalfPiAndThreeHalvesPi) {
    const double pi = 3.141592653589793;
    EXPECT_DOUBLE_EQ(ComplexAngle(-1, 1), 3 * pi / 4);
    EXPECT_DOUBLE_EQ(ComplexAngle(-1, -1), 5 * pi / 4);
    EXPECT_EQ(ComplexAngle(0, -2), 1.5 * pi);
    EXPECT_EQ(ComplexAngle(0, 2), pi / 2);
    EXPECT_EQ(ComplexAngle(-1, 0), pi);
    EXPECT_EQ(ComplexAngle(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(ComplexAngle(1, -5), std::atan(-5.0));
    EXPECT_EQ(ComplexModulus(3, -4), 5.0);
}

TEST(PolarFormTest, PolarPairGivesBackTheRectangularForm) {
    const double values[] = {-7.5, -1, -0.001, 0, 0.25, 1, 19.5};
    for (double re : values) {
        for (double im : values) {
            const double m = ComplexModulus(re, im);
            const double a = ComplexAngle(re, im);
            EXPECT_NEAR(m * std::cos(a), re, 1e-12 * (1 + m)) << re << " " << im;
            EXPECT_NEAR(m * std::sin(a), im, 1e-12 * (1 + m)) << re << " " << im;
        }
    }
}

} // namespace
} // namespace nodewise
