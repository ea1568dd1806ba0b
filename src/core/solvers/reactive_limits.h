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

namespace nodewise {

// The limits of node i when it is a PE node with a bound set; null otherwise.
const ReactiveLimits* LimitsOf(const Network& network, const CalculationOptions& options, int i);

// The limit a Q computed for a node breaks (Max above qmax, Min below qmin), or None.
HeldLimit BrokenLimit(const ReactiveLimits& limits, double Q);

// The Q of a node held at `limit`.
double HeldQ(const ReactiveLimits& limits, HeldLimit limit);

// True when a node held at `limit` goes back to its given E with its new E.
bool LetGo(HeldLimit limit, double E, double EGiven);

// The numbering of the network with every held node a PQ node: its Q equation and its E
// unknown in node order within their blocks, the other rows and columns in the network's order.
Numbering HeldNumbering(const Network& network, const HeldNodes& held);

} // namespace nodewise
