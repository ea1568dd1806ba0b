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

// P_i + jQ_i = V_i conj(sum over m of Y_im V_m), from entry 0 of the two rows (phases in
// radians).
std::complex<double> Injection(const Network& net, const History& E, const History& d, int i) {
    std::complex<double> current = 0.0;
    for (int m = 0; m < net.NodeCount; ++m) {
        current += std::complex<double>(net.YComplex[i][m].re, net.YComplex[i][m].im) *
                   std::polar(E[m][0], d[m][0]);
    }
    return std::polar(E[i][0], d[i][0]) * std::conj(current);
}

// Asks a run for the record of iteration k.
class Recording final : public SolverObserver {
public:
    explicit Recording(int k) : k_(k) {}
    int RecordedIteration() const override { return k_; }

private:
    int k_;
};

TEST_F(NewtonRaphson, JacobianElementsAreThePartialDerivativesOfTheInjections) {
    Load(ExampleNetwork("glover-sarma-5bus.nwd"), "1");
    const double Es[] = {1.0, 0.83, 1.05, 1.02, 0.97};
    const double ds[] = {0.0, -0.39, -0.01, -0.05, -0.08};
    History E, d;
    for (int i = 0; i < NodeCount; ++i) {
        E[i][0] = Es[i];
        d[i][0] = ds[i];
    }
    const double h = 1e-6;
    for (int j = 0; j < NodeCount; ++j) {
        for (double* x : {&E[j][0], &d[j][0]}) {
            const double saved = *x;
            *x = saved + h;
            std::complex<double> up[5], down[5];
            for (int i = 0; i < NodeCount; ++i) {
                up[i] = Injection(net, E, d, i);
            }
            *x = saved - h;
            for (int i = 0; i < NodeCount; ++i) {
                down[i] = Injection(net, E, d, i);
            }
            *x = saved;
            const bool magnitude = x == &E[j][0];
            for (int i = 0; i < NodeCount; ++i) {
                const std::complex<double> slope = (up[i] - down[i]) / (2 * h);
                const NewtonPartials partials = NewtonPartialsAt(net, E, d, 0, i, j);
                EXPECT_NEAR(magnitude ? partials.dPdE : partials.dPdd, slope.real(), 1e-6)
                    << "P" << i + 1 << (magnitude ? " E" : " d") << j + 1;
                EXPECT_NEAR(magnitude ? partials.dQdE : partials.dQdd, slope.imag(), 1e-6)
                    << "Q" << i + 1 << (magnitude ? " E" : " d") << j + 1;
            }
        }
    }
}

// The Jacobian of the first iteration, as the run records it, holds the element routines'
// values at the starting point bit for bit.
TEST_F(NewtonRaphson, JacobianHoldsExactlyTheElementRoutinesValues) {
    Load(ExampleNetwork("stagg-5bus-pd-qe.nwd"), "1");
    History E, d;
    for (int i = 0; i < NodeCount; ++i) {
        E[i][0] = EData[i];
        d[i][0] = dData[i];
    }
    Recording recording(1);
    const nodewise::Run run = nodewise::NewtonIterate(net, 1, recording);
    ASSERT_TRUE(run.record.has_value());
    for (int r = 0; r < UnknownCount; ++r) {
        const int i = EquationNodes[r];
        for (int c = 0; c < UnknownCount; ++c) {
            const int j = UnknownNodes[c];
            const NewtonPartials p = NewtonPartialsAt(net, E, d, 0, i, j);
            const double expected = r < PEquationCount ? (c < EUnknownCount ? p.dPdE : p.dPdd)
                                                       : (c < EUnknownCount ? p.dQdE : p.dQdd);
            EXPECT_TRUE(testing::SameBits(run.record->Jacobian[r][c], expected)) << r << "," << c;
        }
    }
}

TEST_F(NewtonRaphson, SingularJacobianIsReportedInEveryIteration) {
    // node 2 is a load with no connection at all
    CellTexts texts = TwoNodeNetwork();
    texts.Admittance[1][0] = "";
    texts.Admittance[1][1] = "0";
    Load(texts, "4");
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
}

TEST_F(NewtonRaphson, OnlyGivenVoltagesIsAZeroOrderInEveryIteration) {
    CellTexts texts = TwoNodeNetwork();
    texts.Data[0][1] = "1,01";
    texts.Data[1][1] = "-3";
    texts.Data[2][1] = "";
    texts.Data[3][1] = "";
    Load(texts, "3");
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
    const History E = newton.EHistory, d = newton.dHistory;
    GaussIterate();
    ASSERT_NE(gauss.QData[2], 0.0);
    NewtonIterate();
    EXPECT_TRUE(SameHistories(E, EHistoryNewton, 3, 6));
    EXPECT_TRUE(SameHistories(d, dHistoryNewton, 3, 6));
}

TEST_F(NewtonRaphson, ATermNoElementUsesCannotStopTheRun) {
    // a_12 belongs to the row of the reference node, which has no equation: an infinite angle
    // there is invalid to take the cosine of, yet no element ever does
    Load(ExampleNetwork("saadat-3bus-pv.nwd"), "5");
    NewtonIterate();
    const History E = newton.EHistory, d = newton.dHistory;
    YAng[0][1] = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FaultOf(Method::Newton), "");
    EXPECT_TRUE(SameHistories(E, EHistoryNewton, 3, 5));
    EXPECT_TRUE(SameHistories(d, dHistoryNewton, 3, 5));
}

} // namespace
} // namespace nodewise
