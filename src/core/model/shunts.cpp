#include "core/model/shunts.h"

#include <cfloat>
#include <cmath>

namespace nodewise {

namespace {

// Seven elements summed, each read from a decimal text: a few ulps each, with room to spare,
// and still some ten orders of magnitude below the charging of any real line.
constexpr double NoiseRoundings = 64.0;

} // namespace

double ShuntNoise(const Complex (&Y)[MaxNodes][MaxNodes], int row, int nodes) {
    double size = 0.0;
    for (int k = 0; k < nodes; ++k) {
        size += std::fabs(Y[row][k].re) + std::fabs(Y[row][k].im);
    }
    return NoiseRoundings * DBL_EPSILON * size;
}

Complex ShuntAdmittance(const Complex (&Y)[MaxNodes][MaxNodes], int row, int nodes) {
    Complex sum = {0.0, 0.0};
    for (int k = 0; k < nodes; ++k) {
        sum.re += Y[row][k].re;
        sum.im += Y[row][k].im;
    }
    const double noise = ShuntNoise(Y, row, nodes);
    if (std::fabs(sum.re) <= noise) {
        sum.re = 0.0;
    }
    if (std::fabs(sum.im) <= noise) {
        sum.im = 0.0;
    }
    return sum;
}

bool HasShunt(const Complex (&Y)[MaxNodes][MaxNodes], int row, int nodes) {
    const Complex y = ShuntAdmittance(Y, row, nodes);
    return y.re != 0.0 || y.im != 0.0;
}

} // namespace nodewise
