// Acquisition: from the texts of the iteration box and of the 56 cells to a classified
// network.
#pragma once

#include <optional>
#include <string_view>

#include "core/input/cell_texts.h"
#include "core/model/network.h"
#include "core/platform/user_port.h"

namespace nodewise {

enum InputWarning : int {
    WarningMatrixBeyondNodes = 0,
    WarningDataBeyondNodes = 1,
    WarningNodeType = 2,
    WarningEquationsUnknowns = 3,
    WarningNoIterations = 4,
    WarningInvalidIterations = 5,
    WarningTooManyIterations = 6,
    WarningNegativeIterations = 7,
    WarningMethodNotApplicable = 8,
};

inline constexpr int InputWarningCount = 9;
inline constexpr const char* InputWarningCaption = "Attenzione:";

// The text of warning `index` (0..8); an empty text outside that range.
const char* InputWarningText(int index);

// Shows warning `index` on the port: caption "Attenzione:", exclamation icon.
void ShowInputWarning(UserPort& port, int index);

// The nodes the cells give: the diagonal admittance cells that hold text, from the first on.
int CellNodeCount(const CellTexts& cells);

// True when no admittance cell beyond the first `n` nodes holds text.
bool MatrixBeyondNodesIsEmpty(const CellTexts& cells, int n);

struct Acquisition {
    std::optional<int> warning; // the first warning; none when the network is acquired
    Network network;            // after a warning, what the steps before the failed check wrote
};

// Runs the checks in order and builds the network. An iteration count of 1000 or more (any
// count too large for the history rows) is rejected with warning 6. Throws ArithmeticFault
// when converting the typed numbers overflows or is invalid (numbers of hundreds of digits).
[[nodiscard]] Acquisition Acquire(std::string_view iterationText, const CellTexts& cells);

// A node gives exactly this many of E, d, P, Q: the rule behind WarningNodeType, the marks of
// the grid and the check of "Dalle celle".
inline constexpr int QuantitiesPerNode = 2;

// How many of node `node`'s cells E, d, P, Q give a quantity: a number can be read from them.
int GivenQuantityCount(const CellTexts& cells, int node);

// The type of a node by which of E, d, P, Q (in that order) are given, two of them: Ed, PQ, PE,
// Pd, QE, or else Qd.
int ClassifyNode(const bool given[DataColumns]);

} // namespace nodewise
