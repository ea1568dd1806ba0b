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

// What the rule of a node computed in the latest iteration: the injection it computed first
// (Q for PE and Pd, P for QE and Qd) and C + jR. Nothing for an Ed node.
struct GaussNodeRecord {
    bool hasInjection = false;
    double injection = 0.0;
    bool hasVoltage = false;
    double C = 0.0;
    double R = 0.0;
};

// Node-indexed records that GaussIterate fills while this points at them, through instances of
// the rules that record; null (the default) in an ordinary run, whose rules record nothing.
extern GaussNodeRecord* GaussRecords;

using GaussRule = void (*)(int);
extern const GaussRule GaussRules[6];

} // namespace nodewise
