#include "core/model/workspace.h"

namespace nodewise {

int NodeCount;
int IterationCount;
int PEquationCount;
int QEquationCount;
int EUnknownCount;
int dUnknownCount;
int UnknownCount;
int IterGauss;
int IterNewton;
int IterStott;

Complex YComplex[MaxNodes][MaxNodes];
double YMag[MaxNodes][MaxNodes];
double YAng[MaxNodes][MaxNodes];

double EData[MaxNodes];
double dData[MaxNodes];
double PData[MaxNodes];
double QData[MaxNodes];

int NodeTypes[MaxNodes];
int EquationNodes[MaxOrder];
int UnknownNodes[MaxOrder];

HistoryRows EHistoryGauss;
HistoryRows dHistoryGauss;
HistoryRows EHistoryNewton;
HistoryRows dHistoryNewton;
HistoryRows EHistoryStott;
HistoryRows dHistoryStott;

bool RunEnded[MethodCount];

double** Jacobian;
double** JacobianInverse;
double** BPrime;
double** BSecond;
double** BPrimeInverse;
double** BSecondInverse;

double MismatchNewton[MaxOrder];
double CorrectionNewton[MaxOrder];
double MismatchStott[MaxOrder];
double CorrectionStott[MaxOrder];

const char* NodeTypeLabel(int type) {
    static const char* const labels[] = {"Ed", "PQ", "PE", "Pd", "QE", "Qd"};
    return type >= 0 && type < 6 ? labels[type] : "?";
}

int ActiveNodeCount() {
    return NodeCount < 0 ? 0 : (NodeCount > MaxNodes ? MaxNodes : NodeCount);
}

int LastHistoryEntry() {
    return IterationCount < 0
               ? 0
               : (IterationCount >= MaxIterations ? MaxIterations - 1 : IterationCount);
}

// Rows are cleared on allocation: nothing should ever read an indeterminate value, not even
// after a failed inversion of order 1, which leaves its single entry as it was.
void AllocNewtonMatrices(int order) {
    Jacobian = new double*[order];
    JacobianInverse = new double*[order];
    for (int i = 0; i < order; ++i) {
        Jacobian[i] = new double[order]();
        JacobianInverse[i] = new double[order]();
    }
}

void FreeNewtonMatrices(int order) {
    for (int i = 0; i < order; ++i) {
        delete[] Jacobian[i];
        delete[] JacobianInverse[i];
    }
    delete[] Jacobian;
    delete[] JacobianInverse;
    Jacobian = nullptr;
    JacobianInverse = nullptr;
}

void AllocStottMatrices(int order) {
    BPrime = new double*[order];
    BSecond = new double*[order];
    BPrimeInverse = new double*[order];
    BSecondInverse = new double*[order];
    for (int i = 0; i < order; ++i) {
        BPrime[i] = new double[order]();
        BSecond[i] = new double[order]();
        BPrimeInverse[i] = new double[order]();
        BSecondInverse[i] = new double[order]();
    }
}

void FreeStottMatrices(int order) {
    for (int i = 0; i < order; ++i) {
        delete[] BPrime[i];
        delete[] BSecond[i];
        delete[] BPrimeInverse[i];
        delete[] BSecondInverse[i];
    }
    delete[] BPrime;
    delete[] BSecond;
    delete[] BPrimeInverse;
    delete[] BSecondInverse;
    BPrime = BSecond = BPrimeInverse = BSecondInverse = nullptr;
}

SolverMatrices::SolverMatrices() {
    AllocNewtonMatrices(2 * MaxNodes);
    AllocStottMatrices(MaxNodes);
}

SolverMatrices::~SolverMatrices() {
    FreeNewtonMatrices(2 * MaxNodes);
    FreeStottMatrices(MaxNodes);
}

bool EGiven(int type) {
    return type == Ed || type == PE || type == QE;
}
bool dGiven(int type) {
    return type == Ed || type == Pd || type == Qd;
}
bool PGiven(int type) {
    return type == PQ || type == PE || type == Pd;
}
bool QGiven(int type) {
    return type == PQ || type == QE || type == Qd;
}

} // namespace nodewise
