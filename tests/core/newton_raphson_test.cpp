#include "core/solvers/newton_raphson.h"

#include <gtest/gtest.h>

#include <complex>
#include <cstring>
#include <limits>
#include <memory>

#include "core/solvers/gauss_seidel.h"
#include "solver_fixture.h"

namespace nodewise {
namespace {

using testing::ExampleNetwork;
using testing::SameHistories;
using testing::TwoNodeNetwork;

using NewtonRaphson = testing::SolverTest;

// P_i + jQ_i = V_i conj(sum over m of Y_im V_m), from the iteration-0 entries of the history.
std::complex<double> Injection(int i) {
    std::complex<double> current = 0.0;
    for (int m = 0; m < NodeCount; ++m) {
        current += std::complex<double>(YComplex[i][m].re, YComplex[i][m].im) *
                   std::polar(EHistoryNewton[m][0], dHistoryNewton[m][0]);
    }
    return std::polar(EHistoryNewton[i][0], dHistoryNewton[i][0]) * std::conj(current);
}

// The cos/sin table the mismatches and the Jacobian share is kept between calls only while the
// phases and admittance angles are the same: a network acquired with other angles, met at the
// same phases, gets its own values, the same as a run that never saw the first network.
TEST_F(NewtonRaphson, ANewNetworkAtTheSamePhasesGetsItsOwnAngles) {
    CellTexts other = TwoNodeNetwork();
    other.Admittance[0][0] = "2-4j";
    other.Admittance[1][0] = "-2+4j";
    other.Admittance[1][1] = "2-3,9j";
    Load(other, "3");
    NewtonIterate();
    auto fresh = std::make_unique<HistoryRows[]>(2);
    std::memcpy(fresh[0], EHistoryNewton, sizeof(HistoryRows));
    std::memcpy(fresh[1], dHistoryNewton, sizeof(HistoryRows));

    Load(TwoNodeNetwork(), "3"); // flat start: phases 0, as the other network's first iteration
    IterNewton = 0;
    NewtonMismatch();
    NewtonJacobian();
    Load(other, "3");
    NewtonIterate();
    EXPECT_TRUE(SameHistories(EHistoryNewton, fresh[0], 2, 3));
    EXPECT_TRUE(SameHistories(dHistoryNewton, fresh[1], 2, 3));
}

TEST_F(NewtonRaphson, JacobianElementsAreThePartialDerivativesOfTheInjections) {
    Load(ExampleNetwork("glover-sarma-5bus.nwd"), "1");
    IterNewton = 0;
    const double Es[] = {1.0, 0.83, 1.05, 1.02, 0.97};
    const double ds[] = {0.0, -0.39, -0.01, -0.05, -0.08};
    for (int i = 0; i < NodeCount; ++i) {
        EHistoryNewton[i][0] = Es[i];
        dHistoryNewton[i][0] = ds[i];
    }
    const double h = 1e-6;
    for (int j = 0; j < NodeCount; ++j) {
        for (double* x : {&EHistoryNewton[j][0], &dHistoryNewton[j][0]}) {
            const double saved = *x;
            *x = saved + h;
            std::complex<double> up[5], down[5];
            for (int i = 0; i < NodeCount; ++i) {
                up[i] = Injection(i);
            }
            *x = saved - h;
            for (int i = 0; i < NodeCount; ++i) {
                down[i] = Injection(i);
            }
            *x = saved;
            const bool magnitude = x == &EHistoryNewton[j][0];
            for (int i = 0; i < NodeCount; ++i) {
                const std::complex<double> slope = (up[i] - down[i]) / (2 * h);
                EXPECT_NEAR(magnitude ? dPdE(i, j) : dPdd(i, j), slope.real(), 1e-6)
                    << "P" << i + 1 << (magnitude ? " E" : " d") << j + 1;
                EXPECT_NEAR(magnitude ? dQdE(i, j) : dQdd(i, j), slope.imag(), 1e-6)
                    << "Q" << i + 1 << (magnitude ? " E" : " d") << j + 1;
            }
        }
    }
}

TEST_F(NewtonRaphson, JacobianHoldsExactlyTheElementRoutinesValues) {
    Load(ExampleNetwork("stagg-5bus-pd-qe.nwd"), "1");
    IterNewton = 0;
    for (int i = 0; i < NodeCount; ++i) {
        EHistoryNewton[i][0] = 1.0 - 0.01 * i;
        dHistoryNewton[i][0] = -0.02 * i;
    }
    NewtonJacobian();
    for (int r = 0; r < UnknownCount; ++r) {
        const int i = EquationNodes[r];
        for (int c = 0; c < UnknownCount; ++c) {
            const int j = UnknownNodes[c];
            const double expected = r < PEquationCount
                                        ? (c < EUnknownCount ? dPdE(i, j) : dPdd(i, j))
                                        : (c < EUnknownCount ? dQdE(i, j) : dQdd(i, j));
            EXPECT_TRUE(testing::SameBits(Jacobian[r][c], expected)) << r << "," << c;
        }
    }
}

TEST_F(NewtonRaphson, SingularJacobianIsReportedInEveryIteration) {
    // node 2 is a load with no connection at all
    CellTexts cells = TwoNodeNetwork();
    cells.Admittance[1][0] = "";
    cells.Admittance[1][1] = "0";
    Load(cells, "4");
    NewtonIterate();
    ASSERT_EQ(recorder.messages.size(), 4u);
    for (const auto& m : recorder.messages) {
        EXPECT_EQ(m.text, "Impossibile invertire la Matrice.");
        EXPECT_EQ(m.caption, "Errore");
    }
    for (int t = 0; t <= 4; ++t) {
        EXPECT_EQ(EHistoryNewton[1][t], 1.0);
        EXPECT_EQ(dHistoryNewton[1][t], 0.0);
    }
    EXPECT_EQ(IterNewton, 4);
}

TEST_F(NewtonRaphson, OnlyGivenVoltagesIsAZeroOrderInEveryIteration) {
    CellTexts cells = TwoNodeNetwork();
    cells.Data[0][1] = "1,01";
    cells.Data[1][1] = "-3";
    cells.Data[2][1] = "";
    cells.Data[3][1] = "";
    Load(cells, "3");
    NewtonIterate();
    ASSERT_EQ(recorder.messages.size(), 3u);
    EXPECT_EQ(recorder.messages[2].text, "E' stata passata a InvMatr una matrice di ordine nullo.");
    EXPECT_EQ(EHistoryNewton[1][3], 1.01);
    EXPECT_EQ(dHistoryNewton[1][3], -3 * DegreesToRadians * RadiansToDegrees);
}

TEST_F(NewtonRaphson, ReadsOnlyTheGivenInjections) {
    // Gauss-Seidel fills in the Q of the PE node; Newton-Raphson must not notice
    Load(ExampleNetwork("saadat-3bus-pv.nwd"), "6");
    NewtonIterate();
    static HistoryRows E, d;
    std::copy(&EHistoryNewton[0][0], &EHistoryNewton[0][0] + MaxNodes * MaxIterations, &E[0][0]);
    std::copy(&dHistoryNewton[0][0], &dHistoryNewton[0][0] + MaxNodes * MaxIterations, &d[0][0]);
    GaussIterate();
    ASSERT_NE(QData[2], 0.0);
    NewtonIterate();
    EXPECT_TRUE(SameHistories(E, EHistoryNewton, 3, 6));
    EXPECT_TRUE(SameHistories(d, dHistoryNewton, 3, 6));
}

TEST_F(NewtonRaphson, ATermNoElementUsesCannotStopTheRun) {
    // a_12 belongs to the row of the reference node, which has no equation: an infinite angle
    // there is invalid to take the cosine of, yet no element ever does
    Load(ExampleNetwork("saadat-3bus-pv.nwd"), "5");
    NewtonIterate();
    static HistoryRows E, d;
    std::copy(&EHistoryNewton[0][0], &EHistoryNewton[0][0] + MaxNodes * MaxIterations, &E[0][0]);
    std::copy(&dHistoryNewton[0][0], &dHistoryNewton[0][0] + MaxNodes * MaxIterations, &d[0][0]);
    YAng[0][1] = std::numeric_limits<double>::infinity();
    EXPECT_EQ(testing::FaultOf(NewtonIterate), "");
    EXPECT_TRUE(SameHistories(E, EHistoryNewton, 3, 5));
    EXPECT_TRUE(SameHistories(d, dHistoryNewton, 3, 5));
}

} // namespace
} // namespace nodewise
