#include "solvers/matrix_inversion.h"

#include <cmath>

#include "model/user_port.h"
#include "model/workspace.h"
#include "solvers/arithmetic_fault.h"

namespace nodewise {
namespace {

void ReportFailure() {
    Port().showMessage(InversionFailedText, InversionErrorCaption, MessageIcon::Stop);
}

// |A[p][col]| > |A[q][col]|, where a NaN on either side is a failure of the inversion.
bool LargerMagnitude(double candidate, double current) {
    if (std::isnan(candidate) || std::isnan(current)) {
        throw ArithmeticFault("invalid operation");
    }
    return std::fabs(candidate) > std::fabs(current);
}

// Orders 2..MaxOrder. Throws ArithmeticFault at the first faulting store; B then holds the
// entries computed so far and 0 in the rest of the block.
void InvertBlock(double** A, double** B, int n) {
    double I[MaxOrder][MaxOrder];
    double LU[MaxOrder][MaxOrder];
    double y[MaxOrder];
    int perm[MaxOrder];

    // initialise I, LU, B (leading block), y, perm
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            I[i][j] = i == j ? 1.0 : 0.0;
            LU[i][j] = 0.0;
            B[i][j] = 0.0;
        }
        y[i] = 0.0;
        perm[i] = i;
    }

    // row order, fixed once from the magnitudes of the input's columns
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (LargerMagnitude(A[perm[j]][i], A[perm[i]][i])) {
                const int t = perm[i];
                perm[i] = perm[j];
                perm[j] = t;
            }
        }
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
            } else {
                InvertBlock(A, B, n);
            }
        } catch (const ArithmeticFault&) {
            ReportFailure();
        }
    }
    // A handled failure, or whatever the port raised, does not reach the caller.
    ClearArithmeticFlags();
}

} // namespace nodewise
