// The frame the three load-flow methods share: the starting point, the progress report before
// every iteration, and the phases turned into degrees once the run is over. A method brings
// only what happens inside one iteration (and, for Stott-Alsac, what is done once before).
#pragma once

#include <cstring>
#include <string>

#include "core/model/network.h"
#include "core/model/power_mismatch.h"
#include "core/model/run.h"
#include "core/model/units.h"
#include "core/numeric/arithmetic_fault.h"

namespace nodewise {

// The bounds a run keeps to, whatever the caller asks: N = the network's ActiveNodeCount,
// K = `iterations` within 0..MaxIterations-1.
inline int RunIterations(int iterations) {
    return iterations < 0 ? 0 : (iterations >= MaxIterations ? MaxIterations - 1 : iterations);
}

// With N nodes and K iterations:
//   1. E[i][t] = EData[i], d[i][t] = dData[i] (radians), i = 0..N-1, t = 0 (or 0..K with
//      `startEveryEntry`);
//   2. steps.Prepare();
//   3. for k = 0..K-1: observer.Progress(k+1), then steps.Iterate(k); with a Stop(k) in the
//      steps, the run ends after the first iteration for which it says true (K = k+1);
//   4. d[i][t] in degrees, i = 0..N-1, t = 0..K.
// The arithmetic flags are cleared at the start and after every report (the observer may raise
// them). An ArithmeticFault leaves at once, carrying the iteration k+1 it happened in.
template <class Steps>
void RunSolver(const Network& network, Run& run, int iterations, bool startEveryEntry,
               SolverObserver& observer, Steps& steps) {
    ClearArithmeticFlags();
    const int N = network.ActiveNodeCount();
    const int K = RunIterations(iterations);
    run.NodeCount = N;
    run.IterationCount = K;
    run.typedIterationCount = K;
    History& E = run.EHistory;
    History& d = run.dHistory;

    // starting point, phases in radians
    const int lastStart = startEveryEntry ? K : 0;
    for (int i = 0; i < N; ++i) {
        const double E0 = Checked(network.EData[i]);
        const double d0 = Checked(network.dData[i]);
        for (int t = 0; t <= lastStart; ++t) {
            E[i][t] = E0;
            d[i][t] = d0;
        }
    }
    steps.Prepare();

    for (int k = 0; k < K; ++k) {
        CheckArithmetic();
        observer.Progress(k + 1);
        ClearArithmeticFlags();
        try {
            steps.Iterate(k);
        } catch (ArithmeticFault& fault) {
            fault.iteration = k + 1; // as the status bar counts
            throw;
        }
        if constexpr (requires { steps.Stop(k); }) {
            if (steps.Stop(k)) {
                run.IterationCount = k + 1;
                break;
            }
        }
    }

    // phases to degrees, entries 0..K
    const int last = run.IterationCount;
    try {
        for (int i = 0; i < N; ++i) {
            for (int t = 0; t <= last; ++t) {
                d[i][t] = Checked(d[i][t] * RadiansToDegrees);
            }
        }
    } catch (ArithmeticFault& fault) {
        fault.iteration = last; // after the last iteration, turning its phases into degrees
        throw;
    }
}

// Newton-Raphson's and Stott-Alsac's run: the plain `steps` when every option is off, so that
// the loop tests none; otherwise OptionSteps made from them, configured first.
template <class OptionSteps, class Steps>
void RunWithOptionSteps(const Network& network, Run& run, int iterations, SolverObserver& observer,
                        Steps& steps) {
    if (AllOff(run.options)) {
        RunSolver(network, run, iterations, true, observer, steps);
        return;
    }
    OptionSteps withOptions{steps};
    withOptions.Configure();
    RunSolver(network, run, iterations, true, observer, withOptions);
}

// The tolerance stop after iteration k: whether the mismatch of entry k+1 is within
// run.options.stopTolerance, judged as the convergence trace judges it (the phases as they will
// be in degrees, the limits that hold the nodes there). Records it in run.converged. Leaves the
// arithmetic flags as they were: a fault pending from the iteration is left for the frame to
// report (nothing is judged then), and whatever the judgement itself raises is forgotten.
inline bool ToleranceReached(const Network& network, Run& run, int k) {
    run.converged = false;
    if (!run.options.stopTolerance || PendingArithmeticFault() != nullptr) {
        return false;
    }
    const int entry = k + 1;
    const int N = run.NodeCount;
    double E[MaxNodes] = {};
    double dDegrees[MaxNodes] = {};
    for (int i = 0; i < N; ++i) {
        E[i] = run.EHistory[i][entry];
        dDegrees[i] = run.dHistory[i][entry] * RadiansToDegrees;
    }
    const NodePhasors V = StateVoltages(E, dDegrees, N);
    const MismatchEntry mismatch =
        run.heldLimits.empty()
            ? Mismatch(network, V, N)
            : Mismatch(network, V, N, run.options, run.heldLimits[static_cast<std::size_t>(entry)]);
    ClearArithmeticFlags();
    run.converged = WithinTolerance(mismatch.mismatch, *run.options.stopTolerance);
    return run.converged;
}

// A run of `method` about to start: its options, and the network's node powers, which
// Gauss-Seidel replaces where it computes them.
inline Run NewRun(Method method, const Network& network, const CalculationOptions& options) {
    Run run;
    run.method = method;
    run.options = options;
    std::memcpy(run.PData, network.PData, sizeof run.PData);
    std::memcpy(run.QData, network.QData, sizeof run.QData);
    return run;
}

// What Newton-Raphson and Stott-Alsac solve: the network's admittances and given P, the Q of
// each node's Q equation (SetQ: the limit of a node held at one) and the numbering in force.
class NodeEquations {
public:
    explicit NodeEquations(const Network& network)
        : network_(network), YMag(network.YMag), YAng(network.YAng), PData(network.PData),
          numbering_(network.SystemNumbering()), EquationNodes(numbering_.EquationNodes),
          UnknownNodes(numbering_.UnknownNodes) {
        std::memcpy(QData, network.QData, sizeof QData);
    }
    NodeEquations(const NodeEquations&) = delete; // the node lists refer to its own numbering
    NodeEquations& operator=(const NodeEquations&) = delete;
    ~NodeEquations() = default;

    const Numbering& SystemNumbering() const { return numbering_; }
    void SetQ(int i, double Q) { QData[i] = Q; }

protected:
    const Network& network_;
    const double (&YMag)[MaxNodes][MaxNodes];
    const double (&YAng)[MaxNodes][MaxNodes];
    const double (&PData)[MaxNodes];
    double QData[MaxNodes];
    Numbering numbering_;
    const int (&EquationNodes)[MaxOrder];
    const int (&UnknownNodes)[MaxOrder];
};

// The record of iteration `iteration` of Newton-Raphson or Stott-Alsac: the numbering in force,
// the solver's System (NewtonSystem or StottSystem) and the run's inversions.
template <class System, class Solver>
IterationRecord SystemRecord(int iteration, const Solver& solver, const Run& run) {
    IterationRecord record;
    record.iteration = iteration;
    record.numbering = solver.SystemNumbering();
    static_cast<System&>(record) = solver;
    record.JacobianInversion = run.JacobianInversion;
    record.BPrimeInversion = run.BPrimeInversion;
    record.BSecondInversion = run.BSecondInversion;
    return record;
}

// Tells the observer of an inversion that did not succeed; the flags it raises are forgotten.
inline void TellInversion(SolverObserver& observer, Inversion outcome) {
    if (outcome != Inversion::Done) {
        observer.InversionFailed(outcome);
        ClearArithmeticFlags();
    }
}

} // namespace nodewise
