// Line data: the textbook networks typed as line data give the matrices of the example files and
// their published solutions; the matrix of a transformer against an independent computation;
// the unit conversion; the refusals, each naming its row and column; the round trip table ->
// matrix -> table; the case written from line data read back.
#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/analysis/power_balance.h"
#include "core/drawing/network_diagram.h"
#include "core/input/acquisition.h"
#include "core/input/entry_syntax.h"
#include "core/interop/line_data.h"
#include "core/interop/matpower_export.h"
#include "core/interop/matpower_import.h"
#include "core/solvers/newton_raphson.h"
#include "solver_fixture.h"
#include "textbook_lines.h"

namespace nodewise {
namespace {

using Rows = std::vector<std::vector<std::string>>;

using TextbookNetwork = testing::TextbookLines;

class TextbookLineDataTest : public testing::SolverTest,
                             public ::testing::WithParamInterface<TextbookNetwork> {};

// The files store the matrix with five or six significant decimals: the typed line data give it
// to that precision, and the cells acquired give the published solution.
TEST_P(TextbookLineDataTest, GivesTheMatrixOfTheFileAndThePublishedSolution) {
    const TextbookNetwork& book = GetParam();
    LineTable table;
    table.branches = book.branches;
    LineData data;
    const std::optional<std::string> refusal = ReadLineTable(table, {}, data);
    ASSERT_FALSE(refusal.has_value()) << *refusal;
    NodalNetwork network;
    BuildAdmittanceMatrix(data, network);
    CellTexts texts = testing::ExampleNetwork(book.file);
    const CellTexts file = texts;
    ASSERT_FALSE(MatrixToCells(network, texts).has_value());
    for (int c = 0; c < MaxNodes; ++c) {
        for (int r = 0; r <= c; ++r) {
            const Complex typed = ParseAdmittance(texts.Admittance[c][r]);
            const Complex stored = ParseAdmittance(file.Admittance[c][r]);
            EXPECT_NEAR(typed.re, stored.re, 6e-5) << book.file << " Y" << r + 1 << c + 1;
            EXPECT_NEAR(typed.im, stored.im, 6e-5) << book.file << " Y" << r + 1 << c + 1;
            EXPECT_EQ(texts.Admittance[c][r].empty(), file.Admittance[c][r].empty());
        }
    }
    constexpr int K = 10;
    ASSERT_NO_FATAL_FAILURE(Load(texts, "10"));
    // "Dalle celle" on the cells written: a branch per line, and a shunt only where line charging
    // puts one, never what the rounding of a row's texts leaves over.
    const LineData shown = LineDataFromMatrix(NodalNetworkOf(Workbench::net));
    EXPECT_EQ(shown.branches.size(), book.branches.size()) << book.file;
    bool charged = false;
    for (const std::vector<std::string>& row : book.branches) {
        charged = charged || row.size() > 4;
    }
    if (!charged) {
        EXPECT_TRUE(shown.shunts.empty()) << book.file;
    }
    for (const NodeShunt& shunt : shown.shunts) {
        EXPECT_GT(std::fabs(shunt.g) + std::fabs(shunt.b), 1e-4) << book.file << " " << shunt.node;
    }
    NewtonIterate();
    for (const testing::PublishedVoltage& p : testing::PublishedVoltages) {
        if (std::string(p.file) == book.file) {
            EXPECT_NEAR(EHistoryNewton[p.node][K], p.E, p.Etol) << book.file << " " << p.node + 1;
            EXPECT_NEAR(dHistoryNewton[p.node][K], p.d, p.dtol) << book.file << " " << p.node + 1;
        }
    }
}

// What "Calcola matrice" writes has no rounding left in it: the cells read back as a matrix whose
// row sums are the line charging and nothing else, so the balance, the drawing and the export
// see an element to ground exactly where a line's charging puts one.
TEST_P(TextbookLineDataTest, CellsGiveShuntsOnlyWhereLinesAreCharged) {
    const TextbookNetwork& book = GetParam();
    LineTable table;
    table.branches = book.branches;
    LineData data;
    ASSERT_FALSE(ReadLineTable(table, {}, data).has_value());
    NodalNetwork network;
    BuildAdmittanceMatrix(data, network);
    CellTexts texts = testing::ExampleNetwork(book.file);
    ASSERT_FALSE(MatrixToCells(network, texts).has_value());
    double charging[MaxNodes] = {};
    for (const Branch& branch : data.branches) {
        charging[branch.from - 1] += branch.b / 2;
        charging[branch.to - 1] += branch.b / 2;
    }
    ASSERT_NO_FATAL_FAILURE(Load(texts, "10"));
    NewtonIterate();
    const PowerBalance balance = ComputePowerBalance(Method::Newton);
    const LineData exported = LineDataFromMatrix(NodalNetworkOf(this->net));
    const NetworkDiagram diagram = BuildNetworkDiagram(
        balance, LayoutCentres(LayOutAcquiredNetwork(this->net)), ".", "Newton-Raphson");
    std::vector<int> charged;
    for (int i = 0; i < network.nodeCount; ++i) {
        if (charging[i] != 0.0) {
            charged.push_back(i);
        }
    }
    ASSERT_EQ(balance.shunts.size(), charged.size()) << book.file;
    ASSERT_EQ(exported.shunts.size(), charged.size()) << book.file;
    for (std::size_t s = 0; s < charged.size(); ++s) {
        const int node = charged[s];
        EXPECT_EQ(balance.shunts[s].node, node) << book.file;
        EXPECT_EQ(balance.shunts[s].admittance.real(), 0.0) << book.file << " node " << node + 1;
        EXPECT_NEAR(balance.shunts[s].admittance.imag(), charging[node], 1e-12) << book.file;
        EXPECT_EQ(exported.shunts[s].node, node + 1) << book.file;
        EXPECT_EQ(exported.shunts[s].g, 0.0) << book.file;
        EXPECT_NEAR(exported.shunts[s].b, charging[node], 1e-12) << book.file;
    }
    for (const DiagramShunt& shunt : diagram.shunts) {
        EXPECT_NE(charging[shunt.flow.node], 0.0) << book.file << " node " << shunt.flow.node + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, TextbookLineDataTest,
                         ::testing::ValuesIn(testing::TextbookLineData));

using C = std::complex<double>;

// A transformer 1-2 with an off-nominal tap, a line 2-3 with charging, two parallel lines 1-3 and
// a shunt, against the textbook pi model computed independently with std::complex.
// Saadat's network: 1/(0.01 + j0.03) is 10 - j30 but for the last bit; the cells say so.
TEST(LineDataTest, CellsHoldTheFewestDigitsThatReadBackAsTheValue) {
    LineTable table;
    table.branches = testing::TextbookLineData[0].branches;
    LineData data;
    ASSERT_FALSE(ReadLineTable(table, {}, data).has_value());
    NodalNetwork network;
    BuildAdmittanceMatrix(data, network);
    CellTexts cells;
    ASSERT_FALSE(MatrixToCells(network, cells).has_value());
    const char* const expected[3][3] = {
        {"20-50j", "", ""}, {"-10+20j", "26-52j", ""}, {"-10+30j", "-16+32j", "26-62j"}};
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r <= c; ++r) {
            EXPECT_EQ(cells.Admittance[c][r], expected[c][r]) << "Y" << r + 1 << c + 1;
        }
    }
}

TEST(LineDataTest, TapChargingParallelBranchesAndShuntAsThePiModelGivesThem) {
    LineTable table;
    table.branches = {{"1", "2", "0,01", "0,1", "", "0,95"},
                      {"2", "3", "0.02", "0.2", "0.3"},
                      {"", "", "", "", "", ""}, // an empty row is no branch
                      {"1", "3", "0,04", "0,4"},
                      {" 3 ", "1", "0,04", "0,4"}};
    table.shunts = {{"2", "0,01", "-0,5"}, {"2", "", "0,25"}};
    LineData data;
    ASSERT_FALSE(ReadLineTable(table, {}, data).has_value());
    ASSERT_EQ(data.branches.size(), 4u);
    NodalNetwork network;
    BuildAdmittanceMatrix(data, network);
    ASSERT_EQ(network.nodeCount, 3);

    const C y12 = 1.0 / C(0.01, 0.1);
    const C y23 = 1.0 / C(0.02, 0.2);
    const C y13 = 2.0 / C(0.04, 0.4);
    const double a = 0.95;
    const C expected[3][3] = {
        {y12 / (a * a) + y13, -y12 / a, -y13},
        {-y12 / a, y12 + y23 + C(0, 0.15) + C(0.01, -0.25), -y23},
        {-y13, -y23, y23 + C(0, 0.15) + y13},
    };
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(testing::FuzzyCompare(network.Y[i][k].re, expected[i][k].real(), 1e-13))
                << i << k;
            EXPECT_TRUE(testing::FuzzyCompare(network.Y[i][k].im, expected[i][k].imag(), 1e-13))
                << i << k;
        }
    }
}

// 230 kV and 100 MVA: the base impedance is 529 ohm.
TEST(LineDataTest, OhmAndMicrosiemensBecomePerUnitOnTheGivenBases) {
    LineTable table;
    table.branches = {{"1", "2", "5,29", "26,45", "100", "1,05"}};
    table.shunts = {{"2", "10", "-20"}};
    LineData data;
    const std::optional<std::string> refusal = ReadLineTable(table, {true, " 230 ", "100,0"}, data);
    ASSERT_FALSE(refusal.has_value()) << *refusal;
    EXPECT_DOUBLE_EQ(data.branches[0].r, 0.01);
    EXPECT_DOUBLE_EQ(data.branches[0].x, 0.05);
    EXPECT_DOUBLE_EQ(data.branches[0].b, 0.0529);
    EXPECT_EQ(data.branches[0].tap, 1.05); // a ratio has no unit
    EXPECT_DOUBLE_EQ(data.shunts[0].g, 0.00529);
    EXPECT_DOUBLE_EQ(data.shunts[0].b, -0.01058);

    for (const LineUnits& bad : {LineUnits{true, "", "100"}, LineUnits{true, "230", "0"},
                                 LineUnits{true, "-230", "100"}, LineUnits{true, "2e2", "100"}}) {
        EXPECT_TRUE(ReadLineTable(table, bad, data).has_value())
            << bad.baseKV << " " << bad.baseMVA;
    }
    // The bases are not read when the table is in per unit.
    EXPECT_FALSE(ReadLineTable(table, {false, "x", ""}, data).has_value());
}

struct BadTable {
    const char* name;
    Rows branches;
    Rows shunts;
    std::string message;
};

void PrintTo(const BadTable& t, std::ostream* os) {
    *os << t.name;
}

class BadLineTableTest : public ::testing::TestWithParam<BadTable> {};

TEST_P(BadLineTableTest, IsRefusedWithAMessageThatNamesThePlaceAndDataUntouched) {
    const BadTable& bad = GetParam();
    LineTable table{bad.branches, bad.shunts};
    LineData data;
    data.branches = {{1, 2, 0.5, 0.5, 0.0, 1.0}};
    const std::optional<std::string> refusal = ReadLineTable(table, {}, data);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(*refusal, bad.message);
    ASSERT_EQ(data.branches.size(), 1u);
    EXPECT_EQ(data.branches[0].r, 0.5);
    EXPECT_TRUE(data.shunts.empty());
}

const Rows GoodLine = {{"1", "2", "0,1", "0,2"}};

INSTANTIATE_TEST_SUITE_P(
    Refusals, BadLineTableTest,
    ::testing::Values(
        BadTable{"Letters",
                 {{"1", "2", "0,1", "0,2x"}},
                 {},
                 "Rami, riga 1, colonna X: «0,2x» non è un numero (cifre con la virgola o il "
                 "punto, senza esponente)."},
        BadTable{"Exponent",
                 {{"1", "2", "1e-3", "0,2"}},
                 {},
                 "Rami, riga 1, colonna R: «1e-3» non è un numero (cifre con la virgola o il "
                 "punto, senza esponente)."},
        BadTable{"TwoSeparators",
                 {{"1", "2", "0,1", "0,2"}, {"2", "3", "0", "0,1.5"}},
                 {},
                 "Rami, riga 2, colonna X: «0,1.5» non è un numero (cifre con la virgola o il "
                 "punto, senza esponente)."},
        BadTable{"NodeEight",
                 {{"1", "8", "0,1", "0,2"}},
                 {},
                 "Rami, riga 1, colonna a: il nodo deve essere un numero intero da 1 a 7, non "
                 "«8»."},
        BadTable{"NodeZero",
                 {{"0", "1", "0,1", "0,2"}},
                 {},
                 "Rami, riga 1, colonna da: il nodo deve essere un numero intero da 1 a 7, non "
                 "«0»."},
        BadTable{"NodeMissing",
                 {{"1", "", "0,1", "0,2"}},
                 {},
                 "Rami, riga 1, colonna a: il nodo deve essere un numero intero da 1 a 7 (la "
                 "cella è vuota)."},
        BadTable{"NodeNotWhole",
                 {{"1,5", "2", "0,1", "0,2"}},
                 {},
                 "Rami, riga 1, colonna da: il nodo deve essere un numero intero da 1 a 7, non "
                 "«1,5»."},
        BadTable{"ToItself",
                 {{"1", "2", "0,1", "0,2"}, {"3", "3", "0,1", "0,2"}},
                 {},
                 "Rami, riga 2: il ramo collega il nodo 3 a se stesso."},
        BadTable{"ZeroImpedance",
                 {{"1", "2", "0", "-0,0"}},
                 {},
                 "Rami, riga 1: il ramo ha impedenza nulla (R e X sono 0)."},
        BadTable{"EmptyImpedance",
                 {{"1", "2", "", "", "0,1"}},
                 {},
                 "Rami, riga 1: il ramo ha impedenza nulla (R e X sono 0)."},
        BadTable{"VanishingImpedance",
                 {{"1", "2", std::string("0,") + std::string(320, '0') + "1", "0"}},
                 {},
                 "Rami, riga 1: i valori del ramo danno un'ammettenza non rappresentabile."},
        BadTable{"HugeNumber",
                 {{"1", "2", std::string(400, '9'), "0,1"}},
                 {},
                 "Rami, riga 1, colonna R: «9999999999…» è un numero troppo grande."},
        BadTable{"ZeroTap",
                 {{"1", "2", "0,1", "0,2", "0", "0"}},
                 {},
                 "Rami, riga 1, colonna rapporto spire: il rapporto spire deve essere maggiore "
                 "di 0 (vuoto: 1)."},
        BadTable{"NoBranch",
                 {{"", " ", ""}},
                 {{"1", "0", "0,5"}},
                 "La tabella dei rami è vuota: la matrice nasce dai rami."},
        BadTable{"NodeWithoutBranch",
                 {{"1", "3", "0,1", "0,2"}},
                 {},
                 "Nessun ramo raggiunge il nodo 2: i nodi vanno numerati da 1 senza salti, e "
                 "ogni nodo ha almeno un ramo."},
        BadTable{"ShuntBeyondBranches",
                 GoodLine,
                 {{"3", "0", "0,5"}},
                 "Nessun ramo raggiunge il nodo 3: i nodi vanno numerati da 1 senza salti, e "
                 "ogni nodo ha almeno un ramo."},
        BadTable{"ShuntNode",
                 GoodLine,
                 {{"", "0", "0,5"}, {"9", "0", "0,5"}},
                 "Derivazioni, riga 1, colonna nodo: il nodo deve essere un numero intero da 1 "
                 "a 7 (la cella è vuota)."},
        BadTable{"ShuntValue",
                 GoodLine,
                 {{"1", "0", "0,5"}, {"2", "j", ""}},
                 "Derivazioni, riga 2, colonna G: «j» non è un numero (cifre con la virgola o "
                 "il punto, senza esponente)."}),
    [](const ::testing::TestParamInfo<BadTable>& caseInfo) {
        return std::string(caseInfo.param.name);
    });

bool Near(double a, double b) {
    return testing::FuzzyCompare(a, b, 1e-12);
}

// Table -> matrix -> table: the branches come back as they were (a matrix keeps no charging and
// no tap apart, so these have none and no two join the same nodes), the shunts with the line
// charging added to them; the second matrix equals the first.
TEST(LineDataTest, RoundTripTableMatrixTableGivesTheSameBranches) {
    LineTable typed;
    typed.branches = {{"1", "2", "0,02", "0,06", "0,06"}, {"1", "3", "0,08", "0,24"},
                      {"2", "3", "0,06", "0,18", "0,04"}, {"2", "4", "0", "0,18"},
                      {"4", "5", "-0,01", "0,24"},        {"3", "5", "0,5", "0"}};
    typed.shunts = {{"4", "0,1", "0,3"}};
    LineData data;
    ASSERT_FALSE(ReadLineTable(typed, {}, data).has_value());
    NodalNetwork first;
    BuildAdmittanceMatrix(data, first);

    LineTable shown;
    ASSERT_FALSE(FormatLineTable(LineDataFromMatrix(first), shown).has_value());
    LineData back;
    ASSERT_FALSE(ReadLineTable(shown, {}, back).has_value());
    ASSERT_EQ(back.branches.size(), data.branches.size());
    for (const Branch& b : back.branches) {
        bool found = false;
        for (const Branch& d : data.branches) {
            if (std::min(d.from, d.to) == b.from && std::max(d.from, d.to) == b.to) {
                found = true;
                EXPECT_TRUE(Near(b.r, d.r) && Near(b.x, d.x)) << b.from << "-" << b.to;
                EXPECT_EQ(b.b, 0.0);
                EXPECT_EQ(b.tap, 1.0);
            }
        }
        EXPECT_TRUE(found) << b.from << "-" << b.to;
    }
    // Shunts: node 1 0.03 + 0, node 2 0.03 + 0.02, node 3 0.02, node 4 0.1 + j0.3 (G and B).
    ASSERT_EQ(back.shunts.size(), 4u);
    const double shuntB[] = {0.03, 0.05, 0.02, 0.3};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(back.shunts[static_cast<std::size_t>(i)].node, i + 1);
        EXPECT_TRUE(Near(back.shunts[static_cast<std::size_t>(i)].b, shuntB[i])) << i;
    }
    NodalNetwork second;
    BuildAdmittanceMatrix(back, second);
    ASSERT_EQ(second.nodeCount, first.nodeCount);
    for (int i = 0; i < first.nodeCount; ++i) {
        for (int k = 0; k < first.nodeCount; ++k) {
            EXPECT_TRUE(Near(second.Y[i][k].re, first.Y[i][k].re) &&
                        Near(second.Y[i][k].im, first.Y[i][k].im))
                << i << k;
        }
    }
}

// "Salva" and "Apri" of the window: the case written from the line data and the grid's node
// data reads back to the same branches (r, x, b and tap exactly) and shunts, and imports to
// the matrix the line data give.
TEST(LineDataTest, CaseWrittenFromLineDataReadsBackAndImportsToTheSameMatrix) {
    LineTable typed;
    typed.branches = {{"1", "2", "0,01", "0,1", "0,02", "0,975"},
                      {"2", "3", "0,02", "0,2", "0,3"},
                      {"3", "1", "0,03", "0,15"}};
    typed.shunts = {{"3", "0,01", "-0,3"}, {"3", "0", "0,1"}};
    LineData data;
    ASSERT_FALSE(ReadLineTable(typed, {}, data).has_value());

    CellTexts cells;
    cells.Data[0][0] = "1,02";
    cells.Data[1][0] = "0";
    cells.Data[2][1] = "0,4"; // PE
    cells.Data[0][1] = "1,01";
    cells.Data[2][2] = "-0,7"; // PQ
    cells.Data[3][2] = "-0,2";
    NodalNetwork nodes;
    nodes.nodeCount = LineDataNodeCount(data);
    ASSERT_FALSE(NodeDataFromCells(cells, nodes).has_value());
    std::string text;
    ASSERT_FALSE(FormatLineDataCase(nodes, data, {"rete", "Nodewise", 0}, text).has_value());
    EXPECT_NE(text.find("\t1\t2\t0.01\t0.1\t0.02\t0\t0\t0\t0.975\t0\t1\t-360\t360;\n"),
              std::string::npos)
        << text;

    MatpowerCase matpowerCase;
    ASSERT_FALSE(ReadMatpowerCase(text, matpowerCase).has_value());
    LineData back;
    ASSERT_FALSE(CaseToLineData(matpowerCase, back).has_value());
    ASSERT_EQ(back.branches.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const Branch& a = data.branches[i];
        const Branch& b = back.branches[i];
        EXPECT_TRUE(a.from == b.from && a.to == b.to && a.r == b.r && a.x == b.x && a.b == b.b &&
                    a.tap == b.tap)
            << i;
    }
    ASSERT_EQ(back.shunts.size(), 1u); // the two of node 3 are one bus shunt
    EXPECT_TRUE(Near(back.shunts[0].g, 0.01) && Near(back.shunts[0].b, -0.2));

    NodalNetwork fromLines;
    BuildAdmittanceMatrix(data, fromLines);
    NodalNetwork imported;
    ASSERT_FALSE(CaseToNetwork(matpowerCase, imported).has_value());
    const int types[] = {Ed, PE, PQ};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(imported.types[i], types[i]);
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(Near(imported.Y[i][k].re, fromLines.Y[i][k].re) &&
                        Near(imported.Y[i][k].im, fromLines.Y[i][k].im))
                << i << k;
        }
    }
    EXPECT_EQ(imported.P[2], -0.7);

    // A node without its two data in the grid: nothing is written.
    cells.Data[3][2].clear();
    ASSERT_EQ(NodeDataFromCells(cells, nodes),
              std::optional<std::string>(
                  "Il nodo 3 deve avere nella griglia due dati tra E, d, P e Q (ne ha 1)."));
}

} // namespace
} // namespace nodewise
