// Gauss-Seidel load flow in polar form, one update rule per node type.
#pragma once

#include "core/model/workspace.h"

namespace nodewise {

// Runs IterationCount iterations from EData/dData, filling EHistoryGauss/dHistoryGauss
// (phases in degrees once the run is over). Throws ArithmeticFault where a division by zero,
// an invalid operation or an overflow occurs; the entries written before it stay and the
// phases are then left in radians.
void GaussIterate();

// Real and imaginary parts of |Y_ii| times the new complex voltage of node i.
Complex GaussScaledVoltage(int i);

void GaussUpdateEd(int i);
void GaussUpdatePQ(int i);
void GaussUpdatePE(int i);
void GaussUpdatePd(int i);
void GaussUpdateQE(int i);
void GaussUpdateQd(int i);

using GaussRule = void (*)(int);
extern const GaussRule GaussRules[6];

} // namespace nodewise
