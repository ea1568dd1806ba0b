// Helpers shared by the solver tests: a network acquired from cell texts or an example file,
// the latest run of each method on it, and a recorder as the user port.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/iteration_step.h"
#include "core/analysis/mismatch_trace.h"
#include "core/analysis/power_balance.h"
#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/model/network.h"
#include "core/model/run.h"
#include "core/model/units.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/report/analysis_report.h"
#include "core/results/methods.h"
#include "test_support.h"

namespace nodewise::testing {

// Relative comparison with an absolute floor for values near zero.
inline bool FuzzyCompare(double actual, double expected, double tolerance) {
    return std::fabs(actual - expected) <= tolerance * std::fmax(1.0, std::fabs(expected));
}

inline bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// True when rows 0..nodes-1, entries 0..last of the two histories are identical bit for bit.
inline bool SameHistories(const HistoryRows& a, const HistoryRows& b, int nodes, int last) {
    for (int i = 0; i < nodes; ++i) {
        if (std::memcmp(a[i], b[i], sizeof(double) * static_cast<std::size_t>(last + 1)) != 0) {
            return false;
        }
    }
    return true;
}

struct PublishedVoltage {
    const char* file;
    int node;    // 0-based
    double E;    // pu
    double d;    // degrees
    double Etol; // half a unit of the last printed digit
    double dtol;
};

// The published solutions of the example networks, each to the precision it is printed with
// (node 0 is the reference node, given). The two-node network has no book behind it: its values
// come from the closed complex computation.
inline const PublishedVoltage PublishedVoltages[] = {
    {"two-node.nwd", 0, 1.0, 0.0, 1e-12, 0.0},
    {"two-node.nwd", 1, 0.933714, -5.4364, 5e-7, 5e-5},
    {"saadat-3bus-pq.nwd", 0, 1.05, 0.0, 1e-12, 0.0},
    // V2 = 0.98 - j0.06 and V3 = 1 - j0.05 exactly
    {"saadat-3bus-pq.nwd", 1, 0.9818350166906862, -3.503531644784458, 1e-12, 1e-10},
    {"saadat-3bus-pq.nwd", 2, 1.0012492197250393, -2.862405226111748, 1e-12, 1e-10},
    {"saadat-3bus-pv.nwd", 0, 1.05, 0.0, 1e-12, 0.0},
    {"saadat-3bus-pv.nwd", 1, 0.97168, -2.696, 5e-6, 5e-4},
    {"saadat-3bus-pv.nwd", 2, 1.04, -0.499, 0.0, 5e-4},
    {"grainger-stevenson-4bus.nwd", 0, 1.0, 0.0, 1e-12, 0.0},
    {"grainger-stevenson-4bus.nwd", 1, 0.982, -0.976, 5e-4, 5e-4},
    {"grainger-stevenson-4bus.nwd", 2, 0.969, -1.872, 5e-4, 5e-4},
    {"grainger-stevenson-4bus.nwd", 3, 1.020, 1.523, 5e-4, 5e-4},
    {"stagg-5bus.nwd", 0, 1.06, 0.0, 1e-12, 0.0},
    {"stagg-5bus.nwd", 1, 1.047, -2.806, 5e-4, 5e-4},
    {"stagg-5bus.nwd", 2, 1.024, -4.997, 5e-4, 5e-4},
    {"stagg-5bus.nwd", 3, 1.024, -5.329, 5e-4, 5e-4},
    {"stagg-5bus.nwd", 4, 1.018, -6.150, 5e-4, 5e-4},
    {"stagg-5bus-pd-qe.nwd", 0, 1.06, 0.0, 1e-12, 0.0},
    {"stagg-5bus-pd-qe.nwd", 1, 1.047, -2.80632, 5e-4, 1e-12},
    {"stagg-5bus-pd-qe.nwd", 2, 1.024176, -4.997, 1e-12, 5e-4},
    {"stagg-5bus-pd-qe.nwd", 3, 1.024, -5.329, 5e-4, 5e-4},
    {"stagg-5bus-pd-qe.nwd", 4, 1.018, -6.150, 5e-4, 5e-4},
    {"glover-sarma-5bus.nwd", 0, 1.0, 0.0, 1e-12, 0.0},
    {"glover-sarma-5bus.nwd", 1, 0.834, -22.407, 5e-4, 1e-3}, // the file rounds Y to 5 decimals
    {"glover-sarma-5bus.nwd", 2, 1.050, -0.597, 0.0, 5e-4},
    {"glover-sarma-5bus.nwd", 3, 1.019, -2.834, 5e-4, 5e-4},
    {"glover-sarma-5bus.nwd", 4, 0.974, -4.548, 5e-4, 5e-4},
};

inline CellTexts ExampleNetwork(const std::string& name) {
    CellTexts cells;
    std::string reason;
    EXPECT_TRUE(
        ReadNetworkFile(std::string(NODEWISE_SOURCE_DIR) + "/examples/" + name, cells, &reason))
        << name << ": " << reason;
    return cells;
}

// A network and the latest run of each method on it, under the names the quantities have in
// the program (NodeCount, EData, EHistoryNewton, ...), so that a test reads as the formulas do.
// The runs' progress and inversion messages reach `recorder`.
class Workbench {
public:
    Workbench() = default;
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    // Acquires the cells into `net`, forgetting the runs; the acquisition's warning, if any.
    std::optional<int> Acquire(std::string_view iterations, const CellTexts& texts) {
        runs.Clear();
        acquired = false;
        this->cells = texts;
        Acquisition acquisition = nodewise::Acquire(iterations, texts);
        net = acquisition.network;
        acquired = !acquisition.warning;
        return acquisition.warning;
    }

    // Acquires the network as the data-entry window would; the test fails on a warning.
    void Load(const CellTexts& texts, const char* iterations) {
        const std::optional<int> warning = Acquire(iterations, texts);
        ASSERT_FALSE(warning.has_value()) << "warning " << *warning;
    }

    // Runs the method on `net` for its iteration count; the run replaces the method's last one.
    // An arithmetic fault propagates and leaves the last run as it was.
    void Iterate(Method method) {
        runs.Forget(method);
        const Run run = nodewise::Iterate(method, net, observer);
        RunOf(method) = run; // a copy, into the storage the names are bound to
        runs.Store(run);
    }
    void GaussIterate() { Iterate(Method::Gauss); }
    void NewtonIterate() { Iterate(Method::Newton); }
    void StottIterate() { Iterate(Method::Stott); }

    // Runs the method and returns the description of the arithmetic fault that ended it ("" if
    // none).
    std::string FaultOf(Method method) {
        try {
            Iterate(method);
        } catch (const ArithmeticFault& fault) {
            ClearArithmeticFlags();
            return fault.what();
        }
        return "";
    }

    Run& RunOf(Method method) {
        return method == Method::Gauss ? gauss : method == Method::Newton ? newton : stott;
    }
    const History& EHistoryOf(Method method) { return RunOf(method).EHistory; }
    const History& dHistoryOf(Method method) { return RunOf(method).dHistory; }

    // The analyses of the runs held, as the windows ask for them.
    bool HasRun(Method method) const { return runs.Has(method); }
    bool NetworkAcquired() const { return acquired; }
    std::vector<MethodTrace> RunTraces() const { return nodewise::RunTraces(net, runs); }
    std::vector<MismatchEntry> MismatchTrace(Method method) {
        return nodewise::MismatchTrace(net, RunOf(method));
    }
    PowerBalance ComputePowerBalance(Method method) {
        return nodewise::ComputePowerBalance(net, RunOf(method));
    }
    std::string FormatAnalysisReport(ReportFormat format, Method method, double tolerance,
                                     const NumberStyle& style = {}) const {
        return nodewise::FormatAnalysisReport(format, net, cells, runs, method, tolerance, style);
    }
    std::optional<NotConverged> LastIterateNotConverged(Method method, double tolerance) {
        return nodewise::LastIterateNotConverged(net, RunOf(method), tolerance);
    }
    IterationStep ComputeStep(Method method, int iteration) const {
        return nodewise::ComputeStep(net, method, iteration);
    }

    int ActiveNodeCount() const { return net.ActiveNodeCount(); }
    int LastHistoryEntry() const { return net.LastHistoryEntry(); }
    bool MethodConditionHolds() const { return net.MethodConditionHolds(); }

    Network net;
    CellTexts cells;
    bool acquired = false;
    RunSet runs;
    Run gauss, newton, stott;
    MessageRecorder recorder;
    PortObserver observer{recorder};

    // The names, bound to the members above (a run is copied into the same storage).
    int& NodeCount = net.NodeCount;
    int& IterationCount = net.IterationCount;
    int& PEquationCount = net.PEquationCount;
    int& QEquationCount = net.QEquationCount;
    int& EUnknownCount = net.EUnknownCount;
    int& dUnknownCount = net.dUnknownCount;
    int& UnknownCount = net.UnknownCount;
    Complex (&YComplex)[MaxNodes][MaxNodes] = net.YComplex;
    double (&YMag)[MaxNodes][MaxNodes] = net.YMag;
    double (&YAng)[MaxNodes][MaxNodes] = net.YAng;
    double (&EData)[MaxNodes] = net.EData;
    double (&dData)[MaxNodes] = net.dData;
    double (&PData)[MaxNodes] = net.PData;
    double (&QData)[MaxNodes] = net.QData;
    int (&NodeTypes)[MaxNodes] = net.NodeTypes;
    int (&EquationNodes)[MaxOrder] = net.EquationNodes;
    int (&UnknownNodes)[MaxOrder] = net.UnknownNodes;
    HistoryRows& EHistoryGauss = gauss.EHistory.rows();
    HistoryRows& dHistoryGauss = gauss.dHistory.rows();
    HistoryRows& EHistoryNewton = newton.EHistory.rows();
    HistoryRows& dHistoryNewton = newton.dHistory.rows();
    HistoryRows& EHistoryStott = stott.EHistory.rows();
    HistoryRows& dHistoryStott = stott.dHistory.rows();
};

class SolverTest : public ::testing::Test, public Workbench {};

} // namespace nodewise::testing
