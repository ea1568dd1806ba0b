#include "core/solvers/newton_raphson.h"

#include <cmath>
#include <string>

#include "core/model/units.h"
#include "core/model/workspace.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/numeric/trapping_double.h"
#include "core/platform/user_port.h"
#include "core/solvers/matrix_inversion.h"

namespace nodewise {
namespace {

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
template <class T> T AngleOf(int i, int m) {
    return T(d(i)) - d(m) - YAng[i][m];
}

// Sum over every node m (ascending) of y_im E_m cos(a_im), or with sin; with or without m = i.
template <class T, T (*Trig)(T)> T PowerSum(int i, bool includeOwn) {
    const int N = ActiveNodeCount();
    T s = 0.0;
    for (int m = 0; m < N; ++m) {
        if (includeOwn || m != i) {
            const T yE = T(YMag[i][m]) * E(m);
            const T trig = Trig(AngleOf<T>(i, m));
            s = s + yE * trig;
        }
    }
    return s;
}

// The trigonometric terms of one iteration, each computed once: cos and sin of a_im for every
// pair of nodes and of th_ii for every node. The mismatches and the Jacobian are formed from
// them with the very operations of the element routines, so the values are the same bit for
// bit; the flags are read once per vector or matrix. When a fault shows, the vector or matrix
// is formed again, element by element in order, by the element routines on TrappingDouble:
// the run stops at the first faulting operation, with the elements before it stored, and
// goes on if the fault came from a term that no element uses.
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

namespace {

// The Jacobian elements, in the order their operations are defined in.
template <class T> T PartialPE(int i, int j) {
    const T Ei = E(i);
    if (j != i) {
        const T f = Ei * YMag[i][j];
        return f * Cos(AngleOf<T>(i, j));
    }
    const T others = PowerSum<T, Cos>(i, false);
    const T own = T(2.0) * YMag[i][i] * Ei;
    return others + own * Cos(T(YAng[i][i]));
}

template <class T> T PartialPd(int i, int j) {
    const T Ei = E(i);
    if (j != i) {
        const T f = Ei * E(j) * YMag[i][j];
        return f * Sin(AngleOf<T>(i, j));
    }
    return -Ei * PowerSum<T, Sin>(i, false);
}

template <class T> T PartialQE(int i, int j) {
    const T Ei = E(i);
    if (j != i) {
        const T f = Ei * YMag[i][j];
        return f * Sin(AngleOf<T>(i, j));
    }
    const T others = PowerSum<T, Sin>(i, false);
    const T own = T(2.0) * YMag[i][i] * Ei;
    return others - own * Sin(T(YAng[i][i]));
}

template <class T> T PartialQd(int i, int j) {
    const T Ei = E(i);
    if (j != i) {
        const T f = -Ei * E(j) * YMag[i][j];
        return f * Cos(AngleOf<T>(i, j));
    }
    return Ei * PowerSum<T, Cos>(i, false);
}

// Given minus calculated, row r: P rows 0..nP-1, then Q rows nP..n-1.
template <class T> T MismatchRow(int r) {
    const int i = EquationNodes[r];
    if (r < PRows()) {
        return T(PData[i]) - E(i) * PowerSum<T, Cos>(i, true);
    }
    return T(QData[i]) - E(i) * PowerSum<T, Sin>(i, true);
}

// Row r: P equations, then Q equations; column c: E unknowns 0..nE-1, then d unknowns nE..n-1.
template <class T> T JacobianElement(int r, int c) {
    const int i = EquationNodes[r];
    const int j = UnknownNodes[c];
    if (r < PRows()) {
        return c < EColumns() ? PartialPE<T>(i, j) : PartialPd<T>(i, j);
    }
    return c < EColumns() ? PartialQE<T>(i, j) : PartialQd<T>(i, j);
}

// Row r of the inverse times the mismatches, c = 0..n-1.
template <class T> T CorrectionRow(int r) {
    const int n = SystemOrder();
    T s = 0.0;
    for (int c = 0; c < n; ++c) {
        s = s + T(JacobianInverse[r][c]) * MismatchNewton[c];
    }
    return s;
}

} // namespace

double dPdE(int i, int j) {
    return PartialPE<double>(i, j);
}
double dPdd(int i, int j) {
    return PartialPd<double>(i, j);
}
double dQdE(int i, int j) {
    return PartialQE<double>(i, j);
}
double dQdd(int i, int j) {
    return PartialQd<double>(i, j);
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
    for (int r = 0; r < n; ++r) {
        MismatchNewton[r] = MismatchRow<TrappingDouble>(r).value();
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
        for (int c = 0; c < n; ++c) {
            Jacobian[r][c] = JacobianElement<TrappingDouble>(r, c).value();
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
        CorrectionNewton[r] = Evaluate([&](auto x) { return CorrectionRow<decltype(x)>(r); });
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
