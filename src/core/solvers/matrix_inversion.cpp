#include "core/solvers/matrix_inversion.h"

#include <cmath>

#include "core/model/network.h"
#include "core/numeric/arithmetic_fault.h"

namespace nodewise {
namespace {

// Row order, decided once on the magnitudes of the input's columns: for every column i the row
// in place i is exchanged with any later row of strictly larger magnitude. False when a NaN is
// met in a comparison.
bool RowOrder(double** A, int* perm, int n) {
    for (int i = 0; i < n; ++i) {
        perm[i] = i;
    }
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const double candidate = A[perm[j]][i];
            const double current = A[perm[i]][i];
            if (std::isnan(candidate) || std::isnan(current)) {
                return false;
            }
            if (std::fabs(candidate) > std::fabs(current)) {
                const int t = perm[i];
                perm[i] = perm[j];
                perm[j] = t;
            }
        }
    }
    return true;
}

// Orders 2..MaxOrder, into the leading block of B. Guarded: every stored value is checked and
// the first faulting store throws ArithmeticFault, B then holding the entries computed so far
// and 0 in the rest of the block. Unguarded: the same values without a single check, for a
// caller that reads the flags once at the end. False when the row order meets a NaN (B zero).
template <bool Guarded, class Matrix> bool Invert(double** A, Matrix B, int n) {
    const auto store = [](double v) {
        if constexpr (Guarded) {
            return Checked(v);
        } else {
            return v;
        }
    };
    double LU[MaxOrder][MaxOrder];
    int perm[MaxOrder];

    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            B[i][j] = 0.0;
        }
    }
    if (!RowOrder(A, perm, n)) {
        return false;
    }

    // compact Doolittle decomposition of rows perm[0..n-1] of A: L (unit diagonal) in columns
    // 0..i-1 of row i, U in columns i..n-1
    for (int i = 0; i < n; ++i) {
        const double* a = A[perm[i]];
        for (int j = 0; j < i; ++j) {
            double s = 0.0;
            for (int k = 0; k < j; ++k) {
                s = s + LU[i][k] * LU[k][j];
            }
            LU[i][j] = store((a[j] - s) / LU[j][j]);
        }
        for (int j = i; j < n; ++j) {
            double s = 0.0;
            for (int k = 0; k < i; ++k) {
                s = s + LU[i][k] * LU[k][j];
            }
            LU[i][j] = store(a[j] - s);
        }
    }

    // column c of the identity: forward, y[i][c] for rows i = 0..n-1, then backward, B[r][c] for
    // rows r = n-1..0, each sum from m = n-1 down
    double y[MaxOrder][MaxOrder];
    const auto forward = [&](int i, int c) {
        double s = 0.0;
        for (int k = 0; k < i; ++k) {
            s = s + LU[i][k] * y[k][c];
        }
        y[i][c] = store((perm[i] == c ? 1.0 : 0.0) - s);
    };
    const auto backward = [&](int r, int c) {
        double s = 0.0;
        for (int m = n - 1; m > r; --m) {
            s = s + LU[r][m] * B[m][c];
        }
        B[r][c] = store((y[r][c] - s) / LU[r][r]);
    };
    if constexpr (Guarded) {
        // one column after the other: a fault leaves the columns before it computed
        for (int c = 0; c < n; ++c) {
            for (int i = 0; i < n; ++i) {
                forward(i, c);
            }
            for (int r = n - 1; r >= 0; --r) {
                backward(r, c);
            }
        }
    } else {
        // the same values, every column's row at once: the sums of the columns overlap
        for (int i = 0; i < n; ++i) {
            for (int c = 0; c < n; ++c) {
                forward(i, c);
            }
        }
        for (int r = n - 1; r >= 0; --r) {
            for (int c = 0; c < n; ++c) {
                backward(r, c);
            }
        }
    }
    return true;
}

// Unguarded into a local matrix; B receives it only when no fault occurred. False otherwise,
// B untouched.
bool InvertFast(double** A, double** B, int n) {
    double X[MaxOrder][MaxOrder];
    if (!Invert<false>(A, X, n)) {
        return false;
    }
    // every value is stored before the flags are read
    asm volatile("" : : "r"(&X[0][0]) : "memory");
    if (PendingArithmeticFault() != nullptr) {
        return false;
    }
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            B[i][j] = X[i][j];
        }
    }
    return true;
}

} // namespace

Inversion InvMatr(double** A, double** B, int order) {
    const int n = order;
    Inversion outcome = Inversion::Failed;
    if (n == 0) {
        outcome = Inversion::ZeroOrder;
    } else if (n < 0 || n > MaxOrder) {
        // No work storage for such an order: nothing is computed and B is left as it was.
    } else {
        ClearArithmeticFlags();
        try {
            if (n == 1) {
                B[0][0] = Checked(1.0 / A[0][0]);
            } else if (!InvertFast(A, B, n)) {
                // a fault somewhere: redo it guarded, stopping where it happens
                ClearArithmeticFlags();
                if (!Invert<true>(A, B, n)) {
                    throw ArithmeticFault(InvalidOperationFault);
                }
            }
            outcome = Inversion::Done;
        } catch (const ArithmeticFault&) {
        }
    }
    // A handled failure does not reach the caller.
    ClearArithmeticFlags();
    return outcome;
}

} // namespace nodewise
