// Fast decoupled (Stott-Alsac) load flow: constant B' and B'' from the susceptances, inverted
// once per run; each iteration a Q-E half followed by a P-d half.
#pragma once

namespace nodewise {

// Runs IterationCount iterations from EData/dData, filling EHistoryStott/dHistoryStott
// (phases in degrees once the run is over). Callers ask DecideMethod (core/results/methods.h)
// first. Throws ArithmeticFault as GaussIterate does.
void StottIterate();

// Whether InvMatr inverted B' and B'' in the latest run (false after its message).
extern bool BPrimeInverted;
extern bool BSecondInverted;

} // namespace nodewise
