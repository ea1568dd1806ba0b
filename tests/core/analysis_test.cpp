// The analysis of a run: the published slack power, line flows and losses of a textbook
// example, an independent computation of the balance in real arithmetic and polar form, the
// mismatch trace of the worked two-node network, and what the report files look like.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "core/analysis/mismatch_trace.h"
#include "core/analysis/power_balance.h"
#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/model/calculation_options.h"
#include "core/model/units.h"
#include "core/report/analysis_report.h"
#include "solver_fixture.h"
#include "test_support.h"

namespace nodewise {
namespace {

using testing::MessageRecorder;

class AnalysisTest : public ::testing::Test, public testing::Workbench {
protected:
    void Acquired(const CellTexts& texts, const char* iterations) {
        ASSERT_FALSE(Acquire(iterations, texts).has_value());
    }
    void AcquiredExample(const char* file, const char* iterations) {
        Acquired(testing::ExampleNetwork(file), iterations);
    }
};

// H. Saadat, Power System Analysis, McGraw-Hill, Example 6.10: line flows and losses of the
// three-bus system of Example 6.9 (examples/saadat-3bus-pv.nwd), in MW and Mvar, to the
// printed three decimals; slack power 218.423 MW + j140.852 Mvar.
TEST_F(AnalysisTest, ReproducesThePublishedSlackPowerLineFlowsAndLosses) {
    AcquiredExample("saadat-3bus-pv.nwd", "10");
    Iterate(Method::Newton);
    const PowerBalance balance = ComputePowerBalance(Method::Newton);
    const double mw = 100.0;         // base
    const double lastDigit = 0.0005; // half the last printed digit, MW or Mvar

    EXPECT_NEAR(balance.nodes[0].P * mw, 218.423, lastDigit);
    EXPECT_NEAR(balance.nodes[0].Q * mw, 140.852, lastDigit);
    struct Line {
        int from, to;
        double P, Q, Pback, Qback, Ploss, Qloss;
    };
    const Line published[] = {
        {0, 1, 179.362, 118.734, -170.968, -101.947, 8.393, 16.787},
        {0, 2, 39.061, 22.118, -38.878, -21.569, 0.183, 0.548},
        {1, 2, -229.032, -148.053, 238.878, 167.746, 9.847, 19.693},
    };
    ASSERT_EQ(balance.branches.size(), 3u);
    for (std::size_t b = 0; b < 3; ++b) {
        const BranchFlow& flow = balance.branches[b];
        const Line& line = published[b];
        EXPECT_EQ(flow.from, line.from);
        EXPECT_EQ(flow.to, line.to);
        EXPECT_NEAR(flow.fromEnd.real() * mw, line.P, lastDigit) << b;
        EXPECT_NEAR(flow.fromEnd.imag() * mw, line.Q, lastDigit) << b;
        EXPECT_NEAR(flow.toEnd.real() * mw, line.Pback, lastDigit) << b;
        EXPECT_NEAR(flow.toEnd.imag() * mw, line.Qback, lastDigit) << b;
        EXPECT_NEAR(flow.loss.real() * mw, line.Ploss, lastDigit) << b;
        EXPECT_NEAR(flow.loss.imag() * mw, line.Qloss, lastDigit) << b;
    }
    // Total loss 18.423 MW + j37.028 Mvar; line charging neglected, so no shunt element.
    EXPECT_NEAR(balance.losses.real() * mw, 18.423, lastDigit);
    EXPECT_NEAR(balance.losses.imag() * mw, 37.028, lastDigit);
    EXPECT_TRUE(balance.shunts.empty());
}

// The same balance computed another way: real arithmetic, the injections from the polar
// formula P_i = E_i sum E_j |Y_ij| cos(d_i - d_j - th_ij), each branch from its series current
// and each shunt from its own current. Every method, on a network with line charging.
TEST_F(AnalysisTest, AgreesWithAnIndependentComputationInPolarForm) {
    AcquiredExample("stagg-5bus-pd-qe.nwd", "40");
    for (Method method : {Method::Gauss, Method::Newton, Method::Stott}) {
        Iterate(method);
        const PowerBalance balance = ComputePowerBalance(method);
        const HistoryRows& E = RunOf(method).EHistory;
        const HistoryRows& d = RunOf(method).dHistory;
        const int n = NodeCount;
        const int K = IterationCount;
        double th[MaxNodes][MaxNodes];
        double ym[MaxNodes][MaxNodes];
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                ym[i][j] = std::hypot(YComplex[i][j].re, YComplex[i][j].im);
                th[i][j] = std::atan2(YComplex[i][j].im, YComplex[i][j].re);
            }
        }
        auto rad = [&](int i) { return d[i][K] * M_PI / 180.0; };
        double sumP = 0.0, sumQ = 0.0;
        ASSERT_EQ(static_cast<int>(balance.nodes.size()), n);
        for (int i = 0; i < n; ++i) {
            double P = 0.0, Q = 0.0;
            for (int j = 0; j < n; ++j) {
                P += E[i][K] * E[j][K] * ym[i][j] * std::cos(rad(i) - rad(j) - th[i][j]);
                Q += E[i][K] * E[j][K] * ym[i][j] * std::sin(rad(i) - rad(j) - th[i][j]);
            }
            EXPECT_NEAR(balance.nodes[i].P, P, 1e-12) << Info(method).name << " node " << i;
            EXPECT_NEAR(balance.nodes[i].Q, Q, 1e-12) << Info(method).name << " node " << i;
            sumP += P;
            sumQ += Q;
        }
        EXPECT_NEAR(balance.losses.real(), sumP, 1e-12);
        EXPECT_NEAR(balance.losses.imag(), sumQ, 1e-12);

        // Series element g + jb = -Y_ij: S_ij = V_i conj(I), I = (g + jb)(V_i - V_j).
        double lossP = 0.0, lossQ = 0.0;
        std::size_t b = 0;
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j) {
                const double g = -YComplex[i][j].re, s = -YComplex[i][j].im;
                if (g == 0.0 && s == 0.0) {
                    continue;
                }
                auto end = [&](int a, int c, double& P, double& Q) {
                    const double ar = E[a][K] * std::cos(rad(a)), ai = E[a][K] * std::sin(rad(a));
                    const double cr = E[c][K] * std::cos(rad(c)), ci = E[c][K] * std::sin(rad(c));
                    const double ir = g * (ar - cr) - s * (ai - ci);
                    const double ii = g * (ai - ci) + s * (ar - cr);
                    P = ar * ir + ai * ii;
                    Q = ai * ir - ar * ii;
                };
                double P1, Q1, P2, Q2;
                end(i, j, P1, Q1);
                end(j, i, P2, Q2);
                ASSERT_LT(b, balance.branches.size());
                EXPECT_NEAR(balance.branches[b].fromEnd.real(), P1, 1e-12);
                EXPECT_NEAR(balance.branches[b].fromEnd.imag(), Q1, 1e-12);
                EXPECT_NEAR(balance.branches[b].toEnd.real(), P2, 1e-12);
                EXPECT_NEAR(balance.branches[b].toEnd.imag(), Q2, 1e-12);
                lossP += P1 + P2;
                lossQ += Q1 + Q2;
                ++b;
            }
        }
        EXPECT_EQ(b, balance.branches.size());
        // Every shunt here is line charging: y_i = j b_i, drawing -b_i E_i^2 reactive power.
        for (const ShuntFlow& shunt : balance.shunts) {
            const int i = shunt.node;
            double rowRe = 0.0, rowIm = 0.0;
            for (int j = 0; j < n; ++j) {
                rowRe += YComplex[i][j].re;
                rowIm += YComplex[i][j].im;
            }
            EXPECT_NEAR(shunt.power.real(), rowRe * E[i][K] * E[i][K], 1e-12);
            EXPECT_NEAR(shunt.power.imag(), -rowIm * E[i][K] * E[i][K], 1e-12);
            lossP += shunt.power.real();
            lossQ += shunt.power.imag();
        }
        // Kirchhoff: what the nodes inject is what the branches and the shunts take.
        EXPECT_NEAR(balance.losses.real(), lossP, 1e-12) << Info(method).name;
        EXPECT_NEAR(balance.losses.imag(), lossQ, 1e-12) << Info(method).name;
    }
}

// The worked example of the help document: two nodes, 1 - j5 between them. At the flat start
// the load sees no power at all, so the mismatch is its whole given injection; Newton-Raphson
// then converges quadratically, and the trace tells when.
TEST_F(AnalysisTest, TraceOfTheTwoNodeNetwork) {
    Acquired(testing::TwoNodeNetwork(), "6");
    Iterate(Method::Newton);
    const std::vector<MismatchEntry> trace = MismatchTrace(Method::Newton);
    ASSERT_EQ(trace.size(), 7u);
    EXPECT_EQ(trace[0].maxDP, 0.5);
    EXPECT_EQ(trace[0].maxDQ, 0.2);
    EXPECT_EQ(trace[0].mismatch, 0.5);
    EXPECT_EQ(trace[0].node, 1);
    for (int k = 1; k <= 3; ++k) { // each error about the square of the one before
        EXPECT_LT(trace[k].mismatch, 2.0 * trace[k - 1].mismatch * trace[k - 1].mismatch) << k;
    }
    EXPECT_EQ(ConvergedAt(trace, DefaultTolerance), 4);
    EXPECT_EQ(ConvergedAt(trace, 1e-6), 3);
    EXPECT_EQ(ConvergedAt(trace, 0.0), std::nullopt);

    // The slack of the README: P1 = 0.51279, Q1 = 0.26397; the losses are the branch's.
    const PowerBalance balance = ComputePowerBalance(Method::Newton);
    EXPECT_NEAR(balance.nodes[0].P, 0.51279, 5e-6);
    EXPECT_NEAR(balance.nodes[0].Q, 0.26397, 5e-6);
    EXPECT_NEAR(balance.losses.real(), 0.51279 - 0.5, 5e-6);
    EXPECT_NEAR(balance.losses.imag(), 0.26397 - 0.2, 5e-6);
    EXPECT_TRUE(balance.shunts.empty()); // the row sums are zero
}

TEST_F(AnalysisTest, AnAcquisitionForgetsTheRuns) {
    Acquired(testing::TwoNodeNetwork(), "3");
    Iterate(Method::Gauss);
    Iterate(Method::Stott);
    EXPECT_TRUE(HasRun(Method::Gauss));
    EXPECT_FALSE(HasRun(Method::Newton));
    ASSERT_EQ(RunTraces().size(), 2u);
    EXPECT_EQ(RunTraces()[1].method, Method::Stott);
    EXPECT_TRUE(Acquire("0", testing::TwoNodeNetwork()).has_value()); // even a rejected one
    EXPECT_TRUE(RunTraces().empty());
    EXPECT_FALSE(NetworkAcquired());
}

TEST_F(AnalysisTest, ReportsForAReaderAndForAnItalianSpreadsheet) {
    CellTexts texts = testing::TwoNodeNetwork();
    texts.Admittance[1][0] = "-1+5j <b>";
    Acquired(texts, "5");
    Iterate(Method::Newton);
    Iterate(Method::Gauss);

    const std::string csv = FormatAnalysisReport(ReportFormat::Csv, Method::Newton, 1e-8);
    EXPECT_EQ(csv.rfind("Bilancio di potenza;Newton-Raphson\n", 0), 0u);
    EXPECT_NE(csv.find("\nNodo;Tipo;E;d (gradi);P;Q\n1;Ed;1;0;0,51279"), std::string::npos);
    EXPECT_NE(csv.find("\nNewton-Raphson;5;4;"), std::string::npos);
    EXPECT_NE(csv.find("\nGauss-Seidel;5;non converge;"), std::string::npos);
    EXPECT_EQ(csv.find('.'), std::string::npos); // decimal commas only

    const std::string html = FormatAnalysisReport(ReportFormat::Html, Method::Newton, 1e-8);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\n", 0), 0u);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("-1+5j &lt;b&gt;"), std::string::npos); // the cell as typed, escaped
    EXPECT_NE(html.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos); // self-contained
}

// The HTML report marks a matrix cell whose text was not all used, as the "Matrice acquisita"
// window does; apart from that cell and the note under the matrix the page is the one of the
// same network typed cleanly, and the CSV does not change at all.
TEST_F(AnalysisTest, ReportMarksTheMatrixCellsWithUnusedText) {
    CellTexts clean = testing::TwoNodeNetwork();
    clean.Admittance[1][0] = "-1+5j";
    Acquired(clean, "5");
    Iterate(Method::Newton);
    const std::string cleanHtml = FormatAnalysisReport(ReportFormat::Html, Method::Newton, 1e-8);
    const std::string cleanCsv = FormatAnalysisReport(ReportFormat::Csv, Method::Newton, 1e-8);
    EXPECT_EQ(cleanHtml.find("#ffd8a8"), std::string::npos);
    EXPECT_EQ(cleanHtml.find("non usato"), std::string::npos);

    CellTexts typed = clean;
    typed.Admittance[1][0] = "-1+5j <b>"; // the element 1-2 and, by symmetry, 2-1
    Acquired(typed, "5");
    Iterate(Method::Newton);
    std::string html = FormatAnalysisReport(ReportFormat::Html, Method::Newton, 1e-8);
    EXPECT_EQ(FormatAnalysisReport(ReportFormat::Csv, Method::Newton, 1e-8), cleanCsv);

    const std::string markedCell =
        "<td style=\"background:#ffd8a8\"><span class=\"testo\">-1+5j &lt;b&gt;</span><br>-1 + "
        "j5<br><span class=\"testo\">non usato: &laquo;&lt;b&gt;&raquo;</span></td>";
    const std::string cleanCell = "<td><span class=\"testo\">-1+5j</span><br>-1 + j5</td>";
    const std::string note = "<p>Le celle evidenziate contengono testo non usato (per esempio "
                             "una J maiuscola al posto della j): sotto il valore letto &egrave; "
                             "scritto quale.</p>\n";
    int markedCells = 0;
    for (std::size_t at = html.find(markedCell); at != std::string::npos;
         at = html.find(markedCell, at)) {
        html.replace(at, markedCell.size(), cleanCell);
        ++markedCells;
    }
    EXPECT_EQ(markedCells, 2);
    const std::size_t noteAt = html.find(note);
    ASSERT_NE(noteAt, std::string::npos);
    EXPECT_EQ(html.compare(noteAt - 9, 9, "</table>\n"), 0); // right under the matrix
    html.erase(noteAt, note.size());
    EXPECT_EQ(html, cleanHtml);
}

// The rows between two headings of a report, a vector of cell texts each: the HTML's <th> and
// <td> contents, or the CSV's fields with a full stop for the decimal comma. Section titles and
// blank lines of the CSV are left out.
std::vector<std::vector<std::string>> HtmlRows(const std::string& html, const std::string& from,
                                               const std::string& to) {
    std::vector<std::vector<std::string>> rows;
    const std::size_t end = html.find(to);
    for (std::size_t at = html.find("<tr>", html.find(from)); at < end;
         at = html.find("<tr>", at + 1)) {
        std::vector<std::string> row;
        const std::size_t rowEnd = html.find("</tr>", at);
        for (std::size_t cell = html.find("<t", at + 4); cell < rowEnd;
             cell = html.find("<t", cell + 1)) {
            const std::size_t open = html.find('>', cell) + 1;
            row.push_back(html.substr(open, html.find("</t", open) - open));
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::vector<std::string>> CsvRows(const std::string& csv, const std::string& from,
                                              const std::string& to) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(csv.substr(csv.find(from), csv.find(to) - csv.find(from)));
    for (std::string line; std::getline(lines, line);) {
        if (line.find(';') == std::string::npos) {
            continue; // a section's title, or the blank line before it
        }
        std::replace(line.begin(), line.end(), ',', '.');
        std::vector<std::string> row;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ';');) {
            row.push_back(field);
        }
        rows.push_back(row);
    }
    return rows;
}

// The node, branch and shunt tables of the two reports hold the same headings and the same
// numbers, in every method and number style, on a network with shunt elements.
TEST_F(AnalysisTest, BothReportsShowTheSameBalanceTables) {
    AcquiredExample("stagg-5bus-pd-qe.nwd", "40");
    for (Method method : AllMethods) {
        Iterate(method);
        for (const NumberStyle& style : {NumberStyle{}, NumberStyle{6, true, 100.0}}) {
            const auto html =
                HtmlRows(FormatAnalysisReport(ReportFormat::Html, method, 1e-8, style),
                         "<h2>Nodi</h2>", "<h2>Totali</h2>");
            const auto csv = CsvRows(FormatAnalysisReport(ReportFormat::Csv, method, 1e-8, style),
                                     "\nNodi\n", "\nTotali\n");
            ASSERT_EQ(html.size(), 3u + 5u + 7u + 5u); // headings, 5 nodes, 7 branches, 5 shunts
            EXPECT_EQ(html, csv) << MethodTitle(method) << (style.megawatts ? " MW" : " pu");
        }
    }
}

// A node held at a reactive limit reads "PE (Qmax)" in both reports; in the HTML its E is
// marked as computed and its Q, the limit, as given.
TEST_F(AnalysisTest, ReportsMarkANodeHeldAtItsLimit) {
    AcquiredExample("saadat-3bus-pv.nwd", "10");
    CalculationOptions options;
    options.reactiveLimits[2].qmax = 1.2;
    runs.Store(nodewise::Iterate(Method::Newton, net, observer, options));
    const auto html = HtmlRows(FormatAnalysisReport(ReportFormat::Html, Method::Newton, 1e-8),
                               "<h2>Nodi</h2>", "<h2>Rami</h2>");
    const auto csv = CsvRows(FormatAnalysisReport(ReportFormat::Csv, Method::Newton, 1e-8),
                             "\nNodi\n", "\nRami\n");
    ASSERT_EQ(html.size(), 4u);
    ASSERT_EQ(csv.size(), 4u);
    EXPECT_EQ(html[3][1], "PE (Qmax)");
    EXPECT_EQ(csv[3][1], "PE (Qmax)");
    const std::string report = FormatAnalysisReport(ReportFormat::Html, Method::Newton, 1e-8);
    const std::size_t at = report.find("<tr><td>3</td><td>PE (Qmax)</td>");
    const std::string row = report.substr(at, report.find("</tr>", at) - at);
    EXPECT_NE(row.find("</td><td>1.03478"), std::string::npos) << row;       // E, computed
    EXPECT_NE(row.find("<td class=\"dato\">1.2"), std::string::npos) << row; // Q, the limit
}

} // namespace
} // namespace nodewise
