// The rows of the data summary: what the summary window lists and `nodewise-cli summary` prints.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/model/network.h"

namespace nodewise {

inline constexpr int SummaryColumnCount = 6;
using SummaryRow = std::array<std::string, SummaryColumnCount>;

// The texts of node i's row: node number (from 1), type label, E, d in degrees, P, Q, the four
// quantities in the 15-digit general format with the given decimal separator.
SummaryRow SummaryRowOf(const Network& network, int i, std::string_view decimalSeparator);

} // namespace nodewise
