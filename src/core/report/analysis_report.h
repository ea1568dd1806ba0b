// The analysis of the runs since the last acquisition, as a self-contained HTML report (with
// the convergence chart as inline SVG) or as a CSV for a spreadsheet set up for Italian.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/power_balance.h"
#include "core/input/cell_texts.h"
#include "core/results/methods.h"
#include "core/results/number_style.h"
#include "core/text/markup.h"

namespace nodewise {

// Mismatches below this (an exact zero included) are drawn at it on the semilog chart.
inline constexpr double ChartFloor = 1e-16;

double ChartValue(double mismatch);

// The decades of a semilog chart whose highest value is `highest`: from `bottom` (a decade
// under the floor) to `top`, a label every `step` decades, at most a dozen labels.
struct ChartDecades {
    int bottom;
    int top;
    int step;
};
ChartDecades ChartDecadesFor(double highest);

struct MethodTrace {
    Method method;
    std::vector<MismatchEntry> trace; // entries 0..K
};

// The traces of the runs held, in the order Gauss-Seidel, Newton-Raphson, Stott-Alsac.
std::vector<MethodTrace> RunTraces(const Network& network, const RunSet& runs);

// One line of the convergence table.
struct ConvergenceSummary {
    Method method;
    int iterations = 0;
    std::optional<int> convergedAt;
    double finalMismatch = 0.0;
};
ConvergenceSummary Summarize(const MethodTrace& run, double tolerance);

// A semilog chart of the traces, mismatch against iteration, with the tolerance as a dashed
// horizontal line; an <svg> element of the given size in pixels.
std::string ConvergenceChartSvg(const std::vector<MethodTrace>& runs, double tolerance,
                                int width = 640, int height = 400);

// The background of a matrix cell whose text was not all used, in the "Matrice acquisita"
// window and in the HTML report.
inline constexpr const char* UnusedTextBackground = "#ffd8a8";

enum class ReportFormat { Html, Csv };

inline constexpr const char* ReportErrorCaption = "Errore";
inline constexpr const char* ReportHtmlErrorText = "Errore salvataggio del report in .html";
inline constexpr const char* ReportCsvErrorText = "Errore salvataggio del report in .csv";

// The report of `method`'s run on the network: the network as read (from `cells`), the node,
// branch, shunt and total tables at the last iterate, and the convergence of every method run
// since the acquisition. HTML numbers have a full stop; CSV numbers a decimal comma, with
// semicolons between the fields. The style chooses the significant digits and the unit of the
// powers (a heading then names it); the default style writes what the report always wrote.
// Empty when `runs` holds no run of `method`.
std::string FormatAnalysisReport(ReportFormat format, const Network& network,
                                 const CellTexts& cells, const RunSet& runs, Method method,
                                 double tolerance, const NumberStyle& style = {});

// The last iterate of a method's run when its mismatch is beyond the tolerance (or not a
// number): the iteration, the largest mismatch (pu) and its node, the tolerance.
struct NotConverged {
    int iteration = 0;
    double mismatch = 0.0;
    int node = -1;
    double tolerance = 0.0;
};
std::optional<NotConverged> LastIterateNotConverged(const Network& network, const Run& run,
                                                    double tolerance);

// "Attenzione: Gauss-Seidel non è arrivato a convergenza: all'iterazione 3 lo scarto massimo di
// potenza è 0,0123 pu (nodo 2), oltre la tolleranza di 1E-8 pu. I valori mostrati non sono una
// soluzione della rete."
std::string NotConvergedText(Method method, const NotConverged& state, const NumberStyle& style,
                             char decimalSeparator = ',');

} // namespace nodewise
