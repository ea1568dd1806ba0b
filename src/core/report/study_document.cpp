#include "core/report/study_document.h"

#include <algorithm>
#include <cmath>

#include "core/analysis/iteration_step.h"
#include "core/analysis/power_balance.h"
#include "core/drawing/network_diagram.h"
#include "core/drawing/network_diagram_svg.h"
#include "core/input/acquisition.h"
#include "core/input/entry_syntax.h"
#include "core/model/units.h"
#include "core/report/analysis_report.h"
#include "core/report/balance_tables.h"
#include "core/report/step_export.h"
#include "core/results/options_text.h"
#include "core/text/number_format.h"

namespace nodewise {

namespace {

// A table as the page lays it out: a thin ruled grid.
constexpr const char* TableStart = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n";

// The background of a cell whose text was not all used, as "Matrice acquisita" shows it.
std::string UnusedCellAttributes() {
    return std::string(" bgcolor=\"") + UnusedTextBackground + "\"";
}

std::string Row(const std::vector<std::string>& cells, bool heading = false) {
    std::string row = "<tr>";
    for (const std::string& cell : cells) {
        row += heading ? "<th>" + cell + "</th>" : "<td align=\"right\">" + cell + "</td>";
    }
    return row + "</tr>\n";
}

// Quantities a node type gives and leaves unknown: "E, d" / "P, Q".
std::string Quantities(int type, bool given) {
    std::string out;
    const char* names[] = {"E", "d", "P", "Q"};
    const bool flags[] = {EGiven(type), dGiven(type), PGiven(type), QGiven(type)};
    for (int q = 0; q < 4; ++q) {
        if (flags[q] == given) {
            out += (out.empty() ? "" : ", ") + std::string(names[q]);
        }
    }
    return out;
}

class StudyWriter {
public:
    StudyWriter(const Network& network, const CellTexts& cells, const RunSet& runs,
                const StudyChoices& choices)
        : network_(network), cells_(cells), runs_(runs), choices_(choices) {}

    StudyDocument Build() {
        document_.title = "Studio di load flow";
        if (!choices_.networkName.empty()) {
            document_.title += " - " + HtmlEscape(choices_.networkName);
        }
        html_ += "<h1>" + document_.title + "</h1>\n";
        html_ += "<p>" + Conventions() + "</p>\n";
        TypedNetwork();
        Summary();
        const std::optional<Method> method = choices_.method ? choices_.method : runs_.Last();
        bool anyRun = false;
        for (Method m : AllMethods) {
            anyRun = anyRun || runs_.Has(m);
        }
        if (!anyRun) {
            html_ += "<p><b>" + std::string(StudyWithoutRunsText) + "</b></p>\n";
        } else {
            Runs();
            if (method && runs_.Has(*method)) {
                const Run& run = *runs_.Of(*method);
                Balance(run);
                Drawing(run);
                if (choices_.stepIteration) {
                    Step(*method, *choices_.stepIteration);
                }
            }
        }
        document_.html = "<html><head><meta charset=\"utf-8\"><title>" + document_.title +
                         "</title></head><body>\n" + html_ + "</body></html>\n";
        return std::move(document_);
    }

private:
    std::string Number(double value) const { return ShownNumber(choices_.style, value); }
    std::string Power(double value) const {
        return ShownNumber(choices_.style, ShownPower(choices_.style, value));
    }
    std::string PowerTitle(const char* title, bool reactive) const {
        if (!choices_.style.megawatts) {
            return title;
        }
        return std::string(title) + " (" +
               (reactive ? ReactivePowerUnit(choices_.style) : ActivePowerUnit(choices_.style)) +
               ")";
    }

    std::string Conventions() const {
        std::string text = "Iterazioni richieste: " + std::to_string(network_.LastHistoryEntry()) +
                           ". Numeri con " + std::to_string(choices_.style.digits) +
                           " cifre significative; tensioni in per unit&agrave;, fasi in gradi";
        text += choices_.style.megawatts ? ", potenze in MW e Mvar su una base di " +
                                               FormatGeneral(choices_.style.basePower) + " MVA"
                                         : ", potenze in per unit&agrave;";
        return text + ". Tolleranza di convergenza: " + Number(choices_.tolerance) + " pu.";
    }

    void TypedNetwork() {
        const int n = network_.ActiveNodeCount();
        const CellTexts& cells = cells_;
        html_ += "<h2>1. La rete</h2>\n<h3>Matrice delle ammettenze nodali, come digitata</h3>\n";
        html_ += TableStart;
        std::vector<std::string> heading{""};
        for (int j = 0; j < n; ++j) {
            heading.push_back(std::to_string(j + 1));
        }
        html_ += Row(heading, true);
        int marked = 0;
        for (int i = 0; i < n; ++i) {
            html_ += "<tr><th>" + std::to_string(i + 1) + "</th>";
            for (int j = 0; j < n; ++j) {
                const std::string& text = cells.Admittance[std::max(i, j)][std::min(i, j)];
                const std::string unused =
                    text.empty() ? std::string() : ReadAdmittance(text).unused;
                std::string content = HtmlEscape(text);
                if (unused.empty()) {
                    html_ += "<td>" + content + "</td>";
                    continue;
                }
                content += "<br><i>non usato: &laquo;" + HtmlEscape(unused) + "&raquo;</i>";
                html_ += "<td" + UnusedCellAttributes() + ">" + content + "</td>";
                ++marked;
            }
            html_ += "</tr>\n";
        }
        html_ += "</table>\n";
        if (marked != 0) {
            html_ += "<p>Le celle evidenziate contengono testo che non &egrave; stato letto: "
                     "sotto il testo &egrave; scritto quale.</p>\n";
        }
        html_ += "<h3>Dati nodali, come digitati</h3>\n" + std::string(TableStart) +
                 Row({"Nodo", "E (pu)", "d (gradi)", "P (pu)", "Q (pu)"}, true);
        for (int i = 0; i < n; ++i) {
            std::vector<std::string> row{std::to_string(i + 1)};
            for (int c = 0; c < DataColumns; ++c) {
                row.push_back(HtmlEscape(cells.Data[c][i]));
            }
            html_ += Row(row);
        }
        html_ += "</table>\n";
        LineData();
        html_ += "<h3>Opzioni di calcolo</h3>\n<p>";
        html_ += AllOff(choices_.options)
                     ? "Nessuna: ogni metodo esegue esattamente le " +
                           std::to_string(network_.LastHistoryEntry()) + " iterazioni richieste."
                     : HtmlEscape(OptionsText(choices_.options)) + ".";
        html_ += "</p>\n";
    }

    void LineData() {
        if (!choices_.lineData) {
            return;
        }
        const TypedLineData& data = *choices_.lineData;
        html_ += "<h3>Dati di linea, come digitati</h3>\n<p>";
        html_ += data.units.physical ? "R e X in ohm, B e G in microsiemens; tensione di base " +
                                           HtmlEscape(data.units.baseKV) + " kV, potenza di base " +
                                           HtmlEscape(data.units.baseMVA) + " MVA."
                                     : std::string("Valori in per unit&agrave;.");
        html_ += "</p>\n";
        if (!data.table.branches.empty()) {
            std::vector<std::string> heading;
            for (int c = 0; c < BranchColumnCount; ++c) {
                heading.push_back(BranchColumnName(c));
            }
            html_ += TableStart + Row(heading, true);
            for (const auto& row : data.table.branches) {
                html_ += TypedRow(row);
            }
            html_ += "</table>\n";
        }
        if (!data.table.shunts.empty()) {
            std::vector<std::string> heading;
            for (int c = 0; c < ShuntColumnCount; ++c) {
                heading.push_back(ShuntColumnName(c));
            }
            html_ +=
                "<p>Derivazioni verso terra:</p>\n" + std::string(TableStart) + Row(heading, true);
            for (const auto& row : data.table.shunts) {
                html_ += TypedRow(row);
            }
            html_ += "</table>\n";
        }
    }

    static std::string TypedRow(const std::vector<std::string>& texts) {
        std::vector<std::string> row;
        for (const std::string& text : texts) {
            row.push_back(HtmlEscape(text));
        }
        return Row(row);
    }

    void Summary() {
        const int n = network_.ActiveNodeCount();
        html_ += "<h2>2. Riepilogo dei dati nodali</h2>\n" + std::string(TableStart) +
                 Row({"Nodo", "Tipo", "Dati", "Incognite", "E (pu)", "d (gradi)",
                      PowerTitle("P", false), PowerTitle("Q", true)},
                     true);
        for (int i = 0; i < n; ++i) {
            const int type = network_.NodeTypes[i];
            // the given values as acquired; an unknown has no value before a run
            const auto given = [&](bool isGiven, const std::string& text) {
                return isGiven ? text : std::string("&mdash;");
            };
            html_ += Row({std::to_string(i + 1), NodeTypeLabel(type), Quantities(type, true),
                          Quantities(type, false), given(EGiven(type), Number(network_.EData[i])),
                          given(dGiven(type), Number(network_.dData[i] * RadiansToDegrees)),
                          given(PGiven(type), Power(AcquiredGiven(i, 2))),
                          given(QGiven(type), Power(AcquiredGiven(i, 3)))});
        }
        html_ += "</table>\n";
    }

    // P (column 2) or Q (3) as typed.
    double AcquiredGiven(int node, int column) const {
        const std::string& text = cells_.Data[column][node];
        return DecimalConversion(FilterNumber(text));
    }

    void Runs() {
        html_ += "<h2>3. I metodi eseguiti</h2>\n";
        const std::vector<MethodTrace> traces = RunTraces(network_, runs_);
        for (const MethodTrace& trace : traces) {
            const ConvergenceSummary summary = Summarize(trace, choices_.tolerance);
            const Run& run = *runs_.Of(trace.method);
            html_ += "<h3>" + std::string(MethodTitle(trace.method)) + "</h3>\n<p>";
            html_ += summary.convergedAt
                         ? "Converge all'iterazione " + std::to_string(*summary.convergedAt)
                         : "Non converge in " + std::to_string(summary.iterations) + " iterazioni";
            html_ += ": scarto massimo di potenza all'ultima iterazione " +
                     Power(summary.finalMismatch) + " " + PowerUnits(choices_.style) + ".</p>\n";
            if (const std::string stop = StopText(run); !stop.empty()) {
                html_ += "<p>Arresto a tolleranza: " + HtmlEscape(stop) + ".</p>\n";
            }
            if (const std::string held = HeldNodesText(run, run.IterationCount); !held.empty()) {
                html_ +=
                    "<p>Limiti di potenza reattiva all'ultima iterazione: " + HtmlEscape(held) +
                    ".</p>\n";
            }
            const int last = run.IterationCount;
            html_ += "<p>Stato finale (iterazione " + std::to_string(last) + "):</p>\n" +
                     TableStart + Row({"Nodo", "E (pu)", "d (gradi)"}, true);
            for (int i = 0; i < run.NodeCount; ++i) {
                html_ += Row({std::to_string(i + 1), Number(run.EHistory[i][last]),
                              Number(run.dHistory[i][last])});
            }
            html_ += "</table>\n";
            if (choices_.history) {
                History(run);
            }
        }
        const double width = 480.0;
        const double height = 300.0;
        document_.figures.push_back({"convergenza",
                                     ConvergenceChartSvg(traces, choices_.tolerance, 640, 400),
                                     width, height});
        html_ += "<p>Scarto massimo di potenza a ogni iterazione (scala logaritmica):</p>\n" +
                 Figure("convergenza", width, height);
    }

    void History(const Run& run) {
        html_ += "<p>Tutte le iterazioni:</p>\n" + std::string(TableStart) +
                 Row({"Iterazione", "Nodo", "E (pu)", "d (gradi)"}, true);
        for (int k = 0; k <= run.IterationCount; ++k) {
            for (int i = 0; i < run.NodeCount; ++i) {
                html_ += Row({std::to_string(k), std::to_string(i + 1), Number(run.EHistory[i][k]),
                              Number(run.dHistory[i][k])});
            }
        }
        html_ += "</table>\n";
    }

    void Balance(const Run& run) {
        const Method method = run.method;
        const BalanceTables tables = MakeBalanceTables(network_, run);
        html_ +=
            "<h2>4. Bilancio di potenza &mdash; " + std::string(MethodTitle(method)) + "</h2>\n";
        if (const auto state = LastIterateNotConverged(network_, run, choices_.tolerance)) {
            html_ += "<p><b>" + HtmlEscape(NotConvergedText(method, *state, choices_.style, '.')) +
                     "</b></p>\n";
        }
        html_ += "<h3>Nodi</h3>\n" + BalanceTableHtml(tables.nodes) + "<h3>Rami</h3>\n" +
                 BalanceTableHtml(tables.branches);
        if (!tables.shunts.rows.empty()) {
            html_ += "<h3>Elementi verso terra</h3>\n" + BalanceTableHtml(tables.shunts);
        }
        html_ += "<h3>Perdite della rete</h3>\n" + std::string(TableStart) +
                 Row({"", PowerTitle("P", false), PowerTitle("Q", true)}, true) +
                 Row({"Somma delle iniezioni", Power(tables.losses.real()),
                      Power(tables.losses.imag())}) +
                 "</table>\n";
    }

    // A balance table on the page's grid; voltages and admittances name their unit.
    std::string BalanceTableHtml(const BalanceTable& table) const {
        std::vector<std::string> headings;
        for (const BalanceColumn& column : table.columns) {
            headings.push_back(ColumnHeading(column, choices_.style, true));
        }
        std::string out = TableStart + Row(headings, true);
        for (const std::vector<BalanceCell>& cells : table.rows) {
            std::vector<std::string> texts;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                const BalanceColumn& column = table.columns[c];
                texts.push_back(column.kind == ColumnKind::Label
                                    ? cells[c].label
                                    : ShownNumber(choices_.style, ShownValue(column, cells[c].value,
                                                                             choices_.style)));
            }
            out += Row(texts);
        }
        return out + "</table>\n";
    }

    void Drawing(const Run& run) {
        const Method method = run.method;
        const int last = run.IterationCount;
        const PowerBalance balance = ComputePowerBalance(network_, run);
        const NetworkDiagram diagram =
            BuildNetworkDiagram(balance, LayoutCentres(LayOutAcquiredNetwork(network_)), ".",
                                DiagramCaption(method, last, last));
        // the drawing at the width of the text, its proportions kept
        const double width = 480.0;
        const double height =
            diagram.width > 0.0 ? std::min(640.0, width * diagram.height / diagram.width) : 240.0;
        document_.figures.push_back({"schema", NetworkDiagramSvg(diagram), width, height});
        html_ += "<h2>5. Schema della rete &mdash; " + std::string(MethodTitle(method)) +
                 "</h2>\n" + Figure("schema", width, height);
    }

    void Step(Method method, int iteration) {
        const IterationStep step =
            ComputeStep(network_, method, std::clamp(iteration, 1, network_.LastHistoryEntry()));
        html_ += "<h2>6. Passo per passo &mdash; " + std::string(MethodTitle(method)) +
                 ", iterazione " + std::to_string(step.iteration) + "</h2>\n";
        if (step.fault) {
            html_ += "<p>Il calcolo si interrompe prima della fine di questa iterazione (" +
                     HtmlEscape(*step.fault) + ").</p>\n";
            return;
        }
        std::vector<StepPanel> panels = StepPanels(step);
        panels.insert(panels.begin(), StatePanel(step));
        for (const StepPanel& panel : panels) {
            html_ += "<p>" + HtmlEscape(panel.title) + ":</p>\n" + std::string(TableStart);
            std::vector<std::string> heading{""};
            for (const std::string& label : panel.columnLabels) {
                heading.push_back(HtmlEscape(label));
            }
            html_ += Row(heading, true);
            for (std::size_t r = 0; r < panel.values.size(); ++r) {
                std::vector<std::string> row{
                    r < panel.rowLabels.size() ? HtmlEscape(panel.rowLabels[r]) : std::string()};
                for (double value : panel.values[r]) {
                    row.push_back(Number(value));
                }
                html_ += Row(row);
            }
            html_ += "</table>\n";
        }
        const std::string note = InversionNote(step);
        if (!note.empty()) {
            html_ += "<p>" + HtmlEscape(note) + "</p>\n";
        }
    }

    static std::string Figure(const std::string& name, double width, double height) {
        return "<p align=\"center\"><img src=\"" + std::string(StudyFigureScheme) + name +
               "\" width=\"" + std::to_string(static_cast<int>(std::lround(width))) +
               "\" height=\"" + std::to_string(static_cast<int>(std::lround(height))) + "\"></p>\n";
    }

    const Network& network_;
    const CellTexts& cells_;
    const RunSet& runs_;
    const StudyChoices& choices_;
    StudyDocument document_;
    std::string html_;
};

} // namespace

StudyDocument BuildStudy(const Network& network, const CellTexts& cells, const RunSet& runs,
                         const StudyChoices& choices) {
    return StudyWriter(network, cells, runs, choices).Build();
}

} // namespace nodewise
