// Newton-Raphson in polar form on the reduced system of order n = UnknownCount.
//   rows    0..nP-1  P equations, nP..n-1 Q equations         (EquationNodes)
//   columns 0..nE-1  E unknowns,  nE..n-1 d unknowns          (UnknownNodes)
// Iteration k: mismatches, Jacobian, its inverse, corrections, then entry k+1 = entry k +
// correction. The frame (start, progress, degrees) is solver_frame.h.
#include "core/solvers/newton_raphson.h"

#include <cstring>
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
// Filled only when computing them raised nothing, so that a fault is still met, and named, in
// the element that computes it. The phases and angles it was computed from are kept with it:
// the same inputs, bit for bit, give the same table without computing it again.
struct AngleTable {
    bool valid = false;  // in use by the formulas
    bool filled = false; // cosA and sinA hold the values of N, d and YAng below
    int N = 0;
    double d[MaxNodes];
    double YAng[MaxNodes][MaxNodes];
    double cosA[MaxNodes][MaxNodes];
    double sinA[MaxNodes][MaxNodes];
};
AngleTable angles;

bool TableInputsUnchanged(int N) {
    if (!angles.filled || angles.N != N) {
        return false;
    }
    for (int i = 0; i < N; ++i) {
        const double di = d(i);
        if (std::memcmp(&angles.d[i], &di, sizeof di) != 0 ||
            std::memcmp(angles.YAng[i], YAng[i], sizeof(double) * N) != 0) {
            return false;
        }
    }
    return true;
}

// Makes the table valid for as long as it lives, unless a table is already in use.
class AngleScope {
public:
    AngleScope() : owner_(!angles.valid) {
        if (!owner_ || PendingArithmeticFault() != nullptr) {
            return;
        }
        const int N = ActiveNodeCount();
        if (!TableInputsUnchanged(N)) {
            angles.filled = false;
            for (int i = 0; i < N; ++i) {
                for (int m = 0; m < N; ++m) {
                    const double a = Angle<double>(i, m);
                    angles.cosA[i][m] = Cos(a);
                    angles.sinA[i][m] = Sin(a);
                }
            }
            Settle(angles);
            if (PendingArithmeticFault() != nullptr) {
                ClearArithmeticFlags();
                return;
            }
            angles.N = N;
            for (int i = 0; i < N; ++i) {
                angles.d[i] = d(i);
                std::memcpy(angles.YAng[i], YAng[i], sizeof(double) * N);
            }
            angles.filled = true;
        }
        angles.valid = true;
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

// Writes formula(x, q) into store(q, value) for q = 0..count-1, each value once it is known
// that computing it raised no fault. All of them are first computed on double with the flags
// read once at the end; only when those show a fault are they computed again one by one
// through Evaluate, which stops at the first that faults and names it and nodeOf(q), the values
// before it stored (the flags cleared first, as they were before). The values are the same
// either way.
template <class Formula, class Store, class NodeOf>
void StoreAll(int count, const Formula& formula, const Store& store, const NodeOf& nodeOf) {
    if (PendingArithmeticFault() == nullptr) [[likely]] {
        double values[MaxOrder * MaxOrder];
        for (int q = 0; q < count; ++q) {
            values[q] = formula(0.0, q);
        }
        // every value is stored before the flags are read
        asm volatile("" : : "r"(&values[0]) : "memory");
        if (PendingArithmeticFault() == nullptr) [[likely]] {
            for (int q = 0; q < count; ++q) {
                store(q, values[q]);
            }
            return;
        }
        // back to the flags as they were: none of the three raised
        ClearArithmeticFlags();
    }
    for (int q = 0; q < count; ++q) {
        store(q,
              AtNode(nodeOf(q), [&] { return Evaluate([&](auto x) { return formula(x, q); }); }));
    }
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
    StoreAll(
        SystemOrder(), [](auto x, int r) { return MismatchRow<decltype(x)>(r); },
        [](int r, double v) { MismatchNewton[r] = v; }, [](int r) { return EquationNodes[r]; });
}

// Jacobian, rows and columns 0..n-1
void NewtonJacobian() {
    const AngleScope angleTable;
    // element q is row q / n, column q % n: rows in order, each from column 0
    const int n = SystemOrder();
    StoreAll(
        n * n, [n](auto x, int q) { return JacobianElement<decltype(x)>(q / n, q % n); },
        [n](int q, double v) { Jacobian[q / n][q % n] = v; },
        [n](int q) { return EquationNodes[q / n]; });
}

bool NewtonJacobianInverted = false;

void NewtonInvert() {
    NewtonJacobianInverted = InvMatr(Jacobian, JacobianInverse, SystemOrder());
}

// corrections, columns 0..n-1: the inverse times the mismatches
void NewtonCorrection() {
    StoreAll(
        SystemOrder(), [](auto x, int r) { return CorrectionRow<decltype(x)>(r); },
        [](int r, double v) { CorrectionNewton[r] = v; }, [](int c) { return UnknownNodes[c]; });
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
        EHistoryNewton[j][k + 1] =
            AtNode(j, [&] { return Checked(EHistoryNewton[j][k] + CorrectionNewton[c]); });
    }
    // d of unknowns nE..n-1, radians
    for (int c = nE; c < n; ++c) {
        const int j = UnknownNodes[c];
        dHistoryNewton[j][k + 1] =
            AtNode(j, [&] { return Checked(dHistoryNewton[j][k] + CorrectionNewton[c]); });
    }
}

} // namespace

void NewtonIterate() {
    RunSolver({EHistoryNewton, dHistoryNewton, IterNewton, true, nullptr, NewtonIteration});
}

} // namespace nodewise
