// One iteration seen from inside: the matrices and vectors a method holds at the end of its
// iteration k, as the solver itself records them in a run of k iterations of the network.
// Nothing of the run is shown while it runs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/results/methods.h"

namespace nodewise {

inline constexpr int FirstStepIteration = 1;
inline constexpr int LastStepIteration = 999;

// An equation (P or Q of a node) or an unknown (E or d of a node); node 0-based.
struct StepLabel {
    char quantity;
    int node;
};

// "P2", "d3": the quantity and the 1-based node.
std::string LabelText(const StepLabel& label);

using StepMatrix = std::vector<std::vector<double>>; // rows

// One node of a Gauss-Seidel iteration, in update order.
struct GaussNodeStep {
    int node = 0;
    int type = Ed;
    char computedQuantity = 0; // 'Q' (PE, Pd) or 'P' (QE, Qd); 0 when none is computed
    double computedValue = 0.0;
    bool hasVoltage = false; // C and R of GaussScaledVoltage; false for an Ed node
    double C = 0.0;
    double R = 0.0;
};

struct IterationStep {
    Method method = Method::Newton;
    int iteration = 0;                // k, 1..999
    std::optional<std::string> fault; // the arithmetic fault met before the end of iteration k

    // The state at history entries k-1 and k, per node; phases in degrees.
    std::vector<double> EBefore, dBefore, EAfter, dAfter;
    std::vector<int> nodeTypes;

    // The nodes held at a reactive limit in the iteration (they count as PQ nodes there), and the
    // Gauss-Seidel acceleration factor of the run.
    HeldNodes held{};
    double acceleration = PlainAcceleration;

    // What the formulas of the step read from the network: the polar admittances and the given
    // powers (a held node's Q its limit).
    double YMag[MaxNodes][MaxNodes] = {};
    double YAng[MaxNodes][MaxNodes] = {};
    double PData[MaxNodes] = {};
    double QData[MaxNodes] = {};

    // Newton-Raphson and Stott-Alsac: rows P then Q, unknowns E then d.
    std::vector<StepLabel> equations;
    std::vector<StepLabel> unknowns;
    int pEquations = 0;
    int eUnknowns = 0;
    std::vector<double> mismatch;   // MismatchNewton / MismatchStott
    std::vector<double> correction; // CorrectionNewton / CorrectionStott, d in radians

    // Newton-Raphson
    StepMatrix jacobian, jacobianInverse;
    Inversion jacobianInversion = Inversion::Done;

    // Stott-Alsac: B' (P rows x d unknowns), B'' (Q rows x E unknowns) and their inverses
    StepMatrix bPrime, bPrimeInverse, bSecond, bSecondInverse;
    Inversion bPrimeInversion = Inversion::Done;
    Inversion bSecondInversion = Inversion::Done;

    // Gauss-Seidel
    std::vector<GaussNodeStep> nodes;
};

// The step of iteration `iteration` (1..999) of `method` on the network. A run that meets an
// arithmetic fault before the end of that iteration gives a step with `fault` set and nothing
// else. With options, the iteration of a run made with them, except that no tolerance stops it
// before the iteration asked for.
[[nodiscard]] IterationStep ComputeStep(const Network& network, Method method, int iteration);
[[nodiscard]] IterationStep ComputeStep(const Network& network, Method method, int iteration,
                                        const CalculationOptions& options);

// "nodo 3 al limite Qmax": what the step says of a node held at a limit.
std::string HeldNodeText(int node, HeldLimit limit);

// The iteration text of `step --iteration`: a decimal 1..999, nothing else.
[[nodiscard]] std::optional<int> ParseStepIteration(const std::string& text);

} // namespace nodewise
