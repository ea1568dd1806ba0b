#include "solvers/newton_raphson.h"

#include <cmath>
#include <string>

#include "model/user_port.h"
#include "model/workspace.h"
#include "solvers/arithmetic_fault.h"
#include "solvers/matrix_inversion.h"

namespace nodewise {
namespace {

constexpr double RadiansToDegrees = 57.29577951308232;

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

// Order of the system, and the block boundaries within it.
int SystemOrder() {
    return Clamp(UnknownCount, 0, MaxOrder);
}
int PRows() {
    return Clamp(PEquationCount, 0, SystemOrder());
}
int EColumns() {
    return Clamp(EUnknownCount, 0, SystemOrder());
}

double E(int i) {
    return EHistoryNewton[i][IterNewton];
}
double d(int i) {
    return dHistoryNewton[i][IterNewton];
}

// a_im = d_i - d_m - th_im
double Angle(int i, int m) {
    return d(i) - d(m) - YAng[i][m];
}

// Sum over every node m (ascending) of y_im E_m cos(a_im), or with sin; with or without m = i.
template <double (*Trig)(double)> double PowerSum(int i, bool includeOwn) {
    const int N = ActiveNodeCount();
    double s = 0.0;
    for (int m = 0; m < N; ++m) {
        if (includeOwn || m != i) {
            s = s + YMag[i][m] * E(m) * Trig(Angle(i, m));
        }
    }
    return s;
}

double Sine(double x) {
    return std::sin(x);
}
double Cosine(double x) {
    return std::cos(x);
}

// The trigonometric terms of one iteration, each computed once: cos and sin of a_im for every
// pair of nodes and of th_ii for every node, and the sums S_c, S_s without the own term. The
// values are those the element routines compute one by one, bit for bit.
struct PowerTerms {
    double cosA[MaxNodes][MaxNodes];
    double sinA[MaxNodes][MaxNodes];
    double cosTh[MaxNodes];
    double sinTh[MaxNodes];
    double Sc[MaxNodes];
    double Ss[MaxNodes];
};

PowerTerms terms;

void LoadTrigTerms(int N) {
    for (int i = 0; i < N; ++i) {
        for (int m = 0; m < N; ++m) {
            const double a = Angle(i, m);
            terms.cosA[i][m] = std::cos(a);
            terms.sinA[i][m] = std::sin(a);
        }
    }
}

void LoadJacobianTerms(int N) {
    LoadTrigTerms(N);
    for (int i = 0; i < N; ++i) {
        terms.cosTh[i] = std::cos(YAng[i][i]);
        terms.sinTh[i] = std::sin(YAng[i][i]);
        double sc = 0.0;
        double ss = 0.0;
        for (int m = 0; m < N; ++m) {
            if (m != i) {
                const double yE = YMag[i][m] * E(m);
                sc = sc + yE * terms.cosA[i][m];
                ss = ss + yE * terms.sinA[i][m];
            }
        }
        terms.Sc[i] = sc;
        terms.Ss[i] = ss;
    }
}

double FastdPdE(int i, int j) {
    if (j != i) {
        return E(i) * YMag[i][j] * terms.cosA[i][j];
    }
    return terms.Sc[i] + 2.0 * YMag[i][i] * E(i) * terms.cosTh[i];
}
double FastdPdd(int i, int j) {
    if (j != i) {
        return E(i) * E(j) * YMag[i][j] * terms.sinA[i][j];
    }
    return -E(i) * terms.Ss[i];
}
double FastdQdE(int i, int j) {
    if (j != i) {
        return E(i) * YMag[i][j] * terms.sinA[i][j];
    }
    return terms.Ss[i] - 2.0 * YMag[i][i] * E(i) * terms.sinTh[i];
}
double FastdQdd(int i, int j) {
    if (j != i) {
        return -E(i) * E(j) * YMag[i][j] * terms.cosA[i][j];
    }
    return E(i) * terms.Sc[i];
}

} // namespace

double dPdE(int i, int j) {
    if (j != i) {
        return E(i) * YMag[i][j] * std::cos(Angle(i, j));
    }
    return PowerSum<Cosine>(i, false) + 2.0 * YMag[i][i] * E(i) * std::cos(YAng[i][i]);
}

double dPdd(int i, int j) {
    if (j != i) {
        return E(i) * E(j) * YMag[i][j] * std::sin(Angle(i, j));
    }
    return -E(i) * PowerSum<Sine>(i, false);
}

double dQdE(int i, int j) {
    if (j != i) {
        return E(i) * YMag[i][j] * std::sin(Angle(i, j));
    }
    return PowerSum<Sine>(i, false) - 2.0 * YMag[i][i] * E(i) * std::sin(YAng[i][i]);
}

double dQdd(int i, int j) {
    if (j != i) {
        return -E(i) * E(j) * YMag[i][j] * std::cos(Angle(i, j));
    }
    return E(i) * PowerSum<Cosine>(i, false);
}

// Given minus calculated: P rows 0..nP-1, then Q rows nP..n-1.
void NewtonMismatch() {
    const int N = ActiveNodeCount();
    const int n = SystemOrder();
    const int nP = PRows();
    LoadTrigTerms(N);
    for (int r = 0; r < n; ++r) {
        const int i = EquationNodes[r];
        const double(&trig)[MaxNodes] = r < nP ? terms.cosA[i] : terms.sinA[i];
        double s = 0.0;
        for (int m = 0; m < N; ++m) {
            s = s + YMag[i][m] * E(m) * trig[m];
        }
        const double given = r < nP ? PData[i] : QData[i];
        MismatchNewton[r] = Checked(given - E(i) * s);
    }
}

// Rows: P equations, then Q equations; columns: E unknowns 0..nE-1, then d unknowns nE..n-1.
void NewtonJacobian() {
    LoadJacobianTerms(ActiveNodeCount());
    const int n = SystemOrder();
    const int nP = PRows();
    const int nE = EColumns();
    for (int r = 0; r < n; ++r) {
        const int i = EquationNodes[r];
        double* row = Jacobian[r];
        for (int c = 0; c < n; ++c) {
            const int j = UnknownNodes[c];
            double element;
            if (r < nP) {
                element = c < nE ? FastdPdE(i, j) : FastdPdd(i, j);
            } else {
                element = c < nE ? FastdQdE(i, j) : FastdQdd(i, j);
            }
            row[c] = Checked(element);
        }
    }
}

void NewtonInvert() {
    InvMatr(Jacobian, JacobianInverse, SystemOrder());
}

void NewtonCorrection() {
    const int n = SystemOrder();
    for (int r = 0; r < n; ++r) {
        double s = 0.0;
        for (int c = 0; c < n; ++c) {
            s = s + JacobianInverse[r][c] * MismatchNewton[c];
        }
        CorrectionNewton[r] = Checked(s);
    }
}

void NewtonIterate() {
    ClearArithmeticFlags();
    const int N = ActiveNodeCount();
    const int K = LastHistoryEntry();
    const int n = SystemOrder();
    const int nE = EColumns();

    // starting values in every entry 0..K: given quantities stay as they are
    for (int i = 0; i < N; ++i) {
        const double E0 = Checked(EData[i]);
        const double d0 = Checked(dData[i]);
        for (int t = 0; t <= K; ++t) {
            EHistoryNewton[i][t] = E0;
            dHistoryNewton[i][t] = d0;
        }
    }

    for (IterNewton = 0; IterNewton < K;) {
        const int k = IterNewton;
        CheckArithmetic();
        Port().setStatusPanel(1, std::to_string(k + 1));
        ClearArithmeticFlags();

        NewtonMismatch();
        NewtonJacobian();
        NewtonInvert();
        NewtonCorrection();

        // magnitudes: columns 0..nE-1
        for (int c = 0; c < nE; ++c) {
            const int j = UnknownNodes[c];
            EHistoryNewton[j][k + 1] = Checked(EHistoryNewton[j][k] + CorrectionNewton[c]);
        }
        // phases: columns nE..n-1, radians
        for (int c = nE; c < n; ++c) {
            const int j = UnknownNodes[c];
            dHistoryNewton[j][k + 1] = Checked(dHistoryNewton[j][k] + CorrectionNewton[c]);
        }
        IterNewton = k + 1;
    }

    // phases to degrees, entries 0..K
    for (int i = 0; i < N; ++i) {
        for (int t = 0; t <= K; ++t) {
            dHistoryNewton[i][t] = Checked(dHistoryNewton[i][t] * RadiansToDegrees);
        }
    }
}

} // namespace nodewise
