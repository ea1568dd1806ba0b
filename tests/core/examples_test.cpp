// The sample networks shipped in examples/: each one loads, acquires and converges under
// Newton-Raphson to the voltages printed in its source, and the two other methods reach the
// same point.
#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

#include "core/input/acquisition.h"
#include "core/model/network.h"
#include "core/solvers/gauss_seidel.h"
#include "core/solvers/newton_raphson.h"
#include "core/solvers/stott_alsac.h"
#include "solver_fixture.h"

namespace nodewise {
namespace {

using testing::ExampleNetwork;

struct ExampleCase {
    const char* file;
    std::vector<int> types;
    int gaussIterations; // enough for Gauss-Seidel to settle on this network
};

// Names the case by its file in test output.
void PrintTo(const ExampleCase& c, std::ostream* os) {
    *os << c.file;
}

class ExampleNetworkTest : public testing::SolverTest,
                           public ::testing::WithParamInterface<ExampleCase> {
protected:
    // The case's file, acquired with the given iteration count.
    void LoadExample(int iterations) {
        Load(ExampleNetwork(GetParam().file), std::to_string(iterations).c_str());
    }
};

TEST_P(ExampleNetworkTest, AcquiresWithTheDocumentedNodeTypes) {
    const ExampleCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(LoadExample(10));
    ASSERT_EQ(NodeCount, static_cast<int>(c.types.size())) << c.file;
    for (int i = 0; i < NodeCount; ++i) {
        EXPECT_EQ(NodeTypes[i], c.types[i]) << c.file << ", node " << i + 1;
    }
    // As many Pd as QE nodes in every example, so that Stott-Alsac is offered too.
    EXPECT_TRUE(MethodConditionHolds()) << c.file;
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_P(ExampleNetworkTest, NewtonRaphsonConvergesToThePublishedSolution) {
    const ExampleCase& c = GetParam();
    constexpr int K = 10;
    ASSERT_NO_FATAL_FAILURE(LoadExample(K));
    NewtonIterate();
    EXPECT_TRUE(recorder.messages.empty()) << c.file << ": " << recorder.messages[0].text;
    int published = 0;
    for (const testing::PublishedVoltage& p : testing::PublishedVoltages) {
        if (std::string(p.file) == c.file) {
            EXPECT_NEAR(EHistoryNewton[p.node][K], p.E, p.Etol) << c.file << " node " << p.node + 1;
            EXPECT_NEAR(dHistoryNewton[p.node][K], p.d, p.dtol) << c.file << " node " << p.node + 1;
            ++published;
        }
    }
    EXPECT_GT(published, 0) << c.file;
    // Settled, not merely passing by: the last two iterations agree.
    for (int i = 0; i < NodeCount; ++i) {
        EXPECT_NEAR(EHistoryNewton[i][K], EHistoryNewton[i][K - 1], 1e-12) << c.file;
        EXPECT_NEAR(dHistoryNewton[i][K], dHistoryNewton[i][K - 1], 1e-10) << c.file;
    }
}

TEST_P(ExampleNetworkTest, GaussSeidelAndStottAlsacReachTheNewtonRaphsonPoint) {
    const ExampleCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(LoadExample(10));
    NewtonIterate();
    double newtonE[MaxNodes] = {};
    double newtonD[MaxNodes] = {};
    for (int i = 0; i < NodeCount; ++i) {
        newtonE[i] = EHistoryNewton[i][10];
        newtonD[i] = dHistoryNewton[i][10];
    }
    auto expectAtNewtonPoint = [&](const HistoryRows& E, const HistoryRows& d, int entry,
                                   const char* method) {
        for (int i = 0; i < NodeCount; ++i) {
            EXPECT_NEAR(E[i][entry], newtonE[i], 1e-7)
                << c.file << " " << method << ", node " << i + 1;
            EXPECT_NEAR(d[i][entry], newtonD[i], 1e-5)
                << c.file << " " << method << ", node " << i + 1;
        }
    };

    ASSERT_NO_FATAL_FAILURE(LoadExample(40));
    StottIterate();
    expectAtNewtonPoint(EHistoryStott, dHistoryStott, 40, "Stott-Alsac");

    ASSERT_NO_FATAL_FAILURE(LoadExample(c.gaussIterations));
    GaussIterate();
    expectAtNewtonPoint(EHistoryGauss, dHistoryGauss, c.gaussIterations, "Gauss-Seidel");

    EXPECT_TRUE(recorder.messages.empty()) << c.file << ": " << recorder.messages[0].text;
}

// The examples, with the type of every node (their published solutions are in
// solver_fixture.h).
INSTANTIATE_TEST_SUITE_P(
    Published, ExampleNetworkTest,
    ::testing::Values(ExampleCase{"two-node.nwd", {Ed, PQ}, 60},
                      ExampleCase{"saadat-3bus-pq.nwd", {Ed, PQ, PQ}, 60},
                      ExampleCase{"saadat-3bus-pv.nwd", {Ed, PQ, PE}, 60},
                      ExampleCase{"grainger-stevenson-4bus.nwd", {Ed, PQ, PQ, PE}, 100},
                      ExampleCase{"stagg-5bus.nwd", {Ed, PQ, PQ, PQ, PQ}, 150},
                      ExampleCase{"stagg-5bus-pd-qe.nwd", {Ed, Pd, QE, PQ, PQ}, 400},
                      ExampleCase{"glover-sarma-5bus.nwd", {Ed, PQ, PE, PQ, PQ}, 400}),
    [](const ::testing::TestParamInfo<ExampleCase>& caseInfo) {
        std::string name = caseInfo.param.file;
        name = name.substr(0, name.find('.'));
        for (char& ch : name) {
            if (ch == '-') {
                ch = '_';
            }
        }
        return name;
    });

} // namespace
} // namespace nodewise
