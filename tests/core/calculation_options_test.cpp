// The calculation options inside the solvers: the tolerance stop, the Gauss-Seidel acceleration
// and the reactive limits, each against a computation that does without it.
#include <gtest/gtest.h>

#include <string>

#include "core/model/calculation_options.h"
#include "core/report/step_export.h"
#include "core/solvers/gauss_seidel.h"
#include "solver_fixture.h"

namespace nodewise::testing {
namespace {

using LoadFlowRun = nodewise::Run; // TEST bodies see testing::Test::Run

const char* const Examples[] = {
    "two-node.nwd",   "saadat-3bus-pq.nwd",   "saadat-3bus-pv.nwd",   "grainger-stevenson-4bus.nwd",
    "stagg-5bus.nwd", "stagg-5bus-pd-qe.nwd", "glover-sarma-5bus.nwd"};

Network Acquired(const CellTexts& cells, const char* iterations) {
    const Acquisition acquisition = Acquire(iterations, cells);
    EXPECT_FALSE(acquisition.warning);
    return acquisition.network;
}

LoadFlowRun RunWith(Method method, const Network& network, const CalculationOptions& options) {
    SolverObserver observer;
    return Iterate(method, network, observer, options);
}

// Entries 0..last of both histories, bit for bit, with the node powers.
void ExpectSameRun(const LoadFlowRun& a, const LoadFlowRun& b, int last, const std::string& what) {
    EXPECT_TRUE(SameHistories(a.EHistory, b.EHistory, a.NodeCount, last)) << what;
    EXPECT_TRUE(SameHistories(a.dHistory, b.dHistory, a.NodeCount, last)) << what;
}

// The first entry k >= 1 of a trace within the tolerance.
std::optional<int> FirstWithin(const std::vector<MismatchEntry>& trace, double tolerance) {
    for (std::size_t k = 1; k < trace.size(); ++k) {
        if (WithinTolerance(trace[k].mismatch, tolerance)) {
            return static_cast<int>(k);
        }
    }
    return std::nullopt;
}

// A run stopped at a tolerance is the first k entries of the full run, k the first iteration
// whose entry the full run's own trace finds within it; with limits in force as well.
TEST(ToleranceStop, IsThePrefixOfTheFullRunUpToTheFirstEntryWithin) {
    struct Case {
        const char* file;
        double tolerance;
        bool limits;
    };
    std::vector<Case> cases;
    for (const char* file : Examples) {
        cases.push_back({file, 1e-6, false});
        cases.push_back({file, 1e-12, false});
    }
    cases.push_back({"saadat-3bus-pv.nwd", 1e-8, true});
    cases.push_back({"glover-sarma-5bus.nwd", 1e-8, true});
    for (const Case& c : cases) {
        const Network network = Acquired(ExampleNetwork(c.file), "200");
        for (Method method : AllMethods) {
            if (DecideMethod(network, method) == MethodDecision::Refuse) {
                continue;
            }
            const std::string what = std::string(c.file) + ", " + MethodTitle(method) + ", " +
                                     std::to_string(c.tolerance) + (c.limits ? ", limits" : "");
            CalculationOptions full;
            if (c.limits) {
                full.reactiveLimits[2].qmax = 1.2; // node 3 is PE in both
            }
            CalculationOptions stopped = full;
            stopped.stopTolerance = c.tolerance;
            const LoadFlowRun whole = c.limits ? RunWith(method, network, full)
                                               : RunWith(method, network, CalculationOptions{});
            const LoadFlowRun stop = RunWith(method, network, stopped);
            const std::optional<int> k = FirstWithin(MismatchTrace(network, whole), c.tolerance);

            EXPECT_EQ(stop.typedIterationCount, 200) << what;
            EXPECT_EQ(stop.converged, k.has_value()) << what;
            EXPECT_EQ(stop.IterationCount, k.value_or(200)) << what;
            ExpectSameRun(stop, whole, stop.IterationCount, what);
            if (c.limits) {
                ASSERT_EQ(stop.heldLimits.size(), static_cast<std::size_t>(stop.IterationCount) + 1)
                    << what;
                EXPECT_TRUE(std::equal(stop.heldLimits.begin(), stop.heldLimits.end(),
                                       whole.heldLimits.begin()))
                    << what;
            }
            // the stopped run's own trace agrees on where it converged
            EXPECT_EQ(FirstWithin(MismatchTrace(network, stop), c.tolerance), k) << what;
        }
    }
}

// Options that change nothing (alpha 1, a tolerance never reached) take the options' path and
// still give today's run bit for bit.
TEST(NeutralOptions, GiveThePlainRunBitForBit) {
    CalculationOptions options;
    options.stopTolerance = 1e-300;
    for (const char* file : Examples) {
        const Network network = Acquired(ExampleNetwork(file), "60");
        for (Method method : AllMethods) {
            const std::string what = std::string(file) + ", " + MethodTitle(method);
            SolverObserver observer;
            const LoadFlowRun plain = Iterate(method, network, observer);
            const LoadFlowRun neutral = RunWith(method, network, options);
            ASSERT_EQ(neutral.IterationCount, 60) << what;
            ExpectSameRun(neutral, plain, 60, what);
            EXPECT_EQ(0, std::memcmp(neutral.QData, plain.QData, sizeof plain.QData)) << what;
            EXPECT_EQ(0, std::memcmp(neutral.PData, plain.PData, sizeof plain.PData)) << what;
        }
    }
}

// Accelerated Gauss-Seidel reaches the state the plain method reaches, on networks whose nodes
// have both unknowns (the complex voltage moves), the phase alone (PE, QE) or the magnitude alone
// (Pd); on Saadat's PQ network in fewer iterations (22 plain, 16 with 1.2, as a plain complex
// computation of the same update counts them).
TEST(Acceleration, ReachesTheSameStateAsThePlainMethod) {
    struct Case {
        const char* file;
        double alpha;
        bool fewer;
    };
    const Case cases[] = {{"saadat-3bus-pq.nwd", 1.2, true},
                          {"saadat-3bus-pv.nwd", 1.3, false},
                          {"stagg-5bus-pd-qe.nwd", 1.3, false},
                          {"glover-sarma-5bus.nwd", 1.5, false}};
    for (const Case& c : cases) {
        const Network network = Acquired(ExampleNetwork(c.file), "999");
        CalculationOptions plain;
        plain.stopTolerance = 1e-10;
        CalculationOptions accelerated = plain;
        accelerated.acceleration = c.alpha;
        const LoadFlowRun a = RunWith(Method::Gauss, network, plain);
        const LoadFlowRun b = RunWith(Method::Gauss, network, accelerated);
        ASSERT_TRUE(a.converged && b.converged) << c.file;
        if (c.fewer) {
            EXPECT_LT(b.IterationCount, a.IterationCount) << c.file;
        }
        for (int i = 0; i < network.NodeCount; ++i) {
            EXPECT_NEAR(b.EHistory[i][b.IterationCount], a.EHistory[i][a.IterationCount], 1e-8)
                << c.file;
            EXPECT_NEAR(b.dHistory[i][b.IterationCount], a.dHistory[i][a.IterationCount], 1e-6)
                << c.file;
        }
    }
}

// One accelerated iteration seen in its step: a node with the magnitude alone unknown (Pd) moves
// alpha times as far as |C + jR| / |Y_ii|, one with the phase alone (QE) as far as the angle of
// C + jR, a PQ node's complex voltage as far as (C + jR) / |Y_ii|.
TEST(Acceleration, MovesEachUnknownAlphaTimesAsFar) {
    const Network network = Acquired(ExampleNetwork("stagg-5bus-pd-qe.nwd"), "10");
    CalculationOptions options;
    options.acceleration = 1.7;
    const IterationStep step = ComputeStep(network, Method::Gauss, 2, options);
    ASSERT_FALSE(step.fault);
    for (const GaussNodeStep& node : step.nodes) {
        const int i = node.node;
        const std::complex<double> rule = std::complex<double>(node.C, node.R) / network.YMag[i][i];
        const double dBefore = step.dBefore[i] * DegreesToRadians;
        const double dAfter = step.dAfter[i] * DegreesToRadians;
        if (node.type == Pd) {
            EXPECT_NEAR(step.EAfter[i], step.EBefore[i] + 1.7 * (std::abs(rule) - step.EBefore[i]),
                        1e-14);
        } else if (node.type == QE) {
            EXPECT_NEAR(dAfter, dBefore + 1.7 * (std::arg(rule) - dBefore), 1e-14);
        } else if (node.type == PQ) {
            const std::complex<double> before = std::polar(step.EBefore[i], dBefore);
            const std::complex<double> after = before + 1.7 * (rule - before);
            EXPECT_NEAR(step.EAfter[i], std::abs(after), 1e-14);
            EXPECT_NEAR(dAfter, std::arg(after), 1e-14);
        }
    }
}

// The network with node `node` typed as a PQ node whose Q is `Q`, E not given.
CellTexts HeldAsPQ(CellTexts cells, int node, double Q) {
    std::string text = std::to_string(Q);
    std::replace(text.begin(), text.end(), '.', ',');
    cells.Data[0][node] = "";
    cells.Data[3][node] = text;
    return cells;
}

// A converged run with limits against the same network with the held node typed PQ at its limit
// and solved without limits; a node held at Qmax stays below its given E, at Qmin above it.
TEST(ReactiveLimits, HeldNodeSolvesAsAPQNodeAtItsLimit) {
    struct Case {
        const char* file;
        int node;
        std::optional<double> qmin, qmax;
        HeldLimit held;
    };
    const Case cases[] = {
        {"saadat-3bus-pv.nwd", 2, std::nullopt, 1.2, HeldLimit::Max},     // Q 1.46 without
        {"saadat-3bus-pv.nwd", 2, 1.8, std::nullopt, HeldLimit::Min},     //
        {"grainger-stevenson-4bus.nwd", 3, 0.2, 1.0, HeldLimit::Max},     // Q 1.32 without
        {"grainger-stevenson-4bus.nwd", 3, 1.6, 2.0, HeldLimit::Min},     //
        {"glover-sarma-5bus.nwd", 2, std::nullopt, 5.0, HeldLimit::None}, // Q 5.22 at the
        // start, 2.97 at the end: held at the start, back to PE
    };
    for (const Case& c : cases) {
        const CellTexts cells = ExampleNetwork(c.file);
        const Network network = Acquired(cells, "999");
        CalculationOptions options;
        options.reactiveLimits[c.node] = {c.qmin, c.qmax};
        ASSERT_FALSE(LimitsProblem(network, options));
        const double limit = c.held == HeldLimit::Max   ? *c.qmax
                             : c.held == HeldLimit::Min ? *c.qmin
                                                        : 0.0;
        const Network reference =
            c.held == HeldLimit::None ? network : Acquired(HeldAsPQ(cells, c.node, limit), "999");
        SolverObserver observer;
        const LoadFlowRun expected = Iterate(Method::Newton, reference, observer);
        const int last = expected.IterationCount;
        for (Method method : AllMethods) {
            const std::string what = std::string(c.file) + ", " + MethodTitle(method) + ", node " +
                                     std::to_string(c.node + 1);
            const LoadFlowRun run = RunWith(method, network, options);
            const int K = run.IterationCount;
            ASSERT_EQ(run.heldLimits.size(), static_cast<std::size_t>(K) + 1) << what;
            EXPECT_EQ(run.heldLimits[K][c.node], c.held) << what;
            for (int i = 0; i < network.NodeCount; ++i) {
                EXPECT_NEAR(run.EHistory[i][K], expected.EHistory[i][last], 1e-9)
                    << what << " E" << i + 1;
                EXPECT_NEAR(run.dHistory[i][K], expected.dHistory[i][last], 1e-9)
                    << what << " d" << i + 1;
            }
            const double E = run.EHistory[c.node][K];
            const double given = network.EData[c.node];
            if (c.held == HeldLimit::Max) {
                EXPECT_LT(E, given) << what;
            } else if (c.held == HeldLimit::Min) {
                EXPECT_GT(E, given) << what;
            } else {
                // held at the start, back to PE at its given E
                EXPECT_EQ(run.heldLimits[1][c.node], HeldLimit::Max) << what;
                EXPECT_EQ(E, given) << what;
            }
        }
    }
}

// The step of an iteration with a held node: the grown system labelled with the held node's Q
// equation and E unknown, and the node named once.
TEST(ReactiveLimits, StepShowsTheGrownSystem) {
    const Network network = Acquired(ExampleNetwork("saadat-3bus-pv.nwd"), "10");
    CalculationOptions options;
    options.reactiveLimits[2].qmax = 1.2;
    for (Method method : {Method::Newton, Method::Stott}) {
        const IterationStep plain = ComputeStep(network, method, 3);
        const IterationStep step = ComputeStep(network, method, 3, options);
        EXPECT_EQ(step.equations.size(), plain.equations.size() + 1);
        EXPECT_EQ(step.unknowns.size(), plain.unknowns.size() + 1);
        const auto has = [](const std::vector<StepLabel>& labels, char quantity, int node) {
            return std::any_of(labels.begin(), labels.end(), [&](const StepLabel& label) {
                return label.quantity == quantity && label.node == node;
            });
        };
        EXPECT_TRUE(has(step.equations, 'Q', 2) && has(step.unknowns, 'E', 2));
        EXPECT_FALSE(has(plain.equations, 'Q', 2) || has(plain.unknowns, 'E', 2));
        EXPECT_EQ(HeldNodeNotes(step).size(), 1u);
        EXPECT_TRUE(HeldNodeNotes(plain).empty());
        if (method == Method::Newton) {
            EXPECT_EQ(step.jacobian.size(), plain.jacobian.size() + 1);
        } else {
            EXPECT_EQ(step.bSecond.size(), plain.bSecond.size() + 1);
        }
    }
}

// What LimitsProblem refuses on Saadat's PV network (node 1 Ed, node 2 PQ, node 3 PE).
TEST(ReactiveLimits, ProblemsNameTheNode) {
    const Network network = Acquired(ExampleNetwork("saadat-3bus-pv.nwd"), "10");
    struct Case {
        int node;
        std::optional<double> qmin, qmax;
        bool refused;
    };
    const Case cases[] = {
        {2, -0.5, 2.0, false},
        {2, std::nullopt, 2.0, false},
        {2, -0.5, std::nullopt, false},
        {2, 1.0, 1.0, false},
        {2, 2.0, 1.0, true},
        {0, -0.5, 2.0, true}, // the reference node
        {1, std::nullopt, 2.0, true},
        {5, -0.5, std::nullopt, true}, // beyond the network
        {2, std::nullopt, std::numeric_limits<double>::infinity(), true},
    };
    for (const Case& c : cases) {
        CalculationOptions options;
        options.reactiveLimits[c.node] = {c.qmin, c.qmax};
        const std::optional<std::string> problem = LimitsProblem(network, options);
        EXPECT_EQ(problem.has_value(), c.refused) << "node " << c.node + 1;
        if (problem) {
            EXPECT_NE(problem->find(std::to_string(c.node + 1)), std::string::npos) << *problem;
        }
    }
}

} // namespace
} // namespace nodewise::testing
