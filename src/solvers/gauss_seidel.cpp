#include "solvers/gauss_seidel.h"

#include <cmath>
#include <string>

#include "input/entry_syntax.h"
#include "model/user_port.h"
#include "solvers/arithmetic_fault.h"

namespace nodewise {
namespace {

constexpr double RadiansToDegrees = 57.29577951308232;

// Newest value of node j while node i is updated in iteration k: entry k+1 for the nodes
// already updated in this iteration (j < i), entry k for the others.
int NewestEntry(int i, int j, int k) {
    return j < i ? k + 1 : k;
}

// E_i^k times the sum over every node j of |Y_ij| E_j sin(d_i - d_j - th_ij) (sin) or of the
// same with cos, with the newest values; the term j = i included.
template <double (*Trig)(double)> double ComputedInjection(int i) {
    const int n = ActiveNodeCount();
    const int k = IterGauss;
    const double Ei = EHistoryGauss[i][k];
    const double di = dHistoryGauss[i][k];
    double s = 0.0;
    for (int j = 0; j < n; ++j) {
        const int t = NewestEntry(i, j, k);
        s = s + YMag[i][j] * EHistoryGauss[j][t] * Trig(di - dHistoryGauss[j][t] - YAng[i][j]);
    }
    return Ei * s;
}

double Sine(double x) {
    return std::sin(x);
}
double Cosine(double x) {
    return std::cos(x);
}

void StoreComputedQ(int i) {
    QData[i] = Checked(ComputedInjection<Sine>(i));
}
void StoreComputedP(int i) {
    PData[i] = Checked(ComputedInjection<Cosine>(i));
}

// Entry k+1 of node i: the magnitude and phase of C + jR, or the present value kept. A fault
// raised while C + jR was computed stops the rule before either entry is written.
void StoreNewMagnitude(int i, Complex v) {
    const int k = IterGauss;
    EHistoryGauss[i][k + 1] = Checked(ComplexModulus(v.re, v.im) / YMag[i][i]);
}
void StoreNewPhase(int i, Complex v) {
    const int k = IterGauss;
    dHistoryGauss[i][k + 1] = Checked(ComplexAngle(v.re, v.im));
}
void KeepMagnitude(int i) {
    const int k = IterGauss;
    EHistoryGauss[i][k + 1] = Checked(EHistoryGauss[i][k]);
}
void KeepPhase(int i) {
    const int k = IterGauss;
    dHistoryGauss[i][k + 1] = Checked(dHistoryGauss[i][k]);
}

} // namespace

Complex GaussScaledVoltage(int i) {
    const int n = ActiveNodeCount();
    const int k = IterGauss;
    const double Ei = EHistoryGauss[i][k];
    const double A = dHistoryGauss[i][k] - YAng[i][i];
    const double P = PData[i];
    const double Q = QData[i];

    // j = 0..i-1 at iteration k+1, then j = i+1..n-1 at iteration k
    double Sc = 0.0;
    for (int j = 0; j < n; ++j) {
        if (j != i) {
            const int t = NewestEntry(i, j, k);
            Sc = Sc + YMag[i][j] * EHistoryGauss[j][t] *
                          std::cos(dHistoryGauss[j][t] + YAng[i][j] - YAng[i][i]);
        }
    }
    const double C = (P * std::cos(A) + Q * std::sin(A)) / Ei - Sc;

    double Ss = 0.0;
    for (int j = 0; j < n; ++j) {
        if (j != i) {
            const int t = NewestEntry(i, j, k);
            Ss = Ss + YMag[i][j] * EHistoryGauss[j][t] *
                          std::sin(dHistoryGauss[j][t] + YAng[i][j] - YAng[i][i]);
        }
    }
    const double R = (P * std::sin(A) - Q * std::cos(A)) / Ei - Ss;

    return Complex{C, R};
}

void GaussUpdateEd(int i) {
    KeepMagnitude(i);
    KeepPhase(i);
}

void GaussUpdatePQ(int i) {
    const Complex v = GaussScaledVoltage(i);
    StoreNewMagnitude(i, v);
    StoreNewPhase(i, v);
}

void GaussUpdatePE(int i) {
    StoreComputedQ(i);
    const Complex v = GaussScaledVoltage(i);
    KeepMagnitude(i);
    StoreNewPhase(i, v);
}

void GaussUpdatePd(int i) {
    StoreComputedQ(i);
    const Complex v = GaussScaledVoltage(i);
    StoreNewMagnitude(i, v);
    KeepPhase(i);
}

void GaussUpdateQE(int i) {
    StoreComputedP(i);
    const Complex v = GaussScaledVoltage(i);
    KeepMagnitude(i);
    StoreNewPhase(i, v);
}

void GaussUpdateQd(int i) {
    StoreComputedP(i);
    const Complex v = GaussScaledVoltage(i);
    StoreNewMagnitude(i, v);
    KeepPhase(i);
}

const GaussRule GaussRules[6] = {GaussUpdateEd, GaussUpdatePQ, GaussUpdatePE,
                                 GaussUpdatePd, GaussUpdateQE, GaussUpdateQd};

void GaussIterate() {
    ClearArithmeticFlags();
    const int n = ActiveNodeCount();
    const int K = LastHistoryEntry();

    // starting point, phases in radians
    for (int i = 0; i < n; ++i) {
        EHistoryGauss[i][0] = Checked(EData[i]);
        dHistoryGauss[i][0] = Checked(dData[i]);
    }

    for (IterGauss = 0; IterGauss < K; ++IterGauss) {
        CheckArithmetic();
        Port().setStatusPanel(1, std::to_string(IterGauss + 1));
        ClearArithmeticFlags();
        // nodes in ascending order, each by the rule of its type
        for (int i = 0; i < n; ++i) {
            const int type = NodeTypes[i];
            GaussRules[type >= Ed && type <= Qd ? type : Ed](i);
        }
    }

    // phases to degrees, entries 0..K
    for (int i = 0; i < n; ++i) {
        for (int t = 0; t <= K; ++t) {
            dHistoryGauss[i][t] = Checked(dHistoryGauss[i][t] * RadiansToDegrees);
        }
    }
}

} // namespace nodewise
