// Export as a MATPOWER case: the round trip on every example network the format can carry,
// the refusals, and the header.
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/interop/matpower_export.h"
#include "core/interop/matpower_import.h"
#include "core/model/network.h"
#include "core/solvers/newton_raphson.h"
#include "solver_fixture.h"
#include "test_support.h"

namespace nodewise {
namespace {

namespace fs = std::filesystem;

struct Solved {
    NodalNetwork network;
    double E[MaxNodes];
    double dDegree[MaxNodes];
};

// Acquires the cells, keeps the acquired network and its Newton-Raphson solution.
Solved AcquireAndSolve(const CellTexts& cells) {
    Solved solved{};
    testing::Workbench bench;
    const std::optional<int> warning = bench.Acquire("12", cells);
    EXPECT_FALSE(warning.has_value()) << "warning " << *warning;
    solved.network = NodalNetworkOf(bench.net);
    bench.NewtonIterate();
    for (int i = 0; i < bench.NodeCount; ++i) {
        solved.E[i] = bench.EHistoryNewton[i][12];
        solved.dDegree[i] = bench.dHistoryNewton[i][12];
    }
    return solved;
}

double Modulus(Complex y) {
    return std::hypot(y.re, y.im);
}

// importing an exported case gives the network's matrix back to 1e-12 relative, and the same
// Newton-Raphson solution.
TEST(MatpowerExportTest, EveryExampleNetworkOfEdPeAndPqNodesComesBack) {
    testing::MessageRecorder recorder;
    int roundTrips = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(NODEWISE_SOURCE_DIR) / "examples")) {
        if (entry.path().extension() != ".nwd") {
            continue;
        }
        const std::string file = entry.path().filename().string();
        CellTexts cells;
        ASSERT_TRUE(ReadNetworkFile(entry.path().string(), cells)) << file;
        const Solved original = AcquireAndSolve(cells);
        bool carried = true;
        for (int i = 0; i < original.network.nodeCount; ++i) {
            const int type = original.network.types[i];
            carried = carried && (type == Ed || type == PE || type == PQ);
        }
        std::string contents;
        const std::optional<std::string> refusal =
            FormatMatpowerCase(original.network, {"example", "test", 0}, contents);
        ASSERT_EQ(refusal.has_value(), !carried) << file;
        if (!carried) {
            continue;
        }
        ++roundTrips;

        CellTexts imported;
        const std::optional<std::string> importRefusal = ImportMatpowerCase(contents, imported);
        ASSERT_FALSE(importRefusal.has_value()) << file << ": " << *importRefusal;
        const Solved back = AcquireAndSolve(imported);
        ASSERT_EQ(back.network.nodeCount, original.network.nodeCount) << file;
        const int n = original.network.nodeCount;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(back.network.types[i], original.network.types[i]) << file << " node " << i;
            for (int k = 0; k < n; ++k) {
                const Complex a = original.network.Y[i][k];
                const Complex b = back.network.Y[i][k];
                EXPECT_LE(Modulus({b.re - a.re, b.im - a.im}), 1e-12 * Modulus(a))
                    << file << " Y(" << i + 1 << "," << k + 1 << ")";
            }
            EXPECT_NEAR(back.E[i], original.E[i], 1e-12) << file << " node " << i + 1;
            EXPECT_NEAR(back.dDegree[i], original.dDegree[i], 1e-10) << file << " node " << i + 1;
        }
    }
    EXPECT_GE(roundTrips, 6);
    EXPECT_TRUE(recorder.messages.empty());
}

NodalNetwork ThreeNodes(int type1, int type2, int type3) {
    NodalNetwork network;
    network.nodeCount = 3;
    const int types[] = {type1, type2, type3};
    for (int i = 0; i < 3; ++i) {
        network.types[i] = types[i];
        network.E[i] = 1.0;
        network.Y[i][i] = {2, -10};
        network.Y[i][(i + 1) % 3] = {-1, 5};
        network.Y[(i + 1) % 3][i] = {-1, 5};
    }
    return network;
}

TEST(MatpowerExportTest, RefusesWhatTheFormatCannotCarryAndNamesTheNode) {
    const struct {
        NodalNetwork network;
        const char* message;
    } rows[] = {
        {ThreeNodes(Ed, Pd, PQ), "Il nodo 2 è di tipo Pd: il formato MATPOWER conosce solo"},
        {ThreeNodes(Ed, PQ, QE), "Il nodo 3 è di tipo QE"},
        {ThreeNodes(Qd, PQ, Ed), "Il nodo 1 è di tipo Qd"},
        {ThreeNodes(Ed, PE, Ed), "I nodi 1 e 3 sono entrambi di tipo Ed"},
        {ThreeNodes(PQ, PE, PQ), "La rete non ha un nodo Ed"},
        {NodalNetwork(), "La rete non ha nodi"},
    };
    for (const auto& row : rows) {
        std::string contents = "untouched";
        const std::optional<std::string> refusal =
            FormatMatpowerCase(row.network, {"c", "test", 0}, contents);
        ASSERT_TRUE(refusal.has_value()) << row.message;
        EXPECT_EQ(refusal->rfind(row.message, 0), 0u) << *refusal;
        EXPECT_EQ(contents, "untouched");
    }
}

TEST(MatpowerExportTest, HeaderSaysWhatMadeTheFileAndWhen) {
    std::string contents;
    ASSERT_FALSE(
        FormatMatpowerCase(ThreeNodes(Ed, PE, PQ), {"rete_3", "nodewise-cli", 1796688000}, contents)
            .has_value());
    EXPECT_EQ(contents.rfind("function mpc = rete_3\n%rete_3  Rete di 3 nodi esportata da "
                             "nodewise-cli il 2026-12-08 00:00:00 UTC.\n",
                             0),
              0u)
        << contents;
    EXPECT_NE(contents.find("mpc.version = '2';\n"), std::string::npos);
    EXPECT_NE(contents.find("mpc.baseMVA = 100;\n"), std::string::npos);
    // The three pairs are connected: three branches with r + jx = -1/(-1 + 5j) and no charging.
    EXPECT_NE(contents.find("\t1\t2\t0.038461538461538464\t0.1923076923076923\t0\t"),
              std::string::npos)
        << contents;

    EXPECT_EQ(CaseNameFromPath("/tmp/my case.v2.m"), "my_case_v2");
    EXPECT_EQ(CaseNameFromPath("3bus.m"), "caso_3bus");
    EXPECT_EQ(CaseNameFromPath("dir/.m"), "caso__m");
}

} // namespace
} // namespace nodewise
