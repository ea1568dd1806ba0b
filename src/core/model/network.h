// The network as acquisition leaves it: the admittance matrix in both forms, the node data, the
// classification into equations and unknowns, and the iteration count typed with it. A plain
// value: as many networks as wanted can exist side by side, and a solver only reads one.
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

// Iteration histories, [node][entry]; entry 0 is the starting point.
using HistoryRows = double[MaxNodes][MaxIterations];

// Which equations and unknowns a system has, in the order of its rows and columns.
struct Numbering {
    int PEquationCount = 0;
    int QEquationCount = 0;
    int EUnknownCount = 0;
    int dUnknownCount = 0;
    int UnknownCount = 0;
    int EquationNodes[MaxOrder] = {}; // nodes with P given, then nodes with Q given
    int UnknownNodes[MaxOrder] = {};  // nodes with E unknown, then nodes with d unknown
};

// The classification into equations and unknowns is the network's Numbering.
// Numbers the equations and unknowns of nodes 0..n-1 of types types[0..n-1]: the P equations
// and E unknowns in node order, then the Q equations and d unknowns. Sets the P equation, E
// unknown and unknown counts and returns the count of equations; the Q equation and d unknown
// counts are the caller's, once it knows the two totals agree.
int NumberSystem(const int* types, int n, Numbering& numbering);

struct Network : Numbering {
    // Counters.
    int NodeCount = 0;
    int IterationCount = 0;

    // Admittance matrix, rectangular and polar (angles in radians).
    Complex YComplex[MaxNodes][MaxNodes] = {};
    double YMag[MaxNodes][MaxNodes] = {};
    double YAng[MaxNodes][MaxNodes] = {};

    // Node data: given values, or the flat start (E 1.0, the rest 0.0) where not given.
    double EData[MaxNodes] = {};
    double dData[MaxNodes] = {}; // radians
    double PData[MaxNodes] = {};
    double QData[MaxNodes] = {};

    // Classification: each node's type.
    int NodeTypes[MaxNodes] = {};

    // The counts as loop bounds that can never leave the arrays, whatever a rejected
    // acquisition left in the counters: NodeCount within 0..MaxNodes, IterationCount within
    // 0..MaxIterations-1.
    [[nodiscard]] int ActiveNodeCount() const;
    [[nodiscard]] int LastHistoryEntry() const;

    // True when the Newton-Raphson and Stott-Alsac blocks are square: PEquationCount equals
    // dUnknownCount and QEquationCount equals EUnknownCount. Otherwise the method buttons raise
    // warning 8.
    [[nodiscard]] bool MethodConditionHolds() const;

    // The classification alone, as one value.
    [[nodiscard]] Numbering SystemNumbering() const { return *this; }
};

} // namespace nodewise
