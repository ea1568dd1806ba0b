#include "core/solvers/matrix_inversion.h"

#include "core/solvers/solver_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <initializer_list>
#include <limits>

#include "core/model/network.h"
#include "core/numeric/arithmetic_fault.h"
#include "test_support.h"

namespace nodewise {
namespace {

using testing::MessageRecorder;

constexpr double Marker = 7.0; // what B holds wherever InvMatr must not write

// A 14 x 14 matrix addressed through row pointers, as the solver matrices are.
struct Matrix {
    explicit Matrix(double fill = 0.0) {
        for (int i = 0; i < MaxOrder; ++i) {
            for (int j = 0; j < MaxOrder; ++j) {
                cells[i][j] = fill;
            }
            rows[i] = cells[i];
        }
    }
    Matrix(std::initializer_list<std::initializer_list<double>> values) : Matrix() {
        int i = 0;
        for (const auto& row : values) {
            int j = 0;
            for (double v : row) {
                cells[i][j++] = v;
            }
            ++i;
        }
    }
    double cells[MaxOrder][MaxOrder];
    double* rows[MaxOrder];
};

bool SameContents(const Matrix& a, const Matrix& b) {
    for (int i = 0; i < MaxOrder; ++i) {
        for (int j = 0; j < MaxOrder; ++j) {
            const double x = a.cells[i][j];
            const double y = b.cells[i][j];
            if (!(x == y || (std::isnan(x) && std::isnan(y)))) {
                return false;
            }
        }
    }
    return true;
}

class InvMatrTest : public ::testing::Test {
protected:
    // Inverts, tells the outcome on the recorder as a solver does, then checks that A is
    // unchanged and that no fault flag leaks out.
    void Invert(Matrix& A, int order) {
        const Matrix before = A;
        outcome = InvMatr(A.rows, B.rows, order);
        TellInversion(observer, outcome);
        EXPECT_TRUE(SameContents(A, before)) << "the input matrix was modified";
        EXPECT_EQ(PendingArithmeticFault(), nullptr);
    }
    int Failures() const {
        int count = 0;
        for (const auto& m : recorder.messages) {
            EXPECT_EQ(m.caption, "Errore");
            EXPECT_EQ(m.icon, MessageIcon::Stop);
            count += m.text == "Impossibile invertire la Matrice." ? 1 : 0;
        }
        return count;
    }
    // B outside the leading block keeps the marker.
    void ExpectUntouchedOutside(int order) const {
        for (int i = 0; i < MaxOrder; ++i) {
            for (int j = 0; j < MaxOrder; ++j) {
                if (i >= order || j >= order) {
                    EXPECT_EQ(B.cells[i][j], Marker) << i << "," << j;
                }
            }
        }
    }
    void ExpectBlockZero(int order) const {
        for (int i = 0; i < order; ++i) {
            for (int j = 0; j < order; ++j) {
                EXPECT_EQ(B.cells[i][j], 0.0) << i << "," << j;
            }
        }
    }

    Matrix B{Marker};
    MessageRecorder recorder;
    PortObserver observer{recorder};
    Inversion outcome = Inversion::Done;
};

TEST_F(InvMatrTest, OrdersZeroAndOne) {
    Matrix A{{4.0}};
    Invert(A, 0);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "E' stata passata a InvMatr una matrice di ordine nullo.");
    EXPECT_EQ(recorder.messages[0].caption, "Errore");
    EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Stop);
    ExpectUntouchedOutside(0);

    recorder.messages.clear();
    Invert(A, 1);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(B.cells[0][0], 0.25);
    ExpectUntouchedOutside(1);

    Matrix zero{{0.0}};
    Invert(zero, 1);
    EXPECT_EQ(Failures(), 1);
    EXPECT_EQ(B.cells[0][0], 0.25); // left as it was

    // 1 / 1e-310 exceeds the range of a double
    Matrix tiny{{1e-310}};
    Invert(tiny, 1);
    EXPECT_EQ(Failures(), 2);
    EXPECT_EQ(B.cells[0][0], 0.25);
}

TEST_F(InvMatrTest, RowsAreReorderedByColumnMagnitudeWithTiesKeepingTheirPlace) {
    Matrix exchange{{0.0, 1.0}, {1.0, 0.0}};
    Invert(exchange, 2);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(B.cells[0][0], 0.0);
    EXPECT_EQ(B.cells[0][1], 1.0);
    EXPECT_EQ(B.cells[1][0], 1.0);
    EXPECT_EQ(B.cells[1][1], 0.0);
    ExpectUntouchedOutside(2);

    // |A10| = |A00|: the rows keep their order, which shows in the last bits of B01 (with the
    // rows exchanged it would come out as -3.0000000000000004)
    Matrix tie{{0.1, 0.3}, {-0.1, 0.7}};
    Invert(tie, 2);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(B.cells[0][0], 6.999999999999999);
    EXPECT_EQ(B.cells[0][1], -2.9999999999999996);
    EXPECT_EQ(B.cells[1][0], 1.0);
    EXPECT_EQ(B.cells[1][1], 1.0);
}

TEST_F(InvMatrTest, ZeroPivotFailsWithTheWholeBlockZero) {
    // invertible (determinant -1), but the fixed row order leads to U11 = 0
    Matrix A{{1.0, 1.0, 0.0}, {1.0, 1.0, 1.0}, {0.0, 1.0, 1.0}};
    Invert(A, 3);
    EXPECT_EQ(Failures(), 1);
    ExpectBlockZero(3);
    ExpectUntouchedOutside(3);

    Matrix zeroRow{{1.0, 2.0, 3.0}, {0.0, 0.0, 0.0}, {4.0, 5.0, 7.0}};
    Invert(zeroRow, 3);
    Matrix zeroColumn{{1.0, 0.0, 3.0}, {2.0, 0.0, 5.0}, {4.0, 0.0, 7.0}};
    Invert(zeroColumn, 3);
    // only the last pivot is zero: met at the first division of the back substitution
    Matrix lastPivot{{1.0, 2.0}, {2.0, 4.0}};
    Invert(lastPivot, 2);
    EXPECT_EQ(Failures(), 4);
    ExpectBlockZero(3);
}

TEST_F(InvMatrTest, OverflowPartWayKeepsTheEntriesAlreadyComputed) {
    // column 0 of B is computed (B00 = 0.5, B10 = 0), then 1 / 1e-310 overflows in column 1
    Matrix A{{2.0, 0.0}, {0.0, 1e-310}};
    B.cells[0][1] = B.cells[1][1] = 9.0;
    Invert(A, 2);
    EXPECT_EQ(Failures(), 1);
    EXPECT_EQ(B.cells[0][0], 0.5);
    EXPECT_EQ(B.cells[1][0], 0.0);
    EXPECT_EQ(B.cells[0][1], 0.0);
    EXPECT_EQ(B.cells[1][1], 0.0);
    ExpectUntouchedOutside(2);
}

TEST_F(InvMatrTest, NotANumberFailsOnlyInTheRowOrder) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Matrix compared{{1.0, 2.0}, {nan, 3.0}};
    Invert(compared, 2);
    EXPECT_EQ(Failures(), 1);
    ExpectBlockZero(2);

    // the last diagonal element takes part in no comparison: its NaN passes into B
    Matrix passed{{2.0, 0.0}, {0.0, nan}};
    Invert(passed, 2);
    EXPECT_EQ(Failures(), 1);
    EXPECT_TRUE(std::isnan(B.cells[0][0]));
    EXPECT_TRUE(std::isnan(B.cells[1][1]));

    // infinity minus infinity is an invalid operation
    const double inf = std::numeric_limits<double>::infinity();
    Matrix infinite{{1.0, inf}, {1.0, inf}};
    Invert(infinite, 2);
    EXPECT_EQ(Failures(), 2);
    ExpectBlockZero(2);
}

// The documented algorithm written out plainly: row order, compact Doolittle, then one column
// of the identity at a time.
void ReferenceInverse(const Matrix& A, Matrix& B, int n) {
    int perm[MaxOrder];
    for (int i = 0; i < n; ++i) {
        perm[i] = i;
    }
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (std::fabs(A.cells[perm[j]][i]) > std::fabs(A.cells[perm[i]][i])) {
                std::swap(perm[i], perm[j]);
            }
        }
    }
    double LU[MaxOrder][MaxOrder] = {};
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            double s = 0.0;
            for (int k = 0; k < std::min(i, j); ++k) {
                s = s + LU[i][k] * LU[k][j];
            }
            LU[i][j] = j < i ? (A.cells[perm[i]][j] - s) / LU[j][j] : A.cells[perm[i]][j] - s;
        }
    }
    for (int c = 0; c < n; ++c) {
        double y[MaxOrder];
        for (int i = 0; i < n; ++i) {
            double s = 0.0;
            for (int k = 0; k < i; ++k) {
                s = s + LU[i][k] * y[k];
            }
            y[i] = (perm[i] == c ? 1.0 : 0.0) - s;
        }
        for (int r = n - 1; r >= 0; --r) {
            double s = 0.0;
            for (int m = n - 1; m > r; --m) {
                s = s + LU[r][m] * B.cells[m][c];
            }
            B.cells[r][c] = (y[r] - s) / LU[r][r];
        }
    }
}

TEST_F(InvMatrTest, EveryOrderAgreesBitForBitWithTheAlgorithmWrittenPlainly) {
    Matrix A;
    unsigned state = 12345;
    for (int i = 0; i < MaxOrder; ++i) {
        for (int j = 0; j < MaxOrder; ++j) {
            state = state * 1103515245u + 12345u;
            A.cells[i][j] = static_cast<double>(state >> 8) / 16777216.0 * 20.0 - 10.0;
        }
    }
    for (int n = 2; n <= MaxOrder; ++n) {
        Matrix expected{Marker};
        ReferenceInverse(A, expected, n);
        Invert(A, n);
        EXPECT_TRUE(SameContents(B, expected)) << "order " << n;
    }
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(InvMatrTest, DiagonallyDominantOrderFourteen) {
    Matrix A;
    for (int i = 0; i < MaxOrder; ++i) {
        double offDiagonal = 0.0;
        for (int j = 0; j < MaxOrder; ++j) {
            if (i != j) {
                A.cells[i][j] = std::sin(1.0 + i * 14 + j) * 3.0;
                offDiagonal += std::fabs(A.cells[i][j]);
            }
        }
        A.cells[i][i] = (i % 2 == 0 ? 1.0 : -1.0) * (offDiagonal + 0.5);
    }
    Invert(A, MaxOrder);
    EXPECT_TRUE(recorder.messages.empty());
    for (int i = 0; i < MaxOrder; ++i) {
        for (int j = 0; j < MaxOrder; ++j) {
            double s = 0.0;
            for (int k = 0; k < MaxOrder; ++k) {
                s += A.cells[i][k] * B.cells[k][j];
            }
            EXPECT_LT(std::fabs(s - (i == j ? 1.0 : 0.0)), 1e-12) << i << "," << j;
        }
    }
}

TEST_F(InvMatrTest, FlagsRaisedBeforeAreForgottenAndUnsupportedOrdersTouchNothing) {
    Matrix A{{4.0}};
    std::feraiseexcept(FE_DIVBYZERO);
    Invert(A, 1);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(B.cells[0][0], 0.25);

    B = Matrix{Marker};
    Invert(A, MaxOrder + 1);
    Invert(A, -1);
    EXPECT_EQ(Failures(), 2);
    ExpectUntouchedOutside(0);
}

} // namespace
} // namespace nodewise
