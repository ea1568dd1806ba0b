#include "core/solvers/stott_alsac.h"

#include <gtest/gtest.h>

#include "solver_fixture.h"

namespace nodewise {
namespace {

using testing::ExampleNetwork;
using testing::TwoNodeNetwork;

using StottAlsac = testing::SolverTest;

TEST_F(StottAlsac, BuildsTheTwoMatricesFromTheSusceptancesOfTheirRowsAndColumns) {
    // Pd node 2 (P row, E column) and QE node 3 (Q row, d column), PQ nodes 4 and 5
    Load(ExampleNetwork("stagg-5bus-pd-qe.nwd"), "2");
    class Recording final : public SolverObserver {
        int RecordedIteration() const override { return 1; }
    } recording;
    const nodewise::Run run = nodewise::StottIterate(net, 2, recording);
    ASSERT_TRUE(run.record.has_value());
    const auto& BPrime = run.record->BPrime;
    const auto& BSecond = run.record->BSecond;
    EXPECT_EQ(BPrime[0][0], YComplex[1][2].im);  // P of node 2, d of node 3
    EXPECT_EQ(BPrime[2][2], YComplex[4][4].im);  // P of node 5, d of node 5
    EXPECT_EQ(BSecond[0][0], YComplex[2][1].im); // Q of node 3, E of node 2
    EXPECT_EQ(BSecond[1][2], YComplex[3][4].im); // Q of node 4, E of node 5
}

TEST_F(StottAlsac, NoReactiveEquationsIsReportedOnceAndOnlyPhasesMove) {
    CellTexts texts = TwoNodeNetwork();
    texts.Data[0][1] = "1,02"; // node 2 becomes PE
    texts.Data[3][1] = "";
    Load(texts, "5");
    StottIterate();
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "E' stata passata a InvMatr una matrice di ordine nullo.");
    EXPECT_EQ(recorder.messages[0].caption, "Errore");
    for (int t = 0; t <= 5; ++t) {
        EXPECT_EQ(EHistoryStott[0][t], 1.0);
        EXPECT_EQ(EHistoryStott[1][t], 1.02);
    }
    EXPECT_LT(dHistoryStott[1][5], -1.0);

    // nothing to solve at all: one message per block
    recorder.messages.clear();
    texts.Data[1][1] = "-2";
    texts.Data[2][1] = "";
    Load(texts, "5");
    StottIterate();
    EXPECT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.panelUpdates[1], 10);
}

} // namespace
} // namespace nodewise
