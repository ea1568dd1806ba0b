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
// pair of nodes and of th_ii for every node. The mismatches and the Jacobian are formed from
// them with the very operations of the element routines, so the values are the same bit for
// bit; the flags are read once per vector or matrix. When a fault shows, the vector or matrix
// is formed again by the element routines with every store checked, so that the run stops
// exactly where those would stop.
struct PowerTerms {
    double cosA[MaxNodes][MaxNodes];
    double sinA[MaxNodes][MaxNodes];
    double cosTh[MaxNodes];
    double sinTh[MaxNodes];
};

PowerTerms terms;

void LoadTerms(int N) {
    for (int i = 0; i < N; ++i) {
        for (int m = 0; m < N; ++m) {
            const double a = Angle(i, m);
            terms.cosA[i][m] = std::cos(a);
            terms.sinA[i][m] = std::sin(a);
        }
        terms.cosTh[i] = std::cos(YAng[i][i]);
        terms.sinTh[i] = std::sin(YAng[i][i]);
    }
}

// True when nothing computed since the flags were last cleared raised a fault.
bool NoFault(const void* results) {
    asm volatile("" : : "r"(results) : "memory");
    return PendingArithmeticFault() == nullptr;
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

namespace {

// Given minus calculated: P rows 0..nP-1, then Q rows nP..n-1; the terms already loaded.
void MismatchFromTerms() {
    const int N = ActiveNodeCount();
    const int n = SystemOrder();
    const int nP = PRows();
    double mismatch[MaxOrder];
    for (int r = 0; r < n; ++r) {
        const int i = EquationNodes[r];
        const double(&trig)[MaxNodes] = r < nP ? terms.cosA[i] : terms.sinA[i];
        double s = 0.0;
        for (int m = 0; m < N; ++m) {
            s = s + YMag[i][m] * E(m) * trig[m];
        }
        mismatch[r] = (r < nP ? PData[i] : QData[i]) - E(i) * s;
    }
    if (NoFault(mismatch)) {
        for (int r = 0; r < n; ++r) {
            MismatchNewton[r] = mismatch[r];
        }
        return;
    }
    ClearArithmeticFlags();
    for (int r = 0; r < nP; ++r) {
        const int i = EquationNodes[r];
        MismatchNewton[r] = Checked(PData[i] - E(i) * PowerSum<Cosine>(i, true));
    }
    for (int r = nP; r < n; ++r) {
        const int i = EquationNodes[r];
        MismatchNewton[r] = Checked(QData[i] - E(i) * PowerSum<Sine>(i, true));
    }
}

// Rows: P equations, then Q equations; columns: E unknowns 0..nE-1, then d unknowns nE..n-1.
// The terms already loaded.
void JacobianFromTerms() {
    const int N = ActiveNodeCount();
    const int n = SystemOrder();
    const int nP = PRows();
    const int nE = EColumns();

    // S_c and S_s of every node, m = 0..N-1 skipping i
    double Sc[MaxNodes];
    double Ss[MaxNodes];
    for (int i = 0; i < N; ++i) {
        double sc = 0.0;
        double ss = 0.0;
        for (int m = 0; m < N; ++m) {
            if (m != i) {
                const double yE = YMag[i][m] * E(m);
                sc = sc + yE * terms.cosA[i][m];
                ss = ss + yE * terms.sinA[i][m];
            }
        }
        Sc[i] = sc;
        Ss[i] = ss;
    }

    double J[MaxOrder][MaxOrder];
    for (int r = 0; r < n; ++r) {
        const int i = EquationNodes[r];
        const double Ei = E(i);
        for (int c = 0; c < n; ++c) {
            const int j = UnknownNodes[c];
            double element;
            if (r < nP && c < nE) { // dP/dE
                element = j != i ? Ei * YMag[i][j] * terms.cosA[i][j]
                                 : Sc[i] + 2.0 * YMag[i][i] * Ei * terms.cosTh[i];
            } else if (r < nP) { // dP/dd
                element = j != i ? Ei * E(j) * YMag[i][j] * terms.sinA[i][j] : -Ei * Ss[i];
            } else if (c < nE) { // dQ/dE
                element = j != i ? Ei * YMag[i][j] * terms.sinA[i][j]
                                 : Ss[i] - 2.0 * YMag[i][i] * Ei * terms.sinTh[i];
            } else { // dQ/dd
                element = j != i ? -Ei * E(j) * YMag[i][j] * terms.cosA[i][j] : Ei * Sc[i];
            }
            J[r][c] = element;
        }
    }
    if (NoFault(J)) {
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                Jacobian[r][c] = J[r][c];
            }
        }
        return;
    }
    ClearArithmeticFlags();
    for (int r = 0; r < n; ++r) {
        const int i = EquationNodes[r];
        for (int c = 0; c < n; ++c) {
            const int j = UnknownNodes[c];
            double element;
            if (r < nP) {
                element = c < nE ? dPdE(i, j) : dPdd(i, j);
            } else {
                element = c < nE ? dQdE(i, j) : dQdd(i, j);
            }
            Jacobian[r][c] = Checked(element);
        }
    }
}

} // namespace

void NewtonMismatch() {
    LoadTerms(ActiveNodeCount());
    MismatchFromTerms();
}

void NewtonJacobian() {
    LoadTerms(ActiveNodeCount());
    JacobianFromTerms();
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

        // NewtonMismatch and NewtonJacobian, sharing one set of trigonometric terms
        LoadTerms(N);
        MismatchFromTerms();
        JacobianFromTerms();
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
