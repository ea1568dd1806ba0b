// Reactive limits inside a run, the same way in the three methods. A PE node with limits has its
// Q computed from the present state before its update (Gauss-Seidel) or before the mismatches
// (Newton-Raphson, Stott-Alsac); when Q is beyond a limit the node is held there for the
// iteration: a PQ node with Q at the limit, its Q equation and E unknown joining the system. A
// node held at Qmax whose new E rises to or above its given E (at Qmin: falls to or below it) is
// set back to its given E in that entry and is a PE node again from the next iteration. A node
// is held at most once and let go at most once per iteration, never both in one.
#pragma once

#include "core/model/calculation_options.h"
#include "core/model/network.h"
#include "core/model/run.h"
#include "core/numeric/arithmetic_fault.h"

namespace nodewise {

// The limits of node i when it is a PE node with a bound set; null otherwise.
const ReactiveLimits* LimitsOf(const Network& network, const CalculationOptions& options, int i);

// The limits of every node (LimitsOf) into `limits`; true when some node has them.
bool NodeLimits(const Network& network, const CalculationOptions& options,
                const ReactiveLimits* (&limits)[MaxNodes]);

// The limit a Q computed for a node breaks (Max above qmax, Min below qmin), or None.
HeldLimit BrokenLimit(const ReactiveLimits& limits, double Q);

// The Q of a node held at `limit`.
double HeldQ(const ReactiveLimits& limits, HeldLimit limit);

// True when a node held at `limit` goes back to its given E with its new E.
bool LetGo(HeldLimit limit, double E, double EGiven);

// The numbering of the network with every held node a PQ node: its Q equation and its E
// unknown in node order within their blocks, the other rows and columns in the network's order.
Numbering HeldNumbering(const Network& network, const HeldNodes& held);

// The nodes held at a limit in a run of Newton-Raphson or Stott-Alsac, whose solver takes the Q
// of a node's Q equation by SetQ(i, Q). What each method does with a changed numbering is its
// own.
struct HeldLimitNodes {
    const ReactiveLimits* limits[MaxNodes] = {};
    bool limited = false;
    HeldNodes held{};
    HeldNodes before{}; // as they were before the iteration

    // The limits of the run's options; with any, entry 0 recorded in run.heldLimits, none held.
    void Configure(const Network& network, Run& run) {
        limited = NodeLimits(network, run.options, limits);
        if (limited) {
            run.heldLimits.push_back(held);
        }
    }

    // Before the mismatches of an iteration: every node with limits and not held whose Q computed
    // by `calculatedQ(i)` (through Evaluate) breaks one is held there, its Q the limit's. True when
    // any was.
    template <class Solver, class CalculatedQ>
    bool Hold(const Network& network, Solver& solver, const CalculatedQ& calculatedQ) {
        before = held;
        bool changed = false;
        for (int i = 0; i < network.ActiveNodeCount(); ++i) {
            if (limits[i] == nullptr || held[i] != HeldLimit::None) {
                continue;
            }
            const double Q = AtNode(i, [&] { return calculatedQ(i); });
            held[i] = BrokenLimit(*limits[i], Q);
            if (held[i] != HeldLimit::None) {
                solver.SetQ(i, HeldQ(*limits[i], held[i]));
                changed = true;
            }
        }
        return changed;
    }

    // After iteration k: the nodes held in it into the run's record when it is the one
    // `recorded`; then every node held since before the iteration whose E of entry
    // k+1 crossed its given E let go, that E set back to the given one and its Q to the
    // network's; then the nodes held at entry k+1 into run.heldLimits. True when any was let go.
    template <class Solver>
    bool EndIteration(const Network& network, Run& run, Solver& solver, int k, int recorded) {
        if (k + 1 == recorded) {
            run.record->held = held;
        }
        bool changed = false;
        for (int i = 0; i < network.ActiveNodeCount(); ++i) {
            if (before[i] != HeldLimit::None &&
                LetGo(before[i], run.EHistory[i][k + 1], network.EData[i])) {
                run.EHistory[i][k + 1] = Checked(network.EData[i]);
                held[i] = HeldLimit::None;
                solver.SetQ(i, network.QData[i]);
                changed = true;
            }
        }
        run.heldLimits.push_back(held);
        return changed;
    }
};

} // namespace nodewise
