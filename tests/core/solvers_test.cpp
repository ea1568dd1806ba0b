// Behaviour the three load-flow methods share: published solutions, every node type, the
// history limits, repeatability.
#include <gtest/gtest.h>

#include <climits>
#include <complex>
#include <cstdio>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "core/results/methods.h"
#include "solver_fixture.h"

namespace nodewise {
namespace {

using testing::ExampleNetwork;
using testing::SameHistories;

class EveryMethod : public testing::SolverTest, public ::testing::WithParamInterface<Method> {
protected:
    void RunMethod() { Iterate(GetParam()); }
    double E(int node, int entry) { return EHistoryOf(GetParam())[node][entry]; }
    double d(int node, int entry) { return dHistoryOf(GetParam())[node][entry]; }
};

std::string MethodName(const ::testing::TestParamInfo<Method>& p) {
    return Info(p.param).name;
}

TEST_P(EveryMethod, ReachesThePublishedSolutions) {
    // Gauss-Seidel needs a few hundred iterations on the heavier cases; the others are long
    // settled by then.
    for (const testing::PublishedVoltage& p : testing::PublishedVoltages) {
        Load(ExampleNetwork(p.file), "400");
        RunMethod();
        EXPECT_NEAR(E(p.node, 400), p.E, p.Etol) << p.file << " node " << p.node + 1;
        EXPECT_NEAR(d(p.node, 400), p.d, p.dtol) << p.file << " node " << p.node + 1;
    }
    EXPECT_TRUE(recorder.messages.empty());
}

// Six nodes, one of each type, the reference node second: the injections are computed from a
// chosen state, so that every method must find that state again.
CellTexts AllTypesNetwork(std::complex<double> (&V)[6]) {
    struct Line {
        int a, b;
        std::complex<double> y;
    };
    const Line lines[] = {{0, 1, {4, -12}}, {0, 2, {2, -8}}, {1, 2, {3, -9}},  {1, 3, {5, -15}},
                          {2, 4, {4, -10}}, {3, 4, {2, -6}}, {3, 5, {3, -12}}, {4, 5, {4, -16}}};
    std::complex<double> Y[6][6] = {};
    for (const Line& l : lines) {
        Y[l.a][l.a] += l.y;
        Y[l.b][l.b] += l.y;
        Y[l.a][l.b] -= l.y;
        Y[l.b][l.a] -= l.y;
    }
    const double Es[6] = {1.02, 1.05, 0.98, 1.01, 0.97, 0.99};
    const double ds[6] = {-1.5, 0.0, -4.0, -2.0, -5.5, -3.0};
    for (int i = 0; i < 6; ++i) {
        V[i] = std::polar(Es[i], ds[i] * DegreesToRadians);
    }
    auto text = [](double v) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15f", v);
        return std::string(buffer);
    };
    CellTexts cells;
    for (int r = 0; r < 6; ++r) {
        for (int c = r; c < 6; ++c) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%g%+gj", Y[r][c].real(), Y[r][c].imag());
            cells.Admittance[c][r] = buffer;
        }
    }
    const char* given[6] = {"Qd", "Ed", "PQ", "PE", "Pd", "QE"};
    for (int i = 0; i < 6; ++i) {
        std::complex<double> current = 0.0;
        for (int k = 0; k < 6; ++k) {
            current += Y[i][k] * V[k];
        }
        const std::complex<double> S = V[i] * std::conj(current);
        const std::string g = given[i];
        if (g.find('E') != std::string::npos) {
            cells.Data[0][i] = text(Es[i]);
        }
        if (g.find('d') != std::string::npos) {
            cells.Data[1][i] = text(ds[i]);
        }
        if (g.find('P') != std::string::npos) {
            cells.Data[2][i] = text(S.real());
        }
        if (g.find('Q') != std::string::npos) {
            cells.Data[3][i] = text(S.imag());
        }
    }
    return cells;
}

TEST_P(EveryMethod, EveryNodeTypeFindsTheStateItsDataCameFrom) {
    std::complex<double> V[6];
    Load(AllTypesNetwork(V), "900");
    ASSERT_EQ(NodeTypes[0], Qd);
    ASSERT_EQ(NodeTypes[1], Ed);
    ASSERT_EQ(NodeTypes[5], QE);
    RunMethod();
    EXPECT_TRUE(recorder.messages.empty());
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(E(i, 900), std::abs(V[i]), 1e-12) << "node " << i + 1;
        EXPECT_NEAR(d(i, 900), std::arg(V[i]) / DegreesToRadians, 1e-10) << "node " << i + 1;
        // given magnitudes and phases are never moved
        for (int t = 0; t <= 900; ++t) {
            if (NodeTypes[i] == Ed || NodeTypes[i] == PE || NodeTypes[i] == QE) {
                ASSERT_EQ(E(i, t), EData[i]) << "node " << i + 1 << " entry " << t;
            }
            if (NodeTypes[i] == Ed || NodeTypes[i] == Pd || NodeTypes[i] == Qd) {
                ASSERT_EQ(d(i, t), dData[i] * RadiansToDegrees) << "node " << i + 1;
            }
        }
    }
}

TEST_P(EveryMethod, RepeatedRunsAreIdenticalBitForBit) {
    Load(ExampleNetwork("stagg-5bus-pd-qe.nwd"), "25");
    RunMethod();
    const History firstE = EHistoryOf(GetParam());
    const History firstd = dHistoryOf(GetParam());
    RunMethod();
    EXPECT_TRUE(SameHistories(firstE, EHistoryOf(GetParam()), NodeCount, 25));
    EXPECT_TRUE(SameHistories(firstd, dHistoryOf(GetParam()), NodeCount, 25));
}

TEST_P(EveryMethod, OneIterationWritesTwoEntriesWithThePhasesInDegrees) {
    Load(ExampleNetwork("saadat-3bus-pv.nwd"), "1");
    RunMethod();
    EXPECT_EQ(recorder.panels[1], "1");
    EXPECT_EQ(recorder.panelUpdates[1], 1);
    EXPECT_EQ(E(1, 0), 1.0);
    EXPECT_NE(E(1, 1), 1.0);
    EXPECT_EQ(E(1, 2), 0.0); // past the run: as a new run holds it
    EXPECT_EQ(d(0, 0), 0.0);
    EXPECT_LT(d(1, 1), -1.0); // degrees, not radians
}

TEST_P(EveryMethod, CountsTooLargeForTheRowsNeverWritePastTheirEnd) {
    for (int count : {999, 1000, INT_MAX}) {
        Load(testing::TwoNodeNetwork(), "5");
        IterationCount = count; // as a rejected acquisition could leave it
        recorder.panelUpdates[1] = 0;
        RunMethod();
        EXPECT_EQ(recorder.panels[1], "999");
        EXPECT_EQ(recorder.panelUpdates[1], 999);
        // entry 0 of the next row is where entry 1000 of a row would land
        EXPECT_EQ(E(1, 0), 1.0);
        EXPECT_EQ(d(1, 0), 0.0);
        EXPECT_EQ(E(2, 0), 0.0); // the row of no node: as a new run holds it
        EXPECT_EQ(d(2, 0), 0.0);
        EXPECT_NEAR(E(1, 999), 0.933714, 5e-7);
        EXPECT_NEAR(d(1, 999), -5.4364, 5e-5);
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, EveryMethod,
                         ::testing::Values(Method::Gauss, Method::Newton, Method::Stott),
                         MethodName);

// Arithmetic faults: each case names the first operation that faults. Every case stops in the
// first iteration, and the method's last run stays what it was.

struct FaultCase {
    const char* name;
    Method method;
    CellTexts (*network)();
    const char* iterations;
    double YMag22; // |Y22| written after the acquisition when not 0
    const char* fault;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string Huge = "1" + std::string(300, '0'); // 1e300, typed out

// Two nodes at 1e300 tied to a load by -1e10 and +1e10: the power sum of the load overflows to
// -inf, then adding +inf is invalid.
CellTexts HugeVoltagesNetwork() {
    CellTexts cells;
    cells.Admittance[0][0] = "1-5j";
    cells.Admittance[2][0] = "-10000000000";
    cells.Admittance[1][1] = "1-5j";
    cells.Admittance[2][1] = "10000000000";
    cells.Admittance[2][2] = "1-5j";
    for (int node : {0, 1}) {
        cells.Data[0][node] = Huge;
        cells.Data[1][node] = "0";
    }
    cells.Data[2][2] = "-0,5";
    cells.Data[3][2] = "-0,2";
    return cells;
}

// The worked network with the reference phase at 10 degrees, so that a phase left in radians
// shows.
CellTexts TurnedTwoNodeNetwork() {
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Data[1][0] = "10";
    return cells;
}

CellTexts ZeroSelfAdmittanceNetwork() {
    CellTexts cells = TurnedTwoNodeNetwork();
    cells.Admittance[1][1] = "0";
    return cells;
}

// Node 2 connected to nothing and loaded with nothing: |C + jR| = 0 divided by |Y22| = 0.
CellTexts IsolatedUnloadedNetwork() {
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Admittance[1][0] = "";
    cells.Admittance[1][1] = "0";
    cells.Data[2][1] = "0";
    cells.Data[3][1] = "0";
    return cells;
}

// QE node 2 with E = 0 on a real diagonal: C divides 0 by 0 before R divides -0.3 by 0.
CellTexts ZeroMagnitudeOnRealDiagonalNetwork() {
    CellTexts cells;
    cells.Admittance[0][0] = "2-5j";
    cells.Admittance[1][0] = "-1+5j";
    cells.Admittance[1][1] = "2";
    cells.Data[0][0] = "1";
    cells.Data[1][0] = "10";
    cells.Data[0][1] = "0";
    cells.Data[3][1] = "0,3";
    return cells;
}

// QE node 2 with E = 0, Pd node 3: the first reactive mismatch divides by E2.
CellTexts ZeroMagnitudeNetwork() {
    CellTexts cells;
    cells.Admittance[0][0] = "2-10j";
    cells.Admittance[1][0] = "-1+5j";
    cells.Admittance[2][0] = "-1+5j";
    cells.Admittance[1][1] = "2-10j";
    cells.Admittance[2][1] = "-1+5j";
    cells.Admittance[2][2] = "2-10j";
    cells.Data[0][0] = "1";
    cells.Data[1][0] = "5";
    cells.Data[0][1] = "0";
    cells.Data[3][1] = "-0,1";
    cells.Data[1][2] = "-1";
    cells.Data[2][2] = "-0,3";
    return cells;
}

// QE node 2 with E = 0 tied to a slack at 1e300: the sum of its reactive mismatch overflows,
// then Q2 / E2 divides by zero, in the same value.
CellTexts ZeroMagnitudeBesideHugeNetwork() {
    CellTexts cells;
    cells.Admittance[0][0] = "1-5j";
    cells.Admittance[1][0] = "-10000000000+5j";
    cells.Admittance[1][1] = "1-5j";
    cells.Admittance[2][1] = "-1+5j";
    cells.Admittance[2][2] = "1-5j";
    cells.Data[0][0] = Huge;
    cells.Data[1][0] = "0";
    cells.Data[0][1] = "0";
    cells.Data[3][1] = "0,3";
    cells.Data[1][2] = "2";
    cells.Data[2][2] = "0,1";
    return cells;
}

const FaultCase FaultCases[] = {
    {"gauss_huge_voltages", Method::Gauss, HugeVoltagesNetwork, "2", 0.0, "overflow"},
    {"newton_huge_voltages", Method::Newton, HugeVoltagesNetwork, "2", 0.0, "overflow"},
    {"stott_huge_voltages", Method::Stott, HugeVoltagesNetwork, "2", 0.0, "overflow"},
    {"gauss_zero_self_admittance", Method::Gauss, ZeroSelfAdmittanceNetwork, "3", 0.0,
     "division by zero"},
    {"gauss_isolated_unloaded_node", Method::Gauss, IsolatedUnloadedNetwork, "3", 0.0,
     "invalid operation"},
    {"gauss_first_faulting_operation", Method::Gauss, ZeroMagnitudeOnRealDiagonalNetwork, "2", 0.0,
     "invalid operation"},
    {"newton_overflow_in_the_jacobian", Method::Newton, TurnedTwoNodeNetwork, "3", 1e308,
     "overflow"},
    {"stott_zero_given_magnitude", Method::Stott, ZeroMagnitudeNetwork, "3", 0.0,
     "division by zero"},
    {"stott_overflow_before_the_division_by_zero", Method::Stott, ZeroMagnitudeBesideHugeNetwork,
     "2", 0.0, "overflow"},
};

class FaultingRun : public testing::SolverTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultingRun, IsNamedAfterTheFirstFaultingOperationAndKeepsTheLastRun) {
    const FaultCase& c = GetParam();
    Load(c.network(), c.iterations);
    if (c.YMag22 != 0.0) {
        YMag[1][1] = c.YMag22;
    }
    const History before = EHistoryOf(c.method);
    EXPECT_EQ(FaultOf(c.method), c.fault);
    EXPECT_EQ(recorder.panelUpdates[1], 1);
    EXPECT_FALSE(HasRun(c.method));
    EXPECT_TRUE(SameHistories(before, EHistoryOf(c.method), MaxNodes, MaxIterations - 1));
}

INSTANTIATE_TEST_SUITE_P(Cases, FaultingRun, ::testing::ValuesIn(FaultCases),
                         [](const ::testing::TestParamInfo<FaultCase>& caseInfo) {
                             return std::string(caseInfo.param.name);
                         });
// Networks and runs are values: two networks solved at once on two threads, every method
// forty times over, give the bits of the same runs made one after the other here.
TEST(RunsSideBySide, TwoThreadsGiveTheBitsOfOneAfterTheOther) {
    const char* const files[] = {"stagg-5bus-pd-qe.nwd", "glover-sarma-5bus.nwd"};
    Network networks[2];
    for (int n = 0; n < 2; ++n) {
        const Acquisition acquisition = Acquire("30", ExampleNetwork(files[n]));
        ASSERT_FALSE(acquisition.warning.has_value()) << files[n];
        networks[n] = acquisition.network;
    }
    SolverObserver quiet;
    std::vector<nodewise::Run> alone;
    for (const Network& network : networks) {
        for (const Method method : AllMethods) {
            alone.push_back(Iterate(method, network, quiet));
        }
    }
    std::vector<nodewise::Run> together[2];
    auto solve = [&](int n) {
        SolverObserver observer;
        for (int round = 0; round < 40; ++round) {
            for (const Method method : AllMethods) {
                together[n].push_back(Iterate(method, networks[n], observer));
            }
        }
    };
    std::thread first(solve, 0);
    std::thread second(solve, 1);
    first.join();
    second.join();
    for (int n = 0; n < 2; ++n) {
        ASSERT_EQ(together[n].size(), 40u * MethodCount);
        for (std::size_t r = 0; r < together[n].size(); ++r) {
            const nodewise::Run& expected =
                alone[static_cast<std::size_t>(n) * MethodCount + r % MethodCount];
            const nodewise::Run& got = together[n][r];
            EXPECT_TRUE(SameHistories(expected.EHistory, got.EHistory, 5, 30)) << files[n] << r;
            EXPECT_TRUE(SameHistories(expected.dHistory, got.dHistory, 5, 30)) << files[n] << r;
        }
    }
}

} // namespace
} // namespace nodewise
