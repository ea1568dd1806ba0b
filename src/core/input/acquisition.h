// Acquisition: from the texts of the iteration box and of the 56 cells to a classified
// network in the workspace.
#pragma once

#include <optional>
#include <string_view>

#include "core/input/cell_texts.h"

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

// Shows warning `index` through the user port: caption "Attenzione:", exclamation icon.
void ShowInputWarning(int index);

// The nodes the cells give: the diagonal admittance cells that hold text, from the first on.
int CellNodeCount(const CellTexts& cells);

// True when no admittance cell beyond the first `n` nodes holds text.
bool MatrixBeyondNodesIsEmpty(const CellTexts& cells, int n);

// Runs the checks in order and fills the workspace. Returns nothing on success, otherwise the
// index of the first warning; the workspace then holds what the steps before the failed check
// wrote. An iteration count of 1000 or more (any count too large for the history rows) is
// rejected with warning 6. Throws ArithmeticFault when converting the typed numbers overflows
// or is invalid (numbers of hundreds of digits).
std::optional<int> Acquire(std::string_view iterationText, const CellTexts& cells);

// The type of a node by which of E, d, P, Q (in that order) are given, two of them: Ed, PQ, PE,
// Pd, QE, or else Qd.
int ClassifyNode(const bool given[DataColumns]);

// True from the end of a successful acquisition until the next acquisition starts.
bool NetworkAcquired();

// Leaves the workspace as a rejected acquisition does (no network acquired, no run ended),
// for an acquisition the user stops at a question, before or after its checks.
void AbandonAcquisition();

// The cell texts the last acquisition read (all empty before the first one).
const CellTexts& AcquiredCells();

// True when the Newton-Raphson and Stott-Alsac blocks are square: PEquationCount equals
// dUnknownCount and QEquationCount equals EUnknownCount. Otherwise the method buttons raise
// warning 8.
bool MethodConditionHolds();

} // namespace nodewise
