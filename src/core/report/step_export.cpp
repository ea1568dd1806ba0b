#include "core/report/step_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/model/network.h"
#include "core/model/units.h"
#include "core/numeric/trapping_double.h"
#include "core/text/number_format.h"

namespace nodewise {

namespace {

// A figure to read in a formula: six significant digits.
std::string Short(double value, std::string_view decimalPoint) {
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    std::string out;
    for (const char* p = text; p != result.ptr; ++p) {
        if (*p == '.') {
            out += decimalPoint;
        } else {
            out.push_back(*p);
        }
    }
    return out;
}

// A summand in parentheses when it is negative: "1 · (-2)".
std::string Factor(double value, std::string_view decimalPoint) {
    const std::string text = Short(value, decimalPoint);
    return std::signbit(value) ? "(" + text + ")" : text;
}

std::string Degrees(double value, std::string_view decimalPoint) {
    return Short(value, decimalPoint) + "°";
}

std::vector<std::string> Texts(const std::vector<StepLabel>& labels, std::size_t from,
                               std::size_t to) {
    std::vector<std::string> texts;
    for (std::size_t i = from; i < to && i < labels.size(); ++i) {
        texts.push_back(LabelText(labels[i]));
    }
    return texts;
}

std::vector<int> Nodes(const std::vector<StepLabel>& labels, std::size_t from, std::size_t to) {
    std::vector<int> nodes;
    for (std::size_t i = from; i < to && i < labels.size(); ++i) {
        nodes.push_back(labels[i].node);
    }
    return nodes;
}

StepPanel Vector(const char* id, const char* title, const char* latex, const char* heading,
                 const std::vector<StepLabel>& labels, const std::vector<double>& values) {
    StepPanel panel;
    panel.id = id;
    panel.title = title;
    panel.latex = latex;
    panel.vector = true;
    panel.rowLabels = Texts(labels, 0, labels.size());
    panel.rowNodes = std::vector<int>(labels.size(), -1);
    panel.columnLabels = {heading};
    panel.columnNodes = {-1};
    for (double v : values) {
        panel.values.push_back({v});
    }
    return panel;
}

StepPanel Matrix(const char* id, const char* title, const char* latex,
                 const std::vector<StepLabel>& rows, std::size_t rowFrom, std::size_t rowTo,
                 const std::vector<StepLabel>& columns, std::size_t columnFrom,
                 std::size_t columnTo, const StepMatrix& values) {
    StepPanel panel;
    panel.id = id;
    panel.title = title;
    panel.latex = latex;
    panel.rowLabels = Texts(rows, rowFrom, rowTo);
    panel.rowNodes = Nodes(rows, rowFrom, rowTo);
    panel.columnLabels = Texts(columns, columnFrom, columnTo);
    panel.columnNodes = Nodes(columns, columnFrom, columnTo);
    panel.values = values;
    return panel;
}

std::string InversionText(Inversion inversion, const char* matrix) {
    if (inversion == Inversion::Done) {
        return {};
    }
    return std::string(matrix) + ": " +
           (inversion == Inversion::ZeroOrder
                ? "matrice di ordine nullo, nessuna inversione."
                : "impossibile invertire la matrice; l'inversa è come InvMatr l'ha lasciata.");
}

// Sum over m != i of |Y_im| E_m trig(d_i - d_m - th_im), written with its numbers.
std::string SumTerms(const IterationStep& step, int i, const char* trig,
                     std::string_view decimalPoint) {
    std::string out;
    const int N = static_cast<int>(step.EBefore.size());
    for (int m = 0; m < N; ++m) {
        if (m == i) {
            continue;
        }
        if (!out.empty()) {
            out += " + ";
        }
        out += Short(step.YMag[i][m], decimalPoint) + " · " +
               Factor(step.EBefore[m], decimalPoint) + " · " + trig + "(" +
               Degrees(step.dBefore[i], decimalPoint) + " − " +
               Degrees(step.dBefore[m], decimalPoint) + " − " +
               Degrees(step.YAng[i][m] * RadiansToDegrees, decimalPoint) + ")";
    }
    return out.empty() ? "0" : out;
}

std::string Node(int node) {
    return std::to_string(node + 1);
}

std::string Latex(double value) {
    std::string text = FormatGeneral(value, '.');
    const std::size_t e = text.find('E');
    if (e == std::string::npos) {
        return text;
    }
    return text.substr(0, e) + " \\cdot 10^{" + text.substr(e + 1) + "}";
}

std::string LatexLabel(const std::string& label) {
    return "\\scriptstyle " + label.substr(0, 1) + "_{" + label.substr(1) + "}";
}

std::string Csv(double value) {
    return FormatGeneral(value, ',');
}

std::string Html(double value) {
    return FormatGeneral(value, '.');
}

// The Gauss-Seidel nodes as a panel of texts: rows the nodes, the computed injection, C and R.
struct GaussRow {
    std::string node, type, computed, value, C, R;
};

std::vector<GaussRow> GaussRows(const IterationStep& step, std::string (*number)(double)) {
    std::vector<GaussRow> rows;
    for (const GaussNodeStep& node : step.nodes) {
        GaussRow row{Node(node.node), NodeTypeLabel(node.type), "", "", "", ""};
        if (node.computedQuantity != 0) {
            row.computed = std::string(1, node.computedQuantity) + Node(node.node);
            row.value = number(node.computedValue);
        }
        if (node.hasVoltage) {
            row.C = number(node.C);
            row.R = number(node.R);
        }
        rows.push_back(row);
    }
    return rows;
}

std::string Title(const IterationStep& step) {
    return std::string("Passo per passo - ") + MethodTitle(step.method) + ", iterazione " +
           std::to_string(step.iteration);
}

} // namespace

std::vector<StepPanel> StepPanels(const IterationStep& step) {
    std::vector<StepPanel> panels;
    if (step.fault) {
        return panels;
    }
    const std::size_t nP = static_cast<std::size_t>(step.pEquations);
    const std::size_t nE = static_cast<std::size_t>(step.eUnknowns);
    const std::size_t rows = step.equations.size();
    const std::size_t columns = step.unknowns.size();
    if (step.method == Method::Newton) {
        panels.push_back(Vector("mismatch", "Scarti (dati − calcolati)", "\\Delta", "Δ",
                                step.equations, step.mismatch));
        panels.push_back(Matrix("jacobian", "Jacobiano J", "J", step.equations, 0, rows,
                                step.unknowns, 0, columns, step.jacobian));
        panels.push_back(Matrix("jacobian_inverse", "Inversa J⁻¹", "J^{-1}", step.unknowns, 0,
                                columns, step.equations, 0, rows, step.jacobianInverse));
        panels.push_back(Vector("correction", "Correzioni (d in radianti)", "\\Delta x", "Δ",
                                step.unknowns, step.correction));
    } else if (step.method == Method::Stott) {
        panels.push_back(Vector("mismatch", "Scarti (calcolati − dati) / E", "\\Delta", "Δ",
                                step.equations, step.mismatch));
        panels.push_back(Matrix("b_second", "B''", "B''", step.equations, nP, rows, step.unknowns,
                                0, nE, step.bSecond));
        panels.push_back(Matrix("b_second_inverse", "B''⁻¹", "B''^{-1}", step.unknowns, 0, nE,
                                step.equations, nP, rows, step.bSecondInverse));
        panels.push_back(Matrix("b_prime", "B'", "B'", step.equations, 0, nP, step.unknowns, nE,
                                columns, step.bPrime));
        panels.push_back(Matrix("b_prime_inverse", "B'⁻¹", "B'^{-1}", step.unknowns, nE, columns,
                                step.equations, 0, nP, step.bPrimeInverse));
        panels.push_back(Vector("correction", "Correzioni (d in radianti)", "\\Delta x", "Δ",
                                step.unknowns, step.correction));
    }
    return panels;
}

StepPanel StatePanel(const IterationStep& step) {
    StepPanel panel;
    panel.id = "state";
    panel.title = "Stato prima → dopo";
    panel.latex = "x";
    panel.columnLabels = {"E prima", "d prima (gradi)", "E dopo", "d dopo (gradi)"};
    panel.columnNodes = {-1, -1, -1, -1};
    for (std::size_t i = 0; i < step.EBefore.size(); ++i) {
        panel.rowLabels.push_back(Node(static_cast<int>(i)));
        panel.rowNodes.push_back(-1);
        panel.values.push_back({step.EBefore[i], step.dBefore[i], step.EAfter[i], step.dAfter[i]});
    }
    return panel;
}

std::string InversionNote(const IterationStep& step) {
    std::string note;
    if (step.method == Method::Newton) {
        note = InversionText(step.jacobianInversion, "J");
    } else if (step.method == Method::Stott) {
        const std::string prime = InversionText(step.bPrimeInversion, "B'");
        const std::string second = InversionText(step.bSecondInversion, "B''");
        note = prime + (!prime.empty() && !second.empty() ? " " : "") + second;
    }
    return note;
}

std::vector<std::string> HeldNodeNotes(const IterationStep& step) {
    std::vector<std::string> notes;
    if (step.fault) {
        return notes;
    }
    for (int i = 0; i < MaxNodes; ++i) {
        if (step.held[i] != HeldLimit::None) {
            notes.push_back(HeldNodeText(i, step.held[i]));
        }
    }
    return notes;
}

std::string JacobianElementFormula(const IterationStep& step, int r, int c,
                                   std::string_view decimalPoint) {
    if (step.method != Method::Newton || r < 0 || c < 0 ||
        r >= static_cast<int>(step.equations.size()) ||
        c >= static_cast<int>(step.unknowns.size())) {
        return {};
    }
    const StepLabel eq = step.equations[r];
    const StepLabel unknown = step.unknowns[c];
    const int i = eq.node;
    const int j = unknown.node;
    const bool pRow = eq.quantity == 'P';
    const bool eColumn = unknown.quantity == 'E';
    const std::string I = Node(i), J = Node(j);
    const auto n = [&](double v) { return Short(v, decimalPoint); };
    const auto f = [&](double v) { return Factor(v, decimalPoint); };
    const double Ei = step.EBefore[i];
    const double Ej = step.EBefore[j];

    std::string text = std::string("∂") + eq.quantity + I + "/∂" + unknown.quantity + J + " = ";
    const std::string value = " = " + FormatGeneral(step.jacobian[r][c], decimalPoint);
    if (j != i) {
        const bool useSin = pRow != eColumn; // dP/dd and dQ/dE take the sine
        const char* trig = useSin ? "sin" : "cos";
        const std::string angle = std::string(trig) + "(d" + I + " − d" + J + " − θ" + I + J + ")";
        const std::string numbers = std::string(trig) + "(" +
                                    Degrees(step.dBefore[i], decimalPoint) + " − " +
                                    Degrees(step.dBefore[j], decimalPoint) + " − " +
                                    Degrees(step.YAng[i][j] * RadiansToDegrees, decimalPoint) + ")";
        const std::string sign = (!pRow && !eColumn) ? "−" : "";
        if (eColumn) {
            text += sign + "E" + I + "·|Y" + I + J + "|·" + angle + " = " + sign + f(Ei) + " · " +
                    n(step.YMag[i][j]) + " · " + numbers;
        } else {
            text += sign + "E" + I + "·E" + J + "·|Y" + I + J + "|·" + angle + " = " + sign +
                    f(Ei) + " · " + f(Ej) + " · " + n(step.YMag[i][j]) + " · " + numbers;
        }
        return text + value;
    }
    const std::string sum = std::string("Σm≠") + I + " |Y" + I + "m|·Em·";
    const std::string theta = Degrees(step.YAng[i][i] * RadiansToDegrees, decimalPoint);
    if (pRow && eColumn) {
        text += sum + "cos(d" + I + " − dm − θ" + I + "m) + 2·|Y" + I + I + "|·E" + I + "·cos θ" +
                I + I + " = " + SumTerms(step, i, "cos", decimalPoint) + " + 2 · " +
                n(step.YMag[i][i]) + " · " + f(Ei) + " · cos(" + theta + ")";
    } else if (pRow) {
        text += "−E" + I + "·" + sum + "sin(d" + I + " − dm − θ" + I + "m) = −" + f(Ei) + " · (" +
                SumTerms(step, i, "sin", decimalPoint) + ")";
    } else if (eColumn) {
        text += sum + "sin(d" + I + " − dm − θ" + I + "m) − 2·|Y" + I + I + "|·E" + I + "·sin θ" +
                I + I + " = " + SumTerms(step, i, "sin", decimalPoint) + " − 2 · " +
                n(step.YMag[i][i]) + " · " + f(Ei) + " · sin(" + theta + ")";
    } else {
        text += "E" + I + "·" + sum + "cos(d" + I + " − dm − θ" + I + "m) = " + f(Ei) + " · (" +
                SumTerms(step, i, "cos", decimalPoint) + ")";
    }
    return text + value;
}

std::string GaussNodeFormula(const IterationStep& step, int index, std::string_view decimalPoint) {
    if (step.method != Method::Gauss || index < 0 || index >= static_cast<int>(step.nodes.size())) {
        return {};
    }
    const GaussNodeStep& node = step.nodes[index];
    const int i = node.node;
    const std::string I = Node(i);
    const auto n = [&](double v) { return Short(v, decimalPoint); };
    const auto full = [&](double v) { return FormatGeneral(v, decimalPoint); };
    const std::string type = NodeTypeLabel(node.type);
    if (!node.hasVoltage) {
        return "Nodo " + I + " (" + type + "): E" + I + " e d" + I + " restano quelli dati.";
    }
    std::string text = "Nodo " + I + " (" + type + ")\n";
    double P = step.PData[i];
    double Q = step.QData[i];
    if (node.computedQuantity != 0) {
        const char* trig = node.computedQuantity == 'Q' ? "sin" : "cos";
        text += std::string("1. ") + node.computedQuantity + I + " = E" + I + "·Σj |Y" + I +
                "j|·Ej·" + trig + "(d" + I + " − dj − θ" + I +
                "j), con i valori più recenti dei nodi = " + full(node.computedValue) + "\n";
        (node.computedQuantity == 'Q' ? Q : P) = node.computedValue;
    }
    const double A = step.dBefore[i] - step.YAng[i][i] * RadiansToDegrees;
    const std::string step2 = node.computedQuantity != 0 ? "2. " : "1. ";
    text += step2 + "A = d" + I + " − θ" + I + I + " = " + Degrees(A, decimalPoint) + "; P" + I +
            " = " + n(P) + ", Q" + I + " = " + n(Q) + ", E" + I + " = " + n(step.EBefore[i]) + "\n";
    text += "   C = (P" + I + "·cos A + Q" + I + "·sin A)/E" + I + " − Σj≠" + I + " |Y" + I +
            "j|·Ej·cos(dj + θ" + I + "j − θ" + I + I + ") = " + full(node.C) + "\n";
    text += "   R = (P" + I + "·sin A − Q" + I + "·cos A)/E" + I + " − Σj≠" + I + " |Y" + I +
            "j|·Ej·sin(dj + θ" + I + "j − θ" + I + I + ") = " + full(node.R) + "\n";
    const std::string step3 = node.computedQuantity != 0 ? "3. " : "2. ";
    // Accelerated, the rule's own value is E' or d', and the new one lies alpha times as far.
    const bool accelerated = step.acceleration != 1.0;
    const std::string mark = accelerated ? "'" : "";
    const double ERule = PolarModulus(node.C, node.R) / step.YMag[i][i];
    const double dRule = PolarAngle(node.C, node.R) * RadiansToDegrees;
    if (EGiven(node.type)) {
        text += step3 + "E" + I + " resta " + n(step.EAfter[i]) + " (dato)";
    } else {
        text += step3 + "E" + I + mark + " = |C + jR| / |Y" + I + I + "| = √(" +
                Factor(node.C, decimalPoint) + "² + " + Factor(node.R, decimalPoint) + "²) / " +
                n(step.YMag[i][i]) + " = " + full(accelerated ? ERule : step.EAfter[i]);
    }
    if (dGiven(node.type)) {
        text += "; d" + I + " resta " + Degrees(step.dAfter[i], decimalPoint) + " (dato)";
    } else {
        text +=
            "; d" + I + mark + " = ∠(C + jR) = " + full(accelerated ? dRule : step.dAfter[i]) + "°";
    }
    if (accelerated) {
        const std::string a = "   con α = " + n(step.acceleration) + ": ";
        if (!EGiven(node.type) && !dGiven(node.type)) {
            text += "\n" + a + "V" + I + " ← V" + I + " + α·(V" + I + "' − V" + I + "), E" + I +
                    " = " + full(step.EAfter[i]) + ", d" + I + " = " + full(step.dAfter[i]) + "°";
        } else if (!EGiven(node.type)) {
            text += "\n" + a + "E" + I + " ← E" + I + " + α·(E" + I + "' − E" + I +
                    ") = " + full(step.EAfter[i]);
        } else {
            text += "\n" + a + "d" + I + " ← d" + I + " + α·(d" + I + "' − d" + I +
                    ") = " + full(step.dAfter[i]) + "°";
        }
    }
    return text;
}

std::string StepLatex(const IterationStep& step) {
    std::string out = "% " + Title(step) + "\n";
    for (const std::string& held : HeldNodeNotes(step)) {
        out += "% " + held + "\n";
    }
    std::vector<StepPanel> panels = StepPanels(step);
    if (step.method == Method::Gauss) {
        StepPanel gauss;
        gauss.id = "nodes";
        gauss.title = "C e R";
        gauss.latex = "C + jR";
        gauss.columnLabels = {"C", "R"};
        for (const GaussNodeStep& node : step.nodes) {
            if (node.hasVoltage) {
                gauss.rowLabels.push_back("V" + Node(node.node));
                gauss.values.push_back({node.C, node.R});
            }
        }
        panels.push_back(gauss);
    }
    panels.push_back(StatePanel(step));
    for (const StepPanel& panel : panels) {
        const bool state = &panel == &panels.back();
        // A display of its own with a column for the labels: an array has no limit on columns
        // (a Jacobian of seven nodes has thirteen) and needs nothing beyond amsmath.
        std::size_t columns = panel.vector ? 1 : panel.columnLabels.size();
        for (const std::vector<double>& row : panel.values) {
            columns = std::max(columns, row.size());
        }
        out += "% " + panel.title + "\n\\[\n" + panel.latex + " = \\left[\\begin{array}{c" +
               std::string(columns, 'r') + "}\n";
        if (!panel.vector) {
            for (const std::string& label : panel.columnLabels) {
                out += " & " + (state ? "\\scriptstyle \\text{" + label + "}" : LatexLabel(label));
            }
            out += " \\\\\n";
        }
        for (std::size_t r = 0; r < panel.values.size(); ++r) {
            out += state ? "\\scriptstyle " + panel.rowLabels[r] : LatexLabel(panel.rowLabels[r]);
            for (double v : panel.values[r]) {
                out += " & " + Latex(v);
            }
            out += r + 1 < panel.values.size() ? " \\\\\n" : "\n";
        }
        out += "\\end{array}\\right]\n\\]\n";
    }
    return out;
}

std::string FormatStep(StepFormat format, const IterationStep& step) {
    const bool csv = format == StepFormat::Csv;
    std::vector<StepPanel> panels = StepPanels(step);
    panels.push_back(StatePanel(step));
    const std::string note = InversionNote(step);
    const auto number = csv ? &Csv : &Html;
    std::string out;
    if (csv) {
        out = std::string("Passo per passo;") + MethodTitle(step.method) + "\nIterazione;" +
              std::to_string(step.iteration) + "\n";
        if (!note.empty()) {
            out += "Nota;" + note + "\n";
        }
        for (const std::string& held : HeldNodeNotes(step)) {
            out += held + "\n";
        }
        if (step.method == Method::Gauss) {
            out += "\nNodi (in ordine di aggiornamento)\nNodo;Tipo;Calcolato;Valore;C;R\n";
            for (const GaussRow& row : GaussRows(step, number)) {
                out += row.node + ";" + row.type + ";" + row.computed + ";" + row.value + ";" +
                       row.C + ";" + row.R + "\n";
            }
        }
        for (const StepPanel& panel : panels) {
            out += "\n" + panel.title + "\n";
            for (const std::string& label : panel.columnLabels) {
                out += ";" + label;
            }
            out += "\n";
            for (std::size_t r = 0; r < panel.values.size(); ++r) {
                out += panel.rowLabels[r];
                for (double v : panel.values[r]) {
                    out += ";" + Csv(v);
                }
                out += "\n";
            }
        }
        return out;
    }
    const std::string title = Title(step);
    out = "<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
          "</title>\n<style>\nbody{font-family:sans-serif}\ntable{border-collapse:collapse;"
          "margin-bottom:1em}\nth,td{border:1px solid #999;padding:2px 8px;text-align:right}\n"
          "td.diagonale{background:#fff3c4;font-weight:bold}\ntd.zero{color:#aaa}\n</style>\n"
          "</head>\n<body>\n<h1>" +
          title + "</h1>\n";
    if (!note.empty()) {
        out += "<p>" + note + "</p>\n";
    }
    for (const std::string& held : HeldNodeNotes(step)) {
        out += "<p>" + held + "</p>\n";
    }
    if (step.method == Method::Gauss) {
        out += "<h2>Nodi (in ordine di aggiornamento)</h2>\n<table>\n<tr><th>Nodo</th><th>Tipo"
               "</th><th>Calcolato</th><th>Valore</th><th>C</th><th>R</th></tr>\n";
        for (const GaussRow& row : GaussRows(step, number)) {
            out += "<tr><td>" + row.node + "</td><td>" + row.type + "</td><td>" + row.computed +
                   "</td><td>" + row.value + "</td><td>" + row.C + "</td><td>" + row.R +
                   "</td></tr>\n";
        }
        out += "</table>\n";
    }
    for (const StepPanel& panel : panels) {
        out += "<h2>" + panel.title + "</h2>\n<table>\n<tr><th></th>";
        for (const std::string& label : panel.columnLabels) {
            out += "<th>" + label + "</th>";
        }
        out += "</tr>\n";
        for (std::size_t r = 0; r < panel.values.size(); ++r) {
            out += "<tr><th>" + panel.rowLabels[r] + "</th>";
            for (std::size_t c = 0; c < panel.values[r].size(); ++c) {
                const double v = panel.values[r][c];
                const bool diagonal = !panel.vector && panel.rowNodes[r] >= 0 &&
                                      panel.rowNodes[r] == panel.columnNodes[c];
                const char* attributes = diagonal   ? " class=\"diagonale\""
                                         : v == 0.0 ? " class=\"zero\""
                                                    : "";
                out += std::string("<td") + attributes + ">" + Html(v) + "</td>";
            }
            out += "</tr>\n";
        }
        out += "</table>\n";
    }
    return out + "</body>\n</html>\n";
}

} // namespace nodewise
