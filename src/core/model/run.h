// What a solver produces from a network: the two histories, the injections it computed, how its
// inversions ended and, when its observer asks, the matrices and vectors of one iteration.
// A value like the network: a run owns everything it holds.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/model/calculation_options.h"
#include "core/model/network.h"

namespace nodewise {

enum class Method { Gauss = 0, Newton = 1, Stott = 2 };
inline constexpr int MethodCount = 3;
inline constexpr Method AllMethods[MethodCount] = {Method::Gauss, Method::Newton, Method::Stott};

// How InvMatr ended: inverted, the order-zero message, or "Impossibile invertire la Matrice."
// (the inverse then as InvMatr left it).
enum class Inversion { Done, ZeroOrder, Failed };

inline constexpr const char* InversionErrorCaption = "Errore";
inline constexpr const char* InversionZeroOrderText =
    "E' stata passata a InvMatr una matrice di ordine nullo.";
inline constexpr const char* InversionFailedText = "Impossibile invertire la Matrice.";

// The message of an outcome that is not Done ("" for Done), shown with InversionErrorCaption and
// a stop sign.
const char* InversionMessage(Inversion outcome);

// A history, [node][entry], held on the heap (56 KB) and copied whole with its owner.
class History {
public:
    History() : rows_(std::make_unique<Rows>()) {}
    History(const History& other) : History() { *this = other; }
    History(History&&) noexcept = default;
    History& operator=(const History& other);
    History& operator=(History&&) noexcept = default;
    ~History() = default;

    double* operator[](int node) { return rows_->v[node]; }
    const double* operator[](int node) const { return rows_->v[node]; }
    HistoryRows& rows() { return rows_->v; }
    const HistoryRows& rows() const { return rows_->v; }
    operator const HistoryRows&() const { return rows_->v; } // NOLINT: reads as the rows

private:
    struct Rows {
        HistoryRows v;
    };
    std::unique_ptr<Rows> rows_;
};

// Which limit holds each node, node-indexed; HeldLimit::None for every node not held.
using HeldNodes = std::array<HeldLimit, MaxNodes>;

// What one node's Gauss-Seidel rule computed in an iteration: the injection it computed first
// (Q for PE and Pd, P for QE and Qd) and C + jR. Nothing for an Ed node.
struct GaussNodeRecord {
    bool hasInjection = false;
    double injection = 0.0;
    bool hasVoltage = false;
    double C = 0.0;
    double R = 0.0;
};

// Newton-Raphson's system in one iteration: mismatches indexed like EquationNodes, corrections
// like UnknownNodes. The solver works in one, and the record keeps a copy.
struct NewtonSystem {
    double MismatchNewton[MaxOrder] = {};
    double CorrectionNewton[MaxOrder] = {};
    // Rows are cleared: nothing should ever read an indeterminate value, not even after a
    // failed inversion of order 1, which leaves its single entry as it was.
    double Jacobian[MaxOrder][MaxOrder] = {};
    double JacobianInverse[MaxOrder][MaxOrder] = {};
};

// Stott-Alsac's: B' and B'' as inverted for the run (B'' again whenever the nodes held at a
// limit change), and the iteration's vectors. The solver works in one, and the record keeps a
// copy.
struct StottSystem {
    double MismatchStott[MaxOrder] = {};
    double CorrectionStott[MaxOrder] = {};
    double BPrime[MaxNodes][MaxNodes] = {};
    double BSecond[MaxNodes][MaxNodes] = {};
    double BPrimeInverse[MaxNodes][MaxNodes] = {};
    double BSecondInverse[MaxNodes][MaxNodes] = {};
};

// The matrices and vectors a method holds at the end of iteration `iteration`: Newton-Raphson's
// and Stott-Alsac's systems, with how their inversions ended, and Gauss-Seidel's node records.
struct IterationRecord : NewtonSystem, StottSystem {
    int iteration = 0; // k, 1-based

    // The nodes held at a reactive limit in this iteration, and (Newton-Raphson, Stott-Alsac) the
    // numbering of its system: the network's, with a Q equation and an E unknown more for every
    // node held.
    HeldNodes held{};
    Numbering numbering;

    Inversion JacobianInversion = Inversion::Done;
    Inversion BPrimeInversion = Inversion::Done;
    Inversion BSecondInversion = Inversion::Done;

    // Gauss-Seidel, node-indexed.
    GaussNodeRecord GaussNodes[MaxNodes] = {};
};

struct Run {
    Method method = Method::Gauss;
    int IterationCount = 0; // K: entries 0..K of the histories hold the run
    int NodeCount = 0;      // rows 0..NodeCount-1 hold the run

    // The options the run was made with; the iteration count asked for (within
    // 0..MaxIterations-1), which IterationCount is unless a tolerance stopped the run earlier;
    // and whether the mismatch of entry IterationCount is within options.stopTolerance (false
    // without a tolerance).
    CalculationOptions options;
    int typedIterationCount = 0;
    bool converged = false;

    // With reactive limits in force, which limit holds each node at entries 0..IterationCount
    // (entry 0, the start, none); empty otherwise.
    std::vector<HeldNodes> heldLimits;

    // Phases in degrees once the run has ended.
    History EHistory;
    History dHistory;

    // The node powers as the run left them: the network's, with the P or Q that Gauss-Seidel
    // computes for a node that does not give it replaced by the value of the last iteration.
    double PData[MaxNodes] = {};
    double QData[MaxNodes] = {};

    // The inversions of the run's last iteration (Newton-Raphson) or of the run (Stott-Alsac).
    Inversion JacobianInversion = Inversion::Done;
    Inversion BPrimeInversion = Inversion::Done;
    Inversion BSecondInversion = Inversion::Done;

    // The iteration the observer asked for, when the run reached its end.
    std::optional<IterationRecord> record;
};

// What a solver tells while it runs, and asks of whoever started it. Every member has a silent
// default; arithmetic flags an observer raises do not reach the solver.
class SolverObserver {
public:
    virtual ~SolverObserver() = default;
    // Before iteration `iteration` (1-based) starts.
    virtual void Progress(int iteration) { static_cast<void>(iteration); }
    // An inversion did not succeed (ZeroOrder or Failed), as soon as it has ended.
    virtual void InversionFailed(Inversion outcome) { static_cast<void>(outcome); }
    // The iteration (1-based) whose matrices and vectors the run should keep; 0 for none.
    [[nodiscard]] virtual int RecordedIteration() const { return 0; }
};

// Which limit holds each node at entry `entry` of the run; none anywhere when no limit is in
// force or the entry is outside the run.
[[nodiscard]] HeldNodes HeldAt(const Run& run, int entry);

// "Qmax", "Qmin"; "" for HeldLimit::None.
const char* HeldLimitName(HeldLimit limit);

// "nodo 3 al limite Qmax, nodo 5 al limite Qmin" for the nodes held at `entry`; "" for none.
std::string HeldNodesText(const Run& run, int entry);

// How a run made with a stop tolerance ended: "convergenza all'iterazione 5" or "non converge
// in 20 iterazioni"; "" for a run without one.
std::string StopText(const Run& run);

// The latest completed run of each method on one network.
class RunSet {
public:
    void Store(Run run);
    void Forget(Method method);
    void Clear();
    [[nodiscard]] const Run* Of(Method method) const;
    [[nodiscard]] bool Has(Method method) const { return Of(method) != nullptr; }
    // The method stored last, if its run is still held.
    [[nodiscard]] std::optional<Method> Last() const;

private:
    std::array<std::shared_ptr<const Run>, MethodCount> runs_;
    std::optional<Method> last_;
};

} // namespace nodewise
