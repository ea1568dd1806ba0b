// How the texts typed into the cells become numbers. Nothing here ever fails: whatever
// cannot be read is skipped or read as 0. Every conversion is independent of the process
// locale and accepts both a comma and a point as the decimal separator.
#pragma once

#include <string>
#include <string_view>

#include "core/model/network.h"

namespace nodewise {

// "<sign><real part><sign><imaginary part>j", blanks ignored; see the help text of the
// admittance matrix. Only the lower-case j marks the imaginary part.
Complex ParseAdmittance(std::string_view text);

// How an admittance text was read: the value ParseAdmittance gives, and the characters that
// played no part in it ("-1+5J" reads -1 and leaves "+5J"; "1,2,3j" leaves ",3"). Blanks are
// never counted as unused; separate unused stretches are joined by one blank.
struct AdmittanceReading {
    Complex value;
    std::string unused;
};
AdmittanceReading ReadAdmittance(std::string_view text);

// Keeps digits, '+', '-' and '.', turning every comma into a point; drops everything else.
std::string FilterNumber(std::string_view text);

// How a node data text was read: given when the filtered text is not empty, the value the
// decimal conversion reads of it, and the characters that played no part: those the filter
// drops and those after the conversion stopped ("1e3" reads 13 and leaves "e"; "1-2x" reads 1
// and leaves "-2x"). Blanks are never counted as unused; separate unused stretches are joined
// by one blank.
struct DataReading {
    bool given;
    double value;
    std::string unused;
};
DataReading ReadData(std::string_view text);

// sqrt(re*re + im*im).
double ComplexModulus(double re, double im);

// Polar angle in radians, -pi/2 < angle < 3pi/2 (a negative real part gives an angle above
// pi/2); 0 for 0 + 0j.
double ComplexAngle(double re, double im);

// strtod rules with a point as separator: the longest valid prefix (optional sign, digits,
// optional point and digits; no exponent, no hexadecimal, no inf or nan); 0 when there is
// none. Values beyond the range of a double give an infinity, as strtod does.
double DecimalConversion(std::string_view text);

// atoi rules (optional sign, then digits up to the first other character; no digits gives 0),
// except that a value outside the range of an int saturates at INT_MIN or INT_MAX instead of
// being undefined.
int IntegerConversion(std::string_view text);

} // namespace nodewise
