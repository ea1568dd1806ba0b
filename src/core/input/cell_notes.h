// What acquisition makes of a cell whose text it does not read whole, told in a line the data
// entry shows beside the cell ("letto come 0", "letto come -4: l'esponente non è previsto"),
// and which nodes have not exactly two quantities given. Nothing here changes how a cell is
// read: the notes only describe what entry_syntax.h does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/input/cell_texts.h"

namespace nodewise {

// Empty when the text is read whole (an empty text included); otherwise "letto come VALUE",
// followed by ": REASON" when a reason can be named. Numbers are written with
// `decimalSeparator`, at most 15 significant digits.
std::string AdmittanceCellNote(std::string_view text, char decimalSeparator = ',');
std::string DataCellNote(std::string_view text, char decimalSeparator = ',');

struct CellNotes {
    std::string Admittance[MaxNodes][MaxNodes]; // [column][row], as CellTexts
    std::string Data[DataColumns][MaxNodes];
};
CellNotes NoteCells(const CellTexts& cells, char decimalSeparator = ',');

// A cell acquisition reads (one inside the node count) whose text was not all used.
struct UnreadCell {
    int line;           // its line in the network data file, 0..55
    std::string name;   // as the grid shows it: "Y1,2" (row, column), "E3", "d3", "P3", "Q3"
    std::string read;   // the value as it could have been typed; empty: read as an empty cell
    std::string unused; // the text that played no part, as ReadAdmittance and ReadData tell it
};

// The cells acquisition would read whose text is not used whole, in file order. Blanks alone
// are never unused text.
std::vector<UnreadCell> UnreadCells(const CellTexts& cells, char decimalSeparator = ',');

// "Y1,2: letto 26, testo non usato «-52»"; "E3: letto come cella vuota, testo non usato «pu»".
std::string UnreadCellLine(const UnreadCell& cell);

// The text of the box that lists them: a heading, a blank line, one line a cell.
std::string UnreadCellsMessage(const std::vector<UnreadCell>& cells);

// The nodes (0-based, among the nodes acquisition counts from the diagonal) that have not
// exactly two of E, d, P, Q given: those warning 2 is about.
std::vector<int> NodesWithoutTwoQuantities(const CellTexts& cells);

// The note of such a node: "il nodo 3 ha 1 dato su 4: ne servono esattamente 2".
std::string NodeQuantityNote(const CellTexts& cells, int node);

} // namespace nodewise
