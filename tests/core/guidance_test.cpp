// What the program tells a learner about their input and their runs: the notes of cells that
// are not read whole, the nodes without two quantities, the Italian report of an arithmetic
// fault with its method, iteration and node, and numbers with fewer digits or in MW/Mvar.
#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "core/input/acquisition.h"
#include "core/input/cell_notes.h"
#include "core/report/analysis_report.h"
#include "core/results/fault_report.h"
#include "core/results/number_style.h"
#include "core/text/number_format.h"
#include "solver_fixture.h"
#include "test_support.h"

namespace nodewise {
namespace {

struct NoteCase {
    const char* text;
    const char* note; // empty: read whole
};

TEST(CellNotesTest, AdmittanceCellsTellWhatWasReadAndWhy) {
    const NoteCase cases[] = {
        {"", ""},
        {"1,23 + 0,37 j", ""},
        {"-3,21 - 2 j", ""},
        {"- j", ""},
        {"1,5", ""},
        {"abc", "letto come 0: testo non usato \xC2\xAB"
                "abc\xC2\xBB"},
        {"1e3", "letto come 1: l'esponente non \xC3\xA8 previsto"},
        {"-4e-3j", "letto come -4: l'esponente non \xC3\xA8 previsto"},
        {"1,23+0,37J", "letto come 1,23: la j della parte immaginaria va scritta minuscola"},
        {"1+2", "letto come 1: testo non usato \xC2\xAB+2\xC2\xBB"},
        {"2j3", "letto come 2j: testo non usato \xC2\xAB"
                "3\xC2\xBB"},
        {"1,2,3-j", "letto come 1,2-j: testo non usato \xC2\xAB,3\xC2\xBB"},
        {"   ", "letto come 0: la cella contiene solo spazi"},
    };
    for (const NoteCase& c : cases) {
        EXPECT_EQ(AdmittanceCellNote(c.text), c.note) << c.text;
    }
    EXPECT_EQ(AdmittanceCellNote("1.5-0.25jx", '.'), "letto come 1.5-0.25j: testo non usato "
                                                     "\xC2\xABx\xC2\xBB");
}

TEST(CellNotesTest, DataCellsTellWhatWasReadAndWhy) {
    const NoteCase cases[] = {
        {"", ""},
        {"1,05", ""},
        {"-0.5", ""},
        {"+2", ""},
        {" 1 ", ""},
        {"   ", ""}, // no digits: not given, as an empty cell
        {"1,05 pu", "letto come 1,05: testo non usato \xC2\xABpu\xC2\xBB"},
        {"-4e-3", "letto come -4: l'esponente non \xC3\xA8 previsto"},
        {"3e2", "letto come 32: l'esponente non \xC3\xA8 previsto"},
        {"1.2.3", "letto come 1,2: un solo separatore decimale"},
        {"1-2", "letto come 1: testo non usato \xC2\xAB-2\xC2\xBB"},
        {"abc", "letto come cella vuota: nessuna cifra \xC2\xAB"
                "abc\xC2\xBB"},
    };
    for (const NoteCase& c : cases) {
        EXPECT_EQ(DataCellNote(c.text), c.note) << c.text;
    }
}

// A cell of the two-node network given a text: the line that lists it, none if read whole.
TEST(CellNotesTest, UnreadCellsListWhatWasReadAndWhatWasLeft) {
    CellTexts cells;
    const struct {
        std::string* cell;
        const char* text;
        const char* line;
    } cases[] = {
        {&cells.Admittance[1][0], "26-52", "Y1,2: letto 26, testo non usato \xC2\xAB-52\xC2\xBB"},
        {&cells.Admittance[1][0], "26-j52",
         "Y1,2: letto 26-j, testo non usato \xC2\xAB"
         "52\xC2\xBB"},
        {&cells.Admittance[1][0], "- 1 + 5 j", ""}, // blanks are never unused
        {&cells.Data[0][0], "1e3",
         "E1: letto 13, testo non usato \xC2\xAB"
         "e\xC2\xBB"},
        {&cells.Data[0][1], "1.o5", "E2: letto 1.5, testo non usato \xC2\xABo\xC2\xBB"},
        {&cells.Data[2][1], "12a.3.4",
         "P2: letto 12.3, testo non usato \xC2\xAB"
         "a .4\xC2\xBB"},
        {&cells.Data[3][1], "pu", "Q2: letto come cella vuota, testo non usato \xC2\xABpu\xC2\xBB"},
        {&cells.Admittance[2][0], "x", ""}, // beyond the nodes: warning 0's, not read
    };
    for (const auto& c : cases) {
        cells = testing::TwoNodeNetwork();
        *c.cell = c.text;
        std::string lines;
        for (const UnreadCell& unread : UnreadCells(cells, '.')) {
            lines += UnreadCellLine(unread);
            EXPECT_EQ(&CellInFileOrder(cells, unread.line), c.cell) << c.text;
        }
        EXPECT_EQ(lines, c.line) << c.text;
    }
}

TEST(CellNotesTest, NodesWithoutTwoQuantitiesAreThoseOfWarningTwo) {
    testing::MessageRecorder recorder;
    CellTexts cells = testing::TwoNodeNetwork();
    EXPECT_TRUE(NodesWithoutTwoQuantities(cells).empty());
    cells.Data[2][0] = "0,1"; // node 1: E, d and P
    cells.Data[3][1] = "pu";  // node 2: P only, the Q text has no digit
    EXPECT_EQ(NodesWithoutTwoQuantities(cells), (std::vector<int>{0, 1}));
    EXPECT_EQ(Acquire("5", cells).warning, std::optional<int>(WarningNodeType));
    EXPECT_EQ(NodeQuantityNote(cells, 0), "il nodo 1 ha 3 dati su 4: ne servono esattamente 2");
    EXPECT_EQ(NodeQuantityNote(cells, 1), "il nodo 2 ha 1 dato su 4: ne servono esattamente 2");
    // data beyond the nodes belong to warning 1, not to a node
    cells = testing::TwoNodeNetwork();
    cells.Data[0][4] = "1";
    EXPECT_TRUE(NodesWithoutTwoQuantities(cells).empty());
}

struct FaultReportCase {
    const char* name;
    Method method;
    CellTexts (*network)();
    const char* report;
};

CellTexts ZeroSelfAdmittance() {
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Admittance[1][1] = "0";
    return cells;
}

// A second load node whose self-admittance is 0: Gauss-Seidel divides by |Y33| at node 3.
CellTexts ZeroThirdSelfAdmittance() {
    CellTexts cells = testing::TwoNodeNetwork();
    cells.Admittance[2][2] = "0";
    cells.Data[2][2] = "-0,1";
    cells.Data[3][2] = "0";
    return cells;
}

class FaultReportTest : public testing::SolverTest {};

TEST_F(FaultReportTest, NamesOperationMethodIterationAndNodeInItalian) {
    const FaultReportCase cases[] = {
        {"gauss node 2", Method::Gauss, ZeroSelfAdmittance,
         "Calcolo interrotto: divisione per zero\nnel metodo Gauss-Seidel, all'iterazione 1, "
         "calcolando il nodo 2.\n\nI risultati di questo metodo non sono disponibili: controlla "
         "i dati della rete."},
        {"gauss node 3", Method::Gauss, ZeroThirdSelfAdmittance,
         "Calcolo interrotto: divisione per zero\nnel metodo Gauss-Seidel, all'iterazione 1, "
         "calcolando il nodo 3.\n\nI risultati di questo metodo non sono disponibili: controlla "
         "i dati della rete."},
    };
    for (const FaultReportCase& c : cases) {
        Load(c.network(), "3");
        try {
            Iterate(c.method);
            ADD_FAILURE() << c.name << ": no fault";
        } catch (const ArithmeticFault& fault) {
            EXPECT_STREQ(fault.what(), DivisionByZeroFault) << c.name; // as nodewise-cli prints
            EXPECT_EQ(ArithmeticFaultReport(fault), c.report) << c.name;
        }
        EXPECT_FALSE(HasRun(c.method));
    }
}

// Newton-Raphson and Stott-Alsac name the node of the equation or unknown they were computing:
// 2 |Y22| in Newton-Raphson's Jacobian overflows in row P2; in Stott-Alsac's Q2 mismatch two
// terms of 1e308, both at sin 90 degrees, add up past the largest double.
TEST_F(FaultReportTest, NamesTheNodeOfANewtonRaphsonOrStottAlsacFault) {
    for (const Method method : {Method::Newton, Method::Stott}) {
        Load(testing::TwoNodeNetwork(), "3");
        YMag[1][1] = 1e308;
        if (method == Method::Stott) {
            YMag[1][0] = 1e308;
            YAng[1][0] = YAng[1][1] = -std::acos(-1.0) / 2;
        }
        try {
            Iterate(method);
            ADD_FAILURE() << Info(method).name << ": no fault";
        } catch (const ArithmeticFault& fault) {
            EXPECT_STREQ(fault.what(), OverflowFault);
            EXPECT_EQ(ArithmeticFaultReport(fault),
                      std::string("Calcolo interrotto: overflow\nnel metodo ") +
                          MethodTitle(method) +
                          ", all'iterazione 1, calcolando il nodo 2.\n\nI risultati di questo "
                          "metodo non sono disponibili: controlla i dati della rete.");
        }
    }
}

TEST_F(FaultReportTest, TellsAFaultInAcquisitionAndOneWithoutAPlace) {
    CellTexts texts = testing::TwoNodeNetwork();
    texts.Data[2][1] = "1" + std::string(400, '0'); // beyond a double
    try {
        Acquire("3", texts);
        ADD_FAILURE() << "no fault";
    } catch (const ArithmeticFault& fault) {
        EXPECT_EQ(ArithmeticFaultReport(fault),
                  "Calcolo interrotto: overflow\ndurante l'acquisizione dei dati.\n\nControlla "
                  "i dati della rete.");
    }
    EXPECT_EQ(ArithmeticFaultReport(ArithmeticFault(InvalidOperationFault)),
              "Calcolo interrotto: operazione non valida\n\nControlla i dati della rete.");
}

TEST(NumberStyleTest, SignificantDigitsFollowTheGeneralFormat) {
    struct Case {
        double value;
        int digits;
        const char* text;
    };
    const Case cases[] = {
        {1.0 / 3.0, 6, "0.333333"},
        {200.0 / 3.0, 6, "66.6667"},
        {-5.363069274, 3, "-5.36"},
        {1234567.0, 6, "1.23457E6"},
        {123456.0, 6, "123456"},
        {0.00012345678, 4, "0.0001235"},
        {0.99999999, 6, "1"},
        {2.5e-7, 6, "2.5E-7"},
        {0.0, 6, "0"},
        {1.0 / 3.0, 15, "0.333333333333333"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatSignificant(c.value, c.digits), c.text) << c.value << " " << c.digits;
    }
    // 15 digits is the general format, whatever the value
    for (double v : {0.1 + 0.2, -123456789012345678.0, 1e-300, 999999999999999.9, 1.0 / 7.0}) {
        EXPECT_EQ(FormatSignificant(v, 15, ','), FormatGeneral(v, ','));
    }
    NumberStyle style;
    EXPECT_TRUE(IsDefaultStyle(style));
    style.megawatts = true;
    style.basePower = 100.0;
    style.digits = 6;
    EXPECT_EQ(ShownNumber(style, ShownPower(style, -0.5), ','), "-50");
    EXPECT_STREQ(PowerUnits(style), "MW/Mvar");
    EXPECT_FALSE(ValidBasePower(0.0));
    EXPECT_FALSE(ValidBasePower(-100.0));
}

class StyledReportTest : public testing::SolverTest {};

// The same run written per unit with all digits and in MW on a 100 MVA base with 6 digits:
// every power is the per-unit figure times 100, rounded; the default is what it always was.
TEST_F(StyledReportTest, MegawattsAreTheBaseTimesThePerUnitFigures) {
    Load(testing::TwoNodeNetwork(), "10");
    Iterate(Method::Newton);
    const std::string plain = FormatAnalysisReport(ReportFormat::Csv, Method::Newton, 1e-8);
    EXPECT_EQ(FormatAnalysisReport(ReportFormat::Csv, Method::Newton, 1e-8, NumberStyle{}), plain);
    EXPECT_NE(plain.find("\nNodo;Tipo;E;d (gradi);P;Q\n"), std::string::npos);

    NumberStyle style{6, true, 100.0};
    const std::string mw = FormatAnalysisReport(ReportFormat::Csv, Method::Newton, 1e-8, style);
    EXPECT_NE(mw.find("Potenza di base (MVA);100\n"), std::string::npos);
    EXPECT_NE(mw.find("\nNodo;Tipo;E;d (gradi);P (MW);Q (Mvar)\n"), std::string::npos);
    // node 2 is given P = -0.5, Q = -0.2 pu: -50 MW, -20 Mvar at convergence
    EXPECT_NE(mw.find("\n2;PQ;"), std::string::npos);
    EXPECT_NE(mw.find(";-50;-20\n"), std::string::npos) << mw;
    const std::string html = FormatAnalysisReport(ReportFormat::Html, Method::Newton, 1e-8, style);
    EXPECT_NE(html.find("<th>P (MW)</th><th>Q (Mvar)</th>"), std::string::npos);
}

TEST_F(StyledReportTest, ANonConvergedLastIterateIsTold) {
    Load(testing::TwoNodeNetwork(), "1");
    Iterate(Method::Gauss);
    const std::optional<NotConverged> state = LastIterateNotConverged(Method::Gauss, 1e-8);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->iteration, 1);
    EXPECT_EQ(state->node, 1);
    EXPECT_GT(state->mismatch, 1e-8);
    const std::string text = NotConvergedText(Method::Gauss, *state, NumberStyle{3, false, 100});
    EXPECT_EQ(
        text.rfind(
            "Attenzione: Gauss-Seidel non è arrivato a convergenza: all'iterazione 1 lo scarto "
            "massimo di potenza \xC3\xA8 ",
            0),
        0u);
    EXPECT_NE(text.find(" pu (nodo 2), oltre la tolleranza di 1E-8 pu."), std::string::npos);

    Load(testing::TwoNodeNetwork(), "20");
    Iterate(Method::Newton);
    EXPECT_FALSE(LastIterateNotConverged(Method::Newton, 1e-8).has_value());
}

} // namespace
} // namespace nodewise
