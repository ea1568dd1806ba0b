#include "core/report/analysis_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

#include "core/input/acquisition.h"
#include "core/input/entry_syntax.h"
#include "core/report/balance_tables.h"
#include "core/results/number_style.h"
#include "core/text/number_format.h"

namespace nodewise {

namespace {

// The chart colours of the three methods, the same in the window and in the report.
constexpr const char* SeriesColours[] = {"#1f77b4", "#d62728", "#2ca02c"};

} // namespace

namespace {

std::string ComplexText(Phasor value, const NumberStyle& style = {}, char decimalSeparator = '.') {
    const double im = value.imag();
    return ShownNumber(style, value.real(), decimalSeparator) +
           (std::signbit(im) ? " - j" : " + j") +
           ShownNumber(style, std::abs(im), decimalSeparator);
}

// A heading with the unit of its power column when powers are not per unit: "P (MW)".
std::string PowerHeading(const char* title, const char* unit, const NumberStyle& style) {
    return style.megawatts ? std::string(title) + " (" + unit + ")" : std::string(title);
}

std::string Cell(const std::string& text, const char* attributes = "") {
    return std::string("<td") + attributes + ">" + text + "</td>";
}

std::string HeaderRow(std::initializer_list<std::string> titles) {
    std::string row = "<tr>";
    for (const std::string& title : titles) {
        row += "<th>" + title + "</th>";
    }
    return row + "</tr>\n";
}

std::string CsvRow(std::initializer_list<std::string> titles) {
    std::string row;
    for (const std::string& title : titles) {
        row += (row.empty() ? "" : ";") + title;
    }
    return row + "\n";
}

std::string ConvergedText(const ConvergenceSummary& summary) {
    return summary.convergedAt ? std::to_string(*summary.convergedAt) : "non converge";
}

// Given values in the HTML tables carry this class.
const char* GivenAttribute(bool given) {
    return given ? " class=\"dato\"" : "";
}

// A balance table: its headings, then a row per element, the given values marked.
std::string HtmlTable(const BalanceTable& table, const NumberStyle& style) {
    std::string out = "<table>\n<tr>";
    for (const BalanceColumn& column : table.columns) {
        out += "<th>" + ColumnHeading(column, style) + "</th>";
    }
    out += "</tr>\n";
    for (const std::vector<BalanceCell>& row : table.rows) {
        out += "<tr>";
        for (std::size_t c = 0; c < row.size(); ++c) {
            const BalanceColumn& column = table.columns[c];
            out += column.kind == ColumnKind::Label
                       ? Cell(row[c].label)
                       : Cell(ShownNumber(style, ShownValue(column, row[c].value, style)),
                              GivenAttribute(row[c].given));
        }
        out += "</tr>\n";
    }
    return out + "</table>\n";
}

// The same table for a spreadsheet: fields between semicolons, decimal commas.
std::string CsvTable(const BalanceTable& table, const NumberStyle& style) {
    std::string out;
    for (const BalanceColumn& column : table.columns) {
        out += (out.empty() ? "" : ";") + ColumnHeading(column, style);
    }
    out += "\n";
    for (const std::vector<BalanceCell>& row : table.rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            const BalanceColumn& column = table.columns[c];
            out += (c == 0 ? "" : ";") +
                   (column.kind == ColumnKind::Label
                        ? row[c].label
                        : ShownNumber(style, ShownValue(column, row[c].value, style), ','));
        }
        out += "\n";
    }
    return out;
}

// A matrix cell with text that was not used.
std::string UnusedAttribute() {
    return std::string(" style=\"background:") + UnusedTextBackground + "\"";
}

void AppendNetworkAsRead(std::string& out, const Network& network, const CellTexts& cells,
                         const NumberStyle& style) {
    const auto& [YComplex, NodeTypes] = std::tie(network.YComplex, network.NodeTypes);
    const int n = network.ActiveNodeCount();
    out += "<h2>Rete acquisita</h2>\n<p>Matrice delle ammettenze nodali (testo delle celle e "
           "valore letto, pu):</p>\n<table>\n<tr><th></th>";
    for (int j = 0; j < n; ++j) {
        out += "<th>" + std::to_string(j + 1) + "</th>";
    }
    out += "</tr>\n";
    int marked = 0;
    for (int i = 0; i < n; ++i) {
        out += "<tr><th>" + std::to_string(i + 1) + "</th>";
        for (int j = 0; j < n; ++j) {
            const std::string& text = cells.Admittance[std::max(i, j)][std::min(i, j)];
            const Phasor y(YComplex[i][j].re, YComplex[i][j].im);
            std::string content =
                "<span class=\"testo\">" + HtmlEscape(text) + "</span><br>" + ComplexText(y, style);
            // Text that played no part in the value is marked as the "Matrice acquisita"
            // window marks it, and written out, since a page has no hints to hover over.
            const std::string unused = text.empty() ? std::string() : ReadAdmittance(text).unused;
            if (unused.empty()) {
                out += Cell(content);
                continue;
            }
            content += "<br><span class=\"testo\">non usato: &laquo;" + HtmlEscape(unused) +
                       "&raquo;</span>";
            out += Cell(content, UnusedAttribute().c_str());
            ++marked;
        }
        out += "</tr>\n";
    }
    out += "</table>\n";
    if (marked != 0) {
        out += "<p>Le celle evidenziate contengono testo non usato (per esempio una J maiuscola "
               "al posto della j): sotto il valore letto &egrave; scritto quale.</p>\n";
    }
    out += "<p>Dati nodali (pu, fasi in gradi; vuoto dove il dato non &egrave; "
           "assegnato):</p>\n<table>\n" +
           HeaderRow({"Nodo", "Tipo", "E", "d (gradi)", "P", "Q"});
    for (int i = 0; i < n; ++i) {
        out += "<tr>" + Cell(std::to_string(i + 1)) + Cell(NodeTypeLabel(NodeTypes[i]));
        for (int c = 0; c < DataColumns; ++c) {
            out += Cell(HtmlEscape(cells.Data[c][i]));
        }
        out += "</tr>\n";
    }
    out += "</table>\n";
}

std::string HtmlReport(const Network& network, const CellTexts& cells, const RunSet& runSet,
                       Method method, double tolerance, const NumberStyle& style) {
    auto Number = [&style](double value) { return ShownNumber(style, value); };
    auto Power = [&style](double value) { return ShownNumber(style, ShownPower(style, value)); };
    auto P = [&style](const char* title) {
        return PowerHeading(title, ActivePowerUnit(style), style);
    };
    auto Q = [&style](const char* title) {
        return PowerHeading(title, ReactivePowerUnit(style), style);
    };
    const BalanceTables tables = MakeBalanceTables(network, *runSet.Of(method));
    const std::vector<MethodTrace> runs = RunTraces(network, runSet);
    const std::string title = std::string("Bilancio di potenza - ") + MethodTitle(method);

    std::string out = "<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n";
    out += "<title>" + title + "</title>\n";
    out += "<style>\nbody{font-family:sans-serif}\ntable{border-collapse:collapse;margin-bottom:"
           "1em}\nth,td{border:1px solid #999;padding:2px 8px;text-align:right}\n"
           "td.dato{background:#e8eef8;font-style:italic}\n.testo{font-family:monospace;color:"
           "#555}\n</style>\n</head>\n<body>\n";
    out += "<h1>" + title + "</h1>\n";
    out += "<p>Iterazioni: " + std::to_string(network.LastHistoryEntry()) +
           (style.megawatts ? ". Valori all'ultima iterazione: tensioni e ammettenze in per "
                              "unit&agrave;, potenze in MW e Mvar su una base di " +
                                  FormatGeneral(style.basePower) + " MVA"
                            : std::string(". Valori all'ultima iterazione, in per unit&agrave;")) +
           "; in corsivo su fondo azzurro i valori dati, gli altri sono calcolati dallo "
           "stato.</p>\n";
    AppendNetworkAsRead(out, network, cells, style);

    out += "<h2>Nodi</h2>\n" + HtmlTable(tables.nodes, style) + "<h2>Rami</h2>\n" +
           HtmlTable(tables.branches, style) + "<h2>Elementi verso terra</h2>\n" +
           HtmlTable(tables.shunts, style);
    out += "<h2>Totali</h2>\n<table>\n" + HeaderRow({"", P("P"), Q("Q")});
    out += "<tr><th>Perdite della rete (somma delle iniezioni)</th>" +
           Cell(Power(tables.losses.real())) + Cell(Power(tables.losses.imag())) +
           "</tr>\n</table>\n";

    out += "<h2>Convergenza</h2>\n<p>Tolleranza: " + Number(tolerance) + " pu.</p>\n<table>\n" +
           HeaderRow({"Metodo", "Iterazioni", "Converge a",
                      PowerHeading("Scarto finale", PowerUnits(style), style)});
    for (const MethodTrace& run : runs) {
        const ConvergenceSummary summary = Summarize(run, tolerance);
        out += "<tr>" + Cell(MethodTitle(run.method)) + Cell(std::to_string(summary.iterations)) +
               Cell(ConvergedText(summary)) + Cell(Power(summary.finalMismatch)) + "</tr>\n";
    }
    out += "</table>\n" + ConvergenceChartSvg(runs, tolerance) + "\n</body>\n</html>\n";
    return out;
}

std::string CsvReport(const Network& network, const RunSet& runSet, Method method, double tolerance,
                      const NumberStyle& style) {
    const BalanceTables tables = MakeBalanceTables(network, *runSet.Of(method));
    auto num = [&style](double value) { return ShownNumber(style, value, ','); };
    auto power = [&style](double value) {
        return ShownNumber(style, ShownPower(style, value), ',');
    };
    auto P = [&style](const char* title) {
        return PowerHeading(title, ActivePowerUnit(style), style);
    };
    auto Q = [&style](const char* title) {
        return PowerHeading(title, ReactivePowerUnit(style), style);
    };
    std::string out = std::string("Bilancio di potenza;") + MethodTitle(method) + "\n";
    out += "Iterazioni;" + std::to_string(network.LastHistoryEntry()) + "\n";
    if (style.megawatts) {
        out += "Potenza di base (MVA);" + FormatGeneral(style.basePower, ',') + "\n";
    }
    out += "\nNodi\n" + CsvTable(tables.nodes, style) + "\nRami\n" +
           CsvTable(tables.branches, style) + "\nElementi verso terra\n" +
           CsvTable(tables.shunts, style);
    out += "\nTotali\n" + CsvRow({P("P perdite"), Q("Q perdite")}) + power(tables.losses.real()) +
           ";" + power(tables.losses.imag()) + "\n";
    out += "\nConvergenza\nTolleranza;" + num(tolerance) + "\n";
    out += CsvRow({"Metodo", "Iterazioni", "Converge a",
                   PowerHeading("Scarto finale", PowerUnits(style), style)});
    for (const MethodTrace& run : RunTraces(network, runSet)) {
        const ConvergenceSummary summary = Summarize(run, tolerance);
        out += std::string(MethodTitle(run.method)) + ";" + std::to_string(summary.iterations) +
               ";" + ConvergedText(summary) + ";" + power(summary.finalMismatch) + "\n";
    }
    return out;
}

// A coordinate with one decimal, whatever the process locale.
std::string Fixed(double value) {
    if (!std::isfinite(value) || std::abs(value) > 1e6) {
        value = 0.0;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(std::lround(value * 10.0)));
    std::string text = buffer; // tenths of a pixel, written without the locale's separator
    const bool negative = !text.empty() && text[0] == '-';
    std::string digits = negative ? text.substr(1) : text;
    while (digits.size() < 2) {
        digits.insert(digits.begin(), '0');
    }
    return (negative ? "-" : "") + digits.substr(0, digits.size() - 1) + "." + digits.back();
}

} // namespace

double ChartValue(double mismatch) {
    return mismatch < ChartFloor ? ChartFloor : mismatch;
}

ChartDecades ChartDecadesFor(double highest) {
    const int high = std::isfinite(highest) && highest > 1.0
                         ? static_cast<int>(std::ceil(std::log10(highest)))
                         : 0;
    const int low = static_cast<int>(std::floor(std::log10(ChartFloor)));
    const int step = std::max(1, (high - low + 11) / 12);
    const int top = static_cast<int>(std::ceil(static_cast<double>(high) / step)) * step;
    const int bottom = static_cast<int>(std::floor(static_cast<double>(low - 1) / step)) * step;
    return {bottom, top, step};
}

std::vector<MethodTrace> RunTraces(const Network& network, const RunSet& runSet) {
    std::vector<MethodTrace> runs;
    for (Method method : AllMethods) {
        if (const Run* run = runSet.Of(method)) {
            runs.push_back({method, MismatchTrace(network, *run)});
        }
    }
    return runs;
}

ConvergenceSummary Summarize(const MethodTrace& run, double tolerance) {
    ConvergenceSummary summary{run.method, 0, std::nullopt, 0.0};
    if (!run.trace.empty()) {
        summary.iterations = static_cast<int>(run.trace.size()) - 1;
        summary.convergedAt = ConvergedAt(run.trace, tolerance);
        summary.finalMismatch = run.trace.back().mismatch;
    }
    return summary;
}

std::string ConvergenceChartSvg(const std::vector<MethodTrace>& runs, double tolerance, int width,
                                int height) {
    const double left = 70, right = 150, top = 20, bottom = 45;
    const double plotWidth = width - left - right;
    const double plotHeight = height - top - bottom;
    int lastIteration = 1;
    double highest = std::max(ChartValue(tolerance), 1.0);
    for (const MethodTrace& run : runs) {
        lastIteration = std::max(lastIteration, static_cast<int>(run.trace.size()) - 1);
        for (const MismatchEntry& entry : run.trace) {
            if (std::isfinite(entry.mismatch)) {
                highest = std::max(highest, ChartValue(entry.mismatch));
            }
        }
    }
    const ChartDecades decades = ChartDecadesFor(highest);
    const int lowDecade = decades.bottom;
    const int highDecade = decades.top;
    auto x = [&](double k) { return left + plotWidth * k / lastIteration; };
    auto y = [&](double value) {
        const double decade = std::log10(ChartValue(value));
        return top + plotHeight * (highDecade - decade) / (highDecade - lowDecade);
    };

    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
                      "\" height=\"" + std::to_string(height) +
                      "\" font-family=\"sans-serif\" font-size=\"11\">\n";
    svg += "<rect x=\"" + Fixed(left) + "\" y=\"" + Fixed(top) + "\" width=\"" + Fixed(plotWidth) +
           "\" height=\"" + Fixed(plotHeight) + "\" fill=\"white\" stroke=\"#444\"/>\n";
    for (int decade = lowDecade; decade <= highDecade; decade += decades.step) {
        const std::string yy = Fixed(y(std::pow(10.0, decade)));
        svg += "<line x1=\"" + Fixed(left) + "\" y1=\"" + yy + "\" x2=\"" +
               Fixed(left + plotWidth) + "\" y2=\"" + yy + "\" stroke=\"#ddd\"/>\n";
        svg += "<text x=\"" + Fixed(left - 6) + "\" y=\"" + yy +
               "\" text-anchor=\"end\" dominant-baseline=\"middle\">1e" + std::to_string(decade) +
               "</text>\n";
    }
    const int xStep = std::max(1, lastIteration / 10);
    for (int k = 0; k <= lastIteration; k += xStep) {
        svg += "<text x=\"" + Fixed(x(k)) + "\" y=\"" + Fixed(top + plotHeight + 16) +
               "\" text-anchor=\"middle\">" + std::to_string(k) + "</text>\n";
    }
    svg += "<text x=\"" + Fixed(left + plotWidth / 2) + "\" y=\"" + Fixed(height - 6.0) +
           "\" text-anchor=\"middle\">iterazione</text>\n";
    svg += "<text x=\"14\" y=\"" + Fixed(top + plotHeight / 2) + "\" transform=\"rotate(-90 14 " +
           Fixed(top + plotHeight / 2) + ")\" text-anchor=\"middle\">scarto (pu)</text>\n";

    const std::string ty = Fixed(y(tolerance));
    svg += "<line x1=\"" + Fixed(left) + "\" y1=\"" + ty + "\" x2=\"" + Fixed(left + plotWidth) +
           "\" y2=\"" + ty + "\" stroke=\"#888\" stroke-dasharray=\"6 4\"/>\n";

    double legendY = top + 10;
    auto legend = [&](const std::string& colour, const std::string& label, bool dashed) {
        const std::string ly = Fixed(legendY);
        svg += "<line x1=\"" + Fixed(left + plotWidth + 10) + "\" y1=\"" + ly + "\" x2=\"" +
               Fixed(left + plotWidth + 34) + "\" y2=\"" + ly + "\" stroke=\"" + colour +
               "\" stroke-width=\"2\"" + (dashed ? " stroke-dasharray=\"6 4\"" : "") + "/>\n";
        svg += "<text x=\"" + Fixed(left + plotWidth + 40) + "\" y=\"" + ly +
               "\" dominant-baseline=\"middle\">" + label + "</text>\n";
        legendY += 18;
    };
    for (const MethodTrace& run : runs) {
        const char* colour = SeriesColours[static_cast<int>(run.method)];
        svg += "<polyline fill=\"none\" stroke=\"" + std::string(colour) +
               "\" stroke-width=\"1.5\" points=\"";
        for (std::size_t k = 0; k < run.trace.size(); ++k) {
            const double value = run.trace[k].mismatch;
            const double shown = std::isfinite(value) ? value : std::pow(10.0, highDecade);
            svg += Fixed(x(static_cast<double>(k))) + "," + Fixed(y(shown)) + " ";
        }
        svg += "\"/>\n";
        legend(colour, MethodTitle(run.method), false);
    }
    legend("#888", "tolleranza", true);
    svg += "</svg>";
    return svg;
}

std::string FormatAnalysisReport(ReportFormat format, const Network& network,
                                 const CellTexts& cells, const RunSet& runs, Method method,
                                 double tolerance, const NumberStyle& style) {
    if (!runs.Has(method)) {
        return {};
    }
    return format == ReportFormat::Html ? HtmlReport(network, cells, runs, method, tolerance, style)
                                        : CsvReport(network, runs, method, tolerance, style);
}

std::optional<NotConverged> LastIterateNotConverged(const Network& network, const Run& run,
                                                    double tolerance) {
    const std::vector<MismatchEntry> trace = MismatchTrace(network, run);
    if (trace.empty()) {
        return std::nullopt;
    }
    const MismatchEntry& last = trace.back();
    if (last.mismatch <= tolerance) {
        return std::nullopt; // NaN is not within any tolerance
    }
    return NotConverged{static_cast<int>(trace.size()) - 1, last.mismatch, last.node, tolerance};
}

std::string NotConvergedText(Method method, const NotConverged& state, const NumberStyle& style,
                             char decimalSeparator) {
    std::string text = std::string("Attenzione: ") + MethodTitle(method) +
                       " non \xC3\xA8 arrivato a convergenza: " + "all'iterazione " +
                       std::to_string(state.iteration) + " lo scarto massimo di potenza \xC3\xA8 " +
                       ShownNumber(style, ShownPower(style, state.mismatch), decimalSeparator) +
                       " " + PowerUnits(style);
    if (state.node >= 0) {
        text += " (nodo " + std::to_string(state.node + 1) + ")";
    }
    text += ", oltre la tolleranza di " +
            ShownNumber(style, ShownPower(style, state.tolerance), decimalSeparator) + " " +
            PowerUnits(style) + ". I valori mostrati non sono una soluzione della rete.";
    return text;
}

} // namespace nodewise
