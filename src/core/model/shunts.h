// Which nodes of an admittance matrix have an element to ground. The element of node i is the
// sum of row i, y_i = sum over k of Y_ik; rounding leaves a few units in the last place of the
// row's largest elements in a row that cancels, and that is no element. The power balance, the
// drawing, the report, the MATPOWER export and "Dalle celle" all decide with these functions.
#pragma once

#include "core/model/network.h"

namespace nodewise {

// The largest part of a row sum that is rounding and not an element: a small multiple of the
// rounding of the row's magnitudes, sum over k of |Re Y_ik| + |Im Y_ik|.
double ShuntNoise(const Complex (&Y)[MaxNodes][MaxNodes], int row, int nodes);

// The element to ground of node `row` (0-based) among the first `nodes` nodes: the row sum, with
// each part no larger than ShuntNoise set to zero.
Complex ShuntAdmittance(const Complex (&Y)[MaxNodes][MaxNodes], int row, int nodes);

// True when the node has an element to ground.
bool HasShunt(const Complex (&Y)[MaxNodes][MaxNodes], int row, int nodes);

} // namespace nodewise
