// Gauss-Seidel in polar form. Iteration k updates nodes i = 0..N-1 in ascending order, each by
// the rule of its type: nodes 0..i-1 are seen at entry k+1, node i and nodes i+1..N-1 at entry
// k; a P or Q that is not given is computed first (into the run's PData/QData), then
// |Y_ii| V_i = C + jR. With an acceleration factor alpha the new value moves alpha times as far
// from the present one; with reactive limits a PE node may be held at a limit (reactive_limits.h).
// The frame (start, progress, degrees) is solver_frame.h.
#include "core/solvers/gauss_seidel.h"

#include <cstring>

#include "core/numeric/arithmetic_fault.h"
#include "core/numeric/trapping_double.h"
#include "core/solvers/reactive_limits.h"
#include "core/solvers/solver_frame.h"

namespace nodewise {
namespace {

// Newest value of node j while node i is updated in iteration k: entry k+1 for the nodes
// already updated in this iteration (j < i), entry k for the others.
int NewestEntry(int i, int j, int k) {
    return j < i ? k + 1 : k;
}

// |Y_ii| times the new complex voltage of node i, C + jR.
template <class T> struct Voltage {
    T C;
    T R;
};

// A new magnitude and phase.
template <class T> struct Polar {
    T E;
    T d;
};

// `WithOptions`: the acceleration and the limits are looked at; without, the plain rules
// alone, with no test of them in the loop.
template <bool WithOptions> class GaussSeidel {
public:
    GaussSeidel(const Network& network, Run& run)
        : network_(network), YMag(network.YMag), YAng(network.YAng), PData(run.PData),
          QData(run.QData), EHistoryGauss(run.EHistory), dHistoryGauss(run.dHistory) {}

    // The options of the run: alpha, and the reactive limits where some PE node has them.
    void Configure(const CalculationOptions& options) {
        alpha_ = options.acceleration;
        accelerated_ = alpha_ != PlainAcceleration;
        limited_ = NodeLimits(network_, options, limits_);
    }
    bool Limited() const { return limited_; }
    // The limits that hold the nodes in the present state, and those that held each node during
    // its update in the last iteration.
    const HeldNodes& Held() const { return held_; }
    const HeldNodes& HeldInIteration() const { return heldInIteration_; }

    void Prepare() {}

    // Iteration k: nodes 0..N-1 in ascending order, each by the rule of its type, every node
    // seeing entry k+1 of the nodes before it and entry k of itself and the nodes after it.
    void Iterate(int k) {
        IterGauss = k;
        const int N = network_.ActiveNodeCount();
        for (int i = 0; i < N; ++i) {
            const int type = network_.NodeTypes[i];
            try {
                switch (type >= Ed && type <= Qd ? type : Ed) {
                case PQ:
                    UpdatePQ(i);
                    break;
                case PE:
                    if constexpr (WithOptions) {
                        if (limited_ && limits_[i] != nullptr) {
                            UpdateLimitedPE(i);
                            break;
                        }
                    }
                    UpdatePE(i);
                    break;
                case Pd:
                    UpdatePd(i);
                    break;
                case QE:
                    UpdateQE(i);
                    break;
                case Qd:
                    UpdateQd(i);
                    break;
                default:
                    UpdateEd(i);
                    break;
                }
            } catch (ArithmeticFault& fault) {
                fault.node = i;
                throw;
            }
        }
    }

    // Where the rules write what they compute, or null.
    GaussNodeRecord* records = nullptr;

private:
    // E_i^k times the sum over every node j of |Y_ij| E_j sin(d_i - d_j - th_ij) (Sin) or of
    // the same with Cos, with the newest values; the term j = i included.
    template <class T, T (*Trig)(T)> T Injection(int i) const {
        const int n = network_.ActiveNodeCount();
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

    template <class T> Voltage<T> ScaledVoltage(int i) const {
        const int n = network_.ActiveNodeCount();
        const int k = IterGauss;
        const T Ei = EHistoryGauss[i][k];
        const T A = T(dHistoryGauss[i][k]) - YAng[i][i];
        const T P = PData[i];
        const T Q = QData[i];

        // The sum over every other node j of |Y_ij| E_j trig(d_j + th_ij - th_ii), j = 0..i-1 at
        // iteration k+1, then j = i+1..n-1 at iteration k.
        const auto others = [&](T (*trig)(T)) {
            T sum = 0.0;
            for (int j = 0; j < n; ++j) {
                if (j != i) {
                    const int t = NewestEntry(i, j, k);
                    const T yE = T(YMag[i][j]) * EHistoryGauss[j][t];
                    const T value = trig(T(dHistoryGauss[j][t]) + YAng[i][j] - YAng[i][i]);
                    sum = sum + yE * value;
                }
            }
            return sum;
        };
        const T Sc = others(Cos);
        // cos A and sin A once for C and R: computing them again could raise nothing new
        const T cosA = Cos(A);
        const T PcosA = P * cosA;
        const T sinA = Sin(A);
        const T QsinA = Q * sinA;
        const T C = (PcosA + QsinA) / Ei - Sc;

        const T Ss = others(Sin);
        const T PsinA = P * sinA;
        const T QcosA = Q * cosA;
        const T R = (PsinA - QcosA) / Ei - Ss;

        return {C, R};
    }

    void StoreComputedQ(int i) {
        QData[i] = Evaluate([&](auto x) { return Injection<decltype(x), Sin>(i); });
        RecordInjection(i, QData[i]);
    }
    void StoreComputedP(int i) {
        PData[i] = Evaluate([&](auto x) { return Injection<decltype(x), Cos>(i); });
        RecordInjection(i, PData[i]);
    }
    void RecordInjection(int i, double injection) {
        if (records != nullptr) {
            records[i].hasInjection = true;
            records[i].injection = injection;
        }
    }

    // C + jR of node i, once it is known that computing it raised no fault: a fault there
    // stops the rule before either entry is written.
    Voltage<double> NewVoltage(int i) {
        const Voltage<double> v = Evaluate([&](auto x) { return ScaledVoltage<decltype(x)>(i); });
        if (records != nullptr) {
            records[i].hasVoltage = true;
            records[i].C = v.C;
            records[i].R = v.R;
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
    // The same moved alpha times as far from entry k: the phase alone, the magnitude alone, or
    // the complex voltage E e^(jd).
    void StoreAcceleratedPhase(int i, Voltage<double> v) {
        const int k = IterGauss;
        dHistoryGauss[i][k + 1] = Evaluate([&](auto x) {
            using T = decltype(x);
            const T old = dHistoryGauss[i][k];
            const T step = PolarAngle(T(v.C), T(v.R)) - old;
            return old + T(alpha_) * step;
        });
    }
    void StoreAcceleratedMagnitude(int i, Voltage<double> v) {
        const int k = IterGauss;
        EHistoryGauss[i][k + 1] = Evaluate([&](auto x) {
            using T = decltype(x);
            const T old = EHistoryGauss[i][k];
            const T step = PolarModulus(T(v.C), T(v.R)) / YMag[i][i] - old;
            return old + T(alpha_) * step;
        });
    }
    void StoreAcceleratedVoltage(int i, Voltage<double> v) {
        const int k = IterGauss;
        const Polar<double> p = Evaluate([&](auto x) {
            using T = decltype(x);
            const T E = EHistoryGauss[i][k];
            const T d = dHistoryGauss[i][k];
            const T cosd = Cos(d);
            const T sind = Sin(d);
            const T re = E * cosd;
            const T im = E * sind;
            const T stepRe = T(v.C) / YMag[i][i] - re;
            const T stepIm = T(v.R) / YMag[i][i] - im;
            const T alphaRe = T(alpha_) * stepRe;
            const T alphaIm = T(alpha_) * stepIm;
            const T newRe = re + alphaRe;
            const T newIm = im + alphaIm;
            return Polar<T>{PolarModulus(newRe, newIm), PolarAngle(newRe, newIm)};
        });
        EHistoryGauss[i][k + 1] = p.E;
        dHistoryGauss[i][k + 1] = p.d;
    }

    // Whether the updates move alpha times as far; never without options.
    bool Accelerated() const {
        if constexpr (WithOptions) {
            return accelerated_;
        }
        return false;
    }

    // Entry k+1 from C + jR by the update of the node's unknowns, accelerated or not.
    void StoreBoth(int i, Voltage<double> v) {
        if (Accelerated()) {
            StoreAcceleratedVoltage(i, v);
        } else {
            StoreNewMagnitude(i, v);
            StoreNewPhase(i, v);
        }
    }
    void StorePhase(int i, Voltage<double> v) {
        if (Accelerated()) {
            StoreAcceleratedPhase(i, v);
        } else {
            StoreNewPhase(i, v);
        }
    }
    void StoreMagnitude(int i, Voltage<double> v) {
        if (Accelerated()) {
            StoreAcceleratedMagnitude(i, v);
        } else {
            StoreNewMagnitude(i, v);
        }
    }

    void KeepMagnitude(int i) {
        const int k = IterGauss;
        EHistoryGauss[i][k + 1] = Checked(EHistoryGauss[i][k]);
    }
    void KeepPhase(int i) {
        const int k = IterGauss;
        dHistoryGauss[i][k + 1] = Checked(dHistoryGauss[i][k]);
    }

    // After the injection it computes, a node with E given has its phase from C + jR and its
    // magnitude kept; a node with d given the other way round.
    void UpdatePhase(int i) {
        const Voltage<double> v = NewVoltage(i);
        KeepMagnitude(i);
        StorePhase(i, v);
    }
    void UpdateMagnitude(int i) {
        const Voltage<double> v = NewVoltage(i);
        StoreMagnitude(i, v);
        KeepPhase(i);
    }

    // The six rules.
    void UpdateEd(int i) {
        KeepMagnitude(i);
        KeepPhase(i);
    }
    void UpdatePQ(int i) {
        const Voltage<double> v = NewVoltage(i);
        StoreBoth(i, v);
    }
    void UpdatePE(int i) {
        StoreComputedQ(i);
        UpdatePhase(i);
    }
    void UpdatePd(int i) {
        StoreComputedQ(i);
        UpdateMagnitude(i);
    }
    void UpdateQE(int i) {
        StoreComputedP(i);
        UpdatePhase(i);
    }
    void UpdateQd(int i) {
        StoreComputedP(i);
        UpdateMagnitude(i);
    }

    // A PE node with limits. Not held: Q from the newest values; within the limits the PE rule
    // goes on, beyond one the node is held there for this update. Held: the PQ rule with Q at
    // the limit, after which a node held before this iteration goes back to its given E when its
    // new E has crossed it.
    void UpdateLimitedPE(int i) {
        const ReactiveLimits& limits = *limits_[i];
        const HeldLimit before = held_[i];
        if (before == HeldLimit::None) {
            StoreComputedQ(i);
            const HeldLimit broken = BrokenLimit(limits, QData[i]);
            if (broken == HeldLimit::None) {
                heldInIteration_[i] = HeldLimit::None;
                UpdatePhase(i);
                return;
            }
            held_[i] = broken;
            if (records != nullptr) {
                records[i].hasInjection = false; // Q is the limit's, not computed
            }
        }
        heldInIteration_[i] = held_[i];
        QData[i] = HeldQ(limits, held_[i]);
        const Voltage<double> v = NewVoltage(i);
        StoreBoth(i, v);
        const int k = IterGauss;
        if (before != HeldLimit::None &&
            LetGo(before, EHistoryGauss[i][k + 1], network_.EData[i])) {
            EHistoryGauss[i][k + 1] = Checked(network_.EData[i]);
            held_[i] = HeldLimit::None;
        }
    }

    const Network& network_;
    const double (&YMag)[MaxNodes][MaxNodes];
    const double (&YAng)[MaxNodes][MaxNodes];
    double (&PData)[MaxNodes];
    double (&QData)[MaxNodes];
    History& EHistoryGauss;
    History& dHistoryGauss;
    int IterGauss = 0;

    double alpha_ = PlainAcceleration;
    bool accelerated_ = false;
    bool limited_ = false;
    const ReactiveLimits* limits_[MaxNodes] = {};
    HeldNodes held_{};
    HeldNodes heldInIteration_{};
};

// Today's run, with every option off.
void PlainGaussRun(const Network& network, Run& run, int iterations, SolverObserver& observer,
                   GaussSeidel<false>& solver, int recorded) {
    GaussNodeRecord records[MaxNodes] = {};
    // The record of iteration k is what the rules wrote in iterations 1..k; the last write wins.
    if (recorded > 0) {
        solver.records = records;
    }
    struct Steps {
        GaussSeidel<false>& solver;
        int recorded;
        void Prepare() { solver.Prepare(); }
        void Iterate(int k) {
            if (k == recorded) {
                solver.records = nullptr;
            }
            solver.Iterate(k);
        }
    } steps{solver, recorded};
    RunSolver(network, run, iterations, false, observer, steps);
    if (recorded > 0 && recorded <= run.IterationCount) {
        IterationRecord record;
        record.iteration = recorded;
        std::memcpy(record.GaussNodes, records, sizeof records);
        run.record = record;
    }
}

} // namespace

Run GaussIterate(const Network& network, int iterations, SolverObserver& observer,
                 const CalculationOptions& options) {
    Run run = NewRun(Method::Gauss, network, options);
    const int recorded = observer.RecordedIteration();
    if (AllOff(options)) {
        GaussSeidel<false> plain(network, run);
        PlainGaussRun(network, run, iterations, observer, plain, recorded);
        return run;
    }
    GaussSeidel<true> solver(network, run);
    solver.Configure(options);
    if (solver.Limited()) {
        run.heldLimits.push_back(HeldNodes{});
    }
    GaussNodeRecord records[MaxNodes] = {};
    if (recorded > 0) {
        solver.records = records;
    }
    HeldNodes recordedHeld{};
    struct Steps {
        const Network& network;
        Run& run;
        GaussSeidel<true>& solver;
        int recorded;
        HeldNodes& recordedHeld;
        void Prepare() { solver.Prepare(); }
        void Iterate(int k) {
            if (k == recorded) {
                solver.records = nullptr;
            }
            solver.Iterate(k);
            if (solver.Limited()) {
                run.heldLimits.push_back(solver.Held());
                if (k + 1 == recorded) {
                    recordedHeld = solver.HeldInIteration();
                }
            }
        }
        bool Stop(int k) { return ToleranceReached(network, run, k); }
    } steps{network, run, solver, recorded, recordedHeld};
    RunSolver(network, run, iterations, false, observer, steps);
    if (recorded > 0 && recorded <= run.IterationCount) {
        IterationRecord record;
        record.iteration = recorded;
        record.held = recordedHeld;
        std::memcpy(record.GaussNodes, records, sizeof records);
        run.record = record;
    }
    return run;
}

} // namespace nodewise
