// Import of MATPOWER cases: textbook cases written in the format and solved to their published
// voltages, how the reader takes the format's notation, the refusals, and the cell texts.
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "core/input/acquisition.h"
#include "core/input/entry_syntax.h"
#include "core/interop/entry_texts.h"
#include "core/interop/matpower_export.h"
#include "core/interop/matpower_import.h"
#include "core/model/network.h"
#include "core/solvers/newton_raphson.h"
#include "solver_fixture.h"
#include "test_support.h"

namespace nodewise {
namespace {

struct Voltage {
    double E;
    double dDegree;
};

// Imports the case, acquires the cells and runs ten Newton-Raphson iterations.
void ImportAndSolve(testing::Workbench& bench, const std::string& text,
                    const std::vector<int>& types) {
    CellTexts cells;
    const std::optional<std::string> refusal = ImportMatpowerCase(text, cells);
    ASSERT_FALSE(refusal.has_value()) << *refusal;
    const std::optional<int> warning = bench.Acquire("10", cells);
    ASSERT_FALSE(warning.has_value()) << "warning " << *warning;
    ASSERT_EQ(bench.NodeCount, static_cast<int>(types.size()));
    for (int i = 0; i < bench.NodeCount; ++i) {
        EXPECT_EQ(bench.NodeTypes[i], types[static_cast<std::size_t>(i)]) << "node " << i + 1;
    }
    bench.NewtonIterate();
    EXPECT_TRUE(bench.recorder.messages.empty());
}

void ExpectVoltages(const testing::Workbench& bench, const std::vector<Voltage>& published,
                    double tolE, double tolDegree) {
    for (int i = 0; i < bench.NodeCount; ++i) {
        const Voltage& v = published[static_cast<std::size_t>(i)];
        EXPECT_NEAR(bench.EHistoryNewton[i][10], v.E, tolE) << "node " << i + 1;
        EXPECT_NEAR(bench.dHistoryNewton[i][10], v.dDegree, tolDegree) << "node " << i + 1;
    }
}

// J. J. Grainger, W. D. Stevenson, Power System Analysis, McGraw-Hill 1994, chapter 9: the
// four-bus system of the Gauss-Seidel and Newton-Raphson examples, with its line charging, the
// slack bus Birch carrying a local load and the generator bus Maple a local load. The file uses
// the notation freely: exponents, signs, comments, rows ended by ';' or by the line end alone,
// a continued line, and fields that are skipped.
constexpr const char* GraingerStevenson = R"(function mpc = grainger_stevenson_4bus
%GRAINGER_STEVENSON_4BUS  Birch, Elm, Pine, Maple; 230 kV, 100 MVA.
mpc.version = '2';
mpc.baseMVA = 100.0;

%% bus data: Birch, Elm, Pine, Maple
mpc.bus = [
	1	3	50	30.99	0	0	1	1	0	230	1	1.1	0.9;  % Birch
	2	1	170	105.35	0	0	1	1	0	230	1	1.1	0.9
	3	1	2.0e2	+123.94	0	0	1	1	0	230	1	1.1	0.9;
	4	2	80	49.58	0	0	1	1.02	0	230	1	1.1	0.9;
];
mpc.gen = [
	1	0	0	Inf	-Inf	1.00	100	1	Inf	0;
	4	318	0	Inf	-Inf	1.02	100	1	Inf	0;
	4	50	0	Inf	-Inf	1.02	100	0	Inf	0;  % out of service
];
mpc.gencost = [
	2	0	0	3	0.01	40	0;
	2	0	0	3	0.01	40	0;
	2	0	0	3	0.01	40	0;
];
mpc.bus_name = {
	'Birch''s bus; % not a comment ] nor the end';
	'Elm';
	'Pine';
	'Maple';
};
mpc.branch = [
	1, 2, 1.008e-2, 0.0504, 0.1025, 250, 250, 250, 0, 0, 1, -360, 360;
	1	3	0.00744	0.0372	0.0775	250	250	250	0	0	1	-360	360;
	2	4	0.00744	0.0372	0.0775 ...
		250	250	250	0	0	1	-360	360;
	3	4	0.01272	0.0636	0.1275	250	250	250	0	0	1	-360	360;
	3	4	0.0001	0.0001	0	250	250	250	0	0	0	-360	360;  % open
];
)";

TEST(MatpowerImportTest, GraingerStevensonFourBusReachesThePublishedVoltages) {
    testing::Workbench bench;
    ImportAndSolve(bench, GraingerStevenson, {Ed, PQ, PQ, PE});
    ExpectVoltages(bench, {{1.0, 0.0}, {0.982, -0.976}, {0.969, -1.872}, {1.020, 1.523}}, 5e-4,
                   5e-4);
}

// J. D. Glover, M. S. Sarma, T. J. Overbye, Power System Analysis and Design, 4th ed., Thomson
// 2008, chapter 6, Examples 6.9-6.11: the five-bus system with its line charging and two
// transformers, T1 (buses 1-5) and T2 (buses 3-4), here given off-nominal taps on their
// generator side, 0.975 and 1.025. The tap ratio a on the from side makes the voltage behind
// the transformer V_from / a, and an ideal transformer carries the same power; so with the
// generator set points multiplied by the taps (0.975 and 1.05 x 1.025 = 1.07625) the rest of
// the network sees exactly the published case and must reproduce its published solution, and
// buses 1 and 3 show their set points with the published phases. A tap taken on the wrong side,
// or squared on the wrong end, moves every voltage.
constexpr const char* GloverSarmaOverbyeWithTaps = R"(function mpc = glover_sarma_5bus_taps
mpc.version = '2';
mpc.baseMVA = 100;
mpc.bus = [
 1 3 0 0 0 0 1 1 0 15 1 1.1 0.9
 2 1 800 280 0 0 1 1 0 345 1 1.1 0.9
 3 2 80 40 0 0 1 1 0 15 1 1.1 0.9
 4 1 0 0 0 0 1 1 0 345 1 1.1 0.9
 5 1 0 0 0 0 1 1 0 345 1 1.1 0.9
];
mpc.gen = [
 1 0 0 Inf -Inf 0.975 100 1 Inf 0
 3 520 0 Inf -Inf 1.07625 100 1 Inf 0
];
mpc.branch = [
 2 4 0.009 0.1 1.72 0 0 0 0 0 1 -360 360
 2 5 0.0045 0.05 0.88 0 0 0 0 0 1 -360 360
 4 5 0.00225 0.025 0.44 0 0 0 0 0 1 -360 360
 1 5 0.0015 0.02 0 0 0 0 0.975 0 1 -360 360
 3 4 0.00075 0.01 0 0 0 0 1.025 0 1 -360 360
];
)";

TEST(MatpowerImportTest, GloverSarmaOverbyeFiveBusWithTapsReachesThePublishedVoltages) {
    testing::Workbench bench;
    ImportAndSolve(bench, GloverSarmaOverbyeWithTaps, {Ed, PQ, PE, PQ, PQ});
    // Within a unit of the book's last digit: it prints bus 2 at -22.407 for -22.4064.
    ExpectVoltages(
        bench,
        {{0.975, 0.0}, {0.834, -22.407}, {1.07625, -0.597}, {1.019, -2.834}, {0.974, -4.548}}, 1e-3,
        1e-3);
}

// The matrix entries of one branch with charging and a tap, and a bus shunt, against the
// format's definition worked by hand: ys = 1/(0.1 + 0.2j) = 2 - 4j, b/2 = 0.25, a = 0.5,
// shunt (50 - 50j) MW/Mvar on 100 MVA.
TEST(MatpowerImportTest, TapChargingAndShuntEnterTheMatrixAsTheFormatDefinesThem) {
    const std::string text = "function mpc = t\nmpc.baseMVA = 100;\n"
                             "mpc.bus = [1 3 0 0 50 -50 1 1 0; 2 1 0 0 0 0 1 1 0];\n"
                             "mpc.gen = [1 0 0 0 0 1 100 1];\n"
                             "mpc.branch = [1 2 0.1 0.2 0.5 0 0 0 0.5 0 1];\n";
    CellTexts cells;
    ASSERT_FALSE(ImportMatpowerCase(text, cells).has_value());
    EXPECT_EQ(cells.Admittance[0][0], "8.5-15.5j"); // (2 - 3.75j)/0.25 + 0.5 - 0.5j
    EXPECT_EQ(cells.Admittance[1][0], "-4+8j");     // -(2 - 4j)/0.5
    EXPECT_EQ(cells.Admittance[1][1], "2-3.75j");
}

// Every refusal leaves the cells as they were. The base case is valid; each row changes it.
struct Refusal {
    const char* name;
    std::string text;
    const char* message;
};

std::string Case(const std::string& bus, const std::string& gen, const std::string& branch) {
    return "function mpc = c\nmpc.version = '2';\nmpc.baseMVA = 100;\nmpc.bus = [\n" + bus +
           "];\nmpc.gen = [\n" + gen + "];\nmpc.branch = [\n" + branch + "];\n";
}

const std::string Bus12 = "1 3 0 0 0 0 1 1 0 0 1 1.1 0.9\n2 1 50 20 0 0 1 1 0 0 1 1.1 0.9\n";
const std::string Gen1 = "1 0 0 0 0 1 100 1 0 0\n";
const std::string Branch12 = "1 2 0.01 0.1 0 0 0 0 0 0 1 -360 360\n";

std::string EightBuses() {
    std::string bus = "1 3 0 0 0 0 1 1 0\n";
    std::string branch;
    for (int i = 2; i <= 8; ++i) {
        bus += std::to_string(i) + " 1 0 0 0 0 1 1 0\n";
        branch += "1 " + std::to_string(i) + " 0 0.1 0 0 0 0 0 0 1\n";
    }
    return Case(bus, Gen1, branch);
}

class MatpowerRefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(MatpowerRefusalTest, IsRefusedWithItsReasonAndTheCellsUntouched) {
    CellTexts cells = testing::TwoNodeNetwork();
    const std::string before = cells.Admittance[0][0] + cells.Data[2][1];
    const std::optional<std::string> refusal = ImportMatpowerCase(GetParam().text, cells);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_NE(refusal->find(GetParam().message), std::string::npos) << *refusal;
    EXPECT_EQ(cells.Admittance[0][0] + cells.Data[2][1], before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatpowerRefusalTest,
    ::testing::Values(
        Refusal{"EightBuses", EightBuses(), "Il caso ha 8 nodi: Nodewise ne tratta al massimo 7."},
        Refusal{"PhaseShifter", Case(Bus12, Gen1, "1 2 0.01 0.1 0 0 0 0 1 -30 1 -360 360\n"),
                "Riga 12: il ramo 1-2 è uno sfasatore"},
        Refusal{"NoReference", Case("1 2 0 0 0 0 1 1 0\n2 1 50 20 0 0 1 1 0\n", Gen1, Branch12),
                "Il caso non ha un nodo di riferimento (tipo 3)."},
        Refusal{"TwoReferences", Case("1 3 0 0 0 0 1 1 0\n2 3 50 20 0 0 1 1 0\n", Gen1, Branch12),
                "più di un nodo di riferimento (tipo 3): i nodi 1 e 2"},
        Refusal{"IsolatedBus", Case(Bus12 + "7 4 0 0 0 0 1 1 0 0 1 1.1 0.9\n", Gen1, Branch12),
                "Riga 7: il nodo 7 è isolato (tipo 4)"},
        Refusal{"BadNumber", Case(Bus12, "1 0 0 0 0 1.2.3 100 1 0 0\n", Branch12),
                "Riga 9: valore non valido «1.2.3» in mpc.gen."},
        Refusal{"Expression", Case(Bus12, Gen1, "1 2 0.01 0.1-0.05 0 0 0 0 0 0 1 -360 360\n"),
                "Riga 12: valore non valido «0.1-0.05»"},
        Refusal{"RaggedRows", Case(Bus12 + "3 1 0 0 0 0 1 1 0\n", Gen1, Branch12),
                "Riga 7: la riga di mpc.bus ha 9 colonne, la prima ne ha 13."},
        Refusal{"TooFewColumns", Case("1 3 0 0 0 0 1 1\n", Gen1, Branch12),
                "Riga 5: mpc.bus ha 8 colonne, ne servono almeno 9."},
        Refusal{"UnclosedMatrix", "function mpc = c\nmpc.baseMVA = 100;\nmpc.bus = [\n1 3 0 0",
                "Riga 4: manca la ] che chiude mpc.bus (aperta alla riga 3)."},
        Refusal{"NoGenMatrix",
                "function mpc = c\nmpc.baseMVA = 100;\nmpc.bus = [" + Bus12 + "];\nmpc.branch = [" +
                    Branch12 + "];\n",
                "Il file non contiene mpc.gen"},
        Refusal{"NotACase", "<html><body>not a case</body></html>\n", "non contiene mpc.baseMVA"},
        Refusal{"VersionOne", "function [baseMVA, bus, gen, branch] = c\n", "versione 1"},
        Refusal{"UnknownVersion", "function mpc = c\nmpc.version = '3';\n", "versione «3»"},
        Refusal{"GeneratorNowhere", Case(Bus12, "5 0 0 0 0 1 100 1 0 0\n", Branch12),
                "Riga 9: il generatore è collegato al nodo 5, che non esiste."},
        Refusal{"DuplicateBus", Case(Bus12 + "2 1 0 0 0 0 1 1 0 0 1 1.1 0.9\n", Gen1, Branch12),
                "Riga 7: il nodo 2 compare due volte."},
        Refusal{"ZeroImpedance", Case(Bus12, Gen1, "1 2 0 0 0 0 0 0 0 0 1 -360 360\n"),
                "Riga 12: il ramo 1-2 ha impedenza nulla."},
        Refusal{"InfiniteLoad", Case("1 3 0 0 0 0 1 1 0\n2 1 Inf 0 0 0 1 1 0\n", Gen1, Branch12),
                "Riga 6: il nodo 2 ha un valore non finito."},
        Refusal{"AdmittanceTooLongToWrite",
                Case(Bus12, Gen1, "1 2 0 1e-200 0 0 0 0 0 0 1 -360 360\n"),
                "Il valore di Y(1,1) non si può scrivere in una cella"},
        Refusal{"LoadTooSmallToWrite",
                Case("1 3 0 0 0 0 1 1 0\n2 1 1e-120 0 0 0 1 1 0\n", Gen1, Branch12),
                "Il valore di P del nodo 2 non si può scrivere"}),
    [](const ::testing::TestParamInfo<Refusal>& caseInfo) {
        return std::string(caseInfo.param.name);
    });

// A load of 50 + j20 MW/Mvar on a 100 MVA base, rows in any order of bus numbers: buses are
// numbered as they appear, generators out of service and PV buses without one are PQ loads.
TEST(MatpowerImportTest, BusesAreNumberedInOrderAndNodeDataAreInPerUnit) {
    const std::string text =
        Case("20 1 50 20 0 0 1 1 0\n10 3 0 0 0 0 1 0.9 12.5\n30 2 30 10 0 0 1 1 0\n",
             "10 0 0 0 0 1.04 100 1\n20 40 25 0 0 1 100 1\n20 10 5 0 0 1 100 1\n"
             "30 99 0 0 0 1.1 100 0\n",
             "10 20 0 0.5 0 0 0 0 0 0 1\n20 30 0 0.5 0 0 0 0 0 0 1\n");
    CellTexts cells;
    ASSERT_FALSE(ImportMatpowerCase(text, cells).has_value());
    // Node 1 is bus 20 (PQ, generators 40 + 10 against the load 50), node 2 bus 10 (the
    // reference: its generator's set point and the bus angle), node 3 bus 30 (PV without a
    // generator in service: a load).
    const std::vector<std::string> data = {cells.Data[0][0], cells.Data[1][0], cells.Data[2][0],
                                           cells.Data[3][0], cells.Data[0][1], cells.Data[1][1],
                                           cells.Data[2][1], cells.Data[3][1], cells.Data[0][2],
                                           cells.Data[1][2], cells.Data[2][2], cells.Data[3][2]};
    EXPECT_EQ(data, (std::vector<std::string>{"", "", "0", "0.1", "1.04", "12.5", "", "", "", "",
                                              "-0.3", "-0.1"}));
    EXPECT_EQ(cells.Admittance[0][0], "-4j");
    EXPECT_EQ(cells.Admittance[1][0], "2j");
    EXPECT_EQ(cells.Admittance[2][0], "2j");
    EXPECT_EQ(cells.Admittance[2][1], ""); // buses 10 and 30 are not connected
    EXPECT_EQ(cells.Admittance[2][2], "-2j");
}

// The reactive limits of the generators in service, summed per bus, reach the PE nodes in pu;
// 9999 MVAr or more, or an infinity, is no bound; the reference bus's and a PQ bus's limits, and
// crossed ones, are left out and named. Exported again, the PE nodes' generators carry them back.
TEST(MatpowerImportTest, ReactiveLimitsOfPvBusesTravelBothWays) {
    const std::string text =
        Case("1 3 0 0 0 0 1 1 0\n2 1 50 20 0 0 1 1 0\n3 2 0 0 0 0 1 1 0\n4 2 0 0 0 0 1 1 0\n"
             "5 2 0 0 0 0 1 1 0\n6 2 0 0 0 0 1 1 0\n7 2 0 0 0 0 1 1 0\n",
             "1 0 0 300 -300 1 100 1\n"
             "2 10 0 50 -50 1 100 1\n"
             "3 20 0 30 -10 1.02 100 1\n3 20 0 20 -5 1.02 100 1\n3 9 0 100 -100 1.02 100 0\n"
             "4 20 0 9999 -20 1 100 1\n"
             "5 20 0 Inf -9999.5 1 100 1\n"
             "6 20 0 5000 -10 1 100 1\n6 20 0 5000 -20 1 100 1\n"
             "7 5 0 -10 10 1 100 1\n",
             "1 2 0 0.1 0 0 0 0 0 0 1\n2 3 0 0.1 0 0 0 0 0 0 1\n3 4 0 0.1 0 0 0 0 0 0 1\n"
             "4 5 0 0.1 0 0 0 0 0 0 1\n5 6 0 0.1 0 0 0 0 0 0 1\n6 7 0 0.1 0 0 0 0 0 0 1\n");
    ImportedCase imported;
    ASSERT_FALSE(ImportMatpowerCase(text, imported).has_value());
    const std::optional<double> qmin[] = {{}, {}, -0.15, -0.2, {}, -0.3, {}};
    const std::optional<double> qmax[] = {{}, {}, 0.5, {}, {}, {}, {}};
    for (int i = 0; i < MaxNodes; ++i) {
        EXPECT_EQ(imported.reactiveLimits[i].qmin, qmin[i]) << "node " << i + 1;
        EXPECT_EQ(imported.reactiveLimits[i].qmax, qmax[i]) << "node " << i + 1;
    }
    ASSERT_EQ(imported.notes.size(), 3u);
    EXPECT_EQ(imported.notes[0], "I limiti di potenza reattiva del nodo 1 non sono riportati: "
                                 "\xC3\xA8 il nodo di riferimento.");
    EXPECT_NE(imported.notes[1].find("nodo 2 non sono riportati: \xC3\xA8 un nodo PQ."),
              std::string::npos);
    EXPECT_NE(imported.notes[2].find("nodo 7 non sono riportati: QMIN \xC3\xA8 maggiore di QMAX."),
              std::string::npos);

    MatpowerCase matpowerCase;
    ASSERT_FALSE(ReadMatpowerCase(text, matpowerCase));
    NodalNetwork network;
    ASSERT_FALSE(CaseToNetwork(matpowerCase, network));
    std::string exported;
    ASSERT_FALSE(FormatMatpowerCase(network, {"c", "test", 0}, exported));
    EXPECT_NE(exported.find("\t3\t40\t0\t50\t-15\t1.02\t"), std::string::npos) << exported;
    EXPECT_NE(exported.find("\t5\t20\t0\tInf\t-Inf\t1\t"), std::string::npos) << exported;
    ImportedCase back;
    ASSERT_FALSE(ImportMatpowerCase(exported, back).has_value());
    EXPECT_EQ(back.reactiveLimits[2].qmin, -0.15);
    EXPECT_EQ(back.reactiveLimits[3].qmax, std::nullopt);
}

// Cell texts: plain decimal notation, the fewest digits that read back exactly, within 98.
TEST(EntryTextsTest, WritesTheShortestPlainTextThatReadsBackExactly) {
    const struct {
        double value;
        std::string text;
    } rows[] = {
        {0.1, "0.1"},
        {-1.7, "-1.7"},
        {-0.0, "0"},
        {1e-5, "0.00001"},
        {1.0 / 3.0, "0.3333333333333333"},
        {123456789012345678.0, "123456789012345680"},
        {1e97, "1" + std::string(97, '0')},
    };
    for (const auto& row : rows) {
        const std::optional<std::string> text = FormatDataEntry(row.value);
        ASSERT_TRUE(text.has_value()) << row.value;
        EXPECT_EQ(*text, row.text);
    }
    EXPECT_FALSE(FormatDataEntry(1e98).has_value()); // 99 digits
    EXPECT_FALSE(FormatDataEntry(5e-324).has_value());
    EXPECT_FALSE(FormatDataEntry(std::nan("")).has_value());

    EXPECT_EQ(FormatAdmittanceEntry({1, -5}, false), "1-5j");
    EXPECT_EQ(FormatAdmittanceEntry({-1, 5}, false), "-1+5j");
    EXPECT_EQ(FormatAdmittanceEntry({0, -0.5}, false), "-0.5j");
    EXPECT_EQ(FormatAdmittanceEntry({2.5, 0}, true), "2.5");
    EXPECT_EQ(FormatAdmittanceEntry({0, 0}, true), "0");
    EXPECT_EQ(FormatAdmittanceEntry({0, 0}, false), "");
    EXPECT_TRUE(FormatAdmittanceEntry({1e-45, -1e-45}, false).has_value()); // 96 characters
    EXPECT_FALSE(FormatAdmittanceEntry({1e-47, -1e-47}, false).has_value());
}

TEST(EntryTextsTest, EveryFiniteValueOfAUsualRangeReadsBackBitForBit) {
    std::mt19937_64 random(12);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-40, 40);
    for (int k = 0; k < 5000; ++k) {
        const double re = std::ldexp(mantissa(random), exponent(random));
        const double im = std::ldexp(mantissa(random), exponent(random));
        const std::optional<std::string> data = FormatDataEntry(re);
        ASSERT_TRUE(data.has_value()) << re;
        EXPECT_EQ(data->find_first_not_of("-0123456789."), std::string::npos) << *data;
        EXPECT_EQ(DecimalConversion(FilterNumber(*data)), re) << *data;
        const std::optional<std::string> y = FormatAdmittanceEntry({re, im}, false);
        ASSERT_TRUE(y.has_value()) << re << " " << im;
        const Complex back = ParseAdmittance(*y);
        EXPECT_TRUE(back.re == re && back.im == im) << *y;
    }
}

} // namespace
} // namespace nodewise
