// Inversion of the dense solver matrices: LU decomposition (compact Doolittle) of the matrix
// with its rows put once in a fixed order decided on the input, then one forward and one back
// substitution per column of the identity. The outcome is returned, for the caller to tell.
#pragma once

#include "core/model/run.h"

namespace nodewise {

// Writes the inverse of the leading order x order block of A into B (order 0..14). A is never
// modified. On failure B holds 0 in every entry of the block not yet computed (order >= 2) or
// is untouched (orders 0 and 1). Done when B holds the inverse; ZeroOrder for order 0; Failed
// otherwise (whose message is InversionFailedText).
[[nodiscard]] Inversion InvMatr(double** A, double** B, int order);

} // namespace nodewise
