// Newton-Raphson in polar form on the reduced system of order n = UnknownCount.
//   rows    0..nP-1  P equations, nP..n-1 Q equations         (EquationNodes)
//   columns 0..nE-1  E unknowns,  nE..n-1 d unknowns          (UnknownNodes)
// Iteration k: mismatches, Jacobian, its inverse, corrections, then entry k+1 = entry k +
// correction. The frame (start, progress, degrees) is solver_frame.h.
#include "core/solvers/newton_raphson.h"

#include <type_traits>

#include "core/model/workspace.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/numeric/trapping_double.h"
#include "core/solvers/matrix_inversion.h"
#include "core/solvers/solver_frame.h"

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
template <class T> T Angle(int i, int m) {
    return T(d(i)) - d(m) - YAng[i][m];
}

// cos a_im and sin a_im of every pair of nodes at the present entry, computed once for the
// mismatches and the Jacobian, which would otherwise compute each of them many times over.
// Kept only when computing them raised nothing, so that a fault is still met, and named, in
// the element that computes it.
struct AngleTable {
    bool valid = false;
    double cosA[MaxNodes][MaxNodes];
    double sinA[MaxNodes][MaxNodes];
};
AngleTable angles;

// Fills the table for as long as it lives, unless a table is already in use.
class AngleScope {
public:
    AngleScope() : owner_(!angles.valid) {
        if (!owner_ || PendingArithmeticFault() != nullptr) {
            return;
        }
        const int N = ActiveNodeCount();
        for (int i = 0; i < N; ++i) {
            for (int m = 0; m < N; ++m) {
                const double a = Angle<double>(i, m);
                angles.cosA[i][m] = Cos(a);
                angles.sinA[i][m] = Sin(a);
            }
        }
        Settle(angles);
        angles.valid = PendingArithmeticFault() == nullptr;
        ClearArithmeticFlags();
    }
    ~AngleScope() {
        if (owner_) {
            angles.valid = false;
        }
    }
    AngleScope(const AngleScope&) = delete;
    AngleScope& operator=(const AngleScope&) = delete;

private:
    bool owner_;
};

enum class Trig { Cos, Sin };

// cos a_im or sin a_im: from the table on double while it is valid, the same value bit for bit.
template <class T, Trig f> T OfAngle(int i, int m) {
    if constexpr (std::is_same_v<T, double>) {
        if (angles.valid) {
            return f == Trig::Cos ? angles.cosA[i][m] : angles.sinA[i][m];
        }
    }
    const T a = Angle<T>(i, m);
    return f == Trig::Cos ? Cos(a) : Sin(a);
}

// Sum over every node m (ascending) of y_im E_m cos(a_im), or with sin; with or without m = i.
template <class T, Trig f> T PowerSum(int i, bool includeOwn) {
    const int N = ActiveNodeCount();
    T s = 0.0;
    for (int m = 0; m < N; ++m) {
        if (includeOwn || m != i) {
            const T yE = T(YMag[i][m]) * E(m);
            const T trig = OfAngle<T, f>(i, m);
            s = s + yE * trig;
        }
    }
    return s;
}

// The Jacobian elements: i the node of the equation, j the node of the unknown.
template <class T> T PartialPE(int i, int j) {
    const T Ei = E(i);
    if (j != i) {
        const T f = Ei * YMag[i][j];
        return f * OfAngle<T, Trig::Cos>(i, j);
    }
    const T others = PowerSum<T, Trig::Cos>(i, false);
    const T own = T(2.0) * YMag[i][i] * Ei;
    return others + own * Cos(T(YAng[i][i]));
}

template <class T> T PartialPd(int i, int j) {
    const T Ei = E(i);
    if (j != i) {
        const T f = Ei * E(j) * YMag[i][j];
        return f * OfAngle<T, Trig::Sin>(i, j);
    }
    return -Ei * PowerSum<T, Trig::Sin>(i, false);
}

template <class T> T PartialQE(int i, int j) {
    const T Ei = E(i);
    if (j != i) {
        const T f = Ei * YMag[i][j];
        return f * OfAngle<T, Trig::Sin>(i, j);
    }
    const T others = PowerSum<T, Trig::Sin>(i, false);
    const T own = T(2.0) * YMag[i][i] * Ei;
    return others - own * Sin(T(YAng[i][i]));
}

template <class T> T PartialQd(int i, int j) {
    const T Ei = E(i);
    if (j != i) {
        const T f = -Ei * E(j) * YMag[i][j];
        return f * OfAngle<T, Trig::Cos>(i, j);
    }
    return Ei * PowerSum<T, Trig::Cos>(i, false);
}

// Given minus calculated, row r: P rows 0..nP-1, then Q rows nP..n-1.
template <class T> T MismatchRow(int r) {
    const int i = EquationNodes[r];
    if (r < PRows()) {
        return T(PData[i]) - E(i) * PowerSum<T, Trig::Cos>(i, true);
    }
    return T(QData[i]) - E(i) * PowerSum<T, Trig::Sin>(i, true);
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

// mismatches, rows 0..n-1
void NewtonMismatch() {
    const AngleScope angleTable;
    const int n = SystemOrder();
    for (int r = 0; r < n; ++r) {
        MismatchNewton[r] = Evaluate([&](auto x) { return MismatchRow<decltype(x)>(r); });
    }
}

// Jacobian, rows and columns 0..n-1
void NewtonJacobian() {
    const AngleScope angleTable;
    const int n = SystemOrder();
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            Jacobian[r][c] = Evaluate([&](auto x) { return JacobianElement<decltype(x)>(r, c); });
        }
    }
}

bool NewtonJacobianInverted = false;

void NewtonInvert() {
    NewtonJacobianInverted = InvMatr(Jacobian, JacobianInverse, SystemOrder());
}

// corrections, columns 0..n-1: the inverse times the mismatches
void NewtonCorrection() {
    const int n = SystemOrder();
    for (int r = 0; r < n; ++r) {
        CorrectionNewton[r] = Evaluate([&](auto x) { return CorrectionRow<decltype(x)>(r); });
    }
}

namespace {

// Iteration k: solve J dx = mismatch at entry k, then entry k+1 = entry k + dx.
void NewtonIteration(int k) {
    const int n = SystemOrder();
    const int nE = EColumns();

    {
        const AngleScope angleTable; // one table for both
        NewtonMismatch();
        NewtonJacobian();
    }
    NewtonInvert();
    NewtonCorrection();

    // E of unknowns 0..nE-1
    for (int c = 0; c < nE; ++c) {
        const int j = UnknownNodes[c];
        EHistoryNewton[j][k + 1] = Checked(EHistoryNewton[j][k] + CorrectionNewton[c]);
    }
    // d of unknowns nE..n-1, radians
    for (int c = nE; c < n; ++c) {
        const int j = UnknownNodes[c];
        dHistoryNewton[j][k + 1] = Checked(dHistoryNewton[j][k] + CorrectionNewton[c]);
    }
}

} // namespace

void NewtonIterate() {
    RunSolver({EHistoryNewton, dHistoryNewton, IterNewton, true, nullptr, NewtonIteration});
}

} // namespace nodewise
