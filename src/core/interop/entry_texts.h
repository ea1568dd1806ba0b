// Numbers written as cell texts in the entry syntax: plain decimal notation (the syntax has no
// exponent), with the fewest significant digits (17 at most) that the program's own parser reads
// back as exactly the same double.
#pragma once

#include <optional>
#include <string>

#include "core/model/network.h"

namespace nodewise {

// The longest cell text a network data file line carries.
inline constexpr std::size_t MaxCellTextLength = 98;

// The text of a node-data cell (E, d, P or Q) holding `value`; nothing when the value is not
// finite or its text would be longer than MaxCellTextLength.
[[nodiscard]] std::optional<std::string> FormatDataEntry(double value);

// The text of an admittance cell holding `y`, as "<re><sign><im>j" with a zero part left out.
// Zero gives "0" on the diagonal (the cell must not be empty there) and the empty text off it
// (no connection). Nothing when a part is not finite or the text would be too long.
[[nodiscard]] std::optional<std::string> FormatAdmittanceEntry(Complex y, bool diagonal);

// The same with the fewest significant digits (per part) that read back within `tolerance` of
// `y`; a part that then reads as 0 is left out.
[[nodiscard]] std::optional<std::string> FormatAdmittanceNear(Complex y, double tolerance,
                                                              bool diagonal);

} // namespace nodewise
