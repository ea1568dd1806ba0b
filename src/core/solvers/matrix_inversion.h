// Inversion of the dense solver matrices: LU decomposition (compact Doolittle) of the matrix
// with its rows put once in a fixed order decided on the input, then one forward and one back
// substitution per column of the identity. Failures are reported through the user port.
#pragma once

namespace nodewise {

inline constexpr const char* InversionErrorCaption = "Errore";
inline constexpr const char* InversionZeroOrderText =
    "E' stata passata a InvMatr una matrice di ordine nullo.";
inline constexpr const char* InversionFailedText = "Impossibile invertire la Matrice.";

// Writes the inverse of the leading order x order block of A into B (order 0..14). A is never
// modified. On failure B holds 0 in every entry of the block not yet computed (order >= 2) or
// is untouched (orders 0 and 1). True when B holds the inverse, false after a reported failure.
bool InvMatr(double** A, double** B, int order);

} // namespace nodewise
