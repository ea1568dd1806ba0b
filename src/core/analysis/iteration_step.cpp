// The step of iteration k is what the solver holds once it has run k iterations: the method's
// own routine runs k iterations of the network and records its work vectors and matrices at
// the end of the last one.
#include "core/analysis/iteration_step.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include <tuple>

#include "core/model/network.h"
#include "core/numeric/arithmetic_fault.h"

namespace nodewise {

namespace {

int Clamp(int value, int high) {
    return std::clamp(value, 0, high);
}

// Asks the solver for the record of one iteration and shows nothing.
class StepObserver final : public SolverObserver {
public:
    explicit StepObserver(int iteration) : iteration_(iteration) {}
    int RecordedIteration() const override { return iteration_; }

private:
    int iteration_;
};

template <int Order> StepMatrix Block(const double (&matrix)[Order][Order], int rows, int columns) {
    StepMatrix block(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        block[r].assign(matrix[r], matrix[r] + columns);
    }
    return block;
}

// Rows P of EquationNodes[0..nP-1] then Q; unknowns E of UnknownNodes[0..nE-1] then d.
void Label(const Numbering& numbering, IterationStep& step, int nP, int rows, int nE, int columns) {
    const auto& [EquationNodes, UnknownNodes] =
        std::tie(numbering.EquationNodes, numbering.UnknownNodes);
    step.pEquations = nP;
    step.eUnknowns = nE;
    for (int r = 0; r < rows; ++r) {
        step.equations.push_back({r < nP ? 'P' : 'Q', EquationNodes[r]});
    }
    for (int c = 0; c < columns; ++c) {
        step.unknowns.push_back({c < nE ? 'E' : 'd', UnknownNodes[c]});
    }
}

// The numbering in force in the recorded iteration.
void ReadNewton(IterationStep& step, const IterationRecord& record) {
    const Numbering& numbering = record.numbering;
    const int n = Clamp(numbering.UnknownCount, MaxOrder);
    Label(numbering, step, Clamp(numbering.PEquationCount, n), n, Clamp(numbering.EUnknownCount, n),
          n);
    step.mismatch.assign(record.MismatchNewton, record.MismatchNewton + n);
    step.jacobian = Block(record.Jacobian, n, n);
    step.jacobianInverse = Block(record.JacobianInverse, n, n);
    step.correction.assign(record.CorrectionNewton, record.CorrectionNewton + n);
    step.jacobianInversion = record.JacobianInversion;
}

void ReadStott(IterationStep& step, const IterationRecord& record) {
    const Numbering& numbering = record.numbering;
    const int nP = Clamp(numbering.PEquationCount, MaxNodes);
    const int nQ = Clamp(numbering.QEquationCount, MaxNodes);
    const int nE = Clamp(numbering.EUnknownCount, MaxNodes);
    const int nd = Clamp(numbering.dUnknownCount, MaxNodes);
    Label(numbering, step, nP, nP + nQ, nE, nE + nd);
    step.bPrime = Block(record.BPrime, nP, nd);
    step.bPrimeInverse = Block(record.BPrimeInverse, nd, nP);
    step.bSecond = Block(record.BSecond, nQ, nE);
    step.bSecondInverse = Block(record.BSecondInverse, nE, nQ);
    step.bPrimeInversion = record.BPrimeInversion;
    step.bSecondInversion = record.BSecondInversion;
    step.mismatch.assign(record.MismatchStott, record.MismatchStott + nP + nQ);
    step.correction.assign(record.CorrectionStott, record.CorrectionStott + nE + nd);
}

void ReadGauss(const Network& network, IterationStep& step, const GaussNodeRecord* records) {
    const int N = network.ActiveNodeCount();
    for (int i = 0; i < N; ++i) {
        GaussNodeStep node;
        node.node = i;
        node.type = step.held[i] != HeldLimit::None ? static_cast<int>(PQ) : network.NodeTypes[i];
        if (records[i].hasInjection) {
            node.computedQuantity = (node.type == PE || node.type == Pd) ? 'Q' : 'P';
            node.computedValue = records[i].injection;
        }
        node.hasVoltage = records[i].hasVoltage;
        node.C = records[i].C;
        node.R = records[i].R;
        step.nodes.push_back(node);
    }
}

} // namespace

std::string LabelText(const StepLabel& label) {
    return std::string(1, label.quantity) + std::to_string(label.node + 1);
}

IterationStep ComputeStep(const Network& network, Method method, int iteration) {
    return ComputeStep(network, method, iteration, CalculationOptions{});
}

IterationStep ComputeStep(const Network& network, Method method, int iteration,
                          const CalculationOptions& options) {
    CalculationOptions unstopped = options;
    unstopped.stopTolerance.reset();
    IterationStep step;
    step.method = method;
    step.iteration = iteration;
    const int k = std::clamp(iteration, FirstStepIteration, LastStepIteration);

    StepObserver observer(k);
    std::optional<Run> run;
    try {
        run.emplace(Info(method).iterateWithOptions(network, k, observer, unstopped));
    } catch (const ArithmeticFault& fault) {
        ClearArithmeticFlags();
        step.fault = fault.what();
        return step;
    }

    std::memcpy(step.YMag, network.YMag, sizeof step.YMag);
    std::memcpy(step.YAng, network.YAng, sizeof step.YAng);
    std::memcpy(step.PData, network.PData, sizeof step.PData);
    std::memcpy(step.QData, network.QData, sizeof step.QData);
    const int N = network.ActiveNodeCount();
    for (int i = 0; i < N; ++i) {
        step.nodeTypes.push_back(network.NodeTypes[i]);
        step.EBefore.push_back(run->EHistory[i][k - 1]);
        step.dBefore.push_back(run->dHistory[i][k - 1]);
        step.EAfter.push_back(run->EHistory[i][k]);
        step.dAfter.push_back(run->dHistory[i][k]);
    }
    const IterationRecord& record = *run->record;
    step.held = record.held;
    step.acceleration = options.acceleration;
    for (int i = 0; i < N; ++i) {
        const ReactiveLimits& limits = options.reactiveLimits[i];
        if (step.held[i] == HeldLimit::Max && limits.qmax) {
            step.QData[i] = *limits.qmax;
        } else if (step.held[i] == HeldLimit::Min && limits.qmin) {
            step.QData[i] = *limits.qmin;
        }
    }
    switch (method) {
    case Method::Newton:
        ReadNewton(step, record);
        break;
    case Method::Stott:
        ReadStott(step, record);
        break;
    case Method::Gauss:
        ReadGauss(network, step, record.GaussNodes);
        break;
    }
    return step;
}

std::string HeldNodeText(int node, HeldLimit limit) {
    return "nodo " + std::to_string(node + 1) + " al limite " + HeldLimitName(limit);
}

std::optional<int> ParseStepIteration(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < FirstStepIteration || value > LastStepIteration) {
        return std::nullopt;
    }
    return value;
}

} // namespace nodewise
