// The frame the three load-flow methods share: the starting point, the progress report before
// every iteration, and the phases turned into degrees once the run is over. A method brings
// only what happens inside one iteration (and, for Stott-Alsac, what is done once before).
#pragma once

#include "core/model/workspace.h"

namespace nodewise {

struct SolverSteps {
    HistoryRows& E;
    HistoryRows& d;
    int& iteration;         // the method's counter: IterGauss, IterNewton or IterStott
    bool startEveryEntry;   // starting point in entries 0..K rather than in entry 0 only
    void (*prepare)();      // once, after the starting point; may be null
    void (*iterate)(int k); // iteration k: entries k+1 from entries k
};

// With N nodes and K iterations (the bounds of ActiveNodeCount and LastHistoryEntry):
//   1. E[i][t] = EData[i], d[i][t] = dData[i] (radians), i = 0..N-1, t = 0 (or 0..K);
//   2. prepare();
//   3. for k = 0..K-1: k+1 in panel 1 of the summary window, counter = k, iterate(k);
//      the counter ends at K;
//   4. d[i][t] in degrees, i = 0..N-1, t = 0..K.
// The arithmetic flags are cleared at the start and after every report (the user port may raise
// them). An ArithmeticFault leaves at once, carrying the iteration k+1 it happened in: the
// entries written so far stay, in radians.
void RunSolver(const SolverSteps& steps);

} // namespace nodewise
