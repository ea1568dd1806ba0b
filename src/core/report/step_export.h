// The step of one iteration as text: the panels in the order the method uses them, the formula
// of a Jacobian element or of a Gauss-Seidel node with that iteration's numbers put in, the
// matrices as LaTeX, and the whole step as an HTML page or a CSV for an Italian spreadsheet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/iteration_step.h"

namespace nodewise {

// One table of the step: a vector is a matrix of one column.
struct StepPanel {
    std::string id;    // "jacobian": the key of the same values in `nodewise-cli step`
    std::string title; // "Jacobiano J"
    std::string latex; // "J^{-1}"
    std::vector<std::string> rowLabels;
    std::vector<std::string> columnLabels;
    StepMatrix values;
    // Node of each row and column (the element is on the node's own diagonal when they meet);
    // -1 where the panel has no node.
    std::vector<int> rowNodes;
    std::vector<int> columnNodes;
    bool vector = false;
};

// Newton-Raphson: mismatch, J, J^-1, correction. Stott-Alsac: mismatch, B', B'^-1, B'', B''^-1,
// correction. Gauss-Seidel: none (its nodes are a table of their own). Empty for a faulted step.
std::vector<StepPanel> StepPanels(const IterationStep& step);

// The state before and after as a panel: rows the nodes, columns E and d before and after.
StepPanel StatePanel(const IterationStep& step);

// What the step says about its inverses: "" when they were all computed.
std::string InversionNote(const IterationStep& step);

// One line per node held at a reactive limit in the iteration, in node order ("nodo 3 al limite
// Qmax"); none without.
std::vector<std::string> HeldNodeNotes(const IterationStep& step);

// The formula of Jacobian element (r, c) with the numbers of the iteration, ending with the
// solver's own value: "∂P2/∂d3 = E2·E3·|Y23|·sin(d2 − d3 − θ23) = 1,02 · 1 · 5,09902 · sin(…)
// = …". Phases and angles in degrees. Numbers with `decimalPoint`.
std::string JacobianElementFormula(const IterationStep& step, int r, int c,
                                   std::string_view decimalPoint);

// The rule of Gauss-Seidel node `index` (in update order) with its numbers.
std::string GaussNodeFormula(const IterationStep& step, int index, std::string_view decimalPoint);

// The shown matrices and vectors as LaTeX, each a display \[ ... \] of an array in brackets,
// labels as a first row and a first column: it compiles in an article with amsmath alone.
std::string StepLatex(const IterationStep& step);

enum class StepFormat { Html, Csv };

inline constexpr const char* StepSaveErrorCaption = "Errore";
inline constexpr const char* StepHtmlErrorText = "Errore salvataggio del passo in .html";
inline constexpr const char* StepCsvErrorText = "Errore salvataggio del passo in .csv";

// HTML numbers with a full stop; CSV numbers with a decimal comma, semicolons between fields.
std::string FormatStep(StepFormat format, const IterationStep& step);

} // namespace nodewise
