#include "core/analysis/power_balance.h"

#include "core/model/shunts.h"

namespace nodewise {

namespace {

Phasor Admittance(int i, int j) {
    return {YComplex[i][j].re, YComplex[i][j].im};
}

// Power entering a series element of admittance -Y_ab at the end of node a.
Phasor EndFlow(const NodePhasors& V, int a, int b) {
    return V[a] * std::conj(-Admittance(a, b) * (V[a] - V[b]));
}

} // namespace

PowerBalance ComputePowerBalance(const HistoryRows& E, const HistoryRows& dDegrees, int entry,
                                 int nodes) {
    const int n = nodes < 0 ? 0 : (nodes > MaxNodes ? MaxNodes : nodes);
    const int k = entry < 0 ? 0 : (entry >= MaxIterations ? MaxIterations - 1 : entry);
    const NodePhasors V = EntryVoltages(E, dDegrees, k, n);
    const NodePhasors S = NodeInjections(V, n);

    PowerBalance balance;
    for (int i = 0; i < n; ++i) {
        balance.nodes.push_back(
            {i, NodeTypes[i], E[i][k], dDegrees[i][k], S[i].real(), S[i].imag()});
        balance.losses += S[i];
    }
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (Admittance(i, j) == Phasor(0.0, 0.0)) {
                continue;
            }
            BranchFlow flow{i, j, EndFlow(V, i, j), EndFlow(V, j, i), {}};
            flow.loss = flow.fromEnd + flow.toEnd;
            balance.branches.push_back(flow);
        }
    }
    for (int i = 0; i < n; ++i) {
        if (HasShunt(YComplex, i, n)) {
            const Complex shunt = ShuntAdmittance(YComplex, i, n);
            const Phasor y(shunt.re, shunt.im);
            balance.shunts.push_back({i, y, std::norm(V[i]) * std::conj(y)});
        }
    }
    return balance;
}

PowerBalance ComputePowerBalance(Method method) {
    const MethodInfo& info = Info(method);
    return ComputePowerBalance(*info.EHistory, *info.dHistory, LastHistoryEntry(),
                               ActiveNodeCount());
}

} // namespace nodewise
