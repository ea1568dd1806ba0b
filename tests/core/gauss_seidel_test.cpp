#include "core/solvers/gauss_seidel.h"

#include <gtest/gtest.h>

#include <complex>

#include "solver_fixture.h"

namespace nodewise {
namespace {

using testing::ExampleNetwork;
using testing::TwoNodeNetwork;

using GaussSeidel = testing::SolverTest;

TEST_F(GaussSeidel, WorkedTwoNodeExample) {
    Load(TwoNodeNetwork(), "3");
    GaussIterate();

    const double E2[] = {1.0, 0.946451, 0.934666, 0.933898};
    const double d2[] = {0.0, -5.363069, -5.363069, -5.435371};
    // the textbook update V2 = (1 / Y22) ((P2 - jQ2) / conj(V2) - Y21 V1), in complex form
    const std::complex<double> Y22(1, -5), Y21(-1, 5), S2(-0.5, -0.2), V1(1, 0);
    std::complex<double> V2(1, 0);
    for (int t = 0; t <= 3; ++t) {
        EXPECT_EQ(EHistoryGauss[0][t], 1.0);
        EXPECT_EQ(dHistoryGauss[0][t], 0.0);
        EXPECT_NEAR(EHistoryGauss[1][t], E2[t], 5e-7) << "entry " << t;
        EXPECT_NEAR(dHistoryGauss[1][t], d2[t], 5e-7) << "entry " << t;
        EXPECT_NEAR(EHistoryGauss[1][t], std::abs(V2), 1e-14);
        EXPECT_NEAR(dHistoryGauss[1][t] * DegreesToRadians, std::arg(V2), 1e-14);
        V2 = (std::conj(S2) / std::conj(V2) - Y21 * V1) / Y22;
    }
    EXPECT_EQ(gauss.IterationCount, 3);
    EXPECT_EQ(recorder.panels[1], "3");
    EXPECT_EQ(recorder.panelUpdates[1], 3);
    EXPECT_EQ(gauss.PData[0], 0.0); // an Ed node's injections are not computed
    EXPECT_EQ(gauss.QData[0], 0.0);
}

TEST_F(GaussSeidel, UsesTheVoltagesAlreadyUpdatedInTheSameIteration) {
    Load(ExampleNetwork("saadat-3bus-pq.nwd"), "4");
    GaussIterate();
    // V_i = (1 / Y_ii) ((P_i - jQ_i) / conj(V_i) - sum over j != i of Y_ij V_j), node 2 before 3
    std::complex<double> V[3] = {1.05, 1.0, 1.0};
    auto Y = [this](int i, int j) {
        return std::complex<double>(YComplex[i][j].re, YComplex[i][j].im);
    };
    for (int t = 1; t <= 4; ++t) {
        for (int i = 1; i < 3; ++i) {
            std::complex<double> others = 0.0;
            for (int j = 0; j < 3; ++j) {
                others += j != i ? Y(i, j) * V[j] : 0.0;
            }
            V[i] =
                (std::complex<double>(gauss.PData[i], -gauss.QData[i]) / std::conj(V[i]) - others) /
                Y(i, i);
            EXPECT_NEAR(EHistoryGauss[i][t], std::abs(V[i]), 1e-13) << "node " << i + 1;
            EXPECT_NEAR(dHistoryGauss[i][t] * DegreesToRadians, std::arg(V[i]), 1e-13);
        }
    }
}

TEST_F(GaussSeidel, FillsInTheInjectionsThatWereNotGiven) {
    // PE node 3 of the Saadat network delivers 146.177 Mvar
    Load(ExampleNetwork("saadat-3bus-pv.nwd"), "400");
    GaussIterate();
    EXPECT_NEAR(gauss.QData[2], 1.46177, 5e-6);
    EXPECT_EQ(gauss.PData[2], 2.0);

    // QE node 3 (Lake) of the Stagg network draws 45 MW; Pd node 2 (South) gives 20 Mvar
    Load(ExampleNetwork("stagg-5bus-pd-qe.nwd"), "400");
    GaussIterate();
    EXPECT_NEAR(gauss.PData[2], -0.45, 5e-5);
    EXPECT_NEAR(gauss.QData[1], 0.2, 5e-5);
    EXPECT_EQ(gauss.QData[2], -0.15);
}

} // namespace
} // namespace nodewise
