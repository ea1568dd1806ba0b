#include "core/model/network.h"

namespace nodewise {

const char* NodeTypeLabel(int type) {
    static const char* const labels[] = {"Ed", "PQ", "PE", "Pd", "QE", "Qd"};
    return type >= 0 && type < 6 ? labels[type] : "?";
}

int Network::ActiveNodeCount() const {
    return NodeCount < 0 ? 0 : (NodeCount > MaxNodes ? MaxNodes : NodeCount);
}

int Network::LastHistoryEntry() const {
    return IterationCount < 0
               ? 0
               : (IterationCount >= MaxIterations ? MaxIterations - 1 : IterationCount);
}

bool Network::MethodConditionHolds() const {
    return PEquationCount == dUnknownCount && QEquationCount == EUnknownCount;
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

int NumberSystem(const int* types, int n, Numbering& numbering) {
    int equations = 0;
    int unknowns = 0;
    // the nodes with the quantity of an equation given, and those with that of an unknown not
    const auto number = [&](bool (*equation)(int), bool (*unknownGiven)(int)) {
        for (int i = 0; i < n; ++i) {
            if (equation(types[i])) {
                numbering.EquationNodes[equations++] = i;
            }
            if (!unknownGiven(types[i])) {
                numbering.UnknownNodes[unknowns++] = i;
            }
        }
    };
    number(PGiven, EGiven);
    numbering.PEquationCount = equations;
    numbering.EUnknownCount = unknowns;
    number(QGiven, dGiven);
    numbering.UnknownCount = unknowns;
    return equations;
}

} // namespace nodewise
