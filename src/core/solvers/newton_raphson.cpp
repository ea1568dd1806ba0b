// Newton-Raphson in polar form on the reduced system of order n = UnknownCount.
//   rows    0..nP-1  P equations, nP..n-1 Q equations         (EquationNodes)
//   columns 0..nE-1  E unknowns,  nE..n-1 d unknowns          (UnknownNodes)
// Iteration k: mismatches, Jacobian, its inverse, corrections, then entry k+1 = entry k +
// correction. With reactive limits the numbering is the network's grown by the nodes held
// (reactive_limits.h). The frame (start, progress, degrees) is solver_frame.h.
#include "core/solvers/newton_raphson.h"

#include <cstring>
#include <type_traits>

#include "core/numeric/arithmetic_fault.h"
#include "core/numeric/trapping_double.h"
#include "core/solvers/matrix_inversion.h"
#include "core/solvers/reactive_limits.h"
#include "core/solvers/solver_frame.h"

namespace nodewise {
namespace {

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

enum class Trig { Cos, Sin };

// cos a_im and sin a_im of every pair of nodes at the present entry, computed once for the
// mismatches and the Jacobian, which would otherwise compute each of them many times over.
// Filled only when computing them raised nothing, so that a fault is still met, and named, in
// the element that computes it.
struct AngleTable {
    bool valid = false;
    double cosA[MaxNodes][MaxNodes];
    double sinA[MaxNodes][MaxNodes];
};

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

// The work state of one run: the entry being iterated from, the angle table, the system and
// its solution.
class NewtonRaphson : public NewtonSystem, public NodeEquations {
public:
    NewtonRaphson(const Network& network, const HistoryRows& E, const HistoryRows& d)
        : NodeEquations(network), EHistoryNewton(E), dHistoryNewton(d) {
        for (int r = 0; r < MaxOrder; ++r) {
            JacobianRows[r] = Jacobian[r];
            InverseRows[r] = JacobianInverse[r];
        }
    }

    // Order of the system, and the block boundaries within it.
    int SystemOrder() const { return Clamp(numbering_.UnknownCount, 0, MaxOrder); }
    int PRows() const { return Clamp(numbering_.PEquationCount, 0, SystemOrder()); }
    int EColumns() const { return Clamp(numbering_.EUnknownCount, 0, SystemOrder()); }

    // The equations in force with nodes held at a limit.
    void UseNumbering(const Numbering& numbering) { numbering_ = numbering; }

    // Q computed at the present entry, from the angle table while it is valid.
    template <class T> T CalculatedQ(int i) const { return E(i) * PowerSum<T, Trig::Sin>(i, true); }

    // Fills the angle table at the present entry, unless computing it raises a fault.
    void FillAngles() {
        angles_.valid = false;
        if (PendingArithmeticFault() != nullptr) {
            return;
        }
        const int N = network_.ActiveNodeCount();
        for (int i = 0; i < N; ++i) {
            for (int m = 0; m < N; ++m) {
                const double a = Angle<double>(i, m);
                angles_.cosA[i][m] = Cos(a);
                angles_.sinA[i][m] = Sin(a);
            }
        }
        Settle(angles_);
        if (PendingArithmeticFault() != nullptr) {
            ClearArithmeticFlags();
            return;
        }
        angles_.valid = true;
    }
    void DropAngles() { angles_.valid = false; }

    // mismatches, rows 0..n-1
    void Mismatch() {
        StoreAll(
            SystemOrder(), [this](auto x, int r) { return MismatchRow<decltype(x)>(r); },
            [this](int r, double v) { MismatchNewton[r] = v; },
            [this](int r) { return EquationNodes[r]; });
    }

    // Jacobian, rows and columns 0..n-1
    void JacobianMatrix() {
        // element q is row q / n, column q % n: rows in order, each from column 0
        const int n = SystemOrder();
        StoreAll(
            n * n, [this, n](auto x, int q) { return JacobianElement<decltype(x)>(q / n, q % n); },
            [this, n](int q, double v) { Jacobian[q / n][q % n] = v; },
            [this, n](int q) { return EquationNodes[q / n]; });
    }

    Inversion Invert() { return InvMatr(JacobianRows, InverseRows, SystemOrder()); }

    // corrections, columns 0..n-1: the inverse times the mismatches
    void Correction() {
        StoreAll(
            SystemOrder(), [this](auto x, int r) { return CorrectionRow<decltype(x)>(r); },
            [this](int r, double v) { CorrectionNewton[r] = v; },
            [this](int c) { return UnknownNodes[c]; });
    }

    template <class T> T PartialPE(int i, int j) const {
        const T Ei = E(i);
        if (j != i) {
            const T f = Ei * YMag[i][j];
            return f * OfAngle<T, Trig::Cos>(i, j);
        }
        const T others = PowerSum<T, Trig::Cos>(i, false);
        const T own = T(2.0) * YMag[i][i] * Ei;
        return others + own * Cos(T(YAng[i][i]));
    }

    template <class T> T PartialPd(int i, int j) const {
        const T Ei = E(i);
        if (j != i) {
            const T f = Ei * E(j) * YMag[i][j];
            return f * OfAngle<T, Trig::Sin>(i, j);
        }
        return -Ei * PowerSum<T, Trig::Sin>(i, false);
    }

    template <class T> T PartialQE(int i, int j) const {
        const T Ei = E(i);
        if (j != i) {
            const T f = Ei * YMag[i][j];
            return f * OfAngle<T, Trig::Sin>(i, j);
        }
        const T others = PowerSum<T, Trig::Sin>(i, false);
        const T own = T(2.0) * YMag[i][i] * Ei;
        return others - own * Sin(T(YAng[i][i]));
    }

    template <class T> T PartialQd(int i, int j) const {
        const T Ei = E(i);
        if (j != i) {
            const T f = -Ei * E(j) * YMag[i][j];
            return f * OfAngle<T, Trig::Cos>(i, j);
        }
        return Ei * PowerSum<T, Trig::Cos>(i, false);
    }

    int IterNewton = 0;

private:
    double E(int i) const { return EHistoryNewton[i][IterNewton]; }
    double d(int i) const { return dHistoryNewton[i][IterNewton]; }

    // a_im = d_i - d_m - th_im
    template <class T> T Angle(int i, int m) const { return T(d(i)) - d(m) - YAng[i][m]; }

    // cos a_im or sin a_im: from the table on double while it is valid, the same value bit for
    // bit.
    template <class T, Trig f> T OfAngle(int i, int m) const {
        if constexpr (std::is_same_v<T, double>) {
            if (angles_.valid) {
                return f == Trig::Cos ? angles_.cosA[i][m] : angles_.sinA[i][m];
            }
        }
        const T a = Angle<T>(i, m);
        return f == Trig::Cos ? Cos(a) : Sin(a);
    }

    // Sum over every node m (ascending) of y_im E_m cos(a_im), or with sin; with or without
    // m = i.
    template <class T, Trig f> T PowerSum(int i, bool includeOwn) const {
        const int N = network_.ActiveNodeCount();
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

    // Given minus calculated, row r: P rows 0..nP-1, then Q rows nP..n-1.
    template <class T> T MismatchRow(int r) const {
        const int i = EquationNodes[r];
        if (r < PRows()) {
            return T(PData[i]) - E(i) * PowerSum<T, Trig::Cos>(i, true);
        }
        return T(QData[i]) - E(i) * PowerSum<T, Trig::Sin>(i, true);
    }

    // Row r: P equations, then Q equations; column c: E unknowns 0..nE-1, then d unknowns
    // nE..n-1.
    template <class T> T JacobianElement(int r, int c) const {
        const int i = EquationNodes[r];
        const int j = UnknownNodes[c];
        if (r < PRows()) {
            return c < EColumns() ? PartialPE<T>(i, j) : PartialPd<T>(i, j);
        }
        return c < EColumns() ? PartialQE<T>(i, j) : PartialQd<T>(i, j);
    }

    // Row r of the inverse times the mismatches, c = 0..n-1.
    template <class T> T CorrectionRow(int r) const {
        const int n = SystemOrder();
        T s = 0.0;
        for (int c = 0; c < n; ++c) {
            s = s + T(JacobianInverse[r][c]) * MismatchNewton[c];
        }
        return s;
    }

    const HistoryRows& EHistoryNewton;
    const HistoryRows& dHistoryNewton;
    AngleTable angles_;
    double* JacobianRows[MaxOrder];
    double* InverseRows[MaxOrder];
};

// Iteration k: solve J dx = mismatch at entry k, then entry k+1 = entry k + dx.
struct NewtonSteps {
    const Network& network;
    Run& run;
    SolverObserver& observer;
    NewtonRaphson& solver;
    int recorded;

    void Prepare() {}

    void Iterate(int k) {
        solver.IterNewton = k;
        solver.FillAngles(); // one table for both
        Solve(k);
    }

    // From the mismatches to entry k+1, the angle table filled.
    void Solve(int k) {
        auto& EHistoryNewton = run.EHistory;
        auto& dHistoryNewton = run.dHistory;
        const int n = solver.SystemOrder();
        const int nE = solver.EColumns();
        const int(&UnknownNodes)[MaxOrder] = solver.SystemNumbering().UnknownNodes;

        solver.Mismatch();
        solver.JacobianMatrix();
        solver.DropAngles();
        run.JacobianInversion = solver.Invert();
        TellInversion(observer, run.JacobianInversion);
        solver.Correction();

        // E of unknowns 0..nE-1
        for (int c = 0; c < nE; ++c) {
            const int j = UnknownNodes[c];
            EHistoryNewton[j][k + 1] = AtNode(
                j, [&] { return Checked(EHistoryNewton[j][k] + solver.CorrectionNewton[c]); });
        }
        // d of unknowns nE..n-1, radians
        for (int c = nE; c < n; ++c) {
            const int j = UnknownNodes[c];
            dHistoryNewton[j][k + 1] = AtNode(
                j, [&] { return Checked(dHistoryNewton[j][k] + solver.CorrectionNewton[c]); });
        }
        if (k + 1 == recorded) {
            run.record = SystemRecord<NewtonSystem>(recorded, solver, run);
        }
    }
};

// The same with options: the nodes held at a reactive limit decided before the mismatches
// and let go after the update, and the tolerance stop.
struct NewtonOptionSteps : NewtonSteps {
    HeldLimitNodes limits{};

    void Configure() { limits.Configure(network, run); }

    void Iterate(int k) {
        solver.IterNewton = k;
        solver.FillAngles();
        if (!limits.limited) {
            Solve(k);
            return;
        }
        if (limits.Hold(network, solver, [&](int i) {
                return Evaluate([&](auto x) { return solver.CalculatedQ<decltype(x)>(i); });
            })) {
            solver.UseNumbering(HeldNumbering(network, limits.held));
        }
        Solve(k);
        if (limits.EndIteration(network, run, solver, k, recorded)) {
            solver.UseNumbering(HeldNumbering(network, limits.held));
        }
    }

    bool Stop(int k) { return ToleranceReached(network, run, k); }
};

} // namespace

Run NewtonIterate(const Network& network, int iterations, SolverObserver& observer,
                  const CalculationOptions& options) {
    Run run = NewRun(Method::Newton, network, options);
    NewtonRaphson solver(network, run.EHistory.rows(), run.dHistory.rows());
    NewtonSteps steps{network, run, observer, solver, observer.RecordedIteration()};
    RunWithOptionSteps<NewtonOptionSteps>(network, run, iterations, observer, steps);
    return run;
}

NewtonPartials NewtonPartialsAt(const Network& network, const HistoryRows& E,
                                const HistoryRows& dRadians, int entry, int i, int j) {
    NewtonRaphson solver(network, E, dRadians);
    solver.IterNewton = Clamp(entry, 0, MaxIterations - 1);
    return {solver.PartialPE<double>(i, j), solver.PartialPd<double>(i, j),
            solver.PartialQE<double>(i, j), solver.PartialQd<double>(i, j)};
}

} // namespace nodewise
