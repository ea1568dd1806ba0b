// Gauss-Seidel in polar form. Iteration k updates nodes i = 0..N-1 in ascending order, each by
// the rule of its type: nodes 0..i-1 are seen at entry k+1, node i and nodes i+1..N-1 at entry
// k; a P or Q that is not given is computed first (into PData/QData), then |Y_ii| V_i = C + jR.
// The frame (start, progress, degrees) is solver_frame.h.
#include "core/solvers/gauss_seidel.h"

#include "core/numeric/arithmetic_fault.h"
#include "core/numeric/trapping_double.h"
#include "core/solvers/solver_frame.h"

namespace nodewise {
namespace {

// Newest value of node j while node i is updated in iteration k: entry k+1 for the nodes
// already updated in this iteration (j < i), entry k for the others.
int NewestEntry(int i, int j, int k) {
    return j < i ? k + 1 : k;
}

// E_i^k times the sum over every node j of |Y_ij| E_j sin(d_i - d_j - th_ij) (Sin) or of the
// same with Cos, with the newest values; the term j = i included.
template <class T, T (*Trig)(T)> T Injection(int i) {
    const int n = ActiveNodeCount();
    const int k = IterGauss;
    const T Ei = EHistoryGauss[i][k];
    const T di = dHistoryGauss[i][k];
    T s = 0.0;
    for (int j = 0; j < n; ++j) {
        const int t = NewestEntry(i, j, k);
        const T yE = T(YMag[i][j]) * EHistoryGauss[j][t];
        const T trig = Trig(di - dHistoryGauss[j][t] - YAng[i][j]);
        s = s + yE * trig;
    }
    return Ei * s;
}

// |Y_ii| times the new complex voltage of node i, C + jR.
template <class T> struct Voltage {
    T C;
    T R;
};

template <class T> Voltage<T> ScaledVoltage(int i) {
    const int n = ActiveNodeCount();
    const int k = IterGauss;
    const T Ei = EHistoryGauss[i][k];
    const T A = T(dHistoryGauss[i][k]) - YAng[i][i];
    const T P = PData[i];
    const T Q = QData[i];

    // j = 0..i-1 at iteration k+1, then j = i+1..n-1 at iteration k
    T Sc = 0.0;
    for (int j = 0; j < n; ++j) {
        if (j != i) {
            const int t = NewestEntry(i, j, k);
            const T yE = T(YMag[i][j]) * EHistoryGauss[j][t];
            const T trig = Cos(T(dHistoryGauss[j][t]) + YAng[i][j] - YAng[i][i]);
            Sc = Sc + yE * trig;
        }
    }
    // cos A and sin A once for C and R: computing them again could raise nothing new
    const T cosA = Cos(A);
    const T PcosA = P * cosA;
    const T sinA = Sin(A);
    const T QsinA = Q * sinA;
    const T C = (PcosA + QsinA) / Ei - Sc;

    T Ss = 0.0;
    for (int j = 0; j < n; ++j) {
        if (j != i) {
            const int t = NewestEntry(i, j, k);
            const T yE = T(YMag[i][j]) * EHistoryGauss[j][t];
            const T trig = Sin(T(dHistoryGauss[j][t]) + YAng[i][j] - YAng[i][i]);
            Ss = Ss + yE * trig;
        }
    }
    const T PsinA = P * sinA;
    const T QcosA = Q * cosA;
    const T R = (PsinA - QcosA) / Ei - Ss;

    return {C, R};
}

// With Record, the rules also write what they compute into GaussRecords; the rules of an
// ordinary run (Record false) carry no trace of it.
template <bool Record> void StoreComputedQ(int i) {
    QData[i] = Evaluate([&](auto x) { return Injection<decltype(x), Sin>(i); });
    if constexpr (Record) {
        GaussRecords[i].hasInjection = true;
        GaussRecords[i].injection = QData[i];
    }
}
template <bool Record> void StoreComputedP(int i) {
    PData[i] = Evaluate([&](auto x) { return Injection<decltype(x), Cos>(i); });
    if constexpr (Record) {
        GaussRecords[i].hasInjection = true;
        GaussRecords[i].injection = PData[i];
    }
}

// C + jR of node i, once it is known that computing it raised no fault: a fault there stops
// the rule before either entry is written.
template <bool Record> Voltage<double> NewVoltage(int i) {
    const Voltage<double> v = Evaluate([&](auto x) { return ScaledVoltage<decltype(x)>(i); });
    if constexpr (Record) {
        GaussRecords[i].hasVoltage = true;
        GaussRecords[i].C = v.C;
        GaussRecords[i].R = v.R;
    }
    return v;
}

// Entry k+1 of node i: the magnitude and phase of C + jR, or the present value kept.
void StoreNewMagnitude(int i, Voltage<double> v) {
    const int k = IterGauss;
    EHistoryGauss[i][k + 1] = Evaluate([&](auto x) {
        using T = decltype(x);
        return PolarModulus(T(v.C), T(v.R)) / YMag[i][i];
    });
}
void StoreNewPhase(int i, Voltage<double> v) {
    const int k = IterGauss;
    dHistoryGauss[i][k + 1] = Evaluate([&](auto x) {
        using T = decltype(x);
        return PolarAngle(T(v.C), T(v.R));
    });
}
void KeepMagnitude(int i) {
    const int k = IterGauss;
    EHistoryGauss[i][k + 1] = Checked(EHistoryGauss[i][k]);
}
void KeepPhase(int i) {
    const int k = IterGauss;
    dHistoryGauss[i][k + 1] = Checked(dHistoryGauss[i][k]);
}

// The six rules.
template <bool Record> void UpdateEd(int i) {
    KeepMagnitude(i);
    KeepPhase(i);
}

template <bool Record> void UpdatePQ(int i) {
    const Voltage<double> v = NewVoltage<Record>(i);
    StoreNewMagnitude(i, v);
    StoreNewPhase(i, v);
}

template <bool Record> void UpdatePE(int i) {
    StoreComputedQ<Record>(i);
    const Voltage<double> v = NewVoltage<Record>(i);
    KeepMagnitude(i);
    StoreNewPhase(i, v);
}

template <bool Record> void UpdatePd(int i) {
    StoreComputedQ<Record>(i);
    const Voltage<double> v = NewVoltage<Record>(i);
    StoreNewMagnitude(i, v);
    KeepPhase(i);
}

template <bool Record> void UpdateQE(int i) {
    StoreComputedP<Record>(i);
    const Voltage<double> v = NewVoltage<Record>(i);
    KeepMagnitude(i);
    StoreNewPhase(i, v);
}

template <bool Record> void UpdateQd(int i) {
    StoreComputedP<Record>(i);
    const Voltage<double> v = NewVoltage<Record>(i);
    StoreNewMagnitude(i, v);
    KeepPhase(i);
}

const GaussRule RecordingRules[6] = {UpdateEd<true>, UpdatePQ<true>, UpdatePE<true>,
                                     UpdatePd<true>, UpdateQE<true>, UpdateQd<true>};

} // namespace

GaussNodeRecord* GaussRecords = nullptr;

Complex GaussScaledVoltage(int i) {
    const Voltage<double> v = ScaledVoltage<double>(i);
    return Complex{v.C, v.R};
}

void GaussUpdateEd(int i) {
    UpdateEd<false>(i);
}
void GaussUpdatePQ(int i) {
    UpdatePQ<false>(i);
}
void GaussUpdatePE(int i) {
    UpdatePE<false>(i);
}
void GaussUpdatePd(int i) {
    UpdatePd<false>(i);
}
void GaussUpdateQE(int i) {
    UpdateQE<false>(i);
}
void GaussUpdateQd(int i) {
    UpdateQd<false>(i);
}

const GaussRule GaussRules[6] = {GaussUpdateEd, GaussUpdatePQ, GaussUpdatePE,
                                 GaussUpdatePd, GaussUpdateQE, GaussUpdateQd};

namespace {

// Iteration k: nodes 0..N-1 in ascending order, each by the rule of its type, every node seeing
// entry k+1 of the nodes before it and entry k of itself and the nodes after it.
// The rules record what they compute while GaussRecords is set.
void GaussIteration(int) {
    const int N = ActiveNodeCount();
    const GaussRule* const rules = GaussRecords != nullptr ? RecordingRules : GaussRules;
    for (int i = 0; i < N; ++i) {
        const int type = NodeTypes[i];
        try {
            rules[type >= Ed && type <= Qd ? type : Ed](i);
        } catch (ArithmeticFault& fault) {
            fault.node = i;
            throw;
        }
    }
}

} // namespace

void GaussIterate() {
    RunSolver({EHistoryGauss, dHistoryGauss, IterGauss, false, nullptr, GaussIteration});
}

} // namespace nodewise
