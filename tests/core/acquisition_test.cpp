#include <climits>
#include <cmath>
#include <gtest/gtest.h>

#include "core/input/acquisition.h"
#include "core/model/network.h"
#include "core/numeric/arithmetic_fault.h"
#include "solver_fixture.h"
#include "test_support.h"

namespace nodewise {
namespace {

using testing::MessageRecorder;
using testing::TwoNodeNetwork;

struct IterationCase {
    const char* text;
    std::optional<int> warning;
    int storedCount; // IterationCount afterwards: 0 when the text does not reach it
};

class IterationCountTest : public ::testing::TestWithParam<IterationCase>,
                           public testing::Workbench {};

class AcquisitionTest : public ::testing::Test, public testing::Workbench {};

TEST_P(IterationCountTest, ChecksTheIterationBoxFirst) {
    const IterationCase& c = GetParam();
    EXPECT_EQ(Acquire(c.text, TwoNodeNetwork()), c.warning) << "«" << c.text << "»";
    EXPECT_EQ(IterationCount, c.storedCount) << "«" << c.text << "»";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IterationCountTest,
    ::testing::Values(IterationCase{"", WarningNoIterations, 0},
                      IterationCase{"abc", WarningInvalidIterations, 0},
                      IterationCase{"0", WarningInvalidIterations, 0},
                      IterationCase{"-0", WarningInvalidIterations, 0},
                      IterationCase{"+-5", WarningInvalidIterations, 0},
                      IterationCase{"-5", WarningNegativeIterations, -5},
                      IterationCase{"999", std::nullopt, 999},
                      IterationCase{"2,5", std::nullopt, 2}, IterationCase{"1x", std::nullopt, 1},
                      // a count that does not fit the history rows, however it arrives
                      IterationCase{"1000", WarningTooManyIterations, 1000},
                      IterationCase{"1001", WarningTooManyIterations, 1001},
                      IterationCase{"99999999999999", WarningTooManyIterations, INT_MAX},
                      IterationCase{"-99999999999999", WarningNegativeIterations, INT_MIN}));

TEST_F(AcquisitionTest, TwoNodeNetworkIsClassifiedAndListed) {
    ASSERT_EQ(Acquire("20", TwoNodeNetwork()), std::nullopt);
    EXPECT_EQ(IterationCount, 20);
    EXPECT_EQ(NodeCount, 2);
    EXPECT_EQ(NodeTypes[0], Ed);
    EXPECT_EQ(NodeTypes[1], PQ);
    EXPECT_EQ(EquationNodes[0], 1);
    EXPECT_EQ(EquationNodes[1], 1);
    EXPECT_EQ(UnknownNodes[0], 1);
    EXPECT_EQ(UnknownNodes[1], 1);
    EXPECT_EQ(PEquationCount, 1);
    EXPECT_EQ(QEquationCount, 1);
    EXPECT_EQ(EUnknownCount, 1);
    EXPECT_EQ(dUnknownCount, 1);
    EXPECT_EQ(UnknownCount, 2);
    EXPECT_EQ(EData[1], 1.0);
    EXPECT_EQ(dData[1], 0.0);
    EXPECT_EQ(PData[1], -0.5);
    EXPECT_EQ(QData[1], -0.2);
    // one text stands for Y_12 and Y_21
    EXPECT_EQ(YComplex[0][1].re, -1.0);
    EXPECT_EQ(YComplex[1][0].im, 5.0);
    EXPECT_EQ(YComplex[1][1].im, -5.0);
    EXPECT_DOUBLE_EQ(YMag[0][1], std::sqrt(26.0));
    EXPECT_DOUBLE_EQ(YAng[0][1], std::atan(-5.0) + 3.141592653589793);
    EXPECT_TRUE(MethodConditionHolds());
}

TEST_F(AcquisitionTest, AllSixNodeTypesFillTheListsBlockByBlock) {
    CellTexts texts;
    const char* given[6][4] = {
        {"1,02", "0", "", ""},    // Ed
        {"", "", "-0,4", "-0,1"}, // PQ
        {"1,01", "", "0,3", ""},  // PE
        {"", "-2", "0,2", ""},    // Pd
        {"1", "", "", "0,1"},     // QE
        {"", "1", "", "-0,2"},    // Qd
    };
    for (int r = 0; r < 6; ++r) {
        texts.Admittance[r][r] = "2-10j";
        for (int c = 0; c < 4; ++c) {
            texts.Data[c][r] = given[r][c];
        }
    }
    ASSERT_EQ(Acquire("5", texts), std::nullopt);
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(NodeTypes[r], r);
    }
    // P given (PQ, PE, Pd), then Q given (PQ, QE, Qd)
    const int equations[] = {1, 2, 3, 1, 4, 5};
    // E unknown (PQ, Pd, Qd), then d unknown (PQ, PE, QE)
    const int unknowns[] = {1, 3, 5, 1, 2, 4};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(EquationNodes[k], equations[k]) << k;
        EXPECT_EQ(UnknownNodes[k], unknowns[k]) << k;
    }
    EXPECT_EQ(PEquationCount, 3);
    EXPECT_EQ(QEquationCount, 3);
    EXPECT_EQ(EUnknownCount, 3);
    EXPECT_EQ(dUnknownCount, 3);
    EXPECT_EQ(UnknownCount, 6);
    EXPECT_EQ(PEquationCount + QEquationCount, EUnknownCount + dUnknownCount);
    EXPECT_TRUE(MethodConditionHolds());
    // not given: the flat start
    EXPECT_EQ(EData[1], 1.0);
    EXPECT_EQ(dData[2], 0.0);
    EXPECT_EQ(QData[3], 0.0);
    EXPECT_EQ(PData[4], 0.0);
    EXPECT_EQ(dData[3], -2 * 0.017453292519943295);
}

TEST_F(AcquisitionTest, PdWithoutQeIsAcceptedButNotSquare) {
    CellTexts texts = TwoNodeNetwork();
    texts.Data[2][1] = "-0,5";
    texts.Data[3][1] = "";
    texts.Data[1][1] = "-3";
    ASSERT_EQ(Acquire("20", texts), std::nullopt);
    EXPECT_EQ(NodeTypes[1], Pd);
    EXPECT_FALSE(MethodConditionHolds());

    // one Pd and one QE: square again
    texts.Admittance[2][2] = "1-5j";
    texts.Data[0][2] = "1";
    texts.Data[3][2] = "0,1";
    ASSERT_EQ(Acquire("20", texts), std::nullopt);
    EXPECT_EQ(NodeTypes[2], QE);
    EXPECT_TRUE(MethodConditionHolds());
}

TEST_F(AcquisitionTest, NodeCountStopsAtTheFirstEmptyDiagonalCell) {
    CellTexts texts;
    texts.Admittance[0][0] = "1";
    texts.Admittance[1][1] = "1";
    texts.Admittance[2][2] = "1";
    texts.Admittance[4][4] = "1";
    EXPECT_EQ(Acquire("20", texts), WarningMatrixBeyondNodes);
    EXPECT_EQ(NodeCount, 3);

    texts.Admittance[4][4] = "";
    texts.Admittance[6][0] = "  "; // blanks are not empty
    EXPECT_EQ(Acquire("20", texts), WarningMatrixBeyondNodes);
}

TEST_F(AcquisitionTest, DataBeyondTheNodeCountIsRejected) {
    CellTexts texts = TwoNodeNetwork();
    texts.Data[3][6] = "0";
    EXPECT_EQ(Acquire("20", texts), WarningDataBeyondNodes);
}

TEST_F(AcquisitionTest, EveryNodeNeedsExactlyTwoQuantities) {
    CellTexts texts = TwoNodeNetwork();
    texts.Data[0][1] = "1"; // three given
    EXPECT_EQ(Acquire("20", texts), WarningNodeType);

    texts = TwoNodeNetwork();
    texts.Data[3][1] = "x"; // unreadable: not given, so only one
    EXPECT_EQ(Acquire("20", texts), WarningNodeType);
    texts.Data[3][1] = "   ";
    EXPECT_EQ(Acquire("20", texts), WarningNodeType);

    texts.Data[3][1] = "-"; // a sign or a point alone is given, as 0
    ASSERT_EQ(Acquire("20", texts), std::nullopt);
    EXPECT_EQ(QData[1], 0.0);
    texts.Data[3][1] = ".";
    EXPECT_EQ(Acquire("20", texts), std::nullopt);
}

TEST_F(AcquisitionTest, EmptyGridIsANetworkWithoutNodes) {
    EXPECT_EQ(Acquire("20", CellTexts{}), std::nullopt);
    EXPECT_EQ(NodeCount, 0);
    EXPECT_EQ(UnknownCount, 0);
}

TEST_F(AcquisitionTest, PhasesAreStoredInRadians) {
    CellTexts texts = TwoNodeNetwork();
    texts.Data[1][0] = "30";
    ASSERT_EQ(Acquire("20", texts), std::nullopt);
    EXPECT_EQ(dData[0], 0.5235987755982988);
}

TEST_F(AcquisitionTest, HugeNumbersAreAnArithmeticFaultNotACrash) {
    CellTexts texts = TwoNodeNetwork();
    texts.Admittance[1][0] = std::string(400, '9');
    try {
        (void)Acquire("20", texts);
        FAIL() << "expected an arithmetic fault";
    } catch (const ArithmeticFault& fault) {
        EXPECT_STREQ(fault.what(), "overflow");
    }
    // an ordinary acquisition afterwards is not disturbed by the flags left behind
    EXPECT_EQ(Acquire("20", TwoNodeNetwork()), std::nullopt);
}

TEST_F(AcquisitionTest, MalformedAndBinaryTextsNeverFault) {
    CellTexts texts = TwoNodeNetwork();
    const std::string binary("\x01\xff\x00j\x80-,.j", 10);
    texts.Admittance[0][0] = binary;
    texts.Admittance[1][0] = std::string(100000, ',');
    texts.Data[2][1] = std::string(100000, '-');
    EXPECT_EQ(Acquire(binary, texts), WarningInvalidIterations);
    EXPECT_EQ(Acquire("7", texts), std::nullopt);
}

TEST(InputWarningTest, TextsAndCaptionReachThePort) {
    MessageRecorder recorder;
    ShowInputWarning(recorder, WarningTooManyIterations);
    ShowInputWarning(recorder, WarningMethodNotApplicable);
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[0].text,
              "La memoria \xC3\xA8 allocata\nper un numero massimo\ndi iterazioni pari a 1000\n");
    EXPECT_EQ(recorder.messages[0].caption, "Attenzione:");
    EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(recorder.messages[1].text,
              "Impossibile applicare questo metodo:\nconsultare la documentazione.\n");
    EXPECT_STREQ(InputWarningText(0), "Rivedi matrice ammettenze:\nrilevati elementi non vuoti "
                                      "fuori\ndalle dimensioni acquisite.\n");
    EXPECT_STREQ(InputWarningText(3),
                 "Numero di equazioni\ne numero di incognite\nnon coincidono.\n");
    EXPECT_STREQ(InputWarningText(9), "");
}

} // namespace
} // namespace nodewise
