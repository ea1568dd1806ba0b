#include "core/solvers/stott_alsac.h"

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

// A count as a bound that stays inside the order-MaxNodes matrices.
int BlockSize(int count) {
    return count < 0 ? 0 : (count > MaxNodes ? MaxNodes : count);
}

// Mismatch of node m, computed minus given, divided by its magnitude: the sum over every node j
// of |Y_mj| E_j trig(d_m - d_j - th_mj) less given / E_m, with the magnitudes of entry e and
// the phases of entry k.
template <class T, T (*Trig)(T)> T Mismatch(int m, double given, int e, int k) {
    const int N = ActiveNodeCount();
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

// The sum over q = 0..count-1 of row[q] * v[q].
template <class T> T RowTimes(const double* row, const double* v, int count) {
    T s = 0.0;
    for (int q = 0; q < count; ++q) {
        s = s + T(row[q]) * v[q];
    }
    return s;
}

} // namespace

void StottIterate() {
    ClearArithmeticFlags();
    const int N = ActiveNodeCount();
    const int K = LastHistoryEntry();
    const int nP = BlockSize(PEquationCount);
    const int nQ = BlockSize(QEquationCount);
    const int nE = BlockSize(EUnknownCount);
    const int nd = BlockSize(dUnknownCount);
    auto& E = EHistoryStott;
    auto& d = dHistoryStott;

    // starting values in every entry 0..K: given quantities stay as they are
    for (int i = 0; i < N; ++i) {
        const double E0 = Checked(EData[i]);
        const double d0 = Checked(dData[i]);
        for (int t = 0; t <= K; ++t) {
            E[i][t] = E0;
            d[i][t] = d0;
        }
    }

    // B': P equations x d unknowns; B'': Q equations x E unknowns; the susceptances as they are
    for (int r = 0; r < nP; ++r) {
        for (int c = 0; c < nd; ++c) {
            BPrime[r][c] = Checked(YComplex[EquationNodes[r]][UnknownNodes[nE + c]].im);
        }
    }
    for (int r = 0; r < nQ; ++r) {
        for (int c = 0; c < nE; ++c) {
            BSecond[r][c] = Checked(YComplex[EquationNodes[nP + r]][UnknownNodes[c]].im);
        }
    }
    InvMatr(BPrime, BPrimeInverse, nP);
    InvMatr(BSecond, BSecondInverse, nQ);

    for (IterStott = 0; IterStott < K; ++IterStott) {
        const int k = IterStott;
        CheckArithmetic();
        Port().setStatusPanel(1, std::to_string(k + 1));
        ClearArithmeticFlags();

        // Q-E half. Mismatches, Q rows nP..nP+nQ-1: (Q computed - Q given) / E_m
        for (int r = nP; r < nP + nQ; ++r) {
            const int m = EquationNodes[r];
            MismatchStott[r] =
                Evaluate([&](auto x) { return Mismatch<decltype(x), Sin>(m, QData[m], k, k); });
        }
        // magnitude corrections, E unknowns 0..nE-1
        for (int c = 0; c < nE; ++c) {
            CorrectionStott[c] = Evaluate([&](auto x) {
                return RowTimes<decltype(x)>(BSecondInverse[c], MismatchStott + nP, nQ);
            });
        }
        for (int c = 0; c < nE; ++c) {
            const int i = UnknownNodes[c];
            E[i][k + 1] = Checked(E[i][k] + CorrectionStott[c]);
        }

        // P-d half, with the new magnitudes and the old phases. Mismatches, P rows 0..nP-1
        for (int r = 0; r < nP; ++r) {
            const int m = EquationNodes[r];
            MismatchStott[r] =
                Evaluate([&](auto x) { return Mismatch<decltype(x), Cos>(m, PData[m], k + 1, k); });
        }
        // phase corrections, d unknowns nE..nE+nd-1, each divided by its node's new magnitude
        for (int c = 0; c < nd; ++c) {
            const int i = UnknownNodes[nE + c];
            CorrectionStott[nE + c] = Evaluate([&](auto x) {
                using T = decltype(x);
                return RowTimes<T>(BPrimeInverse[c], MismatchStott, nP) / E[i][k + 1];
            });
        }
        for (int p = nE; p < nE + nd; ++p) {
            const int i = UnknownNodes[p];
            d[i][k + 1] = Checked(d[i][k] + CorrectionStott[p]);
        }
    }

    // phases to degrees, entries 0..K
    for (int i = 0; i < N; ++i) {
        for (int t = 0; t <= K; ++t) {
            d[i][t] = Checked(d[i][t] * RadiansToDegrees);
        }
    }
}

} // namespace nodewise
