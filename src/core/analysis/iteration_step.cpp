// The step of iteration k is what the solver holds once it has run k iterations: the method's
// own routine runs on the acquired network with IterationCount = k, and its work vectors,
// matrices and histories are read as they stand. Everything the run writes is put back after.
#include "core/analysis/iteration_step.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>

#include "core/model/workspace.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/platform/user_port.h"
#include "core/solvers/gauss_seidel.h"
#include "core/solvers/newton_raphson.h"
#include "core/solvers/stott_alsac.h"

namespace nodewise {

namespace {

int Clamp(int value, int high) {
    return std::clamp(value, 0, high);
}

// What a solver run writes, kept aside for as long as this lives and then put back.
class SavedSolverState {
public:
    explicit SavedSolverState(const MethodInfo& info) : info_(info) {
        iterationCount_ = IterationCount;
        iterGauss_ = IterGauss;
        iterNewton_ = IterNewton;
        iterStott_ = IterStott;
        std::memcpy(E_, *info.EHistory, sizeof(HistoryRows));
        std::memcpy(d_, *info.dHistory, sizeof(HistoryRows));
        std::memcpy(P_, PData, sizeof P_);
        std::memcpy(Q_, QData, sizeof Q_);
        std::memcpy(mismatchNewton_, MismatchNewton, sizeof mismatchNewton_);
        std::memcpy(correctionNewton_, CorrectionNewton, sizeof correctionNewton_);
        std::memcpy(mismatchStott_, MismatchStott, sizeof mismatchStott_);
        std::memcpy(correctionStott_, CorrectionStott, sizeof correctionStott_);
        CopyRows(Jacobian, jacobian_[0], MaxOrder, true);
        CopyRows(JacobianInverse, jacobian_[1], MaxOrder, true);
        CopyRows(BPrime, stott_[0], MaxNodes, true);
        CopyRows(BPrimeInverse, stott_[1], MaxNodes, true);
        CopyRows(BSecond, stott_[2], MaxNodes, true);
        CopyRows(BSecondInverse, stott_[3], MaxNodes, true);
        jacobianInverted_ = NewtonJacobianInverted;
        bPrimeInverted_ = BPrimeInverted;
        bSecondInverted_ = BSecondInverted;
    }
    ~SavedSolverState() {
        IterationCount = iterationCount_;
        IterGauss = iterGauss_;
        IterNewton = iterNewton_;
        IterStott = iterStott_;
        std::memcpy(*info_.EHistory, E_, sizeof(HistoryRows));
        std::memcpy(*info_.dHistory, d_, sizeof(HistoryRows));
        std::memcpy(PData, P_, sizeof P_);
        std::memcpy(QData, Q_, sizeof Q_);
        std::memcpy(MismatchNewton, mismatchNewton_, sizeof mismatchNewton_);
        std::memcpy(CorrectionNewton, correctionNewton_, sizeof correctionNewton_);
        std::memcpy(MismatchStott, mismatchStott_, sizeof mismatchStott_);
        std::memcpy(CorrectionStott, correctionStott_, sizeof correctionStott_);
        CopyRows(Jacobian, jacobian_[0], MaxOrder, false);
        CopyRows(JacobianInverse, jacobian_[1], MaxOrder, false);
        CopyRows(BPrime, stott_[0], MaxNodes, false);
        CopyRows(BPrimeInverse, stott_[1], MaxNodes, false);
        CopyRows(BSecond, stott_[2], MaxNodes, false);
        CopyRows(BSecondInverse, stott_[3], MaxNodes, false);
        NewtonJacobianInverted = jacobianInverted_;
        BPrimeInverted = bPrimeInverted_;
        BSecondInverted = bSecondInverted_;
    }
    SavedSolverState(const SavedSolverState&) = delete;
    SavedSolverState& operator=(const SavedSolverState&) = delete;

private:
    template <int Order>
    static void CopyRows(double** matrix, double (&saved)[Order][Order], int order, bool save) {
        if (matrix == nullptr) {
            return;
        }
        for (int r = 0; r < order; ++r) {
            const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(order);
            if (save) {
                std::memcpy(saved[r], matrix[r], bytes);
            } else {
                std::memcpy(matrix[r], saved[r], bytes);
            }
        }
    }

    const MethodInfo& info_;
    int iterationCount_, iterGauss_, iterNewton_, iterStott_;
    HistoryRows E_, d_;
    double P_[MaxNodes], Q_[MaxNodes];
    double mismatchNewton_[MaxOrder], correctionNewton_[MaxOrder];
    double mismatchStott_[MaxOrder], correctionStott_[MaxOrder];
    double jacobian_[2][MaxOrder][MaxOrder];
    double stott_[4][MaxNodes][MaxNodes];
    bool jacobianInverted_, bPrimeInverted_, bSecondInverted_;
};

// The user port swapped for one that shows nothing (no progress, no inversion message) while
// the solver runs for a step.
class QuietPort final : public UserPort {
public:
    QuietPort() : previous_(SetUserPort(this)) {}
    ~QuietPort() override { SetUserPort(previous_); }
    QuietPort(const QuietPort&) = delete;
    QuietPort& operator=(const QuietPort&) = delete;
    void showMessage(std::string_view, std::string_view, MessageIcon) override {}
    void setStatusPanel(int, std::string_view) override {}

private:
    UserPort* previous_;
};

// Gauss-Seidel's rules record into these while this lives.
class GaussRecording {
public:
    explicit GaussRecording(GaussNodeRecord* records) { GaussRecords = records; }
    ~GaussRecording() { GaussRecords = nullptr; }
    GaussRecording(const GaussRecording&) = delete;
    GaussRecording& operator=(const GaussRecording&) = delete;
};

StepMatrix Block(double** matrix, int rows, int columns) {
    StepMatrix block(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        block[r].assign(matrix[r], matrix[r] + columns);
    }
    return block;
}

Inversion Outcome(bool inverted, int order) {
    if (inverted) {
        return Inversion::Done;
    }
    return order == 0 ? Inversion::ZeroOrder : Inversion::Failed;
}

// Rows P of EquationNodes[0..nP-1] then Q; unknowns E of UnknownNodes[0..nE-1] then d.
void Label(IterationStep& step, int nP, int rows, int nE, int columns) {
    step.pEquations = nP;
    step.eUnknowns = nE;
    for (int r = 0; r < rows; ++r) {
        step.equations.push_back({r < nP ? 'P' : 'Q', EquationNodes[r]});
    }
    for (int c = 0; c < columns; ++c) {
        step.unknowns.push_back({c < nE ? 'E' : 'd', UnknownNodes[c]});
    }
}

void ReadNewton(IterationStep& step) {
    const int n = Clamp(UnknownCount, MaxOrder);
    Label(step, Clamp(PEquationCount, n), n, Clamp(EUnknownCount, n), n);
    step.mismatch.assign(MismatchNewton, MismatchNewton + n);
    step.jacobian = Block(Jacobian, n, n);
    step.jacobianInverse = Block(JacobianInverse, n, n);
    step.correction.assign(CorrectionNewton, CorrectionNewton + n);
    step.jacobianInversion = Outcome(NewtonJacobianInverted, n);
}

void ReadStott(IterationStep& step) {
    const int nP = Clamp(PEquationCount, MaxNodes);
    const int nQ = Clamp(QEquationCount, MaxNodes);
    const int nE = Clamp(EUnknownCount, MaxNodes);
    const int nd = Clamp(dUnknownCount, MaxNodes);
    Label(step, nP, nP + nQ, nE, nE + nd);
    step.bPrime = Block(BPrime, nP, nd);
    step.bPrimeInverse = Block(BPrimeInverse, nd, nP);
    step.bSecond = Block(BSecond, nQ, nE);
    step.bSecondInverse = Block(BSecondInverse, nE, nQ);
    step.bPrimeInversion = Outcome(BPrimeInverted, nP);
    step.bSecondInversion = Outcome(BSecondInverted, nQ);
    step.mismatch.assign(MismatchStott, MismatchStott + nP + nQ);
    step.correction.assign(CorrectionStott, CorrectionStott + nE + nd);
}

void ReadGauss(IterationStep& step, const GaussNodeRecord* records) {
    const int N = ActiveNodeCount();
    for (int i = 0; i < N; ++i) {
        GaussNodeStep node;
        node.node = i;
        node.type = NodeTypes[i];
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

IterationStep ComputeStep(Method method, int iteration) {
    IterationStep step;
    step.method = method;
    step.iteration = iteration;
    const int k = std::clamp(iteration, FirstStepIteration, LastStepIteration);
    const MethodInfo& info = Info(method);

    const auto saved = std::make_unique<SavedSolverState>(info);
    const QuietPort quiet;
    GaussNodeRecord records[MaxNodes] = {};
    try {
        const GaussRecording recording(method == Method::Gauss ? records : nullptr);
        IterationCount = k;
        info.iterate();
    } catch (const ArithmeticFault& fault) {
        ClearArithmeticFlags();
        step.fault = fault.what();
        return step;
    }

    const int N = ActiveNodeCount();
    for (int i = 0; i < N; ++i) {
        step.nodeTypes.push_back(NodeTypes[i]);
        step.EBefore.push_back((*info.EHistory)[i][k - 1]);
        step.dBefore.push_back((*info.dHistory)[i][k - 1]);
        step.EAfter.push_back((*info.EHistory)[i][k]);
        step.dAfter.push_back((*info.dHistory)[i][k]);
    }
    switch (method) {
    case Method::Newton:
        ReadNewton(step);
        break;
    case Method::Stott:
        ReadStott(step);
        break;
    case Method::Gauss:
        ReadGauss(step, records);
        break;
    }
    return step;
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
