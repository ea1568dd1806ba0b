#include "core/solvers/matrix_inversion.h"

#include <cmath>

#include "core/model/workspace.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/platform/user_port.h"

namespace nodewise {
namespace {

void ReportFailure() {
    Port().showMessage(InversionFailedText, InversionErrorCaption, MessageIcon::Stop);
}

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

// Orders 2..MaxOrder, every stored value checked. Throws ArithmeticFault at the first faulting
// store; B then holds the entries computed so far and 0 in the rest of the block.
void InvertGuarded(double** A, double** B, int n) {
    double I[MaxOrder][MaxOrder];
    double LU[MaxOrder][MaxOrder];
    double y[MaxOrder];
    int perm[MaxOrder];

    // initialise I, LU, B (leading block), y
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            I[i][j] = i == j ? 1.0 : 0.0;
            LU[i][j] = 0.0;
            B[i][j] = 0.0;
        }
        y[i] = 0.0;
    }

    if (!RowOrder(A, perm, n)) {
        throw ArithmeticFault("invalid operation");
    }

    // compact Doolittle decomposition of the reordered rows: L (unit diagonal) below, U on and
    // above the diagonal
    for (int i = 0; i < n; ++i) {
        const double* a = A[perm[i]];
        for (int j = 0; j < i; ++j) {
            double s = 0.0;
            for (int k = 0; k < j; ++k) {
                s = s + LU[i][k] * LU[k][j];
            }
            LU[i][j] = Checked((a[j] - s) / LU[j][j]);
        }
        for (int j = i; j < n; ++j) {
            double s = 0.0;
            for (int k = 0; k < i; ++k) {
                s = s + LU[i][k] * LU[k][j];
            }
            LU[i][j] = Checked(a[j] - s);
        }
    }

    // one column of the identity at a time: forward into y, then backward into B
    for (int c = 0; c < n; ++c) {
        for (int i = 0; i < n; ++i) {
            double s = 0.0;
            for (int k = 0; k < i; ++k) {
                s = s + LU[i][k] * y[k];
            }
            y[i] = Checked(I[perm[i]][c] - s);
        }
        for (int r = n - 1; r >= 0; --r) {
            double s = 0.0;
            for (int m = n - 1; m > r; --m) {
                s = s + LU[r][m] * B[m][c];
            }
            B[r][c] = Checked((y[r] - s) / LU[r][r]);
        }
    }
}

// For every column c = from..n-1: out[c] = the sum over q = 0..count-1 of coef[k] * M[k][c]
// with k = first + q * step, accumulated from 0 in that order. Four columns go side by side so
// that their sums overlap; each sum is still formed term by term in its own order.
void RowSums(const double (*M)[MaxOrder], const double* coef, int first, int step, int count,
             int from, int n, double* out) {
    int c = from;
    for (; c + 4 <= n; c += 4) {
        double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
        for (int q = 0, k = first; q < count; ++q, k += step) {
            const double l = coef[k];
            const double* row = M[k];
            s0 = s0 + l * row[c];
            s1 = s1 + l * row[c + 1];
            s2 = s2 + l * row[c + 2];
            s3 = s3 + l * row[c + 3];
        }
        out[c] = s0;
        out[c + 1] = s1;
        out[c + 2] = s2;
        out[c + 3] = s3;
    }
    for (; c < n; ++c) {
        double t = 0.0;
        for (int q = 0, k = first; q < count; ++q, k += step) {
            t = t + coef[k] * M[k][c];
        }
        out[c] = t;
    }
}

// The same computation with the independent sums side by side (the U entries of a row, the
// columns of the solution), every value coming out bit for bit as in the guarded form. The
// flags are read once at the end and the result reaches B only when no fault occurred.
// Returns false otherwise, B untouched.
bool InvertFast(double** A, double** B, int n) {
    double LU[MaxOrder][MaxOrder];
    double Y[MaxOrder][MaxOrder];
    double X[MaxOrder][MaxOrder];
    double s[MaxOrder];
    int perm[MaxOrder];

    if (!RowOrder(A, perm, n)) {
        return false;
    }

    for (int i = 0; i < n; ++i) {
        const double* a = A[perm[i]];
        for (int j = 0; j < i; ++j) {
            double t = 0.0;
            for (int k = 0; k < j; ++k) {
                t = t + LU[i][k] * LU[k][j];
            }
            LU[i][j] = (a[j] - t) / LU[j][j];
        }
        RowSums(LU, LU[i], 0, 1, i, i, n, s); // k = 0..i-1
        for (int j = i; j < n; ++j) {
            LU[i][j] = a[j] - s[j];
        }
    }

    // forward, all columns at once: Y[i][c] = I[perm[i]][c] - sum over k = 0..i-1
    for (int i = 0; i < n; ++i) {
        RowSums(Y, LU[i], 0, 1, i, 0, n, s);
        for (int c = 0; c < n; ++c) {
            Y[i][c] = (perm[i] == c ? 1.0 : 0.0) - s[c];
        }
    }

    // backward, all columns at once, each sum from m = n-1 down to r+1
    for (int r = n - 1; r >= 0; --r) {
        RowSums(X, LU[r], n - 1, -1, n - 1 - r, 0, n, s);
        for (int c = 0; c < n; ++c) {
            X[r][c] = (Y[r][c] - s[c]) / LU[r][r];
        }
    }

    // every value is stored before the flags are read
    asm volatile("" : : "r"(&X[0][0]), "r"(&LU[0][0]), "r"(&Y[0][0]) : "memory");
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

void InvMatr(double** A, double** B, int order) {
    const int n = order;
    if (n == 0) {
        Port().showMessage(InversionZeroOrderText, InversionErrorCaption, MessageIcon::Stop);
    } else if (n < 0 || n > MaxOrder) {
        // No work storage for such an order: nothing is computed and B is left as it was.
        ReportFailure();
    } else {
        ClearArithmeticFlags();
        try {
            if (n == 1) {
                B[0][0] = Checked(1.0 / A[0][0]);
            } else if (!InvertFast(A, B, n)) {
                // a fault somewhere: redo it guarded, stopping where it happens
                ClearArithmeticFlags();
                InvertGuarded(A, B, n);
            }
        } catch (const ArithmeticFault&) {
            ReportFailure();
        }
    }
    // A handled failure, or whatever the port raised, does not reach the caller.
    ClearArithmeticFlags();
}

} // namespace nodewise
