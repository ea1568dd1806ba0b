// Line data: the branches (series impedance, line charging, off-nominal tap) and node shunts of
// a network, the admittance matrix they make, and the way back from a matrix to branches. The
// MATPOWER import, the MATPOWER export and the "Dati di linea" window all build and read the
// matrix here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/input/cell_texts.h"
#include "core/interop/nodal_network.h"

namespace nodewise {

// A branch between nodes `from` and `to` (1-based), in per unit: series impedance r + jx, total
// line charging b (half at each end), off-nominal tap ratio on the from side (1: a line).
struct Branch {
    int from = 0;
    int to = 0;
    double r = 0.0;
    double x = 0.0;
    double b = 0.0;
    double tap = 1.0;
};

// A shunt admittance g + jb (per unit) from node `node` (1-based) to ground.
struct NodeShunt {
    int node = 0;
    double g = 0.0;
    double b = 0.0;
};

struct LineData {
    std::vector<Branch> branches;
    std::vector<NodeShunt> shunts;
};

// The highest node number a branch or a shunt names (0 without any).
int LineDataNodeCount(const LineData& data);

// Adds one branch to the matrix: series admittance ys = 1/(r + jx); the to end gets ys + jb/2,
// the from end (ys + jb/2)/tap², both off-diagonal elements -ys/tap. Parallel branches add.
void AddBranchAdmittance(Complex (&Y)[MaxNodes][MaxNodes], const Branch& branch);

// The matrix of the line data, nodes 1..LineDataNodeCount: every branch in table order, then
// every shunt on its diagonal element. `network` gets the node count and the matrix; its node
// data are left as they are. The nodes must lie within 1..MaxNodes (ReadLineTable sees to it).
void BuildAdmittanceMatrix(const LineData& data, NodalNetwork& network);

// The reverse, as the MATPOWER export writes a network: one branch r + jx = -1/Y_ij (no line
// charging, tap 1) for every pair i < j with Y_ij != 0, in row order, and every node's element
// to ground (ShuntAdmittance) as its shunt. A vanishing Y_ij gives a branch whose r or x is not
// finite; FormatLineTable refuses it, the export checks it itself.
LineData LineDataFromMatrix(const NodalNetwork& network);

// The admittance cells of the matrix (entry syntax): the upper triangle of the network's nodes,
// an empty cell where two nodes are not connected, every cell beyond them empty. An off-diagonal
// cell has the fewest digits that read back within 1e-12 of its element; a diagonal cell is the
// negative sum of its row's cells as they read back plus the node's element to ground, so the
// cells' row sums are the shunts and nothing else. Refuses a value that cannot be written in a
// cell (with the reason in Italian); `cells` is then untouched.
[[nodiscard]] std::optional<std::string> MatrixToCells(const NodalNetwork& network,
                                                       CellTexts& cells);

// ---- The table of the "Dati di linea" window, as typed ----

enum BranchColumn : int {
    BranchFrom = 0,
    BranchTo = 1,
    BranchR = 2,
    BranchX = 3,
    BranchB = 4,
    BranchTap = 5
};
inline constexpr int BranchColumnCount = 6;

enum ShuntColumn : int { ShuntNode = 0, ShuntG = 1, ShuntB = 2 };
inline constexpr int ShuntColumnCount = 3;

// The column names the messages use: "da", "a", "R", "X", "B totale", "rapporto spire" /
// "nodo", "G", "B".
const char* BranchColumnName(int column);
const char* ShuntColumnName(int column);

struct LineTable {
    std::vector<std::vector<std::string>> branches; // rows of BranchColumnCount texts
    std::vector<std::vector<std::string>> shunts;   // rows of ShuntColumnCount texts
};

// How the impedances and admittances of the table are given: per unit, or R and X in ohm and
// B, G in microsiemens with the base voltage (kV, line to line) and base power (MVA) as typed.
struct LineUnits {
    bool physical = false;
    std::string baseKV;
    std::string baseMVA;
};

// What is wrong with one typed cell (row and column 0-based), in Italian naming the table, the
// row (1-based) and the column; nothing when the cell is fine on its own. Numbers follow the
// grid's syntax (a sign, digits, a comma or a point, no exponent; blanks around); a node is a
// whole number 1..MaxNodes. An empty cell reads as 0 (R, X, B, G), as 1 (tap) and is missing
// for a node. A row whose cells are all empty is no branch and no shunt.
[[nodiscard]] std::optional<std::string> CheckBranchCell(int row, int column,
                                                         std::string_view text);
[[nodiscard]] std::optional<std::string> CheckShuntCell(int row, int column, std::string_view text);

// The whole table read into per-unit line data, rows that are entirely empty skipped. Refuses,
// with the first problem in Italian, a bad cell, a branch from a node to itself, a branch
// without impedance (R = X = 0) or one whose admittance would not be finite, no branch at all,
// a node up to the highest one named that no branch reaches, and a base that is not a positive
// number; `data` is then untouched.
[[nodiscard]] std::optional<std::string> ReadLineTable(const LineTable& table,
                                                       const LineUnits& units, LineData& data);

// The table texts of per-unit line data (the grid's number syntax, a point as separator, the
// shortest text that reads back as the same value). Refuses a value that cannot be written so;
// `table` is then untouched.
[[nodiscard]] std::optional<std::string> FormatLineTable(const LineData& data, LineTable& table);

// The admittance matrix the grid's cells hold, read as the acquisition reads it but without
// acquiring anything: node count, matrix. Refuses cells beyond the nodes (as the acquisition's
// warning says), a grid without a matrix and a number too large, in Italian; `network` is then
// untouched.
[[nodiscard]] std::optional<std::string> MatrixFromCells(const CellTexts& cells,
                                                         NodalNetwork& network);

// The given node data of the first `network.nodeCount` nodes as the grid's data cells hold them
// (exactly two of E, d, P, Q per node; d in degrees), into the network's types and quantities.
// Refuses a node with other than two of them, naming it.
[[nodiscard]] std::optional<std::string> NodeDataFromCells(const CellTexts& cells,
                                                           NodalNetwork& network);

// True when two networks have the same node count and admittance matrices that differ nowhere by
// more than the rounding of a cell text (1e-9 of the element's magnitude, or of 1 pu).
bool SameAdmittanceMatrix(const NodalNetwork& a, const NodalNetwork& b);

} // namespace nodewise
