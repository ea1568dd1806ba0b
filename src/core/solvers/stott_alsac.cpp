// Stott-Alsac (fast decoupled) in polar form.
//   rows     0..nP-1 P equations, nP..nP+nQ-1 Q equations     (EquationNodes)
//   unknowns 0..nE-1 E,           nE..nE+nd-1 d               (UnknownNodes)
// B' (P rows x d unknowns) and B'' (Q rows x E unknowns) are inverted once per run, B'' again
// whenever the nodes held at a reactive limit change (reactive_limits.h). Iteration k: the Q-E
// half, then the P-d half with the new E. The frame is solver_frame.h.
#include "core/solvers/stott_alsac.h"

#include <cstring>

#include "core/numeric/arithmetic_fault.h"
#include "core/numeric/trapping_double.h"
#include "core/solvers/matrix_inversion.h"
#include "core/solvers/reactive_limits.h"
#include "core/solvers/solver_frame.h"

namespace nodewise {
namespace {

// A count as a bound that stays inside the order-MaxNodes matrices.
int BlockSize(int count) {
    return count < 0 ? 0 : (count > MaxNodes ? MaxNodes : count);
}

// The sum over q = 0..count-1 of row[q] * v[q].
template <class T> T RowTimes(const double* row, const double* v, int count) {
    T s = 0.0;
    for (int q = 0; q < count; ++q) {
        s = s + T(row[q]) * v[q];
    }
    return s;
}

// The block sizes: nP P rows, nQ Q rows, nE E unknowns, nd d unknowns.
struct Blocks {
    int nP, nQ, nE, nd;
};

class StottAlsac : public StottSystem, public NodeEquations {
public:
    StottAlsac(const Network& network, Run& run, SolverObserver& observer)
        : NodeEquations(network), run_(run), observer_(observer), YComplex(network.YComplex),
          EHistoryStott(run.EHistory), dHistoryStott(run.dHistory) {
        for (int r = 0; r < MaxNodes; ++r) {
            rows_[0][r] = BPrime[r];
            rows_[1][r] = BSecond[r];
            rows_[2][r] = BPrimeInverse[r];
            rows_[3][r] = BSecondInverse[r];
        }
    }

    Blocks Sizes() const {
        return {BlockSize(numbering_.PEquationCount), BlockSize(numbering_.QEquationCount),
                BlockSize(numbering_.EUnknownCount), BlockSize(numbering_.dUnknownCount)};
    }

    // Once per run: B' (P rows x d unknowns) and B'' (Q rows x E unknowns) hold the
    // susceptances as they are; both inverted.
    void Prepare() {
        const auto [nP, nQ, nE, nd] = Sizes();
        for (int r = 0; r < nP; ++r) {
            for (int c = 0; c < nd; ++c) {
                BPrime[r][c] = Checked(YComplex[EquationNodes[r]][UnknownNodes[nE + c]].im);
            }
        }
        FillBSecond();
        run_.BPrimeInversion = InvMatr(rows_[0], rows_[2], nP);
        TellInversion(observer_, run_.BPrimeInversion);
        InvertBSecond();
    }

    // The equations in force with nodes held at a limit: the numbering (B' keeps its rows and
    // columns, the P equations and d unknowns being the same nodes in the same order), B''
    // built and inverted for it.
    void UseNumbering(const Numbering& numbering) {
        numbering_ = numbering;
        FillBSecond();
        InvertBSecond();
    }

    // Q computed at entry k.
    template <class T> T CalculatedQ(int m, int k) const {
        const T s = Mismatch<T, Sin>(m, 0.0, k, k);
        return T(EHistoryStott[m][k]) * s;
    }

    // Iteration k: the Q-E half, then the P-d half with the new magnitudes and the old phases.
    void Iterate(int k) {
        // Plain variables, not a structured binding: the lambdas below capture them.
        const Blocks blocks = Sizes();
        const int nP = blocks.nP, nQ = blocks.nQ, nE = blocks.nE, nd = blocks.nd;
        auto& E = EHistoryStott;
        auto& d = dHistoryStott;

        // mismatches, Q rows nP..nP+nQ-1: (Q computed - Q given) / E_m
        for (int r = nP; r < nP + nQ; ++r) {
            const int m = EquationNodes[r];
            MismatchStott[r] = AtNode(m, [&] {
                return Evaluate(
                    [&](auto x) { return Mismatch<decltype(x), Sin>(m, QData[m], k, k); });
            });
        }
        // corrections, E unknowns 0..nE-1: B''^-1 times the Q mismatches
        for (int c = 0; c < nE; ++c) {
            CorrectionStott[c] = AtNode(UnknownNodes[c], [&] {
                return Evaluate([&](auto x) {
                    return RowTimes<decltype(x)>(BSecondInverse[c], MismatchStott + nP, nQ);
                });
            });
        }
        // E of unknowns 0..nE-1
        for (int c = 0; c < nE; ++c) {
            const int i = UnknownNodes[c];
            E[i][k + 1] = AtNode(i, [&] { return Checked(E[i][k] + CorrectionStott[c]); });
        }

        // mismatches, P rows 0..nP-1, with E of entry k+1: (P computed - P given) / E_m
        for (int r = 0; r < nP; ++r) {
            const int m = EquationNodes[r];
            MismatchStott[r] = AtNode(m, [&] {
                return Evaluate(
                    [&](auto x) { return Mismatch<decltype(x), Cos>(m, PData[m], k + 1, k); });
            });
        }
        // corrections, d unknowns nE..nE+nd-1: B'^-1 times the P mismatches, over the new E
        for (int c = 0; c < nd; ++c) {
            const int i = UnknownNodes[nE + c];
            CorrectionStott[nE + c] = AtNode(i, [&] {
                return Evaluate([&](auto x) {
                    using T = decltype(x);
                    return RowTimes<T>(BPrimeInverse[c], MismatchStott, nP) / E[i][k + 1];
                });
            });
        }
        // d of unknowns nE..nE+nd-1
        for (int p = nE; p < nE + nd; ++p) {
            const int i = UnknownNodes[p];
            d[i][k + 1] = AtNode(i, [&] { return Checked(d[i][k] + CorrectionStott[p]); });
        }
    }

private:
    void FillBSecond() {
        const auto [nP, nQ, nE, nd] = Sizes();
        for (int r = 0; r < nQ; ++r) {
            for (int c = 0; c < nE; ++c) {
                BSecond[r][c] = Checked(YComplex[EquationNodes[nP + r]][UnknownNodes[c]].im);
            }
        }
    }
    void InvertBSecond() {
        run_.BSecondInversion = InvMatr(rows_[1], rows_[3], Sizes().nQ);
        TellInversion(observer_, run_.BSecondInversion);
    }

    // Mismatch of node m, computed minus given, divided by its magnitude: the sum over every
    // node j of |Y_mj| E_j trig(d_m - d_j - th_mj) less given / E_m, with the magnitudes of
    // entry e and the phases of entry k.
    template <class T, T (*Trig)(T)> T Mismatch(int m, double given, int e, int k) const {
        const int N = network_.ActiveNodeCount();
        const auto& E = EHistoryStott;
        const auto& d = dHistoryStott;
        T s = 0.0;
        for (int j = 0; j < N; ++j) {
            const T yE = T(YMag[m][j]) * E[j][e];
            const T trig = Trig(T(d[m][k]) - d[j][k] - YAng[m][j]);
            s = s + yE * trig;
        }
        return s - T(given) / E[m][e];
    }

    Run& run_;
    SolverObserver& observer_;
    const Complex (&YComplex)[MaxNodes][MaxNodes];
    History& EHistoryStott;
    History& dHistoryStott;
    double* rows_[4][MaxNodes];
};

struct StottSteps {
    const Network& network;
    Run& run;
    StottAlsac& solver;
    int recorded;

    void Prepare() { solver.Prepare(); }
    void Iterate(int k) {
        solver.Iterate(k);
        if (k + 1 == recorded) {
            run.record = SystemRecord<StottSystem>(recorded, solver, run);
        }
    }
};

// The same with options: the nodes held at a reactive limit decided before the mismatches
// (B'' built and inverted again when they change) and let go after the update, and the
// tolerance stop.
struct StottOptionSteps : StottSteps {
    HeldLimitNodes limits{};
    bool changed = false; // the nodes held changed since B'' was last built

    void Configure() { limits.Configure(network, run); }

    void Iterate(int k) {
        if (!limits.limited) {
            StottSteps::Iterate(k);
            return;
        }
        if (limits.Hold(network, solver, [&](int i) {
                return Evaluate([&](auto x) { return solver.CalculatedQ<decltype(x)>(i, k); });
            })) {
            changed = true;
        }
        if (changed) {
            solver.UseNumbering(HeldNumbering(network, limits.held));
            changed = false;
        }
        StottSteps::Iterate(k);
        if (limits.EndIteration(network, run, solver, k, recorded)) {
            changed = true;
        }
    }

    bool Stop(int k) { return ToleranceReached(network, run, k); }
};

} // namespace

Run StottIterate(const Network& network, int iterations, SolverObserver& observer,
                 const CalculationOptions& options) {
    Run run = NewRun(Method::Stott, network, options);
    StottAlsac solver(network, run, observer);
    StottSteps steps{network, run, solver, observer.RecordedIteration()};
    RunWithOptionSteps<StottOptionSteps>(network, run, iterations, observer, steps);
    return run;
}

} // namespace nodewise
