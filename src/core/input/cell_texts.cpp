#include "core/input/cell_texts.h"

namespace nodewise {

namespace {

struct CellPosition {
    bool admittance;
    int column;
    int row;
};

// Line j(j-1)/2 + i (1-based) holds the admittance cell of row i, column j; line
// 28 + 4(n-1) + c holds data column c of node n.
CellPosition PositionOfLine(int line) {
    if (line < AdmittanceCellCount) {
        int column = 0;
        while ((column + 1) * (column + 2) / 2 <= line) {
            ++column;
        }
        return {true, column, line - column * (column + 1) / 2};
    }
    const int data = line - AdmittanceCellCount;
    return {false, data % DataColumns, data / DataColumns};
}

} // namespace

std::string& CellInFileOrder(CellTexts& cells, int line) {
    const CellPosition p = PositionOfLine(line);
    return p.admittance ? cells.Admittance[p.column][p.row] : cells.Data[p.column][p.row];
}

const std::string& CellInFileOrder(const CellTexts& cells, int line) {
    return CellInFileOrder(const_cast<CellTexts&>(cells), line);
}

} // namespace nodewise
