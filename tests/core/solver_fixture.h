// Helpers shared by the solver tests: a network acquired from cell texts or an example file,
// the solver matrices, and a recorder in place of the user port.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "core/input/acquisition.h"
#include "core/input/network_file.h"
#include "core/model/units.h"
#include "core/model/workspace.h"
#include "core/numeric/arithmetic_fault.h"
#include "test_support.h"

namespace nodewise::testing {

// Relative comparison with an absolute floor for values near zero.
inline bool FuzzyCompare(double actual, double expected, double tolerance) {
    return std::fabs(actual - expected) <= tolerance * std::fmax(1.0, std::fabs(expected));
}

inline bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// True when rows 0..nodes-1, entries 0..last of the two histories are identical bit for bit.
inline bool SameHistories(const HistoryRows& a, const HistoryRows& b, int nodes, int last) {
    for (int i = 0; i < nodes; ++i) {
        if (std::memcmp(a[i], b[i], sizeof(double) * static_cast<std::size_t>(last + 1)) != 0) {
            return false;
        }
    }
    return true;
}

// Runs a solver and returns the description of the arithmetic fault that ended it ("" if none).
inline std::string FaultOf(void (*iterate)()) {
    try {
        iterate();
    } catch (const ArithmeticFault& fault) {
        ClearArithmeticFlags();
        return fault.what();
    }
    return "";
}

inline CellTexts ExampleNetwork(const std::string& name) {
    CellTexts cells;
    std::string reason;
    EXPECT_TRUE(
        ReadNetworkFile(std::string(NODEWISE_SOURCE_DIR) + "/examples/" + name, cells, &reason))
        << name << ": " << reason;
    return cells;
}

class SolverTest : public ::testing::Test {
protected:
    // Acquires the network as the data-entry window would; the test fails on a warning.
    void Load(const CellTexts& cells, const char* iterations) {
        const std::optional<int> warning = Acquire(iterations, cells);
        ASSERT_FALSE(warning.has_value()) << "warning " << *warning;
    }

    SolverMatrices matrices;
    MessageRecorder recorder;
};

} // namespace nodewise::testing
