// The network workspace: the one shared store of the program.
//
// Acquisition fills it from the cell texts, the three solvers read it and write their own
// histories, the summary and results windows read it. The variables are addressed directly by
// name; there is deliberately no object around them.
#pragma once

namespace nodewise {

inline constexpr int MaxNodes = 7;
inline constexpr int MaxIterations = 1000;    // entries of every history row: 0..999
inline constexpr int MaxOrder = 2 * MaxNodes; // largest Newton-Raphson system

// The two letters name the two quantities given for the node.
enum NodeType : int { Ed = 0, PQ = 1, PE = 2, Pd = 3, QE = 4, Qd = 5 };

// Short label of a node type ("Ed", "PQ", ...); "?" outside 0..5.
const char* NodeTypeLabel(int type);

// Which quantities a node type gives.
bool EGiven(int type);
bool dGiven(int type);
bool PGiven(int type);
bool QGiven(int type);

struct Complex {
    double re;
    double im;
};

// Counters.
extern int NodeCount;
extern int IterationCount;
extern int PEquationCount;
extern int QEquationCount;
extern int EUnknownCount;
extern int dUnknownCount;
extern int UnknownCount;
extern int IterGauss;
extern int IterNewton;
extern int IterStott;

// Admittance matrix, rectangular and polar (angles in radians).
extern Complex YComplex[MaxNodes][MaxNodes];
extern double YMag[MaxNodes][MaxNodes];
extern double YAng[MaxNodes][MaxNodes];

// Node data: given values, or the flat start (E 1.0, the rest 0.0) where not given.
extern double EData[MaxNodes];
extern double dData[MaxNodes]; // radians
extern double PData[MaxNodes];
extern double QData[MaxNodes];

// Classification.
extern int NodeTypes[MaxNodes];
extern int EquationNodes[MaxOrder]; // nodes with P given, then nodes with Q given
extern int UnknownNodes[MaxOrder];  // nodes with E unknown, then nodes with d unknown

// Iteration histories, [node][entry]; entry 0 is the starting point.
using HistoryRows = double[MaxNodes][MaxIterations];
extern HistoryRows EHistoryGauss;
extern HistoryRows dHistoryGauss;
extern HistoryRows EHistoryNewton;
extern HistoryRows dHistoryNewton;
extern HistoryRows EHistoryStott;
extern HistoryRows dHistoryStott;

// The methods whose run has ended since the last acquisition, in the order Gauss-Seidel,
// Newton-Raphson, Stott-Alsac: only their histories hold a whole run (phases in degrees) of
// the network now acquired. Every acquisition clears them; a run clears its own flag when it
// starts and sets it when it has ended.
inline constexpr int MethodCount = 3;
extern bool RunEnded[MethodCount];

// Solver matrices: arrays of row references, allocated once (orders 14 and 7).
extern double** Jacobian;
extern double** JacobianInverse;
extern double** BPrime;
extern double** BSecond;
extern double** BPrimeInverse;
extern double** BSecondInverse;

// Work vectors: mismatches indexed like EquationNodes, corrections like UnknownNodes.
extern double MismatchNewton[MaxOrder];
extern double CorrectionNewton[MaxOrder];
extern double MismatchStott[MaxOrder];
extern double CorrectionStott[MaxOrder];

// The counts as loop bounds that can never leave the arrays, whatever a rejected acquisition
// left in the counters: NodeCount within 0..MaxNodes, IterationCount within 0..MaxIterations-1.
int ActiveNodeCount();
int LastHistoryEntry();

void AllocNewtonMatrices(int order);
void FreeNewtonMatrices(int order);
void AllocStottMatrices(int order);
void FreeStottMatrices(int order);

// Allocates the solver matrices at their full size for as long as it lives; used by the
// batch front end, the tests and the benchmarks. The desktop program allocates and releases
// them around its message loop instead.
class SolverMatrices {
public:
    SolverMatrices();
    ~SolverMatrices();
    SolverMatrices(const SolverMatrices&) = delete;
    SolverMatrices& operator=(const SolverMatrices&) = delete;
};

} // namespace nodewise
