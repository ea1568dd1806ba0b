// The texts of the 56 input cells of the data-entry window, as plain strings.
#pragma once

#include <string>

#include "core/model/network.h"

namespace nodewise {

inline constexpr int DataColumns = 4;          // E, d, P, Q
inline constexpr int AdmittanceCellCount = 28; // upper triangle of 7 x 7, diagonal included
inline constexpr int CellCount = 56;

struct CellTexts {
    // [column][row]; only column >= row is a cell, the other entries are never used.
    std::string Admittance[MaxNodes][MaxNodes];
    // [column][row]; column 0 E, 1 d (degrees), 2 P, 3 Q.
    std::string Data[DataColumns][MaxNodes];
};

// The cell on line `line` (0-based, 0..55) of the network data file: the admittance cells
// column by column, each column from the top row down to the diagonal, then the data cells
// node by node in the order E, d, P, Q.
std::string& CellInFileOrder(CellTexts& cells, int line);
const std::string& CellInFileOrder(const CellTexts& cells, int line);

} // namespace nodewise
